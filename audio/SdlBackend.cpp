#include "SdlBackend.h"

#include <SDL.h>

#include "OutputBuffering.h"
#include "SoundServerClient.h"

namespace lullwood {
namespace {

class SdlBackend final : public AudioOutputBackend {
 public:
  SdlBackend() { PrepareSoundServerClients(); }
  ~SdlBackend() override { Restart(); }

  OutputId Open(int rateHz, bool acceptDeviceRate, AudioSink* sink, int* openedRate,
                Deadline /*deadline*/) override {
    if (!started_) {
      if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
      started_ = true;
    }
    SDL_AudioSpec want{};
    want.freq = rateHz;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = OutputBuffering{}.sdlCallbackFrames;
    want.callback = &SdlBackend::Callback;
    want.userdata = sink;
    SDL_AudioSpec have{};
    // SDL converts format and channel count, and the rate unless the device's is taken.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(
        nullptr, 0, &want, &have, acceptDeviceRate ? SDL_AUDIO_ALLOW_FREQUENCY_CHANGE : 0);
    if (id == 0) return 0;
    ++openOutputs_;
    if (openedRate != nullptr) *openedRate = acceptDeviceRate ? have.freq : rateHz;
    return id;
  }

  void Start(OutputId id) override { SDL_PauseAudioDevice(id, 0); }

  bool IsStopped(OutputId id) override { return SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_STOPPED; }

  void Close(OutputId id) override {
    SDL_CloseAudioDevice(id);
    --openOutputs_;
  }

  void Restart() override {
    if (openOutputs_ > 0) return;  // would close them under their owners
    if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    started_ = false;
  }

 private:
  // Audio thread.
  static void Callback(void* sink, Uint8* stream, int bytes) {
    const size_t frames = static_cast<size_t>(bytes) / (2 * sizeof(float));
    static_cast<AudioSink*>(sink)->Fill(reinterpret_cast<float*>(stream), frames);
  }

  bool started_ = false;
  int openOutputs_ = 0;
};

}  // namespace

std::unique_ptr<AudioOutputBackend> MakeSdlBackend() {
  return std::make_unique<SdlBackend>();
}

}  // namespace lullwood
