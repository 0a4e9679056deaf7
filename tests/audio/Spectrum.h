// Measuring rendered output: the amplitude of one frequency (Goertzel's algorithm over a
// Blackman-Harris window, whose side lobes lie 92 dB down) and band powers.
#pragma once

#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

#include "measure/Figures.h"

namespace lullwood::testing {

inline double BlackmanHarris(size_t i, size_t n) {
  const double x = 2 * M_PI * double(i) / double(n - 1);
  return 0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x) - 0.01168 * std::cos(3 * x);
}

// The amplitude of a sine of `hz` in `x` sampled at `rate`.
inline double Amplitude(const std::vector<float>& x, double hz, double rate) {
  const double w = 2 * M_PI * hz / rate;
  const double c = 2 * std::cos(w);
  double s1 = 0, s2 = 0, sum = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    const double win = BlackmanHarris(i, x.size());
    sum += win;
    const double s0 = x[i] * win + c * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double re = s1 - s2 * std::cos(w);
  const double im = s2 * std::sin(w);
  return 2 * std::sqrt(re * re + im * im) / sum;
}

inline double Db(double ratio) {
  return 20 * std::log10(ratio);
}

// One channel of interleaved stereo, from frame `from` on.
inline std::vector<float> Left(const std::vector<float>& stereo, size_t from, size_t frames) {
  std::vector<float> out(frames);
  for (size_t i = 0; i < frames; ++i) out[i] = stereo[2 * (from + i)];
  return out;
}

// The spectrum of `size` samples of `x` from `start` (a power of two), under a
// Blackman-Harris window: bins 0 .. size - 1, scaled so that a sine's peak bin is its
// amplitude.
inline std::vector<std::complex<double>> WindowedSpectrum(const std::vector<float>& x, size_t start,
                                                          size_t size) {
  std::vector<std::complex<double>> a(size);
  double sum = 0;
  for (size_t i = 0; i < size; ++i) {
    const double win = BlackmanHarris(i, size);
    sum += win;
    a[i] = x[start + i] * win;
  }
  measure::Fft(a);
  for (auto& bin : a) bin *= 2 / sum;
  return a;
}

// Power in [lowHz, highHz) of `x`, summed over Blackman-Harris-windowed frames of
// `size` samples (a power of two), half overlapping.
inline double BandPower(const std::vector<float>& x, double rate, double lowHz, double highHz,
                        size_t size = 4096) {
  double total = 0;
  for (size_t start = 0; start + size <= x.size(); start += size / 2) {
    const auto a = WindowedSpectrum(x, start, size);
    for (size_t k = 1; k < size / 2; ++k) {
      const double hz = double(k) * rate / double(size);
      if (hz >= lowHz && hz < highHz) total += std::norm(a[k]);
    }
  }
  return total;
}

// The loudest component of `x` (its length a power of two) from 20 Hz to the top of
// its band, leaving out `guardHz` either side of `hz`; with where it lies.
struct Loudest {
  double amplitude = 0;
  double hz = 0;
};
inline Loudest LoudestAwayFrom(const std::vector<float>& x, double rate, double hz,
                               double guardHz) {
  const auto a = WindowedSpectrum(x, 0, x.size());
  Loudest loudest;
  for (size_t k = 1; k < x.size() / 2; ++k) {
    const double at = double(k) * rate / double(x.size());
    if (at < 20 || std::abs(at - hz) < guardHz) continue;
    if (std::abs(a[k]) > loudest.amplitude) loudest = {std::abs(a[k]), at};
  }
  return loudest;
}

}  // namespace lullwood::testing
