// Woodpecker drumming, a bullfrog and field crickets.
#include <array>
#include <cmath>

#include "../kit/Events.h"
#include "../kit/Filters.h"
#include "../kit/Random.h"
#include "Effects.h"
#include "Voices.h"

namespace lullwood::synth::fx {

void Woodpecker(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Taps are impulses into the hollow trunk's resonances, plus the bill's dry click.
  struct Roll {
    double start;
    int taps;
    double rateFrom, rateTo, level;
  };
  const std::array<Roll, 3> rolls = {
      {{0.3, 18, 16, 16, 1.0}, {3.2, 22, 14, 18, 0.95}, {6.0, 15, 16, 15, 0.8}}};
  std::vector<float> impulses(out.size(), 0.0f), clicks(out.size(), 0.0f);
  for (const Roll& r : rolls) {
    double t = r.start;
    for (int i = 0; i < r.taps; ++i) {
      const double u = static_cast<double>(i) / (r.taps - 1);
      // Crescendo over the first third, a slight fall at the very end.
      const double shape =
          Lerp(0.45, 1.0, CosineRamp(u / 0.35)) * (1.0 - 0.25 * CosineRamp((u - 0.8) / 0.2));
      const double a = r.level * shape * rng.GainJitter(2.0);
      const int64_t at = Frame(t + 0.002 * rng.Bipolar(), fs);
      if (at < static_cast<int64_t>(out.size())) {
        // The bill strikes for a millisecond or two, and wood is rough: a short burst of
        // noise excites the trunk rather than a clean impulse.
        const std::vector<float> strike = NoiseClick(rng, fs, rng.Uniform(1.5, 3.5), 1.0);
        AddClipped(impulses, at, strike, 0.6 * a);
        impulses[at] += static_cast<float>(a);
        clicks[at] += static_cast<float>(a);
      }
      t += 1.0 / Lerp(r.rateFrom, r.rateTo, u);
    }
  }
  // Living wood is heavy and damp: its modes ring for a few tens of milliseconds, so each
  // tap is heard as a broadband knock with a woody colour more than as a pitch.
  Resonator trunk(fs, 240, 0.1);
  Resonator body1(fs, 450, 0.075), body2(fs, 450 * 2.3, 0.05), body3(fs, 450 * 3.9, 0.03);
  Biquad knockLow = Biquad::HighPass(fs, 500, 0.7), knockHigh = Biquad::LowPass(fs, 4200, 0.7);
  Biquad clickFilter = Biquad::HighPass(fs, 3000, 0.7);
  Biquad clickBand = Biquad::BandPass(fs, 3800, 1.5);
  for (size_t i = 0; i < out.size(); ++i) {
    const double x = impulses[i];
    const double body = 0.6 * trunk.Process(x) + body1.Process(x) + 0.6 * body2.Process(x) +
                        0.35 * body3.Process(x);
    const double knock = knockHigh.Process(knockLow.Process(x - clicks[i]));
    const double click = clickBand.Process(clickFilter.Process(clicks[i]));
    out[i] = static_cast<float>(body + 0.2 * knock + 0.5 * click);
  }
  AddRoom(out, fs, 0.8, 0.25, 3500, 0.02);
  // The wood around it: leaves stirring, never quite silent between the rolls.
  AddAmbience(out, fs, rng, 34, 300, 3500, 7.9);
  // Knocks are all transient: let the limiter round them more than usual.
  FinishEffect(out, fs, {.fadeOutSec = 0.4, .maxLimitDb = 8.0});
}

void Frog(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Two croaks by a pond. The larynx pulses irregularly at about 65 Hz and every pulse
  // rings the vocal sac's bands near 550 Hz and 1 kHz, so a croak is a buzzing stack of
  // close harmonics inside those bands, with a small rise and fall of the pulse rate.
  auto croak = [&](double start, double seconds, double rate, double gain) {
    VoiceParams v;
    v.seconds = seconds;
    v.f0 = LogBp({{0.0, 0.9 * rate}, {0.3 * seconds, 1.05 * rate}, {seconds, 0.92 * rate}});
    v.amp = Bp({{0.0, 0.0},
                {0.03, 0.8},
                {0.1, 1.0},
                {0.55 * seconds, 0.9},
                {0.85 * seconds, 0.6},
                {seconds, 0.0}},
               true);
    v.tiltDbPerOctave = 0;
    v.formants = {{560, 170, 0}, {1000, 260, -3}, {1450, 300, -14}};
    v.formantsFrom = {{520, 170, 0}, {950, 260, -5}, {1400, 300, -16}};
    v.morph = Bp({{0.0, 0.0}, {0.4 * seconds, 1.0}}, true);
    v.formantFloorDb = -42;
    v.formantOrder = 2;
    v.jitter = 0.06;
    v.jitterHz = 50;
    v.chaosSec = 0.04;
    v.shimmerDb = 2.5;
    v.amHz = 42;  // the sac's pulses, heard as a buzz
    v.amDepth = 0.6;
    v.noise = 0.6;
    v.noiseFormantQ = 3.0;
    AddVoice(out, fs, start, v, rng, gain);
  };
  croak(0.05, 0.7, 66, 1.0);
  croak(0.95, 0.75, 63, 0.9);
  // Over water: a strong early reflection from the surface and a soft open tail.
  const std::array<EchoTap, 2> water = {{{0.004, 0.45, 2000}, {0.09, 0.12, 1200}}};
  AddEchoes(out, fs, water);
  AddRoom(out, fs, 0.6, 0.1, 1500, 0.02);
  FinishEffect(out, fs, {.fadeOutSec = 0.12});
}

void Crickets(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Field-cricket chirps: seven sine pulses at about 58 Hz with rising amplitude.
  auto chirp = [&](double start, double carrier, double gain) {
    for (int p = 0; p < 7; ++p) {
      const double pulseStart = start + p / 58.0;
      const double a = gain * Lerp(0.35, 1.0, p / 6.0) * rng.GainJitter(0.7);
      const double hz = carrier * rng.Jitter(0.004);
      AddWhistle(
          out, fs, pulseStart, 0.0125, [hz](double) { return hz; },
          NoteEnvelope(0.0125, 0.003, 0.006), a, 0.0);
    }
  };
  for (int k = 0; k < 4; ++k) chirp(0.1 + 0.7 * k, 4500, 1.0);
  for (int k = 0; k < 5; ++k) chirp(0.45 + 0.55 * k, 4200, 0.5);
  AddRoom(out, fs, 0.4, 0.1, 5000, 0.01);
  FinishEffect(out, fs, {.targetDbfs = kBrightTargetDbfs - 1.0, .fadeOutSec = 0.15});
}

}  // namespace lullwood::synth::fx
