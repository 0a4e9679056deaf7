// Events on a circular timeline and the voices they carry: circular mixing and filtering,
// scattered event starts, bubbles (van den Doel), clicks and modal voices.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "Envelope.h"
#include "Filters.h"
#include "Math.h"
#include "Noise.h"
#include "Random.h"

namespace lullwood::synth {

// Adds `gain * voice` into `out` from frame `start`, wrapping past the end to the start.
inline void AddCircular(std::span<float> out, int64_t start, std::span<const float> voice,
                        double gain = 1.0) {
  const int64_t n = static_cast<int64_t>(out.size());
  if (n == 0) return;
  int64_t at = ((start % n) + n) % n;
  for (float v : voice) {
    out[static_cast<size_t>(at)] += static_cast<float>(gain * v);
    if (++at == n) at = 0;
  }
}

// Adds `gain * voice` into `out` from frame `start`, dropping what falls outside (one-shots).
inline void AddClipped(std::span<float> out, int64_t start, std::span<const float> voice,
                       double gain = 1.0) {
  for (size_t i = 0; i < voice.size(); ++i) {
    const int64_t at = start + static_cast<int64_t>(i);
    if (at >= 0 && at < static_cast<int64_t>(out.size()))
      out[static_cast<size_t>(at)] += static_cast<float>(gain * voice[i]);
  }
}

// Runs a causal processor over a periodic input until it reaches its periodic steady
// state: `warmPasses` passes are discarded, the next pass replaces `buffer`.
// `step(input, frame)` returns one output sample; frame indexes are 0..N-1 every pass.
template <class Step>
void RunCircular(std::span<float> buffer, int warmPasses, Step&& step) {
  const std::vector<float> input(buffer.begin(), buffer.end());
  for (int pass = 0; pass < warmPasses; ++pass)
    for (size_t n = 0; n < input.size(); ++n) step(static_cast<double>(input[n]), n);
  for (size_t n = 0; n < input.size(); ++n)
    buffer[n] = static_cast<float>(step(static_cast<double>(input[n]), n));
}

// Event starts on [0, loopFrames): each frame starts an event with probability
// ratePerSecond * density(frame) / sampleRate. `density` is any callable frame -> factor.
template <class Density>
std::vector<int64_t> ScatterEvents(Rng& rng, uint64_t loopFrames, double sampleRate,
                                   double ratePerSecond, Density&& density) {
  std::vector<int64_t> starts;
  const double p = ratePerSecond / sampleRate;
  for (uint64_t n = 0; n < loopFrames; ++n)
    if (rng.Uniform() < p * density(n)) starts.push_back(static_cast<int64_t>(n));
  return starts;
}
inline std::vector<int64_t> ScatterEvents(Rng& rng, uint64_t loopFrames, double sampleRate,
                                          double ratePerSecond) {
  return ScatterEvents(rng, loopFrames, sampleRate, ratePerSecond, [](uint64_t) { return 1.0; });
}

// One bubble (van den Doel): radius in millimetres, rising pitch factor xi (0.075..0.1).
// Minnaert pitch 3.26/r Hz, damping 0.043 f0 + 0.0014 f0^1.5 per second, 0.3 ms onset;
// peak about `amplitude`; the rising pitch is capped at `maxHz`.
inline std::vector<float> Bubble(double sampleRate, double radiusMm, double xi, double amplitude,
                                 double maxHz) {
  const double f0 = 3.26 / (radiusMm * 1e-3);
  const double d = 0.043 * f0 + 0.0014 * f0 * std::sqrt(f0);
  const size_t frames = static_cast<size_t>(kLn1000 / d * sampleRate) + 1;
  std::vector<float> v(frames);
  const double step = std::exp(-d / sampleRate);
  const double onset = 0.0003 * sampleRate;
  double g = amplitude, phase = 0.0;
  for (size_t i = 0; i < frames; ++i) {
    const double t = i / sampleRate;
    const double f = std::min(f0 * (1.0 + xi * d * t), maxHz);
    const double rise = i < onset ? CosineRamp(i / onset) : 1.0;
    v[i] = static_cast<float>(g * rise * Sin2Pi(phase));
    phase += f / sampleRate;
    g *= step;
  }
  return v;
}

// A short noise burst with a raised-cosine window, `ms` milliseconds long, as dense in each
// hertz as at `bandRate` (see WhiteDensityGain). Rendered above `bandRate`, what lies
// beyond that rate's band falls away at 12 dB an octave from 1.6 times its top (8.8 kHz
// at 11025 Hz, 0.4 dB down at 5 kHz): a struck object's click thins out upward instead of
// staying white to the top, and keeps its peak near what it is in the band.
inline std::vector<float> NoiseClick(Rng& rng, double sampleRate, double ms, double amplitude,
                                     double bandRate = kCatalogueRate) {
  amplitude *= WhiteDensityGain(sampleRate, bandRate);
  const size_t frames = std::max<size_t>(2, static_cast<size_t>(ms * 1e-3 * sampleRate));
  std::vector<float> v(frames);
  for (size_t i = 0; i < frames; ++i) {
    const double w = 0.5 - 0.5 * Cos2Pi(static_cast<double>(i + 1) / (frames + 1));
    v[i] = static_cast<float>(amplitude * w * rng.Bipolar());
  }
  if (sampleRate > bandRate) {
    Biquad top = Biquad::LowPass(sampleRate, 0.8 * bandRate, 0.7071);
    for (float& x : v) x = static_cast<float>(top.Process(x));
  }
  return v;
}

// One partial of a modal voice: frequency, 60 dB decay time, amplitude, start phase (cycles).
struct Mode {
  double hz, t60, amp, phase = 0.0;
};

// Sum of exponentially decaying sines, `seconds` long, with an `attackMs` raised-cosine
// onset. Partials at or above `maxHz` are dropped, never folded.
inline std::vector<float> ModalVoice(double sampleRate, std::span<const Mode> modes, double seconds,
                                     double attackMs, double maxHz) {
  const size_t frames = static_cast<size_t>(seconds * sampleRate);
  std::vector<double> acc(frames, 0.0);
  for (const Mode& m : modes) {
    if (m.hz >= maxHz || m.hz <= 0.0) continue;
    const double step = DecayStep(sampleRate, m.t60);
    const uint64_t period = 1u << 30;  // exact phase accumulation in fixed point
    const uint64_t inc = static_cast<uint64_t>(m.hz / sampleRate * period + 0.5);
    uint64_t ph = static_cast<uint64_t>(m.phase * period);
    double g = m.amp;
    for (size_t i = 0; i < frames; ++i) {
      acc[i] += g * Sin2Pi(static_cast<double>(ph % period) / period);
      ph += inc;
      g *= step;
    }
  }
  std::vector<float> v(frames);
  const double attack = attackMs * 1e-3 * sampleRate;
  for (size_t i = 0; i < frames; ++i)
    v[i] = static_cast<float>(acc[i] * (i < attack ? CosineRamp(i / attack) : 1.0));
  return v;
}

}  // namespace lullwood::synth
