// The full-band renditions' high band against figures measured on real recordings of the
// same things at the recordings' own rates (resources/synth/REFERENCES.md names each
// recording; the figures are copied from its high-band table as facts, no recording is
// read here): the share of power above 5.5 kHz and above 11 kHz, and the slope from 5.5
// to 16 kHz. A sound with several references must fall within the span of those that
// give the figure, widened by 6 dB (shares compared in dB, a share under 0.1 % counted as
// 0.1 %, so "nothing up there" matches "nothing up there"); the slope is compared only
// against references with at least 1 % above 5.5 kHz, where it describes a real band.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "WaveAnalysis.h"
#include "measure/Bands.h"

namespace lullwood::test {
namespace {

struct HighTarget {
  const char* resource;
  double rate;        // the recording's rate: 11025 gives no figure, 22050 no 11 kHz ones
  double above5k5;    // % of the power above 5.5 kHz
  double above11k;    // % above 11 kHz
  double slopeDbOct;  // 5.5-16 kHz
};

constexpr HighTarget kHighTargets[] = {
    {"DOGBARK", 44100, 0.0, 0.0, -0.7},  {"HORSE", 44100, 0.1, 0.0, -8.7},
    {"SOUND26", 44100, 0.0, 0.0, -37.2}, {"CROW", 44100, 0.0, 0.0, -0.1},
    {"SOUND29", 44100, 0.0, 0.0, -25.5}, {"PANFLUT", 44100, 2.4, 0.0, -20.1},
    {"WAVY", 44100, 0.0, 0.0, -55.7},    {"MGLISS", 44100, 0.2, 0.0, -12.6},
    {"BEAM", 44100, 0.2, 0.0, -12.6},    {"DOGBARK", 44100, 0.0, 0.0, -1.3},
    {"HORSE", 44100, 0.0, 0.0, 0.1},     {"SOUND26", 44100, 0.0, 0.0, -5.7},
    {"DOGBARK", 44100, 0.0, 0.0, -14.8}, {"DOGBARK", 44100, 0.1, 0.0, -17.0},
    {"SHIP", 44100, 0.0, 0.0, -7.3},     {"WHISTLE", 44100, 0.1, 0.0, -14.5},
    {"WHISTLE", 44100, 0.0, 0.0, -27.1}, {"HORSE", 44100, 0.3, 0.0, -30.0},
    {"SOUND26", 44100, 0.5, 0.1, -6.9},  {"SOUND25", 44100, 0.0, 0.0, -36.8},
    {"OVERT", 44100, 0.0, 0.0, -21.7},   {"HEARTB", 44100, 0.0, 0.0, -11.9},
    {"FACTORY", 44100, 0.0, 0.0, -11.2}, {"TTRACK", 44100, 0.7, 0.0, -11.6},
    {"GTHUNDR", 44100, 0.0, 0.0, 1.0},   {"GTHUNDR", 44100, 0.0, 0.0, 1.6},
    {"SAJUNG", 44100, 35.3, 2.5, -12.2}, {"AFJUNG", 44100, 33.1, 2.3, -12.3},
    {"TICK", 44100, 5.4, 0.8, -6.6},     {"INDIAN", 44100, 0.3, 0.0, -9.3},
    {"NIGHT", 44100, 15.4, 1.7, -18.8},  {"CROW", 44100, 0.0, 0.0, -0.2},
    {"LOWOMIN", 22050, 2.1, 0, 0},       {"BIRD", 44100, 0.0, 0.0, 1.2},
    {"BIRD", 96000, 8.3, 0.0, -28.2},    {"NIGHTGALE", 48000, 4.8, 1.2, -6.3},
    {"WOLF", 22050, 0.0, 0, 0},          {"SOUND30", 22050, 0.1, 0, 0},
    {"SOUND30", 22050, 0.0, 0, 0},       {"SOUND30", 44100, 6.0, 0.1, -18.1},
    {"SINGLEW", 44100, 0.0, 0.0, -0.6},
};

double ShareDb(double percent) {
  return 10.0 * std::log10(std::max(percent, 0.1) / 100.0);
}

struct Span {
  double lo = 1e300, hi = -1e300;
  void Add(double v, double tolerance) {
    lo = std::min(lo, v - tolerance);
    hi = std::max(hi, v + tolerance);
  }
  bool Empty() const { return lo > hi; }
};

std::vector<std::string> Sounds() {
  std::vector<std::string> names;
  for (const HighTarget& t : kHighTargets)
    if (std::find(names.begin(), names.end(), t.resource) == names.end())
      names.push_back(t.resource);
  return names;
}

class HighBand : public ::testing::TestWithParam<std::string> {};

TEST_P(HighBand, FallsWithinSixDecibelsOfTheRecordings) {
  const std::string& resource = GetParam();
  const auto bytes =
      ReadFileBytes(std::string(LULLWOOD_FULL_BAND_WAVES_DIR) + "/" + resource + ".wav");
  ASSERT_TRUE(bytes);
  std::string error;
  const auto wave = ParseWave(*bytes, error);
  ASSERT_TRUE(wave) << error;
  const std::vector<float> mono = Mono(*wave);
  const measure::HighBand ours = measure::MeasureHighBand(mono, wave->sampleRate);
  ASSERT_TRUE(ours.slopeMeasured);

  Span above5k5, above11k, slope;
  for (const HighTarget& t : kHighTargets) {
    if (t.resource != resource || t.rate < 22050) continue;
    above5k5.Add(ShareDb(t.above5k5), 6.0);
    if (t.rate < 44100) continue;
    above11k.Add(ShareDb(t.above11k), 6.0);
    if (t.above5k5 >= 1.0) slope.Add(t.slopeDbOct, 6.0);
  }
  ASSERT_FALSE(above5k5.Empty());
  const double share = ShareDb(100.0 * ours.above5k5);
  EXPECT_GE(share, above5k5.lo) << "share above 5.5 kHz, dB";
  EXPECT_LE(share, above5k5.hi) << "share above 5.5 kHz, dB";
  if (!above11k.Empty()) {
    const double top = ShareDb(100.0 * ours.above11k);
    EXPECT_GE(top, above11k.lo) << "share above 11 kHz, dB";
    EXPECT_LE(top, above11k.hi) << "share above 11 kHz, dB";
  }
  if (!slope.Empty()) {
    EXPECT_GE(ours.slopeDbPerOctave, slope.lo) << "slope 5.5-16 kHz, dB/octave";
    EXPECT_LE(ours.slopeDbPerOctave, slope.hi) << "slope 5.5-16 kHz, dB/octave";
  }
}

INSTANTIATE_TEST_SUITE_P(WithReferences, HighBand, ::testing::ValuesIn(Sounds()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace lullwood::test
