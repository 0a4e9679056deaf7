// Slow modulators that close exactly over a loop of N frames: sums of k-cycles-per-loop
// sines and circular value noise (periodic Catmull-Rom through random control values).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "Math.h"
#include "Random.h"

namespace lullwood::synth {

// For each rate in `hz`, the whole number of cycles per loop that comes nearest it: the
// `ks` of a LoopSines given in hertz.
inline std::vector<int> CyclesPerLoop(std::initializer_list<double> hz, uint32_t sampleRate,
                                      uint64_t loopFrames) {
  std::vector<int> ks;
  for (double f : hz) ks.push_back(static_cast<int>(CyclesPerLoop(f, sampleRate, loopFrames)));
  return ks;
}

// Sum of sines of k cycles per loop, amplitude `depth`/k, random phases; the result is
// normalised so that its peak magnitude is at most `depth`.
class LoopSines {
 public:
  LoopSines(Rng& rng, uint64_t loopFrames, std::initializer_list<int> ks, double depth = 1.0)
      : LoopSines(rng, loopFrames, std::span<const int>(ks.begin(), ks.size()), depth) {}
  LoopSines(Rng& rng, uint64_t loopFrames, std::span<const int> ks, double depth = 1.0)
      : loop_(loopFrames) {
    double sum = 0.0;
    for (int k : ks) sum += 1.0 / k;
    for (int k : ks) parts_.push_back({static_cast<uint64_t>(k), depth / (k * sum), rng.Uniform()});
  }
  double At(uint64_t n) const {
    double v = 0.0;
    for (const Part& p : parts_) v += p.amp * Sin2Pi(LoopPhase(p.k, n, loop_) + p.phase);
    return v;
  }

 private:
  struct Part {
    uint64_t k;
    double amp, phase;
  };
  uint64_t loop_;
  std::vector<Part> parts_;
};

// M control values uniform on [lo, hi] spaced evenly round the loop, joined by a periodic
// Catmull-Rom spline (clamped to [lo, hi]). M >= 2.
class CircularValueNoise {
 public:
  CircularValueNoise(Rng& rng, uint64_t loopFrames, int points, double lo = 0.0, double hi = 1.0)
      : loop_(loopFrames), lo_(lo), hi_(hi) {
    for (int i = 0; i < points; ++i) values_.push_back(rng.Uniform(lo, hi));
  }
  double At(uint64_t n) const {
    const uint64_t m = values_.size();
    const uint64_t pos = (n % loop_) * m;
    const uint64_t i = pos / loop_;
    const double u = static_cast<double>(pos % loop_) / static_cast<double>(loop_);
    const double p0 = values_[(i + m - 1) % m], p1 = values_[i % m];
    const double p2 = values_[(i + 1) % m], p3 = values_[(i + 2) % m];
    const double v =
        p1 +
        0.5 * u *
            (p2 - p0 + u * (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3 + u * (3.0 * (p1 - p2) + p3 - p0)));
    return Clamp(v, lo_, hi_);
  }

 private:
  uint64_t loop_;
  double lo_, hi_;
  std::vector<double> values_;
};

}  // namespace lullwood::synth
