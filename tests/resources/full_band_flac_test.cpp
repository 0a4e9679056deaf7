// The full-band renditions embedded in the program as FLAC: each one is found by its
// sound's name and decodes losslessly to the samples of the rendition the generator
// wrote as a wave.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FlacImage.h"
#include "SoundCatalogue.h"
#include "WaveAnalysis.h"
#include "WaveImage.h"
#include "WaveResources.h"

namespace lullwood {
namespace {

std::vector<std::string> AllResourceNames() {
  std::vector<std::string> names;
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds()) names.emplace_back(b.resourceName);
  for (const RandomEffect& e : SoundCatalogue::Effects()) names.emplace_back(e.resourceName);
  return names;
}

// The generated wave's samples as the program's own wave path reads them.
std::vector<float> WaveSamples(const std::vector<uint8_t>& bytes, PcmFormat& format,
                               uint32_t& frames) {
  const auto image = ParseWaveImage(bytes);
  if (!image) return {};
  format = DecodePcmFormat(*image);
  if (!IsPlayableFormat(format)) return {};
  frames = PlayableFrames(*image, format);
  std::vector<float> samples(static_cast<size_t>(frames) * format.channels);
  DecodeSamples(*image, format, frames, samples.data());
  return samples;
}

TEST(FullBandFlac, EverySoundDecodesToExactlyItsGeneratedWave) {
  const std::vector<std::string> names = AllResourceNames();
  ASSERT_EQ(names.size(), 54u);
  EXPECT_EQ(EmbeddedFullBand().size(), names.size()) << "one embedded rendition a sound";
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const auto wave =
        test::ReadFileBytes(std::string(LULLWOOD_FULL_BAND_WAVES_DIR) + "/" + name + ".wav");
    ASSERT_TRUE(wave);
    PcmFormat format{};
    uint32_t frames = 0;
    const std::vector<float> expected = WaveSamples(*wave, format, frames);
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(format.bitsPerSample, 16);

    const auto flac = FindFullBandResource(name);
    ASSERT_TRUE(flac);
    std::string error;
    const auto sound = DecodeFlac(*flac, error);
    ASSERT_TRUE(sound) << error;
    EXPECT_EQ(sound->rate, 44100u);
    EXPECT_EQ(sound->channels, format.channels);
    EXPECT_EQ(sound->channels, name == "WFALL" ? 2u : 1u);
    EXPECT_EQ(sound->frames, frames);
    EXPECT_TRUE(sound->samples == expected) << "decoded samples differ from the wave's";
  }
}

TEST(FullBandFlac, LookupIgnoresCaseFindsNoOtherNameAndDecodingRepeatsExactly) {
  const auto upper = FindFullBandResource("WFALL");
  const auto lower = FindFullBandResource("wfall");
  ASSERT_TRUE(upper && lower);
  EXPECT_EQ(upper->data(), lower->data());
  EXPECT_FALSE(FindFullBandResource("WFAL"));
  EXPECT_FALSE(FindFullBandResource(""));
  // The wave tables are apart: a full-band name finds no 8-bit image in this test.
  EXPECT_FALSE(FindWaveResource("WFALL"));

  std::string error;
  const auto first = DecodeFlac(*upper, error);
  const auto second = DecodeFlac(*upper, error);
  ASSERT_TRUE(first && second) << error;
  EXPECT_TRUE(first->samples == second->samples);
}

}  // namespace
}  // namespace lullwood
