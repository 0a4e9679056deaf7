// Waves embedded at build time are found by name, byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "WaveResources.h"

namespace lullwood {
namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(WaveResources, EmbedsExactlyTheGivenFilesByteForByte) {
  std::set<std::string> names;
  for (const EmbeddedWave& wave : EmbeddedWaves()) {
    names.insert(wave.name);
    const auto onDisk = ReadFile(std::string(LULLWOOD_TEST_WAVE_DIR "/") + wave.name + ".wav");
    ASSERT_FALSE(onDisk.empty()) << wave.name;
    EXPECT_EQ(std::vector<uint8_t>(wave.begin, wave.end), onDisk) << wave.name;
  }
  EXPECT_EQ(names.size(), 18u);
  EXPECT_TRUE(names.count("MixedCase"));
  EXPECT_TRUE(names.count("RAMP8"));
}

TEST(WaveResources, FindsByNameIgnoringCase) {
  const auto upper = FindWaveResource("MIXEDCASE");
  ASSERT_TRUE(upper);
  EXPECT_EQ(upper->dataBytes, 100u);
  const auto lower = FindWaveResource("mixedcase");
  ASSERT_TRUE(lower);
  EXPECT_EQ(lower->data, upper->data);
  EXPECT_FALSE(FindWaveResource("MIXEDCAS"));
  EXPECT_FALSE(FindWaveResource("MIXEDCASE.wav"));
  EXPECT_FALSE(FindWaveResource(""));
  EXPECT_FALSE(FindWaveResource("FMT12"));  // embedded, but does not parse
}

}  // namespace
}  // namespace lullwood
