// Band-limited resampling for the mixer: Kaiser-windowed sinc kernels tabulated by
// phase, and the dot products that apply them. Tables are made once, off the audio
// thread; applying them allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "DotProducts.h"
#include "ResampleLoops.h"

namespace lullwood {

// A lowpass kernel of `taps` taps (a multiple of `multiple`: 8, or 4 for the mono
// loops alone) tabulated at `phases` + 1 evenly
// spaced fractional delays 0, 1/phases, .., 1. Row p, applied to the input frames
// i - taps/2 + 1 .. i + taps/2, gives the band-limited value at input time
// i + p/phases. Each row sums to 1, so a constant passes unchanged.
class KernelTable {
 public:
  // `cutoff` and `transition` in cycles per input frame: the passband ends at cutoff -
  // transition/2 and the stopband starts at cutoff + transition/2, at least
  // `attenuationDb` down.
  KernelTable(double cutoff, double transition, double attenuationDb, uint32_t phases,
              uint32_t multiple = 8);

  uint32_t taps() const { return taps_; }
  uint32_t phases() const { return phases_; }
  // Input frames a value at input time t needs before floor(t), and after.
  uint32_t before() const { return taps_ / 2 - 1; }
  uint32_t after() const { return taps_ / 2; }
  const float* Row(uint32_t phase) const { return rows_.data() + size_t{phase} * taps_; }
  // The row nearest the fraction of a 32.32 position.
  const float* RowFor(uint64_t position) const {
    const uint64_t fraction = position & 0xFFFFFFFFu;
    return Row(static_cast<uint32_t>((fraction * phases_ + 0x80000000u) >> 32));
  }
  // The continuous kernel at offset `t` input frames from the centre (0 outside
  // -taps/2..taps/2), for stretched use when reading faster than the target rate.
  float At(double t) const;
  // Whether row 0 is a single tap of 1 (then made exactly so): a half-band kernel,
  // whose zeros fall on every other whole frame.
  bool wholeFrameIsTap() const { return wholeFrameIsTap_; }
  // The rows, for the inner loops.
  loops::Kernel view() const { return {rows_.data(), taps_, phases_, before(), wholeFrameIsTap_}; }

 private:
  uint32_t taps_;
  uint32_t phases_;
  bool wholeFrameIsTap_ = false;
  std::vector<float> rows_;   // (phases + 1) rows of taps
  std::vector<float> dense_;  // the kernel at every 1/phases across its span, for At
};

}  // namespace lullwood
