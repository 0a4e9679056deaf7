// Woodpecker drumming, frogs by a pond and field crickets.
#include <algorithm>
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
  // A drum hurries as it goes, each stroke some 4 % sooner after the last than the one
  // before it, the last coming two thirds faster again than the first, and the bill
  // never lands exactly on the beat: no machine's even roll.
  const std::array<Roll, 3> rolls = {
      {{0.3, 13, 12, 20, 1.0}, {3.2, 15, 12, 20, 0.95}, {6.0, 11, 13, 20, 0.8}}};
  // Two sets of the wood's modes, a little apart in pitch, stand for two spots on the
  // branch; each stroke lands somewhere between them, so no two ring quite alike.
  std::vector<float> impulses(out.size(), 0.0f), shifted(out.size(), 0.0f),
      clicks(out.size(), 0.0f);
  for (const Roll& r : rolls) {
    double t = r.start;
    for (int i = 0; i < r.taps; ++i) {
      const double u = static_cast<double>(i) / (r.taps - 1);
      // Crescendo over the first third, a slight fall at the very end.
      const double shape =
          Lerp(0.45, 1.0, CosineRamp(u / 0.35)) * (1.0 - 0.25 * CosineRamp((u - 0.8) / 0.2));
      const double a = r.level * shape * rng.GainJitter(2.0);
      const int64_t at = Frame(t + 0.0005 * rng.Bipolar(), fs);
      if (at < static_cast<int64_t>(out.size())) {
        // The bill strikes for a millisecond or two, and wood is rough: a short burst of
        // noise excites the trunk rather than a clean impulse.
        const std::vector<float> strike = NoiseClick(rng, fs, rng.Uniform(1.5, 3.5), 1.0);
        const double spot = rng.Uniform();
        const double pulse = a * rng.Uniform(0.4, 1.0);
        AddClipped(impulses, at, strike, 1.2 * a * (1.0 - spot));
        AddClipped(shifted, at, strike, 1.2 * a * spot);
        impulses[at] += static_cast<float>(pulse * (1.0 - spot));
        shifted[at] += static_cast<float>(pulse * spot);
        clicks[at] += static_cast<float>(pulse);
      }
      t += 1.0 / (r.rateFrom * std::pow(r.rateTo / r.rateFrom, u));
    }
  }
  // Living wood is heavy and damp: its modes ring for a few tens of milliseconds, so each
  // tap is heard as a broadband knock with a woody colour more than as a pitch.
  struct Wood {
    Resonator trunk, body1, body2, body3;
    Wood(double fs, double tune)
        : trunk(fs, 240 * tune, 0.1),
          body1(fs, 450 * tune, 0.075),
          body2(fs, 450 * 2.3 * tune, 0.05),
          body3(fs, 450 * 3.9 * tune, 0.03) {}
    double Ring(double x) {
      return 0.6 * trunk.Process(x) + body1.Process(x) + 0.6 * body2.Process(x) +
             0.35 * body3.Process(x);
    }
  };
  Wood wood(fs, 1.0), woodApart(fs, 1.08);
  Biquad knockLow = Biquad::HighPass(fs, 500, 0.7), knockHigh = Biquad::LowPass(fs, 4200, 0.7);
  Biquad clickFilter = Biquad::HighPass(fs, 3000, 0.7);
  Biquad clickBand = Biquad::BandPass(fs, 3800, 1.5);
  for (size_t i = 0; i < out.size(); ++i) {
    const double xa = impulses[i], xb = shifted[i], x = xa + xb;
    const double body = wood.Ring(xa) + woodApart.Ring(xb);
    const double knock = knockHigh.Process(knockLow.Process(x - clicks[i]));
    const double click = clickBand.Process(clickFilter.Process(clicks[i]));
    out[i] = static_cast<float>(body + 0.2 * knock + 0.5 * click);
  }
  AddRoom(out, fs, 0.8, 0.25, 3500, 0.02);
  // The wood around it: leaves stirring, never quite silent between the rolls.
  AddAmbience(out, fs, rng, 34, 300, 3500, 7.9);
  // Knocks are all transient: let the limiter round them more than usual.
  FinishEffect(out, spec, {.fadeOutSec = 0.4, .maxLimitDb = 8.0});
}

