#include "LiveOutput.h"

#include <atomic>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>

#include "Mixer.h"
#include "PipeWireBackend.h"
#include "PulseBackend.h"
#include "SdlBackend.h"

namespace lullwood {
namespace {

const AudioClock& ClockOf(const OutputWatch& watch) {
  return watch.clock ? *watch.clock : SteadyAudioClock();
}

// What a device and its watchdog share, kept alive by both: the output is the
// watchdog's, and the mixer must outlive every call of the output's sink.
class OutputLink final : public AudioSink {
 public:
  OutputLink(std::shared_ptr<SharedBackend> shared, OutputWatch watch)
      : shared(std::move(shared)), watch(watch) {}

  // Output thread: only mixes.
  void Fill(float* interleavedStereo, size_t frames) override {
    mixer->Render(interleavedStereo, frames);
  }

  // Output thread: whether the mixer has nothing to be heard for a while.
  bool Rest() override { return mixer->Rest(); }

  // Library thread: wakes the watchdog.
  void Stopped() override {
    std::lock_guard guard(wakeLock);
    stopReported = true;
    wake.notify_all();
  }

  const std::shared_ptr<SharedBackend> shared;
  const OutputWatch watch;
  const AudioClock& clock() const { return ClockOf(watch); }
  // Set once before the watchdog starts.
  std::shared_ptr<Mixer> mixer;
  // The open output, 0 while none; changed only while holding shared->lock, read also
  // by the mixer's waker without it.
  std::atomic<AudioOutputBackend::OutputId> id{0};
  // Set once before the watchdog starts: the backend reports stops itself.
  bool reportsStops = false;
  // Whether the watchdog holds no open output after having lost one. Any thread.
  std::atomic<bool> lost{false};

  // The device asks the watchdog to end; the watchdog says when it has.
  std::mutex wakeLock;
  std::condition_variable wake;
  bool quit = false;
  bool ended = false;
  bool stopReported = false;

  bool Quitting() {
    std::lock_guard guard(wakeLock);
    return quit;
  }
};

// Watchdog thread. Looks at the output every poll interval, or when the backend reports
// a stop; once it has stopped, closes it and opens the default output again for the
// same mixer, at the mixer's rate, every retry interval until one opens. Asked to end,
// it closes the output it holds.
void Watch(const std::shared_ptr<OutputLink>& link) {
  const AudioClock& clock = link->clock();
  std::unique_lock wake(link->wakeLock);
  const std::chrono::milliseconds poll =
      link->reportsStops ? link->watch.reportedPoll : link->watch.poll;
  bool lost = false;
  while (!link->quit) {
    clock.WaitUntil(wake, link->wake, clock.Now() + (lost ? link->watch.retry : poll),
                    [&] { return link->quit || link->stopReported; });
    if (link->quit) break;
    link->stopReported = false;
    wake.unlock();
    {
      std::lock_guard lock(link->shared->lock);
      AudioOutputBackend& backend = *link->shared->backend;
      // An output that stalls without stopping (a suspended sink) is kept up with here
      // too, so its return has only a few seconds to catch up.
      if (link->id != 0 && link->mixer->Stalled()) link->mixer->CatchUp();
      if (link->id != 0 && backend.IsStopped(link->id)) {
        backend.Close(link->id);
        link->id = 0;
        std::fprintf(stderr, "lullwood: the audio output stopped; opening it again\n");
      }
      if (link->id == 0) {
        // Nothing plays, but the soundscape's time goes on: what was started since plays
        // out unheard, so only what would still sound is heard on return.
        link->mixer->CatchUp();
        // Start the library afresh: the server it knew may be gone.
        backend.Restart();
        link->id = backend.Open(link->mixer->outputRate(), false, link.get(), nullptr);
        // An attempt can take long; a device that went meanwhile wants no sound.
        if (link->id != 0 && !link->Quitting()) {
          backend.Start(link->id);
          std::fprintf(stderr, "lullwood: the audio output is back\n");
        }
      }
      lost = link->id == 0;
      link->lost = lost;
    }
    wake.lock();
  }
  wake.unlock();
  {
    std::lock_guard lock(link->shared->lock);
    if (link->id != 0) link->shared->backend->Close(link->id);
    link->id = 0;
  }
  wake.lock();
  link->ended = true;
  link->wake.notify_all();
}

class LiveSoundDevice final : public SoundDevice {
 public:
  LiveSoundDevice(std::shared_ptr<SharedBackend> shared, OutputWatch watch)
      : link_(std::make_shared<OutputLink>(std::move(shared), watch)) {}

  // Asks the watchdog to close the output and end, and waits a little for it: closing
  // waits for a running callback to return. A watchdog that does not end in that time
  // is held by the server; it closes what it holds once free, and the link keeps the
  // mixer, the backend and itself alive until then.
  ~LiveSoundDevice() override {
    if (!watchdog_.joinable()) {
      // The watchdog could not be started: an output opened is still the device's.
      if (link_->id == 0) return;
      std::lock_guard lock(link_->shared->lock);
      link_->shared->backend->Close(link_->id);
      return;
    }
    const AudioClock& clock = link_->clock();
    std::unique_lock wake(link_->wakeLock);
    link_->quit = true;
    link_->wake.notify_all();
    if (clock.WaitUntil(wake, link_->wake, clock.Now() + LiveOutputFactory::kReleaseWait,
                        [this] { return link_->ended; })) {
      wake.unlock();
      watchdog_.join();
    } else {
      watchdog_.detach();
    }
  }

