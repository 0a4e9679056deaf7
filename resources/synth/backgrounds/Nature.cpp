// Night and jungle scenes: insect choruses, frogs, birds and distant primates, placed on
// the circular timeline of the loop.
#include "../effects/Voices.h"
#include "Backgrounds.h"
#include "Loops.h"

namespace lullwood::synth {

using namespace loops;

namespace {

// Gain envelope for a call: `attack` and `release` seconds of cosine ramp round a hold.
auto CallEnvelope(double seconds, double attack, double release) {
  return [=](double t) {
    return CosineRamp(t / attack) * (1.0 - CosineRamp((t - (seconds - release)) / release));
  };
}

int64_t At(size_t n, double fraction) {
  return static_cast<int64_t>(fraction * n);
}

// A tree frog's "tink": 20-40 ms of a clear note with a faint octave that drops a few
// per cent, a soft attack of 5-9 ms; pitch, length and fall drawn for each.
std::vector<float> Tink(Rng& rng, double fs, double hz) {
  const double seconds = rng.Uniform(0.02, 0.04), attack = rng.Uniform(0.005, 0.009);
  const double top = hz * rng.Jitter(0.03), drop = rng.Uniform(0.02, 0.05);
  return Sweep(fs, seconds, [=](double t) { return top * (1.0 - drop * t / seconds); },
               CallEnvelope(seconds, attack, 0.6 * seconds), {1.0, rng.Uniform(0.1, 0.3)});
}

// A bird's falling whistle: from near 3 kHz down by about 1.2 kHz in half a second or
// more, falling fastest at first and wavering as the syrinx's tension is worked; its
// reach, length and waver drawn for each, so no two are one glide.
std::vector<float> FallingWhistle(Rng& rng, double fs) {
  const double seconds = rng.Uniform(0.5, 0.7), top = rng.Uniform(2850.0, 3150.0);
  const double fall = rng.Uniform(1050.0, 1350.0), waverHz = rng.Uniform(18.0, 27.0);
  const double depth = rng.Uniform(0.015, 0.03);
  return Sweep(fs, seconds,
               [=](double t) {
                 return (top - fall * std::sqrt(t / seconds)) * (1.0 + depth * Sin2Pi(waverHz * t));
               },
               CallEnvelope(seconds, rng.Uniform(0.03, 0.06), 0.15), {1.0, 0.08});
}

// The far chorus of a summer night: countless insects too far to pick out, each singing
// its own carrier (2.7-5.6 kHz, most at 3.4-5 kHz) in pulses at its own rate, some in
// chirps and some in long trills, each drifting a little in pitch and tempo and swelling
// on its own. All rates close over the loop, so it has no seam.
std::vector<float> FarChorus(Rng& rng, const SoundSpec& spec, int insects) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  std::vector<float> chorus(n, 0.0f);
  const auto cycles = [&](double hz) {
    return static_cast<double>(std::max<uint64_t>(1, CyclesPerLoop(hz, spec.sampleRate, n))) * fs /
           static_cast<double>(n);
  };
  for (int k = 0; k < insects; ++k) {
    const double carrier = cycles(rng.Uniform(3100.0, 6000.0));
    const double pulseHz = cycles(rng.Uniform(14.0, 70.0));
    const double duty = rng.Uniform(0.3, 0.75);
    const bool trills = rng.Chance(0.4);
    const double chirpHz = cycles(rng.Uniform(0.6, 3.2));
    const double chirpDuty = rng.Uniform(0.2, 0.6);
    const double level = DbToGain(rng.Uniform(-18.0, 0.0));
    // Pitch wanders by up to 1 %, tempo by up to 4 %, level by 5 dB: never ruled.
    // One draw per statement: argument order is unspecified, the stream's order must not be.
    const double pitchDepth = rng.Uniform(0.004, 0.01), tempoDepth = rng.Uniform(0.015, 0.04);
    const std::vector<int> pitchKs = {rng.Int(2, 6), rng.Int(7, 19), rng.Int(20, 45)};
    const std::vector<int> tempoKs = {rng.Int(1, 4), rng.Int(5, 13)};
    const std::vector<int> swellKs = {rng.Int(1, 3), rng.Int(4, 9)};
    LoopSines pitch(rng, n, pitchKs, pitchDepth);
    LoopSines tempo(rng, n, tempoKs, tempoDepth);
    LoopSines swell(rng, n, swellKs, 5.0);
    // Each stroke of the wing rings up to 1.5 % off its neighbours, so a singer draws dashes
    // at uneven heights rather than a ruled line. A stroke's offset is drawn for its place
    // in the loop's round of strokes and grows from nothing at its start, where the pulse
    // is silent, so the loop closes without a step.
    const auto strokesPerLoop =
        static_cast<int64_t>(std::max(1.0, std::round(pulseHz * static_cast<double>(n) / fs)));
    std::vector<double> stroke(static_cast<size_t>(strokesPerLoop));
    for (double& offset : stroke) offset = 0.015 * rng.Bipolar();
    const double cyclesPerStroke = carrier / pulseHz;
    double phase = rng.Uniform(), pulse = rng.Uniform(), chirp = rng.Uniform();
    double fm = 0.0, tm = 0.0, gain = 0.0;
    for (size_t i = 0; i < n; ++i) {
      if (i % 32 == 0) {  // the slow controls at a control rate
        fm = pitch.At(i);
        tm = tempo.At(i);
        gain = level * DbToGain(swell.At(i));
      }
      const double whole = std::floor(pulse), u = pulse - whole;
      double env = u < duty ? Sin2Pi(0.5 * u / duty) : 0.0;
      env *= env;
      if (!trills) {
        const double v = chirp - std::floor(chirp);
        env *= v < chirpDuty ? Sin2Pi(0.5 * v / chirpDuty) : 0.0;
      }
      const auto which = static_cast<int64_t>(whole) % strokesPerLoop;
      const double offset = stroke[static_cast<size_t>(which)] * cyclesPerStroke * u;
      chorus[i] += static_cast<float>(gain * env * Sin2Pi(phase + offset));
      phase += carrier * (1.0 + fm) / fs;
      pulse += pulseHz * (1.0 + tm) / fs;
      chirp += chirpHz * (1.0 + tm) / fs;
      phase -= std::floor(phase);
    }
  }
  return chorus;
}

// A nearer katydid's chirp: a burst of 0.3-0.6 s of rasping pulses (40-56 a second,
// speeding up a little) on a carrier near 4.4 kHz with its octave, each pulse a tone and
// a breath of noise round it, rising over the first pulses and fading over the last.
// Every chirp is drawn afresh: length, rate, pitch, levels.
std::vector<float> KatydidChirp(Rng& rng, double fs) {
  const double seconds = rng.Uniform(0.3, 0.6);
  const double carrier = rng.Uniform(4250.0, 4550.0);
  const double rate0 = rng.Uniform(40.0, 50.0), rate1 = rate0 * rng.Uniform(1.0, 1.12);
  const double duty = rng.Uniform(0.35, 0.6), octave = rng.Uniform(0.08, 0.2);
  std::vector<float> v(static_cast<size_t>(seconds * fs), 0.0f);
  Biquad rasp = Biquad::BandPass(fs, carrier, 6.0), rasp2 = rasp;
  double phase = 0.0, pulse = 0.0, pulseGain = 1.0;
  int lastPulse = -1;
  for (size_t i = 0; i < v.size(); ++i) {
    const double t = i / fs, x = t / seconds;
    const int p = static_cast<int>(pulse);
    if (p != lastPulse) {
      pulseGain = rng.GainJitter(2.0);
      lastPulse = p;
    }
    const double u = pulse - p;
    double env = u < duty ? Sin2Pi(0.5 * u / duty) : 0.0;
    env *= env * pulseGain * std::min(1.0, x / 0.2) * std::min(1.0, (1.0 - x) / 0.3);
    const double tone = Sin2Pi(phase) + octave * Sin2Pi(2.0 * phase);
    v[i] = static_cast<float>(env * (tone + 3.0 * rasp2.Process(rasp.Process(rng.Gaussian()))));
    phase += carrier * (1.0 + 0.004 * Sin2Pi(3.0 * t)) / fs;
    phase -= std::floor(phase);
    pulse += Lerp(rate0, rate1, x) / fs;
  }
  return v;
}

// A flutter of wings or leaves close by: 0.2-0.4 s of noise at 6.5-15 kHz beating at a
// wing rate, only where the full band reaches.
std::vector<float> Flutter(Rng& rng, double fs) {
  std::vector<float> v(static_cast<size_t>(rng.Uniform(0.2, 0.4) * fs), 0.0f);
  if (fs < 32000.0) return v;
  Biquad hp = Biquad::HighPass(fs, 6500.0), lp = Biquad::LowPass(fs, 15000.0);
  const double beat = rng.Uniform(90.0, 180.0);
  for (size_t i = 0; i < v.size(); ++i) {
    const double t = i / fs, x = t / (v.size() / fs);
    const double flap = 0.5 + 0.5 * Sin2Pi(beat * t);
    v[i] = static_cast<float>(Sin2Pi(0.5 * x) * flap * lp.Process(hp.Process(rng.Gaussian())));
  }
  return v;
}

}  // namespace

