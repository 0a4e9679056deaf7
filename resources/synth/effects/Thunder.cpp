// Thunder: rolling rumbles of overlapping N-wave pulses with sparse landscape reflections;
// the near strike adds a clipped crack and a saturated boom.
#include <array>
#include <cmath>

#include "../kit/Events.h"
#include "../kit/Filters.h"
#include "../kit/Level.h"
#include "../kit/Noise.h"
#include "../kit/Random.h"
#include "../kit/Resample.h"
#include "Effects.h"
#include "Voices.h"

namespace lullwood::synth::fx {
namespace {

// Adds odd harmonics to a bass-heavy signal so small speakers still carry it:
// `drive` sets how hard the soft clipper is pushed, the result keeps the input's scale.
void Saturate(std::vector<float>& x, double drive, double fs, double bandRate) {
  // Driven by the peak the catalogue wave's band holds, so a full-band rendering, whose
  // clicks peak higher above that band, is saturated as deeply within it.
  const double peak = Peak(InOriginalBand(x, 1, fs, bandRate, false));
  if (peak <= 0.0) return;
  const double in = drive / peak;
  for (float& v : x) v = static_cast<float>(SoftClip(v * in) * peak / drive);
}

// Adds the rectified signal, high-passed: a coherent octave-up layer at 100-400 Hz that
// lets a sub-bass rumble be heard where the speaker cannot play the fundamental.
// Only what lies below 5 kHz is rectified: crackle above it would otherwise fold down into
// the layer as a full-band rendering's extra low rumble.
void AddOvertones(std::vector<float>& x, double fs, double amount) {
  Biquad hp1 = Biquad::HighPass(fs, 90, 0.7), hp2 = Biquad::HighPass(fs, 90, 0.7);
  Biquad lp = Biquad::LowPass(fs, 600, 0.7);
  Biquad band1 = Biquad::LowPass(fs, std::min(5000.0, 0.45 * fs), 0.7071), band2 = band1;
  for (float& v : x) {
    const double heard = band2.Process(band1.Process(v));
    const double octave = lp.Process(hp2.Process(hp1.Process(std::fabs(heard))));
    v = static_cast<float>(v + amount * octave);
  }
}

}  // namespace

void DistantThunder(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));
  // Far away: no crack. The roll opens with the channel's nearest part, still carrying
  // some of its upper band (a recorded distant roll reaches 1-2 kHz in its first second),
  // then breaks into peals: the loudest comes a second or so in, sudden and brightest,
  // and a few more follow it at uneven gaps, each softer and darker than the last, as
  // the sound arrives from parts of the channel further off; a low tail rolls on under
  // them. Never one steady band: each peal swells in within a tenth of a second and dies
  // over a second or two. The power sits at 65-215 Hz, above the sub-bass a small
  // speaker cannot play.
  const RumbleParams tear{.seconds = 1.6,
                          .density = Bp({{0.0, 30}, {0.8, 60}, {1.6, 10}}),
                          .level = Bp({{0.0, 0.0}, {0.3, 0.35}, {0.8, 0.5}, {1.6, 0.0}}, true),
                          .minPulseMs = 4,
                          .maxPulseMs = 20,
                          .reflections = 8,
                          .spreadSeconds = 0.8,
                          .lowPassHz = 1200};
  AddRumble(out, fs, 0.2, tear, rng, 0.4);
  double at = rng.Uniform(1.0, 1.4), level = 1.0, top = 1000.0;
  for (int peal = 0; peal < 5 && at < 6.5; ++peal) {
    const double seconds = rng.Uniform(1.4, 2.2);
    const double attack = rng.Uniform(0.04, 0.1);
    const RumbleParams p{.seconds = seconds,
                         .density = Bp({{0.0, 80}, {0.5, 60}, {seconds, 15}}),
                         .level = Bp({{0.0, 0.0},
                                      {attack, 1.0},
                                      {attack + 0.25, 0.55},
                                      {0.6 * seconds, 0.22},
                                      {seconds, 0.0}},
                                     true),
                         .minPulseMs = 6,
                         .maxPulseMs = 35,
                         .reflections = 12,
                         .spreadSeconds = 1.2,
                         .lowPassHz = top};
    AddRumble(out, fs, at, p, rng, level);
    at += rng.Uniform(0.6, 1.3) * (1.0 + 0.25 * peal);
    level *= rng.Uniform(0.55, 0.8);
    top *= 0.8;
  }
  // The long low tail: the farthest parts of the channel, rolling on under the peals.
  const RumbleParams tail{
      .seconds = 7.2,
      .density = Bp({{0.0, 20}, {2.0, 60}, {7.2, 20}}),
      .level = Bp({{0.0, 0.0}, {1.5, 0.1}, {3.5, 0.14}, {5.5, 0.08}, {7.2, 0.0}}, true),
      .minPulseMs = 10,
      .maxPulseMs = 40,
      .reflections = 16,
      .spreadSeconds = 2.5,
      .lowPassHz = 380};
  AddRumble(out, fs, 1.5, tail, rng);
  Saturate(out, 1.3, fs, OriginalRate(spec));
  AddOvertones(out, fs, 1.2);
  FilterInPlace(out, Biquad::LowPass(fs, 1600, 0.7));
  FilterInPlace(out, Biquad::HighPass(fs, 60, 0.7));
  FilterInPlace(out, Biquad::HighPass(fs, 60, 0.7));
  FinishEffect(out, spec, {.targetDbfs = -12.5, .fadeOutSec = 0.8});
}

