// Bird calls: whistled syllables traced as frequency and amplitude curves, FM+AM warbles,
// and harsher voiced calls (crow, gulls, crane) from the harmonic voice.
#include <array>
#include <cmath>

#include "../kit/Filters.h"
#include "../kit/Noise.h"
#include "../kit/Random.h"
#include "Effects.h"
#include "Voices.h"

namespace lullwood::synth::fx {
namespace {

// A whistled syllable whose frequency and level are shaken by a Mikelson-style FM+AM
// warble at `rateHz` (depth `depth`, relative).
void AddWarble(std::vector<float>& out, double fs, Rng& rng, double start, double seconds, Curve hz,
               double rateHz, double depth, double gain) {
  auto env = NoteEnvelope(seconds, 0.2 * seconds, 0.35 * seconds);
  AddSyrinxNote(
      out, fs, rng, start, seconds,
      [hz, rateHz, depth](double t) { return hz(t) * (1.0 + depth * Sin2Pi(rateHz * t)); },
      [env, rateHz](double t) { return env(t) * (1.0 - 0.35 * (0.5 + 0.5 * Sin2Pi(rateHz * t))); },
      gain, 0.06);
}

// One gull note: a harsh, nasal, descending "kyow" or "ha". The syrinx's two sides do not
// quite agree: every period wavers, stretches of the note split into period doubling, and
// breath fills the bands between the harmonics, so the note is a noisy blob in the bands of
// the bill and throat (1.5-3 kHz) rather than a clean stack. No two notes share a contour:
// each peaks, turns and falls where it will, and some break upward for a moment.
void AddGullNote(std::vector<float>& out, double fs, double start, double seconds, double pitch,
                 Rng& rng, double gain, bool laugh, double noise = 0.9) {
  const double peakAt = rng.Uniform(0.08, 0.4) * seconds;
  const double top = rng.Uniform(1.05, 1.25);
  const double turn = rng.Uniform(0.85, 1.1);
  const double fall = rng.Uniform(0.68, 0.85);
  const double base = (laugh ? 860.0 : 880.0) * pitch;
  const double attack = rng.Uniform(0.02, 0.05);
  RoughVoiceParams v;
  v.seconds = seconds;
  if (laugh) {
    v.f0 = LogBp({{0.0, base}, {peakAt, base * top}, {seconds, base * fall}});
  } else {
    v.f0 = LogBp({{0.0, base},
                  {peakAt, base * top * 1.1},
                  {0.55 * seconds, base * turn},
                  {seconds, base * fall}});
  }
  if (rng.Chance(0.3)) {
    // A break: the voice flips up for a few tens of milliseconds.
    const double at = rng.Uniform(0.3, 0.7) * seconds;
    const double len = rng.Uniform(0.02, 0.06);
    const double jump = rng.Uniform(1.15, 1.4);
    v.f0 = [f0 = v.f0, at, len, jump](double t) {
      return t >= at && t < at + len ? f0(t) * jump : f0(t);
    };
  }
  v.amp = NoteEnvelope(seconds, attack, 0.4 * seconds);
  v.jitter = rng.Uniform(0.03, 0.055);
  v.shimmerDb = 2.5;
  const double splitAt = rng.Uniform(0.2, 0.7) * seconds;
  v.doubling = Bp({{0.0, 0.6},
                   {0.1 * seconds, 0.1},
                   {splitAt, 0.1},
                   {splitAt + 0.05, 0.8},
                   {splitAt + 0.12, 0.3},
                   {seconds, 0.7}});
  v.breath = Bp({{0.0, 0.6 * noise}, {0.5 * seconds, 0.8 * noise}, {seconds, noise}});
  v.snap = Bp({{0.0, 0.4}, {0.2 * seconds, 0.7}, {0.7 * seconds, 0.5}, {seconds, 0.1}});
  const double bill = rng.Uniform(0.93, 1.07);
  v.formants = {{1500 * bill, 600, -5}, {2200 * bill, 700, 0}, {2900 * bill, 600, -4}};
  v.floorDb = -40;
  v.lowPassHz = 3400;
  AddRoughVoice(out, fs, start, v, rng, gain);
}

// The shore under the gulls: a soft wash of surf, swelling and ebbing over the call.
void AddShore(std::vector<float>& out, double fs, Rng& rng, double gain, double lowPassHz) {
  PinkNoise pink;
  // Two low-passes: the wash falls away steeply above its corner, as the breaking water
  // heard across a beach does.
  Biquad lp = Biquad::LowPass(fs, lowPassHz, 0.6), hp = Biquad::HighPass(fs, 120, 0.7);
  Biquad lp2 = Biquad::LowPass(fs, 2.0 * lowPassHz, 0.7);
  const double seconds = static_cast<double>(out.size()) / fs;
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) / fs;
    const double swell = 0.6 + 0.4 * Sin2Pi(t / 4.3 + 0.3);
    const double edges = CosineRamp(t / 0.3) * CosineRamp((seconds - t) / 0.6);
    out[i] += static_cast<float>(gain * swell * edges *
                                 lp2.Process(lp.Process(hp.Process(pink.Next(rng)))));
  }
}

}  // namespace

