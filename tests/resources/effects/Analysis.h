// Small signal measurements for the effect tests: spectra, centroid, band energy and a
// silence-split event count.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <span>
#include <vector>

#include "measure/Figures.h"

namespace lullwood::synth::fx::test {

using measure::Fft;

// Power spectrum summed over Hann-windowed frames of `size` samples (half overlap).
// Bin k stands for k * fs / size Hz.
inline std::vector<double> PowerSpectrum(std::span<const float> x, size_t size = 2048) {
  std::vector<double> power(size / 2 + 1, 0.0);
  std::vector<std::complex<double>> frame(size);
  for (size_t start = 0; start + size <= x.size() || start == 0; start += size / 2) {
    for (size_t i = 0; i < size; ++i) {
      const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / size);
      frame[i] = start + i < x.size() ? w * x[start + i] : 0.0;
    }
    Fft(frame);
    for (size_t k = 0; k < power.size(); ++k) power[k] += std::norm(frame[k]);
    if (start + size >= x.size()) break;
  }
  return power;
}

inline double BinHz(size_t k, double fs, size_t size = 2048) {
  return static_cast<double>(k) * fs / static_cast<double>(size);
}

// Power-weighted mean frequency, DC bin excluded.
inline double Centroid(std::span<const float> x, double fs) {
  const std::vector<double> p = PowerSpectrum(x);
  double s = 0.0, w = 0.0;
  for (size_t k = 1; k < p.size(); ++k) {
    s += BinHz(k, fs) * p[k];
    w += p[k];
  }
  return w > 0.0 ? s / w : 0.0;
}

// Fraction of the power at or above `hz`.
inline double PowerFractionAbove(std::span<const float> x, double fs, double hz) {
  const std::vector<double> p = PowerSpectrum(x);
  double above = 0.0, total = 0.0;
  for (size_t k = 1; k < p.size(); ++k) {
    total += p[k];
    if (BinHz(k, fs) >= hz) above += p[k];
  }
  return total > 0.0 ? above / total : 0.0;
}

// Power of the bins within `halfWidthHz` of `hz`.
inline double PowerNear(const std::vector<double>& p, double fs, double hz, double halfWidthHz) {
  double s = 0.0;
  for (size_t k = 1; k < p.size(); ++k)
    if (std::fabs(BinHz(k, fs) - hz) <= halfWidthHz) s += p[k];
  return s;
}

// Level in dB of each third-octave band from 63 Hz to 5 kHz, relative to the loudest band.
inline std::vector<double> BandLevelsBelowLoudestDb(std::span<const float> x, double fs) {
  const std::vector<double> p = PowerSpectrum(x);
  std::vector<double> bands;
  for (double lo = 63.0; lo < 5000.0; lo *= std::pow(2.0, 1.0 / 3.0)) {
    const double hi = lo * std::pow(2.0, 1.0 / 3.0);
    double s = 1e-12;
    for (size_t k = 1; k < p.size(); ++k)
      if (BinHz(k, fs) >= lo && BinHz(k, fs) < hi) s += p[k];
    bands.push_back(10.0 * std::log10(s));
  }
  const double top = *std::max_element(bands.begin(), bands.end());
  for (double& b : bands) b = std::max(b - top, -60.0);
  return bands;
}

// Counts the sounding pieces: stretches where the 5 ms peak exceeds `threshold` (of full
// scale), joining pieces separated by less than 50 ms and ignoring pieces under 20 ms.
inline int CountEvents(std::span<const float> x, double fs, double threshold = 0.03) {
  const size_t hop = static_cast<size_t>(0.005 * fs);
  std::vector<bool> on;
  for (size_t i = 0; i < x.size(); i += hop) {
    double p = 0.0;
    for (size_t j = i; j < std::min(x.size(), i + hop); ++j)
      p = std::max(p, std::fabs(double{x[j]}));
    on.push_back(p > threshold);
  }
  int count = 0;
  size_t i = 0;
  while (i < on.size()) {
    if (!on[i]) {
      ++i;
      continue;
    }
    size_t end = i;
    size_t j = i;
    while (j < on.size()) {
      if (on[j]) {
        end = j;
        ++j;
      } else if (j - end <= 10) {  // gaps up to 50 ms are inside the piece
        ++j;
      } else {
        break;
      }
    }
    if ((end - i + 1) * 5 > 20) ++count;
    i = end + 1;
  }
  return count;
}

}  // namespace lullwood::synth::fx::test
