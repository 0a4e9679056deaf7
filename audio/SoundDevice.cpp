#include "SoundDevice.h"

namespace lullwood {

bool ClaimDevice(AudioDevice& device, AudioOutputFactory& outputs) {
  // A device already held is kept: replacing it would strand the buffers made on it.
  if (device.directSound) return true;
  std::unique_ptr<SoundDevice> opened = outputs.OpenDefaultOutput();
  if (!opened) return false;
  device.directSound = std::move(opened);
  return true;
}

void ReleaseDevice(AudioDevice& device) {
  device.directSound.reset();
}

}  // namespace lullwood
