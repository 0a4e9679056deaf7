// The gains over the whole output: the volume of the desktop's media controls.
#include "OutputStage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <vector>

#include "Mixer.h"

namespace lullwood {
namespace {

std::vector<float> Constant(size_t frames, float left, float right) {
  std::vector<float> out(2 * frames);
  for (size_t f = 0; f < frames; ++f) out[2 * f] = left, out[2 * f + 1] = right;
  return out;
}

TEST(OutputStage, FullVolumeChangesNothingAndAChangeRampsAcrossOneBlock) {
  OutputStage stage;
  auto block = Constant(4, 0.5f, -0.25f);
  stage.Apply(block.data(), 4);
  EXPECT_EQ(block, Constant(4, 0.5f, -0.25f));

  stage.SetVolume(0.5f);
  block = Constant(4, 1.0f, -1.0f);
  stage.Apply(block.data(), 4);
  // From 1 towards 0.5 in four steps, both channels alike, reaching 0.5 on the last frame.
  const float expected[4] = {0.875f, 0.75f, 0.625f, 0.5f};
  for (int f = 0; f < 4; ++f) {
    EXPECT_FLOAT_EQ(block[2 * f], expected[f]) << f;
    EXPECT_FLOAT_EQ(block[2 * f + 1], -expected[f]) << f;
  }
  block = Constant(3, 1.0f, 1.0f);
  stage.Apply(block.data(), 3);
  EXPECT_EQ(block, Constant(3, 0.5f, 0.5f));
}

TEST(OutputStage, AVolumeSetBeforeTheFirstBlockHoldsFromItsFirstFrame) {
  OutputStage stage;
  stage.SetVolume(0.5f);
  auto block = Constant(4, 1.0f, 1.0f);
  stage.Apply(block.data(), 4);
  EXPECT_EQ(block, Constant(4, 0.5f, 0.5f));
}

TEST(OutputStage, VolumesOutsideZeroToOneAreClamped) {
  OutputStage stage;
  stage.SetVolume(1.7f);
  EXPECT_EQ(stage.volume(), 1.0f);
  stage.SetVolume(-3.0f);
  EXPECT_EQ(stage.volume(), 0.0f);
  stage.SetVolume(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(stage.volume(), 0.0f);
  stage.SetVolume(std::numeric_limits<float>::infinity());
  EXPECT_EQ(stage.volume(), 1.0f);
}

TEST(OutputStage, TheMixerAppliesItAfterTheMix) {
  std::vector<float> source(4800, 0.8f);
  Mixer mixer(48000);
  const auto voice = mixer.AddVoice({source.data(), 4800, 1}, 48000);
  mixer.Play(voice, true);
  mixer.outputStage().SetVolume(0.25f);
  std::vector<float> out(2 * 3000);
  mixer.Render(out.data(), 3000);  // the first block ramps; the later ones hold
  for (size_t f = Mixer::kBlockFrames; f < 3000; ++f) {
    ASSERT_NEAR(out[2 * f], 0.2f, 1e-6) << f;
    ASSERT_NEAR(out[2 * f + 1], 0.2f, 1e-6) << f;
  }
}

// Runs a constant 1.0 signal through the stage in blocks of uneven size and returns the
// left channel frame by frame, checking the right one matches.
std::vector<float> GainsThrough(OutputStage& stage, size_t frames) {
  std::vector<float> gains;
  const size_t sizes[] = {1, 7, 4096, 333, 2048};
  for (size_t at = 0, i = 0; at < frames; ++i) {
    const size_t n = std::min(sizes[i % std::size(sizes)], frames - at);
    auto block = Constant(n, 1.0f, 1.0f);
    stage.Apply(block.data(), n);
    for (size_t f = 0; f < n; ++f) {
      EXPECT_EQ(block[2 * f], block[2 * f + 1]) << at + f;
      gains.push_back(block[2 * f]);
    }
    at += n;
  }
  return gains;
}

TEST(OutputStageFade, FallsLinearlyInDecibelsToMinusSixtyThenSilenceFrameByFrame) {
  constexpr uint64_t kFade = 48000;
  OutputStage stage;
  stage.StartFade(kFade);
  EXPECT_TRUE(stage.fading());
  const std::vector<float> gains = GainsThrough(stage, kFade - 1);
  EXPECT_FALSE(stage.fadeFinished()) << "one frame of the fade is still to come";
  for (size_t f = 0; f < gains.size(); ++f) {
    const double db = -60.0 * static_cast<double>(f) / kFade;
    ASSERT_NEAR(gains[f], std::pow(10.0, db / 20.0), 1e-6) << f;
  }
  EXPECT_EQ(gains[0], 1.0f);
  EXPECT_NEAR(20 * std::log10(gains[kFade / 2]), -30.0, 1e-3);
  const std::vector<float> after = GainsThrough(stage, 10000);
  EXPECT_NEAR(20 * std::log10(after[0]), -60.0 * (kFade - 1) / kFade, 1e-3);
  EXPECT_TRUE(stage.fadeFinished());
  for (size_t f = 1; f < after.size(); ++f) ASSERT_EQ(after[f], 0.0f) << f;
}

TEST(OutputStageFade, CancelIsFullGainAtOnceAndAStartBeginsFromFullAgain) {
  OutputStage stage;
  stage.StartFade(1000);
  GainsThrough(stage, 500);
  stage.CancelFade();
  EXPECT_FALSE(stage.fading());
  for (float g : GainsThrough(stage, 3000)) ASSERT_EQ(g, 1.0f);

  // Finished, then cancelled: silence gives way to full gain and "finished" is gone.
  stage.StartFade(100);
  GainsThrough(stage, 200);
  ASSERT_TRUE(stage.fadeFinished());
  stage.CancelFade();
  EXPECT_FALSE(stage.fadeFinished());
  EXPECT_EQ(GainsThrough(stage, 1)[0], 1.0f);

  // The same length asked for twice restarts from the top.
  stage.StartFade(1000);
  GainsThrough(stage, 900);
  stage.StartFade(1000);
  EXPECT_FALSE(stage.fadeFinished());
  const auto again = GainsThrough(stage, 1000);
  EXPECT_EQ(again[0], 1.0f);
  EXPECT_NEAR(again[999], OutputStage::FadeGain(999, 1000), 1e-6);
}

TEST(OutputStageFade, MultipliesWithTheVolumeAndTheMixerAppliesIt) {
  std::vector<float> source(96000, 0.8f);
  Mixer mixer(48000);
  const auto voice = mixer.AddVoice({source.data(), 96000, 1}, 48000);
  mixer.Play(voice, true);
  mixer.outputStage().SetVolume(0.5f);
  std::vector<float> out(2 * 4000);
  mixer.Render(out.data(), 1000);  // the volume's ramp
  mixer.outputStage().StartFade(2000);
  mixer.Render(out.data(), 4000);
  for (size_t f = 0; f < 4000; ++f) {
    const double expected = 0.4 * OutputStage::FadeGain(f, 2000);
    ASSERT_NEAR(out[2 * f], expected, 1e-6) << f;
  }
  EXPECT_TRUE(mixer.outputStage().fadeFinished());
}

}  // namespace
}  // namespace lullwood
