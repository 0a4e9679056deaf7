// Turning a recipe's float signal into the bytes of an 8-bit or 16-bit RIFF/WAVE image.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace lullwood::synth {

struct QuantiseReport {
  uint32_t clamped = 0;  // samples that fell outside the sample size's range before clamping
};

// Maps -1..1 to 1..255 around 128 (scale 127) with +-1 LSB triangular dither drawn from
// a generator seeded by `seed`. Dither is added only in and around sounding passages;
// stretches of silence (below about -98 dBFS) come out as exactly 128.
std::vector<uint8_t> QuantiseTo8Bit(std::span<const float> signal, uint64_t seed,
                                    QuantiseReport* report = nullptr);

// Maps -1..1 to signed 16-bit little-endian samples (scale 32767) with +-1 LSB triangular
// dither, silence exact 0, as QuantiseTo8Bit does at 8 bits.
std::vector<uint8_t> QuantiseTo16Bit(std::span<const float> signal, uint64_t seed,
                                     QuantiseReport* report = nullptr);

// The complete image: "RIFF" (size = image length - 8), "WAVE", a 16-byte PCM "fmt "
// chunk, "data" (plus a pad byte when its size is odd, not counted in it), then a
// "LIST"/"INFO" chunk with "INAM" = `label` and "ISFT" = `software`.
std::vector<uint8_t> BuildWaveImage(uint32_t sampleRate, uint16_t channels, uint16_t bitsPerSample,
                                    std::span<const uint8_t> data, std::string_view label,
                                    std::string_view software);

}  // namespace lullwood::synth
