// A look-ahead peak limiter for the master sum. It delays the mix by about two
// milliseconds and lowers the gain smoothly ahead of every peak that would pass the
// ceiling, then lets it back up slowly. While the mix stays below the ceiling the gain
// is exactly 1 and the output is the input, delayed, bit for bit.
//
// The gain is worked out once per chunk of kChunk frames, from each chunk's peak, and
// moves linearly across the chunk: every chunk's gain stays at or below what its own
// peak allows, so no output sample exceeds the ceiling.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace lullwood {

class Limiter {
 public:
  // About -1 dBFS: no output sample ever exceeds it.
  static constexpr float kCeiling = 0.89125094f;  // 10^(-1/20)
  static constexpr size_t kChunk = 16;

  explicit Limiter(int rate);

  // Frames every sample is delayed by.
  size_t delayFrames() const { return delay_; }
  // Without limiting, the mix is only delayed: for comparing with and without.
  void SetEnabled(bool enabled) { enabled_ = enabled; }

  // Takes `frames` frames of the unlimited sum, left and right apart, and writes as
  // many limited frames, delayed, as left/right pairs into `out`.
  void Process(const float* left, const float* right, size_t frames, float* out);

  // Frames so far written with a gain below 1.
  uint64_t reducedFrames() const { return reducedFrames_; }

 private:
  struct Limit {
    uint64_t chunk;
    float gain;
  };

  // Takes the peak of the chunk just completed and works out one more chunk's gain.
  void EndChunk(float peak);
  // Process for a block that changes nothing: every incoming frame below the ceiling,
  // nothing pending and every gain the delayed frames need exactly 1. Leaves the state
  // as Process would, the output the delayed input. False, having done nothing, else.
  bool ProcessQuiet(const float* left, const float* right, size_t frames, float* out);
  float GainAt(uint64_t chunk) const { return gains_[chunk & (gains_.size() - 1)]; }

  const size_t ahead_;    // chunks of look-ahead, past the one being worked out
  const size_t delay_;    // frames
  const double release_;  // per-chunk factor of the remaining rise
  bool enabled_ = true;

  std::vector<float> delayLeft_, delayRight_;
  size_t delayAt_ = 0;
  uint64_t frame_ = 0;  // frames taken in
  float chunkPeak_ = 0.0f;
  float lastNeed_ = 1.0f;  // what the previous chunk's peak allowed
  uint64_t chunks_ = 0;    // chunks completed

  // The gains the coming chunk boundaries need, rising from the front: a sliding minimum.
  std::vector<Limit> limits_;
  size_t limitsFront_ = 0, limitsCount_ = 0;

  // The last ahead_ + 1 minima as reductions (1 - gain), for a moving average.
  std::vector<double> reductions_;
  size_t reductionAt_ = 0;
  size_t reductionsNonZero_ = 0;
  double reductionSum_ = 0;
  const double perWindow_;  // 1 / the number of minima averaged

  // The gain at the start of each recent chunk, by chunk number; a power of two long.
  std::vector<float> gains_;
  uint64_t reducedFrames_ = 0;
  // One past the last boundary given a gain below 1; 0 while none has been.
  uint64_t reducedUntil_ = 0;
};

}  // namespace lullwood
