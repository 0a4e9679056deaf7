// The live audio output: the default device through SDL2, in callback mode, fed by
// the mixer. The only part of the program that sees SDL.
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
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "SoundDevice.h"

namespace lullwood {

// Receives the output's requests for samples. Called on the output's own thread.
class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // Fills `frames` frames of left/right floats.
  virtual void Fill(float* interleavedStereo, size_t frames) = 0;
  // The output has stopped under the program. Called on the library's thread by a
  // backend that reports stops; it must return at once.
  virtual void Stopped() {}
};

// The few calls of the audio library the live output needs. SDL for the program; a test
// supplies one that fails on demand. Calls never overlap: the caller serialises them.
class AudioOutputBackend {
 public:
  using OutputId = uint32_t;
  using Deadline = std::chrono::steady_clock::time_point;

  virtual ~AudioOutputBackend() = default;
  // Opens the default output for float stereo at `rateHz`, paused, to call `sink` once
  // started. With `acceptDeviceRate`, the device's own rate is taken instead and written
  // to `openedRate`; without it the library converts to the device. 0 when no output
  // can be opened (the library is started first when it is not). A backend that waits
  // on a sound server gives up at `deadline`, or sooner by a limit of its own; SDL's
  // waits as long as the library does.
  virtual OutputId Open(int rateHz, bool acceptDeviceRate, AudioSink* sink, int* openedRate,
                        Deadline deadline = Deadline::max()) = 0;
  // Starts an open output calling its sink.
  virtual void Start(OutputId id) = 0;
  // True once the output has stopped under the program and will call its sink no more.
  virtual bool IsStopped(OutputId id) = 0;
  // True when the backend calls its sink's Stopped as soon as an output stops, so that
  // nobody needs to look often.
  virtual bool ReportsStops() const { return false; }
  // Closes the output; waits for a running call of its sink to return.
  virtual void Close(OutputId id) = 0;
  // Shuts the library's audio down, so the next Open starts it afresh and finds the
  // outputs as they are now. Only while no output is open.
  virtual void Restart() = 0;
};

// SDL2's audio.
std::unique_ptr<AudioOutputBackend> MakeSdlBackend();

// How often a device looks at its output, and how long it waits between attempts to
// open a new one while none is available. A backend that reports stops is looked at
// only every `reportedPoll`, in case a report goes astray: the thread then sleeps
// while the soundscape plays.
struct OutputWatch {
  std::chrono::milliseconds poll{250};
  std::chrono::milliseconds retry{3000};
  std::chrono::milliseconds reportedPoll{10000};
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
  template <class Rep, class Period>
  bool try_lock_for(const std::chrono::duration<Rep, Period>& timeout) {
    return try_lock_until(std::chrono::steady_clock::now() + timeout);
  }
  bool try_lock_until(std::chrono::steady_clock::time_point deadline) {
    while (!mutex_.try_lock()) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
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

// UI thread only. Every device it opened must be destroyed before it is. SDL's audio is
// one per process, and so is the factory that uses it: the lock it shares with its
// devices is what keeps their calls apart.
class SdlOutputFactory : public AudioOutputFactory {
 public:
  // The default output through libpulse when a PulseAudio server (or PipeWire's)
  // answers, else through SDL2.
  SdlOutputFactory();
  // The default output through `backend`, watched as `watch` says.
  SdlOutputFactory(std::unique_ptr<AudioOutputBackend> backend, OutputWatch watch);
  ~SdlOutputFactory() override;
  SdlOutputFactory(const SdlOutputFactory&) = delete;
  SdlOutputFactory& operator=(const SdlOutputFactory&) = delete;

  // Opens the default output for 48000 Hz float stereo, accepting the rate the device
  // gives, and starts it and its watchdog. Destroying the device closes it, so other
  // programs can have it. nullptr when the output cannot be opened now, also when a
  // watchdog of an earlier device is still held inside the library by a server that
  // does not answer. Called on the UI thread (Play, start-up): a sound server that does
  // not answer holds it at most kClaimWait in all.
  std::unique_ptr<SoundDevice> OpenDefaultOutput() override;
  static constexpr std::chrono::milliseconds kClaimWait{400};

 private:
  std::shared_ptr<SharedBackend> shared_;
  OutputWatch watch_;
};

}  // namespace lullwood
