// Figures of a sound's bands at its own rate: how much of its power lies above the band an
// 11025 Hz wave keeps (5.5 kHz) and above 11 kHz, how steeply its spectrum falls from 5.5
// to 16 kHz, and how two waves of one sound at different rates compare band by band below
// 5 kHz. Meant for recordings at their own rates and for the generator's two renditions.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <span>
#include <vector>

#include "Figures.h"

namespace lullwood::measure {

// Power per hertz of all of `x`, averaged over Hann-windowed frames of about 93 ms (hop a
// half); bin k lies at k * fs / (2 * (size - 1)). Empty when `x` is shorter than a frame.
inline std::vector<double> PowerDensity(std::span<const float> x, double fs) {
  size_t n = 256;
  while (static_cast<double>(n) < 0.09 * fs) n *= 2;
  std::vector<double> power(n / 2 + 1, 0.0);
  std::vector<std::complex<double>> buf(n);
  int frames = 0;
  for (size_t at = 0; at + n <= x.size(); at += n / 2, ++frames) {
    for (size_t i = 0; i < n; ++i)
      buf[i] = x[at + i] * (0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / n));
    Fft(buf);
    for (size_t k = 0; k <= n / 2; ++k) power[k] += std::norm(buf[k]);
  }
  if (frames == 0) return {};
  // A Hann window keeps 3/8 of the power; one-sided density.
  const double scale = 2.0 / (frames * static_cast<double>(n) * fs * 0.375);
  for (double& p : power) p *= scale;
  return power;
}

// The power of `density` (from PowerDensity at `fs`) between lo and hi hertz.
inline double BandPower(const std::vector<double>& density, double fs, double lo, double hi) {
  if (density.size() < 2) return 0.0;
  const double binHz = fs / static_cast<double>(2 * (density.size() - 1));
  double s = 0.0;
  for (size_t k = 1; k < density.size(); ++k) {
    const double hz = static_cast<double>(k) * binHz;
    if (hz >= lo && hz < hi) s += density[k] * binHz;
  }
  return s;
}

struct HighBand {
  double above5k5 = 0;          // share of the power above 5.5 kHz, 0..1
  double above11k = 0;          // share above 11 kHz; -1 when the rate does not reach it
  double slopeDbPerOctave = 0;  // least-squares slope of third-octave levels 5.5-16 kHz
  bool slopeMeasured = false;   // false when the rate does not reach 11 kHz
};

inline HighBand MeasureHighBand(std::span<const float> x, double fs) {
  HighBand h;
  const std::vector<double> d = PowerDensity(x, fs);
  const double nyquist = fs / 2.0;
  const double total = BandPower(d, fs, 20.0, nyquist + 1.0);
  if (total <= 0.0) return h;
  h.above5k5 = BandPower(d, fs, 5500.0, nyquist + 1.0) / total;
  h.above11k = nyquist > 11000.0 ? BandPower(d, fs, 11000.0, nyquist + 1.0) / total : -1.0;
  // Third-octave levels from 5.5 kHz up to 16 kHz or the rate's end, against octaves.
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  int bands = 0;
  for (double lo = 5500.0; lo * std::pow(2.0, 1.0 / 3.0) <= std::min(16000.0, nyquist) + 1.0;
       lo *= std::pow(2.0, 1.0 / 3.0)) {
    const double power = BandPower(d, fs, lo, lo * std::pow(2.0, 1.0 / 3.0));
    const double octaves = std::log2(lo / 5500.0);
    // Per hertz, so wider bands up the scale do not tilt the slope.
    const double level = 10.0 * std::log10(power / (lo * (std::pow(2.0, 1.0 / 3.0) - 1.0)) + 1e-20);
    sx += octaves;
    sy += level;
    sxx += octaves * octaves;
    sxy += octaves * level;
    ++bands;
  }
  if (bands >= 4) {
    h.slopeDbPerOctave = (bands * sxy - sx * sy) / (bands * sxx - sx * sx);
    h.slopeMeasured = true;
  }
  return h;
}

// For two waves of one sound (at any rates): b's level minus a's, in dB, in third-octave
// bands from 63 Hz to 5 kHz (the last one cut at 5 kHz, where an 11025 Hz wave's band
// starts to close), for the bands within 30 dB of a's loudest (quieter ones lie in an
// 8-bit wave's quantisation floor) and, when a's own floor is given as power per hertz
// (`aFloorPerHz`), at least 10 dB above it, where that floor shifts a's level by under
// half a decibel. Both are measured over their whole length.
inline std::vector<double> BandDifferencesDb(std::span<const float> a, double fsA,
                                             std::span<const float> b, double fsB,
                                             double aFloorPerHz = 0.0) {
  const std::vector<double> da = PowerDensity(a, fsA), db = PowerDensity(b, fsB);
  std::vector<double> pa, pb, width;
  for (double lo = 63.0 / std::pow(2.0, 1.0 / 6.0); lo < 5000.0; lo *= std::pow(2.0, 1.0 / 3.0)) {
    const double hi = std::min(lo * std::pow(2.0, 1.0 / 3.0), 5000.0);
    pa.push_back(BandPower(da, fsA, lo, hi));
    pb.push_back(BandPower(db, fsB, lo, hi));
    width.push_back(hi - lo);
  }
  const double loudest = pa.empty() ? 0.0 : *std::max_element(pa.begin(), pa.end());
  std::vector<double> diff;
  for (size_t i = 0; i < pa.size(); ++i)
    if (pa[i] > 1e-3 * loudest && pa[i] > 0.0 && pa[i] >= 10.0 * aFloorPerHz * width[i])
      diff.push_back(10.0 * std::log10((pb[i] + 1e-30) / pa[i]));
  return diff;
}

// The quantisation floor of an 8-bit wave at `rate` as the generator dithers it (+-1 step
// triangular dither on steps of 1/128): power per hertz, white to half the rate.
inline double EightBitFloorPerHz(double rate) {
  const double step = 1.0 / 128.0;
  return step * step / 4.0 / (rate / 2.0);
}

}  // namespace lullwood::measure
