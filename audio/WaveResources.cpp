#include "WaveResources.h"

#include <cstring>

// Weak: only the embedding library's link option pulls the real table in.
extern "C" const lullwood::EmbeddedWaveTable lullwood_embedded_wave_table __attribute__((weak));

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

}  // namespace

std::span<const EmbeddedWave> EmbeddedWaves() {
  const EmbeddedWaveTable* table = &lullwood_embedded_wave_table;
  if (table == nullptr || table->waves == nullptr) return {};
  return {table->waves, table->count};
}

std::optional<WaveImage> FindWaveResource(std::string_view resourceName) {
  for (const EmbeddedWave& wave : EmbeddedWaves()) {
    if (SameNameIgnoringCase(wave.name, resourceName)) {
      return ParseWaveImage({wave.begin, wave.end});
    }
  }
  return std::nullopt;
}

}  // namespace lullwood
