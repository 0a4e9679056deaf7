#include "Limiter.h"

#include <algorithm>
#include <bit>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lullwood {
namespace {

constexpr double kLookAheadSeconds = 0.002;
constexpr double kReleaseSeconds = 0.1;  // time constant of the rise back to 1
// A gain this close to its target is taken as there: about 0.0001 dB.
constexpr float kSnap = 1.0f / 65536.0f;

// A hair below the ceiling, so that rounding the gained samples cannot reach it.
constexpr float kTarget = Limiter::kCeiling * (1.0f - 1.0f / 65536.0f);

// The largest magnitude among a and b's first n samples (0 for none).
float PeakOf(const float* a, const float* b, size_t n) {
  size_t k = 0;
  float peak = 0.0f;
#if defined(__SSE2__)
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  __m128 p0 = _mm_setzero_ps(), p1 = _mm_setzero_ps();
  for (; k + 8 <= n; k += 8) {
    p0 = _mm_max_ps(p0, _mm_and_ps(_mm_loadu_ps(a + k), magnitude));
    p1 = _mm_max_ps(p1, _mm_and_ps(_mm_loadu_ps(b + k), magnitude));
    p0 = _mm_max_ps(p0, _mm_and_ps(_mm_loadu_ps(a + k + 4), magnitude));
    p1 = _mm_max_ps(p1, _mm_and_ps(_mm_loadu_ps(b + k + 4), magnitude));
  }
  p0 = _mm_max_ps(p0, p1);
  p0 = _mm_max_ps(p0, _mm_movehl_ps(p0, p0));
  p0 = _mm_max_ss(p0, _mm_shuffle_ps(p0, p0, 1));
  peak = _mm_cvtss_f32(p0);
#endif
  for (; k < n; ++k) peak = std::max({peak, std::fabs(a[k]), std::fabs(b[k])});
  return peak;
}

// Writes n frames of l and r as left/right pairs into o, frame k times the gain
// from + slope * (start + k). Returns how many of those gains are below 1.
size_t Interleave(const float* l, const float* r, size_t n, float from, float slope, size_t start,
                  float* o) {
  size_t k = 0;
  size_t reduced = 0;
#if defined(__SSE2__)
  // Bits set in each four-bit mask (the baseline instruction set has no popcount).
  static constexpr uint8_t kBitsSet[16] = {0, 1, 1, 2, 1, 2, 2, 3, 1, 2, 2, 3, 2, 3, 3, 4};
  if (from == 1.0f && slope == 0.0f) {
    for (; k + 4 <= n; k += 4) {
      const __m128 a = _mm_loadu_ps(l + k), b = _mm_loadu_ps(r + k);
      _mm_storeu_ps(o + 2 * k, _mm_unpacklo_ps(a, b));
      _mm_storeu_ps(o + 2 * k + 4, _mm_unpackhi_ps(a, b));
    }
  } else {
    const __m128 base = _mm_set1_ps(from), rise = _mm_set1_ps(slope), one = _mm_set1_ps(1.0f);
    for (; k + 4 <= n; k += 4) {
      const float at = float(start + k);
      const __m128 index = _mm_add_ps(_mm_set1_ps(at), _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f));
      const __m128 gain = _mm_add_ps(base, _mm_mul_ps(rise, index));
      reduced += kBitsSet[_mm_movemask_ps(_mm_cmplt_ps(gain, one))];
      const __m128 a = _mm_mul_ps(_mm_loadu_ps(l + k), gain);
      const __m128 b = _mm_mul_ps(_mm_loadu_ps(r + k), gain);
      _mm_storeu_ps(o + 2 * k, _mm_unpacklo_ps(a, b));
      _mm_storeu_ps(o + 2 * k + 4, _mm_unpackhi_ps(a, b));
    }
  }
#endif
  for (; k < n; ++k) {
    const float gain = from + slope * float(start + k);
    reduced += gain < 1.0f;
    o[2 * k] = l[k] * gain;
    o[2 * k + 1] = r[k] * gain;
  }
  return reduced;
}

