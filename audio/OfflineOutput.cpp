#include "OfflineOutput.h"

namespace lullwood {

OfflineSoundDevice::OfflineSoundDevice(int outputRate)
    : mixer_(std::make_shared<Mixer>(outputRate)) {}

OfflineSoundDevice::~OfflineSoundDevice() {
  if (registration_ && *registration_ == this) *registration_ = nullptr;
}

void OfflineSoundDevice::Render(float* interleavedStereo, size_t frames) {
  mixer_->Render(interleavedStereo, frames);
}

std::vector<float> OfflineSoundDevice::Render(size_t frames) {
  std::vector<float> out(2 * frames);
  mixer_->Render(out.data(), frames);
  return out;
}

OfflineOutputFactory::OfflineOutputFactory(int outputRate) : outputRate_(outputRate) {}

std::unique_ptr<SoundDevice> OfflineOutputFactory::OpenDefaultOutput() {
  if (failing_) return nullptr;
  auto device = std::make_unique<OfflineSoundDevice>(outputRate_);
  device->registration_ = current_;
  *current_ = device.get();
  ++opened_;
  return device;
}

}  // namespace lullwood
