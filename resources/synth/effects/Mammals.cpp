// Mammal calls: source-filter voices (a band-limited harmonic source through formants)
// with jitter, roughness and breath, placed in a room or landscape.
#include <array>

#include "../kit/Filters.h"
#include "../kit/Random.h"
#include "Effects.h"
#include "Voices.h"

namespace lullwood::synth::fx {

void DogBark(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Three barks, each a harsh falling "woof" from a 0.17 m vocal tract.
  const std::array<double, 3> starts = {0.03, 0.45, 0.95};
  const std::array<double, 3> levelsDb = {0.0, -1.0, -3.0};
  for (size_t b = 0; b < starts.size(); ++b) {
    const double pitch = rng.Jitter(0.05);
    VoiceParams v;
    v.seconds = 0.2;
    v.f0 = LogBp({{0.0, 400 * pitch}, {0.035, 470 * pitch}, {0.19, 290 * pitch}});
    v.amp = Bp({{0.0, 0.0}, {0.006, 1.0}, {0.05, 0.85}, {0.12, 0.35}, {0.19, 0.0}}, true);
    v.tiltDbPerOctave = -5;
    v.formants = {{504, 160, 0}, {1513, 200, -4}, {2522, 260, -9}, {3400, 400, -16}};
    v.formantFloorDb = -24;
    v.jitter = 0.035;
    v.jitterHz = 45;
    v.shimmerDb = 1.5;
    v.amHz = 85;
    v.amDepth = 0.25;
    v.noise = 0.8;
    AddVoice(out, fs, starts[b], v, rng, DbToGain(levelsDb[b]));
  }
  AddRoom(out, fs, 0.3, 0.22, 2500, 0.004, 0.5);
  FinishEffect(out, fs, {.fadeOutSec = 0.15});
}

void Horse(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // A whinny is biphonic: a harsh low voice and a high near-sine whistle, both
  // declining and shaken by a fast "laughing" tremolo.
  const double call = 1.33;
  // Tremolo slowing from 12.5 to 10.5 Hz over the call.
  auto tremolo = [](double t) { return Sin2Pi(12.5 * t - 0.8 * t * t); };
  auto callAmp =
      Bp({{0.0, 0.0}, {0.06, 0.8}, {0.2, 1.0}, {0.8, 0.85}, {1.15, 0.55}, {call, 0.0}}, true);
  VoiceParams voice;
  voice.seconds = call;
  auto voiceF0 = LogBp({{0.0, 480}, {0.15, 560}, {0.6, 430}, {1.1, 300}, {call, 240}});
  voice.f0 = [voiceF0, tremolo](double t) { return voiceF0(t) * (1.0 + 0.05 * tremolo(t)); };
  voice.amp = [callAmp, tremolo](double t) { return callAmp(t) * (0.65 + 0.35 * tremolo(t)); };
  voice.tiltDbPerOctave = -4;
  voice.formants = {{620, 250, 0}, {1150, 300, -3}, {2300, 400, -8}, {3400, 500, -14}};
  voice.jitter = 0.02;
  voice.shimmerDb = 1.0;
  voice.noise = 0.35;
  AddVoice(out, fs, 0.02, voice, rng, 0.8);

  auto whistleHz = LogBp({{0.0, 1250}, {0.12, 1480}, {0.7, 1250}, {call, 900}});
  AddWhistle(
      out, fs, 0.05, call - 0.05,
      [whistleHz, tremolo](double t) { return whistleHz(t) * (1.0 + 0.04 * tremolo(t)); },
      [callAmp, tremolo](double t) { return callAmp(t) * (0.6 + 0.4 * tremolo(t)); }, 0.45, 0.12);

  // Closing snort: a puff of low, breathy noise.
  Biquad lp = Biquad::LowPass(fs, 1000, 0.8);
  Biquad hp = Biquad::HighPass(fs, 150, 0.7);
  const int64_t s0 = Frame(1.38, fs), s1 = Frame(1.50, fs);
  for (int64_t i = s0; i < s1 && i < static_cast<int64_t>(out.size()); ++i) {
    const double u = static_cast<double>(i - s0) / static_cast<double>(s1 - s0);
    const double env = CosineRamp(u / 0.15) * (1.0 - CosineRamp((u - 0.3) / 0.7));
    out[i] += static_cast<float>(0.7 * env * hp.Process(lp.Process(rng.Bipolar())));
  }
  AddRoom(out, fs, 0.6, 0.18, 3000, 0.01);
  FinishEffect(out, fs, {.fadeOutSec = 0.08});
}

void Wolves(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  auto howl = [&](double start, double seconds, Curve f0, Curve amp, double gain) {
    VoiceParams v;
    v.seconds = seconds;
    v.f0 = std::move(f0);
    v.amp = std::move(amp);
    v.tiltDbPerOctave = -13;
    v.formants = {{480, 500, 0}, {1100, 700, -6}, {2400, 900, -14}};
    v.formantFloorDb = -20;
    v.vibratoHz = 5.0;
    v.vibratoDepth = 0.015;
    v.vibratoDelay = 0.7;
    v.jitter = 0.004;
    v.jitterHz = 8;
    v.shimmerDb = 0.8;
    v.noise = 0.06;
    AddVoice(out, fs, start, v, rng, gain);
  };
  // First wolf: glides up, wavers twice and falls away.
  howl(0.1, 5.4,
       LogBp({{0.0, 300}, {0.6, 450}, {2.0, 475}, {2.6, 430}, {3.5, 465}, {4.6, 440}, {5.4, 320}}),
       Bp({{0.0, 0.0}, {0.25, 0.7}, {0.6, 1.0}, {4.4, 0.85}, {5.4, 0.0}}, true), 1.0);
  // Second wolf answers higher.
  howl(2.5, 4.3, LogBp({{0.0, 540}, {0.5, 650}, {2.3, 690}, {3.3, 630}, {4.3, 470}}),
       Bp({{0.0, 0.0}, {0.3, 0.6}, {0.7, 0.8}, {3.5, 0.7}, {4.3, 0.0}}, true), 0.75);
  FilterInPlace(out, Biquad::LowPass(fs, 3000, 0.7));
  AddRoom(out, fs, 1.5, 0.45, 2500, 0.03);
  FinishEffect(out, fs, {.fadeOutSec = 1.2});
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
    v.formants = {{300, 300, 0}, {700, 500, -6}};
    v.formantFloorDb = -16;
    v.maxHz = 2400;
    v.vibratoHz = 3.0;
    v.vibratoDepth = 0.006;
    v.jitter = 0.003;
    v.jitterHz = 5;
    v.amHz = pulseHz;
    v.amDepth = pulseHz > 0 ? 0.45 : 0.0;
    AddVoice(out, fs, start, v, rng, gain);
  };
  // Humpback song units: a long moan, a whoop, a squeal and a low closing moan.
  unit(0.2, 2.5, LogBp({{0.0, 150}, {1.0, 250}, {2.5, 120}}),
       Bp({{0.0, 0.0}, {0.4, 0.9}, {1.2, 1.0}, {2.0, 0.7}, {2.5, 0.0}}, true), -5, 15, 1.0);
  unit(3.0, 1.5, LogBp({{0.0, 300}, {1.3, 900}, {1.5, 860}}),
       Bp({{0.0, 0.0}, {0.2, 0.7}, {1.1, 0.9}, {1.5, 0.0}}, true), -10, 0, 0.8);
  unit(4.8, 0.8, LogBp({{0.0, 1250}, {0.4, 1900}, {0.8, 1500}}),
       Bp({{0.0, 0.0}, {0.1, 0.5}, {0.6, 0.45}, {0.8, 0.0}}, true), -18, 0, 0.45);
  unit(6.3, 2.0, LogBp({{0.0, 135}, {0.8, 165}, {2.0, 95}}),
       Bp({{0.0, 0.0}, {0.4, 0.9}, {1.4, 0.8}, {2.0, 0.0}}, true), -6, 11, 0.9);
  // Under water: dull, with long echoes and a long tail.
  FilterInPlace(out, Biquad::LowPass(fs, 2500, 0.7));
  const std::array<EchoTap, 3> echoes = {{{0.45, 0.35, 1500}, {0.9, 0.2, 1000}, {1.4, 0.12, 800}}};
  AddEchoes(out, fs, echoes);
  AddRoom(out, fs, 3.5, 0.5, 1800, 0.05, 1.6);
  FinishEffect(out, fs, {.fadeOutSec = 1.0});
}