void Frog(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  const double maxHz = 0.47 * fs;
  // Frogs by a pond. The near one croaks in trains of pulses, some 25 a second: each
  // pulse is a short buzz of the larynx that rings the vocal sac's bands near 550 Hz
  // and 1 kHz for a few hundredths of a second, so a croak is a row of soft knocks with
  // gaps of near silence between them, never a held tone. No two pulses alike: the
  // spacing hurries and drags, the level and the bands wander from one to the next.
  auto croak = [&](double start, double seconds, double rate, double gain) {
    const double sac = rng.Jitter(0.04);
    for (double t = 0.0; t < seconds;) {
      // The sac fills as the croak starts and empties at its end.
      const double swell =
          CosineRamp(t / 0.25) * (1.0 - CosineRamp((t - 0.6 * seconds) / (0.4 * seconds)));
      const double level = gain * swell * rng.GainJitter(2.5);
      const double low = 540.0 * sac * rng.Jitter(0.03), high = 990.0 * sac * rng.Jitter(0.04);
      const Mode modes[] = {{270.0 * sac, 0.08, 0.15, rng.Uniform()},
                            {low, 0.07, 1.0, rng.Uniform()},
                            {high, 0.05, 0.7, rng.Uniform()},
                            {1450.0 * sac, 0.03, 0.2, rng.Uniform()}};
      std::vector<float> pulse = ModalVoice(fs, modes, 0.12, rng.Uniform(1.5, 3.0), maxHz);
      // The glottis' own buzz and the wet slap of the sac: a little noise under 2.5 kHz.
      std::vector<float> slap = NoiseClick(rng, fs, rng.Uniform(3.0, 6.0), 0.5, OriginalRate(spec));
      Biquad wet = Biquad::LowPass(fs, 2500.0);
      for (float& x : slap) x = static_cast<float>(wet.Process(x));
      for (size_t i = 0; i < std::min(pulse.size(), slap.size()); ++i) pulse[i] += slap[i];
      AddClipped(out, Frame(start + t, fs), pulse, 0.3 * level);
      const double pace = rate * (0.92 + 0.16 * std::sin(kPi * t / seconds));
      t += rng.Jitter(0.14) / pace;
    }
  };
  croak(0.05, 0.7, 24.0, 1.0);
  croak(0.95, 0.75, 27.0, 0.9);
  // Farther off, a tree frog holds a thin note near 2.7 kHz that climbs a little as it
  // goes, three or four times, over the croaks.
  double t = 0.02 + rng.Uniform(0.0, 0.05);
  while (t < 1.55) {
    const double len = rng.Uniform(0.22, 0.4), from = 2550.0 * rng.Jitter(0.03);
    const double to = from * rng.Uniform(1.08, 1.14), level = 0.025 * rng.GainJitter(2.0);
    const int64_t at = Frame(t, fs), frames = Frame(len, fs);
    double phase = rng.Uniform();
    OnePoleLowPass flutter(fs, 30.0);
    for (int64_t i = 0; i < frames && at + i < static_cast<int64_t>(out.size()); ++i) {
      const double u = static_cast<double>(i) / static_cast<double>(frames);
      const double env =
          CosineRamp(u * len / 0.03) * (1.0 - CosineRamp((u * len - len + 0.08) / 0.08));
      const double wobble = 1.0 + 0.15 * flutter.Process(rng.Bipolar());
      phase += from * std::pow(to / from, u) * wobble / fs;
      phase -= std::floor(phase);
      out[static_cast<size_t>(at + i)] +=
          static_cast<float>(level * env * (Sin2Pi(phase) + 0.02 * Sin2Pi(2.0 * phase)));
    }
    t += len + rng.Uniform(0.02, 0.12);
  }
  // Over water: a strong early reflection from the surface and a soft open tail.
  const std::array<EchoTap, 2> water = {{{0.004, 0.45, 2000}, {0.09, 0.12, 1200}}};
  AddEchoes(out, fs, water);
  AddRoom(out, fs, 0.6, 0.1, 1500, 0.02);
  // The pond's own hush of water, insects and leaves, never quite silent.
  AddAmbience(out, fs, rng, 40, 200, 8000, 1.75);
  FinishEffect(out, spec, {.fadeOutSec = 0.12});
}

