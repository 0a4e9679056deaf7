#include "Loops.h"

#include <algorithm>

namespace lullwood::synth::loops {

std::vector<float> WhiteLoop(Rng& rng, size_t frames) {
  std::vector<float> w(frames);
  for (float& v : w) v = static_cast<float>(rng.Gaussian());
  return w;
}

std::vector<float> PinkLoop(Rng& rng, size_t frames, double sampleRate) {
  std::vector<float> x = WhiteLoop(rng, frames);
  PinkNoise pink;
  Biquad hp = Biquad::HighPass(sampleRate, 25.0);
  // The slowest Kellett pole needs about 8000 frames to settle; loops are rarely shorter.
  const int passes = static_cast<int>(8000 / std::max<size_t>(frames, 1)) + 2;
  RunCircular(x, passes, [&](double in, size_t) { return hp.Process(pink.Process(in)); });
  NormalizeRms(x);
  return x;
}

std::vector<float> BrownLoop(Rng& rng, size_t frames, double sampleRate, double cornerHz) {
  std::vector<float> x = WhiteLoop(rng, frames);
  BrownNoise brown(sampleRate, cornerHz);
  const int passes = static_cast<int>(3.0 * sampleRate / std::max<size_t>(frames, 1)) + 2;
  RunCircular(x, passes, [&](double in, size_t) { return brown.Process(in); });
  NormalizeRms(x);
  return x;
}

std::vector<float> ControlLoop(Rng& rng, size_t frames, double sampleRate, double hz) {
  std::vector<float> x = WhiteLoop(rng, frames);
  FilterLoop(x, Biquad::LowPass(sampleRate, hz), 3);
  NormalizeRms(x);
  return x;
}

void AddRoomTone(std::span<float> x, Rng& rng, double sampleRate, double belowDb, double lowHz,
                 double highHz) {
  double power = 0.0;
  for (float v : x) power += static_cast<double>(v) * v;
  if (x.empty() || power <= 0.0) return;
  std::vector<float> tone = PinkLoop(rng, x.size(), sampleRate);
  FilterLoop(tone, Biquad::HighPass(sampleRate, lowHz, 0.7));
  FilterLoop(tone, Biquad::LowPass(sampleRate, highHz, 0.7));
  NormalizeRms(tone);
  Mix(x, tone, std::sqrt(power / static_cast<double>(x.size())) * DbToGain(-belowDb));
}

void AddHighNoiseBands(std::span<float> x, const SoundSpec& spec, uint64_t salt,
                       std::initializer_list<HighNoiseBand> bands, double swellDb,
                       std::span<const float> follow) {
  const double fs = spec.sampleRate;
  if (x.empty()) return;
  const double level = Rms(InOriginalBand(x, 1, fs, OriginalRate(spec), true));
  if (level <= 0.0) return;
  Rng rng(SeedFromName(spec.resourceName, salt));
  for (const HighNoiseBand& b : bands) {
    if (b.hz >= 0.45 * fs) continue;
    std::vector<float> band = WhiteLoop(rng, x.size());
    FilterLoop(band, Biquad::BandPass(fs, b.hz, b.q));
    FilterLoop(band, Biquad::BandPass(fs, b.hz, b.q));
    LoopSines swell(rng, x.size(), {1, 3}, 1.0);
    for (size_t i = 0; i < band.size(); ++i) {
      const double with = follow.size() == band.size() ? follow[i] : 1.0;
      band[i] = static_cast<float>(band[i] * DbToGain(swellDb * swell.At(i)) * with);
    }
    NormalizeRms(band);
    Mix(x, band, level * DbToGain(-b.belowDb));
  }
}

namespace {

// The part of one channel of a loop above the band of the catalogue's wave at `bandRate`:
// what a linear-phase low-pass flat to 0.45 of that rate (4.96 kHz at 11025 Hz) and 60 dB
// down from 0.55 of it leaves out.
std::vector<float> HighPart(std::span<const float> x, double fs, double bandRate) {
  const std::vector<float> low =
      DecimateFrames(x, 1, 1, KaiserLowPass(fs, 0.45 * bandRate, 0.55 * bandRate, 60.0), true);
  std::vector<float> high(x.size());
  for (size_t i = 0; i < x.size(); ++i) high[i] = x[i] - low[i];
  return high;
}

// The fall upward of the part above the band: `poles` one-pole low-passes at the band's
// top, scaled so that at the split (0.45 of the band's rate) the gain is 1 and the part
// joins the band below it without a step.
void Tilt(std::vector<float>& high, double fs, double bandRate, int poles) {
  const double a = 1.0 - std::exp(-kTwoPi * 0.5 * bandRate / fs);
  const double w = kTwoPi * 0.45 * bandRate / fs;
  const double atSplit = a / std::sqrt(1.0 - 2.0 * (1.0 - a) * std::cos(w) + (1.0 - a) * (1.0 - a));
  for (int p = 0; p < poles; ++p) {
    OnePoleLowPass lp(fs, 0.5 * bandRate);
    RunCircular(high, 2, [&](double in, size_t) { return lp.Process(in) / atSplit; });
  }
}

}  // namespace

void ShapeHighBand(std::span<float> x, const SoundSpec& spec, double gainDb, int poles) {
  const double fs = spec.sampleRate, bandRate = OriginalRate(spec);
  if (fs < 1.2 * bandRate || x.empty()) return;
  std::vector<float> high = HighPart(x, fs, bandRate);
  for (size_t i = 0; i < x.size(); ++i) x[i] -= high[i];
  Tilt(high, fs, bandRate, poles);
  Mix(x, high, DbToGain(gainDb));
}

void AddHighHiss(std::span<float> x, const SoundSpec& spec, uint64_t salt, double belowDb,
                 int poles, double joinHz) {
  const double fs = spec.sampleRate, bandRate = OriginalRate(spec);
  if (fs < 1.2 * bandRate || x.empty()) return;
  const double level = Rms(InOriginalBand(x, 1, fs, bandRate, true));
  if (level <= 0.0) return;
  Rng rng(SeedFromName(spec.resourceName, salt));
  std::vector<float> white = WhiteLoop(rng, x.size());
  std::vector<float> hiss;
  if (joinHz > 0.0) {
    hiss = std::move(white);
    for (int p = 0; p < 2; ++p) FilterLoop(hiss, Biquad::HighPass(fs, joinHz, 0.7));
  } else {
    hiss = HighPart(white, fs, bandRate);
  }
  Tilt(hiss, fs, bandRate, poles);
  // The hiss swells and ebbs with the loop itself (its power smoothed over about 30 ms),
  // so it is the water's own top rather than a steady sheet over it.
  std::vector<float> power(x.begin(), x.end());
  OnePoleLowPass smooth(fs, 5.0);
  RunCircular(power, 2, [&](double in, size_t) { return smooth.Process(in * in); });
  for (size_t i = 0; i < hiss.size(); ++i)
    hiss[i] = static_cast<float>(hiss[i] * std::sqrt(std::max(0.0f, power[i])));
  // Its level is set by what lies above the band, wherever it starts.
  const double above = joinHz > 0.0 ? Rms(HighPart(hiss, fs, bandRate)) : Rms(hiss);
  if (above > 0.0) Mix(x, hiss, level * DbToGain(-belowDb) / above);
}

void FilterLoop(std::span<float> x, Biquad filter, int warmPasses) {
  RunCircular(x, warmPasses, [&](double in, size_t) { return filter.Process(in); });
}

void NormalizeRms(std::span<float> x) {
  const double rms = Rms(x);
  if (rms > 0.0) Scale(x, 1.0 / rms);
}

void NormalizeRmsInBand(std::span<float> x, const SoundSpec& spec) {
  const double bandRate = OriginalRate(spec);
  if (spec.sampleRate == bandRate) return NormalizeRms(x);
  const double rms = Rms(InOriginalBand(x, 1, spec.sampleRate, bandRate, true));
  if (rms > 0.0) Scale(x, 1.0 / rms);
}

void Mix(std::span<float> dst, std::span<const float> src, double gain) {
  const size_t n = std::min(dst.size(), src.size());
  for (size_t i = 0; i < n; ++i) dst[i] = static_cast<float>(dst[i] + gain * src[i]);
}

void AddReverbLoop(std::span<float> x, double sampleRate, double rt60, double wet, double size,
                   double dampHz) {
  Reverb reverb(sampleRate, rt60, size, dampHz);
  const double loopSeconds = static_cast<double>(x.size()) / sampleRate;
  // Enough passes for the tail to fall 90 dB before the kept pass.
  const int passes = static_cast<int>(1.5 * rt60 / loopSeconds) + 2;
  RunCircular(x, passes, [&](double in, size_t) { return in + wet * reverb.Process(in); });
}

std::vector<float> GurgleLoop(Rng& rng, size_t frames, double sampleRate, double controlHz,
                              double centreHz, double spreadHz, double q) {
  const std::vector<float> control = ControlLoop(rng, frames, sampleRate, controlHz);
  std::vector<float> x = BrownLoop(rng, frames, sampleRate, 30.0);
  OnePoleLowPass smooth(sampleRate, 70.0);
  Biquad rhpf;
  RunCircular(x, 3, [&](double in, size_t n) {
    const double hz = Clamp(centreHz + spreadHz * control[n], 0.3 * centreHz, 4.0 * centreHz);
    rhpf.SetHighPass(sampleRate, hz, q);
    return rhpf.Process(smooth.Process(in));
  });
  NormalizeRms(x);
  return x;
}

void AddBubbles(std::span<float> out, Rng& rng, double sampleRate, std::span<const int64_t> starts,
                double minRadiusMm, double maxRadiusMm, double xi, double gain, double sigmaDb) {
  const double maxHz = 0.46 * sampleRate;
  for (int64_t s : starts) {
    const double r = minRadiusMm * std::pow(maxRadiusMm / minRadiusMm, rng.Uniform());
    // Amplitude grows as r^1.5; normalised to the largest bubble.
    const double a = gain * std::pow(r / maxRadiusMm, 1.5) * rng.GainJitter(sigmaDb);
    const std::vector<float> b = Bubble(sampleRate, r, xi * rng.Jitter(0.2), a, maxHz);
    AddCircular(out, s, b);
  }
}

void FinishLoop(std::span<float> x, const SoundSpec& spec, double targetDb, const Finish& how) {
  const double sampleRate = spec.sampleRate;
  if (how.removeDc) RemoveDc(x);
  // A few rounds: the loudness lost to limiting is made up in the next.
  const double ceiling = DbToGain(kBedPeakDb);
  const double deepest = ceiling * DbToGain(how.maxLimitingDb);
  // Loudness and peaks are judged in the catalogue wave's band: a full-band rendering's
  // clicks peak higher than their band-limited selves, and limiting by them would leave
  // the loop quieter in that band than it is meant to be. Above the band, peaks are the
  // generator's true-peak ceiling's to hold.
  const double bandRate = OriginalRate(spec);
  const int factor = static_cast<int>(sampleRate / bandRate + 0.5);
  for (int round = 0; round < 3; ++round) {
    const std::vector<float> band = InOriginalBand(x, 1, sampleRate, bandRate, true);
    const double rms = RmsAbove100Hz(band, bandRate, true);
    if (rms <= 0.0) return;
    double gain = DbToGain(targetDb) / rms;
    const double peak = Peak(band) * gain;
    if (peak > deepest) gain *= deepest / peak;
    Scale(x, gain);
    if (factor <= 1) {
      LimitPeaks(x, sampleRate, ceiling, how.limiterSeconds, true);
    } else {
      std::vector<float> heard = InOriginalBand(x, 1, sampleRate, bandRate, true);
      LimitPeaksHeardIn(x, heard, factor, sampleRate, ceiling, how.limiterSeconds, true);
    }
  }
}

std::vector<float> Silence(const SoundSpec& spec) {
  return std::vector<float>(static_cast<size_t>(spec.frames) * spec.channels, 0.0f);
}

}  // namespace lullwood::synth::loops
