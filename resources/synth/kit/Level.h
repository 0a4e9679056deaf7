// Level measurement and adjustment in the generator's units: 1.0 is 8-bit full scale
// (127 steps), and dB are relative to the RMS of a full-scale square wave (as sox reports).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "Filters.h"
#include "Math.h"
#include "Resample.h"

namespace lullwood::synth {

inline double Rms(std::span<const float> x) {
  if (x.empty()) return 0.0;
  double s = 0.0;
  for (float v : x) s += static_cast<double>(v) * v;
  return std::sqrt(s / static_cast<double>(x.size()));
}

inline double Peak(std::span<const float> x) {
  double p = 0.0;
  for (float v : x) p = std::max(p, static_cast<double>(std::fabs(v)));
  return p;
}

// RMS after a 100 Hz high-pass (a crude loudness weighting). Treats `x` as one period of a
// loop when `circular` is set, so the filter starts in its steady state.
inline double RmsAbove100Hz(std::span<const float> x, double sampleRate, bool circular) {
  Biquad hp = Biquad::HighPass(sampleRate, 100.0);
  if (circular)
    for (float v : x) hp.Process(v);
  double s = 0.0;
  for (float v : x) {
    const double y = hp.Process(v);
    s += y * y;
  }
  return x.empty() ? 0.0 : std::sqrt(s / static_cast<double>(x.size()));
}

// RmsAbove100Hz of `x` (one channel at `rate`) in the band the catalogue's wave at
// `originalRate` keeps: exactly RmsAbove100Hz when the two rates are equal.
inline double LoudnessInOriginalBand(std::span<const float> x, double rate, double originalRate,
                                     bool circular) {
  if (rate == originalRate) return RmsAbove100Hz(x, rate, circular);
  const std::vector<float> band = InOriginalBand(x, 1, rate, originalRate, circular);
  return RmsAbove100Hz(band, originalRate, circular);
}

inline double RmsDb(std::span<const float> x) {
  return GainToDb(std::max(Rms(x), 1e-12));
}

inline void Scale(std::span<float> x, double gain) {
  for (float& v : x) v = static_cast<float>(v * gain);
}

// Subtracts the mean, so no DC step appears at a loop seam or in a mix.
inline void RemoveDc(std::span<float> x) {
  if (x.empty()) return;
  double s = 0.0;
  for (float v : x) s += v;
  const double mean = s / static_cast<double>(x.size());
  for (float& v : x) v = static_cast<float>(v - mean);
}

// Scales `x` so its RMS above 100 Hz is `targetDb`, then lowers it further if needed so
// the peak stays at or below `peakLimitDb`. Returns the gain applied.
inline double NormalizeLoudness(std::span<float> x, double sampleRate, double targetDb,
                                double peakLimitDb, bool circular) {
  const double rms = RmsAbove100Hz(x, sampleRate, circular);
  if (rms <= 0.0) return 1.0;
  double gain = DbToGain(targetDb) / rms;
  const double peak = Peak(x) * gain;
  const double limit = DbToGain(peakLimitDb);
  if (peak > limit) gain *= limit / peak;
  Scale(x, gain);
  return gain;
}

// A gain that reaches each frame's `need` (at most 1) smoothly: the lowest need within
// +-`w` frames, then a moving average of the same width, which never rises above a
// frame's own need because every value averaged is a minimum over a window that contains
// that frame. With `circular` the windows wrap round the ends (loops); else frames
// beyond them need nothing. Returns the smoothed gain, not yet capped at the need.
inline std::vector<double> SmoothGain(std::span<const double> need, int64_t w, bool circular) {
  const int64_t n = static_cast<int64_t>(need.size());
  auto index = [&](int64_t i) -> int64_t {
    if (circular) return ((i % n) + n) % n;
    return i < 0 ? -1 : (i >= n ? -1 : i);
  };
  // Running minimum over [i - w, i + w] (a plain scan: windows are short).
  std::vector<double> lowest(need.size(), 1.0);
  for (int64_t i = 0; i < n; ++i) {
    if (need[static_cast<size_t>(i)] >= 1.0) continue;
    for (int64_t k = -w; k <= w; ++k) {
      const int64_t j = index(i + k);
      if (j >= 0)
        lowest[static_cast<size_t>(j)] =
            std::min(lowest[static_cast<size_t>(j)], need[static_cast<size_t>(i)]);
    }
  }
  std::vector<double> smooth(need.size());
  double sum = 0.0;
  for (int64_t k = -w; k <= w; ++k) {
    const int64_t j = index(k);
    sum += j >= 0 ? lowest[static_cast<size_t>(j)] : 1.0;
  }
  for (int64_t i = 0; i < n; ++i) {
    smooth[static_cast<size_t>(i)] = sum / static_cast<double>(2 * w + 1);
    const int64_t out = index(i - w), in = index(i + w + 1);
    sum -= out >= 0 ? lowest[static_cast<size_t>(out)] : 1.0;
    sum += in >= 0 ? lowest[static_cast<size_t>(in)] : 1.0;
  }
  return smooth;
}

// Transparent peak limiting without look-ahead artefacts: the gain each sample needs to
// stay within `limit` is spread over +-`windowSeconds` (SmoothGain), so no sample exceeds
// `limit` and the gain moves smoothly. With `circular` the windows wrap round the ends
// (loops); the result stays N-periodic.
inline void LimitPeaks(std::span<float> x, double sampleRate, double limit, double windowSeconds,
                       bool circular) {
  const int64_t w = std::max<int64_t>(1, static_cast<int64_t>(windowSeconds * sampleRate));
  if (x.empty() || Peak(x) <= limit) return;
  std::vector<double> need(x.size());
  for (size_t i = 0; i < x.size(); ++i) {
    const double a = std::fabs(x[i]);
    need[i] = a > limit ? limit / a : 1.0;
  }
  const std::vector<double> smooth = SmoothGain(need, w, circular);
  for (size_t i = 0; i < x.size(); ++i)
    x[i] = static_cast<float>(x[i] * std::min(smooth[i], need[i]));
}

// LimitPeaks for a signal `x` whose peaks are judged in `heard`, the same signal in a
// narrower band at 1/`factor` of the rate (frame j of `heard` is frame j * factor of `x`):
// the gain `heard` needs, held over each of its frames and smoothed as LimitPeaks does, is
// applied to `x`, so the band's peaks stay within `limit` and what lies above the band
// peaks where it will. Both are one channel.
inline void LimitPeaksHeardIn(std::span<float> x, std::span<const float> heard, int factor,
                              double sampleRate, double limit, double windowSeconds,
                              bool circular) {
  if (x.empty() || Peak(heard) <= limit) return;
  const int64_t w = std::max<int64_t>(1, static_cast<int64_t>(windowSeconds * sampleRate));
  std::vector<double> need(x.size(), 1.0);
  for (size_t i = 0; i < x.size(); ++i) {
    const size_t j = std::min(i / static_cast<size_t>(factor), heard.size() - 1);
    const double a = std::fabs(heard[j]);
    need[i] = a > limit ? limit / a : 1.0;
  }
  const std::vector<double> smooth = SmoothGain(need, w, circular);
  for (size_t i = 0; i < x.size(); ++i)
    x[i] = static_cast<float>(x[i] * std::min(smooth[i], need[i]));
}

// Cosine fades over the first and last frames (one-shots): `inSeconds` and `outSeconds`.
inline void FadeEnds(std::span<float> x, double sampleRate, double inSeconds, double outSeconds) {
  const double fin = inSeconds * sampleRate, fout = outSeconds * sampleRate;
  const size_t n = x.size();
  for (size_t i = 0; i < n; ++i) {
    double g = 1.0;
    if (i < fin) g *= 0.5 - 0.5 * Cos2Pi(0.5 * i / fin);
    const double fromEnd = static_cast<double>(n - 1 - i);
    if (fromEnd < fout) g *= 0.5 - 0.5 * Cos2Pi(0.5 * fromEnd / fout);
    x[i] = static_cast<float>(x[i] * g);
  }
}

}  // namespace lullwood::synth
