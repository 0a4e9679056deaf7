// Tonal effects: a slide whistle, a dark drone, a church bell, wind chimes and a pan
// flute melody.
#include <array>
#include <cmath>
#include <numbers>

#include "../kit/Events.h"
#include "../kit/Filters.h"
#include "../kit/Random.h"
#include "Effects.h"
#include "Voices.h"

namespace lullwood::synth::fx {
namespace {

// A strike of a modal object: a short noise click, high-passed, `ms` long.
void AddStrike(std::vector<float>& out, double fs, double start, double ms, double hpHz,
               double gain, Rng& rng) {
  std::vector<float> click = NoiseClick(rng, fs, ms, gain);
  Biquad hp = Biquad::HighPass(fs, hpHz, 0.7);
  for (float& v : click) v = static_cast<float>(hp.Process(v));
  AddClipped(out, Frame(start, fs), click);
}

// One stopped-pipe note as a player blows it: odd harmonics, breath noise around f0 and
// 3 f0, a chiff at the onset. No two notes alike: each is tongued a little off pitch and
// settles, swells and eases, sinks a touch as the breath runs out, and takes its own
// vibrato (none on a short note), its breath strongest as it speaks; `releaseSec` is how
// long its end dies away.
void AddPipeNote(std::vector<float>& out, double fs, double start, double seconds, double hz,
                 Rng& rng, double gain, double releaseSec = 0.09) {
  const double scoop = rng.Uniform(-0.02, 0.01);
  const double settle = rng.Uniform(0.04, 0.09);
  const double swellAt = rng.Uniform(0.3, 0.7);
  const double swell = rng.Uniform(0.05, 0.2);
  const double sink = rng.Uniform(0.002, 0.008);
  VoiceParams v;
  v.seconds = seconds + 0.08;
  const double length = v.seconds;
  v.f0 = [=](double t) {
    const double onset = scoop * (1.0 - CosineRamp(t / settle));
    const double fading = sink * CosineRamp((t - (length - 0.3)) / 0.3);
    return hz * (1.0 + onset - fading);
  };
  const Curve envelope = NoteEnvelope(length, 0.05, releaseSec);
  v.amp = [=](double t) {
    const double x = t / length;
    return envelope(t) * (1.0 + swell * std::exp(-8.0 * (x - swellAt) * (x - swellAt)));
  };
  v.weights = {1.0, 0.08, 0.25, 0.02, 0.1};
  v.vibratoHz = rng.Uniform(4.5, 5.8);
  v.vibratoDepth = seconds < 0.45 ? 0.0 : rng.Uniform(0.005, 0.013);
  v.vibratoDelay = rng.Uniform(0.2, 0.4);
  v.jitter = 0.006;
  v.jitterHz = 15;
  AddVoice(out, fs, start, v, rng, gain);

  const double breathLevel = rng.Uniform(0.8, 1.25);
  Biquad breath1 = Biquad::BandPass(fs, hz, 4), breath3 = Biquad::BandPass(fs, 3 * hz, 4);
  // The breath's airy top: from 2.5 kHz, thinning out above 6 kHz where a full band
  // reaches (a recorded flute holds almost nothing above 5.5 kHz).
  Biquad blue = Biquad::HighPass(fs, 2500, 0.7);
  Biquad blueTop = Biquad::LowPass(fs, std::min(6000.0, 0.45 * fs), 0.7);
  Biquad chiffLp = Biquad::LowPass(fs, 2500, 0.7);
  // The band-passes' skirts would carry the breath faintly up the whole band, a box over
  // every note; the lips' air stops well short of it.
  Biquad air1 = Biquad::LowPass(fs, std::min(7000.0, 0.45 * fs), 0.7), air2 = air1;
  const int64_t at0 = Frame(start, fs);
  const int64_t frames = static_cast<int64_t>(v.seconds * fs);
  for (int64_t i = 0; i < frames && at0 + i < static_cast<int64_t>(out.size()); ++i) {
    const double t = static_cast<double>(i) / fs;
    const double w = WhiteDensityGain(fs) * rng.Bipolar();
    // The breath rushes as the note speaks and settles to the player's steady blowing.
    const double env = v.amp(t) * breathLevel * (1.0 + 0.8 * (1.0 - CosineRamp(t / 0.12)));
    const double chiff =
        t < 0.04 ? CosineRamp(t / 0.005) * (1.0 - CosineRamp((t - 0.01) / 0.03)) : 0.0;
    const double noise = env * (0.7 * breath1.Process(w) + 0.45 * breath3.Process(w) +
                                0.05 * blueTop.Process(blue.Process(w))) +
                         0.35 * chiff * chiffLp.Process(w);
    out[at0 + i] += static_cast<float>(gain * air2.Process(air1.Process(noise)));
  }
}

}  // namespace

void HighGliss(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // A slide whistle: smooth exponential glide up, then part of the way down.
  VoiceParams v;
  v.seconds = 1.85;
  v.f0 = LogBp({{0.0, 600}, {1.2, 3500}, {1.8, 2000}, {1.85, 2000}});
  v.amp = Bp({{0.0, 0.0}, {0.06, 0.8}, {1.1, 1.0}, {1.6, 0.85}, {1.85, 0.0}}, true);
  v.weights = {1.0, 0.1};
  v.vibratoHz = 6.0;
  v.vibratoDepth = 0.01;
  v.vibratoDelay = 0.1;
  v.noise = 0.05;
  AddVoice(out, fs, 0.05, v, rng);
  const std::array<EchoTap, 2> echoes = {{{0.25, 0.35, 3500}, {0.5, 0.15, 2500}}};
  AddEchoes(out, fs, echoes);
  FinishEffect(out, spec, {.fadeOutSec = 0.2});
}

void OminousNote(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Two detuned low saws beating at 0.6 Hz, a quiet tritone above and a sub sine, under a
  // low-pass that opens and closes.
  // A soft 60 ms entry, then the slow swell.
  auto env = Bp({{0.0, 0.0}, {0.06, 0.3}, {0.8, 1.0}, {2.8, 0.95}, {4.2, 0.0}});
  auto saw = [&](double hz, double gain) {
    VoiceParams v;
    v.seconds = 4.2;
    v.f0 = [hz](double) { return hz; };
    v.amp = env;
    v.tiltDbPerOctave = -6;
    v.harmonics = 24;
    v.maxHz = 1100;
    // Like a bowed string's, the pitch is never held still: it wanders slowly by about
    // half a per cent, each voice on its own.
    v.jitter = 0.006;
    v.jitterHz = 0.8;
    AddVoice(out, fs, 0.02, v, rng, gain);
  };
  saw(55.0, 1.0);
  saw(55.6, 1.0);
  saw(77.8, DbToGain(-8));
  AddWhistle(
      out, fs, 0.02, 4.2, [](double) { return 55.0; }, env, 0.5);
  Biquad lp1, lp2;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) / fs;
    const double cutoff =
        t < 0.8 ? Lerp(300, 800, CosineRamp(t / 0.8)) : Lerp(800, 300, CosineRamp((t - 1.6) / 2.2));
    lp1.SetLowPass(fs, cutoff, 0.9);
    lp2.SetLowPass(fs, cutoff * 1.4, 0.6);
    out[i] = static_cast<float>(lp2.Process(lp1.Process(out[i])));
  }
  AddRoom(out, fs, 2.0, 0.3, 1500, 0.03, 1.4);
  FinishEffect(out, spec, {.fadeOutSec = 0.25});
}

