#include "SoundscapeApp.h"

#include <cstdio>
#include <memory>

#include <QApplication>

#include "ColorScheme.h"
#include "MainDialog.h"
#include "MprisService.h"
#include "SingleInstance.h"

namespace lullwood {

CSoundscapeApp::CSoundscapeApp(AudioOutputFactory& outputs, SettingsStore& settings)
    : outputs_(outputs), settings_(settings) {}

int CSoundscapeApp::Launch(const QStringList& arguments) {
  const QString commandLine = arguments.join(QLatin1Char(' '));
  // Before anything shows, sounds or sits in the status area: one instance per session.
  // The objects are served before the name is claimed, so a second instance that finds
  // the name always finds them; their actions wait until start-up has finished.
  std::unique_ptr<MprisService> mpris;
  std::optional<QDBusConnection> bus = ConnectToSessionBus();
  if (bus) {
    mpris = std::make_unique<MprisService>(*bus, state_.audioDevice, volume_);
    if (ClaimBusName(*bus, false) == NameClaim::kTaken) {
      QString why;
      switch (HandOverToRunningInstance(*bus, commandLine, why)) {
        case HandOver::kDone:
          return 0;
        case HandOver::kRefused:
          std::fprintf(stderr, "lullwood: %s; the running Lullwood keeps its soundscape\n",
                       why.toLocal8Bit().constData());
          return 1;
        case HandOver::kNoAnswer:
          break;
      }
      // The running one does not answer: run beside it, next in line for the name.
      ClaimBusName(*bus, true);
    }
  }
  // Light or dark as the desktop prefers, before the window is made.
  std::unique_ptr<ColorSchemeFollower> colours;
  if (bus) {
    colours = std::make_unique<ColorSchemeFollower>(*bus);
  } else {
    QApplication::setPalette(PaletteFor(ColorScheme::kLight));
  }
  CMainDialog dialog(state_, volume_, settings_);
  if (!commandLine.isEmpty()) dialog.Values().m_commandLineFile = commandLine.toStdString();
  if (!dialog.InitializeWindow()) return 1;
  if (mpris) mpris->Attach(dialog, dialog);
  return dialog.RunModal();
}

}  // namespace lullwood
