// The gains over the whole output: the volume of the desktop's media controls.
#include "OutputStage.h"

#include <gtest/gtest.h>

#include <cmath>
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

}  // namespace
}  // namespace lullwood
