#include "WaveFile.h"

#include <cmath>

namespace lullwood::render {
namespace {

void Put16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

void PutTag(uint8_t* at, const char (&tag)[5]) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(tag[i]);
}

}  // namespace

std::array<uint8_t, kWaveHeaderBytes> WaveHeader(uint32_t rateHz, uint64_t frames) {
  const uint32_t dataBytes = static_cast<uint32_t>(frames * kWaveBytesPerFrame);
  std::array<uint8_t, kWaveHeaderBytes> header{};
  uint8_t* h = header.data();
  PutTag(h, "RIFF");
  Put32(h + 4, static_cast<uint32_t>(kWaveHeaderBytes - 8) + dataBytes);
  PutTag(h + 8, "WAVE");
  PutTag(h + 12, "fmt ");
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // PCM
  Put16(h + 22, kWaveChannels);
  Put32(h + 24, rateHz);
  Put32(h + 28, rateHz * kWaveBytesPerFrame);
  Put16(h + 32, kWaveBytesPerFrame);
  Put16(h + 34, 16);
  PutTag(h + 36, "data");
  Put32(h + 40, dataBytes);
  return header;
}

void FloatsToPcm16(const float* in, size_t count, uint8_t* out) {
  // Branch-free, so that the loop vectorises; it runs over every sample of a render.
  for (size_t i = 0; i < count; ++i) {
    float x = in[i];
    x = x == x ? x : 0.0f;
    x = x > 1.0f ? 1.0f : x;
    x = x < -1.0f ? -1.0f : x;
    const float scaled = x * 32767.0f;
    const auto bits = static_cast<uint16_t>(
        static_cast<int16_t>(static_cast<int32_t>(scaled + std::copysign(0.5f, scaled))));
    out[2 * i] = static_cast<uint8_t>(bits);
    out[2 * i + 1] = static_cast<uint8_t>(bits >> 8);
  }
}

}  // namespace lullwood::render
