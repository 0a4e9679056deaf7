// The effect building blocks: pitch, band limit, formants, rumble and the finishing pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "Analysis.h"
#include "effects/Voices.h"

namespace lullwood::synth::fx {
namespace {

constexpr double kFs = 11025.0;
// A one-shot at its own rate, for FinishEffect.
const SoundSpec kSpec{"TEST", static_cast<uint32_t>(kFs), 1, 0, false};

Curve Constant(double v) {
  return [v](double) { return v; };
}

int ZeroCrossingsUp(std::span<const float> x) {
  int n = 0;
  for (size_t i = 1; i < x.size(); ++i)
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) ++n;
  return n;
}

TEST(EffectVoices, VoiceAndWhistleKeepTheirPitch) {
  Rng rng(1);
  std::vector<float> voice(static_cast<size_t>(kFs), 0.0f), whistle(voice.size(), 0.0f);
  VoiceParams p;
  p.seconds = 1.0;
  p.f0 = Constant(440.0);
  p.amp = Constant(0.5);
  p.weights = {1.0};
  AddVoice(voice, kFs, 0.0, p, rng);
  AddWhistle(whistle, kFs, 0.0, 1.0, Constant(440.0), Constant(0.5));
  EXPECT_NEAR(ZeroCrossingsUp(voice), 440, 1);
  EXPECT_NEAR(ZeroCrossingsUp(whistle), 440, 1);
}

TEST(EffectVoices, GlidingVoiceStaysBelowItsBandLimit) {
  Rng rng(2);
  std::vector<float> out(static_cast<size_t>(2 * kFs), 0.0f);
  VoiceParams p;
  p.seconds = 2.0;
  p.f0 = LogBp({{0.0, 150}, {2.0, 1400}});
  p.amp = Constant(0.5);
  p.tiltDbPerOctave = -3;
  p.maxHz = 3000;
  AddVoice(out, kFs, 0.0, p, rng);
  EXPECT_GT(test::Centroid(out, kFs), 300.0);  // the voice is there
  // Harmonics fade before the limit instead of folding back from Nyquist.
  EXPECT_LT(test::PowerFractionAbove(out, kFs, 3100.0), 1e-5);
}

TEST(EffectVoices, FormantsAndOddHarmonicsShapeTheSpectrum) {
  Rng rng(3);
  std::vector<float> shaped(static_cast<size_t>(kFs), 0.0f), pipe(shaped.size(), 0.0f);
  VoiceParams p;
  p.seconds = 1.0;
  p.f0 = Constant(100.0);
  p.amp = Constant(0.5);
  p.tiltDbPerOctave = 0;
  p.formants = {{1000, 120, 0}};
  AddVoice(shaped, kFs, 0.0, p, rng);
  const std::vector<double> sp = test::PowerSpectrum(shaped);
  EXPECT_GT(test::PowerNear(sp, kFs, 1000, 20), 30.0 * test::PowerNear(sp, kFs, 300, 20));

  VoiceParams q;
  q.seconds = 1.0;
  q.f0 = Constant(200.0);
  q.amp = Constant(0.5);
  q.tiltDbPerOctave = 0;
  q.oddOnly = true;
  AddVoice(pipe, kFs, 0.0, q, rng);
  const std::vector<double> pp = test::PowerSpectrum(pipe);
  EXPECT_LT(test::PowerNear(pp, kFs, 400, 15), 1e-4 * test::PowerNear(pp, kFs, 600, 15));
}

TEST(EffectVoices, PeriodDoublingAndRollOffShapeTheVoice) {
  Rng rng(5);
  auto render = [&](bool doubled, double lowPassHz) {
    std::vector<float> out(static_cast<size_t>(kFs), 0.0f);
    VoiceParams p;
    p.seconds = 1.0;
    p.f0 = Constant(400.0);
    p.amp = Constant(0.5);
    p.tiltDbPerOctave = -3;
    if (doubled) p.subharmonic = Constant(1.0);
    p.lowPassHz = lowPassHz;
    AddVoice(out, kFs, 0.0, p, rng);
    return test::PowerSpectrum(out);
  };
  const std::vector<double> plain = render(false, 0), doubled = render(true, 0);
  // Doubling puts components half-way between the harmonics (200, 600 Hz) ...
  EXPECT_LT(test::PowerNear(plain, kFs, 600, 15), 1e-4 * test::PowerNear(plain, kFs, 400, 15));
  EXPECT_GT(test::PowerNear(doubled, kFs, 600, 15), 0.05 * test::PowerNear(doubled, kFs, 400, 15));
  EXPECT_GT(test::PowerNear(doubled, kFs, 200, 15), 0.05 * test::PowerNear(doubled, kFs, 400, 15));
  // ... and keeps the harmonics where they were.
  EXPECT_NEAR(test::PowerNear(doubled, kFs, 800, 15) / test::PowerNear(doubled, kFs, 400, 15),
              test::PowerNear(plain, kFs, 800, 15) / test::PowerNear(plain, kFs, 400, 15), 0.1);
  // The roll-off takes the top of the voice away.
  const std::vector<double> rolled = render(false, 800);
  auto above = [](const std::vector<double>& p, double hz) {
    double a = 0, all = 0;
    for (size_t k = 1; k < p.size(); ++k) {
      all += p[k];
      if (test::BinHz(k, kFs) >= hz) a += p[k];
    }
    return a / all;
  };
  EXPECT_LT(above(rolled, 2400), 0.05 * above(plain, 2400));
}

TEST(EffectVoices, SyrinxNoteKeepsItsPitchButIsNotClean) {
  Rng a(6), b(6);
  std::vector<float> note(static_cast<size_t>(kFs), 0.0f), clean(note.size(), 0.0f);
  AddSyrinxNote(note, kFs, a, 0.0, 1.0, Constant(2000.0), Constant(0.5));
  AddWhistle(clean, kFs, 0.0, 1.0, Constant(2000.0), Constant(0.5));
  EXPECT_NEAR(ZeroCrossingsUp(note), 2000, 40);
  const std::vector<double> pn = test::PowerSpectrum(note), pc = test::PowerSpectrum(clean);
  // The wander and the breath spread power round the note; a whistle stays in its bin.
  const double spreadNote =
      test::PowerNear(pn, kFs, 2000, 100) - test::PowerNear(pn, kFs, 2000, 12);
  const double spreadClean =
      test::PowerNear(pc, kFs, 2000, 100) - test::PowerNear(pc, kFs, 2000, 12);
  EXPECT_GT(spreadNote, 0.01 * test::PowerNear(pn, kFs, 2000, 100));
  EXPECT_LT(spreadClean, 1e-3 * test::PowerNear(pc, kFs, 2000, 100));
  // Reproducible from the same seed.
  std::vector<float> again(note.size(), 0.0f);
  AddSyrinxNote(again, kFs, b, 0.0, 1.0, Constant(2000.0), Constant(0.5));
  EXPECT_EQ(again, note);
}

TEST(EffectVoices, RoughVoiceBlursItsUpperHarmonicsButKeepsItsPitch) {
  constexpr double fs = 44100.0;
  auto render = [&](double jitter, double doubling, double snap, uint64_t seed) {
    Rng rng(seed);
    std::vector<float> out(static_cast<size_t>(fs), 0.0f);
    RoughVoiceParams p;
    p.seconds = 1.0;
    p.f0 = Constant(300.0);
    p.amp = Constant(0.5);
    p.jitter = jitter;
    p.shimmerDb = 0.0;
    p.doubling = Constant(doubling);
    p.snap = Constant(snap);
    p.floorDb = 0.0;  // the bare source
    AddRoughVoice(out, fs, 0.0, p, rng);
    return out;
  };
  const std::vector<float> steady = render(0.0, 0.0, 1.0, 1), rough = render(0.06, 0.0, 1.0, 1);
  const std::vector<double> ps = test::PowerSpectrum(steady), pr = test::PowerSpectrum(rough);
  // Without jitter a clean comb: the 8th harmonic stands far above the gap beside it ...
  EXPECT_GT(test::PowerNear(ps, fs, 2400, 25), 100.0 * test::PowerNear(ps, fs, 2550, 25));
  // ... with it the comb is gone up there but the fundamental still stands out.
  EXPECT_LT(test::PowerNear(pr, fs, 2400, 25), 4.0 * test::PowerNear(pr, fs, 2550, 25));
  EXPECT_GT(test::PowerNear(pr, fs, 300, 25), 10.0 * test::PowerNear(pr, fs, 150, 25));
  EXPECT_GT(test::PowerNear(pr, fs, 300, 25), 10.0 * test::PowerNear(pr, fs, 450, 25));
  // Unequal alternate pulses put a subharmonic half-way down.
  const std::vector<double> pd = test::PowerSpectrum(render(0.0, 1.0, 1.0, 1));
  EXPECT_LT(test::PowerNear(ps, fs, 150, 25), 1e-4 * test::PowerNear(ps, fs, 300, 25));
  EXPECT_GT(test::PowerNear(pd, fs, 150, 25), 0.02 * test::PowerNear(pd, fs, 300, 25));
  // Folds that glide shut take the highs away.
  const std::vector<float> soft = render(0.0, 0.0, 0.0, 1);
  EXPECT_LT(test::PowerFractionAbove(soft, fs, 2000.0),
            0.3 * test::PowerFractionAbove(steady, fs, 2000.0));
  // Reproducible from the same seed, another with another.
  EXPECT_EQ(render(0.06, 0.0, 1.0, 1), rough);
  EXPECT_NE(render(0.06, 0.0, 1.0, 2), rough);
}

TEST(EffectVoices, RoughVoiceBreathesThroughItsFormants) {
  constexpr double fs = 44100.0;
  Rng rng(7);
  std::vector<float> out(static_cast<size_t>(fs), 0.0f);
  RoughVoiceParams p;
  p.seconds = 1.0;
  p.f0 = Constant(200.0);
  p.amp = [](double t) { return t < 0.5 ? 0.5 : 0.0; };  // silent after half a second
  p.breath = Constant(1.0);
  p.formants = {{3000, 300, 0}};
  p.floorDb = -60;
  AddRoughVoice(out, fs, 0.0, p, rng);
  const std::vector<double> sp = test::PowerSpectrum(out);
  // Breath and pulses gather in the formant, far above the rest of the band.
  EXPECT_GT(test::PowerNear(sp, fs, 3000, 150), 30.0 * test::PowerNear(sp, fs, 6000, 150));
  EXPECT_GT(test::PowerNear(sp, fs, 3000, 150), 30.0 * test::PowerNear(sp, fs, 1000, 150));
  // A roll-off takes away what the formant's skirts let through far above it.
  Rng again(7);
  std::vector<float> rolled(out.size(), 0.0f);
  p.lowPassHz = 4000;
  AddRoughVoice(rolled, fs, 0.0, p, again);
  const std::vector<double> sr = test::PowerSpectrum(rolled);
  EXPECT_LT(test::PowerNear(sr, fs, 12000, 2000), 0.01 * test::PowerNear(sp, fs, 12000, 2000));
  EXPECT_GT(test::PowerNear(sr, fs, 3000, 150), 0.5 * test::PowerNear(sp, fs, 3000, 150));
  // The breath follows the level: nothing is left once the resonance has rung out.
  double late = 0.0;
  for (size_t i = static_cast<size_t>(0.6 * fs); i < out.size(); ++i)
    late = std::max(late, static_cast<double>(std::abs(out[i])));
  EXPECT_LT(late, 1e-4);
}

TEST(EffectVoices, RumbleIsLowAndReproducible) {
  RumbleParams p;
  p.seconds = 3.0;
  p.density = Constant(60);
  p.level = Constant(1.0);
  p.lowPassHz = 200;
  std::vector<float> a(static_cast<size_t>(3 * kFs), 0.0f), b(a.size(), 0.0f);
  Rng r1(7), r2(7);
  AddRumble(a, kFs, 0.0, p, r1);
  AddRumble(b, kFs, 0.0, p, r2);
  EXPECT_EQ(a, b);
  double energy = 0.0;
  for (float v : a) energy += static_cast<double>(v) * v;
  EXPECT_GT(energy, 0.0);
  EXPECT_LT(test::PowerFractionAbove(a, kFs, 1000.0), 1e-3);
}

TEST(EffectVoices, LoudestWindowRmsFindsTheLoudPart) {
  std::vector<float> x(static_cast<size_t>(kFs), 0.0f);
  for (size_t i = 5000; i < 6000; ++i) x[i] = static_cast<float>(0.5 * std::sin(0.3 * i));
  EXPECT_NEAR(LoudestWindowRms(x, kFs), 0.5 / std::sqrt(2.0), 0.01);
  // Shorter than one window: the RMS of everything.
  const std::vector<float> shortOne = {0.5f, -0.5f, 0.5f};
  EXPECT_NEAR(LoudestWindowRms(shortOne, kFs), 0.5, 1e-9);
}

TEST(EffectVoices, AmbienceSitsQuietlyUnderTheCallInItsBandAndSpan) {
  // A one-second 1 kHz call, half a second into a three-second buffer.
  std::vector<float> x(static_cast<size_t>(3 * kFs), 0.0f);
  const size_t onset = static_cast<size_t>(0.5 * kFs);
  for (size_t i = 0; i < static_cast<size_t>(kFs); ++i)
    x[onset + i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * 1000.0 * (i + 0.25) / kFs));
  const double call = LoudestWindowRms(x, kFs);
  Rng rng(7);
  AddAmbience(x, kFs, rng, 30.0, 300.0, 2000.0, 2.5);
  // Nothing before the call begins or after its span; inside, it fills the pause.
  for (size_t i = 0; i < onset; ++i) ASSERT_EQ(x[i], 0.0f) << i;
  for (size_t i = static_cast<size_t>(2.5 * kFs); i < x.size(); ++i) ASSERT_EQ(x[i], 0.0f) << i;
  const std::span<const float> pause(x.data() + static_cast<size_t>(1.6 * kFs),
                                     static_cast<size_t>(0.6 * kFs));
  double power = 0.0;
  for (float v : pause) power += static_cast<double>(v) * v;
  const double belowDb = 20.0 * std::log10(call / std::sqrt(power / pause.size()));
  EXPECT_NEAR(belowDb, 30.0, 3.0) << "the level under the call's loudest 50 ms";
  EXPECT_LT(test::PowerFractionAbove(pause, kFs, 4000.0), 0.05) << "kept below its band's top";
  EXPECT_GT(test::PowerFractionAbove(pause, kFs, 200.0), 0.9) << "and above its bottom";
  // Silence stays silence: there is no call to sit under.
  std::vector<float> silent(static_cast<size_t>(kFs), 0.0f);
  AddAmbience(silent, kFs, rng, 30.0, 300.0, 2000.0, 1.0);
  for (float v : silent) ASSERT_EQ(v, 0.0f);
}

