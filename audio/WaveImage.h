// RIFF/WAVE images: finding the format block and the sample data inside one image.
// Pure functions; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace lullwood {

// Borrowed views into a wave image; valid as long as the image is.
struct WaveImage {
  const uint8_t* format;  // body of the first "fmt " chunk (at least 14 bytes)
  const uint8_t* data;    // body of the first "data" chunk
  uint32_t dataBytes;     // size field of that "data" chunk
  uint32_t formatBytes;   // size field of that "fmt " chunk
};

// Walks the chunks of a RIFF/WAVE image and returns the first "fmt " and "data"
// chunks, in either order. Fails when the image is not RIFF/WAVE, when a "fmt " chunk
// shorter than 14 bytes comes first, when either chunk is missing within the RIFF
// size, or when a size field claims more bytes than `image` holds. Never reads
// outside `image`.
std::optional<WaveImage> ParseWaveImage(std::span<const uint8_t> image);

inline constexpr uint16_t kWaveFormatPcm = 1;

// The PCM format block (little-endian on disk).
struct PcmFormat {
  uint16_t formatTag;
  uint16_t channels;
  uint32_t samplesPerSecond;
  uint32_t averageBytesPerSecond;
  uint16_t blockAlign;
  uint16_t bitsPerSample;  // 0 when the block is only 14 bytes long
};

// Decodes the format block of a parsed image; reads only its first
// min(formatBytes, 16) bytes.
PcmFormat DecodePcmFormat(const WaveImage& wave);

// True for what the mixer plays: PCM, 8 or 16 bits, 1 or 2 channels, 100..100000 Hz.
bool IsPlayableFormat(const PcmFormat& format);

// Whole frames in the data of a playable wave; a trailing partial frame is dropped.
uint32_t PlayableFrames(const WaveImage& wave, const PcmFormat& format);

// Writes `frames` frames of a playable wave as floats in -1..1, channels interleaved:
// 8-bit samples are unsigned around 128, (byte - 128) / 128; 16-bit ones signed
// little-endian, value / 32768.
void DecodeSamples(const WaveImage& wave, const PcmFormat& format, uint32_t frames, float* out);

}  // namespace lullwood
