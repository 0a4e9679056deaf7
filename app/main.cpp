#include <malloc.h>

#include <QApplication>
#include <QIcon>
#include <cstdlib>

#include "LiveOutput.h"
#include "QSettingsStore.h"
#include "SoundscapeApp.h"
#include "Translations.h"

int main(int argc, char** argv) {
  // Blocks of 128 KiB and more are mapped apart and given back when freed, always. By
  // default the C library raises that bound to the largest block freed so far: when
  // the sound server goes and the output is opened again from the watchdog's thread,
  // the sound library's buffers, mapped and mostly untouched the first time, would then
  // come from that thread's heap, filled in, and the process would hold some 4.5 MB more
  // for the rest of the night.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  // The audio library would otherwise take SIGINT and SIGTERM for its own event queue,
  // which nobody reads, and the process could not be ended by a signal.
  setenv("SDL_NO_SIGNAL_HANDLERS", "1", 0);
  QApplication application(argc, argv);
  // The desktop entry the windows belong to: Wayland compositors and task switchers take
  // the name and icon from lullwood.desktop. The installed icon, else the built-in one,
  // is every window's icon. No display name is set: Qt would append it to every window
  // title and message box caption, which are the program's own.
  QGuiApplication::setApplicationName(QStringLiteral("lullwood"));
  QGuiApplication::setDesktopFileName(QStringLiteral("lullwood"));
  QApplication::setWindowIcon(
      QIcon::fromTheme(QStringLiteral("lullwood"), QIcon(QStringLiteral(":/images/icon.png"))));
  // The session's language, before any window or message exists.
  lullwood::InstallTranslations(application);
  lullwood::LiveOutputFactory outputs;
  lullwood::QSettingsStore settings;
  lullwood::CSoundscapeApp soundscape(outputs, settings);
  return soundscape.Launch(QApplication::arguments().mid(1));
}
