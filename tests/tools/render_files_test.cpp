#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "HeadlessPorts.h"
#include "RenderSession.h"
#include "TempFolder.h"
#include "WaveFile.h"

namespace lullwood::render {
namespace {

namespace fs = std::filesystem;

uint32_t Le32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t{p[3]} << 24;
}
uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

int16_t Convert(float x) {
  uint8_t bytes[2];
  FloatsToPcm16(&x, 1, bytes);
  return static_cast<int16_t>(Le16(bytes));
}

using TempDir = lullwood::testing::TempFolderTest;

TEST(WaveHeader, LargestFileStillFitsItsSizeField) {
  const auto h = WaveHeader(192000, kMaxWaveFrames);
  EXPECT_EQ(uint64_t{Le32(&h[40])}, kMaxWaveFrames * 4);
  EXPECT_EQ(uint64_t{Le32(&h[4])}, kMaxWaveFrames * 4 + 36);
  EXPECT_GT((kMaxWaveFrames + 1) * 4 + 36, uint64_t{0xFFFFFFFF});
}

TEST(FloatsToPcm16, ScalesRoundsAndClamps) {
  EXPECT_EQ(Convert(0.0f), 0);
  EXPECT_EQ(Convert(-0.0f), 0);
  EXPECT_EQ(Convert(1.0f), 32767);
  EXPECT_EQ(Convert(-1.0f), -32767);
  EXPECT_EQ(Convert(0.5f), 16384);  // 16383.5 rounds away from zero
  EXPECT_EQ(Convert(-0.5f), -16384);
  EXPECT_EQ(Convert(1.0f / 32767 * 0.49f), 0);
  EXPECT_EQ(Convert(1.0f / 32767 * 0.51f), 1);
  EXPECT_EQ(Convert(-1.0f / 32767 * 0.51f), -1);
  EXPECT_EQ(Convert(3.5f), 32767);
  EXPECT_EQ(Convert(-1e30f), -32767);
  EXPECT_EQ(Convert(std::numeric_limits<float>::infinity()), 32767);
  EXPECT_EQ(Convert(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(FloatsToPcm16, WritesLittleEndianInOrder) {
  const float in[3] = {0.25f, -0.25f, 1.0f};
  uint8_t out[6];
  FloatsToPcm16(in, 3, out);
  EXPECT_EQ(Le16(out), 8192);  // 8191.75
  EXPECT_EQ(static_cast<int16_t>(Le16(out + 2)), -8192);
  EXPECT_EQ(out[4], 0xFF);
  EXPECT_EQ(out[5], 0x7F);
}

TEST(FormatFiring, WritesOneTabSeparatedLine) {
  EXPECT_EQ(FormatFiring(Firing{42, 4, -10000, -1250, 11025}),
            "42\t4\tLOON\t-10000\t-1250\t11025\n");
  EXPECT_EQ(FormatFiring(Firing{10000000, 31, 0, 0, 100}), "10000000\t31\tSOUND31\t0\t0\t100\n");
}

TEST_F(TempDir, ScenarioMustBeAReadableRegularFile) {
  const fs::path file = dir_ / "a.lwd";
  std::ofstream(file) << "[Backgrounds]\n";
  EXPECT_FALSE(ScenarioReadError(file.string()));
  EXPECT_NE(ScenarioReadError((dir_ / "missing.lwd").string())->find("No such file"),
            std::string::npos);
  EXPECT_NE(ScenarioReadError(dir_.string())->find("folder"), std::string::npos);
  EXPECT_TRUE(ScenarioReadError(""));
  ASSERT_EQ(mkfifo((dir_ / "pipe").c_str(), 0600), 0);
  EXPECT_NE(ScenarioReadError((dir_ / "pipe").string())->find("not a regular file"),
            std::string::npos);
}

TEST(HeadlessPanel, KeepsControlsApartFromValuesAndPrintsMessages) {
  std::ostringstream messages;
  HeadlessPanel panel(messages, "tool: ");
  panel.Values().m_backgroundOn[3] = 1;
  EXPECT_EQ(panel.Controls().m_backgroundOn[3], 0);
  panel.ExchangeControlData(ExchangeDirection::kToControls);
  EXPECT_EQ(panel.Controls().m_backgroundOn[3], 1);
  panel.Values().m_backgroundOn[3] = 0;
  panel.ExchangeControlData(ExchangeDirection::kFromControls);
  EXPECT_EQ(panel.Values().m_backgroundOn[3], 1);

  EXPECT_EQ(panel.ShowMessage("first", MessageButtons::kOk), MessageAnswer::kOk);
  EXPECT_EQ(panel.ShowMessage("again?", MessageButtons::kYesNo), MessageAnswer::kNo);
  EXPECT_EQ(messages.str(), "tool: first\ntool: again?\n");
  EXPECT_EQ(panel.MessageCount(), 2);

  EXPECT_EQ(panel.SliderPosition(5), 1);
  panel.SetSliderPosition(5, 4);
  EXPECT_EQ(panel.SliderPosition(5), 4);
}

}  // namespace
}  // namespace lullwood::render