void NightTime(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  // The far chorus, and under it the same field merged into a hissing band whose
  // loudness wanders with no pattern.
  std::vector<float> chorus = FarChorus(rng, spec, 56);
  NormalizeRmsInBand(chorus, spec);
  std::vector<float> field = WhiteLoop(rng, n);
  for (int pass = 0; pass < 2; ++pass) {
    FilterLoop(field, Biquad::HighPass(fs, 3100.0, 0.9));
    FilterLoop(field, Biquad::LowPass(fs, 5900.0, 0.9));
  }
  const std::vector<float> wander = ControlLoop(rng, n, fs, 1.5);
  for (size_t i = 0; i < n; ++i)
    field[i] = static_cast<float>(field[i] * DbToGain(2.5 * wander[i]));
  NormalizeRmsInBand(field, spec);

  // The nearer katydid, every couple of seconds but never on a beat: four or five chirps a
  // loop at spacings drawn apart and scaled to fill it.
  std::vector<float> near(n, 0.0f);
  const int chirps = rng.Int(4, 5);
  std::vector<double> gaps;
  double total = 0.0;
  for (int c = 0; c < chirps; ++c) total += gaps.emplace_back(rng.Uniform(0.7, 1.3));
  double at = rng.Uniform();
  for (int c = 0; c < chirps; ++c) {
    const std::vector<float> chirp = KatydidChirp(rng, fs);
    AddCircular(near, static_cast<int64_t>(at * n), chirp, rng.GainJitter(2.5));
    at += gaps[static_cast<size_t>(c)] / total;
  }
  NormalizeRmsInBand(near, spec);
  std::vector<float> flutters(n, 0.0f);
  for (int f = rng.Int(1, 2); f > 0; --f) {
    const auto start = static_cast<int64_t>(rng.Uniform() * n);
    AddCircular(flutters, start, Flutter(rng, fs), 1.0);
  }
  std::vector<float> bed = PinkLoop(rng, n, fs);
  FilterLoop(bed, Biquad::LowPass(fs, 700.0, 0.7));
  NormalizeRmsInBand(bed, spec);

  out = Silence(spec);
  Mix(out, chorus, 1.0);
  Mix(out, field, 0.5);
  Mix(out, near, 0.6);
  Mix(out, flutters, 1.0);
  Mix(out, bed, 0.05);
  AddReverbLoop(out, fs, 1.1, 0.3, 0.9, 5000.0);
  // Above them, where the full band reaches, the smallest singers: faint bands near 9 and
  // 13 kHz and a steadier one at 16-19 kHz (a recorded forest night holds 15 % of its
  // power above 5.5 kHz, 2 % above 11 kHz, and falls 19 dB an octave from 5.5 to 16 kHz).
  AddHighNoiseBands(out, spec, 0x9A1,
                    {{8800.0, 3.0, 20.0}, {13000.0, 5.0, 28.0}, {17500.0, 3.0, 21.0}}, 3.0);
  FinishLoop(out, spec, kQuietBedDb);
}

