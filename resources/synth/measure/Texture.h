// The statistics that make a noisy texture (rain, a river, wind, a night's insects) sound
// like itself, after McDermott and Simoncelli's texture model (Neuron 71, 2011): the sound
// is split into 30 log-spaced bands from 100 Hz to 10 kHz, each band's envelope taken
// (magnitude of a 4th-order complex gammatone-like filter, averaged down to 400 values a
// second and compressed by a power of 0.3 as the cochlea compresses), and then for each
// band: how deep its envelope moves (standard deviation over mean), how lopsided (skew:
// sparse drops and clicks are high, steady hiss is near 0), how its envelope's power lies
// over seven octaves of modulation rate from 0.5 to 64 Hz, and how its envelope goes with
// the other bands' (correlation: a splash or a gust moves many bands together). Summaries
// over the bands that carry the sound let a test hold one sound beside a recording's.
// Header-only beside Figures.h, for the tools and the tests; not part of the generator.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstddef>
#include <span>
#include <vector>

#include "Figures.h"

namespace lullwood::measure {

inline constexpr int kTextureBands = 30;
inline constexpr int kModulationOctaves = 7;  // 0.5-1, 1-2, ... 32-64 Hz
inline constexpr double kEnvelopeRate = 400.0;

// The figures of one stretch of a texture.
struct Texture {
  std::array<double, kTextureBands> centreHz{};
  std::array<bool, kTextureBands> active{};     // carries the sound (see MeasureTexture)
  std::array<double, kTextureBands> levelDb{};  // band power against the loudest band
  std::array<double, kTextureBands> depth{};    // envelope's standard deviation / mean
  std::array<double, kTextureBands> skew{};     // envelope's skew
  std::array<std::array<double, kModulationOctaves>, kTextureBands> modulationDb{};
  std::array<std::array<double, kTextureBands>, kTextureBands> correlation{};
  // Averages over the active bands; correlations over the pairs of active bands one band
  // apart (a quarter of an octave), four apart (nearly an octave) and nine (two octaves).
  double meanDepth = 0, meanSkew = 0;
  std::array<double, kModulationOctaves> meanModulationDb{};
  double correlationNear = 0, correlationOctave = 0, correlationFar = 0;
  int activeBands = 0;
};

// The lower edge of modulation octave `m`, Hz.
inline double ModulationOctaveHz(int m) {
  return 0.5 * std::pow(2.0, m);
}

// Each band's compressed envelope at kEnvelopeRate, and its mean power. A loop is
// filtered once round before its envelope is kept, so that the filters start as they run
// and the envelope is one period of what plays.
struct TextureEnvelopes {
  std::array<double, kTextureBands> centreHz{};
  std::array<double, kTextureBands> power{};
  std::array<bool, kTextureBands> inRange{};
  std::vector<std::vector<double>> envelope;  // [band][value], compressed
};

inline TextureEnvelopes MeasureTextureEnvelopes(std::span<const float> x, double fs, bool loop) {
  TextureEnvelopes out;
  out.envelope.assign(kTextureBands, {});
  const size_t n = x.size();
  const size_t block = std::max<size_t>(1, static_cast<size_t>(std::lround(fs / kEnvelopeRate)));
  const size_t warm = loop ? n : 0;
  const double ratio = std::pow(100.0, 1.0 / (kTextureBands - 1));
  for (int b = 0; b < kTextureBands; ++b) {
    const double fc = 100.0 * std::pow(ratio, b);
    out.centreHz[b] = fc;
    out.inRange[b] = fc * std::sqrt(ratio) < 0.45 * fs;
    if (!out.inRange[b] || n == 0) continue;
    // Four like complex one-pole stages fall 3 dB at 0.435 of their bandwidth parameter:
    // the bands meet at their -3 dB points.
    const double halfWidth = fc * (std::sqrt(ratio) - 1.0 / std::sqrt(ratio)) / 2.0;
    const double r = std::exp(-2.0 * kPi * (halfWidth / 0.435) / fs);
    const std::complex<double> pole = r * std::polar(1.0, 2.0 * kPi * fc / fs);
    const double gain = 1.0 - r;
    std::array<std::complex<double>, 4> s{};
    double sum = 0, power = 0;
    size_t inBlock = 0;
    std::vector<double>& env = out.envelope[b];
    env.reserve(n / block + 1);
    for (size_t i = 0; i < warm + n; ++i) {
      std::complex<double> v = static_cast<double>(x[i % n]);
      for (auto& stage : s) v = stage = gain * v + pole * stage;
      if (i < warm) continue;
      const double magnitude = std::abs(v);
      sum += magnitude;
      power += magnitude * magnitude;
      if (++inBlock == block) {
        env.push_back(std::pow(sum / static_cast<double>(block), 0.3));
        sum = 0;
        inBlock = 0;
      }
    }
    // |v|^2 of a real signal's one-sided band is half the band's power.
    out.power[b] = 2.0 * power / static_cast<double>(n);
  }
  return out;
}

namespace detail {

// A band-pass biquad (constant 0 dB peak) one octave wide round `hz` at `rate`.
struct BandPass {
  double b0, b2, a1, a2;
  BandPass(double hz, double rate) {
    const double w = 2.0 * kPi * hz / rate, q = std::sqrt(2.0);
    const double alpha = std::sin(w) / (2.0 * q), a0 = 1.0 + alpha;
    b0 = alpha / a0;
    b2 = -alpha / a0;
    a1 = -2.0 * std::cos(w) / a0;
    a2 = (1.0 - alpha) / a0;
  }
};

}  // namespace detail

// The figures of values [from, to) of the envelopes. For a loop (the envelopes then hold
// one period) the modulation filters run twice round first, so that the slowest has
// settled; otherwise they run from the envelopes' start and the first two seconds are
// not counted when `from` lies within them.
inline Texture SummariseTexture(const TextureEnvelopes& e, size_t from, size_t to, bool loop) {
  Texture t;
  t.centreHz = e.centreHz;
  double loudest = 0;
  for (int b = 0; b < kTextureBands; ++b)
    if (e.inRange[b]) loudest = std::max(loudest, e.power[b]);
  const size_t settle = loop ? 0 : static_cast<size_t>(2.0 * kEnvelopeRate);
  from = std::max(from, std::min(settle, to));
  if (loudest <= 0 || to <= from + 8) return t;
  const double count = static_cast<double>(to - from);
  std::array<double, kTextureBands> mean{}, sd{};
  for (int b = 0; b < kTextureBands; ++b) {
    t.levelDb[b] = e.inRange[b] ? 10.0 * std::log10(e.power[b] / loudest + 1e-30) : -300.0;
    // Bands 50 dB under the loudest hold a recording's noise floor, not the sound.
    t.active[b] = e.inRange[b] && t.levelDb[b] > -50.0 && e.envelope[b].size() >= to;
    if (!t.active[b]) continue;
    const std::vector<double>& v = e.envelope[b];
    double s = 0;
    for (size_t i = from; i < to; ++i) s += v[i];
    mean[b] = s / count;
    double m2 = 0, m3 = 0;
    for (size_t i = from; i < to; ++i) {
      const double d = v[i] - mean[b];
      m2 += d * d;
      m3 += d * d * d;
    }
    m2 /= count;
    m3 /= count;
    sd[b] = std::sqrt(m2);
    t.depth[b] = mean[b] > 0 ? sd[b] / mean[b] : 0.0;
    t.skew[b] = m2 > 0 ? m3 / std::pow(m2, 1.5) : 0.0;
    for (int m = 0; m < kModulationOctaves; ++m) {
      const double centre = ModulationOctaveHz(m) * std::sqrt(2.0);
      const detail::BandPass f(centre, kEnvelopeRate);
      double x1 = 0, x2 = 0, y1 = 0, y2 = 0, p = 0;
      const size_t end = loop ? v.size() : to, rounds = loop ? 3 : 1;
      for (size_t round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < end; ++i) {
          const double in = v[i] - mean[b];
          const double y = f.b0 * in + f.b2 * x2 - f.a1 * y1 - f.a2 * y2;
          x2 = x1;
          x1 = in;
          y2 = y1;
          y1 = y;
          if (round + 1 == rounds && i >= from && i < to) p += y * y;
        }
      }
      t.modulationDb[b][m] = 10.0 * std::log10(p / count / (mean[b] * mean[b]) + 1e-12);
    }
  }
  for (int a = 0; a < kTextureBands; ++a)
    for (int b = a; b < kTextureBands; ++b) {
      if (!t.active[a] || !t.active[b] || sd[a] <= 0 || sd[b] <= 0) continue;
      double c = 0;
      for (size_t i = from; i < to; ++i)
        c += (e.envelope[a][i] - mean[a]) * (e.envelope[b][i] - mean[b]);
      t.correlation[a][b] = t.correlation[b][a] = c / count / (sd[a] * sd[b]);
    }
  std::array<int, 3> pairs{};
  std::array<double, 3> sums{};
  constexpr std::array<int, 3> kApart = {1, 4, 9};
  for (int b = 0; b < kTextureBands; ++b) {
    if (!t.active[b]) continue;
    ++t.activeBands;
    t.meanDepth += t.depth[b];
    t.meanSkew += t.skew[b];
    for (int m = 0; m < kModulationOctaves; ++m) t.meanModulationDb[m] += t.modulationDb[b][m];
    for (int k = 0; k < 3; ++k)
      if (b + kApart[k] < kTextureBands && t.active[b + kApart[k]]) {
        sums[k] += t.correlation[b][b + kApart[k]];
        ++pairs[k];
      }
  }
  if (t.activeBands == 0) return t;
  t.meanDepth /= t.activeBands;
  t.meanSkew /= t.activeBands;
  for (double& m : t.meanModulationDb) m /= t.activeBands;
  t.correlationNear = pairs[0] ? sums[0] / pairs[0] : 0.0;
  t.correlationOctave = pairs[1] ? sums[1] / pairs[1] : 0.0;
  t.correlationFar = pairs[2] ? sums[2] / pairs[2] : 0.0;
  return t;
}

