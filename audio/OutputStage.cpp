#include "OutputStage.h"

#include <algorithm>

namespace lullwood {

void OutputStage::SetVolume(float gain) {
  // NaN compares false both ways and would pass a clamp: it means silence here.
  if (!(gain >= 0.0f)) gain = 0.0f;
  volume_.store(std::min(gain, 1.0f), std::memory_order_relaxed);
}

void OutputStage::Apply(float* interleavedStereo, size_t frames) {
  const float target = volume_.load(std::memory_order_relaxed);
  if (frames == 0) return;
  if (appliedVolume_ < 0.0f) appliedVolume_ = target;
  if (target == appliedVolume_) {
    if (target == 1.0f) return;
    for (size_t i = 0; i < 2 * frames; ++i) interleavedStereo[i] *= target;
    return;
  }
  const float start = appliedVolume_;
  const float step = (target - start) / static_cast<float>(frames);
  for (size_t f = 0; f < frames; ++f) {
    const float gain = start + step * static_cast<float>(f + 1);
    interleavedStereo[2 * f] *= gain;
    interleavedStereo[2 * f + 1] *= gain;
  }
  appliedVolume_ = target;
}

}  // namespace lullwood
