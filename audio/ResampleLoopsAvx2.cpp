// Built with -mavx2 -mfma; called only where the processor has both. Uses nothing but
// intrinsics and plain arithmetic, so no code built for AVX2 can stand in for code of
// the other translation units.
#include <immintrin.h>

#include "ResampleLoops.h"

namespace lullwood::loops {
namespace {

inline const float* RowAt(const Kernel& kernel, uint64_t position) {
  const uint64_t fraction = position & 0xFFFFFFFFu;
  const auto phase = static_cast<uint32_t>((fraction * kernel.phases + 0x80000000u) >> 32);
  return kernel.rows + static_cast<size_t>(phase) * kernel.taps;
}

// The same for a table of `Phases` rows of `Taps`, both known here.
template <uint32_t Taps, uint32_t Phases>
inline const float* RowAt(const float* rows, uint64_t position) {
  const uint64_t fraction = position & 0xFFFFFFFFu;
  const auto phase = static_cast<uint32_t>((fraction * Phases + 0x80000000u) >> 32);
  return rows + static_cast<size_t>(phase) * Taps;
}

// The four sums of a, b, c and d, in that order.
inline __m128 Sum8x4(__m256 a, __m256 b, __m256 c, __m256 d) {
  const __m256 ab = _mm256_hadd_ps(a, b);
  const __m256 cd = _mm256_hadd_ps(c, d);
  const __m256 abcd = _mm256_hadd_ps(ab, cd);
  return _mm_add_ps(_mm256_castps256_ps128(abcd), _mm256_extractf128_ps(abcd, 1));
}

// Adds one output frame at `position`.
inline void StereoOne(const float* left, const float* right, const Kernel& kernel,
                      uint64_t position, float* outLeft, float* outRight) {
  const float* w = RowAt(kernel, position);
  const size_t i = static_cast<size_t>(position >> 32) - kernel.before;
  __m256 l = _mm256_setzero_ps(), r = _mm256_setzero_ps();
  for (uint32_t t = 0; t < kernel.taps; t += 8) {
    const __m256 w0 = _mm256_loadu_ps(w + t);
    l = _mm256_fmadd_ps(_mm256_loadu_ps(left + i + t), w0, l);
    r = _mm256_fmadd_ps(_mm256_loadu_ps(right + i + t), w0, r);
  }
  // Totalled in the same order as a lane of the four at a time, so that where a block
  // ends never changes a sample.
  const __m256 zero = _mm256_setzero_ps();
  *outLeft += _mm_cvtss_f32(Sum8x4(l, zero, zero, zero));
  *outRight += _mm_cvtss_f32(Sum8x4(r, zero, zero, zero));
}

// Groups of four output frames from the first, for as many as fit: each frame's own row.
// Returns the frames done, `position` moved past them. `Taps` is the kernel's length
// when known here (then the inner loop is unrolled), 0 else.
template <uint32_t Taps>
size_t StereoGroups(const float* left, const float* right, const Kernel& kernel, uint64_t& position,
                    uint64_t step, size_t frames, float* outLeft, float* outRight) {
  // Locals, so that the stores to the output need not reload them.
  const Kernel view = kernel;
  const uint32_t taps = Taps != 0 ? Taps : view.taps;
  uint64_t at0 = position;
  size_t k = 0;
  for (; k + 4 <= frames; k += 4) {
    const float* w[4];
    size_t at[4];
    for (int j = 0; j < 4; ++j) {
      w[j] = RowAt(view, at0);
      at[j] = static_cast<size_t>(at0 >> 32) - view.before;
      at0 += step;
    }
    __m256 l0 = _mm256_setzero_ps(), l1 = _mm256_setzero_ps(), l2 = _mm256_setzero_ps(),
           l3 = _mm256_setzero_ps();
    __m256 r0 = _mm256_setzero_ps(), r1 = _mm256_setzero_ps(), r2 = _mm256_setzero_ps(),
           r3 = _mm256_setzero_ps();
    for (uint32_t t = 0; t < taps; t += 8) {
      __m256 c = _mm256_loadu_ps(w[0] + t);
      l0 = _mm256_fmadd_ps(_mm256_loadu_ps(left + at[0] + t), c, l0);
      r0 = _mm256_fmadd_ps(_mm256_loadu_ps(right + at[0] + t), c, r0);
      c = _mm256_loadu_ps(w[1] + t);
      l1 = _mm256_fmadd_ps(_mm256_loadu_ps(left + at[1] + t), c, l1);
      r1 = _mm256_fmadd_ps(_mm256_loadu_ps(right + at[1] + t), c, r1);
      c = _mm256_loadu_ps(w[2] + t);
      l2 = _mm256_fmadd_ps(_mm256_loadu_ps(left + at[2] + t), c, l2);
      r2 = _mm256_fmadd_ps(_mm256_loadu_ps(right + at[2] + t), c, r2);
      c = _mm256_loadu_ps(w[3] + t);
      l3 = _mm256_fmadd_ps(_mm256_loadu_ps(left + at[3] + t), c, l3);
      r3 = _mm256_fmadd_ps(_mm256_loadu_ps(right + at[3] + t), c, r3);
    }
    _mm_storeu_ps(outLeft + k, _mm_add_ps(_mm_loadu_ps(outLeft + k), Sum8x4(l0, l1, l2, l3)));
    _mm_storeu_ps(outRight + k, _mm_add_ps(_mm_loadu_ps(outRight + k), Sum8x4(r0, r1, r2, r3)));
  }
  position = at0;
  return k;
}

}  // namespace

// Four output frames at a time: their sums are independent, so their multiply-adds
// overlap instead of waiting on each other, and they are totalled together.
uint64_t StereoAvx2(const float* left, const float* right, const Kernel& kernel, uint64_t position,
                    uint64_t step, size_t frames, float* outLeft, float* outRight) {
  const uint32_t taps = kernel.taps;
  size_t k = 0;
  // Doubling the rate by a half-band kernel: a frame at a whole position is its input
  // frame; those between take the one other row, held in registers, four at a time.
  if (kernel.wholeFrameIsTap && kernel.phases == 2 && step == (uint64_t{1} << 31) && taps <= 32) {
    const float* w = kernel.rows + taps;
    __m256 c[4];
    for (uint32_t t = 0; t < 4; ++t) c[t] = t * 8 < taps ? _mm256_loadu_ps(w + t * 8) : __m256{};
    for (; k < frames && (position & 0xFFFFFFFFu) != 0; ++k, position += step) {
      StereoOne(left, right, kernel, position, outLeft + k, outRight + k);
    }
    for (; k + 8 <= frames; k += 8, position += 8 * step) {
      const size_t a = static_cast<size_t>(position >> 32);
      const float* la = left + (a - kernel.before);
      const float* ra = right + (a - kernel.before);
      __m256 l0 = _mm256_setzero_ps(), l1 = _mm256_setzero_ps(), l2 = _mm256_setzero_ps(),
             l3 = _mm256_setzero_ps();
      __m256 r0 = _mm256_setzero_ps(), r1 = _mm256_setzero_ps(), r2 = _mm256_setzero_ps(),
             r3 = _mm256_setzero_ps();
      for (uint32_t t = 0; t * 8 < taps; ++t) {
        const size_t o = t * 8;
        l0 = _mm256_fmadd_ps(_mm256_loadu_ps(la + o), c[t], l0);
        r0 = _mm256_fmadd_ps(_mm256_loadu_ps(ra + o), c[t], r0);
        l1 = _mm256_fmadd_ps(_mm256_loadu_ps(la + o + 1), c[t], l1);
        r1 = _mm256_fmadd_ps(_mm256_loadu_ps(ra + o + 1), c[t], r1);
        l2 = _mm256_fmadd_ps(_mm256_loadu_ps(la + o + 2), c[t], l2);
        r2 = _mm256_fmadd_ps(_mm256_loadu_ps(ra + o + 2), c[t], r2);
        l3 = _mm256_fmadd_ps(_mm256_loadu_ps(la + o + 3), c[t], l3);
        r3 = _mm256_fmadd_ps(_mm256_loadu_ps(ra + o + 3), c[t], r3);
      }
      // Whole frames a .. a + 3 and the sums between, interleaved.
      const __m128 wholeLeft = _mm_loadu_ps(left + a), wholeRight = _mm_loadu_ps(right + a);
      const __m128 halfLeft = Sum8x4(l0, l1, l2, l3), halfRight = Sum8x4(r0, r1, r2, r3);
      float* ol = outLeft + k;
      float* orr = outRight + k;
      _mm_storeu_ps(ol, _mm_add_ps(_mm_loadu_ps(ol), _mm_unpacklo_ps(wholeLeft, halfLeft)));
      _mm_storeu_ps(ol + 4, _mm_add_ps(_mm_loadu_ps(ol + 4), _mm_unpackhi_ps(wholeLeft, halfLeft)));
      _mm_storeu_ps(orr, _mm_add_ps(_mm_loadu_ps(orr), _mm_unpacklo_ps(wholeRight, halfRight)));
      _mm_storeu_ps(orr + 4,
                    _mm_add_ps(_mm_loadu_ps(orr + 4), _mm_unpackhi_ps(wholeRight, halfRight)));
    }
    for (; k < frames; ++k, position += step) {
      StereoOne(left, right, kernel, position, outLeft + k, outRight + k);
    }
    return position;
  }
  // Doubling the rate: frames go in pairs on the same input frames, at delay 0 and 1/2,
  // so two pairs read their samples once for both rows. Each frame's sum is taken in
  // the same order as below, so the results are the same to the bit.
  if (kernel.phases == 2 && step == (uint64_t{1} << 31)) {
    if ((position & 0xFFFFFFFFu) != 0 && frames > 0) {
      StereoOne(left, right, kernel, position, outLeft, outRight);
      position += step;
      k = 1;
    }
    const float* w0 = kernel.rows;
    const float* w1 = kernel.rows + taps;
    for (; k + 4 <= frames; k += 4) {
      const size_t a = static_cast<size_t>(position >> 32) - kernel.before;
      const float* la = left + a;
      const float* ra = right + a;
      __m256 l0 = _mm256_setzero_ps(), l1 = _mm256_setzero_ps(), l2 = _mm256_setzero_ps(),
             l3 = _mm256_setzero_ps();
      __m256 r0 = _mm256_setzero_ps(), r1 = _mm256_setzero_ps(), r2 = _mm256_setzero_ps(),
             r3 = _mm256_setzero_ps();
      for (uint32_t t = 0; t < taps; t += 8) {
        const __m256 c0 = _mm256_loadu_ps(w0 + t);
        const __m256 c1 = _mm256_loadu_ps(w1 + t);
        const __m256 x0 = _mm256_loadu_ps(la + t);
        const __m256 y0 = _mm256_loadu_ps(ra + t);
        const __m256 x1 = _mm256_loadu_ps(la + 1 + t);
        const __m256 y1 = _mm256_loadu_ps(ra + 1 + t);
        l0 = _mm256_fmadd_ps(x0, c0, l0);
        r0 = _mm256_fmadd_ps(y0, c0, r0);
        l1 = _mm256_fmadd_ps(x0, c1, l1);
        r1 = _mm256_fmadd_ps(y0, c1, r1);
        l2 = _mm256_fmadd_ps(x1, c0, l2);
        r2 = _mm256_fmadd_ps(y1, c0, r2);
        l3 = _mm256_fmadd_ps(x1, c1, l3);
        r3 = _mm256_fmadd_ps(y1, c1, r3);
      }
      _mm_storeu_ps(outLeft + k, _mm_add_ps(_mm_loadu_ps(outLeft + k), Sum8x4(l0, l1, l2, l3)));
      _mm_storeu_ps(outRight + k, _mm_add_ps(_mm_loadu_ps(outRight + k), Sum8x4(r0, r1, r2, r3)));
      position += 4 * step;
    }
  }
  // The stage into a 48000 Hz output is 16 taps long, that of the full-band bus 32.
  if (taps == 16) {
    k += StereoGroups<16>(left, right, kernel, position, step, frames - k, outLeft + k,
                          outRight + k);
  } else if (taps == 32) {
    k += StereoGroups<32>(left, right, kernel, position, step, frames - k, outLeft + k,
                          outRight + k);
  } else {
    k +=
        StereoGroups<0>(left, right, kernel, position, step, frames - k, outLeft + k, outRight + k);
  }
  for (; k < frames; ++k) {
    StereoOne(left, right, kernel, position, outLeft + k, outRight + k);
    position += step;
  }
  return position;
}

namespace {

// Adds the products of the four last taps, x[0..3] * w[0..3], to the low half of `sum`.
inline __m256 AddTail(__m256 sum, const float* x, const float* w) {
  const __m128 product = _mm_mul_ps(_mm_loadu_ps(x), _mm_loadu_ps(w));
  return _mm256_add_ps(sum, _mm256_insertf128_ps(_mm256_setzero_ps(), product, 0));
}

// MonoAvx2 for a kernel of `Taps` taps (a multiple of 4) and `Phases` phases (0: as the
// kernel says).
template <uint32_t Taps, uint32_t Phases>
uint64_t MonoRun(const float* samples, const Kernel& kernel, uint64_t position, uint64_t step,
                 size_t frames, float gainLeft, float gainRight, float* outLeft, float* outRight) {
  // Locals, so that the stores to the output need not reload them.
  const Kernel view = kernel;
  const uint32_t taps = Taps != 0 ? Taps : view.taps;
  const __m128 gl = _mm_set1_ps(gainLeft);
  const __m128 gr = _mm_set1_ps(gainRight);
  size_t k = 0;
  for (; k + 4 <= frames; k += 4) {
    const float* w[4];
    const float* x[4];
    for (int j = 0; j < 4; ++j) {
      w[j] = (Phases != 0 ? RowAt<Taps, Phases>(view.rows, position) : RowAt(view, position));
      x[j] = samples + (static_cast<size_t>(position >> 32) - view.before);
      position += step;
    }
    __m256 s0 = _mm256_setzero_ps(), s1 = _mm256_setzero_ps(), s2 = _mm256_setzero_ps(),
           s3 = _mm256_setzero_ps();
    uint32_t t = 0;
    for (; t + 8 <= taps; t += 8) {
      s0 = _mm256_fmadd_ps(_mm256_loadu_ps(x[0] + t), _mm256_loadu_ps(w[0] + t), s0);
      s1 = _mm256_fmadd_ps(_mm256_loadu_ps(x[1] + t), _mm256_loadu_ps(w[1] + t), s1);
      s2 = _mm256_fmadd_ps(_mm256_loadu_ps(x[2] + t), _mm256_loadu_ps(w[2] + t), s2);
      s3 = _mm256_fmadd_ps(_mm256_loadu_ps(x[3] + t), _mm256_loadu_ps(w[3] + t), s3);
    }
    if (t < taps) {
      s0 = AddTail(s0, x[0] + t, w[0] + t);
      s1 = AddTail(s1, x[1] + t, w[1] + t);
      s2 = AddTail(s2, x[2] + t, w[2] + t);
      s3 = AddTail(s3, x[3] + t, w[3] + t);
    }
    const __m128 y = Sum8x4(s0, s1, s2, s3);
    _mm_storeu_ps(outLeft + k, _mm_add_ps(_mm_loadu_ps(outLeft + k), _mm_mul_ps(y, gl)));
    _mm_storeu_ps(outRight + k, _mm_add_ps(_mm_loadu_ps(outRight + k), _mm_mul_ps(y, gr)));
  }
  for (; k < frames; ++k) {
    const float* w =
        (Phases != 0 ? RowAt<Taps, Phases>(view.rows, position) : RowAt(view, position));
    const float* x = samples + (static_cast<size_t>(position >> 32) - view.before);
    __m256 s = _mm256_setzero_ps();
    uint32_t t = 0;
    for (; t + 8 <= taps; t += 8) {
      s = _mm256_fmadd_ps(_mm256_loadu_ps(x + t), _mm256_loadu_ps(w + t), s);
    }
    if (t < taps) s = AddTail(s, x + t, w + t);
    const __m256 zero = _mm256_setzero_ps();
    const float y = _mm_cvtss_f32(Sum8x4(s, zero, zero, zero));
    outLeft[k] += y * gainLeft;
    outRight[k] += y * gainRight;
    position += step;
  }
  return position;
}

}  // namespace

uint64_t MonoAvx2(const float* samples, const Kernel& kernel, uint64_t position, uint64_t step,
                  size_t frames, float gainLeft, float gainRight, float* outLeft, float* outRight) {
  // The per-voice kernels, 256 phases each: 20 taps, and 24 to 48 for a voice read
  // faster than its stage (a full-band sound raised by Dynamic Random), unrolled for
  // their lengths.
  if (kernel.phases == 256) {
    switch (kernel.taps) {
      case 20:
        return MonoRun<20, 256>(samples, kernel, position, step, frames, gainLeft, gainRight,
                                outLeft, outRight);
      case 24:
        return MonoRun<24, 256>(samples, kernel, position, step, frames, gainLeft, gainRight,
                                outLeft, outRight);
      case 28:
        return MonoRun<28, 256>(samples, kernel, position, step, frames, gainLeft, gainRight,
                                outLeft, outRight);
      case 32:
        return MonoRun<32, 256>(samples, kernel, position, step, frames, gainLeft, gainRight,
                                outLeft, outRight);
      case 36:
        return MonoRun<36, 256>(samples, kernel, position, step, frames, gainLeft, gainRight,
                                outLeft, outRight);
      case 48:
        return MonoRun<48, 256>(samples, kernel, position, step, frames, gainLeft, gainRight,
                                outLeft, outRight);
      default:
        break;
    }
  }
  return MonoRun<0, 0>(samples, kernel, position, step, frames, gainLeft, gainRight, outLeft,
                       outRight);
}

// Eight frames at a time. A stereo source's frames are taken apart by lanes: the
// shuffle leaves frames 0, 1, 4, 5 | 2, 3, 6, 7, and the permute puts them in order.
void ExactAvx2(const float* samples, uint32_t channels, size_t frames, float gainLeft,
               float gainRight, float* outLeft, float* outRight) {
  const __m256 gl = _mm256_set1_ps(gainLeft);
  const __m256 gr = _mm256_set1_ps(gainRight);
  size_t k = 0;
  if (channels == 1) {
    for (; k + 8 <= frames; k += 8) {
      const __m256 x = _mm256_loadu_ps(samples + k);
      _mm256_storeu_ps(outLeft + k, _mm256_fmadd_ps(x, gl, _mm256_loadu_ps(outLeft + k)));
      _mm256_storeu_ps(outRight + k, _mm256_fmadd_ps(x, gr, _mm256_loadu_ps(outRight + k)));
    }
    for (; k < frames; ++k) {
      outLeft[k] += samples[k] * gainLeft;
      outRight[k] += samples[k] * gainRight;
    }
    return;
  }
  for (; k + 8 <= frames; k += 8) {
    const __m256 a = _mm256_loadu_ps(samples + 2 * k);
    const __m256 b = _mm256_loadu_ps(samples + 2 * k + 8);
    const auto inOrder = [](__m256 v) {
      return _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(v), 0xD8));
    };
    const __m256 l = inOrder(_mm256_shuffle_ps(a, b, 0x88));
    const __m256 r = inOrder(_mm256_shuffle_ps(a, b, 0xDD));
    _mm256_storeu_ps(outLeft + k, _mm256_fmadd_ps(l, gl, _mm256_loadu_ps(outLeft + k)));
    _mm256_storeu_ps(outRight + k, _mm256_fmadd_ps(r, gr, _mm256_loadu_ps(outRight + k)));
  }
  for (; k < frames; ++k) {
    outLeft[k] += samples[2 * k] * gainLeft;
    outRight[k] += samples[2 * k + 1] * gainRight;
  }
}

}  // namespace lullwood::loops
