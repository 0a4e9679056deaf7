// Night and jungle scenes: insect choruses, frogs, birds and distant primates, placed on
// the circular timeline of the loop.
#include "Backgrounds.h"
#include "Loops.h"

namespace lullwood::synth {

using namespace loops;

namespace {

// A chirp of `pulses` raised-cosine pulses of a sine carrier; pulse amplitude moves
// linearly from `firstAmp` to 1.
std::vector<float> PulsedChirp(double fs, double carrierHz, int pulses, double pulseSeconds,
                               double periodSeconds, double firstAmp) {
  const double seconds = (pulses - 1) * periodSeconds + pulseSeconds;
  std::vector<float> v(static_cast<size_t>(seconds * fs) + 1, 0.0f);
  for (size_t i = 0; i < v.size(); ++i) {
    const double t = i / fs;
    const int p = static_cast<int>(t / periodSeconds);
    const double u = (t - p * periodSeconds) / pulseSeconds;
    if (p >= pulses || u >= 1.0) continue;
    const double amp =
        pulses > 1 ? Lerp(firstAmp, 1.0, static_cast<double>(p) / (pulses - 1)) : 1.0;
    v[i] = static_cast<float>(amp * (0.5 - 0.5 * Cos2Pi(u)) * Sin2Pi(carrierHz * t));
  }
  return v;
}

// `count` copies of `voice` spread evenly round the loop from `offset` (fraction of the
// loop), each nudged by up to `jitter` of its spacing and varied by `sigmaDb`.
void Chorus(std::span<float> out, Rng& rng, std::span<const float> voice, int count, double offset,
            double jitter, double gain, double sigmaDb) {
  const double n = static_cast<double>(out.size());
  for (int j = 0; j < count; ++j) {
    const double at = (offset + (j + jitter * rng.Bipolar()) / count) * n;
    AddCircular(out, static_cast<int64_t>(at), voice, gain * rng.GainJitter(sigmaDb));
  }
}

// Gain envelope for a call: `attack` and `release` seconds of cosine ramp round a hold.
auto CallEnvelope(double seconds, double attack, double release) {
  return [=](double t) {
    return CosineRamp(t / attack) * (1.0 - CosineRamp((t - (seconds - release)) / release));
  };
}

int64_t At(size_t n, double fraction) {
  return static_cast<int64_t>(fraction * n);
}

}  // namespace

void NightTime(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  std::vector<float> insects(n, 0.0f);
  // Snowy tree cricket: steady chirps, 2 per second, 7 short pulses each.
  Chorus(insects, rng, PulsedChirp(fs, 2900.0, 7, 0.007, 0.0125, 0.8), 20, 0.013, 0.01, 1.0, 0.5);
  // Two field crickets with 16 and 15 chirps per loop, so they drift in and out of step.
  Chorus(insects, rng, PulsedChirp(fs, 4500.0, 7, 0.011, 0.0172, 0.2), 16, 0.031, 0.04, 0.8, 1.0);
  Chorus(insects, rng, PulsedChirp(fs, 4200.0, 7, 0.011, 0.0172, 0.2), 15, 0.057, 0.04, 0.45, 1.0);
  // A distant frog trill once per loop.
  {
    const double seconds = 1.2;
    auto env = CallEnvelope(seconds, 0.15, 0.3);
    auto trill = Sweep(
        fs, seconds, [](double t) { return 430.0 + 120.0 * t / 1.2; },
        [&](double t) {
          const double pulse = 0.5 - 0.5 * Cos2Pi(15.0 * t);
          return env(t) * pulse * pulse;
        },
        {1.0, 0.5, 0.3, 0.15});
    AddCircular(insects, At(n, 0.62), trill, 0.35);
  }
  LoopSines swell(rng, n, {1}, 1.0);
  for (size_t i = 0; i < n; ++i)
    insects[i] = static_cast<float>(insects[i] * DbToGain(2.0 * swell.At(i)));
  NormalizeRmsInBand(insects, spec);
  // Behind the near singers, the whole field: countless far insects merged into one
  // hissing band at 3.6-4.4 kHz (a recorded summer night is as much noise as tone there).
  std::vector<float> field = WhiteLoop(rng, n);
  FilterLoop(field, Biquad::BandPass(fs, 4000.0, QAsAt(fs, 4000.0, 2.2)));
  FilterLoop(field, Biquad::BandPass(fs, 4000.0, QAsAt(fs, 4000.0, 2.2)));
  LoopSines breath(rng, n, {2, 5}, 1.0);
  for (size_t i = 0; i < n; ++i)
    field[i] = static_cast<float>(field[i] * DbToGain(1.5 * breath.At(i)));
  NormalizeRmsInBand(field, spec);
  std::vector<float> bed = PinkLoop(rng, n, fs);
  FilterLoop(bed, Biquad::LowPass(fs, 600.0, 0.7));
  NormalizeRmsInBand(bed, spec);

  out = Silence(spec);
  Mix(out, insects, 1.0);
  Mix(out, field, 0.45);
  Mix(out, bed, 0.2);
  AddReverbLoop(out, fs, 0.9, 0.25, 0.8, 4000.0);
  // Above them, where the full band reaches, the smallest singers: a broad band just
  // over 6 kHz, steady ones near 9 and 12.5 kHz and a faint one at 17-18 kHz, falling
  // away upward (a recorded forest night holds 15 % of its power above 5.5 kHz, 2 %
  // above 11 kHz, and falls 19 dB an octave from 5.5 to 16 kHz).
  AddHighNoiseBands(
      out, spec, 0x9A1,
      {{6500.0, 1.5, 7.0}, {9000.0, 3.0, 16.0}, {12500.0, 4.0, 23.0}, {17500.0, 3.0, 36.0}});
  FinishLoop(out, spec, kQuietBedDb);
}

void SouthAmericanJungle(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));

  // Insect wall: two choruses of noise at 4.3 and 4.9 kHz pulsing 120 and 95 times a
  // second. A chorus is many insects a little out of step, so each swells and sags on
  // its own, several times a loop, never quite steady.
  std::vector<float> cicada(n, 0.0f);
  const double bandHz[] = {4300.0, 4900.0}, pulseHz[] = {120.0, 95.0}, weight[] = {1.0, 0.7};
  for (int b = 0; b < 2; ++b) {
    std::vector<float> band = WhiteLoop(rng, n);
    FilterLoop(band, Biquad::BandPass(fs, bandHz[b], 4.0));
    LoopSines swell(rng, n, {1, 3, 7}, 1.0);
    const uint64_t pulseK = CyclesPerLoop(pulseHz[b], spec.sampleRate, n);
    for (size_t i = 0; i < n; ++i) {
      const double p = 0.5 + 0.5 * Sin2Pi(LoopPhase(pulseK, i, n));
      const double level = std::max(0.0, 0.55 + 0.6 * swell.At(i));
      cicada[i] += static_cast<float>(weight[b] * band[i] * p * p * level);
    }
  }
  NormalizeRmsInBand(cicada, spec);

  std::vector<float> calls(n, 0.0f);
  // Tree frogs: three species of short "tinks".
  const double frogHz[] = {2200.0, 2800.0, 3400.0};
  const int frogCount[] = {24, 15, 10};
  for (int s = 0; s < 3; ++s) {
    auto tink = Sweep(fs, 0.025, [&](double) { return frogHz[s]; },
                      CallEnvelope(0.025, 0.003, 0.015), {1.0, 0.2});
    Chorus(calls, rng, tink, frogCount[s], 0.011 * (s + 1), 0.3, 0.5, 3.0);
  }
  // Birds: two descending whistles and a pulsed toucan-like croak.
  // A bird's whistle is not a ruled line: it falls fastest at first and wavers as the
  // syrinx's tension is worked.
  auto whistle = Sweep(fs, 0.6,
                       [](double t) {
                         const double u = t / 0.6;
                         return (3000.0 - 1200.0 * std::sqrt(u)) * (1.0 + 0.025 * Sin2Pi(23.0 * t));
                       },
                       CallEnvelope(0.6, 0.03, 0.15), {1.0, 0.08});
  AddCircular(calls, At(n, 0.13), whistle, 0.9);
  AddCircular(calls, At(n, 0.71), whistle, 0.6);
  auto croak = Sweep(
      fs, 0.8, [](double t) { return 1150.0 - 300.0 * t / 0.8; },
      [](double t) {
        const double pulse = 0.5 - 0.5 * Cos2Pi(10.0 * t);
        return pulse * pulse * pulse * (1.0 - CosineRamp((t - 0.6) / 0.2));
      },
      {0.6, 1.0, 0.5, 0.3});
  AddCircular(calls, At(n, 0.47), croak, 0.7);
  // A distant howler monkey: a pulsed, noisy roar, muffled by distance.
  {
    const double seconds = 1.8;
    auto env = CallEnvelope(seconds, 0.3, 0.6);
    auto roar = Sweep(
        fs, seconds, [](double t) { return 90.0 + 12.0 * Sin2Pi(t / 3.6); },
        [&](double t) {
          const double pulse = 0.6 + 0.4 * Sin2Pi(2.5 * t);
          return env(t) * pulse;
        },
        {0.4, 0.7, 1.0, 1.0, 0.9, 0.8, 0.7, 0.6, 0.5, 0.45, 0.4, 0.35, 0.3, 0.25, 0.2, 0.15});
    BandWhite rough(fs, OriginalRate(spec));
    for (float& v : roar) v = static_cast<float>(v * (1.0 + 0.5 * rough.Next(rng)));
    Biquad f1 = Biquad::Peaking(fs, 400.0, 2.0, 9.0), f2 = Biquad::Peaking(fs, 900.0, 3.0, 6.0);
    Biquad lp = Biquad::LowPass(fs, 1500.0);
    for (float& v : roar) v = static_cast<float>(lp.Process(f2.Process(f1.Process(v))));
    AddCircular(calls, At(n, 0.29), roar, 0.12);
  }
  NormalizeRmsInBand(calls, spec);

  out = Silence(spec);
  Mix(out, cicada, 1.1);
  Mix(out, calls, 1.0);
  AddReverbLoop(out, fs, 1.2, 0.35, 1.0, 3500.0);
  FinishLoop(out, spec, kBedDb);
}