void BigThunder(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  out.assign(spec.frames, 0.0f);
  Rng rng(SeedFromName(spec.resourceName));

  // Crack: sub-cracks of over-driven noise through resonant bands, clipped at 4x the
  // rate and decimated so the clipping does not fold back.
  constexpr int kOver = 4;
  const double fsOver = fs * kOver;
  const size_t crackFrames = static_cast<size_t>(0.25 * fsOver);
  std::vector<float> crack(crackFrames, 0.0f);
  Biquad b1 = Biquad::BandPass(fsOver, 1200, 5), b2 = Biquad::BandPass(fsOver, 2500, 5);
  Biquad b3 = Biquad::BandPass(fsOver, 4000, 5);
  const double white = WhiteDensityGain(fs, OriginalRate(spec));
  const double subStarts[3] = {0.0, 0.009, 0.021};
  const double subLengths[3] = {0.045, 0.03, 0.06};
  for (size_t i = 0; i < crackFrames; ++i) {
    const double t = static_cast<double>(i) / fsOver;
    double env = 0.0;
    for (int s = 0; s < 3; ++s) {
      const double u = t - subStarts[s];
      if (u >= 0.0) env += CosineRamp(u / 0.0008) * std::exp(-u / (0.35 * subLengths[s]));
    }
    // Clipped, then made as dense per hertz as at the catalogue's rate.
    const double driven = white * Clamp(6.0 * env * rng.Bipolar(), -1.0, 1.0);
    crack[i] = static_cast<float>(b1.Process(driven) + b2.Process(driven) +
                                  0.8 * b3.Process(driven) + 0.3 * driven * env);
  }
  const std::vector<float> crackLow = Decimate(crack, kOver, false);
  const int64_t crackAt = Frame(0.02, fs);
  for (size_t i = 0;
       i < crackLow.size() && crackAt + static_cast<int64_t>(i) < static_cast<int64_t>(out.size());
       ++i)
    out[crackAt + i] += 0.9f * crackLow[i];

  // Rumble: bright at first, closing down as it rolls away.
  std::vector<float> rumble(out.size(), 0.0f);
  RumbleParams p;
  p.seconds = 3.6;
  p.density = Bp({{0.0, 90}, {0.8, 70}, {3.6, 25}});
  p.level = Bp({{0.0, 0.0}, {0.04, 1.0}, {0.5, 0.8}, {1.5, 0.5}, {3.0, 0.12}, {3.6, 0.0}}, true);
  p.minPulseMs = 3;
  p.maxPulseMs = 40;
  p.reflections = 14;
  p.spreadSeconds = 1.2;
  p.lowPassHz = 2000;
  AddRumble(rumble, fs, 0.03, p, rng);
  // Tearing: the channel's nearer segments arrive as broadband crackle, each piece a few
  // milliseconds of noise, dense at first and thinning out over three seconds, coming in
  // clusters of no set length as the stroke's branches do, never in boxes of one length.
  {
    Biquad hp = Biquad::HighPass(fs, 400, 0.7);
    Biquad lp = Biquad::LowPass(fs, 3800, 0.7);
    std::vector<float> crackle(rumble.size(), 0.0f);
    double t = 0.02, cluster = 1.0, clusterEnds = 0.02;
    while (t < 3.3) {
      if (t >= clusterEnds) {
        // A new cluster: its own loudness and length; between clusters the crackle
        // thins to a few pieces a second.
        cluster = rng.Chance(0.6) ? rng.Uniform(0.5, 1.0) : rng.Uniform(0.08, 0.25);
        clusterEnds = t + rng.Uniform(0.08, 0.5);
      }
      const double fade = std::exp(-t / 1.4);
      const double ms = rng.Uniform(1.5, 9.0);
      const std::vector<float> click = NoiseClick(rng, fs, ms, 1.0);
      const double a = cluster * fade * rng.GainJitter(5.0);
      AddClipped(crackle, Frame(t, fs), click, a);
      // Dense where the cluster is loud, sparse where it is faint.
      t += rng.Uniform(0.003, 0.03) / std::max(0.1, cluster * (0.4 + 0.6 * fade));
    }
    for (size_t i = 0; i < rumble.size(); ++i)
      rumble[i] += static_cast<float>(1.2 * lp.Process(hp.Process(crackle[i])));
  }
  // Roar: the hiss of the whole near channel, broadband at first and darkening as the
  // sound from farther segments, filtered by more air, takes over.
  {
    const Curve roarLevel =
        Bp({{0.0, 0.0}, {0.03, 1.0}, {0.4, 0.75}, {1.2, 0.6}, {2.2, 0.5}, {3.2, 0.12}, {3.7, 0.0}},
           true);
    // It darkens by its top fading sooner than its body, not by a filter sweeping down.
    Biquad hp = Biquad::HighPass(fs, 250, 0.7);
    Biquad body = Biquad::LowPass(fs, 900.0, 0.6), top = Biquad::HighPass(fs, 900.0, 0.6);
    Biquad topLp = Biquad::LowPass(fs, 3600.0, 0.6);
    PinkNoise pink;
    for (size_t i = 0; i < rumble.size(); ++i) {
      const double t = static_cast<double>(i) / fs;
      const double x = hp.Process(pink.Next(rng));
      const double shade = 1.6 * std::exp(-t / 2.2);
      const double wobble = 0.7 + 0.3 * Sin2Pi(3.1 * t) * Sin2Pi(0.7 * t + 0.2);
      rumble[i] += static_cast<float>(0.16 * roarLevel(t - 0.02) * wobble *
                                      (body.Process(x) + shade * topLp.Process(top.Process(x))));
    }
  }
  // Boom: a falling low sine, saturated for its harmonics.
  double phase = 0.0;
  for (size_t i = 0; i < rumble.size(); ++i) {
    const double t = static_cast<double>(i) / fs - 0.03;
    if (t < 0.0 || t > 3.0) continue;
    const double hz = 58.0 - 20.0 * CosineRamp(t / 2.0);
    const double env = CosineRamp(t / 0.03) * std::exp(-t / 0.7);
    rumble[i] += static_cast<float>(0.2 * env * Sin2Pi(phase));
    phase += hz / fs;
    phase -= std::floor(phase);
  }
  Saturate(rumble, 2.2, fs, OriginalRate(spec));
  AddOvertones(rumble, fs, 0.8);
  // The two are balanced by their peaks as the catalogue wave's band holds them (the
  // crack's full-band peak stands far above its peak in that band), the rumble's peak
  // 6 dB under the crack's, so the crack's brightness leads the roll.
  const double bandRate = OriginalRate(spec);
  const double rumblePeak = Peak(InOriginalBand(rumble, 1, fs, bandRate, false));
  const double crackPeak = Peak(InOriginalBand(out, 1, fs, bandRate, false));
  const double rumbleGain = rumblePeak > 0.0 ? 0.5 * crackPeak / rumblePeak : 0.0;
  for (size_t i = 0; i < out.size(); ++i) out[i] += static_cast<float>(rumbleGain * rumble[i]);
  // Close by, the sub-bass is felt more than heard: keep the energy in the audible roar.
  FilterInPlace(out, Biquad::HighPass(fs, 70, 0.7));
  FilterInPlace(out, Biquad::LowPass(fs, 4400, 0.7));
  FilterInPlace(out, Biquad::LowPass(fs, 4400, 0.7));
  // The crack is abrupt: start it a little later so the opening ramp does not cut it.
  FinishEffect(out, spec, {.onsetSec = 0.025, .fadeOutSec = 0.35});
}

}  // namespace lullwood::synth::fx