  // UI thread, before any other call. Gives up at `deadline`: waiting for the library
  // while an earlier device's watchdog is still closing its output, and for the server.
  bool Open(AudioOutputBackend::Deadline deadline) {
    {
      const AudioClock& clock = link_->clock();
      if (!link_->shared->lock.try_lock_until(deadline, clock)) return false;
      std::unique_lock lock(link_->shared->lock, std::adopt_lock);
      int rate = 0;
      AudioOutputBackend& backend = *link_->shared->backend;
      AudioOutputBackend::OutputId id =
          backend.Open(kDefaultOutputRate, true, link_.get(), &rate, deadline);
      if (id == 0 && clock.Now() < deadline) {
        // The library may still hold a sound server that has since gone: once more, afresh.
        backend.Restart();
        id = backend.Open(kDefaultOutputRate, true, link_.get(), &rate, deadline);
      }
      if (id == 0) return false;
      // The output waits, paused, for the mixer of the rate it gave.
      link_->mixer = std::make_shared<Mixer>(rate, link_->watch.clock);
      link_->mixer->FollowTheClock();
      if (backend.Rests()) {
        // The mixer may outlive the link (a sound buffer not yet released holds it).
        link_->mixer->SetWaker([weak = std::weak_ptr<OutputLink>(link_)] {
          if (const auto link = weak.lock()) link->shared->backend->Wake(link->id);
        });
      }
      link_->id = id;
      link_->reportsStops = backend.ReportsStops();
      backend.Start(id);
    }
    watchdog_ = std::thread([link = link_] { Watch(link); });
    return true;
  }

  Mixer& mixer() override { return *link_->mixer; }
  int outputRate() const override { return link_->mixer->outputRate(); }
  bool outputLost() const override { return link_->lost; }

 private:
  const std::shared_ptr<OutputLink> link_;
  std::thread watchdog_;
};

}  // namespace

LiveOutputFactory::LiveOutputFactory() : LiveOutputFactory(MakeLiveBackend(), OutputWatch{}) {}

LiveOutputFactory::LiveOutputFactory(std::unique_ptr<AudioOutputBackend> backend, OutputWatch watch)
    : shared_(std::make_shared<SharedBackend>()), watch_(watch) {
  shared_->backend = std::move(backend);
}

// A watchdog still closing an output, or held by the server, has the library; it is
// shut down when the last holder lets the backend go, or with the process.
LiveOutputFactory::~LiveOutputFactory() {
  std::unique_lock lock(shared_->lock, std::try_to_lock);
  if (lock.owns_lock()) shared_->backend->Restart();
}

std::unique_ptr<SoundDevice> LiveOutputFactory::OpenDefaultOutput() {
  auto device = std::make_unique<LiveSoundDevice>(shared_, watch_);
  if (!device->Open(ClockOf(watch_).Now() + kClaimWait)) return nullptr;
  return device;
}

LiveBackendKind ChooseLiveBackend(const char* sdlDriver, const char* chosen) {
  const std::string_view choice = chosen != nullptr ? chosen : "";
  if (choice == "pipewire") return LiveBackendKind::kPipeWire;
  if (choice == "pulse") return LiveBackendKind::kPulse;
  if (choice == "sdl") return LiveBackendKind::kSdl;
  const bool sdlNamed = sdlDriver != nullptr && *sdlDriver != '\0' &&
                        std::strcmp(sdlDriver, "pulseaudio") != 0 &&
                        std::strcmp(sdlDriver, "pulse") != 0;
  if (sdlNamed) return LiveBackendKind::kSdl;
  return LiveBackendKind::kFirstThatAnswers;
}

std::unique_ptr<AudioOutputBackend> MakeLiveBackend() {
  const char* chosen = std::getenv("LULLWOOD_AUDIO");
  const LiveBackendKind kind = ChooseLiveBackend(std::getenv("SDL_AUDIODRIVER"), chosen);
  if (chosen != nullptr && *chosen != '\0' && kind == LiveBackendKind::kFirstThatAnswers) {
    std::fprintf(stderr, "lullwood: LULLWOOD_AUDIO=%s is none of pipewire, pulse, sdl; ignored\n",
                 chosen);
  }
  switch (kind) {
    case LiveBackendKind::kPipeWire:
      return MakePipeWireBackend();
    case LiveBackendKind::kPulse:
      return MakePulseBackend();
    case LiveBackendKind::kSdl:
      return MakeSdlBackend();
    case LiveBackendKind::kFirstThatAnswers:
      break;
  }
  // PipeWire's own protocol first: through its pulse server the same stream costs the
  // system about half as much again.
  if (PipeWireServerAnswers(std::chrono::milliseconds(500))) return MakePipeWireBackend();
  // The connection made to see whether a server answers is the one the output uses.
  if (auto pulse = ConnectedPulseBackend(std::chrono::milliseconds(1000))) return pulse;
  return MakeSdlBackend();
}

}  // namespace lullwood
