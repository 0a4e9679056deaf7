#include "SdlOutput.h"

#include <SDL.h>

#include <condition_variable>
#include <cstdio>
#include <thread>

#include "Mixer.h"

namespace lullwood {
namespace {

constexpr int kWantedRate = 48000;
// About 43 ms a callback at 48 kHz: the thread wakes 23 times a second, which halves the
// cost of playing all night against 1024 frames; a preview starts at most that much later.
constexpr Uint16 kCallbackFrames = 2048;

class SdlBackend final : public AudioOutputBackend {
 public:
  ~SdlBackend() override { Restart(); }

  OutputId Open(int rateHz, bool acceptDeviceRate, AudioSink* sink, int* openedRate) override {
    if (!started_) {
      if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
      started_ = true;
    }
    SDL_AudioSpec want{};
    want.freq = rateHz;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = kCallbackFrames;
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

class SdlSoundDevice final : public SoundDevice, private AudioSink {
 public:
  SdlSoundDevice(std::shared_ptr<SharedBackend> shared, OutputWatch watch)
      : shared_(std::move(shared)), watch_(watch) {}

  // Stops the watchdog, then closes the output; closing waits for a running callback to
  // return, and the mixer goes after that.
  ~SdlSoundDevice() override {
    if (watchdog_.joinable()) {
      {
        std::lock_guard wake(wakeLock_);
        quit_ = true;
      }
      wake_.notify_all();
      watchdog_.join();
    }
    std::lock_guard lock(shared_->lock);
    if (id_ != 0) shared_->backend->Close(id_);
  }

  // UI thread, before any other call.
  bool Open() {
    {
      std::lock_guard lock(shared_->lock);
      int rate = 0;
      AudioOutputBackend& backend = *shared_->backend;
      id_ = backend.Open(kWantedRate, true, this, &rate);
      if (id_ == 0) {
        // The library may still hold a sound server that has since gone: once more, afresh.
        backend.Restart();
        id_ = backend.Open(kWantedRate, true, this, &rate);
      }
      if (id_ == 0) return false;
      // The output waits, paused, for the mixer of the rate it gave.
      mixer_ = std::make_shared<Mixer>(rate);
      backend.Start(id_);
    }
    watchdog_ = std::thread([this] { Watch(); });
    return true;
  }

  Mixer& mixer() override { return *mixer_; }
  int outputRate() const override { return mixer_->outputRate(); }

 private:
  // Output thread: only mixes.
  void Fill(float* interleavedStereo, size_t frames) override {
    mixer_->Render(interleavedStereo, frames);
  }

  // Watchdog thread. Looks at the output every poll interval; once it has stopped,
  // closes it and opens the default output again for the same mixer, at the mixer's
  // rate, every retry interval until one opens.
  void Watch() {
    std::unique_lock wake(wakeLock_);
    bool lost = false;
    while (!quit_) {
      wake_.wait_for(wake, lost ? watch_.retry : watch_.poll, [this] { return quit_; });
      if (quit_) break;
      wake.unlock();
      {
        std::lock_guard lock(shared_->lock);
        AudioOutputBackend& backend = *shared_->backend;
        if (id_ != 0 && backend.IsStopped(id_)) {
          backend.Close(id_);
          id_ = 0;
          std::fprintf(stderr, "lullwood: the audio output stopped; opening it again\n");
        }
        if (id_ == 0) {
          // Nothing plays, but the soundscape's time goes on: what was started since
          // plays out unheard, so only what would still sound is heard on return.
          mixer_->CatchUp();
          // Start the library afresh: the server it knew may be gone.
          backend.Restart();
          id_ = backend.Open(mixer_->outputRate(), false, this, nullptr);
          if (id_ != 0) {
            backend.Start(id_);
            std::fprintf(stderr, "lullwood: the audio output is back\n");
          }
        }
        lost = id_ == 0;
      }
      wake.lock();
    }
  }

  // Set once by Open, before the watchdog starts.
  const std::shared_ptr<SharedBackend> shared_;
  const OutputWatch watch_;
  std::shared_ptr<Mixer> mixer_;

  // The open output, 0 while none: the watchdog's once it runs, guarded by shared_->lock.
  AudioOutputBackend::OutputId id_ = 0;

  // Wakes the watchdog to end it.
  std::mutex wakeLock_;
  std::condition_variable wake_;
  bool quit_ = false;
  std::thread watchdog_;
};

}  // namespace

std::unique_ptr<AudioOutputBackend> MakeSdlBackend() {
  return std::make_unique<SdlBackend>();
}

SdlOutputFactory::SdlOutputFactory() : SdlOutputFactory(MakeSdlBackend(), OutputWatch{}) {}

SdlOutputFactory::SdlOutputFactory(std::unique_ptr<AudioOutputBackend> backend, OutputWatch watch)
    : shared_(std::make_shared<SharedBackend>()), watch_(watch) {
  shared_->backend = std::move(backend);
}

SdlOutputFactory::~SdlOutputFactory() {
  std::lock_guard lock(shared_->lock);
  shared_->backend->Restart();
}

std::unique_ptr<SoundDevice> SdlOutputFactory::OpenDefaultOutput() {
  auto device = std::make_unique<SdlSoundDevice>(shared_, watch_);
  if (!device->Open()) return nullptr;
  return device;
}

}  // namespace lullwood
