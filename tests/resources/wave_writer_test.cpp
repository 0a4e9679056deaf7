// Quantising to 8 bits and laying out the RIFF/WAVE image.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "Generator.h"
#include "WaveWriter.h"
#include "kit/Math.h"

namespace lullwood::synth {
namespace {

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);  // the build machine is little-endian, as RIFF is
  return v;
}

std::string TagAt(const std::vector<uint8_t>& b, size_t at) {
  return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
}

TEST(Quantise, MapsFullScaleAroundMidpointAndKeepsSilenceExact) {
  std::vector<float> x(200, 0.0f);
  x[100] = 1.0f;
  x[101] = -1.0f;
  x[102] = 0.5f;
  QuantiseReport report;
  const std::vector<uint8_t> q = QuantiseTo8Bit(x, 1, &report);
  EXPECT_EQ(report.clamped, 0u);
  EXPECT_NEAR(q[100], 255, 1);
  EXPECT_NEAR(q[101], 1, 1);
  EXPECT_NEAR(q[102], 192, 1);
  // Far from the sound, silence is exactly 128; right beside it dither may move it.
  for (size_t i = 0; i < 60; ++i) EXPECT_EQ(q[i], 128);
  for (size_t i = 140; i < 200; ++i) EXPECT_EQ(q[i], 128);
}

TEST(Quantise, DitherDecorrelatesAQuietToneFromItsSteps) {
  // A tone of a third of a step: undithered it would vanish; dithered its mean survives.
  std::vector<float> x(20000, static_cast<float>(0.33 / 127.0));
  const std::vector<uint8_t> q = QuantiseTo8Bit(x, 5);
  double mean = 0.0;
  for (uint8_t v : q) mean += v - 128.0;
  EXPECT_NEAR(mean / q.size(), 0.33, 0.03);
}

TEST(Quantise, CountsClampedSamplesInsteadOfWrapping) {
  const std::vector<float> x = {2.0f, -2.0f, 0.1f};
  QuantiseReport report;
  const std::vector<uint8_t> q = QuantiseTo8Bit(x, 1, &report);
  EXPECT_EQ(report.clamped, 2u);
  EXPECT_EQ(q[0], 255);
  EXPECT_EQ(q[1], 0);
}

TEST(Quantise, SixteenBitsAreSignedLittleEndianWithTheSameRules) {
  std::vector<float> x(200, 0.0f);
  x[100] = 0.5f;
  x[101] = -1.0f;
  x[102] = 2.0f;
  QuantiseReport report;
  const std::vector<uint8_t> q = QuantiseTo16Bit(x, 1, &report);
  ASSERT_EQ(q.size(), 400u);
  const auto at = [&](size_t i) { return static_cast<int16_t>(q[2 * i] | (q[2 * i + 1] << 8)); };
  EXPECT_NEAR(at(100), 16384, 1);
  EXPECT_NEAR(at(101), -32767, 1);
  EXPECT_EQ(at(102), 32767) << "clamped, not wrapped";
  EXPECT_EQ(report.clamped, 1u);
  for (size_t i = 0; i < 60; ++i) EXPECT_EQ(at(i), 0);
}

TEST(WaveImageLayout, OddDataGetsAPadByteAndTheRiffSizeCountsIt) {
  const std::vector<uint8_t> data = {1, 2, 3};
  const auto img = BuildWaveImage(11025, 1, 8, data, "Waterfall ", "Lullwood");
  EXPECT_EQ(TagAt(img, 0), "RIFF");
  EXPECT_EQ(U32At(img, 4), img.size() - 8);
  EXPECT_EQ(TagAt(img, 8), "WAVE");
  EXPECT_EQ(TagAt(img, 12), "fmt ");
  EXPECT_EQ(U32At(img, 16), 16u);
  EXPECT_EQ(U32At(img, 24), 11025u);
  EXPECT_EQ(U32At(img, 28), 11025u);
  EXPECT_EQ(TagAt(img, 36), "data");
  EXPECT_EQ(U32At(img, 40), 3u);  // the pad byte is not counted
  EXPECT_EQ(img[47], 0);          // pad
  EXPECT_EQ(TagAt(img, 48), "LIST");
  EXPECT_EQ(U32At(img, 52), img.size() - 56);
  EXPECT_EQ(TagAt(img, 56), "INFO");
  EXPECT_EQ(TagAt(img, 60), "INAM");
  EXPECT_EQ(U32At(img, 64), 11u);  // "Waterfall " and its NUL, trailing blank kept
  EXPECT_EQ(std::string(img.begin() + 68, img.begin() + 78), "Waterfall ");
  EXPECT_EQ(img.size() % 2, 0u);
}