namespace {

// Phrases of small birds through a loop of `spec`'s sound, added into `calls`: two to five
// harsh notes a phrase, each a rough voice between `lowHz` and `highHz` that rises, falls
// or arches, bending where it will, every note drawn afresh in length, pitch and sweep,
// some birds near and some far off and dulled.
void AddSmallBirds(std::vector<float>& calls, const SoundSpec& spec, Rng& rng, int phrases,
                   double lowHz, double highHz, double gain) {
  const double fs = spec.sampleRate;
  const bool fullBand = fs > 2.0 * kCatalogueRate;
  const double seconds = static_cast<double>(calls.size()) / fs;
  for (int p = 0; p < phrases; ++p) {
    double t = seconds * (p + rng.Uniform(0.05, 0.8)) / phrases;
    const int notes = static_cast<int>(rng.Uniform(2.0, 5.99));
    const double voice = rng.Uniform(lowHz, highHz), near = rng.Uniform(0.25, 1.0);
    const double shape = rng.Uniform();  // which way this bird's notes sweep
    // Far birds lose their upper harmonics to the leaves (at the full band through a
    // weaker top resonance); a catalogue-rate render stops short of its band's top.
    const double maxHz = 5200.0;
    for (int k = 0; k < notes; ++k) {
      const double len = rng.Uniform(0.07, 0.2), hz = voice * rng.Jitter(0.08);
      const double sweep = rng.Uniform(0.15, 0.45);
      // The bird's way of sweeping, but every note bends where it will: the turn comes
      // early or late and the ends overshoot or fall short.
      const double bend = rng.Uniform(0.25, 0.75);
      const double overshoot = rng.Uniform(-0.3, 0.3);
      double from = 0.0, mid = 0.0, to = 0.0;
      if (shape < 0.35) {  // rising
        from = 0.0;
        mid = sweep * (bend + 0.3 * overshoot);
        to = sweep;
      } else if (shape < 0.6) {  // falling
        from = sweep;
        mid = sweep * (1.0 - bend + 0.3 * overshoot);
        to = 0.0;
      } else {  // arched
        from = sweep * rng.Uniform(0.0, 0.3);
        mid = sweep;
        to = sweep * rng.Uniform(-0.2, 0.3);
      }
      // A harsh voice: periods that waver and split, breath between the harmonics, and the
      // strength spread over the second to the fifth of them, as a small bird's scold has
      // it; at the full band rolled off above 15 kHz.
      fx::RoughVoiceParams v;
      v.seconds = len;
      v.f0 = fx::LogBp(
          {{0.0, hz * (1.0 + from)}, {bend * len, hz * (1.0 + mid)}, {len, hz * (1.0 + to)}});
      v.amp = CallEnvelope(len, 0.015, 0.04);
      // The highs come in as the note gets going and leave before it ends, so a note's
      // breath up the band is a taper, not a column with hard edges.
      v.snap = fx::Bp({{0.0, 0.4}, {0.3 * len, 1.0}, {0.7 * len, 0.9}, {len, 0.3}});
      v.jitter = rng.Uniform(0.015, 0.035);
      v.shimmerDb = 2.0;
      v.doubling = fx::Bp({{0.0, 0.4}, {0.3 * len, 0.0}, {len, rng.Uniform(0.0, 0.6)}});
      v.breath = fx::Bp({{0.0, 0.2}, {0.3 * len, 0.4}, {len, rng.Uniform(0.1, 0.4)}});
      v.formants = {{2.0 * hz, hz, -3},
                    {3.2 * hz, 1.5 * hz, 0},
                    {5.0 * hz, 2.0 * hz, 0},
                    {8.0 * hz, 4.0 * hz, -3.0 - 10.0 * (1.0 - near)}};
      v.floorDb = -36;
      v.lowPassHz = fullBand ? 15000.0 : maxHz;
      std::vector<float> note(static_cast<size_t>(len * fs) + 1, 0.0f);
      fx::AddRoughVoice(note, fs, 0.0, v, rng);
      // As loud as a stack of the same harmonics at full level would be (RMS 1.25 over the
      // note), so the birds keep their place against the rest of the calls.
      if (const double rms = Rms(note); rms > 0.0) Scale(note, 1.25 / rms);
      AddCircular(calls, static_cast<int64_t>(t * fs), note, gain * near * rng.GainJitter(2.0));
      t += len + rng.Uniform(0.04, 0.16);
    }
  }
}

}  // namespace

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
  // Their song stops short of the top of the band: no hiss above it but the birds'.
  FilterLoop(cicada, Biquad::LowPass(fs, 7000.0, 0.7));
  FilterLoop(cicada, Biquad::LowPass(fs, 7000.0, 0.7));
  NormalizeRmsInBand(cicada, spec);

  std::vector<float> calls(n, 0.0f);
  // Tree frogs: three species of short "tinks", each frog calling in bouts of one to four
  // at uneven gaps, every tink its own length, pitch and level.
  const double frogHz[] = {2200.0, 2800.0, 3400.0};
  const int frogBouts[] = {9, 6, 4};
  for (int s = 0; s < 3; ++s) {
    for (int b = 0; b < frogBouts[s]; ++b) {
      double at = rng.Uniform() * static_cast<double>(n);
      for (int k = rng.Int(1, 4); k > 0; --k) {
        const std::vector<float> tink = Tink(rng, fs, frogHz[s]);
        AddCircular(calls, static_cast<int64_t>(at), tink, 0.5 * rng.GainJitter(3.0));
        at += rng.Uniform(0.09, 0.3) * fs;
      }
    }
  }
  // Birds: two descending whistles, each drawn on its own, and a pulsed toucan-like croak
  // whose pulses hurry and drag.
  const std::vector<float> first = FallingWhistle(rng, fs), second = FallingWhistle(rng, fs);
  AddCircular(calls, At(n, 0.13), first, 0.9);
  AddCircular(calls, At(n, 0.71), second, 0.6);
  {
    const double seconds = 0.8;
    const double rate = rng.Uniform(9.0, 11.0);
    CircularValueNoise hurry(rng, static_cast<uint64_t>(seconds * fs), 6, -0.12, 0.12);
    double pulsePhase = 0.0;
    auto croak = Sweep(
        fs, seconds, [](double t) { return 1150.0 - 300.0 * t / 0.8; },
        [&](double t) {
          pulsePhase += rate * (1.0 + hurry.At(static_cast<uint64_t>(t * fs))) / fs;
          const double pulse = 0.5 - 0.5 * Cos2Pi(pulsePhase);
          return pulse * pulse * pulse * (1.0 - CosineRamp((t - 0.6) / 0.2));
        },
        {0.6, 1.0, 0.5, 0.3});
    AddCircular(calls, At(n, 0.47), croak, 0.7);
  }
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
  // And small birds all through the canopy, higher voiced than the African wood's: a
  // recorded tropical day's power lies mostly between 3.5 and 8 kHz.
  AddSmallBirds(calls, spec, rng, 9, 1500.0, 3000.0, 0.6);
  NormalizeRmsInBand(calls, spec);

  // Behind them the forest's own chorus: countless far katydids and crickets across
  // 1.5-8 kHz, their pulses merging into a throb of four to eight a second that never
  // settles on one rate, the whole swelling and easing a little more than once a second.
  std::vector<float> chorus = PinkLoop(rng, n, fs);
  FilterLoop(chorus, Biquad::HighPass(fs, 1500.0, 0.7));
  FilterLoop(chorus, Biquad::LowPass(fs, 8000.0, 0.7));
  {
    LoopSines throb(rng, n, CyclesPerLoop({4.4, 5.1, 6.3, 7.6}, spec.sampleRate, n), 1.0);
    LoopSines swell(rng, n, CyclesPerLoop({1.3, 1.7}, spec.sampleRate, n), 1.0);
    for (size_t i = 0; i < n; ++i)
      chorus[i] = static_cast<float>(chorus[i] * std::max(0.0, 1.0 + 2.0 * throb.At(i)) *
                                     DbToGain(8.0 * swell.At(i)));
  }
  NormalizeRmsInBand(chorus, spec);

  out = Silence(spec);
  Mix(out, cicada, 0.7);
  Mix(out, calls, 1.0);
  Mix(out, chorus, 0.25);
  AddReverbLoop(out, fs, 1.2, 0.35, 1.0, 3500.0);
  FinishLoop(out, spec, kBedDb);
}

