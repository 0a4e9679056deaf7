// The application object: owns the process-wide values, builds the main window, runs
// it modally and reports the process's exit status. UI thread only.
#pragma once

#include <QStringList>

#include "MediaVolumeOutputFactory.h"
#include "Ports.h"
#include "SoundDevice.h"
#include "Soundscape.h"

namespace lullwood {

class CSoundscapeApp {
 public:
  CSoundscapeApp(AudioOutputFactory& outputs, SettingsStore& settings);

  // Runs the main window until it closes. `arguments` are the program's arguments
  // after its name; joined by single blanks, unchanged, they name a Scenario file to
  // load at the first paint. Returns the exit status: 0 after CloseDown, 1 when the
  // audio device was given up at start-up. When another instance runs on the session
  // bus, hands the file over to it and returns 0 without a window, audio or icon.
  int Launch(const QStringList& arguments);

  ProcessState& state() { return state_; }
  MediaVolumeOutputFactory& volume() { return volume_; }

 private:
  AudioOutputFactory& outputs_;
  SettingsStore& settings_;
  ProcessState state_;
  MediaVolumeOutputFactory volume_{outputs_, state_.audioDevice};
};

}  // namespace lullwood