void ChurchBell(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // A tuned minor-third bell heard from below its tower. The nominal (an octave over the
  // prime) carries the strike note, the tierce a minor third over the prime follows it six
  // decibels down, and the rest sit 15 to 30 dB under: the proportions of a recorded chapel
  // bell (nominal 1.09 kHz, tierce 0.65 kHz). The partials are stretched, not harmonic, and
  // the high ones die first while the hum lingers.
  constexpr double kPrime = 470.0;
  struct Partial {
    double ratio, amp, t60, splitHz;
  };
  const std::array<Partial, 17> partials = {{{0.5, 0.09, 6.0, 0.3},   // hum
                                             {1.0, 0.15, 2.0, 0.5},   // prime
                                             {1.185, 0.5, 3.2, 0.6},  // tierce
                                             {1.49, 0.04, 2.5, 0.8},  // quint
                                             {1.98, 1.0, 2.5, 0.9},   // nominal
                                             {2.63, 0.07, 1.9, 1.4},  // deciem
                                             {2.98, 0.12, 1.7, 1.6},  // twelfth
                                             {4.14, 0.06, 1.6, 4.0},  // upper octave
                                             {5.4, 0.05, 1.4, 3.0},   // upper partials
                                             {6.75, 0.035, 1.2, 4.0},
                                             {8.2, 0.025, 1.0, 5.0},
                                             {9.9, 0.018, 0.8, 6.0},
                                             {11.7, 0.012, 0.6, 7.0},
                                             {13.6, 0.009, 0.5, 8.0},
                                             {15.8, 0.007, 0.4, 9.0},
                                             {18.1, 0.005, 0.3, 10.0},
                                             {20.6, 0.004, 0.25, 11.0}}};
  std::vector<Mode> modes;
  for (const Partial& p : partials) {
    // Each partial is a doublet of unequal halves: its level swells and sags slowly instead
    // of beating to silence.
    const double split = p.splitHz * rng.Uniform(0.6, 1.4);
    const double share = rng.Uniform(0.55, 0.75);
    const double hz = kPrime * p.ratio * rng.Jitter(0.002);
    modes.push_back({hz - 0.5 * split, p.t60, share * p.amp, rng.Uniform()});
    modes.push_back({hz + 0.5 * split, p.t60 * 0.85, (1.0 - share) * p.amp, rng.Uniform()});
  }
  // The shell's many weak modes between the named partials: a faint, quickly fading haze
  // that fills the spectrum between the lines for the first second.
  for (int i = 0; i < 60; ++i) {
    const double hz = 200.0 * std::pow(12.5, rng.Uniform());
    const double t60 = rng.Uniform(0.3, 1.5);
    const double amp = 0.02 * rng.GainJitter(4.0);
    modes.push_back({hz, t60, amp, rng.Uniform()});
  }
  // The strike sets the rim's dense high modes ringing, up to 10 kHz and past what the
  // catalogue's wave holds: a bright splash that dies within half a second.
  for (int i = 0; i < 80; ++i) {
    const double hz = 2500.0 * std::pow(6.4, rng.Uniform());
    const double t60 = rng.Uniform(0.08, 0.5);
    const double amp = 0.012 * rng.GainJitter(5.0);
    modes.push_back({hz, t60, amp, rng.Uniform()});
  }
  const double start = 0.012;
  const double seconds = std::max(0.0, static_cast<double>(out.size()) / fs - start);
  AddClipped(out, Frame(start, fs), ModalVoice(fs, modes, seconds, 1.0, 18000), 0.35);
  // The clapper: an iron clang of 6 ms, noise from 300 Hz far up, with a low thump.
  {
    std::vector<float> clang = NoiseClick(rng, fs, 6.0, 0.09, fs);
    Biquad hp = Biquad::HighPass(fs, 300, 0.7), lp = Biquad::LowPass(fs, 14000, 0.7);
    for (float& v : clang) v = static_cast<float>(lp.Process(hp.Process(v)));
    AddClipped(out, Frame(start, fs), clang);
  }
  Resonator thump(fs, 150, 0.08);
  std::vector<float> thud(static_cast<size_t>(0.15 * fs));
  for (size_t i = 0; i < thud.size(); ++i)
    thud[i] = static_cast<float>(thump.Process(i == 0 ? 1.0 : 0.0));
  AddClipped(out, Frame(start, fs), thud, 0.06);
  // The bell swings as it tolls: its mouth moves toward and away from the listener, so
  // every partial slides by up to 0.7 % (Doppler) and swells and fades with the swing.
  {
    const double swingSec = 2.1, reach = 0.007 * swingSec / (2.0 * std::numbers::pi);
    const double phase = rng.Uniform(0.1, 0.4);
    const std::vector<float> dry = out;
    for (size_t i = 0; i < out.size(); ++i) {
      const double t = static_cast<double>(i) / fs;
      const double swing = Sin2Pi(t / swingSec + phase);
      const double at = static_cast<double>(i) - reach * fs * swing;
      const auto j = static_cast<size_t>(std::max(0.0, at));
      const double u = std::max(0.0, at) - static_cast<double>(j);
      const double a = j < dry.size() ? dry[j] : 0.0, b = j + 1 < dry.size() ? dry[j + 1] : 0.0;
      out[i] = static_cast<float>((a + u * (b - a)) * DbToGain(2.0 * swing));
    }
  }
  // Distance: the air softens the top, the tower and the walls round it answer.
  FilterInPlace(out, Biquad::LowPass(fs, 9000, 0.6));
  AddRoom(out, fs, 2.2, 0.3, 2500, 0.025, 1.5);
  // The open air under the tower: a low, quiet rumble.
  AddAmbience(out, fs, rng, 28, 50, 1200, static_cast<double>(out.size()) / fs);
  // The ring decays all through the sound: set its level a little above the others.
  FinishEffect(out, spec, {.targetDbfs = -10.5, .fadeOutSec = 0.35});
}

