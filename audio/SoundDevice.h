// The audio device: what stands in for the audio service's device object, and the
// process-wide record of it.
#pragma once

#include <memory>

#include "AudioUnits.h"

namespace lullwood {

class Mixer;

// An open audio output and the mixer that feeds it. Destroying it closes the output,
// so other programs can have the device. Every SoundBuffer made on it should be
// released before it is destroyed; one that is not stays safe to release, because it
// shares ownership of a mixer created with std::make_shared.
class SoundDevice {
 public:
  virtual ~SoundDevice() = default;
  // Any thread.
  virtual Mixer& mixer() = 0;
  // Frames per second of the output. Any thread.
  virtual int outputRate() const = 0;
  // Whether the output has stopped under the program (a sound server gone) and has not
  // been opened again yet. Any thread.
  virtual bool outputLost() const { return false; }
};

// Opens the default output: SDL for the program, offline or failing ones for tests
// and for rendering to a file. UI thread only.
class AudioOutputFactory {
 public:
  virtual ~AudioOutputFactory() = default;
  // nullptr when no output can be opened.
  virtual std::unique_ptr<SoundDevice> OpenDefaultOutput() = 0;
};

// The one process-wide record of the device. While `muted` is false, `directSound`
// is present; while it is true, no sound buffer exists and `directSound` is empty.
struct AudioDevice {
  std::unique_ptr<SoundDevice> directSound;
  bool muted = false;
};

// Opens the default output through `outputs`. Returns false, leaving `directSound`
// as it was, when it cannot be opened. A device already held is kept and no other is
// opened. UI thread only.
bool ClaimDevice(AudioDevice& device, AudioOutputFactory& outputs);

// Closes the output and empties `directSound`. UI thread only.
void ReleaseDevice(AudioDevice& device);

}  // namespace lullwood
