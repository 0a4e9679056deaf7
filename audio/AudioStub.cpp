// Temporary: the audio engine is being built.
#include "SoundBuffer.h"
#include "SoundDevice.h"

namespace lullwood {
bool ClaimDevice(AudioDevice& device, AudioOutputFactory& outputs) {
  auto opened = outputs.OpenDefaultOutput();
  if (!opened) return false;
  device.directSound = std::move(opened);
  return true;
}
void ReleaseDevice(AudioDevice& device) { device.directSound.reset(); }
std::unique_ptr<SoundBuffer> CreateBufferFromResource(SoundDevice*, std::string_view) {
  return nullptr;
}
void ReleaseSoundBuffer(std::unique_ptr<SoundBuffer>& buffer) {
  if (!buffer) return;
  buffer->Stop();
  buffer.reset();
}
}  // namespace lullwood
