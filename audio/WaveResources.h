// The wave images embedded in the executable at build time (see
// cmake/EmbedWaves.cmake), and the full-band renditions as FLAC, and the lookups by name.
// Any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "WaveImage.h"

namespace lullwood {

// One embedded image: its name (the file's base name without extension) and its
// bytes [begin, end). Both live as long as the process.
struct EmbeddedWave {
  const char* name;
  const uint8_t* begin;
  const uint8_t* end;
};

struct EmbeddedWaveTable {
  const EmbeddedWave* waves;
  size_t count;
};

// The table of the one embedding library linked into this executable; empty when the
// executable links none.
std::span<const EmbeddedWave> EmbeddedWaves();

// Finds the embedded image named `resourceName` (ASCII case-insensitively) and parses
// it. Fails when there is no such image or it does not parse.
std::optional<WaveImage> FindWaveResource(std::string_view resourceName);

// The table of the full-band library linked into this executable (the same entry type;
// the bytes are FLAC streams); empty when it links none.
std::span<const EmbeddedWave> EmbeddedFullBand();

// The encoded bytes of the full-band rendition named `resourceName` (ASCII
// case-insensitively), not decoded (see DecodeFlac in FlacImage.h); nothing when there
// is no such rendition.
std::optional<std::span<const uint8_t>> FindFullBandResource(std::string_view resourceName);

}  // namespace lullwood

// Defined by the embedding library; a weak reference, so that an executable without
// one links and finds nothing.
extern "C" const lullwood::EmbeddedWaveTable lullwood_embedded_wave_table;
extern "C" const lullwood::EmbeddedWaveTable lullwood_embedded_full_band_table;