void LoonCry(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // The tremolo's "laugh": notes about nine a second, each a quick upward flick of pitch
  // and a slower fall, the level swelling with the pitch and nearly stopping between
  // them. No two notes are alike: their lengths, depths and levels all vary, and the
  // whole run climbs a little as the bird warms to it.
  constexpr int kNotes = 6;
  struct Note {
    double start, length, depth, gain, dip;
  };
  std::array<Note, kNotes> notes{};
  double at = 0.0;
  for (Note& n : notes) {
    n.start = at;
    n.length = 1.0 / rng.Uniform(7.8, 10.8);
    n.depth = rng.Uniform(0.055, 0.095);
    n.gain = rng.GainJitter(1.5);
    n.dip = rng.Uniform(0.04, 0.15);
    at += n.length;
  }
  const double seconds = at;
  auto noteAt = [notes](double t) -> const Note& {
    for (const Note& n : notes)
      if (t < n.start + n.length) return n;
    return notes.back();
  };
  // -1 at a note's start, +1 at its flick (35 % in), back to -1 at its end.
  auto flick = [](double u) {
    return u < 0.35 ? -1.0 + 2.0 * CosineRamp(u / 0.35) : 1.0 - 2.0 * CosineRamp((u - 0.35) / 0.65);
  };
  auto contour = LogBp({{0.0, 930}, {0.25, 1010}, {seconds, 1040}});
  auto env = NoteEnvelope(seconds, 0.03, 0.1);
  VoiceParams v;
  v.seconds = seconds;
  v.f0 = [=](double t) {
    const Note& n = noteAt(t);
    return contour(t) * (1.0 + n.depth * flick(Clamp((t - n.start) / n.length, 0.0, 1.0)));
  };
  v.amp = [=](double t) {
    const Note& n = noteAt(t);
    const double swell = 0.5 + 0.5 * flick(Clamp((t - n.start) / n.length - 0.05, 0.0, 1.0));
    return env(t) * n.gain * (n.dip + (1.0 - n.dip) * swell);
  };
  // A hollow, slightly nasal tone: the second harmonic strong, a resonance near 2 kHz.
  v.weights = {1.0, 0.32, 0.14, 0.05};
  v.formants = {{1000, 900, 0}, {2100, 700, -4}};
  v.formantFloorDb = -14;
  v.jitter = 0.012;
  v.jitterHz = 35;
  v.chaosSec = 0.03;
  v.shimmerDb = 1.2;
  v.noise = 0.2;
  v.noiseFormantQ = 3.0;
  AddVoice(out, fs, 0.02, v, rng);
  // Over open water: the far shore's echo, dull and late, and a soft tail.
  const std::array<EchoTap, 2> echoes = {{{0.13, 0.22, 2200}, {0.29, 0.12, 1500}}};
  AddEchoes(out, fs, echoes);
  AddRoom(out, fs, 1.2, 0.14, 2200, 0.02, 1.4);
  FinishEffect(out, spec, {.fadeOutSec = 0.05});
}

void LoonWail(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // The wail: three slow notes slurred into each other. Each jump overshoots and settles,
  // the held notes drift and waver as the bird's breath runs down, and the voice catches
  // (a moment of period doubling and rasp) where it leaps to the high note.
  std::vector<Breakpoints::Point> drift;
  for (double t = 0.0; t < 6.2; t += rng.Uniform(0.35, 0.7))
    drift.push_back({t, rng.Jitter(0.012)});
  const Breakpoints wander(drift, true);
  auto melody = LogBp({{0.0, 660},
                       {0.3, 695},
                       {1.25, 705},
                       {1.5, 1080},
                       {1.62, 1030},
                       {1.8, 1045},
                       {3.9, 1020},
                       {4.15, 840},
                       {4.3, 870},
                       {5.9, 730}});
  VoiceParams v;
  v.seconds = 5.9;
  v.f0 = [melody, wander](double t) { return melody(t) * wander.At(t); };
  v.amp = Bp({{0.0, 0.0},
              {0.35, 0.75},
              {1.2, 0.9},
              {1.4, 0.5},
              {1.7, 1.0},
              {2.8, 0.88},
              {3.85, 0.95},
              {4.1, 0.55},
              {4.35, 0.85},
              {5.4, 0.5},
              {5.9, 0.0}},
             true);
  v.weights = {1.0, 0.3, 0.12, 0.05};
  v.formants = {{900, 800, 0}, {2000, 900, -5}};
  v.formantFloorDb = -14;
  v.vibratoHz = 4.3;
  v.vibratoDepth = 0.007;
  v.vibratoDelay = 0.5;
  v.jitter = 0.006;
  v.jitterHz = 12;
  v.shimmerDb = 1.2;
  v.noiseCurve =
      Bp({{0.0, 0.22}, {0.5, 0.09}, {1.4, 0.1}, {1.6, 0.3}, {1.9, 0.1}, {5.0, 0.12}, {5.9, 0.25}});
  v.subharmonic =
      Bp({{1.38, 0.0}, {1.48, 0.45}, {1.68, 0.0}, {4.05, 0.0}, {4.15, 0.25}, {4.3, 0.0}});
  AddVoice(out, fs, 0.1, v, rng);
  // Across the lake: distinct echoes from the far shore and a long soft tail.
  const std::array<EchoTap, 3> echoes = {
      {{0.32, 0.35, 2200}, {0.57, 0.22, 1600}, {0.81, 0.14, 1200}}};
  AddEchoes(out, fs, echoes);
  AddRoom(out, fs, 3.0, 0.35, 2000, 0.04, 1.5);
  FinishEffect(out, spec, {.fadeOutSec = 1.2});
}