// A finished effect: silent head and tail, the ceiling kept, the level at its target.
void ExpectFinished(const std::vector<float>& x, const FinishParams& p) {
  for (size_t i = 0; i < static_cast<size_t>(0.008 * kFs); ++i) ASSERT_EQ(x[i], 0.0f) << i;
  for (size_t i = x.size() - static_cast<size_t>(p.silentTailSec * kFs); i < x.size(); ++i)
    ASSERT_EQ(x[i], 0.0f) << i;
  for (float v : x) ASSERT_LE(std::fabs(v), p.peak + 1e-6);
}

TEST(EffectVoices, FinishSetsLevelAndSilentEnds) {
  Rng rng(4);
  std::vector<float> x(static_cast<size_t>(2 * kFs), 0.0f);
  for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(5.0 * rng.Bipolar());
  const FinishParams p;
  FinishEffect(x, kSpec, p);
  ExpectFinished(x, p);
  const double target = std::pow(10.0, p.targetDbfs / 20.0) * 128.0 / 127.0;
  EXPECT_NEAR(20.0 * std::log10(LoudestWindowRms(x, kFs) / target), 0.0, 0.3);
  // The fade leaves the last moments before the tail quiet.
  const size_t end = x.size() - static_cast<size_t>(p.silentTailSec * kFs);
  double tailEnergy = 0.0;
  for (size_t i = end - 20; i < end; ++i) tailEnergy += static_cast<double>(x[i]) * x[i];
  EXPECT_LT(std::sqrt(tailEnergy / 20.0), 0.01);
}

