#include "MediaVolumeOutputFactory.h"

#include "MediaPlayerRules.h"
#include "Mixer.h"

namespace lullwood {

MediaVolumeOutputFactory::MediaVolumeOutputFactory(AudioOutputFactory& outputs, AudioDevice& device)
    : outputs_(outputs), device_(device) {}

std::unique_ptr<SoundDevice> MediaVolumeOutputFactory::OpenDefaultOutput() {
  std::unique_ptr<SoundDevice> opened = outputs_.OpenDefaultOutput();
  if (opened) opened->mixer().outputStage().SetVolume(static_cast<float>(volume_));
  return opened;
}

bool MediaVolumeOutputFactory::SetVolume(double gain) {
  const double clamped = media::ClampVolume(gain, volume_);
  const bool changed = clamped != volume_;
  volume_ = clamped;
  if (device_.directSound)
    device_.directSound->mixer().outputStage().SetVolume(static_cast<float>(volume_));
  return changed;
}

}  // namespace lullwood