void AfricanJungle(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));

  // Katydid-like bed: 3.8 kHz noise band in short double pulses, gently swelling.
  std::vector<float> insects = WhiteLoop(rng, n);
  FilterLoop(insects, Biquad::BandPass(fs, 3800.0, 6.0));
  LoopSines swell(rng, n, {1, 2}, 1.0);
  const uint64_t pulseK = CyclesPerLoop(7.0, spec.sampleRate, n);
  for (size_t i = 0; i < n; ++i) {
    const double ph = LoopPhase(pulseK, i, n);
    auto bump = [&](double start) {
      const double u = (ph - start) / 0.12;
      return u > 0.0 && u < 1.0 ? 0.5 - 0.5 * Cos2Pi(u) : 0.0;
    };
    const double pulse = 0.15 + 0.85 * (bump(0.0) + bump(0.2));
    insects[i] = static_cast<float>(insects[i] * pulse * (0.6 + 0.4 * swell.At(i)));
  }
  // A second chorus higher up, out of step with the first: many insects a little
  // apart, swelling and sagging on their own.
  {
    std::vector<float> high = WhiteLoop(rng, n);
    FilterLoop(high, Biquad::BandPass(fs, 4600.0, 5.0));
    LoopSines wander(rng, n, {1, 3, 5}, 1.0);
    const uint64_t trillK = CyclesPerLoop(43.0, spec.sampleRate, n);
    for (size_t i = 0; i < n; ++i) {
      const double p = 0.5 + 0.5 * Sin2Pi(LoopPhase(trillK, i, n));
      const double level = std::max(0.0, 0.45 + 0.7 * wander.At(i));
      insects[i] += static_cast<float>(0.6 * high[i] * p * level);
    }
  }
  FilterLoop(insects, Biquad::LowPass(fs, 4800.0, 0.7));
  NormalizeRmsInBand(insects, spec);

  std::vector<float> calls(n, 0.0f);
  // Turaco/hornbill "kow-kow-kow": harsh, falling notes, 4 per second.
  {
    const int notes = 7;
    for (int k = 0; k < notes; ++k) {
      const double hz = 880.0 - 25.0 * k;
      auto kow = Sweep(fs, 0.13, [&](double t) { return hz * (1.0 - 0.12 * t / 0.13); },
                       CallEnvelope(0.13, 0.01, 0.06), {1.0, 0.8, 0.6, 0.45, 0.3, 0.2});
      BandWhite rough(fs, OriginalRate(spec));
      // The clipping's harmonics die out by 6 kHz, as a bird's harsh call's do, instead of
      // running up the whole full band.
      Biquad top = Biquad::LowPass(fs, std::min(6000.0, 0.45 * fs), 0.7071), top2 = top;
      for (float& v : kow) {
        const double clipped = SoftClip(2.0 * v) * (1.0 + 0.15 * rough.Next(rng));
        v = static_cast<float>(top2.Process(top.Process(clipped)));
      }
      AddCircular(calls, At(n, 0.08) + static_cast<int64_t>(k * 0.25 * fs), kow,
                  0.8 * (1.0 - 0.05 * k));
    }
  }
  // Parrot whistles: quick up-down glides, in pairs.
  for (double where : {0.42, 0.83}) {
    for (int k = 0; k < 2; ++k) {
      auto glide = Sweep(fs, 0.22,
                         [k](double t) {
                           return (1300.0 + 1700.0 * Sin2Pi(0.5 * t / 0.22)) *
                                  (1.0 + 0.03 * Sin2Pi((37.0 + 6.0 * k) * t));
                         },
                         CallEnvelope(0.22, 0.02, 0.06), {1.0, 0.15});
      AddCircular(calls, At(n, where) + static_cast<int64_t>(k * 0.3 * fs), glide, 0.5);
    }
  }
  // Dove: soft "hoo, hoo-hoo".
  for (double t0 : {0.0, 0.55, 0.85}) {
    auto hoo = Sweep(fs, 0.28, [](double t) { return 520.0 - 60.0 * t / 0.28; },
                     CallEnvelope(0.28, 0.06, 0.12), {1.0, 0.1});
    AddCircular(calls, At(n, 0.61) + static_cast<int64_t>(t0 * fs), hoo, 0.55);
  }
  // Distant chimpanzee pant-hoot: rising "hoo" pants that end in screams.
  {
    std::vector<float> chorus(static_cast<size_t>(3.2 * fs), 0.0f);
    double t = 0.0;
    for (int k = 0; k < 12; ++k) {
      const double hz = 380.0 + 45.0 * k;
      // Pants are breathed in and out: hoarse, with a voice that wavers.
      auto pant = Sweep(
          fs, 0.14,
          [&](double u) { return hz * (1.0 + 0.15 * u / 0.14) * (1.0 + 0.02 * Sin2Pi(29.0 * u)); },
          CallEnvelope(0.14, 0.02, 0.06), {1.0, 0.5, 0.25});
      Biquad breath = Biquad::BandPass(fs, 2.0 * hz, 2.0);
      const auto env = CallEnvelope(0.14, 0.02, 0.06);
      BandWhite white(fs, OriginalRate(spec)), rough(fs, OriginalRate(spec));
      for (size_t i = 0; i < pant.size(); ++i) {
        const double noise = breath.Process(white.Next(rng));
        pant[i] = static_cast<float>(pant[i] * (1.0 + 0.3 * rough.Next(rng)) +
                                     (k % 2 == 1 ? 0.9 : 0.35) * env(i / fs) * noise);
      }
      AddClipped(chorus, static_cast<int64_t>(t * fs), pant, 0.5 + 0.04 * k);
      t += 0.26 - 0.011 * k;
    }
    for (int k = 0; k < 3; ++k) {
      auto scream = Sweep(
          fs, 0.35, [&](double u) { return (1150.0 + 120.0 * k) * (1.0 + 0.2 * Sin2Pi(u / 0.7)); },
          CallEnvelope(0.35, 0.03, 0.12), {1.0, 0.6, 0.3});
      for (float& v : scream) v = static_cast<float>(SoftClip(1.8 * v));
      AddClipped(chorus, static_cast<int64_t>((t + 0.32 * k) * fs), scream, 0.9);
    }
    Biquad lp = Biquad::LowPass(fs, 2000.0);
    for (float& v : chorus) v = static_cast<float>(lp.Process(v));
    AddCircular(calls, At(n, 0.22), chorus, 0.35);
  }
  NormalizeRmsInBand(calls, spec);

  out = Silence(spec);
  Mix(out, insects, 0.8);
  Mix(out, calls, 1.0);
  AddReverbLoop(out, fs, 1.0, 0.35, 1.0, 3500.0);
  // Where the full band reaches, the daytime insects over it all: hissing bands from 6 to
  // 15 kHz, falling away upward (a recorded tropical day holds a third of its power above
  // 5.5 kHz and 2 % above 11 kHz, and falls 12 dB an octave from 5.5 to 16 kHz).
  AddHighNoiseBands(
      out, spec, 0xAF1,
      {{7000.0, 2.5, 9.0}, {9000.0, 2.5, 12.0}, {12000.0, 3.0, 18.0}, {15500.0, 3.0, 26.0}});
  FinishLoop(out, spec, kBedDb);
}

}  // namespace lullwood::synth
