// The dot products under every band-limited kernel: SSE2 where the compiler targets it
// (every x86-64), plain loops elsewhere.
#pragma once

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lullwood {

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