size_t AheadChunks(int rate) {
  const auto frames = static_cast<long>(std::lround(std::max(rate, 1) * kLookAheadSeconds));
  return static_cast<size_t>(std::max<long>(1, frames / long{Limiter::kChunk} - 2));
}

}  // namespace

Limiter::Limiter(int rate)
    : ahead_(AheadChunks(rate)),
      delay_((ahead_ + 2) * kChunk),
      release_(std::exp(-double(kChunk) / (kReleaseSeconds * std::max(rate, 1)))),
      delayLeft_(delay_, 0.0f),
      delayRight_(delay_, 0.0f),
      limits_(std::bit_ceil(ahead_ + 1)),
      reductions_(ahead_ + 1, 0.0),
      perWindow_(1.0 / double(ahead_ + 1)),
      gains_(std::bit_ceil(ahead_ + 4), 1.0f) {}

void Limiter::Process(const float* left, const float* right, size_t frames, float* out) {
  if (ProcessQuiet(left, right, frames, out)) return;
  size_t i = 0;
  while (i < frames) {
    // A run of frames within one chunk on the way in and one on the way out.
    const size_t intoChunk = static_cast<size_t>(frame_ % kChunk);
    const size_t run = std::min({frames - i, kChunk - intoChunk, delay_ - delayAt_});
    const bool gained = enabled_ && frame_ >= delay_;
    // The frames leaving the delay belong to chunk k, whose gain runs from the boundary
    // before it to the one after. The delay is a whole number of chunks, so they stand
    // as far into their chunk as the incoming ones.
    const uint64_t k = gained ? (frame_ - delay_) / kChunk : 0;
    const float from = gained ? GainAt(k) : 1.0f;
    const float slope = gained ? (GainAt(k + 1) - from) / float(kChunk) : 0.0f;
    float* delayedLeft = delayLeft_.data() + delayAt_;
    float* delayedRight = delayRight_.data() + delayAt_;
    float* o = out + 2 * i;
    reducedFrames_ += Interleave(delayedLeft, delayedRight, run, from, slope, intoChunk, o);
    std::copy_n(left + i, run, delayedLeft);
    std::copy_n(right + i, run, delayedRight);
    chunkPeak_ = std::max(chunkPeak_, PeakOf(left + i, right + i, run));
    delayAt_ += run;
    if (delayAt_ == delay_) delayAt_ = 0;
    frame_ += run;
    i += run;
    if (frame_ % kChunk == 0) {
      EndChunk(chunkPeak_);
      chunkPeak_ = 0.0f;
    }
  }
}

