// Decimation by an integer factor with a Blackman-windowed sinc low-pass (cutoff
// 0.45 of the output rate), for sounds synthesised oversampled (clipping, waveshaping).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "Math.h"

namespace lullwood::synth {

// Returns in.size() / factor samples. With `circular` the filter wraps round the ends
// (for loops); otherwise samples outside `in` count as zero.
inline std::vector<float> Decimate(std::span<const float> in, int factor, bool circular,
                                   int halfTaps = 48) {
  std::vector<double> taps(2 * halfTaps + 1);
  const double fc = 0.45 / factor;  // cycles per input sample
  double sum = 0.0;
  for (int i = -halfTaps; i <= halfTaps; ++i) {
    const double sinc = i == 0 ? 2.0 * fc : Sin2Pi(fc * i) / (kPi * i);
    const double w = 0.42 + 0.5 * Cos2Pi(0.5 * i / (halfTaps + 1)) +
                     0.08 * Cos2Pi(static_cast<double>(i) / (halfTaps + 1));
    taps[i + halfTaps] = sinc * w;
    sum += sinc * w;
  }
  const int64_t n = static_cast<int64_t>(in.size());
  std::vector<float> out(in.size() / factor);
  for (size_t o = 0; o < out.size(); ++o) {
    const int64_t centre = static_cast<int64_t>(o) * factor;
    double acc = 0.0;
    for (int i = -halfTaps; i <= halfTaps; ++i) {
      int64_t at = centre + i;
      if (circular) {
        at = ((at % n) + n) % n;
      } else if (at < 0 || at >= n) {
        continue;
      }
      acc += taps[i + halfTaps] * in[static_cast<size_t>(at)];
    }
    out[o] = static_cast<float>(acc / sum);
  }
  return out;
}

}  // namespace lullwood::synth

namespace lullwood::synth {

// The modified Bessel function I0 by its power series: only +, * and /, so the same bits
// on every machine.
inline double BesselI0(double x) {
  const double q = x * x / 4.0;
  double term = 1.0, sum = 1.0;
  for (int k = 1; k < 200 && term > sum * 1e-17; ++k) {
    term *= q / (static_cast<double>(k) * k);
    sum += term;
  }
  return sum;
}

// A linear-phase Kaiser-windowed sinc low-pass for decimating by `factor`: flat within
// 0.01 dB to `passHz`, at least `stopDb` down from `stopHz` on (both at `rate`, the input
// rate), `stopDb` 50 or more. Odd length, unit gain at 0 Hz.
inline std::vector<double> KaiserLowPass(double rate, double passHz, double stopHz, double stopDb) {
  const double transition = (stopHz - passHz) / rate;  // cycles per sample
  const double beta = 0.1102 * (std::max(stopDb, 50.0) - 8.7);
  // Kaiser's estimate of the length, rounded up to an odd number of taps.
  const int half =
      static_cast<int>(std::ceil((stopDb - 8.0) / (2.285 * kTwoPi * transition) / 2.0));
  const double fc = (passHz + stopHz) / 2.0 / rate;
  std::vector<double> taps(static_cast<size_t>(2 * half + 1));
  const double norm = BesselI0(beta);
  double sum = 0.0;
  for (int i = -half; i <= half; ++i) {
    const double sinc = i == 0 ? 2.0 * fc : Sin2Pi(fc * i) / (kPi * i);
    const double r = static_cast<double>(i) / half;
    const double w = BesselI0(beta * std::sqrt(std::max(0.0, 1.0 - r * r))) / norm;
    taps[static_cast<size_t>(i + half)] = sinc * w;
    sum += sinc * w;
  }
  for (double& t : taps) t /= sum;
  return taps;
}

// Keeps every `factor`-th frame of `in` (`channels` interleaved) after the low-pass
// `taps` (odd length, centred). With `circular` the filter wraps round the ends, so a
// loop's seam stays a seam; otherwise the signal is silent beyond its ends.
inline std::vector<float> DecimateFrames(std::span<const float> in, int channels, int factor,
                                         std::span<const double> taps, bool circular) {
  const int64_t frames = static_cast<int64_t>(in.size()) / channels;
  const int64_t half = static_cast<int64_t>(taps.size()) / 2;
  const int64_t outFrames = frames / factor;
  std::vector<float> out(static_cast<size_t>(outFrames * channels));
  for (int64_t o = 0; o < outFrames; ++o) {
    const int64_t centre = o * factor;
    for (int c = 0; c < channels; ++c) {
      double acc = 0.0;
      for (int64_t k = -half; k <= half; ++k) {
        int64_t at = centre + k;
        if (at < 0 || at >= frames) {
          if (!circular) continue;
          at = ((at % frames) + frames) % frames;
        }
        acc += taps[static_cast<size_t>(k + half)] * in[static_cast<size_t>(at * channels + c)];
      }
      out[static_cast<size_t>(o * channels + c)] = static_cast<float>(acc);
    }
  }
  return out;
}

// The low-pass that makes a catalogue wave from a render `factor` (2 or 4) times its rate:
// flat to 96 % of the catalogue wave's Nyquist frequency (5.29 kHz at 11025 Hz), so the
// wave keeps nearly all its band, and 80 dB down from where what it lets through would
// fold back below 90 % of it (6.07 kHz folds to 4.96 kHz), so no alias lands below 5 kHz;
// 8-bit dither lies only 48 dB under full scale.
inline const std::vector<double>& OriginalBandFilter(int factor) {
  static const std::vector<double> byTwo = KaiserLowPass(2.0, 0.48, 0.55, 80.0);
  static const std::vector<double> byFour = KaiserLowPass(4.0, 0.48, 0.55, 80.0);
  return factor == 4 ? byFour : byTwo;
}

// `x` (`channels` interleaved, at `rate`) in the band of the catalogue's wave at
// `originalRate` and at that rate: x itself when the rates are equal.
inline std::vector<float> InOriginalBand(std::span<const float> x, int channels, double rate,
                                         double originalRate, bool circular) {
  const int factor = static_cast<int>(rate / originalRate + 0.5);
  if (factor <= 1) return {x.begin(), x.end()};
  return DecimateFrames(x, channels, factor, OriginalBandFilter(factor), circular);
}

}  // namespace lullwood::synth
