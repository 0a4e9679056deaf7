// The live audio output: the default device through the audio library (libpipewire
// where a PipeWire server answers, libpulse where a PulseAudio server does, SDL2
// elsewhere), in callback mode, fed by the mixer.
//
// An output can stop under the program (the sound server restarts, a headset is
// unplugged). Each open device keeps a watchdog thread that notices this, closes the
// lost output and opens the default one again with the same mixer, retrying while none
// is available, so every buffer, voice and loop position goes on where it stood.
//
// Threads: the factory and the devices it makes are used from the UI thread; each
// device's watchdog is the only other thread that calls the backend, always holding the
// backend's lock. The watchdog owns the open output and closes it when the device goes.
// A sound server that does not answer can hold a watchdog inside the library for as
// long as it likes: destroying the device (Mute, Exit) then waits only briefly, leaves
// the watchdog to finish on its own, close whatever it opened and end, and returns.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

#include "AudioClock.h"
#include "OutputBackend.h"
#include "SoundDevice.h"

namespace lullwood {

// How often a device looks at its output, and how long it waits between attempts to
// open a new one while none is available. A backend that reports stops is looked at
// only every `reportedPoll`, in case a report goes astray: the thread then sleeps
// while the soundscape plays. `clock` is what these intervals, the mixer's stall
// detection and the waits of a claim and a release go by: the steady clock when empty.
// The deadlines a backend is given are steady-clock times, so a clock of another kind
// only suits a backend that reads them by that clock too (a test's).
struct OutputWatch {
  std::chrono::milliseconds poll{250};
  std::chrono::milliseconds retry{3000};
  std::chrono::milliseconds reportedPoll{10000};
  std::shared_ptr<const AudioClock> clock = nullptr;
};

// A mutex whose timed wait polls try_lock: std::timed_mutex waits in
// pthread_mutex_clocklock, which GCC 12's race detector does not follow (it then reports
// every unlock as one of a mutex not held). A waiter takes the lock within a millisecond
// of its release, which is all the callers here need.
class PollingTimedMutex {
 public:
  void lock() { mutex_.lock(); }
  bool try_lock() { return mutex_.try_lock(); }
  void unlock() { mutex_.unlock(); }
  // Gives up once `clock` has reached `deadline`.
  bool try_lock_until(std::chrono::steady_clock::time_point deadline,
                      const AudioClock& clock = SteadyAudioClock()) {
    while (!mutex_.try_lock()) {
      const auto now = clock.Now();
      if (now >= deadline) return false;
      clock.SleepUntil(now + std::chrono::milliseconds(1));
    }
    return true;
  }

 private:
  std::mutex mutex_;
};

// A backend and the lock that serialises its calls, shared by the factory, its devices
// and their watchdogs; the last of them to go destroys the backend.
struct SharedBackend {
  PollingTimedMutex lock;
  std::unique_ptr<AudioOutputBackend> backend;
};

// UI thread only. Every device it opened must be destroyed before it is. The audio
// library is one per process, and so is the factory that uses it: the lock it shares
// with its devices is what keeps their calls apart.
class LiveOutputFactory : public AudioOutputFactory {
 public:
  // The default output through MakeLiveBackend's choice.
  LiveOutputFactory();
  // The default output through `backend`, watched as `watch` says.
  LiveOutputFactory(std::unique_ptr<AudioOutputBackend> backend, OutputWatch watch);
  ~LiveOutputFactory() override;
  LiveOutputFactory(const LiveOutputFactory&) = delete;
  LiveOutputFactory& operator=(const LiveOutputFactory&) = delete;

  // Opens the default output for kDefaultOutputRate float stereo, accepting the rate the device
  // gives, and starts it and its watchdog. Destroying the device closes it, so other
  // programs can have it. nullptr when the output cannot be opened now, also when a
  // watchdog of an earlier device is still held inside the library by a server that
  // does not answer. Called on the UI thread (Play, start-up): a sound server that does
  // not answer holds it at most kClaimWait in all.
  std::unique_ptr<SoundDevice> OpenDefaultOutput() override;
  static constexpr std::chrono::milliseconds kClaimWait{400};
  // How long destroying a device waits for its watchdog to close the output and end.
  // Closing an SDL output lets it drain for two callbacks, so on a sound server the close
  // takes some 280 ms: the device returns before that and leaves the rest of the close to
  // the watchdog, as it does when the server does not answer at all.
  static constexpr std::chrono::milliseconds kReleaseWait{80};

 private:
  std::shared_ptr<SharedBackend> shared_;
  OutputWatch watch_;
};

// Which backend the program plays through, by the user's choices: LULLWOOD_AUDIO
// ("pipewire", "pulse" or "sdl") names one; else SDL_AUDIODRIVER naming an SDL driver
// other than PulseAudio's chooses SDL; else the first that answers.
enum class LiveBackendKind { kPipeWire, kPulse, kSdl, kFirstThatAnswers };
LiveBackendKind ChooseLiveBackend(const char* sdlDriver, const char* chosen);

// The backend the program plays through, as ChooseLiveBackend says from the environment;
// of those that answer, PipeWire's own protocol first, then libpulse (PulseAudio, or
// PipeWire's pulse server), then SDL.
std::unique_ptr<AudioOutputBackend> MakeLiveBackend();

}  // namespace lullwood
