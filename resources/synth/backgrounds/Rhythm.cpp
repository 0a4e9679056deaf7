// Rhythmic and indoor loops: heartbeat, tabla, train track, factory, museum, clock.
#include "Backgrounds.h"
#include "Loops.h"

namespace lullwood::synth {

using namespace loops;

namespace {

// Frame of beat `j` of `count` evenly spaced beats, shifted by `offsetSeconds` so no
// onset falls on the seam.
int64_t BeatFrame(size_t n, int j, int count, double offsetSeconds, double fs) {
  return static_cast<int64_t>(offsetSeconds * fs) +
         static_cast<int64_t>((static_cast<uint64_t>(j) * n + count / 2) / count);
}

// Fades the last `seconds` of a voice to exact zero.
void EndAtSilence(std::vector<float>& v, double fs, double seconds) {
  const size_t fade = std::min(v.size(), static_cast<size_t>(seconds * fs));
  for (size_t i = 0; i < fade; ++i) {
    const size_t at = v.size() - fade + i;
    v[at] = static_cast<float>(v[at] * (1.0 - CosineRamp(static_cast<double>(i + 1) / fade)));
  }
}

// One heart sound: decaying low sines plus a rising chirp, band-limited and warmed by a
// gentle saturation so it carries on small speakers.
std::vector<float> HeartSound(double fs, double seconds, double hzA, double hzB, double chirpLo,
                              double chirpHi, double t60, double attackSec, double phase) {
  const Mode modes[] = {{hzA, t60, 0.5, phase}, {hzB, t60 * 0.8, 1.3, 0.25 + 1.7 * phase}};
  std::vector<float> v = ModalVoice(fs, modes, seconds + 0.25, 1000.0 * attackSec, 0.45 * fs);
  auto chirp = Sweep(
      fs, seconds, [&](double t) { return Lerp(chirpLo, chirpHi, t / seconds); },
      [&](double t) { return 0.5 * CosineRamp(t / attackSec) * (1.0 - CosineRamp(t / seconds)); });
  Mix(v, chirp, 1.0);
  Biquad hp = Biquad::HighPass(fs, 30.0), lp = Biquad::LowPass(fs, 320.0);
  for (float& s : v) s = static_cast<float>(lp.Process(hp.Process(s)));
  // Saturated gently, its peak driven only a little into the curve: driven harder, the
  // sound's swell would flatten into a box at the curve's ceiling.
  const double drive = 1.2 / std::max(1e-9, static_cast<double>(Peak(v)));
  for (float& s : v) {
    const double y = drive * s;
    s = static_cast<float>(SoftClip(y) + 0.2 * y * std::fabs(y));
  }
  // The chest wall swells with the sound rather than passing its first cycle at full
  // strength: the low modes' first peaks are held back, and the thud builds over its
  // first half-dozen cycles.
  const size_t swell = std::min(v.size(), static_cast<size_t>(0.6 * attackSec * fs));
  for (size_t i = 0; i < swell; ++i)
    v[i] = static_cast<float>(v[i] * CosineRamp(static_cast<double>(i) / swell));
  // The valves' snap: a brief, soft thud of noise up to about 900 Hz, and the same
  // thud's broadband edge, heard through the chest up to 8 kHz and more (a stethoscope
  // recording shows it as a column over the low sound, some 30 dB down at 2 kHz and
  // falling about 10 dB an octave).
  Biquad snapLp = Biquad::LowPass(fs, 900.0);
  Biquad edgeLp = Biquad::LowPass(fs, 2200.0);
  Rng snap(static_cast<uint64_t>(hzA * 1000.0));
  const size_t snapFrames = std::min(v.size(), static_cast<size_t>(0.1 * fs));
  for (size_t i = 0; i < snapFrames; ++i) {
    const double t = static_cast<double>(i) / fs;
    const double env = CosineRamp(t / attackSec) * std::exp(-t / 0.02);
    const double noise = WhiteDensityGain(fs) * snap.Bipolar();
    v[i] += static_cast<float>(0.4 * env * snapLp.Process(noise) + env * edgeLp.Process(noise));
  }
  EndAtSilence(v, fs, 0.08);
  return v;
}

// A short click rung through a band-pass at `hz` (conveyor ticks, latches).
std::vector<float> BandPassedClick(Rng& rng, double fs, double hz) {
  std::vector<float> v = NoiseClick(rng, fs, 0.5, 1.0);
  v.resize(static_cast<size_t>(0.02 * fs), 0.0f);
  Biquad bp = Biquad::BandPass(fs, hz * rng.Jitter(0.1), 4.0);
  for (float& s : v) s = static_cast<float>(bp.Process(s));
  EndAtSilence(v, fs, 0.005);
  return v;
}

}  // namespace

void Heartbeat(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  out = Silence(spec);
  for (int j = 0; j < 3; ++j) {
    const double jitter = 0.01 * rng.Bipolar() * (static_cast<double>(n) / 3.0 / fs);
    const int64_t at = BeatFrame(n, j, 3, 0.12 + jitter, fs);
    const double level = rng.GainJitter(0.7);
    // No two beats alike: the valves close a little differently each time, so every
    // sound's pitch, ring, length and onset are drawn for it. Under a stethoscope a beat
    // swells in over some 70 ms (a recorded one takes 48 ms from a tenth to nine tenths of its
    // peak); it never snaps.
    const double lubA = 60.0 * rng.Jitter(0.06), lubB = 180.0 * rng.Jitter(0.12);
    const double lubRing = 0.12 * rng.Jitter(0.15), lubLen = 0.11 * rng.Jitter(0.1);
    const double lubChirp = rng.Jitter(0.1), lubRise = rng.Uniform(0.07, 0.08);
    const double lubPhase = rng.Uniform();
    AddCircular(out, at,
                HeartSound(fs, lubLen, lubA, lubB, 40.0 * lubChirp, 140.0 * lubChirp, lubRing,
                           lubRise, lubPhase),
                level);
    const double dubA = 110.0 * rng.Jitter(0.06), dubB = 260.0 * rng.Jitter(0.12);
    const double dubRing = 0.16 * rng.Jitter(0.15), dubLen = 0.09 * rng.Jitter(0.1);
    const double dubChirp = rng.Jitter(0.1), dubRise = rng.Uniform(0.085, 0.095);
    const double dubPhase = rng.Uniform();
    const double split = rng.Uniform(0.28, 0.32);
    AddCircular(out, at + static_cast<int64_t>(split * fs),
                HeartSound(fs, dubLen, dubA, dubB, 120.0 * dubChirp, 300.0 * dubChirp, dubRing,
                           dubRise, dubPhase),
                0.7 * level * rng.GainJitter(0.7));
  }
  // The body's own murmur under the stethoscope: blood and breath, low and soft.
  AddRoomTone(out, rng, fs, 28.0, 40.0, 400.0);
  // Little limiting: the beats stand in near silence, and a limiter deep enough to lift the
  // loop's level by their peaks alone would hold each at its ceiling, a flat-topped box.
  FinishLoop(out, spec, kBedDb, {.removeDc = false, .limiterSeconds = 0.03, .maxLimitingDb = 3.0});
}

void IndianDrum(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  const double f0 = 330.0;
  // Dayan: Raman's harmonic partials; open "Na"/"Tin" ring, damped "Ta" is short. No two
  // strokes alike: the palm's pressure bends the pitch a little, and where and how hard
  // the finger lands changes each partial's level and the ring's length.
  auto dayan = [&](double t60, std::initializer_list<double> amps) {
    std::vector<Mode> modes;
    int k = 1;
    const double pitch = f0 * rng.Jitter(0.015), ring = t60 * rng.Jitter(0.25);
    for (double a : amps) {
      const double level = a * rng.GainJitter(6.0);
      const double damping = rng.Jitter(0.3);
      modes.push_back(
          {pitch * k * rng.Jitter(0.004), ring * damping / (0.7 + 0.3 * k), level, rng.Uniform()});
      ++k;
    }
    std::vector<float> v = ModalVoice(fs, modes, 0.6, 1.0, 0.47 * fs);
    const double slapMs = rng.Uniform(1.0, 4.0);
    const double slap = rng.Uniform(0.2, 0.6);
    Mix(v, NoiseClick(rng, fs, slapMs, slap), 1.0);
    EndAtSilence(v, fs, 0.1);
    return v;
  };
  // Bayan: a bass stroke whose pitch the wrist pushes up by a quarter over 150 ms.
  // The palm's weight sets each boom's pitch and how far it bends, the hand's stroke its
  // colour: no two booms alike.
  auto bayan = [&]() {
    const double push = rng.Uniform(0.0, 0.35), glide = rng.Uniform(0.08, 0.25);
    const double ring = rng.Uniform(0.28, 0.42), base = 100.0 * rng.Jitter(0.04);
    const double h2 = 0.45 * rng.GainJitter(3.0);
    const double h3 = 0.2 * rng.GainJitter(4.0);
    const double h4 = 0.1 * rng.GainJitter(4.0);
    auto v = Sweep(
        fs, 0.6, [=](double t) { return base * (1.0 + push * CosineRamp(t / glide)); },
        [=](double t) { return CosineRamp(t / 0.003) * Decay60(t, ring); }, {1.0, h2, h3, h4});
    EndAtSilence(v, fs, 0.1);
    return v;
  };
  // The dayan's ring is brief beside the bayan's boom, which carries most of a played
  // rhythm's power (a recorded tabla loop has 80 % of it between 108 and 258 Hz).
  enum Bol { kNa, kTin, kTa };
  auto treble = [&](Bol bol) {
    switch (bol) {
      case kNa:
        return dayan(0.25, {1.0, 0.5, 0.3, 0.18, 0.1});
      case kTin:
        return dayan(0.2, {0.7, 1.0, 0.45, 0.18, 0.1});
      default:
        return dayan(0.05, {1.0, 0.7, 0.45, 0.3, 0.2});
    }
  };
  // Dha Dhin Dhin Dha | Dha Tin Tin Ta, eight steps round the loop, each a few
  // milliseconds early or late as a hand plays them.
  struct Stroke {
    Bol bol;
    bool bass;
    double level;
  };
  const Stroke strokes[] = {{kNa, true, 1.0},    {kTin, true, 0.8}, {kTin, true, 0.8},
                            {kNa, true, 0.9},    {kNa, true, 1.0},  {kTin, false, 0.75},
                            {kTin, false, 0.75}, {kTa, false, 0.85}};
  out = Silence(spec);
  for (int j = 0; j < 8; ++j) {
    const double early = rng.Uniform(-0.006, 0.006);
    const int64_t at = BeatFrame(n, j, 8, 0.05, fs) + static_cast<int64_t>(early * fs);
    const double level = strokes[j].level * rng.GainJitter(0.7);
    AddCircular(out, at, treble(strokes[j].bol), level);
    if (strokes[j].bass) AddCircular(out, at, bayan(), 2.3 * level);
  }
  // A ghost "Ke" between the halves, the flat palm on the bayan between two strokes, as a
  // hand fills a theka: a dull slap with no ring.
  {
    std::vector<float> ke = NoiseClick(rng, fs, 8.0, 1.0);
    ke.resize(static_cast<size_t>(0.06 * fs), 0.0f);
    Biquad dull = Biquad::LowPass(fs, 500.0, 0.7);
    Resonator skin(fs, 90.0 * rng.Jitter(0.05), 0.03);
    for (float& v : ke) {
      const double x = dull.Process(v);
      v = static_cast<float>(x + 0.5 * skin.Process(x));
    }
    EndAtSilence(ke, fs, 0.02);
    const double between = rng.Uniform(0.45, 0.6);
    const int64_t at = BeatFrame(n, 3, 8, 0.05 + between * n / 8.0 / fs, fs);
    AddCircular(out, at, ke, 1.2);
  }
  FinishLoop(out, spec, kBedDb);
}

void TrainTrack(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  // Rail joints: two bogies cross each joint, "ta-tak ... ta-tak".
  std::vector<float> clacks(n, 0.0f);
  // Each strike jolts the car: its body rattles and the rumble swells for a moment after,
  // so that the whole spectrum moves with the wheels as a recorded train's does.
  std::vector<double> jolt(n, 0.0);
  const double offsets[] = {0.0, 0.12, 0.43, 0.55};
  const double amps[] = {1.0, 0.9, 0.55, 0.5};
  for (int j = 0; j < 6; ++j) {
    const int64_t joint = BeatFrame(n, j, 6, 0.1, fs);
    for (int c = 0; c < 4; ++c) {
      std::vector<float> burst = NoiseClick(rng, fs, 3.0, 1.0);
      burst.resize(static_cast<size_t>(0.25 * fs), 0.0f);
      Resonator thump(fs, 120.0 * rng.Jitter(0.03), 0.08);
      Resonator wood(fs, 850.0 * rng.Jitter(0.03), 0.02);
      Resonator metal(fs, 2300.0 * rng.Jitter(0.03), 0.012);
      for (float& v : burst) {
        const double x = v;
        v = static_cast<float>(0.5 * thump.Process(x) + 0.35 * wood.Process(x) +
                               0.25 * metal.Process(x) + 0.6 * x);
      }
      EndAtSilence(burst, fs, 0.05);
      const int64_t at = joint + static_cast<int64_t>((offsets[c] + 0.003 * rng.Bipolar()) * fs);
      const double amp = amps[c] * DbToGain(1.5 * rng.Bipolar());
      AddCircular(clacks, at, burst, amp);
      const double ring = rng.Uniform(0.12, 0.2);
      for (size_t k = 0; k < static_cast<size_t>(4.0 * ring * fs) && k < n; ++k)
        jolt[(static_cast<size_t>(at) + k) % n] +=
            amp * std::exp(-static_cast<double>(k) / (ring * fs));
    }
  }
  NormalizeRmsInBand(clacks, spec);

  // Rolling rumble, pulsed by the wheel turning (about 6.9 turns a second).
  std::vector<float> rumble = BrownLoop(rng, n, fs, 40.0);
  FilterLoop(rumble, Biquad::LowPass(fs, 250.0));
  const uint64_t wheelK = CyclesPerLoop(6.9, spec.sampleRate, n);
  // The bogies' springs bounce the car's loose parts some ten to seventeen times a second,
  // never at one rate: a rattle that flickers unevenly between the joints, as a recorded
  // train's does, not one whose level only leaps at each joint and dies away.
  LoopSines bounce(rng, n, CyclesPerLoop({10.5, 13.3, 16.9}, spec.sampleRate, n), 1.0);
  // The car sways and pitches a little under a second at a time.
  LoopSines sway(rng, n, {3, 4, 5}, 1.0);
  // Loose parts chatter, ten-odd times a second, never in step.
  CircularValueNoise chatter(rng, n, std::max(4, static_cast<int>(20.0 * n / fs)), -1.0, 1.0);
  for (size_t i = 0; i < n; ++i)
    rumble[i] = static_cast<float>(rumble[i] * (1.0 + 0.15 * Sin2Pi(LoopPhase(wheelK, i, n))) *
                                   DbToGain(4.5 * sway.At(i) + 3.0 * chatter.At(i)) *
                                   (0.6 + 0.5 * jolt[i]));
  NormalizeRmsInBand(rumble, spec);
  std::vector<float> rattle = PinkLoop(rng, n, fs);
  FilterLoop(rattle, Biquad::BandPass(fs, 600.0, 0.7));
  for (size_t i = 0; i < n; ++i)
    rattle[i] = static_cast<float>(rattle[i] * DbToGain(4.5 * sway.At(i) + 4.0 * chatter.At(i)) *
                                   (1.0 + 0.9 * bounce.At(i)) * (0.7 + 0.6 * jolt[i]));
  NormalizeRmsInBand(rattle, spec);

  out = Silence(spec);
  Mix(out, rumble, 0.6);
  Mix(out, rattle, 0.8);
  Mix(out, clacks, 0.55);
  FinishLoop(out, spec, kBedDb);
}

void Factory(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  out = Silence(spec);

  // Mains hum with buzzy harmonics, and a gear whine modulated at the shaft rate.
  const uint64_t humK = CyclesPerLoop(60.0, spec.sampleRate, n);
  const double humAmps[] = {1.0, 0.5, 0.7, 0.3, 0.4, 0.2};
  const uint64_t whineK = CyclesPerLoop(900.0, spec.sampleRate, n);
  const uint64_t shaftK = CyclesPerLoop(25.0, spec.sampleRate, n);
  std::vector<float> drone(n);
  for (size_t i = 0; i < n; ++i) {
    double hum = 0.0;
    for (int h = 0; h < 6; ++h)
      hum += humAmps[h] * Sin2Pi(LoopPhase(humK * (h + 1), i, n) + 0.1 * h);
    const double shaft = Sin2Pi(LoopPhase(shaftK, i, n));
    const double whine = (1.0 + 0.5 * shaft) * Sin2Pi(LoopPhase(whineK, i, n)) +
                         0.3 * Sin2Pi(LoopPhase(2 * whineK, i, n) + 0.3);
    drone[i] = static_cast<float>(0.5 * hum + 0.18 * whine);
  }
  NormalizeRmsInBand(drone, spec);
  // Brush clicks, two per shaft turn, and a conveyor ticking about 8 times a second.
  std::vector<float> clicks(n, 0.0f);
  const uint64_t brushCount = 2 * shaftK;
  // A brush bounces on the commutator, so its clicks land up to half a millisecond off
  // their places: no steady comb of lines up the spectrum.
  for (uint64_t j = 0; j < brushCount; ++j) {
    const double off = rng.Uniform(-0.0005, 0.0005);
    AddCircular(clicks,
                static_cast<int64_t>(j * n / brushCount) + 53 + static_cast<int64_t>(off * fs),
                NoiseClick(rng, fs, 0.4, 0.25 * rng.GainJitter(2.0)));
  }
  const uint64_t conveyorK = CyclesPerLoop(8.0, spec.sampleRate, n);
  for (uint64_t j = 0; j < conveyorK; ++j) {
    auto tick = BandPassedClick(rng, fs, 1500.0);
    AddCircular(clicks, static_cast<int64_t>(j * n / conveyorK) + 37, tick, rng.Uniform(0.3, 1.0));
  }
  NormalizeRmsInBand(clicks, spec);
  // The press: four heavy strokes per loop, a thump and a clang. It is fed by hand, so
  // its strokes come as the work allows, a tenth early or late, and no two ring alike:
  // the die meets each piece a little differently.
  std::vector<float> press(n, 0.0f);
  std::vector<double> gaps;
  double total = 0.0;
  for (int j = 0; j < 4; ++j) total += gaps.emplace_back(rng.Uniform(0.82, 1.18));
  double at = 0.3 * static_cast<double>(n) / 4.0;
  for (int j = 0; j < 4; ++j) {
    const double ring = rng.Jitter(0.15);
    // The die is a heavy block of steel: struck, it rings many inharmonic partials at
    // once, the higher ones dying sooner and each at its own level, over a broadband
    // crack of the strike itself; a handful of clean partials of one length would stand
    // in the hall's roar as ruled dashes.
    constexpr double kRatios[] = {1.0, 2.63, 4.35, 5.9, 7.7, 9.4, 11.6, 13.9};
    const double base = 520.0 * rng.Jitter(0.02);
    std::vector<Mode> clang;
    for (size_t k = 0; k < std::size(kRatios); ++k) {
      const double hz = base * kRatios[k] * rng.Jitter(0.03);
      const double t60 =
          0.65 * ring * rng.Uniform(0.3, 1.6) / (1.0 + 0.45 * static_cast<double>(k));
      const double amp = rng.GainJitter(6.0) / (1.0 + 0.35 * static_cast<double>(k));
      const double phase = rng.Uniform();
      // The hall's walls take what rings above 5 kHz.
      if (hz < 5000.0) clang.push_back({hz, t60, amp, phase});
    }
    clang.push_back({70.0, 0.35, 1.6, 0.0});
    std::vector<float> stroke = ModalVoice(fs, clang, 1.0, 1.0, 0.47 * fs);
    std::vector<float> crack = NoiseClick(rng, fs, rng.Uniform(4.0, 8.0), 1.0);
    Biquad crackHp = Biquad::HighPass(fs, 1200.0);
    for (float& v : crack) v = static_cast<float>(crackHp.Process(v));
    Mix(stroke, crack, 1.2);
    std::vector<float> thump = NoiseClick(rng, fs, 40.0, 1.2);
    Biquad lp = Biquad::LowPass(fs, 200.0);
    thump.resize(stroke.size(), 0.0f);
    for (float& v : thump) v = static_cast<float>(lp.Process(v));
    Mix(stroke, thump, 3.0);
    EndAtSilence(stroke, fs, 0.2);
    AddCircular(press, static_cast<int64_t>(at), stroke, rng.GainJitter(1.0));
    at += gaps[static_cast<size_t>(j)] / total * static_cast<double>(n);
  }
  NormalizeRmsInBand(press, spec);
  // Air hiss once a loop: a valve opens and the pressure behind it falls away, so the
  // hiss bursts out and dies down at once, fluttering, with no level it holds.
  std::vector<float> hiss = WhiteLoop(rng, n);
  FilterLoop(hiss, Biquad::HighPass(fs, 2000.0));
  const double hissStart = 0.62 * n / fs;
  CircularValueNoise flutter(rng, n, std::max(4, static_cast<int>(25.0 * n / fs)), -1.0, 1.0);
  for (size_t i = 0; i < n; ++i) {
    const double t = i / fs - hissStart;
    const double env = t <= 0.0 ? 0.0
                                : CosineRamp(t / 0.04) * std::exp(-t / 0.18) *
                                      (1.0 - CosineRamp((t - 0.45) / 0.2));
    hiss[i] = static_cast<float>(hiss[i] * env * (1.0 + 0.35 * flutter.At(i)));
  }
  NormalizeRmsInBand(hiss, spec);

  // The hall itself: the roar of every other machine, broadband up to a few kilohertz,
  // swelling and easing as loads come and go (a recorded factory hall is as noisy as it
  // is tonal, its power centred near 1.1 kHz).
  std::vector<float> roar = PinkLoop(rng, n, fs);
  FilterLoop(roar, Biquad::HighPass(fs, 180.0, 0.7));
  FilterLoop(roar, Biquad::LowPass(fs, 3800.0, 0.7));
  const std::vector<float> load = ControlLoop(rng, n, fs, 0.7);
  for (size_t i = 0; i < n; ++i) roar[i] = static_cast<float>(roar[i] * (1.0 + 0.3 * load[i]));
  NormalizeRmsInBand(roar, spec);

  Mix(out, drone, 0.45);
  Mix(out, roar, 0.8);
  Mix(out, clicks, 0.25);
  Mix(out, press, 1.0);
  Mix(out, hiss, 0.25);
  AddReverbLoop(out, fs, 1.2, 0.4, 1.3, 3000.0);
  // A hall's din is heard through its walls and its own reverberance: a recorded factory
  // hall has almost nothing above 5.5 kHz, so the clicks' and the hiss's tops go, on a
  // slope of 36 dB an octave from 6 kHz. A brick-wall cut would leave the spectrum's
  // last bins before it standing proud of the silence above, a steady line at its edge.
  if (fs > 2.0 * 6000.0) {
    for (int pass = 0; pass < 3; ++pass) FilterLoop(out, Biquad::LowPass(fs, 6000.0, 0.7));
  }
  FinishLoop(out, spec, kBedDb);
}

void Museum(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  // Air handling: low rumble of air and a faint 120 Hz hum.
  std::vector<float> hvac = PinkLoop(rng, n, fs);
  FilterLoop(hvac, Biquad::LowPass(fs, 450.0, 0.7));
  NormalizeRmsInBand(hvac, spec);
  const uint64_t humK = CyclesPerLoop(120.0, spec.sampleRate, n);
  for (size_t i = 0; i < n; ++i)
    hvac[i] = static_cast<float>(hvac[i] + 0.12 * Sin2Pi(LoopPhase(humK, i, n)));

  // Two walkers crossing the hall, each phrase fading in and out.
  std::vector<float> room(n, 0.0f);
  struct Walker {
    double startFraction, stepSeconds;
    int steps;
    double level;
  };
  const Walker walkers[] = {{0.07, 0.55, 11, 1.0}, {0.52, 0.6, 9, 0.7}};
  for (const Walker& w : walkers) {
    for (int s = 0; s < w.steps; ++s) {
      const double u = (s + 0.5) / w.steps;
      const double arc = Sin2Pi(0.5 * u);  // approaching, then receding
      std::vector<float> heel = NoiseClick(rng, fs, 3.0, 1.0);
      heel.resize(static_cast<size_t>(0.12 * fs), 0.0f);
      Biquad bp = Biquad::BandPass(fs, rng.Uniform(1000.0, 3000.0), 1.5);
      Resonator thud(fs, 120.0 * rng.Jitter(0.05), 0.06);
      for (float& v : heel) {
        const double x = v;
        v = static_cast<float>(bp.Process(x) + 0.4 * thud.Process(x));
      }
      EndAtSilence(heel, fs, 0.03);
      const double at = w.startFraction * n + (s * w.stepSeconds + 0.02 * rng.Bipolar()) * fs;
      AddCircular(room, static_cast<int64_t>(at), heel, w.level * arc * rng.GainJitter(1.5));
    }
  }
  // A distant door closing once a loop.
  {
    std::vector<float> door = NoiseClick(rng, fs, 25.0, 1.0);
    door.resize(static_cast<size_t>(0.5 * fs), 0.0f);
    Resonator body(fs, 75.0, 0.25), panel(fs, 190.0, 0.15);
    Biquad lp = Biquad::LowPass(fs, 600.0);
    for (float& v : door) {
      const double x = lp.Process(v);
      v = static_cast<float>(body.Process(x) + 0.6 * panel.Process(x));
    }
    EndAtSilence(door, fs, 0.1);
    AddCircular(room, static_cast<int64_t>(0.81 * n), door, 1.4);
  }
  NormalizeRmsInBand(room, spec);
  // Murmur: noise through wandering vowel formants, in syllables of about 4.5 per second.
  std::vector<float> murmur = WhiteLoop(rng, n);
  {
    const int syllables = static_cast<int>(CyclesPerLoop(4.5, spec.sampleRate, n));
    CircularValueNoise f1(rng, n, syllables, 300.0, 800.0);
    CircularValueNoise f2(rng, n, syllables, 900.0, 2200.0);
    LoopSines phrase(rng, n, {2, 3, 5}, 1.0);
    Biquad bp1, bp2, lp = Biquad::LowPass(fs, 2000.0);
    const uint64_t sylK = static_cast<uint64_t>(syllables);
    RunCircular(murmur, 3, [&](double in, size_t i) {
      bp1.SetBandPass(fs, f1.At(i), 5.0);
      bp2.SetBandPass(fs, f2.At(i), 8.0);
      const double syl = 0.5 - 0.5 * Cos2Pi(LoopPhase(sylK, i, n));
      const double level = 0.5 + 0.5 * phrase.At(i);
      return lp.Process((bp1.Process(in) + 0.5 * bp2.Process(in)) * syl * level);
    });
    NormalizeRmsInBand(murmur, spec);
  }

  Mix(room, murmur, 0.2);
  AddReverbLoop(room, fs, 2.7, 0.9, 1.7, 2500.0);
  out = Silence(spec);
  Mix(out, room, 1.0);
  Mix(out, hvac, 0.25);
  FinishLoop(out, spec, kQuietBedDb);
}

void ClockTick(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  // Escapement: 2-3 sub-clicks within about 14 ms. A clock's tick is a knock more than a
  // ring: the small metal parts are damped by their mountings within a few milliseconds,
  // and the wooden case answers with a dull, short thump below 1 kHz (a recorded clock's
  // ticks are broadband, most of their power under 2.5 kHz, hardly pitched).
  auto event = [&](double pitch) {
    std::vector<float> v(static_cast<size_t>(0.11 * fs), 0.0f);
    const int subClicks = 3;
    const double delays[] = {0.0, 0.006, 0.014};
    // The escape wheel's tooth first touches the pallet, slides and then drops: the drop
    // is the loudest, so the tick builds over its 14 ms instead of starting as a needle.
    // The touch and the slide lie some 20 dB under the drop: nearer, the limiter that
    // lifts the loop to its level would flatten all three to one ceiling, a box again.
    const double levels[] = {0.04, 0.08, 1.0};
    for (int c = 0; c < subClicks; ++c) {
      // The small parts ring briefly; the case's body, from a few hundred hertz to 2.5 kHz,
      // rings longest and carries most of the tick.
      const Mode modes[] = {{3200.0 * pitch, 0.025, 0.7, rng.Uniform()},
                            {5100.0 * pitch, 0.02, 0.42, rng.Uniform()},
                            {7400.0 * pitch, 0.015, 0.28, rng.Uniform()},
                            {2100.0 * pitch * rng.Jitter(0.03), 0.04, 0.35, rng.Uniform()},
                            {1350.0 * pitch * rng.Jitter(0.03), 0.05, 0.45, rng.Uniform()},
                            {900.0 * pitch, 0.08, 0.4, rng.Uniform()},
                            {380.0 * pitch, 0.08, 0.25, rng.Uniform()}};
      std::vector<float> ring = ModalVoice(fs, modes, 0.09, 1.0, 0.47 * fs);
      // The impact itself is a rattle of metal on metal a few milliseconds long, not one
      // sample: a handful of touches over some 10 ms, each a spray of noise whose top
      // dies within a few milliseconds and whose body, under 2.5 kHz, rings a little on.
      std::vector<float> rattle(static_cast<size_t>(0.08 * fs), 0.0f);
      const double white = WhiteDensityGain(fs, OriginalRate(spec));
      const int touches = 3 + static_cast<int>(rng.Uniform(0.0, 3.0));
      for (int k = 0; k < touches; ++k) {
        const double at = k == 0 ? 0.0 : rng.Uniform(0.0005, 0.012);
        const double g = k == 0 ? 1.0 : rng.Uniform(0.2, 0.7);
        Biquad warm = Biquad::LowPass(fs, 2500.0);
        OnePoleLowPass top(fs, 8000.0);
        for (size_t i = static_cast<size_t>(at * fs); i < rattle.size(); ++i) {
          const double t = static_cast<double>(i) / fs - at;
          const double x = white * rng.Bipolar();
          const double rise = CosineRamp(t / 0.0005);
          rattle[i] += static_cast<float>(g * rise *
                                          (0.5 * std::exp(-t / 0.003) * top.Process(x) +
                                           std::exp(-t / 0.004) * warm.Process(x)));
        }
      }
      Mix(ring, rattle, 1.0);
      AddClipped(v, static_cast<int64_t>(delays[c] * fs), ring, levels[c]);
    }
    EndAtSilence(v, fs, 0.02);
    return v;
  };
  out = Silence(spec);
  // Two events per loop at exactly half the loop apart: tick, then a lower, softer tock.
  const int64_t first = static_cast<int64_t>(0.25 * fs);
  AddCircular(out, first, event(1.0), 1.0);
  AddCircular(out, first + static_cast<int64_t>(n / 2), event(0.88), DbToGain(-3.0));
  // A quiet room around the clock.
  AddRoomTone(out, rng, fs, 38.0, 150.0, 4000.0);
  FinishLoop(out, spec, kQuietBedDb,
             {.removeDc = false, .limiterSeconds = 0.002, .maxLimitingDb = 12.0});
}

}  // namespace lullwood::synth
