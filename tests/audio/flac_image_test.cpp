// Decoding FLAC streams held in memory: exact samples for what the generator encodes, and
// a clean refusal, with a reason, of every stream the mixer could not play as it is.
#include <gtest/gtest.h>

#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "FlacImage.h"
#include "FlacWriter.h"

namespace lullwood {
namespace {

// Interleaved 16-bit samples: full-scale extremes first, then a noisy ramp unlike in
// every channel, so that swapped channels or an off-by-one show.
std::vector<int16_t> TestSamples(uint32_t frames, uint32_t channels) {
  std::vector<int16_t> samples(static_cast<size_t>(frames) * channels);
  uint32_t state = 12345;
  for (size_t i = 0; i < samples.size(); ++i) {
    state = state * 1664525u + 1013904223u;
    const int noise = static_cast<int>(state >> 22) - 512;
    const int ramp = static_cast<int>(i / channels % 4000) * 8 - 16000;
    samples[i] = static_cast<int16_t>((i % channels == 0 ? ramp : -ramp) + noise);
  }
  const int16_t extremes[] = {-32768, 32767, 0, -1};
  std::copy_n(extremes, std::min<size_t>(4, samples.size()), samples.begin());
  return samples;
}

std::vector<uint8_t> LittleEndian(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> bytes(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    const auto v = static_cast<uint16_t>(samples[i]);
    bytes[2 * i] = static_cast<uint8_t>(v & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(v >> 8);
  }
  return bytes;
}

std::vector<uint8_t> Encode16(const std::vector<int16_t>& samples, uint32_t rate, uint16_t channels,
                              std::string_view title = "TEST") {
  std::string error;
  auto flac = synth::EncodeFlac16(LittleEndian(samples), rate, channels, title, error);
  EXPECT_TRUE(flac) << error;
  return flac ? *flac : std::vector<uint8_t>{};
}

// Any layout libFLAC writes, STREAMINFO without the closing rewrite (no seeking): for
// the layouts the decoder must turn away.
std::vector<uint8_t> EncodeAnyLayout(uint32_t channels, uint32_t bits, uint32_t rate,
                                     uint32_t frames) {
  std::vector<uint8_t> out;
  FLAC__StreamEncoder* e = FLAC__stream_encoder_new();
  FLAC__stream_encoder_set_streamable_subset(e, false);
  FLAC__stream_encoder_set_channels(e, channels);
  FLAC__stream_encoder_set_bits_per_sample(e, bits);
  FLAC__stream_encoder_set_sample_rate(e, rate);
  FLAC__stream_encoder_set_total_samples_estimate(e, frames);
  auto write = [](const FLAC__StreamEncoder*, const FLAC__byte buffer[], size_t bytes, uint32_t,
                  uint32_t, void* context) {
    auto& sink = *static_cast<std::vector<uint8_t>*>(context);
    sink.insert(sink.end(), buffer, buffer + bytes);
    return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
  };
  EXPECT_EQ(FLAC__stream_encoder_init_stream(e, write, nullptr, nullptr, nullptr, &out),
            FLAC__STREAM_ENCODER_INIT_STATUS_OK);
  std::vector<FLAC__int32> samples(static_cast<size_t>(frames) * channels);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<FLAC__int32>(i % 50) - 25;
  EXPECT_TRUE(FLAC__stream_encoder_process_interleaved(e, samples.data(), frames));
  EXPECT_TRUE(FLAC__stream_encoder_finish(e));
  FLAC__stream_encoder_delete(e);
  return out;
}

// Where the audio frames begin: after "fLaC" and the last metadata block.
size_t FirstFrameOffset(const std::vector<uint8_t>& flac) {
  size_t at = 4;
  for (;;) {
    const bool last = flac.at(at) & 0x80;
    const size_t length =
        (size_t{flac.at(at + 1)} << 16) | (size_t{flac.at(at + 2)} << 8) | flac.at(at + 3);
    at += 4 + length;
    if (last) return at;
  }
}

// STREAMINFO's 36-bit count of frames ("total samples"), bytes 21 (low nibble) to 25.
void SetDeclaredFrames(std::vector<uint8_t>& flac, uint64_t frames) {
  flac[21] = static_cast<uint8_t>((flac[21] & 0xF0) | ((frames >> 32) & 0x0F));
  for (int i = 0; i < 4; ++i) flac[22 + i] = static_cast<uint8_t>(frames >> (24 - 8 * i));
}

std::optional<DecodedSound> Decode(const std::vector<uint8_t>& bytes, std::string& error) {
  error.clear();
  return DecodeFlac(bytes, error);
}

TEST(DecodeFlac, GivesBackExactlyTheEncodedSamples) {
  struct Case {
    uint32_t rate;
    uint16_t channels;
    uint32_t frames;
  };
  for (const Case c :
       {Case{44100, 2, 10000}, Case{44100, 1, 4097}, Case{8000, 1, 3}, Case{22050, 2, 1}}) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels, " +
                 std::to_string(c.frames) + " frames");
    const std::vector<int16_t> samples = TestSamples(c.frames, c.channels);
    std::string error;
    const auto sound = Decode(Encode16(samples, c.rate, c.channels), error);
    ASSERT_TRUE(sound) << error;
    EXPECT_EQ(sound->rate, c.rate);
    EXPECT_EQ(sound->channels, c.channels);
    EXPECT_EQ(sound->frames, c.frames);
    ASSERT_EQ(sound->samples.size(), samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
      ASSERT_EQ(sound->samples[i], static_cast<float>(samples[i]) / 32768.0f) << "sample " << i;
  }
}

TEST(DecodeFlac, RefusesLayoutsOtherThan16BitMonoOrStereoAtAPlayableRate) {
  struct Case {
    const char* what;
    uint32_t channels, bits, rate;
  };
  for (const Case c : {Case{"24 bits", 2, 24, 44100}, Case{"8 bits", 1, 8, 44100},
                       Case{"3 channels", 3, 16, 44100}, Case{"50 Hz", 1, 16, 50},
                       Case{"192000 Hz", 2, 16, 192000}}) {
    SCOPED_TRACE(c.what);
    std::string error;
    EXPECT_FALSE(Decode(EncodeAnyLayout(c.channels, c.bits, c.rate, 1000), error));
    EXPECT_NE(error.find("layout"), std::string::npos) << error;
  }
  // The same writer at an accepted layout is decoded: the refusals above are the layouts'.
  std::string error;
  EXPECT_TRUE(Decode(EncodeAnyLayout(2, 16, 44100, 1000), error)) << error;
}

TEST(DecodeFlac, RefusesEveryTruncation) {
  const std::vector<uint8_t> flac = Encode16(TestSamples(20000, 2), 44100, 2);
  const size_t frames = FirstFrameOffset(flac);
  std::vector<size_t> cuts = {0, 1, 4, 8, 20, 41, frames - 1, frames, frames + 1, frames + 10};
  for (size_t cut = frames; cut < flac.size(); cut += flac.size() / 37) cuts.push_back(cut);
  cuts.push_back(flac.size() - 1);
  for (size_t cut : cuts) {
    SCOPED_TRACE("first " + std::to_string(cut) + " of " + std::to_string(flac.size()) + " bytes");
    std::vector<uint8_t> head(flac.begin(), flac.begin() + static_cast<long>(cut));
    std::string error;
    EXPECT_FALSE(Decode(head, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(DecodeFlac, RefusesDamagedAudioAndAWrongSignature) {
  const std::vector<uint8_t> flac = Encode16(TestSamples(20000, 2), 44100, 2);
  const size_t frames = FirstFrameOffset(flac);
  // A stream may leave its MD5 signature unset (all zero), and then only the frames'
  // own checks can tell: damage must be refused with and without it.
  const std::vector<uint8_t> unsignedStream = [&] {
    std::vector<uint8_t> bytes = flac;
    std::fill(bytes.begin() + 26, bytes.begin() + 42, uint8_t{0});
    return bytes;
  }();
  std::string error;
  ASSERT_TRUE(Decode(unsignedStream, error)) << error;
  // One flipped bit anywhere in the audio: a frame header, its samples or a checksum.
  for (const std::vector<uint8_t>* original : {&flac, &unsignedStream}) {
    for (size_t at = frames; at < flac.size(); at += 97) {
      SCOPED_TRACE("bit flipped at byte " + std::to_string(at) +
                   (original == &flac ? ", signed" : ", unsigned"));
      std::vector<uint8_t> damaged = *original;
      damaged[at] ^= 0x10;
      EXPECT_FALSE(Decode(damaged, error));
      EXPECT_FALSE(error.empty());
    }
  }
  // The MD5 signature of the samples (STREAMINFO bytes 26..41) no longer matching.
  std::vector<uint8_t> signature = flac;
  signature[30] ^= 0x01;
  EXPECT_FALSE(Decode(signature, error));
  EXPECT_NE(error.find("MD5"), std::string::npos) << error;
}

TEST(DecodeFlac, RefusesADeclaredLengthThatIsMissingAbsurdOrWrong) {
  const uint32_t held = 20000;
  const std::vector<uint8_t> flac = Encode16(TestSamples(held, 1), 44100, 1);
  for (uint64_t declared : {uint64_t{0}, uint64_t{kMaxFlacFrames} + 1, (uint64_t{1} << 36) - 1,
                            uint64_t{held} - 1, uint64_t{held} + 1, uint64_t{10}}) {
    SCOPED_TRACE("declared " + std::to_string(declared) + " frames, holding " +
                 std::to_string(held));
    std::vector<uint8_t> patched = flac;
    SetDeclaredFrames(patched, declared);
    std::string error;
    EXPECT_FALSE(Decode(patched, error));
    EXPECT_FALSE(error.empty());
  }
  std::vector<uint8_t> same = flac;
  SetDeclaredFrames(same, held);
  std::string error;
  EXPECT_TRUE(Decode(same, error)) << "the patching itself is sound: " << error;
}

TEST(DecodeFlac, RefusesWhatIsNotFlac) {
  std::vector<uint8_t> wave = {'R', 'I', 'F', 'F', 36, 0, 0, 0, 'W', 'A', 'V', 'E'};
  wave.resize(400, 0x55);
  std::vector<uint8_t> magicOnly = {'f', 'L', 'a', 'C'};
  std::vector<uint8_t> magicThenJunk = magicOnly;
  magicThenJunk.resize(5000, 0xFF);
  const std::vector<uint8_t> nothing;
  for (const std::vector<uint8_t>* bytes : std::initializer_list<const std::vector<uint8_t>*>{
           &wave, &magicOnly, &magicThenJunk, &nothing}) {
    std::string error;
    EXPECT_FALSE(Decode(*bytes, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(EncodeFlac16, GivesTheSameTitledBytesEveryTimeAndRefusesWhatItCannotCarry) {
  const std::vector<int16_t> samples = TestSamples(30000, 2);
  const std::vector<uint8_t> first = Encode16(samples, 44100, 2, "WFALL");
  EXPECT_EQ(first, Encode16(samples, 44100, 2, "WFALL"));
  const std::string title = "TITLE=WFALL";
  EXPECT_NE(std::search(first.begin(), first.end(), title.begin(), title.end()), first.end());
  // No padding or seek table: STREAMINFO (0) and the Vorbis comment (4) alone.
  std::vector<int> types;
  for (size_t at = 4; at < first.size();) {
    types.push_back(first[at] & 0x7F);
    const bool last = first[at] & 0x80;
    at += 4 + ((size_t{first[at + 1]} << 16) | (size_t{first[at + 2]} << 8) | first[at + 3]);
    if (last) break;
  }
  EXPECT_EQ(types, (std::vector<int>{0, 4}));

  std::string error;
  const std::vector<uint8_t> pcm = LittleEndian(samples);
  EXPECT_FALSE(synth::EncodeFlac16(pcm, 44100, 3, "X", error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(synth::EncodeFlac16(std::span(pcm).first(pcm.size() - 2), 44100, 2, "X", error))
      << "a partial frame";
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace lullwood