TEST(EffectVoices, FinishLimitsATransientSmoothlyAndLocally) {
  // A steady level with one spike that would pass the ceiling once the level is at its
  // target. On a constant input the output is the gain curve itself.
  std::vector<float> x(static_cast<size_t>(2 * kFs), 0.1f);
  x[5000] = 0.5f;
  const FinishParams p;
  FinishEffect(x, kSpec, p);
  ExpectFinished(x, p);
  const double level = std::pow(10.0, p.targetDbfs / 20.0) * 128.0 / 127.0;
  // The spike counts a little in the loudest window, so the level sits just under target;
  // well before and well after the spike the gain is the same.
  EXPECT_NEAR(x[4000], level, 0.03 * level);
  EXPECT_NEAR(x[12000], x[4000], 1e-4);
  EXPECT_GT(x[5000], 0.95 * p.peak);  // held at the ceiling, not crushed below it
  // The gain eases down ahead of the spike instead of stepping.
  for (size_t i = 4950; i < 4999; ++i) EXPECT_GE(x[i], x[i + 1]) << i;
  EXPECT_LT(x[4999], 0.9 * x[4000]);
  EXPECT_GT(x[4950], 0.93 * x[4000]);
}

TEST(EffectVoices, FinishLeavesTheFullBandsPeaksAboveTheCatalogueBandUnclipped) {
  // Rendered over the full band for an 11025 Hz wave: a 500 Hz tone the catalogue band
  // hears, and a 9 kHz one above it that lifts the peaks over the ceiling. Only the band
  // is limited; above it nothing is clipped into flat tops (each a click up the band):
  // away from the ends the sound is only scaled.
  const SoundSpec full{"TEST", 44100, 1, 88200, false, 11025};
  std::vector<float> x(88200);
  for (size_t i = 0; i < x.size(); ++i)
    x[i] = static_cast<float>(0.3 * std::sin(2.0 * kPi * 500.0 * i / 44100.0) +
                              0.6 * std::sin(2.0 * kPi * 9000.0 * i / 44100.0));
  const std::vector<float> dry = x;
  const FinishParams p;
  FinishEffect(x, full, p);
  const double gain = x[22050] / dry[22050];
  float loudest = 0.0f;
  for (size_t i = 11025; i < 66150; ++i) {
    ASSERT_NEAR(x[i], gain * dry[i], 1e-5) << i;
    loudest = std::max(loudest, std::fabs(x[i]));
  }
  EXPECT_GT(loudest, p.peak);
}

TEST(EffectVoices, FinishLeavesSilenceSilent) {
  std::vector<float> x(1000, 0.0f);
  FinishEffect(x, kSpec);
  for (float v : x) ASSERT_EQ(v, 0.0f);
  std::vector<float> empty;
  FinishEffect(empty, kSpec);
  EXPECT_TRUE(empty.empty());
}

}  // namespace
}  // namespace lullwood::synth::fx
