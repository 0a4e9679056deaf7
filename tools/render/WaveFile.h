// 16-bit PCM stereo RIFF/WAVE files. Pure functions; any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace lullwood::render {

inline constexpr size_t kWaveHeaderBytes = 44;
inline constexpr uint32_t kWaveChannels = 2;
inline constexpr uint32_t kWaveBytesPerFrame = 4;

// The most frames one file can hold: its RIFF size field is 32 bits.
inline constexpr uint64_t kMaxWaveFrames =
    (uint64_t{0xFFFFFFFF} - (kWaveHeaderBytes - 8)) / kWaveBytesPerFrame;

// The header of a file holding `frames` frames at `rateHz`; frames at most kMaxWaveFrames.
std::array<uint8_t, kWaveHeaderBytes> WaveHeader(uint32_t rateHz, uint64_t frames);

// Little-endian 16-bit samples of `count` floats: clamped to -1..1, scaled by 32767 and
// rounded to nearest, halves away from zero; NaN is silence. `out` holds 2 * count bytes.
void FloatsToPcm16(const float* in, size_t count, uint8_t* out);

}  // namespace lullwood::render
