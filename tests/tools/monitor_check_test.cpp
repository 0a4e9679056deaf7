// The night's recording check: a mix's own sound passes, a gap or a step inside it is
// counted once, silence at either end is no gap, and periods split the counts.
#include "MonitorCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace lullwood {
namespace {

// `seconds` of a 440 Hz tone at half scale, left and right, at 48 kHz.
std::vector<float> Tone(double seconds, double phase = 0) {
  std::vector<float> out(2 * size_t(seconds * 48000));
  for (size_t i = 0; i < out.size() / 2; ++i) {
    out[2 * i] = out[2 * i + 1] = 0.5f * float(std::sin(phase + 2 * M_PI * 440 * i / 48000.0));
  }
  return out;
}

TEST(MonitorCheck, GapsAndStepsInsideTheSoundAreCountedAndNothingElse) {
  MonitorCheck check(0.05f);
  const std::vector<float> silence(2 * 4800, 0.0f);  // 100 ms
  check.Add(silence.data(), 4800);                   // before anything played: no gap
  const std::vector<float> tone = Tone(1.0);
  check.Add(tone.data(), tone.size() / 2);
  MonitorFigures first = check.TakePeriod();
  EXPECT_EQ(first.gaps, 0u);
  EXPECT_EQ(first.steps, 0u) << "a tone's own bend is " << first.largestBend;
  EXPECT_LT(first.largestBend, 0.05f);
  EXPECT_EQ(first.frames, 52800u);

  // 10 ms of nothing, then the tone again: one gap, and the edges it makes are steps.
  check.Add(silence.data(), 480);
  check.Add(tone.data(), tone.size() / 2);
  // 4 ms of nothing is shorter than any gap counted.
  check.Add(silence.data(), 192);
  // A tone that jumps half way through a cycle: a step.
  const std::vector<float> shifted = Tone(0.5, M_PI / 2);
  check.Add(shifted.data(), shifted.size() / 2);
  check.Add(silence.data(), 4800);  // silence at the end: no gap
  const MonitorFigures second = check.TakePeriod();
  EXPECT_EQ(second.gaps, 1u);
  EXPECT_GE(second.steps, 3u);
  EXPECT_GT(second.largestBend, 0.3f);
  EXPECT_EQ(check.total().gaps, 1u);
  EXPECT_EQ(check.total().steps, second.steps);
  EXPECT_EQ(check.total().frames, first.frames + second.frames);
}

}  // namespace
}  // namespace lullwood
