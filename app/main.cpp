#include <QApplication>
#include <cstdlib>

#include "QSettingsStore.h"
#include "SdlOutput.h"
#include "SoundscapeApp.h"

int main(int argc, char** argv) {
  // The audio library would otherwise take SIGINT and SIGTERM for its own event queue,
  // which nobody reads, and the process could not be ended by a signal.
  setenv("SDL_NO_SIGNAL_HANDLERS", "1", 0);
  QApplication application(argc, argv);
  lullwood::SdlOutputFactory outputs;
  lullwood::QSettingsStore settings;
  lullwood::CSoundscapeApp soundscape(outputs, settings);
  return soundscape.Launch(QApplication::arguments().mid(1));
}
