// Chunk walking of wave images, built in memory. Linked without embedded waves.
#include <gtest/gtest.h>

#include "WaveBuilder.h"
#include "WaveImage.h"
#include "WaveResources.h"

namespace lullwood {
namespace {

using test::Bytes;
using test::Chunk;
using test::FormatBody;
using test::Riff;

const Bytes kFmt = FormatBody(1, 1, 11025, 8);
const Bytes kSamples = {1, 2, 3, 4, 5};

// Views point into `image`, so only named images are parsed.
std::optional<WaveImage> Parse(const Bytes& image) {
  return ParseWaveImage(image);
}
std::optional<WaveImage> Parse(Bytes&& image) = delete;
bool Accepts(const Bytes& image) {
  return ParseWaveImage(image).has_value();
}

// Offset of a parsed view inside its image.
ptrdiff_t At(const Bytes& image, const uint8_t* p) {
  return p - image.data();
}

TEST(ParseWaveImage, FindsFormatAndDataInEitherOrder) {
  const Bytes fmtFirst = Riff({{"fmt ", kFmt}, {"data", kSamples}});
  auto wave = Parse(fmtFirst);
  ASSERT_TRUE(wave);
  EXPECT_EQ(At(fmtFirst, wave->format), 20);
  EXPECT_EQ(At(fmtFirst, wave->data), 44);
  EXPECT_EQ(wave->dataBytes, 5u);
  EXPECT_EQ(wave->formatBytes, 16u);

  const Bytes dataFirst = Riff({{"data", kSamples}, {"fmt ", kFmt}});
  wave = Parse(dataFirst);
  ASSERT_TRUE(wave);
  EXPECT_EQ(At(dataFirst, wave->data), 20);
  EXPECT_EQ(At(dataFirst, wave->format), 34);  // 5 bytes of data and a pad byte
  EXPECT_EQ(wave->dataBytes, 5u);
}

TEST(ParseWaveImage, SkipsOtherAndRepeatedChunksWithTheirPadByte) {
  const Bytes image = Riff({{"junk", {9, 9, 9}},
                            {"data", kSamples},
                            {"data", {7}},
                            {"LIST", {1}},
                            {"fmt ", kFmt},
                            {"fmt ", FormatBody(1, 2, 22050, 16)}});
  auto wave = Parse(image);
  ASSERT_TRUE(wave);
  EXPECT_EQ(At(image, wave->data), 12 + 8 + 4 + 8);  // after "junk" and its pad byte
  EXPECT_EQ(wave->dataBytes, 5u);
  EXPECT_EQ(DecodePcmFormat(*wave).samplesPerSecond, 11025u);
}

TEST(ParseWaveImage, StopsOnceBothAreFoundWhateverFollows) {
  Bytes image = Riff({{"fmt ", kFmt}, {"data", kSamples}, {"LIST", {}, 0xFFFFFFF0u}});
  EXPECT_TRUE(Accepts(image));
}

TEST(ParseWaveImage, ShortFormatFailsAtOnce) {
  EXPECT_FALSE(Accepts(Riff({{"fmt ", FormatBody(1, 1, 11025, 8, 12)}, {"data", kSamples}})));
  // A later good "fmt " does not rescue it.
  EXPECT_FALSE(Accepts(
      Riff({{"fmt ", FormatBody(1, 1, 11025, 8, 12)}, {"fmt ", kFmt}, {"data", kSamples}})));
  // 14 bytes are enough to parse, but carry no sample size.
  const Bytes image = Riff({{"fmt ", FormatBody(1, 1, 11025, 8, 14)}, {"data", kSamples}});
  auto wave = Parse(image);
  ASSERT_TRUE(wave);
  EXPECT_EQ(DecodePcmFormat(*wave).bitsPerSample, 0);
  EXPECT_FALSE(IsPlayableFormat(DecodePcmFormat(*wave)));
}

TEST(ParseWaveImage, RejectsWhatIsNotRiffWave) {
  EXPECT_FALSE(Accepts(Riff({{"fmt ", kFmt}, {"data", kSamples}}, {}, "RIFX")));
  EXPECT_FALSE(Accepts(Riff({{"fmt ", kFmt}, {"data", kSamples}}, {}, "RIFF", "AVI ")));
  EXPECT_FALSE(Accepts({}));
  EXPECT_FALSE(Accepts({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'}));
}

TEST(ParseWaveImage, NeedsBothChunksWithinTheRiffSize) {
  EXPECT_FALSE(Accepts(Riff({{"fmt ", kFmt}, {"LIST", {1, 2}}})));
  EXPECT_FALSE(Accepts(Riff({{"data", kSamples}})));
  // "data" lies in the image but beyond the RIFF size.
  const Bytes outside = Riff({{"fmt ", kFmt}, {"data", kSamples}}, 4 + 8 + 16);
  EXPECT_FALSE(Accepts(outside));
}

TEST(ParseWaveImage, EmptyDataParses) {
  const Bytes image = Riff({{"fmt ", kFmt}, {"data", {}}});
  auto wave = Parse(image);
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->dataBytes, 0u);
}

TEST(ParseWaveImage, SizesClaimingMoreThanTheImageFail) {
  Bytes image = Riff({{"fmt ", kFmt}, {"data", kSamples}});
  EXPECT_FALSE(Accepts(Riff({{"fmt ", kFmt}, {"data", kSamples}}, uint32_t(image.size()))));
  // Five bytes and a pad byte are there; seven are claimed.
  EXPECT_TRUE(Accepts(Riff({{"fmt ", kFmt}, {"data", kSamples, 6}})));
  EXPECT_FALSE(Accepts(Riff({{"fmt ", kFmt}, {"data", kSamples, 7}})));
  EXPECT_FALSE(Accepts(Riff({{"fmt ", kFmt, 0xFFFFFFFFu}, {"data", kSamples}})));
  EXPECT_FALSE(Accepts(Riff({{"junk", {1}, 0xFFFFFFFFu}, {"fmt ", kFmt}, {"data", kSamples}})));
  // A chunk header cut off by the end of the image.
  Bytes cut = Riff({{"fmt ", kFmt}});
  cut.insert(cut.end(), {'d', 'a', 't', 'a', 0});
  cut[4] = static_cast<uint8_t>(cut.size() - 8);
  EXPECT_FALSE(Accepts(cut));
}

TEST(ParseWaveImage, NeverReadsPastAnyTruncation) {
  // Every prefix of a good image: either a parse within the prefix or a failure.
  const Bytes image = Riff({{"LIST", {1, 2, 3}}, {"fmt ", kFmt}, {"data", kSamples}});
  for (size_t n = 0; n <= image.size(); ++n) {
    const Bytes prefix(image.begin(), image.begin() + static_cast<ptrdiff_t>(n));
    auto wave = ParseWaveImage(prefix);
    if (!wave) continue;
    EXPECT_LE(At(prefix, wave->data) + ptrdiff_t{wave->dataBytes}, ptrdiff_t(n));
    EXPECT_LE(At(prefix, wave->format) + ptrdiff_t{wave->formatBytes}, ptrdiff_t(n));
  }
  EXPECT_TRUE(ParseWaveImage(image));
}

TEST(PcmFormat, DecodesTheBlockAndKnowsWhatPlays) {
  const Bytes image = Riff({{"fmt ", FormatBody(1, 2, 22050, 16)}, {"data", kSamples}});
  const PcmFormat f = DecodePcmFormat(*Parse(image));
  EXPECT_EQ(f.formatTag, 1);
  EXPECT_EQ(f.channels, 2);
  EXPECT_EQ(f.samplesPerSecond, 22050u);
  EXPECT_EQ(f.averageBytesPerSecond, 88200u);
  EXPECT_EQ(f.blockAlign, 4);
  EXPECT_EQ(f.bitsPerSample, 16);
  EXPECT_TRUE(IsPlayableFormat(f));

  PcmFormat g = f;
  g.samplesPerSecond = 100000;
  EXPECT_TRUE(IsPlayableFormat(g));
  g.samplesPerSecond = 100001;
  EXPECT_FALSE(IsPlayableFormat(g));
  g.samplesPerSecond = 100;
  EXPECT_TRUE(IsPlayableFormat(g));
  g.samplesPerSecond = 99;
  EXPECT_FALSE(IsPlayableFormat(g));
}

TEST(PcmFormat, DecodesSamplesAndDropsAPartialFrame) {
  const Bytes eight = test::PcmWave(2, 11025, 8, {0, 128, 255, 64, 7});
  const WaveImage w8 = *Parse(eight);
  const PcmFormat f8 = DecodePcmFormat(w8);
  ASSERT_EQ(PlayableFrames(w8, f8), 2u);
  float out8[4];
  DecodeSamples(w8, f8, 2, out8);
  EXPECT_EQ(out8[0], -1.0f);
  EXPECT_EQ(out8[1], 0.0f);
  EXPECT_EQ(out8[2], 127 / 128.0f);
  EXPECT_EQ(out8[3], -0.5f);

  const Bytes sixteen = test::PcmWave(1, 22050, 16, {0x00, 0x80, 0xFF, 0x7F, 0xFF, 0xFF, 9});
  const WaveImage w16 = *Parse(sixteen);
  const PcmFormat f16 = DecodePcmFormat(w16);
  ASSERT_EQ(PlayableFrames(w16, f16), 3u);
  float out16[3];
  DecodeSamples(w16, f16, 3, out16);
  EXPECT_EQ(out16[0], -1.0f);
  EXPECT_EQ(out16[1], 32767 / 32768.0f);
  EXPECT_EQ(out16[2], -1 / 32768.0f);

  const Bytes odd = Riff({{"fmt ", FormatBody(1, 3, 11025, 8)}, {"data", kSamples}});
  EXPECT_EQ(PlayableFrames(*Parse(odd), DecodePcmFormat(*Parse(odd))), 0u);
}

TEST(WaveResources, AnExecutableWithoutEmbeddedWavesFindsNone) {
  EXPECT_TRUE(EmbeddedWaves().empty());
  EXPECT_FALSE(FindWaveResource("SURF"));
}

}  // namespace
}  // namespace lullwood
