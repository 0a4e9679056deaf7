// The measures of a synthesiser's tells, on signals made to have each tell or not: a
// measure that misses a planted tell, or finds one in a signal without it, would let a
// sound pass or fail for nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "measure/Tells.h"

namespace lullwood::measure {
namespace {

constexpr double kFs = 44100.0;

std::vector<float> Noise(size_t n, double level, unsigned seed) {
  std::mt19937 gen(seed);
  std::normal_distribution<float> d(0.0f, static_cast<float>(level));
  std::vector<float> x(n);
  for (float& v : x) v = d(gen);
  return x;
}

// A burst of noise 160 ms long with a 5 ms cosine attack and an exponential decay
// (`decay` seconds), through a one-pole low-pass at `hz`.
std::vector<float> Burst(unsigned seed, double decay = 0.025, double hz = 20000.0) {
  std::vector<float> b = Noise(static_cast<size_t>(0.16 * kFs), 0.3, seed);
  const double a = std::exp(-2.0 * std::numbers::pi * hz / kFs);
  double y = 0.0;
  for (size_t i = 0; i < b.size(); ++i) {
    const double t = i / kFs;
    const double attack = t < 0.005 ? 0.5 - 0.5 * std::cos(std::numbers::pi * t / 0.005) : 1.0;
    y = (1.0 - a) * b[i] + a * y;
    b[i] = static_cast<float>(y * attack * std::exp(-t / decay));
  }
  return b;
}

void AddAt(std::vector<float>& x, double seconds, const std::vector<float>& piece) {
  const auto at = static_cast<size_t>(seconds * kFs);
  for (size_t i = 0; i < piece.size() && at + i < x.size(); ++i) x[at + i] += piece[i];
}

TEST(TellsNeedles, CountsSingleSampleSpikesOnlyAboveTheFloor) {
  std::vector<float> x = Noise(static_cast<size_t>(4 * kFs), 0.01, 1);
  EXPECT_EQ(NeedlesPerSecond(x, kFs), 0.0);
  // Twenty single-sample spikes: counted. A spike three samples wide is a click, not a
  // needle; neither is anything in digital silence.
  for (int k = 0; k < 20; ++k) x[static_cast<size_t>((0.1 + 0.19 * k) * kFs)] = 0.2f;
  for (size_t i = 0; i < 3; ++i) x[static_cast<size_t>(3.95 * kFs) + i] = 0.2f;
  EXPECT_NEAR(NeedlesPerSecond(x, kFs), 20.0 / 4.0, 1e-9);
  std::vector<float> quiet(static_cast<size_t>(kFs), 0.0f);
  quiet[1000] = 1e-5f;
  EXPECT_EQ(NeedlesPerSecond(quiet, kFs), 0.0);
}

TEST(TellsRepetition, CopiesOfOneEventAreFoundAndDifferentOnesAreNot) {
  // Five bursts over a quiet bed at uneven times: copies of one, then five drawn afresh
  // with their own decays and colours (fresh noise in one envelope and one colour draws
  // the same shape in a spectrogram, and is meant to count as alike).
  const double times[] = {0.3, 0.9, 1.3, 2.2, 2.75};
  const double decays[] = {0.01, 0.05, 0.02, 0.08, 0.035},
               colours[] = {6000, 800, 15000, 2500, 400};
  std::vector<float> copies = Noise(static_cast<size_t>(3.2 * kFs), 0.002, 2);
  std::vector<float> fresh = copies;
  const std::vector<float> one = Burst(7);
  for (int k = 0; k < 5; ++k) {
    AddAt(copies, times[k], one);
    AddAt(fresh, times[k], Burst(100 + static_cast<unsigned>(k), decays[k], colours[k]));
  }
  const Repetition same = MeasureRepetition(copies, kFs, false);
  EXPECT_EQ(same.events, 5);
  EXPECT_GT(same.waveform, 0.95);
  EXPECT_GT(same.spectrogram, 0.9);
  const Repetition differ = MeasureRepetition(fresh, kFs, false);
  EXPECT_EQ(differ.events, 5);
  EXPECT_LT(differ.waveform, 0.5);
  EXPECT_LT(differ.spectrogram, 0.9);
  EXPECT_LT(same.longestEvenRun, 4);
}

TEST(TellsRepetition, EvenRunsAreFoundAlsoRoundALoopsSeam) {
  // Six fresh bursts every 0.4 s: a ruled grid whatever their shapes.
  std::vector<float> x = Noise(static_cast<size_t>(3.0 * kFs), 0.002, 3);
  for (int k = 0; k < 6; ++k) AddAt(x, 0.2 + 0.4 * k, Burst(200 + static_cast<unsigned>(k)));
  double spacing = 0.0;
  const Repetition grid = MeasureRepetition(x, kFs, false);
  EXPECT_EQ(grid.longestEvenRun, 6);
  EXPECT_NEAR(grid.evenSpacing, 0.4, 0.01);
  // Spacings 2 % apart still count; 10 % apart do not.
  EXPECT_EQ(LongestEvenRun({0.0, 1.0, 2.02, 3.0, 4.0}, &spacing), 5);
  EXPECT_EQ(LongestEvenRun({0.0, 1.0, 2.1, 3.0, 4.0}), 2);
  // Three events a loop at 1.0 s spacing in a 3 s loop are a grid round the seam.
  std::vector<float> loop = Noise(static_cast<size_t>(3.0 * kFs), 0.002, 4);
  for (int k = 0; k < 3; ++k) AddAt(loop, 0.5 + 1.0 * k, Burst(300 + static_cast<unsigned>(k)));
  EXPECT_EQ(MeasureRepetition(loop, kFs, false).longestEvenRun, 3);
  EXPECT_EQ(MeasureRepetition(loop, kFs, true).longestEvenRun, 3);  // no more than it holds
  std::vector<float> uneven = Noise(static_cast<size_t>(3.0 * kFs), 0.002, 5);
  for (double t : {0.3, 0.8, 1.9, 2.3})
    AddAt(uneven, t, Burst(400 + static_cast<unsigned>(t * 10)));
  EXPECT_LT(MeasureRepetition(uneven, kFs, true).longestEvenRun, 4);
}

TEST(TellsRepetition, AFastRollIsReadBetweenFrames) {
  // Strokes 55-60 ms apart, where a frame of the band levels is a tenth of a spacing: an
  // even roll is a run end to end, and a roll hurrying by 6 % a stroke is none, though
  // read to a frame both would show runs of the same rounded spacing.
  const auto roll = [](double first, double ratio, unsigned seed) {
    std::vector<float> x = Noise(static_cast<size_t>(2.0 * kFs), 0.002, seed);
    double t = 0.2, d = first;
    for (int k = 0; k < 14; ++k, t += d, d *= ratio)
      AddAt(x, t, Burst(seed * 100 + static_cast<unsigned>(k), 0.012, 6000.0));
    return x;
  };
  const Repetition even = MeasureRepetition(roll(0.057, 1.0, 6), kFs, false);
  EXPECT_GE(even.longestEvenRun, 12);
  EXPECT_NEAR(even.evenSpacing, 0.057, 0.002);
  EXPECT_LT(MeasureRepetition(roll(0.095, 0.94, 7), kFs, false).longestEvenRun, 4);
}

TEST(TellsRuledLines, ASteadyPartialIsRuledAndAWanderingOneIsNot) {
  const size_t n = static_cast<size_t>(3.0 * kFs);
  std::vector<float> steady = Noise(n, 0.01, 5), wandering = steady;
  double phase = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const double t = i / kFs;
    const double on = t >= 0.5 && t < 2.5 ? 1.0 : 0.0;  // two seconds of it
    steady[i] += static_cast<float>(0.2 * on * std::sin(2.0 * std::numbers::pi * 1500.0 * t));
    // 4 % vibrato five times a second: never 0.5 % for long.
    phase += 2.0 * std::numbers::pi * 1500.0 *
             (1.0 + 0.04 * std::sin(2.0 * std::numbers::pi * 5.0 * t)) / kFs;
    wandering[i] += static_cast<float>(0.2 * on * std::sin(phase));
  }
  const RuledLine line = LongestRuledLine(steady, kFs);
  EXPECT_NEAR(line.hz, 1500.0, 5.0);
  EXPECT_NEAR(line.seconds, 2.0, 0.15);
  EXPECT_LT(LongestRuledLine(wandering, kFs).seconds, 0.5);
  EXPECT_LT(LongestRuledLine(Noise(n, 0.1, 6), kFs).seconds, 0.3);
}

TEST(TellsGates, ABoxIsSteepAndACosineRampTakesItsTime) {
  const size_t n = static_cast<size_t>(2.0 * kFs);
  std::vector<float> box(n, 0.0f), ramped(n, 0.0f);
  for (size_t i = 0; i < n; ++i) {
    const double t = i / kFs;
    const double tone = std::sin(2.0 * std::numbers::pi * 700.0 * t);
    if (t >= 0.5 && t < 1.5) box[i] = static_cast<float>(0.5 * tone);
    // 100 ms cosine ramps: 10 % to 90 % in 59 ms.
    const double up = std::clamp((t - 0.5) / 0.1, 0.0, 1.0),
                 down = std::clamp((1.5 - t) / 0.1, 0.0, 1.0);
    ramped[i] = static_cast<float>(0.5 * tone *
                                   (0.5 - 0.5 * std::cos(std::numbers::pi * std::min(up, down))));
  }
  const Gates hard = MeasureGates(box, kFs);
  EXPECT_LT(hard.riseMs, 3.0);
  EXPECT_LT(hard.fallMs, 3.0);
  const Gates soft = MeasureGates(ramped, kFs);
  EXPECT_NEAR(soft.riseMs, 59.0, 5.0);
  EXPECT_NEAR(soft.fallMs, 59.0, 5.0);
  // A low voice's own cycles are no switching: the same ramps on a 55 Hz horn read alike.
  std::vector<float> low(n, 0.0f);
  for (size_t i = 0; i < n; ++i) {
    const double t = i / kFs;
    const double up = std::clamp((t - 0.5) / 0.1, 0.0, 1.0),
                 down = std::clamp((1.5 - t) / 0.1, 0.0, 1.0);
    low[i] = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * 55.0 * t) *
                                (0.5 - 0.5 * std::cos(std::numbers::pi * std::min(up, down))));
  }
  const Gates horn = MeasureGates(low, kFs);
  EXPECT_NEAR(horn.riseMs, 59.0, 10.0);
  EXPECT_NEAR(horn.fallMs, 59.0, 10.0);
  // A call cut by the file's end has no offset to measure.
  std::vector<float> cut(box.begin(), box.begin() + static_cast<std::ptrdiff_t>(1.2 * kFs));
  EXPECT_LT(MeasureGates(cut, kFs).fallMs, 0.0);
}

}  // namespace
}  // namespace lullwood::measure
