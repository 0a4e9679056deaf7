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
  // A drum hurries as it goes, its strokes about a third closer at the end than at the
  // start, and the bill never lands exactly on the beat: no machine's even roll.
  const std::array<Roll, 3> rolls = {
      {{0.3, 18, 13, 18, 1.0}, {3.2, 22, 14, 19, 0.95}, {6.0, 15, 15, 20, 0.8}}};
  std::vector<float> impulses(out.size(), 0.0f), clicks(out.size(), 0.0f);
  for (const Roll& r : rolls) {
    double t = r.start;
    for (int i = 0; i < r.taps; ++i) {
      const double u = static_cast<double>(i) / (r.taps - 1);
      // Crescendo over the first third, a slight fall at the very end.
      const double shape =
          Lerp(0.45, 1.0, CosineRamp(u / 0.35)) * (1.0 - 0.25 * CosineRamp((u - 0.8) / 0.2));
      const double a = r.level * shape * rng.GainJitter(2.0);
      const int64_t at = Frame(t + 0.003 * rng.Bipolar(), fs);
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
  FinishEffect(out, spec, {.fadeOutSec = 0.4, .maxLimitDb = 8.0});
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
    // The sac fills as the croak starts: it swells in over a tenth of a second or so.
    v.amp = Bp({{0.0, 0.0},
                {0.06, 0.45},
                {0.16, 1.0},
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
  auto trill = [&](double carrier, double pulseHz, double gain, double chirpSec, double periodSec) {
    OnePoleLowPass wander(fs, 3.0);
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
      const double hz = carrier * (1.0 + 0.025 * Lerp(from, to, CosineRamp(along)));
      phase += hz / fs;
      phase -= std::floor(phase);
      pulsePhase += pulseHz / fs;
      pulsePhase -= std::floor(pulsePhase);
      double gate = pulsePhase < 0.55 ? Sin2Pi(0.5 * pulsePhase / 0.55) : 0.0;
      if (chirpSec > 0.0) {
        const double u = std::fmod(t + offset, periodSec);
        gate *= CosineRamp(u / 0.05) * CosineRamp((chirpSec - u) / 0.05);
      }
      // Faded in, so the clip opens on the near cricket rather than mid-trill.
      gate *= CosineRamp((t - 0.02) / 0.2);
      // The singers come and go, but the field never falls silent: the near cricket's
      // chirps end into the chorus, not into a hole.
      out[i] += static_cast<float>(gain * std::max(level, 0.35) * gate * Sin2Pi(phase));
    }
  };
  // Each band holds several singers a little apart in pitch and rate.
  for (int k = 0; k < 5; ++k) {
    const double hz = rng.Uniform(2800, 3300), rate = rng.Uniform(38, 52);
    trill(hz, rate, 0.075 * rng.GainJitter(3.0), 0.0, 1.0);
  }
  for (int k = 0; k < 3; ++k) {
    const double hz = rng.Uniform(1900, 2150), rate = rng.Uniform(32, 40);
    const double chirpSec = rng.Uniform(0.25, 0.35), period = rng.Uniform(0.5, 0.65);
    trill(hz, rate, 0.06 * rng.GainJitter(3.0), chirpSec, period);
  }
  for (int k = 0; k < 3; ++k) {
    const double hz = rng.Uniform(4800, 5150), rate = rng.Uniform(45, 60);
    trill(hz, rate, 0.015 * rng.GainJitter(3.0), 0.0, 1.0);
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