void AfricanJungle(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));

  // Katydid-like bed: 3.8 kHz noise band in short double pulses about 7 a second, gently
  // swelling; each pulse comes a little early or late (a chorus never keeps one beat), the
  // gaps drawn apart and scaled to fill the loop.
  std::vector<float> insects = WhiteLoop(rng, n);
  FilterLoop(insects, Biquad::BandPass(fs, 3800.0, 6.0));
  LoopSines swell(rng, n, {1, 2}, 1.0);
  const auto pulses = static_cast<int>(CyclesPerLoop(7.0, spec.sampleRate, n));
  std::vector<double> gaps;
  double total = 0.0;
  for (int k = 0; k < pulses; ++k) total += gaps.emplace_back(rng.Uniform(0.82, 1.18));
  std::vector<float> pulse(n, 0.15f);
  const double width = 0.12 * static_cast<double>(n) / pulses;
  std::vector<float> bump(static_cast<size_t>(width));
  for (size_t i = 0; i < bump.size(); ++i)
    bump[i] = static_cast<float>(0.85 * (0.5 - 0.5 * Cos2Pi(static_cast<double>(i) / width)));
  double at = 0.0;
  for (int k = 0; k < pulses; ++k) {
    const double gap = gaps[static_cast<size_t>(k)] / total * static_cast<double>(n);
    AddCircular(pulse, static_cast<int64_t>(at), bump);
    AddCircular(pulse, static_cast<int64_t>(at + 0.2 * gap), bump, rng.Uniform(0.7, 1.0));
    at += gap;
  }
  for (size_t i = 0; i < n; ++i)
    insects[i] = static_cast<float>(insects[i] * pulse[i] * (0.6 + 0.4 * swell.At(i)));
  // A second chorus higher up, out of step with the first: many insects a little
  // apart, swelling and sagging on their own.
  {
    std::vector<float> high = WhiteLoop(rng, n);
    FilterLoop(high, Biquad::BandPass(fs, 4600.0, 5.0));
    LoopSines wander(rng, n, {1, 3, 5}, 1.0);
    // Their trill, some 43 strokes a second, hurries and drags by a tenth as the
    // insects fall in and out of step: no ruled row of ticks.
    LoopSines drift(rng, n, {3, 5, 8}, 1.0);
    const uint64_t trillK = CyclesPerLoop(43.0, spec.sampleRate, n);
    for (size_t i = 0; i < n; ++i) {
      const double p = 0.5 + 0.5 * Sin2Pi(LoopPhase(trillK, i, n) + 2.0 * drift.At(i));
      const double level = std::max(0.0, 0.45 + 0.7 * wander.At(i));
      insects[i] += static_cast<float>(0.6 * high[i] * p * level);
    }
  }
  FilterLoop(insects, Biquad::LowPass(fs, 4800.0, 0.7));
  NormalizeRmsInBand(insects, spec);

  std::vector<float> calls(n, 0.0f);
  // Turaco/hornbill "kow-kow-kow": harsh, falling notes, about 4 a second, each its own
  // length and pitch, the series hurrying and dragging.
  {
    const int notes = 7;
    double at = 0.08 * static_cast<double>(n);
    for (int k = 0; k < notes; ++k) {
      const double hz = (880.0 - 25.0 * k) * rng.Jitter(0.02), len = rng.Uniform(0.11, 0.15);
      const double fall = rng.Uniform(0.09, 0.15);
      auto kow = Sweep(fs, len, [&](double t) { return hz * (1.0 - fall * t / len); },
                       CallEnvelope(len, 0.012, 0.06), {1.0, 0.8, 0.6, 0.45, 0.3, 0.2});
      BandWhite rough(fs, OriginalRate(spec));
      // The clipping's harmonics die out by 6 kHz, as a bird's harsh call's do, instead of
      // running up the whole full band.
      Biquad top = Biquad::LowPass(fs, std::min(6000.0, 0.45 * fs), 0.7071), top2 = top;
      for (float& v : kow) {
        const double clipped = SoftClip(2.0 * v) * (1.0 + 0.15 * rough.Next(rng));
        v = static_cast<float>(top2.Process(top.Process(clipped)));
      }
      AddCircular(calls, static_cast<int64_t>(at), kow,
                  0.8 * (1.0 - 0.05 * k) * rng.GainJitter(1.0));
      at += rng.Uniform(0.21, 0.3) * fs;
    }
  }
  // Parrot whistles: quick up-down glides, in pairs.
  for (double where : {0.42, 0.83}) {
    double at = 0.0;
    for (int k = 0; k < 2; ++k) {
      const double len = rng.Uniform(0.19, 0.25), reach = rng.Uniform(1500.0, 1850.0);
      const double waver = rng.Uniform(33.0, 45.0);
      auto glide = Sweep(fs, len,
                         [=](double t) {
                           return (1300.0 + reach * Sin2Pi(0.5 * t / len)) *
                                  (1.0 + 0.03 * Sin2Pi(waver * t));
                         },
                         CallEnvelope(len, 0.02, 0.06), {1.0, 0.15});
      AddCircular(calls, At(n, where) + static_cast<int64_t>(at * fs), glide,
                  0.5 * rng.GainJitter(1.5));
      at += len + rng.Uniform(0.05, 0.12);
    }
  }
  // Dove: soft "hoo, hoo-hoo".
  for (double t0 : {0.0, 0.55, 0.85}) {
    const double len = rng.Uniform(0.24, 0.32), hz = 520.0 * rng.Jitter(0.02);
    auto hoo = Sweep(fs, len, [=](double t) { return hz - 60.0 * t / len; },
                     CallEnvelope(len, 0.06, 0.12), {1.0, 0.1});
    AddCircular(calls, At(n, 0.61) + static_cast<int64_t>((t0 + rng.Uniform(0.0, 0.05)) * fs), hoo,
                0.55 * rng.GainJitter(1.0));
  }
  // Small birds all through the canopy, as in a recorded tropical day, whose power lies
  // mostly between 3.5 and 8 kHz.
  AddSmallBirds(calls, spec, rng, 9, 1100.0, 2400.0, 0.6);
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
      // The pants hurry as the hoot builds, and a breath out takes longer than the
      // breath in after it: the spacings go long, short, long, never one beat.
      t += (0.26 - 0.011 * k) * (k % 2 == 1 ? 1.12 : 0.88) * rng.Uniform(0.92, 1.08);
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
  // The insects lie low under the calls: a recorded tropical day is its calls coming and
  // going over a quieter wood, its level swelling with each. Lower still, the bands
  // between the calls would move too deeply for a day's (depth at most 0.43).
  Mix(out, insects, 0.5);
  Mix(out, calls, 1.0);
  AddReverbLoop(out, fs, 1.0, 0.35, 1.0, 3500.0);
  // Where the full band reaches, a faint hiss of far insects over it all, falling away
  // upward, as a recorded tropical day's floor runs on to 16 kHz between its calls; the
  // power up there is the birds' upper harmonics (the recorded day holds a third of its
  // power above 5.5 kHz and 2 % above 11 kHz).
  AddHighNoiseBands(
      out, spec, 0xAF1,
      {{7000.0, 2.5, 25.0}, {9000.0, 2.5, 28.0}, {12000.0, 3.0, 34.0}, {15500.0, 3.0, 42.0}}, 2.0);
  FinishLoop(out, spec, kBedDb);
}

}  // namespace lullwood::synth