// The texture of a loop as it plays round (one Texture), or of a recording in pieces of
// `pieceSeconds` (the last piece kept when it is at least half as long; a recording
// shorter than one piece measured whole), or whole when `pieceSeconds` is 0.
inline std::vector<Texture> MeasureTexture(std::span<const float> x, double fs, bool loop,
                                           double pieceSeconds = 0.0) {
  const TextureEnvelopes e = MeasureTextureEnvelopes(x, fs, loop);
  size_t length = 0;
  for (int b = 0; b < kTextureBands; ++b)
    if (e.inRange[b]) length = std::max(length, e.envelope[b].size());
  if (loop || pieceSeconds <= 0.0) return {SummariseTexture(e, 0, length, loop)};
  std::vector<Texture> pieces;
  const size_t piece = static_cast<size_t>(pieceSeconds * kEnvelopeRate);
  const size_t settle = static_cast<size_t>(2.0 * kEnvelopeRate);
  for (size_t at = settle; at < length; at += piece) {
    const size_t to = std::min(length, at + piece);
    if (2 * (to - at) < piece) break;
    pieces.push_back(SummariseTexture(e, at, to, false));
  }
  // A recording shorter than a piece is measured whole, from where the filters settled.
  if (pieces.empty() && length > settle + static_cast<size_t>(kEnvelopeRate))
    pieces.push_back(SummariseTexture(e, settle, length, false));
  return pieces;
}

}  // namespace lullwood::measure
