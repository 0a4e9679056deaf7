// The generator's building blocks: each must do what its contract says, because every
// sound is made of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "backgrounds/Loops.h"
#include "kit/Kit.h"
#include "kit/Resample.h"
#include "kit/TruePeak.h"
#include "measure/Bands.h"

namespace lullwood::synth {
namespace {

// Peak amplitude of a filter's steady response to a sine at `hz`.
template <class Filter>
double SineGain(Filter filter, double fs, double hz) {
  double peak = 0.0;
  const int frames = static_cast<int>(fs);  // one second; the second half is steady
  for (int i = 0; i < frames; ++i) {
    const double y = filter.Process(std::sin(2.0 * std::numbers::pi * hz * i / fs));
    if (i > frames / 2) peak = std::max(peak, std::fabs(y));
  }
  return peak;
}

TEST(SynthMath, PolynomialSineMatchesTheLibraryEverywhere) {
  double worst = 0.0;
  for (int i = -200000; i <= 200000; ++i) {
    const double cycles = i * 0.000731;
    worst = std::max(worst, std::fabs(Sin2Pi(cycles) - std::sin(2.0 * std::numbers::pi * cycles)));
    worst = std::max(worst, std::fabs(Cos2Pi(cycles) - std::cos(2.0 * std::numbers::pi * cycles)));
  }
  EXPECT_LT(worst, 1e-10);
  EXPECT_EQ(Sin2Pi(0.0), 0.0);
  // Exact at the quarter points, so cosine fades reach exactly 0 and 1.
  EXPECT_EQ(Sin2Pi(0.25), 1.0);
  EXPECT_EQ(Sin2Pi(0.5), 0.0);
  EXPECT_EQ(Cos2Pi(0.5), -1.0);
}

TEST(SynthMath, LoopPhaseClosesExactlyOverTheLoop) {
  const uint64_t n = 91541;  // a prime loop length
  for (uint64_t k : {1u, 7u, 383u, 1641u}) {
    EXPECT_EQ(LoopPhase(k, 0, n), 0.0);
    EXPECT_EQ(LoopPhase(k, n, n), 0.0);
    // The step into the next loop equals every other step.
    const double last = LoopPhase(k, n - 1, n), first = LoopPhase(k, 0, n) + 1.0;
    EXPECT_NEAR(first - last, static_cast<double>(k % n) / n, 1e-12);
  }
  EXPECT_EQ(CyclesPerLoop(60.0, 11025, 70411), 383u);  // 59.97 Hz in the factory loop
  EXPECT_EQ(CyclesPerLoop(0.001, 11025, 1000), 1u);    // never zero cycles
}

TEST(SynthRandom, SeededStreamsRepeatAndDifferBySeed) {
  Rng a(42), b(42), c(43);
  for (int i = 0; i < 100; ++i) {
    const uint64_t va = a.NextU64();
    EXPECT_EQ(va, b.NextU64());
    EXPECT_NE(va, c.NextU64());
  }
  EXPECT_NE(SeedFromName("SURF"), SeedFromName("RIVER"));
  EXPECT_NE(SeedFromName("SURF"), SeedFromName("SURF", 1));
}

TEST(SynthRandom, DistributionsHaveTheirStatedRangeAndMoments) {
  Rng rng(7);
  double sum = 0.0, sq = 0.0, lo = 1.0, hi = 0.0;
  const int n = 200000;
  for (int i = 0; i < n; ++i) {
    const double u = rng.Uniform();
    lo = std::min(lo, u);
    hi = std::max(hi, u);
    const double g = rng.Gaussian();
    sum += g;
    sq += g * g;
    const int k = rng.Int(3, 5);
    ASSERT_TRUE(k >= 3 && k <= 5);
  }
  EXPECT_GE(lo, 0.0);
  EXPECT_LT(hi, 1.0);
  EXPECT_NEAR(sum / n, 0.0, 0.01);
  EXPECT_NEAR(sq / n, 1.0, 0.02);
}

TEST(SynthFilters, BiquadsPassAndStopWhereTheirNamesSay) {
  const double fs = 11025.0;
  EXPECT_NEAR(SineGain(Biquad::LowPass(fs, 1000.0), fs, 100.0), 1.0, 0.02);
  EXPECT_NEAR(SineGain(Biquad::LowPass(fs, 1000.0), fs, 1000.0), std::sqrt(0.5), 0.02);
  EXPECT_LT(SineGain(Biquad::LowPass(fs, 1000.0), fs, 4000.0), 0.08);
  EXPECT_NEAR(SineGain(Biquad::HighPass(fs, 1000.0), fs, 4000.0), 1.0, 0.03);
  EXPECT_LT(SineGain(Biquad::HighPass(fs, 1000.0), fs, 100.0), 0.02);
  EXPECT_NEAR(SineGain(Biquad::BandPass(fs, 1500.0, 5.0), fs, 1500.0), 1.0, 0.02);
  EXPECT_LT(SineGain(Biquad::BandPass(fs, 1500.0, 5.0), fs, 500.0), 0.15);
  EXPECT_NEAR(SineGain(Biquad::Peaking(fs, 800.0, 2.0, 6.0), fs, 800.0), DbToGain(6.0), 0.03);
  EXPECT_NEAR(SineGain(Biquad::HighShelf(fs, 2000.0, 3.0), fs, 5000.0), DbToGain(3.0), 0.05);
  EXPECT_NEAR(SineGain(Biquad::HighShelf(fs, 2000.0, 3.0), fs, 100.0), 1.0, 0.02);
  // A cutoff beyond Nyquist is held inside it rather than turning the filter unstable.
  EXPECT_LT(SineGain(Biquad::LowPass(fs, 20000.0), fs, 1000.0), 1.1);
}

TEST(SynthFilters, ResonatorRingsAtUnitAmplitudeAndDecaysByItsT60) {
  const double fs = 11025.0, t60 = 0.2;
  Resonator res(fs, 440.0, t60);
  std::vector<double> y;
  for (int i = 0; i < static_cast<int>(fs * t60) + 200; ++i)
    y.push_back(res.Process(i == 0 ? 1.0 : 0.0));
  double early = 0.0, late = 0.0;
  for (int i = 0; i < 30; ++i) early = std::max(early, std::fabs(y[i]));
  const size_t atT60 = static_cast<size_t>(fs * t60);
  for (size_t i = atT60; i < atT60 + 30; ++i) late = std::max(late, std::fabs(y[i]));
  EXPECT_NEAR(early, 1.0, 0.05);
  EXPECT_NEAR(20.0 * std::log10(late / early), -60.0, 1.0);
}

TEST(SynthFilters, OnePolesAndDcBlockerSeparateLowFromHigh) {
  const double fs = 11025.0;
  EXPECT_NEAR(SineGain(OnePoleLowPass(fs, 100.0), fs, 10.0), 1.0, 0.02);
  EXPECT_LT(SineGain(OnePoleLowPass(fs, 100.0), fs, 3000.0), 0.1);
  EXPECT_LT(SineGain(OnePoleHighPass(fs, 1000.0), fs, 30.0), 0.1);
  DcBlocker dc(fs);
  double y = 0.0;
  for (int i = 0; i < 20000; ++i) y = dc.Process(0.5);
  EXPECT_NEAR(y, 0.0, 1e-3);
}

TEST(SynthNoise, PinkNoiseHasEqualEnergyPerOctave) {
  const double fs = 11025.0;
  Rng rng(3);
  std::vector<double> x(1 << 17);
  PinkNoise pink;
  for (double& v : x) v = pink.Next(rng);
  // Energy in octaves 63-125 ... 1000-2000 Hz through band-passes one octave wide (well
  // below Nyquist, where the band-passes keep their width).
  std::vector<double> octave;
  for (double centre : {88.0, 177.0, 354.0, 707.0, 1414.0}) {
    Biquad bp = Biquad::BandPass(fs, centre, std::sqrt(2.0));
    double e = 0.0;
    for (double v : x) {
      const double y = bp.Process(v);
      e += y * y;
    }
    octave.push_back(10.0 * std::log10(e));
  }
  for (double db : octave) EXPECT_NEAR(db, octave[0], 1.5);
}

TEST(SynthNoise, BrownNoiseFallsSixDecibelsPerOctaveAndIsCentred) {
  const double fs = 11025.0;
  Rng rng(5);
  BrownNoise brown(fs, 30.0);
  std::vector<double> x(1 << 17);
  double sum = 0.0;
  for (double& v : x) {
    v = brown.Next(rng);
    sum += v;
  }
  EXPECT_NEAR(sum / static_cast<double>(x.size()), 0.0, 0.05);
  // Octave-wide bands 3 octaves apart, well above the corner: a 1/f^2 density puts 9 dB
  // less energy in the upper band (white noise would put 9 dB more).
  auto bandDb = [&](double centre) {
    Biquad bp = Biquad::BandPass(fs, centre, std::sqrt(2.0));
    double e = 0.0;
    for (double v : x) {
      const double y = bp.Process(v);
      e += y * y;
    }
    return 10.0 * std::log10(e);
  };
  EXPECT_NEAR(bandDb(1600.0) - bandDb(200.0), -9.0, 1.5);
}

TEST(SynthEnvelopes, AdsrAndBreakpointsFollowTheirShape) {
  const Adsr adsr{0.1, 0.2, 0.5, 0.4};
  EXPECT_EQ(adsr.At(-0.01, 1.0), 0.0);
  EXPECT_NEAR(adsr.At(0.05, 1.0), 0.5, 1e-12);  // half-way up the linear attack
  EXPECT_NEAR(adsr.At(0.1, 1.0), 1.0, 1e-12);
  EXPECT_NEAR(adsr.At(0.6, 1.0), 0.5, 1e-12);   // sustaining
  EXPECT_NEAR(adsr.At(1.2, 1.0), 0.25, 1e-12);  // half-way through the release
  EXPECT_EQ(adsr.At(1.4, 1.0), 0.0);
  // A note released during its attack releases from where it got to, without a jump.
  EXPECT_NEAR(adsr.At(0.05, 0.05), 0.5, 1e-12);
  EXPECT_LT(adsr.At(0.06, 0.05), 0.5);
  EXPECT_DOUBLE_EQ(adsr.Length(1.0), 1.4);

  const Breakpoints line({{1.0, 10.0}, {2.0, 20.0}, {4.0, 0.0}});
  EXPECT_EQ(line.At(0.0), 10.0);
  EXPECT_NEAR(line.At(1.5), 15.0, 1e-12);
  EXPECT_NEAR(line.At(3.0), 10.0, 1e-12);
  EXPECT_EQ(line.At(9.0), 0.0);
  const Breakpoints smooth({{0.0, 0.0}, {1.0, 1.0}}, true);
  EXPECT_NEAR(smooth.At(0.5), 0.5, 1e-12);
  EXPECT_LT(smooth.At(0.1), 0.1);  // cosine segments ease in
  EXPECT_NEAR(Decay60(0.5, 0.5), 0.001, 1e-9);
}

TEST(SynthLoops, RunCircularReachesAPeriodicSteadyState) {
  // A slow filter over a periodic input: the kept pass must equal the pass after it, so
  // its last sample flows into its first.
  const size_t n = 5000;
  Rng rng(11);
  std::vector<float> x(n);
  for (float& v : x) v = static_cast<float>(rng.Gaussian());
  const std::vector<float> input = x;
  Biquad lp = Biquad::LowPass(11025.0, 50.0, 2.0);
  RunCircular(x, 4, [&](double in, size_t) { return lp.Process(in); });
  double worst = 0.0;
  for (size_t i = 0; i < n; ++i) worst = std::max(worst, std::fabs(lp.Process(input[i]) - x[i]));
  EXPECT_LT(worst, 1e-5);
}

TEST(SynthLoops, ModulatorsAreContinuousAcrossTheSeamAndStayInRange) {
  const uint64_t n = 12345;
  Rng rng(9);
  CircularValueNoise noise(rng, n, 7, 0.2, 0.8);
  LoopSines sines(rng, n, {1, 3, 5}, 0.5);
  double maxStep = 0.0, worstSine = 0.0;
  for (uint64_t i = 0; i < n; ++i) {
    const double v = noise.At(i);
    ASSERT_GE(v, 0.2);
    ASSERT_LE(v, 0.8);
    maxStep = std::max(maxStep, std::fabs(noise.At(i + 1) - v));
    worstSine = std::max(worstSine, std::fabs(sines.At(i)));
  }
  EXPECT_NEAR(std::fabs(noise.At(0) - noise.At(n - 1)), 0.0, maxStep + 1e-12);
  EXPECT_EQ(noise.At(n), noise.At(0));
  EXPECT_LE(worstSine, 0.5 + 1e-12);
  EXPECT_NEAR(sines.At(0), sines.At(n), 1e-12);
}

TEST(SynthEvents, CircularEventsWrapRoundTheEnd) {
  std::vector<float> out(10, 0.0f);
  const std::vector<float> voice = {1, 2, 3, 4};
  AddCircular(out, 8, voice, 0.5);
  EXPECT_FLOAT_EQ(out[8], 0.5f);
  EXPECT_FLOAT_EQ(out[9], 1.0f);
  EXPECT_FLOAT_EQ(out[0], 1.5f);
  EXPECT_FLOAT_EQ(out[1], 2.0f);
  AddCircular(out, -1, voice);  // negative starts count back from the end
  EXPECT_FLOAT_EQ(out[9], 2.0f);
  std::vector<float> clipped(3, 0.0f);
  AddClipped(clipped, 2, voice);
  EXPECT_FLOAT_EQ(clipped[2], 1.0f);
  EXPECT_FLOAT_EQ(clipped[0], 0.0f);
}

TEST(SynthEvents, ScatteredEventsFollowRateAndDensity) {
  Rng rng(1);
  const double fs = 11025.0;
  const uint64_t n = 110250;  // ten seconds
  const auto even = ScatterEvents(rng, n, fs, 50.0);
  EXPECT_NEAR(static_cast<double>(even.size()), 500.0, 80.0);
  // Density zero in the first half: every event falls in the second.
  const auto half =
      ScatterEvents(rng, n, fs, 50.0, [&](uint64_t i) { return i < n / 2 ? 0.0 : 2.0; });
  ASSERT_FALSE(half.empty());
  EXPECT_GE(half.front(), static_cast<int64_t>(n / 2));
}

TEST(SynthEvents, BubbleRingsAtItsMinnaertPitchAndDies) {
  const double fs = 11025.0;
  const std::vector<float> b = Bubble(fs, 3.0, 0.1, 1.0, 5000.0);  // about 1087 Hz
  ASSERT_GT(b.size(), 100u);
  EXPECT_EQ(b.front(), 0.0f);  // smooth onset
  int crossings = 0;
  const size_t span = 100;  // the first 9 ms, before the pitch rises far
  for (size_t i = 1; i < span; ++i) crossings += (b[i - 1] < 0) != (b[i] < 0);
  EXPECT_NEAR(crossings / 2.0 / (span / fs), 1087.0, 130.0);
  EXPECT_LT(std::fabs(b.back()), 0.002);
}

TEST(SynthEvents, ModalVoiceDropsPartialsAboveTheLimit) {
  const double fs = 11025.0;
  const Mode modes[] = {{1000.0, 1.0, 0.5}, {4800.0, 1.0, 0.5}};
  const std::vector<float> v = ModalVoice(fs, modes, 0.3, 2.0, 4500.0);
  auto bandPeak = [&](double hz) {
    Biquad bp = Biquad::BandPass(fs, hz, 10.0);
    double peak = 0.0;
    for (float s : v) peak = std::max(peak, std::fabs(bp.Process(s)));
    return peak;
  };
  EXPECT_GT(bandPeak(1000.0), 0.4);
  EXPECT_LT(bandPeak(4800.0), 0.01);
}

TEST(SynthReverb, TailDecaysAtItsRt60) {
  const double fs = 11025.0, rt60 = 1.0;
  Reverb reverb(fs, rt60, 1.0, 20000.0);
  std::vector<float> y;
  for (int i = 0; i < static_cast<int>(1.6 * fs); ++i)
    y.push_back(static_cast<float>(reverb.Process(i == 0 ? 1.0 : 0.0)));
  const size_t w = static_cast<size_t>(0.1 * fs);
  const double early = Rms(std::span<const float>(y).subspan(static_cast<size_t>(0.2 * fs), w));
  const double late = Rms(std::span<const float>(y).subspan(static_cast<size_t>(0.7 * fs), w));
  // Half a second later the tail should be 30 dB lower (60 dB per RT60).
  EXPECT_NEAR(20.0 * std::log10(late / early), -30.0, 5.0);
}

TEST(SynthLevel, LimiterHoldsTheCeilingAndLeavesQuietPartsAlone) {
  const double fs = 11025.0;
  std::vector<float> x(4000);
  for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(0.1 * Sin2Pi(i * 300.0 / fs));
  x[2000] = 0.9f;
  x[3998] = -0.8f;  // near the end: its gain reduction wraps round to the start
  const std::vector<float> before = x;
  LimitPeaks(x, fs, 0.5, 0.004, true);
  EXPECT_LE(Peak(x), 0.5 + 1e-6);
  EXPECT_FLOAT_EQ(x[1000], before[1000]);
  EXPECT_LT(std::fabs(x[10]), std::fabs(before[10]));  // wrapped reduction
  // The gain moves smoothly: no neighbouring gains differ much around the peak.
  for (size_t i = 1950; i < 2050; ++i) {
    if (std::fabs(before[i]) < 0.05 || std::fabs(before[i - 1]) < 0.05) continue;
    EXPECT_NEAR(x[i] / before[i], x[i - 1] / before[i - 1], 0.1);
  }
  std::vector<float> quiet(100, 0.2f);
  LimitPeaks(quiet, fs, 0.5, 0.004, false);
  EXPECT_FLOAT_EQ(quiet[50], 0.2f);
}

// A burst of a quarter-rate tone sampled 45 degrees off its crests: every sample is
// 0.707 of the tone's peak, which lies between them. The meter finds it; holding the
// true peak lowers the burst until the reconstruction stays under the limit, and leaves
// the quiet tone away from it as it was, in a loop too.
TEST(SynthLevel, TruePeaksBetweenSamplesAreFoundAndHeld) {
  const double fs = 11025.0;
  std::vector<float> x(6000);
  for (size_t i = 0; i < x.size(); ++i) x[i] = static_cast<float>(0.1 * Sin2Pi(i * 300.0 / fs));
  for (size_t i = 3000; i < 3400; ++i) x[i] = static_cast<float>(0.9 * Sin2Pi(i / 4.0 + 0.125));
  EXPECT_LE(Peak(x), 0.9 * 0.7072);
  const TruePeakMeter meter;
  const std::vector<double> around = meter.PeakAround(x, 1, true);
  EXPECT_NEAR(around[3200], 0.9, 0.01) << "the crest between the samples";
  EXPECT_NEAR(around[1000], 0.1, 0.005);
  const std::vector<float> before = x;
  HoldTruePeak(x, 1, fs, 0.6, 0.005, true);
  const std::vector<double> after = meter.PeakAround(x, 1, true);
  EXPECT_LE(*std::max_element(after.begin(), after.end()), 0.6 + 1e-6);
  EXPECT_GT(Peak(std::span<const float>(x).subspan(3100, 200)), 0.6 * 0.7071 * 0.97)
      << "lowered no more than it needs";
  EXPECT_FLOAT_EQ(x[1000], before[1000]);
  EXPECT_FLOAT_EQ(x[5900], before[5900]);
  // Stereo: both channels take the same gain, set by the louder.
  std::vector<float> stereo(2 * 2000, 0.0f);
  for (size_t i = 0; i < 2000; ++i) {
    stereo[2 * i] = static_cast<float>(0.9 * Sin2Pi(i / 4.0 + 0.125));
    stereo[2 * i + 1] = static_cast<float>(0.3 * Sin2Pi(i / 4.0 + 0.125));
  }
  HoldTruePeak(stereo, 2, fs, 0.6, 0.005, false);
  EXPECT_NEAR(stereo[2 * 1000] / stereo[2 * 1000 + 1], 3.0, 1e-4);
  const std::vector<double> both = meter.PeakAround(stereo, 2, false);
  EXPECT_LE(*std::max_element(both.begin(), both.end()), 0.6 + 1e-6);
}

TEST(SynthLevel, NormalizeLoudnessMeetsTargetUnlessThePeakForbids) {
  const double fs = 11025.0;
  Rng rng(2);
  std::vector<float> x(22050);
  for (float& v : x) v = static_cast<float>(0.01 * rng.Gaussian());
  NormalizeLoudness(x, fs, -21.0, -6.0, true);
  EXPECT_NEAR(GainToDb(RmsAbove100Hz(x, fs, true)), -21.0, 0.01);
  x[100] = 5.0f;  // a spike: the peak rule wins over loudness
  NormalizeLoudness(x, fs, -21.0, -6.0, true);
  EXPECT_NEAR(GainToDb(Peak(x)), -6.0, 0.01);
}

TEST(SynthLevel, FadeEndsStartsAndEndsAtZero) {
  std::vector<float> x(1000, 1.0f);
  FadeEnds(x, 1000.0, 0.1, 0.2);
  EXPECT_EQ(x.front(), 0.0f);
  EXPECT_EQ(x.back(), 0.0f);
  EXPECT_FLOAT_EQ(x[500], 1.0f);
  for (size_t i = 1; i < 100; ++i) EXPECT_GE(x[i], x[i - 1]);
}

TEST(SynthResample, DecimationKeepsTheBandAndRemovesImages) {
  const double fsIn = 44100.0;
  std::vector<float> low(44100), high(44100);
  for (size_t i = 0; i < low.size(); ++i) {
    low[i] = static_cast<float>(0.5 * Sin2Pi(1000.0 * i / fsIn));
    high[i] = static_cast<float>(0.5 * Sin2Pi(9000.0 * i / fsIn));  // would alias to 2025 Hz
  }
  const auto a = Decimate(low, 4, true), b = Decimate(high, 4, true);
  ASSERT_EQ(a.size(), low.size() / 4);
  EXPECT_NEAR(Peak(a), 0.5, 0.01);
  EXPECT_LT(Peak(b), 0.005);
}

// The gain of the odd, centred FIR `taps` at `cycles` per sample.
double FirGainDb(const std::vector<double>& taps, double cycles) {
  const int half = static_cast<int>(taps.size() / 2);
  double re = 0.0;  // linear phase about the centre: the response is real
  for (int k = -half; k <= half; ++k)
    re += taps[static_cast<size_t>(k + half)] * Cos2Pi(cycles * k);
  return 20.0 * std::log10(std::max(std::fabs(re), 1e-12));
}

std::vector<float> Sine(double hz, double rate, size_t frames) {
  std::vector<float> x(frames);
  for (size_t i = 0; i < frames; ++i) x[i] = static_cast<float>(0.5 * Sin2Pi(hz * i / rate));
  return x;
}

TEST(Kit, TheOriginalBandFilterKeepsTheBandAndStopsWhatWouldFoldIntoIt) {
  for (int factor : {2, 4}) {
    SCOPED_TRACE(factor);
    const std::vector<double>& taps = OriginalBandFilter(factor);
    ASSERT_EQ(taps.size() % 2, 1u);
    // In cycles per input sample: the original's rate is 1 / factor.
    for (double f = 0.0; f <= 0.48 / factor; f += 0.005 / factor)
      ASSERT_NEAR(FirGainDb(taps, f), 0.0, 0.01) << f * factor;
    for (double f = 0.55 / factor; f <= 0.5; f += 0.002)
      ASSERT_LT(FirGainDb(taps, f), -79.0) << f * factor;
  }
}

TEST(Kit, LoudnessInTheOriginalBandCountsOnlyThatBand) {
  // Whole loops of each sine at both rates, so the measure sees no seam.
  const auto at44 = Sine(1000.0, 44100.0, 44100);
  const auto at11 = Sine(1000.0, 11025.0, 11025);
  EXPECT_EQ(LoudnessInOriginalBand(at11, 11025.0, 11025.0, true),
            RmsAbove100Hz(at11, 11025.0, true));
  EXPECT_NEAR(GainToDb(LoudnessInOriginalBand(at44, 44100.0, 11025.0, true)),
              GainToDb(RmsAbove100Hz(at11, 11025.0, true)), 0.05);
  // A tone above the original's band is not there at all.
  const auto high = Sine(8000.0, 44100.0, 44100);
  EXPECT_LT(LoudnessInOriginalBand(high, 44100.0, 11025.0, true),
            1e-3 * RmsAbove100Hz(high, 44100.0, true));
  // Decimation keeps every factor-th frame of each channel, in place.
  std::vector<float> stereo(2 * 44100);
  for (size_t i = 0; i < 44100; ++i) {
    stereo[2 * i] = at44[i];
    stereo[2 * i + 1] = -at44[i];
  }
  const std::vector<float> band = InOriginalBand(stereo, 2, 44100.0, 11025.0, true);
  ASSERT_EQ(band.size(), 2u * 11025);
  for (size_t i = 0; i < 11025; i += 97) {
    EXPECT_NEAR(band[2 * i], at11[i], 1e-3) << i;
    EXPECT_NEAR(band[2 * i + 1], -at11[i], 1e-3) << i;
  }
}

TEST(MeasureBands, SharesAndSlopeOfTheHighBandAreThoseOfTheSignal) {
  Rng rng(11);
  std::vector<float> white(44100 * 2);
  for (float& v : white) v = static_cast<float>(0.3 * rng.Bipolar());
  const measure::HighBand w = measure::MeasureHighBand(white, 44100.0);
  EXPECT_NEAR(w.above5k5, (22050.0 - 5500.0) / (22050.0 - 20.0), 0.02);
  EXPECT_NEAR(w.above11k, (22050.0 - 11000.0) / (22050.0 - 20.0), 0.02);
  ASSERT_TRUE(w.slopeMeasured);
  EXPECT_NEAR(w.slopeDbPerOctave, 0.0, 0.5) << "white noise is flat per hertz";
  // At 11025 Hz nothing lies above 5.5 kHz and the slope cannot be measured.
  const measure::HighBand narrow = measure::MeasureHighBand(Sine(1000.0, 11025.0, 22050), 11025.0);
  EXPECT_LT(narrow.above5k5, 1e-6);
  EXPECT_EQ(narrow.above11k, -1.0);
  EXPECT_FALSE(narrow.slopeMeasured);
}

TEST(MeasureBands, BandDifferencesCompareLevelsAcrossRates) {
  // One tone at two rates, then 6 dB down: only its own band is compared, and the
  // density measure makes the rates alike.
  const auto at11 = Sine(440.0, 11025.0, 22050);
  auto at44 = Sine(440.0, 44100.0, 88200);
  std::vector<double> d = measure::BandDifferencesDb(at11, 11025.0, at44, 44100.0);
  ASSERT_FALSE(d.empty());
  for (double v : d) EXPECT_NEAR(v, 0.0, 0.3);
  for (float& v : at44) v *= 0.5f;
  d = measure::BandDifferencesDb(at11, 11025.0, at44, 44100.0);
  for (double v : d) EXPECT_NEAR(v, -6.02, 0.3);
}

TEST(MeasureBands, BandsInTheEightBitFloorAreLeftOut) {
  // Pink-ish noise falling steeply with frequency, with the 8-bit floor's white noise
  // added to one copy: the bands where the floor rules differ, and only those are dropped.
  Rng rng(7);
  BrownNoise brown(11025.0, 200.0);
  std::vector<float> clean(11025 * 4), floored(clean.size());
  const double floorRms = std::sqrt(measure::EightBitFloorPerHz(11025.0) * 11025.0 / 2.0);
  for (size_t i = 0; i < clean.size(); ++i) {
    clean[i] = static_cast<float>(0.02 * brown.Next(rng));
    floored[i] = static_cast<float>(clean[i] + floorRms * std::sqrt(3.0) * rng.Bipolar());
  }
  const std::vector<double> all = measure::BandDifferencesDb(floored, 11025.0, clean, 11025.0);
  const std::vector<double> above = measure::BandDifferencesDb(
      floored, 11025.0, clean, 11025.0, measure::EightBitFloorPerHz(11025.0));
  double worstAll = 0.0;
  for (double v : all) worstAll = std::min(worstAll, v);
  EXPECT_LT(worstAll, -1.0) << "the floor fills some compared band";
  ASSERT_FALSE(above.empty());
  EXPECT_LT(above.size(), all.size());
  for (double v : above) EXPECT_NEAR(v, 0.0, 0.5);
}

TEST(LoopHighBand, NoiseBandsFollowTheLevelTheyAreGivenAndKeepTheirLoudness) {
  // A second of a 500 Hz tone as a loop of an 11025 Hz sound rendered at 44100 Hz; one
  // band at 9 kHz, first steady, then following a level that is silent in the first half.
  const SoundSpec full{"TEST", 44100, 1, 44100, true, 11025};
  std::vector<float> steady(44100);
  for (size_t i = 0; i < steady.size(); ++i)
    steady[i] = static_cast<float>(0.3 * Sin2Pi(500.0 * i / 44100.0));
  std::vector<float> following = steady;
  const std::vector<float> dry = steady;
  loops::AddHighNoiseBands(steady, full, 5, {{9000.0, 2.5, 12.0}}, 0.0);
  std::vector<float> level(following.size(), 0.0f);
  std::fill(level.begin() + 22050, level.end(), 1.0f);
  loops::AddHighNoiseBands(following, full, 5, {{9000.0, 2.5, 12.0}}, 0.0, level);
  const auto added = [&](const std::vector<float>& y, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += (y[i] - dry[i]) * (y[i] - dry[i]);
    return sum;
  };
  // Silent where the level is (but for the band-passes' ring across the seam and the
  // switch), as loud over the loop as the steady band.
  EXPECT_LT(added(following, 2205, 19845), 1e-4 * added(following, 24255, 41895));
  EXPECT_NEAR(added(following, 0, 44100) / added(steady, 0, 44100), 1.0, 0.02);
  // A level of the wrong length is not followed.
  std::vector<float> ignored = dry;
  loops::AddHighNoiseBands(ignored, full, 5, {{9000.0, 2.5, 12.0}}, 0.0,
                           std::span(level).first(100));
  EXPECT_EQ(ignored, steady);
}

TEST(LoopHighBand, ShapingAndHissTouchOnlyWhatLiesAboveTheCatalogueBand) {
  // A second of noise with a tone, as a loop of an 11025 Hz sound rendered at 44100 Hz.
  const SoundSpec full{"TEST", 44100, 1, 44100, true, 11025};
  Rng rng(11);
  std::vector<float> x(44100);
  for (size_t i = 0; i < x.size(); ++i)
    x[i] = static_cast<float>(0.2 * rng.Gaussian() + 0.3 * Sin2Pi(1000.0 * i / 44100.0));
  const std::vector<float> before = x;
  loops::ShapeHighBand(x, full, -6.0, 2);
  for (double d : measure::BandDifferencesDb(before, 44100.0, x, 44100.0))
    EXPECT_NEAR(d, 0.0, 0.1) << "the band below 5 kHz is left as it was";
  const auto band = [](const std::vector<float>& y, double lo, double hi) {
    const std::vector<double> d = measure::PowerDensity(y, 44100.0);
    return 10.0 * std::log10(measure::BandPower(d, 44100.0, lo, hi) / (hi - lo));
  };
  // White before: 6 dB down, and two one-pole low-passes at 5.5 kHz taken as 0 dB at the
  // split (at this rate each about 1.7 dB further down at 7.5 kHz and 5.2 dB at 15 kHz),
  // so it falls upward from where the band below ends.
  EXPECT_NEAR(band(x, 7000, 8000) - band(before, 7000, 8000), -6.0 - 3.5, 1.0);
  EXPECT_NEAR(band(x, 14000, 16000) - band(x, 7000, 8000), -7.0, 1.5);
  // At 0 dB the band above joins the band below without a step: just above the split it
  // is only the two poles' first fall (about 0.8 dB each) below it.
  std::vector<float> joined = before;
  loops::ShapeHighBand(joined, full, 0.0, 2);
  EXPECT_NEAR(band(joined, 5600, 6200) - band(joined, 4200, 4800), -1.6, 1.0);
  EXPECT_LT(band(joined, 14000, 16000), band(joined, 5600, 6200) - 4.0);

  // A hiss 10 dB under the band's level adds about a tenth of the power above it.
  std::vector<float> quiet(44100);
  for (size_t i = 0; i < quiet.size(); ++i)
    quiet[i] = static_cast<float>(0.3 * Sin2Pi(500.0 * i / 44100.0));
  const std::vector<float> dry = quiet;
  std::vector<float> reaching = quiet;
  loops::AddHighHiss(quiet, full, 3, 10.0, 0);
  for (double d : measure::BandDifferencesDb(dry, 44100.0, quiet, 44100.0))
    EXPECT_NEAR(d, 0.0, 0.2);
  const measure::HighBand high = measure::MeasureHighBand(quiet, 44100.0);
  EXPECT_NEAR(10.0 * std::log10(high.above5k5 / (1.0 - high.above5k5)), -10.0, 1.0);
  // Rising from 3 kHz instead, it fills the band from there up to the split at the
  // level it has above it, leaves what lies well below alone, and is as loud above.
  loops::AddHighHiss(reaching, full, 3, 10.0, 2, 3000.0);
  EXPECT_NEAR(band(reaching, 4000, 4800) - band(reaching, 5600, 6200), 0.0, 2.0);
  EXPECT_LT(band(reaching, 1000, 1500), band(reaching, 4000, 4800) - 20.0);
  EXPECT_NEAR(band(reaching, 450, 550), band(dry, 450, 550), 0.1);
  const measure::HighBand reachingHigh = measure::MeasureHighBand(reaching, 44100.0);
  EXPECT_NEAR(10.0 * std::log10(reachingHigh.above5k5 / (1.0 - reachingHigh.above5k5)), -10.0, 1.5);

  // At the catalogue's own rate there is no band above to touch.
  const SoundSpec own{"TEST", 11025, 1, 11025, true};
  std::vector<float> narrow(before.begin(), before.begin() + 11025);
  const std::vector<float> same = narrow;
  loops::ShapeHighBand(narrow, own, -6.0, 2);
  loops::AddHighHiss(narrow, own, 3, 10.0, 0);
  loops::AddHighHiss(narrow, own, 3, 10.0, 2, 3000.0);
  EXPECT_EQ(narrow, same);
}

}  // namespace
}  // namespace lullwood::synth
