// Decoding a FLAC stream held in memory (the embedded full-band renditions) into the
// floats the mixer plays. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lullwood {

// A whole sound decoded: `frames` frames of `channels` floats in -1..1, channels
// interleaved (left then right), as a VoiceSource reads them.
struct DecodedSound {
  uint32_t rate = 0;
  uint32_t channels = 0;
  uint32_t frames = 0;
  std::vector<float> samples;  // frames * channels
};

// The longest stream DecodeFlac accepts, in frames: about three minutes at 44100 Hz, far
// beyond any sound of the program, so that a damaged header cannot ask for gigabytes.
inline constexpr uint32_t kMaxFlacFrames = 1u << 23;

// Decodes a complete FLAC stream: 16-bit samples, 1 or 2 channels, a rate the mixer
// plays (100..100000 Hz), the frame count given in STREAMINFO, 1..kMaxFlacFrames. 16-bit
// values become value / 32768. Every frame's CRC and the stream's MD5 signature are
// checked. Fails, with a line in `error` and nothing leaked, on anything else: no
// stream, another layout, a frame that does not match STREAMINFO, a lost sync, a CRC or
// MD5 mismatch, a stream that ends early or holds more frames than it declares. Never
// reads outside `bytes`.
std::optional<DecodedSound> DecodeFlac(std::span<const uint8_t> bytes, std::string& error);

}  // namespace lullwood