void SeaLion(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Honking barks with an up-down-up pitch, in bursts of two and three.
  const std::array<double, 5> starts = {0.05, 0.50, 1.45, 1.90, 2.35};
  for (double start : starts) {
    const double pitch = rng.Jitter(0.06);
    VoiceParams v;
    v.seconds = 0.21;
    v.f0 = LogBp({{0.0, 430 * pitch},
                  {0.05, 560 * pitch},
                  {0.11, 440 * pitch},
                  {0.17, 530 * pitch},
                  {0.21, 470 * pitch}});
    v.amp = Bp({{0.0, 0.0}, {0.012, 1.0}, {0.13, 0.85}, {0.21, 0.0}}, true);
    v.tiltDbPerOctave = -4;
    v.formants = {{380, 200, -5}, {950, 300, 0}, {1800, 400, -7}, {2900, 500, -14}};
    v.formantFloorDb = -22;
    v.jitter = 0.02;
    v.shimmerDb = 1.0;
    v.amHz = 60;
    v.amDepth = 0.3;
    v.noise = 0.45;
    AddVoice(out, fs, start, v, rng, rng.GainJitter(1.0));
  }
  AddRoom(out, fs, 0.5, 0.2, 2500, 0.02);
  FinishEffect(out, fs, {.fadeOutSec = 0.25});
}

void Cattle(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // "Mmm-ooo": closed, nasal lowing that opens into a long vowel of a 0.5 m tract.
  auto moo = [&](double start, double seconds, Curve f0, double gain) {
    VoiceParams v;
    v.seconds = seconds;
    v.f0 = std::move(f0);
    v.amp =
        Bp({{0.0, 0.0}, {0.08, 0.6}, {0.3 * seconds, 0.9}, {0.75 * seconds, 1.0}, {seconds, 0.0}},
           true);
    v.tiltDbPerOctave = -6;
    v.formantsFrom = {{250, 120, 0}, {500, 200, -18}};
    v.formants = {{500, 150, 0}, {860, 180, -3}, {1200, 220, -7}, {2300, 350, -18}};
    v.morph = Bp({{0.0, 0.0}, {0.18 * seconds, 0.0}, {0.4 * seconds, 1.0}}, true);
    v.formantFloorDb = -26;
    v.jitter = 0.015;
    v.jitterHz = 20;
    v.shimmerDb = 0.8;
    v.amHz = 28;
    v.amDepth = 0.12;
    v.noise = 0.25;
    AddVoice(out, fs, start, v, rng, gain);
  };
  moo(0.1, 1.8, LogBp({{0.0, 105}, {0.6, 150}, {1.4, 135}, {1.8, 115}}), 1.0);
  moo(2.4, 1.2, LogBp({{0.0, 150}, {0.4, 172}, {1.2, 140}}), 0.85);
  AddRoom(out, fs, 0.7, 0.15, 2000, 0.02);
  FinishEffect(out, fs, {.fadeOutSec = 0.3});
}

}  // namespace lullwood::synth::fx
