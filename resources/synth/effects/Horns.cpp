// Whistles and horns: a three-chime steam whistle and two ship horns, each in the
// landscape that answers it.
#include <array>
#include <cmath>

#include "../kit/Filters.h"
#include "../kit/Noise.h"
#include "../kit/Random.h"
#include "Effects.h"
#include "Voices.h"

namespace lullwood::synth::fx {
namespace {

// A horn or whistle blast: a brassy harmonic voice whose pitch sags in from below at the
// start, with a held level, a soft release and a little roughness; `droop` is how far the
// pitch falls over the blast as the pressure behind it drops (0.01 = 1 %).
struct Blast {
  double hz, start, seconds, attack, release, sag, gain, droop = 0.0;
};

void AddHorn(std::vector<float>& out, double fs, const Blast& b, const VoiceParams& timbre,
             Rng& rng) {
  VoiceParams v = timbre;
  v.seconds = b.seconds;
  const double hz = b.hz, sag = b.sag, attack = b.attack, droop = b.droop, seconds = b.seconds;
  v.f0 = [hz, sag, attack, droop, seconds](double t) {
    return hz * (1.0 - sag * (1.0 - CosineRamp(t / (1.5 * attack)))) * (1.0 - droop * t / seconds);
  };
  v.amp = NoteEnvelope(b.seconds, b.attack, b.release);
  AddVoice(out, fs, b.start, v, rng, b.gain);
}

}  // namespace

void TrainWhistle(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Three pipes (G-flat, B-flat, D-flat) scooping up into a chord, two long blasts. A
  // steam whistle's pipes are blown by a turbulent jet: each partial wavers and is half
  // noise, the few upper ones fade fast, and the whole chord sits in the steam's roar.
  VoiceParams pipe;
  pipe.weights = {1.0, 0.5, 0.3, 0.18, 0.1, 0.06};
  pipe.vibratoHz = 5.5;
  pipe.vibratoDepth = 0.002;
  pipe.jitter = 0.005;
  pipe.jitterHz = 22;
  pipe.shimmerDb = 1.5;
  pipe.noise = 0.45;
  pipe.noiseFormantQ = 10;
  pipe.chaosSec = 0.18;
  pipe.formants = {{900, 1200, 0}};
  pipe.formantFloorDb = -6;
  const std::array<double, 3> chord = {370.0 * 1.002, 466.16, 554.37 * 0.998};
  // Start, length, how hard the valve is pulled (level), how far the pitch droops.
  const std::array<std::array<double, 4>, 2> blasts = {
      {{0.08, 2.1, 1.0, 0.012}, {2.75, 2.15, 0.85, 0.02}}};
  const double white = WhiteDensityGain(fs, OriginalRate(spec));
  for (const auto& blast : blasts) {
    const double start = blast[0], seconds = blast[1], pull = blast[2], droop = blast[3];
    for (double hz : chord) {
      const double gain = 0.6 * pull * rng.GainJitter(1.0);
      AddHorn(out, fs, {hz, start, seconds, 0.12, 0.35, 0.05, gain, droop}, pipe, rng);
    }
    // Steam: a roar from 600 Hz that fades upward, bursts as the valve opens, leads the
    // pipes in and gusts as it settles. The valve takes a moment to open and to close,
    // and the roar's top follows the pressure: it wanders with the gusts, reaches highest
    // in the burst and sinks first as the valve closes, as a recorded steam horn's
    // does, instead of standing as a box with a ruled top.
    Biquad hiss = Biquad::HighPass(fs, 600, 0.7), hiss2 = hiss;
    Biquad top = Biquad::LowPass(fs, 4500, 0.6), top2;
    Biquad body = Biquad::Peaking(fs, 2200, 0.8, 6.0);
    OnePoleLowPass gusts(fs, 7.0), wander(fs, 0.8);
    const int64_t at = Frame(start - 0.04, fs), len = Frame(seconds + 0.04, fs);
    auto env = NoteEnvelope(seconds + 0.04, 0.07, 0.5);
    const double topMost = std::min(0.45 * fs, 13000.0);
    for (int64_t i = 0; i < len && at + i < static_cast<int64_t>(out.size()); ++i) {
      if (at + i < 0) continue;
      const double t = static_cast<double>(i) / fs;
      const double burst = 1.0 + 1.5 * std::exp(-t / 0.15);
      const double gust = DbToGain(3.0 * 4.0 * gusts.Process(rng.Gaussian()));
      const double pressure =
          env(t) * (0.7 + 0.12 * burst) * DbToGain(120.0 * wander.Process(rng.Gaussian()));
      top2.SetLowPass(fs, std::min(topMost, 2500.0 + 9000.0 * pressure * pressure), 0.7);
      const double steam = body.Process(
          top2.Process(top.Process(hiss2.Process(hiss.Process(white * rng.Gaussian())))));
      out[at + i] += static_cast<float>(0.08 * pull * burst * gust * env(t) * steam);
    }
  }
  // The valley answers, briefly enough to leave the pause between the blasts.
  const std::array<EchoTap, 2> echoes = {{{0.3, 0.12, 1500}, {0.75, 0.035, 1000}}};
  AddEchoes(out, fs, echoes);
  AddRoom(out, fs, 1.0, 0.15, 2500, 0.03, 1.4);
  FinishEffect(out, spec, {.fadeOutSec = 0.6});
}

void ShipsHorn(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // A prolonged blast of one horn, heard across a harbour. A ship's horn is a single
  // tone rich in harmonics (a recorded one holds 127 Hz, 15 dB above its noise): a few
  // strong low ones, the rest fading smoothly upward. Its pitch is never quite still:
  // the air behind the diaphragm surges and sags, and the blast droops as it runs out.
  VoiceParams horn;
  horn.tiltDbPerOctave = -5;
  horn.formants = {{500, 450, 0}, {1100, 600, -6}, {2200, 900, -18}};
  horn.formantFloorDb = -40;
  horn.formantOrder = 2;
  horn.maxHz = 5000;
  horn.jitter = 0.012;
  horn.jitterHz = 1.5;
  horn.shimmerDb = 1.0;
  horn.amHz = 31;
  horn.amDepth = 0.02;
  horn.noise = 0.19;
  AddHorn(out, fs, {127.0, 0.1, 5.0, 0.15, 0.35, 0.04, 1.0, 0.012}, horn, rng);
  const std::array<EchoTap, 2> echoes = {{{0.6, 0.3, 1200}, {1.3, 0.15, 800}}};
  AddEchoes(out, fs, echoes);
  AddRoom(out, fs, 3.0, 0.3, 1800, 0.05, 1.6);
  // The harbour under it: water on the quay and wind, low and unsteady.
  AddAmbience(out, fs, rng, 36, 60, 2500, static_cast<double>(out.size()) / fs);
  FinishEffect(out, spec, {.fadeOutSec = 1.0});
}

void OceanLiner(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // One enormous low horn: a 55 Hz fundamental carried by strong harmonics, most of its
  // power below 1 kHz. A recorded coastal liner's horn shows a dense comb of steady
  // harmonics reaching 2 kHz and, above it to 5 kHz, the rasp of the diaphragm slapping
  // shut once a period; the rushing air makes it as noisy as it is tonal. It blurts as
  // the air comes in and never quite settles.
  VoiceParams horn;
  // The bell's many narrow resonances lift some harmonics and sink others: the comb is
  // uneven by several decibels from one harmonic to the next, over about -4 dB/octave.
  horn.harmonics = 46;
  for (int k = 1; k <= horn.harmonics; ++k)
    horn.weights.push_back(std::pow(static_cast<double>(k), -0.65) * rng.GainJitter(4.0));
  horn.formants = {{300, 300, 0}, {650, 400, -4}, {1400, 700, -22}, {2200, 900, -30}};
  horn.formantFloorDb = -34;
  horn.formantOrder = 2;
  horn.maxHz = 2600;
  // The air behind the diaphragm surges and sags: the pitch wanders by about a per cent
  // and droops as the blast runs out, never held on one line.
  horn.jitter = 0.012;
  horn.jitterHz = 1.5;
  horn.chaosSec = 0.35;
  horn.shimmerDb = 0.6;
  horn.amHz = 17;
  horn.amDepth = 0.04;
  horn.noise = 0.15;
  horn.noiseFormantQ = 1.5;
  horn.subharmonic = Bp({{0.0, 0.35}, {0.5, 0.0}, {4.1, 0.0}, {4.6, 0.2}});
  const Blast blast{55.0, 0.1, 4.5, 0.3, 0.45, 0.05, 1.0, 0.015};
  AddHorn(out, fs, blast, horn, rng);
  // The rasp: noise from 1.5 to 5 kHz in bursts, one as the diaphragm closes each period,
  // far under the tone.
  {
    Biquad hp = Biquad::HighPass(fs, 1500, 0.7), lp = Biquad::LowPass(fs, 5000, 0.7);
    auto env = NoteEnvelope(blast.seconds, blast.attack, blast.release);
    const int64_t at = Frame(blast.start, fs), len = Frame(blast.seconds, fs);
    double phase = 0.0;
    const double white = WhiteDensityGain(fs, OriginalRate(spec));
    for (int64_t i = 0; i < len && at + i < static_cast<int64_t>(out.size()); ++i) {
      const double t = static_cast<double>(i) / fs;
      phase += 55.0 / fs;
      phase -= std::floor(phase);
      const double slap = 0.3 + std::exp(-phase / 0.12);
      const double rasp = lp.Process(hp.Process(white * rng.Gaussian()));
      out[at + i] += static_cast<float>(0.04 * env(t) * slap * rasp);
    }
  }
  // Engine rumble under the horn.
  BrownNoise brown(fs, 60.0, 20.0);
  Biquad lp = Biquad::LowPass(fs, 140, 0.7);
  auto env = NoteEnvelope(6.6, 0.6, 2.0);
  for (size_t i = 0; i < out.size(); ++i) {
    const double t = static_cast<double>(i) / fs - 0.05;
    const double g = env(t) * (0.8 + 0.2 * Sin2Pi(1.5 * t));
    out[i] += static_cast<float>(0.05 * g * lp.Process(brown.Next(rng)));
  }
  // The harbour answers: the quay's sheds close by, the far side of the water later.
  const std::array<EchoTap, 3> echoes = {{{0.35, 0.2, 1200}, {0.8, 0.25, 700}, {1.9, 0.12, 500}}};
  AddEchoes(out, fs, echoes);
  AddRoom(out, fs, 3.0, 0.3, 1200, 0.05, 1.6);
  // A sustained, peaky low waveform: a touch quieter keeps it clear of the limiter.
  FinishEffect(out, spec, {.targetDbfs = -12.0, .fadeOutSec = 0.9});
}

}  // namespace lullwood::synth::fx
