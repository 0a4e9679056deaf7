#include "WaveResources.h"

#include <cstring>

// Weak: only the embedding library's link option pulls the real table in.
extern "C" const lullwood::EmbeddedWaveTable lullwood_embedded_wave_table __attribute__((weak));
extern "C" const lullwood::EmbeddedWaveTable lullwood_embedded_full_band_table
    __attribute__((weak));

namespace lullwood {
namespace {

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::span<const EmbeddedWave> EntriesOf(const EmbeddedWaveTable* table) {
  if (table == nullptr || table->waves == nullptr) return {};
  return {table->waves, table->count};
}

}  // namespace

std::span<const EmbeddedWave> EmbeddedWaves() {
  return EntriesOf(&lullwood_embedded_wave_table);
}

std::span<const EmbeddedWave> EmbeddedFullBand() {
  return EntriesOf(&lullwood_embedded_full_band_table);
}

std::optional<WaveImage> FindWaveResource(std::string_view resourceName) {
  for (const EmbeddedWave& wave : EmbeddedWaves()) {
    if (SameNameIgnoringCase(wave.name, resourceName)) {
      return ParseWaveImage({wave.begin, wave.end});
    }
  }
  return std::nullopt;
}

std::optional<std::span<const uint8_t>> FindFullBandResource(std::string_view resourceName) {
  for (const EmbeddedWave& entry : EmbeddedFullBand()) {
    if (SameNameIgnoringCase(entry.name, resourceName))
      return std::span<const uint8_t>(entry.begin, entry.end);
  }
  return std::nullopt;
}

}  // namespace lullwood
