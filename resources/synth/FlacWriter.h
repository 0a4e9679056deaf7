// Encoding a 16-bit rendition losslessly as FLAC, in memory, the same bytes every time.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lullwood::synth {

// Encodes `data` (signed 16-bit little-endian samples, `channels` interleaved, whole frames)
// as a FLAC stream at compression level 8, with a Vorbis comment TITLE=`title` and no
// padding, seek table or time stamp: the bytes depend only on the samples, the title and
// the libFLAC version. Fails, with `error` filled, on 0 or more than 2 channels, a rate
// FLAC cannot carry, a partial frame or an encoder failure.
std::optional<std::vector<uint8_t>> EncodeFlac16(std::span<const uint8_t> data, uint32_t rate,
                                                 uint16_t channels, std::string_view title,
                                                 std::string& error);

}  // namespace lullwood::synth
