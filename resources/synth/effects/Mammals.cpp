// Mammal calls: source-filter voices (a band-limited harmonic source through formants)
// with jitter, roughness and breath, placed in a room or landscape.
#include <array>
#include <cmath>

#include "../kit/Filters.h"
#include "../kit/Random.h"
#include "Effects.h"
#include "Voices.h"

namespace lullwood::synth::fx {

void DogBark(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Three barks of a big dog, close by in a yard. A bark is 0.15-0.23 s of rough voice: the
  // larynx breaks in chaotically, every cycle a little longer or shorter than the last and
  // alternate ones split where the folds do, with as much breath as tone through a mouth
  // that opens as it barks. Its strongest energy lies at 0.3-1.2 kHz, noise in the mouth's
  // resonances above to 6 kHz and past it. No two barks alike, and never on a beat.
  const double gap1 = rng.Uniform(0.43, 0.55), gap2 = rng.Uniform(0.5, 0.64);
  const std::array<double, 3> starts = {0.03, 0.03 + gap1, 0.03 + gap1 + gap2};
  const std::array<double, 3> levelsDb = {0.0, -1.0, -2.5};
  for (size_t b = 0; b < starts.size(); ++b) {
    const double pitch = rng.Uniform(0.85, 1.15);
    const double mouth = rng.Uniform(0.9, 1.1);
    const double len = rng.Uniform(0.15, 0.23);
    const double rise = rng.Uniform(0.018, 0.03);
    const double peak = rng.Uniform(0.25, 0.45) * len;
    const double splitFrom = rng.Uniform(0.1, 0.5) * len;
    const double splitLen = rng.Uniform(0.15, 0.4) * len;
    // How far the pitch drops as the bark ends, and from when: each bark its own.
    const double drop = rng.Uniform(0.65, 0.9);
    const double dropFrom = rng.Uniform(0.65, 0.85) * len;
    RoughVoiceParams v;
    v.seconds = len;
    v.f0 = LogBp({{0.0, 300 * pitch},
                  {peak, 380 * pitch},
                  {dropFrom, 345 * pitch},
                  {len, 345 * drop * pitch}});
    v.amp = Bp(
        {{0.0, 0.0}, {rise, 1.0}, {peak, 0.95}, {0.6 * len, 0.75}, {0.85 * len, 0.3}, {len, 0.0}},
        true);
    v.jitter = rng.Uniform(0.05, 0.08);
    v.shimmerDb = 2.0;
    v.doubling = Bp({{0.0, 0.8},
                     {0.04, 0.2},
                     {splitFrom, 0.1},
                     {splitFrom + 0.3 * splitLen, 0.7},
                     {splitFrom + splitLen, 0.1},
                     {len, 0.5}});
    v.openQuotient = 0.55;
    // The highs build as the mouth opens and go first as the bark tires.
    v.snap = Bp({{0.0, 0.3}, {0.3 * len, 1.0}, {0.5 * len, 0.9}, {0.85 * len, 0.2}, {len, 0.0}});
    v.breath = Bp({{0.0, 0.2}, {0.35 * len, 0.4}, {0.6 * len, 0.25}, {0.85 * len, 0.05}});
    v.formants = {{620 * mouth, 260, 0},    {1300 * mouth, 400, -3}, {2500 * mouth, 600, -10},
                  {3600 * mouth, 900, -18}, {5200, 1600, -22},       {8500, 5000, -29}};
    v.formantsFrom = {{450 * mouth, 220, 0}, {1000 * mouth, 350, -6}, {2200, 600, -15},
                      {3300, 900, -20},      {5000, 1600, -24},       {8000, 5000, -30}};
    v.morph = Bp({{0.0, 0.0}, {0.35 * len, 1.0}}, true);
    v.floorDb = -46;
    AddRoughVoice(out, fs, starts[b], v, rng, DbToGain(levelsDb[b]));
  }
  // The head and the air dull what lies far above the mouth's resonances.
  FilterInPlace(out, Biquad::LowPass(fs, 9000, 0.6));
  // A yard: two early reflections from walls and a short dull tail.
  const std::array<EchoTap, 2> walls = {{{0.013, 0.3, 1500}, {0.029, 0.2, 1200}}};
  AddEchoes(out, fs, walls);
  AddRoom(out, fs, 0.35, 0.18, 1600, 0.01, 0.6);
  // The yard between the barks: air and a distant street, never a dead silence.
  AddAmbience(out, fs, rng, 34, 100, 3000, static_cast<double>(out.size()) / fs);
  FinishEffect(out, spec, {.fadeOutSec = 0.15});
}

void Horse(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // A whinny is biphonic: a high, strained cry (1.7-2.5 kHz) that breaks and quavers as it
  // descends, over an independent low, harsh voice; much breath between the harmonics and
  // a snort to close. Out in a paddock.
  const double call = 1.45;
  // A quaver slowing from 12 to 9 Hz, in both voices but not in step.
  auto quaver = [](double t) { return Sin2Pi(12.0 * t - 1.2 * t * t); };
  auto callAmp =
      Bp({{0.0, 0.0}, {0.05, 0.7}, {0.15, 1.0}, {0.7, 0.9}, {1.05, 0.6}, {1.25, 0.35}, {call, 0.0}},
         true);
  // The cry: a near-sine with weak harmonics that rises into a steady arc, then breaks:
  // the second half is a rough, noisy quaver with torn fragments of the tone.
  VoiceParams cry;
  cry.seconds = call;
  auto cryHz = LogBp({{0.0, 1550},
                      {0.1, 1950},
                      {0.3, 2080},
                      {0.5, 2000},
                      {0.56, 1650},
                      {0.62, 1800},
                      {0.7, 1600},
                      {0.8, 1900},
                      {0.95, 1700},
                      {1.1, 1850},
                      {1.28, 1650},
                      {call, 1450}});
  cry.f0 = [cryHz, quaver](double t) {
    return cryHz(t) * (1.0 + 0.035 * CosineRamp((t - 0.5) / 0.1) * quaver(t));
  };
  auto cryAmp = Bp({{0.0, 0.0},
                    {0.05, 0.8},
                    {0.15, 1.0},
                    {0.5, 0.95},
                    {0.58, 0.35},
                    {0.66, 0.7},
                    {0.75, 0.3},
                    {0.85, 0.6},
                    {1.0, 0.25},
                    {1.1, 0.45},
                    {1.28, 0.3},
                    {call, 0.0}},
                   true);
  cry.amp = [cryAmp, quaver](double t) { return cryAmp(t) * (0.75 + 0.25 * quaver(t)); };
  cry.weights = {1.0, 0.35, 0.15, 0.06};
  cry.jitter = 0.012;
  cry.jitterHz = 90;
  cry.chaosSec = 0.06;
  cry.shimmerDb = 2.5;
  cry.noiseCurve = Bp({{0.0, 0.5}, {0.45, 0.3}, {0.6, 1.8}, {call, 2.2}});
  cry.formants = {{1850, 900, 0}, {1200, 700, -8}};
  cry.noiseFormantQ = 2.0;
  cry.lowPassHz = 3500;
  AddVoice(out, fs, 0.03, cry, rng, 1.0);
  // The low voice: harsh, period-doubling, through a long tract's formants.
  VoiceParams low;
  low.seconds = call;
  auto lowHz = LogBp({{0.0, 330}, {0.2, 380}, {0.8, 300}, {call, 240}});
  low.f0 = [lowHz, quaver](double t) { return lowHz(t) * (1.0 + 0.05 * quaver(t + 0.03)); };
  low.amp = callAmp;
  low.tiltDbPerOctave = -6;
  low.formants = {{620, 250, 0}, {1150, 300, -3}, {2300, 400, -8}};
  low.jitter = 0.04;
  low.chaosSec = 0.1;
  low.shimmerDb = 2.0;
  low.subharmonic = Bp({{0.0, 0.8}, {0.15, 0.2}, {0.9, 0.3}, {call, 0.8}});
  low.noise = 1.2;
  low.lowPassHz = 1800;
  AddVoice(out, fs, 0.03, low, rng, 0.2);

  const double white = WhiteDensityGain(fs, OriginalRate(spec));
  // Breath rushes through the strained larynx at the cry's height, a faint hiss up to
  // 10 kHz over the voice (a recorded whinny shows it as a column some 40 dB down).
  {
    Biquad breathHp = Biquad::HighPass(fs, 2500, 0.7);
    Biquad breathLp = Biquad::LowPass(fs, 8000, 0.7);
    auto breath =
        Bp({{0.0, 0.0}, {0.4, 0.2}, {0.6, 1.0}, {1.0, 0.8}, {1.25, 0.2}, {call, 0.0}}, true);
    const int64_t b0 = Frame(0.03, fs), b1 = Frame(0.03 + call, fs);
    for (int64_t i = b0; i < b1 && i < static_cast<int64_t>(out.size()); ++i) {
      const double t = static_cast<double>(i - b0) / fs;
      const double x = breathLp.Process(breathHp.Process(white * rng.Bipolar()));
      out[static_cast<size_t>(i)] += static_cast<float>(0.015 * breath(t) * x);
    }
  }
  // Closing snort: a puff of low, breathy noise, blown out as the cry fades.
  Biquad lp = Biquad::LowPass(fs, 1000, 0.8);
  Biquad hp = Biquad::HighPass(fs, 150, 0.7);
  const int64_t s0 = Frame(1.36, fs), s1 = Frame(1.58, fs);
  for (int64_t i = s0; i < s1 && i < static_cast<int64_t>(out.size()); ++i) {
    const double u = static_cast<double>(i - s0) / static_cast<double>(s1 - s0);
    const double env = CosineRamp(u / 0.3) * (1.0 - CosineRamp((u - 0.35) / 0.65));
    out[i] += static_cast<float>(0.3 * env * hp.Process(lp.Process(white * rng.Bipolar())));
  }
  // A paddock: a barn wall's reflection and a short open tail.
  const std::array<EchoTap, 1> barn = {{{0.045, 0.2, 2000}}};
  AddEchoes(out, fs, barn);
  AddRoom(out, fs, 0.6, 0.15, 3000, 0.01);
  FinishEffect(out, spec, {.fadeOutSec = 0.08});
}

void Wolves(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // A howl lasts about three seconds (recorded ones 2.7-3.3 s). It breaks in breathily,
  // slides up to its note within half a second, holds it with a slow wander and falls
  // away; somewhere along it the voice breaks: a step of a few semitones, up or down,
  // held or glided back. The second and third harmonics are almost as strong as the
  // fundamental, and breath runs between them.
  struct Break {
    double at, ratio, hold, back;  // when, pitch ratio, how long held, how long to glide back
  };
  auto howl = [&](std::vector<float>& into, double start, double seconds, Curve f0, Curve amp,
                  double gain, Break br) {
    VoiceParams v;
    v.seconds = seconds;
    v.f0 = [f0 = std::move(f0), br](double t) {
      const double u = t - br.at;
      double step = 1.0;
      if (u > 0.0)
        step = 1.0 + (br.ratio - 1.0) * CosineRamp(u / 0.03) *
                         (1.0 - CosineRamp((u - br.hold) / std::max(br.back, 0.03)));
      return f0(t) * step;
    };
    v.amp = std::move(amp);
    v.tiltDbPerOctave = -8;
    v.formants = {{520, 420, 0}, {1100, 600, -3}, {1700, 700, -8}, {2600, 900, -16}};
    v.formantsFrom = {{440, 380, 0}, {950, 500, -6}, {1500, 700, -12}, {2300, 900, -20}};
    v.morph = Bp({{0.0, 0.0}, {0.5, 1.0}, {seconds - 0.7, 1.0}, {seconds, 0.3}}, true);
    v.formantFloorDb = -24;
    v.vibratoHz = 4.2;
    v.vibratoDepth = 0.006;
    v.vibratoDelay = 1.0;
    v.jitter = 0.015;
    v.jitterHz = 2.5;
    v.shimmerDb = 1.5;
    // Breath: loud as the howl breaks in, then a steady hiss between the harmonics.
    v.noiseCurve = Bp({{0.0, 0.5}, {0.35, 0.07}, {seconds, 0.1}}, true);
    v.noiseFormantQ = 1.2;
    v.chaosSec = 0.3;
    AddVoice(into, fs, start, v, rng, gain);
  };
  // First wolf: slides up to 530 Hz, holds, and breaks down a third into a slow fall.
  howl(out, 0.1, 3.0,
       LogBp({{0.0, 360}, {0.4, 520}, {1.2, 540}, {2.0, 530}, {2.6, 505}, {3.0, 450}}),
       Bp({{0.0, 0.0}, {0.2, 0.6}, {0.5, 1.0}, {2.3, 0.85}, {3.0, 0.0}}, true), 1.0,
       {2.0, 0.84, 5.0, 0.0});
  // A second joins higher before the first is done; its voice jumps up and glides back.
  howl(out, 1.25, 2.7, LogBp({{0.0, 470}, {0.4, 620}, {1.4, 640}, {2.2, 600}, {2.7, 480}}),
       Bp({{0.0, 0.0}, {0.25, 0.5}, {0.6, 0.75}, {2.0, 0.65}, {2.7, 0.0}}, true), 0.8,
       {1.5, 1.14, 0.35, 0.3});
  // After a breath the first howls again, lower, sagging from the start.
  howl(out, 4.55, 3.0,
       LogBp({{0.0, 330}, {0.45, 490}, {1.3, 500}, {2.2, 470}, {2.7, 420}, {3.0, 360}}),
       Bp({{0.0, 0.0}, {0.25, 0.6}, {0.6, 0.95}, {2.2, 0.8}, {3.0, 0.0}}, true), 0.95,
       {1.6, 0.89, 0.5, 0.6});
  // A third, far off across the valley: dull, and well under the near ones.
  std::vector<float> far(out.size(), 0.0f);
  howl(far, 3.3, 3.2, LogBp({{0.0, 400}, {0.5, 560}, {2.4, 570}, {3.2, 430}}),
       Bp({{0.0, 0.0}, {0.5, 0.8}, {2.4, 0.7}, {3.2, 0.0}}, true), 1.0, {10.0, 1.0, 0.0, 0.0});
  FilterInPlace(far, Biquad::LowPass(fs, 1100, 0.7));
  for (size_t i = 0; i < out.size(); ++i) out[i] += 0.08f * far[i];
  FilterInPlace(out, Biquad::LowPass(fs, 3200, 0.7));
  // In a forest at night: trunks scatter early reflections, then a dark tail.
  const std::array<EchoTap, 3> trunks = {
      {{0.023, 0.22, 2200}, {0.041, 0.16, 1800}, {0.067, 0.1, 1500}}};
  AddEchoes(out, fs, trunks);
  AddRoom(out, fs, 1.4, 0.35, 2200, 0.03, 1.3);
  AddAmbience(out, fs, rng, 40, 150, 3000, 8.7);
  FinishEffect(out, spec, {.fadeOutSec = 1.0});
}

void Whale(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  auto unit = [&](double start, double seconds, Curve f0, Curve amp, double tilt, double pulseHz,
                  double gain) {
    VoiceParams v;
    v.seconds = seconds;
    v.f0 = std::move(f0);
    v.amp = std::move(amp);
    v.tiltDbPerOctave = tilt;
    v.formants = {{300, 250, 0}, {450, 200, 0}, {900, 400, -12}};
    v.formantFloorDb = -30;
    v.formantOrder = 2;
    v.maxHz = 1800;
    v.vibratoHz = 2.3;
    v.vibratoDepth = 0.008;
    v.jitter = 0.015;
    v.jitterHz = 6;
    v.shimmerDb = 1.5;
    v.amHz = pulseHz;
    v.amDepth = pulseHz > 0 ? 0.45 : 0.0;
    // Breath through the resonances, swelling in after the tone and gone before it ends,
    // so it stands on the sea's murmur (below) with soft edges, not as a box of noise.
    v.noiseCurve =
        Bp({{0.0, 0.0}, {0.45 * seconds, 0.45}, {0.65 * seconds, 0.45}, {seconds, 0.0}}, true);
    v.noiseFormantQ = 8.0;
    AddVoice(out, fs, start, v, rng, gain);
  };
  // Humpback song units: a long falling moan, a pulsed grunt, a sharp upsweep and a
  // closing moan that sags and breaks into pulses.
  unit(0.2, 1.6, LogBp({{0.0, 420}, {0.4, 450}, {1.1, 420}, {1.6, 370}}),
       Bp({{0.0, 0.0}, {0.3, 0.9}, {0.8, 1.0}, {1.3, 0.7}, {1.6, 0.0}}, true), -14, 0, 1.0);
  unit(2.9, 1.2, LogBp({{0.0, 240}, {0.5, 265}, {1.2, 220}}),
       Bp({{0.0, 0.0}, {0.1, 0.8}, {0.8, 0.7}, {1.2, 0.0}}, true), -10, 14, 1.0);
  unit(4.3, 0.5, LogBp({{0.0, 350}, {0.35, 1300}, {0.5, 1200}}),
       Bp({{0.0, 0.0}, {0.05, 0.5}, {0.35, 0.45}, {0.5, 0.0}}, true), -18, 0, 0.3);
  unit(5.5, 1.6, LogBp({{0.0, 290}, {0.6, 310}, {1.2, 270}, {1.6, 220}}),
       Bp({{0.0, 0.0}, {0.4, 0.9}, {1.1, 0.8}, {1.6, 0.0}}, true), -12, 0, 0.9);
  // Under water: dull, with a long tail from the sea bed and surface that smears the
  // echoes, rather than discrete echoes that would repeat a unit whole.
  FilterInPlace(out, Biquad::LowPass(fs, 1600, 0.7));
  AddRoom(out, fs, 3.0, 0.4, 1200, 0.08, 1.6);
  // The sea's own murmur under the song, so the breath does not stand in boxes on silence.
  AddAmbience(out, fs, rng, 27, 60, 900, static_cast<double>(out.size()) / fs);
  FinishEffect(out, spec, {.fadeOutSec = 1.0});
}

void SeaLion(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Three calls from a rock, each its own. Some open with a squeal, the pitch sweeping up
  // fast and fairly clean; then the larynx breaks into the honk: a harsh, breathy voice near
  // 650 Hz whose harmonics above the third drown in noise at 2-4 kHz, its pitch wavering.
  double start = 0.05;
  for (int call = 0; call < 3; ++call) {
    const double pitch = rng.Uniform(0.9, 1.1);
    const double level = rng.GainJitter(1.0);
    const double mouth = rng.Uniform(0.93, 1.07);
    std::vector<Formant> tract = {{700 * mouth, 300, -15}, {1950 * mouth, 600, 0},
                                  {2700 * mouth, 700, -1}, {3400 * mouth, 600, -4},
                                  {5500, 2000, -16},       {9000, 4000, -28}};
    double honkAt = start;
    // The first call opens with a squeal, the last is honk alone.
    if (call == 0 || (call == 1 && rng.Chance(0.7))) {
      const double len = rng.Uniform(0.12, 0.24);
      const double from = rng.Uniform(650, 800) * pitch, to = rng.Uniform(1300, 1700) * pitch;
      // Not one smooth sweep: the squeal climbs, catches, leaps and climbs again.
      const double knee = rng.Uniform(0.3, 0.5) * len;
      const double caught = from * rng.Uniform(1.1, 1.3);
      const double leap = rng.Uniform(1.15, 1.35);
      RoughVoiceParams squeal;
      squeal.seconds = len;
      squeal.f0 = LogBp({{0.0, from},
                         {knee, caught},
                         {knee + 0.015, caught * leap},
                         {0.85 * len, to},
                         {len, 0.93 * to}});
      squeal.amp = Bp({{0.0, 0.0}, {0.04, 0.5}, {0.7 * len, 0.7}, {len, 0.0}}, true);
      squeal.jitter = 0.015;
      squeal.snap = Bp({{0.0, 0.3}, {len, 0.6}});
      squeal.shimmerDb = 1.0;
      squeal.breath = Bp({{0.0, 0.15}, {len, 0.3}});
      squeal.formants = tract;
      squeal.floorDb = -20;
      AddRoughVoice(out, fs, start, squeal, rng, 0.6 * level);
      honkAt = start + len - rng.Uniform(0.0, 0.03);
    }
    const double len = rng.Uniform(0.5, 0.68);
    const double f0 = 650 * pitch;
    const double wobble1 = rng.Uniform(0.95, 1.07), wobble2 = rng.Uniform(0.93, 1.05);
    const double breakAt = rng.Uniform(0.2, 0.5) * len;
    // The honk's pitch never holds: it wavers a few per cent at two slow, unrelated rates.
    const double waverHz = rng.Uniform(2.5, 4.0), waver2Hz = rng.Uniform(5.0, 7.5);
    const double waverPhase = rng.Uniform(), waver2Phase = rng.Uniform();
    RoughVoiceParams honk;
    honk.seconds = len;
    honk.f0 = [contour = LogBp({{0.0, 0.9 * f0},
                                {0.1, f0},
                                {0.4 * len, wobble1 * f0},
                                {0.75 * len, wobble2 * f0},
                                {len, 0.9 * f0}}),
               waverHz, waver2Hz, waverPhase, waver2Phase](double t) {
      return contour(t) * (1.0 + 0.025 * Sin2Pi(waverHz * t + waverPhase) +
                           0.015 * Sin2Pi(waver2Hz * t + waver2Phase));
    };
    const double attack = rng.Uniform(0.04, 0.09);
    honk.amp =
        Bp({{0.0, 0.0}, {attack, 0.9}, {0.5 * len, 1.0}, {0.8 * len, 0.6}, {len, 0.0}}, true);
    honk.jitter = rng.Uniform(0.05, 0.065);
    honk.shimmerDb = 2.0;
    honk.doubling = Bp({{0.0, 0.6},
                        {0.05, 0.1},
                        {breakAt, 0.1},
                        {breakAt + 0.06, 0.8},
                        {breakAt + 0.15, 0.2},
                        {len, 0.4}});
    honk.breath =
        Bp({{0.0, 0.2}, {0.3 * len, 1.0}, {0.6 * len, 0.9}, {0.85 * len, 0.3}, {len, 0.1}});
    honk.snap = Bp({{0.0, 0.2}, {0.15, 1.0}, {0.6 * len, 0.9}, {0.9 * len, 0.2}, {len, 0.0}});
    honk.formants = tract;
    honk.floorDb = -30;
    AddRoughVoice(out, fs, honkAt, honk, rng, level);
    start = honkAt + len + rng.Uniform(0.2, 0.35);
  }
  // Wind and distance dull what lies far above the tract's resonances.
  FilterInPlace(out, Biquad::LowPass(fs, 10000, 0.6));
  // A rocky shore: a hard reflection from the rock face and a short bright tail.
  const std::array<EchoTap, 2> rocks = {{{0.021, 0.3, 3000}, {0.047, 0.18, 2500}}};
  AddEchoes(out, fs, rocks);
  AddRoom(out, fs, 0.5, 0.15, 3000, 0.02);
  FinishEffect(out, spec, {.fadeOutSec = 0.25});
}

void Cattle(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // "Mmm-ooo": a closed, nasal hum that opens into a long vowel of a 0.5 m tract, the
  // pitch climbing as the mouth opens and sagging at the end; a little rough and breathy,
  // its harmonics reaching 4-5 kHz through the open mouth (a recorded moo shows them clearly
  // to 4 kHz, breath to 8). Across a field. No two moos alike: the second is shorter,
  // opens sooner and higher through a wider mouth, wavers at the top and drags down into a
  // growl.
  auto moo = [&](double start, double seconds, Curve f0, double opensAt, double mouth,
                 double gain) {
    const double open = opensAt * seconds;
    RoughVoiceParams v;
    v.seconds = seconds;
    v.f0 = std::move(f0);
    v.amp = Bp({{0.0, 0.0},
                {0.12, 0.45},
                {open, 0.9},
                {rng.Uniform(0.55, 0.75) * seconds, 1.0},
                {seconds, 0.0}},
               true);
    // A fairly steady larynx (its harmonics stand as lines to 3 kHz, as recorded, but not
    // as a clean comb: every period wavers and breath fills between them) that roughens
    // and splits into a growl as the breath runs out.
    v.jitter = 0.025;
    v.shimmerDb = 2.0;
    v.doubling = Bp({{0.0, 0.0}, {0.75 * seconds, 0.0}, {seconds, 0.7}});
    v.breath = Bp({{0.0, 0.2}, {open, 0.45}, {0.8 * seconds, 0.5}, {seconds, 0.6}});
    v.snap = Bp({{0.0, 0.5}, {open, 1.0}, {0.8 * seconds, 0.9}, {seconds, 0.3}});
    v.formantsFrom = {{260, 120, 0},    {520, 200, -20},  {1000, 250, -30},
                      {1500, 300, -40}, {2500, 400, -45}, {3500, 500, -50}};
    v.formants = {{310 * mouth, 160, -2},  {760 * mouth, 240, 0},   {1250 * mouth, 280, -1},
                  {1800 * mouth, 300, -4}, {2400 * mouth, 400, -7}, {3500 * mouth, 500, -16}};
    v.morph = Bp({{0.0, 0.0}, {0.6 * open, 0.0}, {1.4 * open, 1.0}}, true);
    v.floorDb = -40;
    AddRoughVoice(out, fs, start, v, rng, gain);
  };
  moo(0.1, 1.2, LogBp({{0.0, 190}, {0.3, 210}, {0.55, 340}, {0.9, 320}, {1.2, 260}}), 0.32, 1.0,
      1.0);
  moo(1.6, 1.0,
      LogBp({{0.0, 230}, {0.1, 300}, {0.25, 365}, {0.4, 345}, {0.5, 360}, {0.7, 290}, {1.0, 150}}),
      0.12, 1.07, 0.85);
  // Across a field the highs are lost first.
  FilterInPlace(out, Biquad::LowPass(fs, 5000, 0.6));
  // A field: one soft reflection from a barn, an open tail.
  const std::array<EchoTap, 1> barn = {{{0.06, 0.18, 1500}}};
  AddEchoes(out, fs, barn);
  AddRoom(out, fs, 0.7, 0.12, 2000, 0.02);
  FinishEffect(out, spec, {.fadeOutSec = 0.3});
}

}  // namespace lullwood::synth::fx