void Nightingale(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Where the full band reaches, the notes' upper harmonics and the clicks' hiss go on far
  // above the catalogue band (a recorded nightingale keeps 5 % of its power above 5.5 kHz
  // and 1 % above 11 kHz, falling only 6 dB an octave).
  const bool fullBand = fs > 2.0 * kCatalogueRate;
  const double noteTop = fullBand ? 14000.0 : 5200.0;
  // The song comes in phrases of a second or two, each of one kind of element, between
  // them a few soft notes. A click of the syrinx: a very short burst of noise from
  // 1.2 kHz that starts many of the hard elements, closing at 5 kHz (at the full band,
  // going on to 14 kHz).
  auto click = [&](double start, double seconds, double gain) {
    Biquad hp1 = Biquad::HighPass(fs, 1300, 0.7), hp2 = hp1;
    Biquad lp1 = Biquad::LowPass(fs, fullBand ? 14000.0 : 4800.0, 0.7);
    Biquad lp2 = Biquad::LowPass(fs, fullBand ? 18000.0 : 4800.0, 0.7);
    const int64_t from = Frame(start, fs), n = Frame(seconds, fs);
    const double white = 1.7320508 * WhiteDensityGain(fs, OriginalRate(spec));
    for (int64_t i = 0; i < n && from + i < static_cast<int64_t>(out.size()); ++i) {
      const double u = static_cast<double>(i) / static_cast<double>(n);
      // Heard across the wood, even a click takes a few milliseconds to arrive whole.
      const double env = CosineRamp(u / 0.3) * (1.0 - u) * (1.0 - u);
      const double w = lp2.Process(lp1.Process(hp2.Process(hp1.Process(white * rng.Bipolar()))));
      out[static_cast<size_t>(from + i)] += static_cast<float>(0.8 * gain * env * w);
    }
  };
  // The hard elements are not pure whistles: the two sides of the syrinx beat, and the
  // level flutters a hundred and more times a second.
  auto Rattled = [](Curve env, double hz) {
    return [env, hz](double t) { return env(t) * (1.0 - 0.6 * (0.5 + 0.5 * Sin2Pi(hz * t))); };
  };
  // Phrase 1: soft arched whistles low in the voice, then a few single notes rising
  // and falling, as if the bird were trying its range.
  for (int i = 0; i < 4; ++i) {
    const double start = 0.15 + 0.22 * i + rng.Uniform(0.0, 0.04), len = rng.Uniform(0.13, 0.17);
    const double base = rng.Uniform(1850, 2050);
    AddSyrinxNote(out, fs, rng, start, len,
                  LogBp({{0.0, 0.93 * base}, {0.4 * len, 1.06 * base}, {len, 0.95 * base}}),
                  NoteEnvelope(len, 0.03, 0.05), 0.22 * rng.GainJitter(2.0), 0.0, 1.5, noteTop);
  }
  AddSyrinxNote(out, fs, rng, 1.15, 0.1, LogBp({{0.0, 2700}, {0.1, 2900}}),
                NoteEnvelope(0.1, 0.015, 0.04), 0.35, 0.1, 1.5, noteTop);
  AddSyrinxNote(out, fs, rng, 1.6, 0.11, LogBp({{0.0, 3650}, {0.11, 3900}}),
                NoteEnvelope(0.11, 0.015, 0.05), 0.45, 0.0, 1.5, noteTop);
  click(1.88, 0.012, 0.4);
  AddSyrinxNote(out, fs, rng, 1.89, 0.1, LogBp({{0.0, 2200}, {0.1, 1350}}, false),
                NoteEnvelope(0.1, 0.005, 0.05), 0.5, 0.2, 1.5, noteTop);
  AddSyrinxNote(out, fs, rng, 2.03, 0.17, LogBp({{0.0, 3450}, {0.06, 3250}, {0.17, 2880}}),
                NoteEnvelope(0.17, 0.01, 0.06), 0.8, 0.05, 1.5, noteTop);
  // Phrase 2: "tchuk, tchuk...": six hard notes about eight a second, each a click
  // landing on a short note near 2.3 kHz with its octave strong, dropping at its end.
  for (int i = 0; i < 6; ++i) {
    const double start = 2.26 + 0.125 * i + rng.Uniform(-0.006, 0.006);
    const double hz = 2280 * rng.Jitter(0.02), len = 0.06 * rng.Jitter(0.1);
    const double g = rng.GainJitter(1.5);
    click(start, 0.014, 0.6 * g);
    AddSyrinxNote(out, fs, rng, start + 0.004, len,
                  LogBp({{0.0, 1.03 * hz}, {0.7 * len, hz}, {len, 0.7 * hz}}),
                  Rattled(NoteEnvelope(len, 0.004, 0.045), 190), 0.8 * g, 0.8, 2.0, noteTop);
  }
  // Between the phrases: a few faint notes, half lost in the wood.
  AddSyrinxNote(out, fs, rng, 3.6, 0.09, LogBp({{0.0, 2800}, {0.09, 2650}}),
                NoteEnvelope(0.09, 0.02, 0.04), 0.05, 0.0, 1.5, noteTop);
  AddSyrinxNote(out, fs, rng, 4.3, 0.12, LogBp({{0.0, 3700}, {0.12, 3600}}),
                NoteEnvelope(0.12, 0.02, 0.05), 0.04, 0.0, 1.5, noteTop);
  AddSyrinxNote(out, fs, rng, 4.75, 0.1, LogBp({{0.0, 1600}, {0.1, 1650}}),
                NoteEnvelope(0.1, 0.02, 0.05), 0.05, 0.2, 1.5, noteTop);
  // Phrase 3: downward sweeps thrown through the whole range, the last one loud.
  const std::array<std::array<double, 4>, 3> sweeps = {
      {{5.5, 3900, 1800, 0.5}, {5.72, 4100, 1700, 0.55}, {5.98, 2500, 1300, 0.9}}};
  for (const auto& [start, hi, lo, gain] : sweeps) {
    click(start, 0.01, 0.4 * gain);
    AddSyrinxNote(out, fs, rng, start, 0.11, LogBp({{0.0, hi}, {0.11, lo}}, false),
                  Rattled(NoteEnvelope(0.11, 0.009, 0.04), 150), gain, 0.1, 2.0, noteTop);
  }
  // Phrase 4: the rattle: about sixteen hard elements a second, each a click falling
  // from the top of the band onto a short note near 2.9 kHz, which creeps up to 3 kHz.
  // Each note dies over 30 ms into the next, and the wood rings on between them: the
  // rattle never falls silent inside itself.
  const double trillStart = 6.2, trillLen = 1.05;
  for (double t = 0.0; t < trillLen;) {
    const double hz = 2870 + 150 * t / trillLen, len = 0.042 * rng.Jitter(0.1);
    // The rattle swells in and, at its end, dies away rather than stopping.
    const double g = CosineRamp(t / 0.15) * (1.0 - CosineRamp((t - (trillLen - 0.25)) / 0.25)) *
                     rng.GainJitter(1.2);
    click(trillStart + t, 0.01, 0.22 * g);
    AddSyrinxNote(out, fs, rng, trillStart + t, 0.012, LogBp({{0.0, 5000}, {0.012, hz}}, false),
                  NoteEnvelope(0.012, 0.001, 0.004), 0.35 * g, 0.0, 2.0, std::max(5300.0, noteTop));
    AddSyrinxNote(out, fs, rng, trillStart + t + 0.01, len, LogBp({{0.0, hz}, {len, 0.97 * hz}}),
                  Rattled(NoteEnvelope(len, 0.003, 0.03), 230), 0.6 * g, 0.25, 2.0, noteTop);
    // It slows a little as it goes, about an eighth from its first element to its last.
    t += (1.0 + 0.12 * t / trillLen) / 16.0 * rng.Jitter(0.13);
  }
  // A birch wood at night: the song rings on among the trunks; still air, a faint stir
  // of leaves between the phrases.
  AddRoom(out, fs, 1.0, 0.2, 4200, 0.012, 1.2);
  AddAmbience(out, fs, rng, 46, 300, 3000, 8.1);
  FinishEffect(out, spec, {.fadeOutSec = 0.4});
}

