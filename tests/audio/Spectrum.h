// Measuring rendered output: the amplitude of one frequency (Goertzel's algorithm over a
// Blackman-Harris window, whose side lobes lie 92 dB down) and band powers.
#pragma once

#include <cmath>
#include <complex>
#include <cstddef>
#include <vector>

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

// Power in [lowHz, highHz) of `x`, summed over Blackman-Harris-windowed frames of
// `size` samples (a power of two), half overlapping.
inline double BandPower(const std::vector<float>& x, double rate, double lowHz, double highHz,
                        size_t size = 4096) {
  std::vector<std::complex<double>> a(size);
  double total = 0;
  for (size_t start = 0; start + size <= x.size(); start += size / 2) {
    for (size_t i = 0; i < size; ++i) a[i] = x[start + i] * BlackmanHarris(i, size);
    // Radix-2 FFT in place.
    for (size_t i = 1, j = 0; i < size; ++i) {
      size_t bit = size >> 1;
      for (; j & bit; bit >>= 1) j ^= bit;
      j ^= bit;
      if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= size; len <<= 1) {
      const std::complex<double> step = std::polar(1.0, -2 * M_PI / double(len));
      for (size_t i = 0; i < size; i += len) {
        std::complex<double> w(1.0, 0.0);
        for (size_t k = 0; k < len / 2; ++k) {
          const auto u = a[i + k], v = a[i + k + len / 2] * w;
          a[i + k] = u + v;
          a[i + k + len / 2] = u - v;
          w *= step;
        }
      }
    }
    for (size_t k = 1; k < size / 2; ++k) {
      const double hz = double(k) * rate / double(size);
      if (hz >= lowHz && hz < highHz) total += std::norm(a[k]);
    }
  }
  return total;
}

}  // namespace lullwood::testing
