// What the live output needs of an audio library: open, start, look at and close the
// default output, which calls a sink for samples on a thread of its own. Two backends
// stand behind it, SDL's (SdlBackend.h) and libpulse's (PulseBackend.h); a test supplies
// one that fails on demand.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

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
  // Output thread, after a Fill, by a backend that rests: true when the output may stop
  // asking for samples until the backend's Wake.
  virtual bool Rest() { return false; }
};

// The few calls of the audio library the live output needs. Calls never overlap: the
// caller serialises them.
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
  // Whether an output can rest: stop asking for samples while its sink says nothing will
  // be heard (AudioSink::Rest), the stream paused but kept, until Wake.
  virtual bool Rests() const { return false; }
  // Has a resting output ask for samples again, with what its sink mixes from now on
  // ahead of anything it was given before. Any thread, also while another call runs;
  // nothing for an output that does not rest or is no longer open.
  virtual void Wake(OutputId /*id*/) {}
  // Closes the output; waits for a running call of its sink to return.
  virtual void Close(OutputId id) = 0;
  // Shuts the library's audio down, so the next Open starts it afresh and finds the
  // outputs as they are now. Only while no output is open.
  virtual void Restart() = 0;
};

}  // namespace lullwood