void Crow(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // A bout of three caws. The syrinx buzzes at an unsteady rate near 400 Hz, rough and
  // half breath, and the long trachea and beak pass it in two bands, 1.4-2.3 kHz and a
  // weaker one at 3-3.5 kHz, so a caw is a soft-edged noisy blob with no clean harmonics.
  // It breaks in roughly, sags in pitch and dies away over a tenth of a second or more.
  // No two caws alike, and never on a beat.
  const double gap1 = rng.Uniform(0.55, 0.7), gap2 = rng.Uniform(0.75, 0.95);
  const std::array<double, 3> starts = {0.05, 0.05 + gap1, 0.05 + gap1 + gap2};
  for (size_t i = 0; i < starts.size(); ++i) {
    const double pitch = rng.Uniform(0.9, 1.1), band = rng.Uniform(0.95, 1.05);
    const double len = rng.Uniform(0.32, 0.45), rise = rng.Uniform(0.03, 0.05);
    const double release = rng.Uniform(0.21, 0.27);
    VoiceParams v;
    v.seconds = len;
    v.f0 = LogBp({{0.0, 380 * pitch}, {0.08, 430 * pitch}, {len, 340 * pitch}});
    v.amp = Bp({{0.0, 0.0}, {rise, 0.85}, {0.1, 1.0}, {len - release, 0.8}, {len, 0.0}}, true);
    v.tiltDbPerOctave = -2;
    v.formants = {{1800 * band, 450, 0}, {3250 * band, 450, -7}, {1350, 200, -16}};
    v.formantsFrom = {{1950 * band, 500, 0}, {3400 * band, 500, -6}, {1450, 220, -16}};
    v.morph = Bp({{0.0, 0.0}, {len, 1.0}});
    v.formantFloorDb = -40;
    v.formantOrder = 2;
    v.jitter = 0.06;
    v.jitterHz = 60;
    v.chaosSec = rng.Uniform(0.04, 0.08);
    v.shimmerDb = 2.5;
    v.noise = 0.9;
    v.noiseFormantQ = 3.0;
    AddVoice(out, fs, starts[i], v, rng, rng.Uniform(0.8, 1.0));
  }
  // From a tree across a field: a soft early reflection off the ground, an open tail.
  const std::array<EchoTap, 1> ground = {{{0.006, 0.35, 2500}}};
  AddEchoes(out, fs, ground);
  AddRoom(out, fs, 0.8, 0.12, 2500, 0.03, 1.2);
  FinishEffect(out, spec, {.targetDbfs = -12.0, .fadeOutSec = 0.3});
}

