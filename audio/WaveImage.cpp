#include "WaveImage.h"

#include <cstring>

namespace lullwood {
namespace {

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

uint16_t ReadU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool HasTag(const uint8_t* p, const char (&tag)[5]) {
  return std::memcmp(p, tag, 4) == 0;
}

}  // namespace

std::optional<WaveImage> ParseWaveImage(std::span<const uint8_t> image) {
  const uint8_t* base = image.data();
  const uint64_t imageBytes = image.size();
  if (imageBytes < 12 || !HasTag(base, "RIFF") || !HasTag(base + 8, "WAVE")) return std::nullopt;

  // Offsets are 64-bit so that no size field can wrap them.
  const uint64_t end = 8 + uint64_t{ReadU32(base + 4)};
  if (end > imageBytes) return std::nullopt;

  WaveImage wave{};
  bool haveFormat = false;
  bool haveData = false;
  uint64_t cursor = 12;
  while (cursor < end) {
    if (cursor + 8 > imageBytes) return std::nullopt;
    const uint8_t* header = base + cursor;
    const uint64_t size = ReadU32(header + 4);
    const uint64_t body = cursor + 8;
    if (HasTag(header, "fmt ") && !haveFormat) {
      if (size < 14 || body + size > imageBytes) return std::nullopt;
      wave.format = base + body;
      wave.formatBytes = static_cast<uint32_t>(size);
      haveFormat = true;
      if (haveData) return wave;
    } else if (HasTag(header, "data") && !haveData) {
      if (body + size > imageBytes) return std::nullopt;
      wave.data = base + body;
      wave.dataBytes = static_cast<uint32_t>(size);
      haveData = true;
      if (haveFormat) return wave;
    }
    cursor = body + size + (size & 1);
  }
  return std::nullopt;
}

PcmFormat DecodePcmFormat(const WaveImage& wave) {
  PcmFormat format{};
  const uint8_t* p = wave.format;
  if (p == nullptr || wave.formatBytes < 14) return format;
  format.formatTag = ReadU16(p);
  format.channels = ReadU16(p + 2);
  format.samplesPerSecond = ReadU32(p + 4);
  format.averageBytesPerSecond = ReadU32(p + 8);
  format.blockAlign = ReadU16(p + 12);
  if (wave.formatBytes >= 16) format.bitsPerSample = ReadU16(p + 14);
  return format;
}

bool IsPlayableFormat(const PcmFormat& format) {
  return format.formatTag == kWaveFormatPcm &&
         (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
         (format.channels == 1 || format.channels == 2) && format.samplesPerSecond >= 100 &&
         format.samplesPerSecond <= 100000;
}

uint32_t PlayableFrames(const WaveImage& wave, const PcmFormat& format) {
  if (!IsPlayableFormat(format) || wave.data == nullptr) return 0;
  return wave.dataBytes / (format.channels * (format.bitsPerSample / 8u));
}

void DecodeSamples(const WaveImage& wave, const PcmFormat& format, uint32_t frames, float* out) {
  const size_t samples = size_t{frames} * format.channels;
  const uint8_t* in = wave.data;
  if (format.bitsPerSample == 8) {
    for (size_t i = 0; i < samples; ++i) out[i] = (static_cast<int>(in[i]) - 128) / 128.0f;
  } else {
    for (size_t i = 0; i < samples; ++i) {
      out[i] = static_cast<int16_t>(ReadU16(in + 2 * i)) / 32768.0f;
    }
  }
}

}  // namespace lullwood
