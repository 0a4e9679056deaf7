// The texture statistics on signals made to have a texture or not: steady noise, the same
// noise swelling in all bands at once, noise with sparse drops, and a loop measured round
// its seam against the same loop played on.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "measure/Texture.h"

namespace lullwood::measure {
namespace {

constexpr double kRate = 44100.0;

std::vector<float> WhiteNoise(double seconds, unsigned seed) {
  std::mt19937 rng(seed);
  std::normal_distribution<float> normal(0.0f, 0.1f);
  std::vector<float> x(static_cast<size_t>(seconds * kRate));
  for (float& s : x) s = normal(rng);
  return x;
}

TEST(TextureMeasure, SteadyNoiseIsShallowUnskewedAndItsBandsApartGoTheirOwnWays) {
  const std::vector<float> noise = WhiteNoise(14.0, 1);
  const std::vector<Texture> pieces = MeasureTexture(noise, kRate, false, 10.0);
  ASSERT_EQ(pieces.size(), 1u) << "2 s to settle, one 10 s piece, 2 s left over and dropped";
  const Texture& t = pieces[0];
  EXPECT_EQ(t.activeBands, kTextureBands);
  // White noise: a band's power grows with its width, a hundredfold from 100 Hz to 10 kHz.
  EXPECT_NEAR(t.levelDb[kTextureBands - 1] - t.levelDb[0], 20.0, 1.5);
  EXPECT_NEAR(t.centreHz[0], 100.0, 1e-9);
  EXPECT_NEAR(t.centreHz[kTextureBands - 1], 10000.0, 1e-6);
  EXPECT_LT(t.meanDepth, 0.2);
  EXPECT_LT(std::abs(t.meanSkew), 0.3);
  EXPECT_LT(std::abs(t.correlationFar), 0.1);
  EXPECT_LT(std::abs(t.correlationOctave), 0.1);
  // Neighbouring bands overlap, so their envelopes share a little.
  EXPECT_GT(t.correlationNear, t.correlationOctave);
}

TEST(TextureMeasure, ASwellInEveryBandAtOnceDeepensAndTiesThemAtItsRate) {
  std::vector<float> swelling = WhiteNoise(14.0, 2);
  for (size_t i = 0; i < swelling.size(); ++i)
    swelling[i] *= static_cast<float>(1.0 + 0.8 * std::sin(2.0 * kPi * 3.0 * i / kRate));
  const Texture steady = MeasureTexture(WhiteNoise(14.0, 2), kRate, false, 10.0).at(0);
  const Texture t = MeasureTexture(swelling, kRate, false, 10.0).at(0);
  EXPECT_GT(t.meanDepth, steady.meanDepth + 0.1);
  EXPECT_GT(t.correlationFar, 0.6);
  // 3 Hz lies in the octave from 2 to 4 Hz: that octave carries the swell, well above the
  // slowest, and well above the steady noise's own in that octave.
  EXPECT_GT(t.meanModulationDb[2], t.meanModulationDb[0] + 10.0);
  EXPECT_GT(t.meanModulationDb[2], steady.meanModulationDb[2] + 6.0);
}

TEST(TextureMeasure, SparseDropsSkewTheEnvelopes) {
  std::vector<float> drops = WhiteNoise(14.0, 3);
  for (float& s : drops) s *= 0.1f;
  std::mt19937 rng(4);
  std::uniform_int_distribution<size_t> at(0, drops.size() - 2000);
  for (int d = 0; d < 60; ++d) {
    const size_t start = at(rng);
    for (size_t i = 0; i < 2000; ++i)
      drops[start + i] += static_cast<float>(0.5 * std::exp(-static_cast<double>(i) / 200.0) *
                                             std::sin(2.0 * kPi * 2500.0 * i / kRate));
  }
  const Texture t = MeasureTexture(drops, kRate, false, 10.0).at(0);
  const Texture steady = MeasureTexture(WhiteNoise(14.0, 3), kRate, false, 10.0).at(0);
  EXPECT_GT(t.meanSkew, steady.meanSkew + 1.0);
}

TEST(TextureMeasure, ALoopIsMeasuredAsItPlaysRoundAndRecordingsInPieces) {
  // A 2 s loop swelling twice a second, whole cycles round the seam.
  std::vector<float> loop = WhiteNoise(2.0, 5);
  for (size_t i = 0; i < loop.size(); ++i)
    loop[i] *= static_cast<float>(1.0 + 0.7 * std::sin(2.0 * kPi * 2.0 * i / kRate));
  std::vector<float> played;
  for (int round = 0; round < 5; ++round) played.insert(played.end(), loop.begin(), loop.end());
  const std::vector<Texture> round = MeasureTexture(loop, kRate, true);
  ASSERT_EQ(round.size(), 1u);
  const Texture whole = MeasureTexture(played, kRate, false).at(0);
  EXPECT_NEAR(round[0].meanDepth, whole.meanDepth, 0.01);
  EXPECT_NEAR(round[0].correlationFar, whole.correlationFar, 0.03);
  for (int m = 0; m < kModulationOctaves; ++m)
    EXPECT_NEAR(round[0].meanModulationDb[m], whole.meanModulationDb[m], 1.0) << "octave " << m;

  EXPECT_EQ(MeasureTexture(WhiteNoise(27.0, 6), kRate, false, 10.0).size(), 3u)
      << "2 s to settle, two pieces, and 5 s: half a piece, kept";
  EXPECT_EQ(MeasureTexture(WhiteNoise(26.0, 6), kRate, false, 10.0).size(), 2u)
      << "4 s left over: dropped";
  EXPECT_EQ(MeasureTexture(WhiteNoise(4.0, 7), kRate, false, 10.0).size(), 1u)
      << "shorter than a piece: whole, once settled";
  EXPECT_TRUE(MeasureTexture(WhiteNoise(2.5, 8), kRate, false, 10.0).empty());
  EXPECT_EQ(MeasureTexture(std::vector<float>{}, kRate, true).at(0).activeBands, 0);
}

}  // namespace
}  // namespace lullwood::measure