void Bird(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Each note carries a faint octave where the full band reaches (a recorded songbird's
  // notes ring on in upper harmonics to 8 kHz and more, falling steeply).
  const double kTopHz = fs > 2.0 * kCatalogueRate ? 11000.0 : 5300.0;
  // A songbird's strophe of clear whistles. Rising "tsweee" notes: each climbs from
  // about 2.3 to 3.1 kHz over a third of a second, swelling from a whisper to its
  // loudest at the top and breaking off there; no two alike in reach, length or level.
  auto sweep = [&](double start, double len, double lo, double hi, double gain) {
    const double top = rng.Uniform(0.8, 0.9) * len;
    AddSyrinxNote(out, fs, rng, start, len,
                  LogBp({{0.0, lo}, {0.45 * len, lo * 1.16}, {top, hi}, {len, hi * 0.985}}),
                  Bp({{0.0, 0.0},
                      {0.04, 0.08},
                      {0.45 * len, 0.25},
                      {0.75 * len, 0.75},
                      {top, 1.0},
                      {len, 0.0}},
                     true),
                  gain, 0.06, 1.0, kTopHz);
  };
  // The song proper: a steady note near 4 kHz, held and fading, answered by a hooked
  // note near 5 kHz that drops in from above, back and forth about twice a second.
  auto low = [&](double start, double len, double gain) {
    const double hz = 4020 * rng.Jitter(0.01);
    AddSyrinxNote(out, fs, rng, start, len, LogBp({{0.0, hz * 1.012}, {len, hz * 0.99}}),
                  Bp({{0.0, 0.0}, {0.03, 1.0}, {0.5 * len, 0.7}, {len, 0.0}}, true), gain, 0.04,
                  1.2, kTopHz);
  };
  auto hook = [&](double start, double len, double gain) {
    const double hz = 4960 * rng.Jitter(0.008);
    AddSyrinxNote(out, fs, rng, start, len,
                  LogBp({{0.0, hz * 1.03}, {0.025, hz}, {len, hz * 0.992}}),
                  Bp({{0.0, 0.0}, {0.028, 1.0}, {0.4 * len, 0.75}, {len, 0.0}}, true), gain, 0.04,
                  1.2, kTopHz);
  };
  // A fast stroke: a whistle that drops a major third or more in 25-45 ms, with its
  // octave, breathy as it starts. In the trill they run into one another; the strophe's
  // last strokes are drawn out, fading.
  auto stroke = [&](double start, double gain, double longest = 0.045) {
    const double len = rng.Uniform(0.025, longest), hi = rng.Uniform(4900, 5400);
    const double lo = hi * rng.Uniform(0.62, 0.75);
    AddSyrinxNote(out, fs, rng, start, len, LogBp({{0.0, hi}, {0.3 * len, hi * 0.96}, {len, lo}}),
                  NoteEnvelope(len, 0.016, 0.6 * len), gain, 0.1, 1.5, kTopHz);
  };
  sweep(0.05, rng.Uniform(0.34, 0.42), 2300, 3050, 0.9);
  sweep(0.63, rng.Uniform(0.3, 0.4), 2350 * rng.Jitter(0.03), 3120, 1.0 * rng.GainJitter(1.0));
  // A trill of fast strokes leads in, hurrying and easing as a bird's does, and swelling
  // from its first strokes to its middle and easing off again.
  double t = 1.1;
  const int trill = rng.Int(6, 8);
  for (int i = 0; i < trill; ++i) {
    const double swell = 0.25 + 0.75 * std::sin(std::numbers::pi * (i + 0.5) / trill);
    stroke(t, swell * rng.Uniform(0.45, 0.75), 0.05);
    t += rng.Uniform(0.045, 0.065);
  }
  t += 0.08;
  for (int i = 0; i < 2; ++i) {
    low(t, 0.17 * rng.Jitter(0.08), 0.8 * rng.GainJitter(1.0));
    t += rng.Uniform(0.24, 0.32);
    hook(t, 0.11 * rng.Jitter(0.08), 0.75 * rng.GainJitter(1.0));
    t += rng.Uniform(0.19, 0.26);
  }
  // And the opening again, a little lower and tiring, ending in two strokes.
  const double last = rng.Uniform(0.3, 0.38);
  sweep(t + 0.02, last, 2280, 3000 * rng.Jitter(0.02), 0.95);
  stroke(t + 0.1 + last, 0.6, 0.07);
  stroke(t + 0.19 + last + rng.Uniform(0.0, 0.03), 0.45, 0.08);
  // A wood's edge: a short, soft tail, and the breeze in the leaves under the song.
  AddRoom(out, fs, 0.7, 0.2, 4500, 0.015);
  AddAmbience(out, fs, rng, 36, 200, 4000, 3.6);
  // Where the full band reaches, the leaves' hiss goes on above it, fainter.
  if (fs > 2.0 * kCatalogueRate) AddAmbience(out, fs, rng, 55, 4000, 16000, 3.6);
  FinishEffect(out, spec, {.targetDbfs = kBrightTargetDbfs, .fadeOutSec = 0.2});
}

void SeaGull(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Long call: three drawn-out "kyow" notes, then a laughing "ha-ha" series falling in
  // pitch and level, and a last pair of calls. Near by, the voice is clearer than far off:
  // a recorded gull's call is mostly its harmonics.
  // Like any bird's, its notes are never cut to one pattern: each long note and each "ha"
  // takes its own length, pitch and level, and the laugh hurries and drags.
  constexpr double kBreath = 0.45;
  double t = 0.05;
  for (int i = 0; i < 3; ++i) {
    const double len = rng.Uniform(0.38, 0.46), pitch = rng.Jitter(0.04);
    AddGullNote(out, fs, t, len, pitch, rng, (1.0 - 0.05 * i) * rng.GainJitter(1.0), false,
                kBreath);
    t += len + rng.Uniform(0.14, 0.26);
  }
  t = std::max(t, 2.05);
  const int laughs = rng.Int(8, 9);
  for (int i = 0; i < laughs; ++i) {
    const double len = rng.Uniform(0.12, 0.18), pitch = (1.0 - 0.02 * i) * rng.Jitter(0.03);
    AddGullNote(out, fs, t, len, pitch, rng, (0.9 - 0.05 * i) * rng.GainJitter(1.5), true, kBreath);
    t += rng.Uniform(0.18, 0.27);
  }
  t = std::max(t + 0.1, 4.2);
  for (int i = 0; i < 2; ++i) {
    const double len = rng.Uniform(0.38, 0.44);
    AddGullNote(out, fs, t, len, (0.97 - 0.04 * i) * rng.Jitter(0.02), rng, 0.8 - 0.1 * i, false,
                kBreath);
    t += len + rng.Uniform(0.15, 0.25);
  }
  // On the beach: surf behind the bird and the open sky's short, bright tail.
  AddShore(out, fs, rng, 0.12, 1500);
  AddRoom(out, fs, 1.0, 0.18, 3500, 0.03, 1.3);
  // A recorded gull's call is spent by 4 kHz: little of its voice or of the sea is left
  // above that across a beach.
  FilterInPlace(out, Biquad::LowPass(fs, 4000, 0.7));
  FinishEffect(out, spec, {.fadeOutSec = 0.35});
}

void DistantGulls(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Three birds far out over the water, calling over each other.
  struct Call {
    double start, seconds, pitch, gain;
  };
  const std::array<Call, 6> calls = {{{0.02, 0.45, 1.05, 0.9},
                                      {0.9, 0.4, 0.88, 0.6},
                                      {1.7, 0.42, 1.05, 1.0},
                                      {3.3, 0.45, 1.18, 0.5},
                                      {4.6, 0.4, 0.9, 0.7},
                                      {5.4, 0.45, 1.05, 0.8}}};
  for (const Call& c : calls) AddGullNote(out, fs, c.start, c.seconds, c.pitch, rng, c.gain, false);
  double t = 2.4;
  for (int i = 0; i < 5; ++i) {
    const double len = rng.Uniform(0.12, 0.17), pitch = (0.9 - 0.015 * i) * rng.Jitter(0.03);
    AddGullNote(out, fs, t, len, pitch, rng, (0.55 - 0.05 * i) * rng.GainJitter(1.5), true);
    t += rng.Uniform(0.19, 0.29);
  }
  // Distance: dull, mostly reflected sound, the surf nearer than the birds.
  AddShore(out, fs, rng, 0.1, 1200);
  FilterInPlace(out, Biquad::LowPass(fs, 2500, 0.7));
  FilterInPlace(out, Biquad::LowPass(fs, 3000, 0.6));
  AddRoom(out, fs, 1.8, 0.9, 2000, 0.18, 1.6);
  FinishEffect(out, spec, {.targetDbfs = -13.0, .fadeOutSec = 0.6});
}

void Hawk(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // "Kee-eeeer": one hoarse scream of about a second, sliding down a little. The two
  // sides of the syrinx sound together: a bright upper line near 3.3 kHz and a hoarse
  // lower one that wanders round 2.3-2.7 kHz. Where they beat in the bird's nonlinear
  // voice they make combination tones spaced by their difference (2A-B near 4.1 kHz,
  // 2B-A near 1.6 kHz, 3A-2B near 5 kHz), a comb that is not a harmonic series, with
  // breath noise everywhere between its lines.
  const double len = 0.98;
  auto upper = LogBp({{0.0, 3000}, {0.05, 3300}, {0.35, 3260}, {0.7, 3190}, {len, 3080}});
  auto lower = LogBp({{0.0, 2250},
                      {0.15, 2300},
                      {0.28, 2420},
                      {0.4, 2650},
                      {0.55, 2380},
                      {0.72, 2600},
                      {len, 2430}});
  // The level: a quick swell to the loudest moment at 0.1-0.2 s, then a long fall.
  auto level = Bp({{0.0, 0.0},
                   {0.05, 0.55},
                   {0.12, 1.0},
                   {0.2, 1.0},
                   {0.4, 0.62},
                   {0.6, 0.42},
                   {0.8, 0.28},
                   {0.9, 0.2},
                   {len, 0.0}},
                  true);
  // The upper line gives way to the lower one for a moment twice, then comes back.
  auto upperShare = Bp({{0.0, 1.0},
                        {0.3, 1.0},
                        {0.38, 0.25},
                        {0.5, 0.3},
                        {0.56, 1.0},
                        {0.75, 0.9},
                        {0.82, 0.5},
                        {len, 0.6}});
  // Each source wanders on its own, fast and unevenly.
  Biquad wanderA = Biquad::LowPass(fs, 40), wanderB = Biquad::LowPass(fs, 90);
  Biquad shimmer = Biquad::LowPass(fs, 25);
  const double wanderScale = 1.0 / std::sqrt(0.74 * 40 / fs);
  const double wanderScaleB = 1.0 / std::sqrt(0.74 * 90 / fs);
  const double shimmerScale = 1.0 / std::sqrt(0.74 * 25 / fs);
  Biquad hoarse = Biquad::BandPass(fs, 2450, 3.0), bright = Biquad::BandPass(fs, 3250, 5.0);
  // The scream's top: at the catalogue's rate nothing passes 5 kHz (the top comb line sits
  // near it); where the full band reaches, the hiss and the voice's edge thin out above
  // 7 kHz instead (a recorded hawk keeps 2 % of its power above 5.5 kHz).
  const double topHz = fs > 2.0 * kCatalogueRate ? 7000.0 : 4900.0;
  Biquad hissLow = Biquad::HighPass(fs, 1100, 0.7),
         hissHigh = Biquad::LowPass(fs, topHz + 100.0, 0.7);
  constexpr std::array<double, 5> kComb = {0.18, 0.8, 1.0, 0.45, 0.22};  // 2B-A .. 3A-2B
  double pa = 0.0, pb = 0.0;
  const double whiteGain = 1.7320508 * WhiteDensityGain(fs, OriginalRate(spec));
  const int64_t start = Frame(0.03, fs), frames = Frame(len, fs);
  for (int64_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / fs;
    const double wa = wanderA.Process(rng.Bipolar()) * wanderScale;
    const double wb = wanderB.Process(rng.Bipolar()) * wanderScaleB;
    // After its loudest moment the whole scream sags, both lines a fifth lower at its end
    // (a red-tail's "kee-eeeer" slides from about 2.6 to 2.0 kHz).
    const double sag = 1.0 - 0.2 * CosineRamp((t - 0.3) / (len - 0.3));
    const double fa = upper(t) * sag * (1.0 + 0.01 * wa);
    const double fb = lower(t) * sag * (1.0 + 0.025 * wb);
    const double share = upperShare(t);
    double tone = 0.0;
    for (int k = -2; k <= 2; ++k) {
      // Component (1+k)A - kB: k = 0 is A itself, k = -1 is B.
      const double w = kComb[static_cast<size_t>(k + 2)] * (k == 0 ? share : 1.0);
      tone += w * Sin2Pi((1 + k) * pa - k * pb);
    }
    pa += fa / fs;
    pb += fb / fs;
    pa -= std::floor(pa);
    pb -= std::floor(pb);
    const double white = whiteGain * rng.Bipolar();
    const double breath = 1.4 * hoarse.Process(white) + 0.7 * bright.Process(white) +
                          0.2 * hissHigh.Process(hissLow.Process(white));
    const double a = level(t) * DbToGain(3.0 * shimmer.Process(rng.Bipolar()) * shimmerScale);
    const int64_t at = start + i;
    if (at >= static_cast<int64_t>(out.size())) break;
    out[static_cast<size_t>(at)] += static_cast<float>(0.3 * a * (tone + breath));
  }
  // The voice ends at its top (see topHz).
  FilterInPlace(out, Biquad::LowPass(fs, topHz, 0.7));
  FilterInPlace(out, Biquad::LowPass(fs, topHz + 100.0, 0.6));
  // On a windy ridge: the wind buffets round the bird, a low rumble under the scream.
  Biquad gust = Biquad::LowPass(fs, 1.5);
  Biquad windLow = Biquad::LowPass(fs, 140, 0.9), windHigh = Biquad::HighPass(fs, 65, 0.9);
  const double gustScale = 1.0 / std::sqrt(0.74 * 1.5 / fs);
  auto windLevel =
      Bp({{0.0, 0.0}, {0.06, 0.6}, {0.15, 1.0}, {0.7, 0.7}, {1.0, 0.45}, {1.12, 0.0}}, true);
  const int64_t windFrames = Frame(1.12, fs);
  for (int64_t i = 0; i < windFrames && i < static_cast<int64_t>(out.size()); ++i) {
    const double t = static_cast<double>(i) / fs;
    const double g = 1.0 + 0.3 * gust.Process(rng.Bipolar()) * gustScale;
    const double w = windLow.Process(windHigh.Process(whiteGain * rng.Bipolar()));
    out[static_cast<size_t>(i)] += static_cast<float>(1.3 * windLevel(t) * g * w);
  }
  // High over a valley: the far slope answers late and dull.
  const std::array<EchoTap, 2> slopes = {{{0.32, 0.14, 2500}, {0.55, 0.07, 2000}}};
  AddEchoes(out, fs, slopes);
  AddRoom(out, fs, 0.9, 0.12, 3500, 0.05, 1.4);
  FinishEffect(out, spec, {.fadeOutSec = 0.15});
}

void Cardinal(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // "What-cheer, cheer, cheer", then "birdie, birdie, birdie": loud slurred whistles,
  // nearly pure but with a trace of their octave. No two alike: each "cheer" starts and
  // ends its slur at its own pitch and bends at its own moment, the later ones a little
  // shorter as the bird hurries; the "birdie"s quicken too.
  AddSyrinxNote(out, fs, rng, 0.05, 0.1, LogBp({{0.0, 2000}, {0.1, 4000}}),
                NoteEnvelope(0.1, 0.015, 0.02), 0.8, 0.1);
  double at = 0.2;
  for (int i = 0; i < 3; ++i) {
    const double len = (0.46 - 0.04 * i) * rng.Jitter(0.08);
    const double top = 4500 * rng.Jitter(0.04), knee = 3300 * rng.Jitter(0.05);
    const double bend = rng.Uniform(0.18, 0.32), end = 2000 * rng.Jitter(0.05);
    AddSyrinxNote(out, fs, rng, at, len, LogBp({{0.0, top}, {bend * len, knee}, {len, end}}),
                  NoteEnvelope(len, 0.02, 0.12), (1.0 - 0.06 * i) * rng.GainJitter(1.0), 0.1);
    at += len + rng.Uniform(0.14, 0.22);
  }
  at += rng.Uniform(0.2, 0.35);
  for (int i = 0; i < 4; ++i) {
    const double up = 0.12 * rng.Jitter(0.1), down = (0.22 - 0.02 * i) * rng.Jitter(0.08);
    const double low = 2500 * rng.Jitter(0.04), high = 4000 * rng.Jitter(0.04);
    AddSyrinxNote(out, fs, rng, at, up, LogBp({{0.0, low}, {up, high}}),
                  NoteEnvelope(up, 0.015, 0.03), 0.8 * rng.GainJitter(1.0), 0.1);
    AddSyrinxNote(out, fs, rng, at + up + 0.02, down,
                  LogBp({{0.0, high}, {down, low * rng.Jitter(0.04)}}),
                  NoteEnvelope(down, 0.02, 0.08), 0.9 * rng.GainJitter(1.0), 0.1);
    at += up + down + rng.Uniform(0.12, 0.2) * (1.0 - 0.1 * i);
    if (at > 4.4) break;
  }
  AddRoom(out, fs, 0.7, 0.15, 4500, 0.01);
  FinishEffect(out, spec, {.targetDbfs = kBrightTargetDbfs, .fadeOutSec = 0.2});
}

void RedWingedBlackbird(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // "Conk-la-reee": a gurgling two-voiced "conk", a short clear "la", then the buzzy
  // trill: a fast train of raspy downward flicks (about 40 a second) over a band of noise.
  VoiceParams conk;
  conk.seconds = 0.12;
  conk.f0 = LogBp({{0.0, 1500}, {0.05, 2400}, {0.12, 1700}});
  conk.amp = NoteEnvelope(0.12, 0.01, 0.05);
  conk.weights = {1.0, 0.5, 0.25};
  conk.jitter = 0.03;
  conk.jitterHz = 120;
  conk.subharmonic = Bp({{0.0, 0.6}, {0.12, 0.3}});
  conk.noise = 0.35;
  conk.formants = {{2200, 1500, 0}};
  conk.formantFloorDb = -40;
  conk.formantOrder = 2;
  AddVoice(out, fs, 0.03, conk, rng, 0.85);
  AddSyrinxNote(out, fs, rng, 0.18, 0.08, LogBp({{0.0, 2900}, {0.08, 3200}}),
                NoteEnvelope(0.08, 0.01, 0.03), 0.7, 0.05);
  const double trillStart = 0.3, trillLen = 0.75;
  const auto trillEnv = NoteEnvelope(trillLen, 0.06, 0.25);
  for (double t = 0.0; t < trillLen - 0.02;) {
    const double flick = 0.02 * rng.Jitter(0.15);
    const double top = (4600.0 - 500.0 * t) * rng.Jitter(0.04);
    VoiceParams f;
    f.seconds = flick;
    f.f0 = LogBp({{0.0, top}, {flick, 0.62 * top}}, false);
    f.amp = NoteEnvelope(flick, 0.003, 0.01);
    f.weights = {1.0};
    f.jitter = 0.04;
    f.jitterHz = 400;
    f.noise = 0.5;
    // The rasp lies round the flick, 2-6 kHz, falling away steeply outside it.
    f.formants = {{3500, 1600, 0}};
    f.formantFloorDb = -45;
    f.formantOrder = 2;
    f.noiseFormantQ = 2.5;
    AddVoice(out, fs, trillStart + t, f, rng, trillEnv(t + 0.5 * flick) * rng.GainJitter(1.5));
    t += 1.0 / 40.0 * rng.Jitter(0.1);
  }
  // In the reeds of a marsh: close, with a short, soft tail.
  AddRoom(out, fs, 0.5, 0.12, 4000, 0.01, 0.8);
  FinishEffect(out, spec, {.fadeOutSec = 0.1});
}

void WhoopingCrane(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // A unison duet of loud bugled "whoops": the second bird higher, between the first's.
  // Neither keeps strict time, and no two notes are the same length or shape: each
  // scoops up, peaks somewhere in its first third and sags, some with a break at the end.
  auto note = [&](double start, double base, double gain) {
    VoiceParams v;
    const double len = rng.Uniform(0.3, 0.44);
    const double peak = rng.Uniform(0.04, 0.13);
    const double rise = rng.Uniform(1.03, 1.09), fall = rng.Uniform(0.9, 0.97);
    const double brk = rng.Uniform(0.0, 0.5);
    v.seconds = len;
    v.f0 = LogBp({{0.0, 0.85 * base}, {peak, rise * base}, {len, fall * base}});
    v.amp = Bp({{0.0, 0.0}, {0.03, 0.9}, {0.1, 1.0}, {0.8 * len, 0.8}, {len, 0.0}}, true);
    v.weights = {1.0, 0.6, 0.4, 0.25, 0.12};
    v.formants = {{1100, 900, 0}, {2400, 1200, -3}};
    v.formantFloorDb = -12;
    v.jitter = 0.02;
    v.jitterHz = 40;
    v.chaosSec = 0.04;
    v.shimmerDb = 1.5;
    v.amHz = 40;
    v.amDepth = 0.15;
    v.subharmonic = Bp({{0.0, 0.4}, {0.06, 0.0}, {0.75 * len, 0.0}, {len, brk}});
    v.noise = 0.3;
    AddVoice(out, fs, start, v, rng, gain);
  };
  double t = 0.1;
  for (int i = 0; i < 6; ++i) {
    note(t, 980 * rng.Jitter(0.035), (1.0 - 0.04 * i) * rng.GainJitter(1.0));
    const double gap = rng.Uniform(0.54, 0.66);
    if (i < 5)
      note(t + gap * rng.Uniform(0.45, 0.55), 1280 * rng.Jitter(0.035), 0.7 * rng.GainJitter(1.5));
    t += gap;
  }
  AddRoom(out, fs, 1.2, 0.3, 3000, 0.03, 1.4);
  FinishEffect(out, spec, {.fadeOutSec = 0.4});
}

void Robin(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Caroled phrases ("cheerily, cheer-up, cheerio"): liquid up-down syllables with gaps.
  const std::array<int, 4> syllables = {3, 2, 3, 2};
  double t = 0.05;
  for (int phrase = 0; phrase < 4; ++phrase) {
    for (int s = 0; s < syllables[phrase]; ++s) {
      const double len = rng.Uniform(0.1, 0.18);
      const double lo = rng.Uniform(2000, 2500), hi = rng.Uniform(3000, 3600);
      const double mid = rng.Uniform(0.25, 0.55) * len;
      const double rate = rng.Uniform(25, 45);
      const double gain = rng.GainJitter(2.5);
      // Each syllable its own shape: most rise and fall, some only slur down from the
      // top, some climb and hook over at the end.
      const double kind = rng.Uniform();
      const Curve contour = kind < 0.55
                                ? LogBp({{0.0, lo}, {mid, hi}, {len, lo * rng.Uniform(1.0, 1.25)}})
                            : kind < 0.8 ? LogBp({{0.0, hi}, {0.3 * len, 0.92 * hi}, {len, lo}})
                                         : LogBp({{0.0, lo}, {0.75 * len, hi}, {len, 0.9 * hi}});
      AddWarble(out, fs, rng, t, len, contour, rate, 0.025, gain);
      t += len + rng.Uniform(0.03, 0.09);
    }
    t += rng.Uniform(0.25, 0.35);
  }
  AddRoom(out, fs, 0.7, 0.15, 4500, 0.01);
  FinishEffect(out, spec, {.targetDbfs = kBrightTargetDbfs, .fadeOutSec = 0.15});
}

}  // namespace lullwood::synth::fx
