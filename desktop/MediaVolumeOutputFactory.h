// The volume the desktop's media controls set: one gain over the whole output after the
// mix, kept by the program and put on every device it claims, since each Play opens a
// new one. Neither the master bars nor a Scenario know of it; it is not saved. UI
// thread only.
#pragma once

#include <memory>

#include "SoundDevice.h"

namespace lullwood {

class MediaVolumeOutputFactory : public AudioOutputFactory {
 public:
  // Opens devices through `outputs`; `device` is the process's record of the one held.
  MediaVolumeOutputFactory(AudioOutputFactory& outputs, AudioDevice& device);

  // The inner factory's device, with the volume already on its output stage.
  std::unique_ptr<SoundDevice> OpenDefaultOutput() override;

  // 1.0 at start.
  double volume() const { return volume_; }
  // Clamps to 0..1 (NaN changes nothing) and applies it to the device held now.
  // Returns whether the volume changed.
  bool SetVolume(double gain);

 private:
  AudioOutputFactory& outputs_;
  AudioDevice& device_;
  double volume_ = 1.0;
};

}  // namespace lullwood
