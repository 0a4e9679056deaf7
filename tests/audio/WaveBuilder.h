// Builds RIFF/WAVE images byte by byte, including malformed ones, for tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace lullwood::test {

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

inline void PutU32(Bytes& out, uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

inline void PutTag(Bytes& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

struct Chunk {
  std::string tag;
  Bytes body;
  std::optional<uint32_t> claimedSize = {};  // written instead of the body's size
};

// The 16-byte PCM format block (or its first `bytes` bytes).
inline Bytes FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                        size_t bytes = 16) {
  Bytes out;
  const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  PutU16(out, tag);
  PutU16(out, channels);
  PutU32(out, rate);
  PutU32(out, rate * align);
  PutU16(out, align);
  PutU16(out, bits);
  out.resize(bytes, 0);
  return out;
}

// Chunks in order, each odd body followed by a pad byte.
inline Bytes Riff(const std::vector<Chunk>& chunks, std::optional<uint32_t> riffSize = {},
                  const char* riffTag = "RIFF", const char* form = "WAVE") {
  Bytes out;
  PutTag(out, riffTag);
  PutU32(out, 0);
  PutTag(out, form);
  for (const Chunk& chunk : chunks) {
    PutTag(out, chunk.tag.c_str());
    PutU32(out, chunk.claimedSize.value_or(static_cast<uint32_t>(chunk.body.size())));
    out.insert(out.end(), chunk.body.begin(), chunk.body.end());
    if (chunk.body.size() % 2) out.push_back(0);
  }
  const uint32_t size = riffSize.value_or(static_cast<uint32_t>(out.size() - 8));
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(size >> (8 * i));
  return out;
}

inline Bytes PcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data) {
  return Riff({{"fmt ", FormatBody(1, channels, rate, bits)}, {"data", data}});
}

}  // namespace lullwood::test
