// An audio output with no sound card: the caller drives the mixer and takes the
// samples. For tests and for rendering a soundscape to a file.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "Mixer.h"
#include "SoundDevice.h"

namespace lullwood {

class OfflineSoundDevice : public SoundDevice {
 public:
  explicit OfflineSoundDevice(int outputRate = kDefaultOutputRate);
  ~OfflineSoundDevice() override;

  // Any thread.
  Mixer& mixer() override { return *mixer_; }
  int outputRate() const override { return mixer_->outputRate(); }

  // Renders the next `frames` frames of left/right floats, as the live output's
  // callback would. One caller at a time; may run beside UI-thread buffer calls.
  void Render(float* interleavedStereo, size_t frames);
  std::vector<float> Render(size_t frames);

 private:
  friend class OfflineOutputFactory;
  std::shared_ptr<Mixer> mixer_;
  // The factory's record of its current device, cleared when this one goes.
  std::shared_ptr<OfflineSoundDevice*> registration_;
};

// UI thread only.
class OfflineOutputFactory : public AudioOutputFactory {
 public:
  explicit OfflineOutputFactory(int outputRate = kDefaultOutputRate);

  std::unique_ptr<SoundDevice> OpenDefaultOutput() override;

  // While failing, OpenDefaultOutput returns nullptr, as a device that cannot be opened.
  void SetFailing(bool failing) { failing_ = failing; }
  // The last device made, while it is alive; nullptr otherwise.
  OfflineSoundDevice* current() const { return *current_; }
  int opened() const { return opened_; }

 private:
  int outputRate_;
  bool failing_ = false;
  int opened_ = 0;
  std::shared_ptr<OfflineSoundDevice*> current_ = std::make_shared<OfflineSoundDevice*>(nullptr);
};

}  // namespace lullwood