TEST(WaveImageLayout, StereoFormatFieldsAndEvenData) {
  const std::vector<uint8_t> data(8, 128);
  const auto img = BuildWaveImage(22050, 2, 8, data, "Ab", "Lullwood");
  EXPECT_EQ(img[22], 2);              // channels
  EXPECT_EQ(U32At(img, 28), 44100u);  // bytes per second
  EXPECT_EQ(img[32], 2);              // block align
  EXPECT_EQ(img[34], 8);              // bits per sample
  EXPECT_EQ(TagAt(img, 44 + 8), "LIST");
}

// A recipe that makes the wrong length, for the generator's length check.
void ShortRecipe(const SoundSpec& spec, std::vector<float>& out) {
  out.assign(spec.frames - 1, 0.0f);
}
void NanRecipe(const SoundSpec& spec, std::vector<float>& out) {
  out.assign(spec.frames, 0.0f);
  out[3] = std::numeric_limits<float>::quiet_NaN();
}

TEST(Generator, EveryCatalogueSoundHasExactlyOneRecipe) {
  std::vector<std::string> problems;
  const auto jobs = CollectJobs(problems);
  EXPECT_TRUE(problems.empty()) << problems.front();
  EXPECT_EQ(jobs.size(), 54u);
}

TEST(Generator, RejectsRecipesThatBreakTheContract) {
  SoundJob job{{"TEST", 11025, 1, 100, true}, "Test", 100, ShortRecipe};
  std::string error;
  EXPECT_FALSE(RenderRenditions(job, error, true).has_value());
  EXPECT_NE(error.find("expected 400"), std::string::npos) << "four times the frames at 44100 Hz";
  job.recipe = NanRecipe;
  error.clear();
  EXPECT_FALSE(RenderImage(job, error).has_value());
  EXPECT_NE(error.find("non-finite"), std::string::npos);
  job.spec.sampleRate = 16000;
  error.clear();
  EXPECT_FALSE(RenderRenditions(job, error, false).has_value());
  EXPECT_NE(error.find("does not divide"), std::string::npos);
}

// A tone in the catalogue wave's band and one above it, as a recipe writes them in hertz.
void TwoToneRecipe(const SoundSpec& spec, std::vector<float>& out) {
  out.resize(spec.frames);
  for (uint32_t i = 0; i < spec.frames; ++i) {
    const double t = static_cast<double>(i) / spec.sampleRate;
    out[i] = static_cast<float>(0.3 * std::sin(2 * kPi * 1000.0 * t) +
                                0.3 * std::sin(2 * kPi * 9000.0 * t));
  }
}

// Amplitude of `hz` in samples (centred on 128 or signed 16-bit) by correlation.
double ToneAmplitude(const std::vector<double>& x, double rate, double hz) {
  double re = 0, im = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    re += x[i] * std::cos(2 * kPi * hz * static_cast<double>(i) / rate);
    im += x[i] * std::sin(2 * kPi * hz * static_cast<double>(i) / rate);
  }
  return 2.0 * std::hypot(re, im) / static_cast<double>(x.size());
}

// Both renditions come from one run at the full band: the catalogue's wave keeps the tone
// in its band at the full band's level, and what lay above its band is gone, not folded
// down (9 kHz would land on 2025 Hz at 11025 Hz).
TEST(Generator, TheCatalogueWaveIsTheFullBandDecimated) {
  const SoundJob job{{"TEST", 11025, 1, 11025, true}, "Test", 11025, TwoToneRecipe};
  std::string error;
  const std::optional<Renditions> both = RenderRenditions(job, error, true);
  ASSERT_TRUE(both) << error;
  EXPECT_FALSE(both->flac.empty());
  const size_t wideBytes = both->fullBand.size();
  ASSERT_GT(wideBytes, 44u + 2 * 44100u);
  std::vector<double> wide(44100), narrow(11025);
  for (size_t i = 0; i < wide.size(); ++i)
    wide[i] = static_cast<int16_t>(both->fullBand[44 + 2 * i] | both->fullBand[45 + 2 * i] << 8) /
              32767.0;
  for (size_t i = 0; i < narrow.size(); ++i) narrow[i] = (both->original[44 + i] - 128) / 127.0;
  EXPECT_NEAR(ToneAmplitude(wide, 44100, 1000), 0.3, 0.01);
  EXPECT_NEAR(ToneAmplitude(wide, 44100, 9000), 0.3, 0.01);
  EXPECT_NEAR(ToneAmplitude(narrow, 11025, 1000), ToneAmplitude(wide, 44100, 1000), 0.005);
  EXPECT_LT(ToneAmplitude(narrow, 11025, 2025), 0.003);
}

}  // namespace
}  // namespace lullwood::synth