bool Limiter::ProcessQuiet(const float* left, const float* right, size_t frames, float* out) {
  if (frames == 0 || limitsCount_ != 0 || reductionsNonZero_ != 0 || lastNeed_ != 1.0f ||
      chunkPeak_ > kTarget) {
    return false;
  }
  // The delayed frames leaving now start in this chunk; it and every later boundary
  // must have gain 1.
  const uint64_t firstOut = frame_ >= delay_ ? (frame_ - delay_) / kChunk : 0;
  if (reducedUntil_ > firstOut) return false;
  // A NaN fails the compare too, and takes the careful path.
  const float peak = PeakOf(left, right, frames);
  if (!(peak <= kTarget)) return false;

  // The output: what the delay holds, then the input itself.
  const size_t fromDelay = std::min(frames, delay_);
  for (size_t n = 0; n < fromDelay; ++n) {
    size_t at = delayAt_ + n;
    if (at >= delay_) at -= delay_;
    out[2 * n] = delayLeft_[at];
    out[2 * n + 1] = delayRight_[at];
  }
  for (size_t n = fromDelay; n < frames; ++n) {
    out[2 * n] = left[n - delay_];
    out[2 * n + 1] = right[n - delay_];
  }
  // The delay keeps the last frames taken in.
  if (frames >= delay_) {
    std::copy_n(left + frames - delay_, delay_, delayLeft_.data());
    std::copy_n(right + frames - delay_, delay_, delayRight_.data());
    delayAt_ = 0;
  } else {
    for (size_t n = 0; n < frames; ++n) {
      delayLeft_[delayAt_] = left[n];
      delayRight_[delayAt_] = right[n];
      if (++delayAt_ == delay_) delayAt_ = 0;
    }
  }
  // Every chunk completed is below the ceiling: each boundary it settles gets gain 1,
  // exactly as EndChunk would give it with nothing pending.
  const uint64_t end = frame_ + frames;
  const uint64_t completed = end / kChunk - frame_ / kChunk;
  for (uint64_t c = 0; c < completed; ++c) {
    const uint64_t j = chunks_++;
    if (j < ahead_) continue;
    if (++reductionAt_ == reductions_.size()) reductionAt_ = 0;
    gains_[(j - ahead_) & (gains_.size() - 1)] = 1.0f;
  }
  // Only whether a chunk's peak passes the target matters, so the whole block's peak
  // stands for the part of a chunk still open.
  chunkPeak_ = end % kChunk == 0 ? 0.0f : std::max(chunkPeak_, peak);
  frame_ = end;
  return true;
}

void Limiter::EndChunk(float peak) {
  // The gain at the boundary before chunk j may be no more than chunk j - 1 and chunk j
  // allow, the gain running linearly across each chunk.
  const uint64_t j = chunks_++;
  const float need = peak > kTarget ? kTarget / peak : 1.0f;
  const float boundaryNeed = std::min(need, lastNeed_);
  lastNeed_ = need;
  const size_t mask = limits_.size() - 1;
  if (boundaryNeed < 1.0f) {
    while (limitsCount_ > 0 &&
           limits_[(limitsFront_ + limitsCount_ - 1) & mask].gain >= boundaryNeed) {
      --limitsCount_;
    }
    limits_[(limitsFront_ + limitsCount_) & mask] = {j, boundaryNeed};
    ++limitsCount_;
  }
  if (j < ahead_) return;  // the first boundaries stay at 1
  // Boundary b = j - ahead_: the lowest need of boundaries b .. j, averaged over the last
  // ahead_ + 1 such minima. Each of them covers b, so the average never exceeds b's need,
  // and it falls smoothly over the look-ahead.
  const uint64_t b = j - ahead_;
  while (limitsCount_ > 0 && limits_[limitsFront_].chunk < b) {
    limitsFront_ = (limitsFront_ + 1) & mask;
    --limitsCount_;
  }
  const double reduction = limitsCount_ > 0 ? 1.0 - limits_[limitsFront_].gain : 0.0;
  const double old = reductions_[reductionAt_];
  reductions_[reductionAt_] = reduction;
  if (++reductionAt_ == reductions_.size()) reductionAt_ = 0;
  reductionsNonZero_ += (reduction != 0) - (old != 0);
  reductionSum_ = reductionsNonZero_ == 0 ? 0.0 : reductionSum_ + reduction - old;
  float target = reductionsNonZero_ == 0
                     ? 1.0f
                     : static_cast<float>(1.0 - std::max(reductionSum_, 0.0) * perWindow_);
  // The first boundaries have no minima before them to average: held to their own.
  if (b < ahead_) target = std::min(target, static_cast<float>(1.0 - reduction));
  // Down at once (the average already falls smoothly), up slowly.
  const float previous = b == 0 ? 1.0f : GainAt(b - 1);
  float gain = target;
  if (target > previous) {
    gain = static_cast<float>(target - (target - previous) * release_);
    if (target - gain < kSnap) gain = target;
  }
  gains_[b & (gains_.size() - 1)] = gain;
  if (gain < 1.0f) reducedUntil_ = b + 1;
}

}  // namespace lullwood
