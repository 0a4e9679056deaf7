#include "ResampleLoops.h"

#include "DotProducts.h"

namespace lullwood::loops {
namespace {

inline const float* RowAt(const Kernel& kernel, uint64_t position) {
  const uint64_t fraction = position & 0xFFFFFFFFu;
  const auto phase = static_cast<uint32_t>((fraction * kernel.phases + 0x80000000u) >> 32);
  return kernel.rows + static_cast<size_t>(phase) * kernel.taps;
}

}  // namespace

uint64_t StereoBaseline(const float* left, const float* right, const Kernel& kernel,
                        uint64_t position, uint64_t step, size_t frames, float* outLeft,
                        float* outRight) {
  for (size_t k = 0; k < frames; ++k) {
    // The one tap of 1 gives the input frame itself, exactly as the sum would.
    if (kernel.wholeFrameIsTap && (position & 0xFFFFFFFFu) == 0) {
      outLeft[k] += left[position >> 32];
      outRight[k] += right[position >> 32];
      position += step;
      continue;
    }
    const size_t i = static_cast<size_t>(position >> 32) - kernel.before;
    float l, r;
    Dot2(left + i, right + i, RowAt(kernel, position), kernel.taps, &l, &r);
    outLeft[k] += l;
    outRight[k] += r;
    position += step;
  }
  return position;
}

uint64_t MonoBaseline(const float* samples, const Kernel& kernel, uint64_t position, uint64_t step,
                      size_t frames, float gainLeft, float gainRight, float* outLeft,
                      float* outRight) {
  for (size_t k = 0; k < frames; ++k) {
    const float* x = samples + (static_cast<size_t>(position >> 32) - kernel.before);
    const float y = Dot(x, RowAt(kernel, position), kernel.taps);
    outLeft[k] += y * gainLeft;
    outRight[k] += y * gainRight;
    position += step;
  }
  return position;
}

void ExactBaseline(const float* samples, uint32_t channels, size_t frames, float gainLeft,
                   float gainRight, float* outLeft, float* outRight) {
  if (channels == 1) {
    for (size_t k = 0; k < frames; ++k) {
      outLeft[k] += samples[k] * gainLeft;
      outRight[k] += samples[k] * gainRight;
    }
  } else {
    for (size_t k = 0; k < frames; ++k) {
      outLeft[k] += samples[2 * k] * gainLeft;
      outRight[k] += samples[2 * k + 1] * gainRight;
    }
  }
}

namespace {
[[maybe_unused]] bool HasAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
  return false;
#endif
}
}  // namespace

#if defined(LULLWOOD_AVX2_LOOPS)
StereoLoop BestStereoLoop() {
  return HasAvx2() ? &StereoAvx2 : &StereoBaseline;
}
MonoLoop BestMonoLoop() {
  return HasAvx2() ? &MonoAvx2 : &MonoBaseline;
}
ExactLoop BestExactLoop() {
  return HasAvx2() ? &ExactAvx2 : &ExactBaseline;
}
#else
StereoLoop BestStereoLoop() {
  return &StereoBaseline;
}
MonoLoop BestMonoLoop() {
  return &MonoBaseline;
}
ExactLoop BestExactLoop() {
  return &ExactBaseline;
}
#endif

}  // namespace lullwood::loops
