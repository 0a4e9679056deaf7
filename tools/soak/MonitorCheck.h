// What a long recording of a sink shows that no mix makes: gaps (a run of exact digital
// silence in both channels, where the output was given nothing in time) and steps (a
// jump between neighbouring samples that a band-limited mix cannot make). Fed in pieces
// of interleaved float stereo, it keeps counts per period.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lullwood {

struct MonitorFigures {
  uint64_t frames = 0;
  uint64_t gaps = 0;      // runs of at least kGapFrames of silence within sound
  uint64_t steps = 0;     // second differences above the step limit
  float largestBend = 0;  // the largest second difference seen
  uint64_t silentFrames = 0;
};

class MonitorCheck {
 public:
  // A gap is a run of exact zeros at least this long (5 ms at 48 kHz) with sound on both
  // sides: a mix fades out, and nothing it holds is exactly zero for that long.
  static constexpr uint64_t kGapFrames = 240;
  // `stepLimit`: the second difference (x[n] - 2 x[n-1] + x[n-2]) above which a sample is
  // a step; a recording of the mix itself shows how large its own get.
  explicit MonitorCheck(float stepLimit) : stepLimit_(stepLimit) {}

  // Adds `frames` frames of left/right floats.
  void Add(const float* interleavedStereo, size_t frames);
  // The figures since the last call, and starts a new period.
  MonitorFigures TakePeriod();
  const MonitorFigures& total() const { return total_; }

 private:
  void Count(uint64_t MonitorFigures::*field, uint64_t n = 1);
  const float stepLimit_;
  MonitorFigures period_, total_;
  float previous_[2] = {0, 0};
  float beforePrevious_[2] = {0, 0};
  uint64_t seen_ = 0;
  uint64_t zeroRun_ = 0;
  bool heardSound_ = false;
};

}  // namespace lullwood
