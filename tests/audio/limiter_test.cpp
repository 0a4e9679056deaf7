// The limiter's output must not depend on how its input is cut into blocks: a block
// that stays quiet throughout takes a shortcut, and the shortcut must leave the same
// samples and the same state as working every chunk out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "Limiter.h"

namespace lullwood {
namespace {

constexpr int kRate = 48000;

// Quiet noise with loud bursts now and then, so that the limiter goes down, releases
// over quiet stretches and sits idle in between.
std::vector<float> Channel(size_t frames, uint32_t seed, double phase) {
  std::vector<float> x(frames);
  uint32_t state = seed;
  for (size_t i = 0; i < frames; ++i) {
    state = state * 1664525u + 1013904223u;
    const float noise = static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    const bool burst = (i / 3000) % 7 == 3 && (i % 3000) < 700;
    x[i] = (burst ? 1.6f : 0.3f) * static_cast<float>(std::sin(i * 0.013 + phase)) + 0.2f * noise;
  }
  return x;
}

std::vector<float> Limited(const std::vector<float>& left, const std::vector<float>& right,
                           const std::vector<size_t>& blocks, uint64_t* reduced) {
  Limiter limiter(kRate);
  std::vector<float> out(2 * left.size());
  size_t at = 0;
  for (size_t b = 0; at < left.size(); ++b) {
    const size_t n = std::min(blocks[b % blocks.size()], left.size() - at);
    limiter.Process(left.data() + at, right.data() + at, n, out.data() + 2 * at);
    at += n;
  }
  *reduced = limiter.reducedFrames();
  return out;
}

TEST(Limiter, TheOutputIsTheSameHoweverTheInputIsCutIntoBlocks) {
  const size_t frames = 60000;
  const auto left = Channel(frames, 1, 0.0);
  const auto right = Channel(frames, 2, 1.0);
  uint64_t reducedWhole = 0, reducedSmall = 0, reducedOdd = 0;
  const auto whole = Limited(left, right, {1024}, &reducedWhole);
  const auto small = Limited(left, right, {1, 3, 16, 5}, &reducedSmall);
  const auto odd = Limited(left, right, {777, 96, 2500, 31}, &reducedOdd);
  ASSERT_GT(reducedWhole, 0u);  // the bursts were limited
  EXPECT_EQ(reducedSmall, reducedWhole);
  EXPECT_EQ(reducedOdd, reducedWhole);
  size_t differing = 0;
  float loudest = 0.0f;
  for (size_t i = 0; i < whole.size(); ++i) {
    differing += whole[i] != small[i] || whole[i] != odd[i];
    loudest = std::max(loudest, std::fabs(whole[i]));
  }
  EXPECT_EQ(differing, 0u);
  EXPECT_LE(loudest, Limiter::kCeiling);
}

TEST(Limiter, AfterABurstTheGainRisesSlowlyThenTheSumPassesBitForBit) {
  const size_t frames = 2 * 48000;
  std::vector<float> left(frames, 0.25f), right(frames, -0.25f);
  for (size_t i = 4800; i < 5800; ++i) left[i] = right[i] = 1.5f;
  Limiter limiter(kRate);
  std::vector<float> out(2 * frames);
  for (size_t at = 0; at < frames; at += 1024) {
    const size_t n = std::min<size_t>(1024, frames - at);
    limiter.Process(left.data() + at, right.data() + at, n, out.data() + 2 * at);
  }
  const size_t delay = limiter.delayFrames();
  // Quiet frames well after the burst are still lowered while the gain comes back up.
  const size_t soonAfter = 5800 + delay + 480;  // 10 ms on
  EXPECT_LT(out[2 * soonAfter], 0.25f * 0.99f);
  EXPECT_GT(limiter.reducedFrames(), 1000u + 480u);
  // Two seconds on, the quiet sum is the input delayed, exactly.
  for (size_t i = frames - 2000; i < frames; ++i) {
    ASSERT_EQ(out[2 * i], left[i - delay]) << i;
    ASSERT_EQ(out[2 * i + 1], right[i - delay]) << i;
  }
}

}  // namespace
}  // namespace lullwood