void HighChimes(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // The clicks' noise is drawn apart, so the strikes' own draws do not depend on how many
  // samples a click takes at the rate rendered.
  Rng clicks(SeedFromName(spec.resourceName, 1));
  // A cluster of small bars stirred by two gusts. A real cluster's bars ring from about
  // 2 kHz up (recorded partials reach 15 kHz): the bars' fundamentals are spread over
  // 2.3-5.1 kHz, so that all of them fit under the catalogue wave's 5.5 kHz, and their
  // upper modes ring on above it in the full-band rendition. Untuned and unevenly
  // spaced, not a scale.
  constexpr int kBars = 14;
  std::array<double, kBars> bars{};
  for (int i = 0; i < kBars; ++i) {
    const double u = (i + rng.Uniform(0.15, 0.85)) / kBars;
    bars[i] = 2300.0 * std::pow(2.22, u);
  }
  std::array<double, kBars> lastStruck;
  lastStruck.fill(-10.0);
  auto strike = [&](double t, int bar, double gain) {
    if (t >= static_cast<double>(out.size()) / fs - 0.1) return;
    const double f = bars[bar];
    std::vector<Mode> modes;
    // A bar's first mode is a doublet a few hertz apart: the ring swells and sags.
    const double split = rng.Uniform(1.0, 4.0);
    // Small bars: about two seconds to silence (a recorded cluster's longest ring holds
    // 2.7 s above its air).
    const double t60 = rng.Uniform(1.5, 2.3);
    modes.push_back({f - 0.5 * split, t60, 0.6, rng.Uniform()});
    modes.push_back({f + 0.5 * split, 0.85 * t60, 0.4, rng.Uniform()});
    // A bar's upper modes (a free bar's 2.757 and 5.404 times the first) ring bright and
    // brief: in a recorded cluster they carry most of the strike, from 6 to 16 kHz.
    modes.push_back({2.757 * f, 0.4 * t60, 0.5, rng.Uniform()});
    modes.push_back({5.404 * f, 0.22 * t60, 0.35, rng.Uniform()});
    const double remaining = static_cast<double>(out.size()) / fs - t;
    // The smaller, higher bars are lighter and ring a little softer.
    const double weight = std::pow(bars[0] / f, 0.1);
    AddClipped(out, Frame(t, fs), ModalVoice(fs, modes, remaining, 0.4, 0.47 * fs), gain * weight);
    lastStruck[bar] = t;
    AddStrike(out, fs, t, 0.8, 3500, 0.35 * gain, clicks);
  };
  // A gust swings the striker through the cluster: a quick run of strikes, mostly in
  // order along the bars, then a few stray touches as it settles.
  auto gust = [&](double t0, int strikes, double spanSec, double level) {
    int bar = rng.Int(2, 5);
    double t = t0;
    for (int i = 0; i < strikes; ++i) {
      const double gain = level * rng.GainJitter(3.0);
      strike(t, bar, gain);
      // Bars knock against each other and the striker between the ringing strikes.
      const double knock = t + rng.Uniform(0.01, 0.05);
      const double knockGain = 0.2 * level * rng.GainJitter(4.0);
      AddStrike(out, fs, knock, 0.5, 2500, knockGain, clicks);
      const int step = rng.Chance(0.75) ? 1 : -2;
      bar = (bar + step + kBars) % kBars;
      t += spanSec / strikes * rng.Uniform(0.4, 1.6);
    }
    for (int i = 0; i < 3; ++i) {
      t += rng.Uniform(0.3, 0.8);
      // A stray touch finds a bar at rest: one still ringing from the run is swinging
      // away from the striker.
      int stray = rng.Int(0, kBars - 1);
      for (int tries = 0; tries < kBars && t - lastStruck[stray] < 2.0; ++tries)
        stray = (stray + 1) % kBars;
      const double gain = 0.5 * level * rng.GainJitter(3.0);
      strike(t, stray, gain);
    }
  };
  gust(0.05, 16, 0.6, 0.2);
  gust(rng.Uniform(3.4, 3.8), 10, 0.45, 0.16);
  AddRoom(out, fs, 1.0, 0.12, 5000, 0.01);
  // The breeze that stirs them, in the leaves: the last rings fade into it, as they do in
  // a recording, instead of into a silence where they would hold for seconds on end.
  AddAmbience(out, fs, rng, 40, 300, 3000, static_cast<double>(out.size()) / fs);
  FinishEffect(out, spec, {.fadeOutSec = 0.5});
}

