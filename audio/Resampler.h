// Band-limited resampling for the mixer: Kaiser-windowed sinc kernels tabulated by
// phase, and the dot products that apply them. Tables are made once, off the audio
// thread; applying them allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ResampleLoops.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Sum of a[k] * b[k] for k < n, n a multiple of 4. Independent partial sums keep the
// adds from waiting on each other.
inline float Dot(const float* a, const float* b, size_t n) {
#if defined(__SSE2__)
  __m128 s0 = _mm_setzero_ps(), s1 = _mm_setzero_ps(), s2 = _mm_setzero_ps();
  size_t k = 0;
  for (; k + 12 <= n; k += 12) {
    s0 = _mm_add_ps(s0, _mm_mul_ps(_mm_loadu_ps(a + k), _mm_loadu_ps(b + k)));
    s1 = _mm_add_ps(s1, _mm_mul_ps(_mm_loadu_ps(a + k + 4), _mm_loadu_ps(b + k + 4)));
    s2 = _mm_add_ps(s2, _mm_mul_ps(_mm_loadu_ps(a + k + 8), _mm_loadu_ps(b + k + 8)));
  }
  for (; k < n; k += 4) s0 = _mm_add_ps(s0, _mm_mul_ps(_mm_loadu_ps(a + k), _mm_loadu_ps(b + k)));
  s0 = _mm_add_ps(_mm_add_ps(s0, s1), s2);
  s0 = _mm_add_ps(s0, _mm_movehl_ps(s0, s0));
  s0 = _mm_add_ss(s0, _mm_shuffle_ps(s0, s0, 1));
  return _mm_cvtss_f32(s0);
#else
  float s = 0;
  for (size_t k = 0; k < n; ++k) s += a[k] * b[k];
  return s;
#endif
}

// Both sums of left[k] * w[k] and right[k] * w[k] at once, n a multiple of 8.
inline void Dot2(const float* left, const float* right, const float* w, size_t n, float* sumLeft,
                 float* sumRight) {
#if defined(__SSE2__)
  __m128 l0 = _mm_setzero_ps(), r0 = _mm_setzero_ps();
  __m128 l1 = _mm_setzero_ps(), r1 = _mm_setzero_ps();
  size_t k = 0;
  for (; k + 8 <= n; k += 8) {
    const __m128 w0 = _mm_loadu_ps(w + k);
    const __m128 w1 = _mm_loadu_ps(w + k + 4);
    l0 = _mm_add_ps(l0, _mm_mul_ps(_mm_loadu_ps(left + k), w0));
    r0 = _mm_add_ps(r0, _mm_mul_ps(_mm_loadu_ps(right + k), w0));
    l1 = _mm_add_ps(l1, _mm_mul_ps(_mm_loadu_ps(left + k + 4), w1));
    r1 = _mm_add_ps(r1, _mm_mul_ps(_mm_loadu_ps(right + k + 4), w1));
  }
  for (; k < n; k += 4) {
    const __m128 w0 = _mm_loadu_ps(w + k);
    l0 = _mm_add_ps(l0, _mm_mul_ps(_mm_loadu_ps(left + k), w0));
    r0 = _mm_add_ps(r0, _mm_mul_ps(_mm_loadu_ps(right + k), w0));
  }
  const __m128 l = _mm_add_ps(l0, l1);
  const __m128 r = _mm_add_ps(r0, r1);
  // Both horizontal sums together.
  const __m128 lo = _mm_unpacklo_ps(l, r);  // l0 r0 l1 r1
  const __m128 hi = _mm_unpackhi_ps(l, r);  // l2 r2 l3 r3
  const __m128 s = _mm_add_ps(lo, hi);
  const __m128 t = _mm_add_ps(s, _mm_movehl_ps(s, s));
  *sumLeft = _mm_cvtss_f32(t);
  *sumRight = _mm_cvtss_f32(_mm_shuffle_ps(t, t, 1));
#else
  float l = 0, r = 0;
  for (size_t k = 0; k < n; ++k) {
    l += left[k] * w[k];
    r += right[k] * w[k];
  }
  *sumLeft = l;
  *sumRight = r;
#endif
}

}  // namespace lullwood
