#include "SdlOutput.h"

#include <SDL.h>

#include "Mixer.h"

namespace lullwood {
namespace {

constexpr int kWantedRate = 48000;
constexpr Uint16 kCallbackFrames = 1024;

class SdlSoundDevice final : public SoundDevice {
 public:
  SdlSoundDevice() = default;
  // Closing waits for a running callback to return; the mixer goes after that.
  ~SdlSoundDevice() override {
    if (id_ != 0) SDL_CloseAudioDevice(id_);
  }

  bool Open() {
    SDL_AudioSpec want{};
    want.freq = kWantedRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kCallbackFrames;
    want.callback = &SdlSoundDevice::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // SDL converts format and channel count for us; only the rate follows the device.
    id_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (id_ == 0) return false;
    mixer_ = std::make_shared<Mixer>(have.freq);
    // Opened paused: the callback cannot run before the mixer exists.
    SDL_PauseAudioDevice(id_, 0);
    return true;
  }

  Mixer& mixer() override { return *mixer_; }
  int outputRate() const override { return mixer_->outputRate(); }

 private:
  // Audio thread: only mixes.
  static void Callback(void* self, Uint8* stream, int bytes) {
    auto* device = static_cast<SdlSoundDevice*>(self);
    const size_t frames = static_cast<size_t>(bytes) / (2 * sizeof(float));
    device->mixer_->Render(reinterpret_cast<float*>(stream), frames);
  }

  SDL_AudioDeviceID id_ = 0;
  std::shared_ptr<Mixer> mixer_;
};

}  // namespace

SdlOutputFactory::~SdlOutputFactory() {
  if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::unique_ptr<SoundDevice> SdlOutputFactory::OpenDefaultOutput() {
  if (!initialised_) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    initialised_ = true;
  }
  auto device = std::make_unique<SdlSoundDevice>();
  if (!device->Open()) return nullptr;
  return device;
}

}  // namespace lullwood