void Crickets(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const double total = static_cast<double>(spec.frames) / fs;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // The singers' wandering is drawn sample by sample from a stream of its own, so the
  // singers themselves do not depend on the rate rendered.
  Rng drift(SeedFromName(spec.resourceName, 1));
  // A field at night. The near field cricket's chirp is four pulses of its 4.5 kHz wing
  // tone, each about 20 ms and 45 ms apart (a recorded chirp lasts 0.16 s); its pulse
  // train is as regular as a clock, only the level of each pulse differs a little, and
  // the wing gathers speed over the first strokes, so a chirp swells in.
  auto chirp = [&](double start, double carrier, double gain, int pulses) {
    for (int p = 0; p < pulses; ++p) {
      const double pulseStart = start + 0.045 * p;
      const double a = gain * std::min(1.0, 0.3 + 0.35 * p) * rng.GainJitter(0.8);
      const double hz = carrier * rng.Jitter(0.003);
      // The tone sags a little through each closing stroke of the wing.
      AddWhistle(
          out, fs, pulseStart, 0.022, [hz](double t) { return hz * (1.0 - 0.4 * t); },
          Bp({{0.0, 0.0}, {0.005, 1.0}, {0.014, 0.8}, {0.022, 0.0}}, true), a, 0.0);
    }
  };
  // Two of them, near and a little farther, chirping at their own rates so they drift in
  // and out of step; a cricket's chirp rate is steady only to a tenth or so from one
  // chirp to the next.
  for (double t = 0.05; t < total - 0.35; t += 0.43 * rng.Uniform(0.88, 1.12))
    chirp(t, 4500, 1.0, 4);
  for (double t = 0.27; t < total - 0.35; t += 0.51 * rng.Uniform(0.88, 1.12))
    chirp(t, 4200, 0.45, 3);
  // Behind them the chorus of the field: crickets too many and too far to tell apart,
  // trilling on without pause near 3 kHz, and slower trilled chirps near 2 kHz (a
  // recorded night holds both). Each is a carrier gated by its pulse rate, its level
  // wandering as the singers come and go.
  int singer = 0;
  auto trill = [&](double carrier, double pulseHz, double gain, double chirpSec, double periodSec,
                   double lowest) {
    OnePoleLowPass wander(fs, 3.0);
    // Every wing stroke rings a little off the last (its own stream, so the strokes do not
    // depend on the rate rendered either): the singer draws dashes, not a ruled line.
    Rng strokes(SeedFromName(spec.resourceName, 100 + singer++));
    double stroke = 1.0;
    // The pitch drifts by up to 2.5 %, through values drawn two or three times a second and
    // joined smoothly: a singer warms and tires, never on one line for long.
    double from = drift.Bipolar(), to = drift.Bipolar(), along = 0.0;
    const double pace = drift.Uniform(2.0, 3.0) / fs;
    const double white = WhiteDensityGain(fs, OriginalRate(spec));
    double phase = rng.Uniform(), pulsePhase = rng.Uniform();
    const double offset = rng.Uniform(0.0, periodSec);
    for (size_t i = 0; i < out.size(); ++i) {
      const double t = static_cast<double>(i) / fs;
      const double level = 1.0 + 3.0 * wander.Process(white * drift.Bipolar());
      along += pace;
      if (along >= 1.0) {
        along -= 1.0;
        from = to;
        to = drift.Bipolar();
      }
      const double hz = stroke * carrier * (1.0 + 0.025 * Lerp(from, to, CosineRamp(along)));
      phase += hz / fs;
      phase -= std::floor(phase);
      pulsePhase += pulseHz / fs;
      if (pulsePhase >= 1.0) {
        pulsePhase -= 1.0;
        stroke = 1.0 + 0.01 * strokes.Bipolar();
      }
      double gate = pulsePhase < 0.55 ? Sin2Pi(0.5 * pulsePhase / 0.55) : 0.0;
      if (chirpSec > 0.0) {
        const double u = std::fmod(t + offset, periodSec);
        gate *= CosineRamp(u / 0.05) * CosineRamp((chirpSec - u) / 0.05);
      }
      // Faded in, so the clip opens on the near cricket rather than mid-trill.
      gate *= CosineRamp((t - 0.02) / 0.2);
      // The singers come and go, but the field never falls silent: the near cricket's
      // chirps end into the chorus, not into a hole.
      out[i] += static_cast<float>(gain * std::max(level, lowest) * gate * Sin2Pi(phase));
    }
  };
  // Each band holds several singers a little apart in pitch and rate; in the trilling
  // chorus so many that they blur into a band, each fading nearly away at times.
  for (int k = 0; k < 10; ++k) {
    const double hz = rng.Uniform(2700, 3400), rate = rng.Uniform(38, 52);
    trill(hz, rate, 0.053 * rng.GainJitter(3.0), 0.0, 1.0, 0.08);
  }
  for (int k = 0; k < 2; ++k) {
    const double hz = rng.Uniform(1900, 2150), rate = rng.Uniform(32, 40);
    const double chirpSec = rng.Uniform(0.2, 0.3), period = rng.Uniform(0.6, 0.85);
    trill(hz, rate, 0.06 * rng.GainJitter(3.0), chirpSec, period, 0.35);
  }
  for (int k = 0; k < 5; ++k) {
    const double hz = rng.Uniform(4750, 5200), rate = rng.Uniform(45, 60);
    trill(hz, rate, 0.012 * rng.GainJitter(3.0), 0.0, 1.0, 0.08);
  }
  // The open field: a bounce off the ground close behind each pulse, a short airy tail,
  // and the night's own hiss.
  const std::array<EchoTap, 2> ground = {{{0.004, 0.3, 5000}, {0.011, 0.12, 4000}}};
  AddEchoes(out, fs, ground);
  AddRoom(out, fs, 0.5, 0.08, 4500, 0.015);
  AddAmbience(out, fs, rng, 30, 200, 5000, total);
  FinishEffect(out, spec, {.targetDbfs = kBrightTargetDbfs - 1.0, .fadeOutSec = 0.15});
}

}  // namespace lullwood::synth::fx
