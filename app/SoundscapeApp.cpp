#include "SoundscapeApp.h"

#include "MainDialog.h"

namespace lullwood {

CSoundscapeApp::CSoundscapeApp(AudioOutputFactory& outputs, SettingsStore& settings)
    : outputs_(outputs), settings_(settings) {}

int CSoundscapeApp::Launch(const QStringList& arguments) {
  CMainDialog dialog(state_, outputs_, settings_);
  const QString commandLine = arguments.join(QLatin1Char(' '));
  if (!commandLine.isEmpty()) dialog.Values().m_commandLineFile = commandLine.toStdString();
  return dialog.RunModal();
}

}  // namespace lullwood