void PanFlute(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // A short A-minor pentatonic phrase, legato, ending on a long low A.
  struct Note {
    double hz, seconds;
  };
  const std::array<Note, 9> melody = {{{659.26, 0.6},
                                       {587.33, 0.4},
                                       {523.25, 0.4},
                                       {440.0, 0.85},
                                       {523.25, 0.5},
                                       {587.33, 0.5},
                                       {659.26, 1.0},
                                       {783.99, 0.6},
                                       {440.0, 1.5}}};
  // Played, not sequenced: the player lingers and hurries, never on a grid, and lets the
  // last note die away slowly, its breath with it.
  double t = 0.05;
  for (size_t i = 0; i < melody.size(); ++i) {
    const bool last = i + 1 == melody.size();
    const double seconds = melody[i].seconds * (last ? 1.0 : rng.Uniform(0.9, 1.12));
    const double level = 0.8 * rng.GainJitter(1.0);
    AddPipeNote(out, fs, t, seconds, melody[i].hz, rng, level, last ? 0.6 : 0.09);
    t += seconds;
  }
  AddRoom(out, fs, 2.2, 0.5, 3500, 0.02, 1.3);
  FinishEffect(out, spec, {.fadeOutSec = 0.8});
}

}  // namespace lullwood::synth::fx
