// Running the recipes: one catalogue row in, its wave images out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Recipe.h"

namespace lullwood::synth {

// Everything the generator knows about one sound: its catalogue format and its recipe.
struct SoundJob {
  SoundSpec spec;
  std::string_view label;
  uint32_t dataBytes;
  RecipeFunction recipe;
};

// Every catalogue sound, backgrounds first, each paired with its recipe. A sound whose
// recipe is missing (or named twice) is reported in `problems` and left out.
std::vector<SoundJob> CollectJobs(std::vector<std::string>& problems);

// Runs the recipe at the catalogue's rate and builds its 8-bit image. Returns nothing and
// fills `error` when the recipe gives the wrong length or a non-finite sample; `clamped`
// counts samples beyond 8 bits.
std::optional<std::vector<uint8_t>> RenderImage(const SoundJob& job, std::string& error,
                                                uint32_t* clamped = nullptr);

// The full-band rendition's rate: every sound also exists at 44100 Hz and 16 bits, with
// the same duration, from the same recipe.
inline constexpr uint32_t kFullBandRate = 44100;

// The spec of `original`'s sound at the full band: kFullBandRate, as many more frames, and
// the catalogue's rate kept as the band its levels are set in.
SoundSpec FullBandSpec(const SoundSpec& original);

// Runs the recipe at the full band and builds its 16-bit image; fails as RenderImage does,
// and when the catalogue's rate does not divide kFullBandRate. With `flac`, the same samples
// are also encoded there as a FLAC stream titled with the resource name (see EncodeFlac16),
// and a failing encoder fails the whole.
std::optional<std::vector<uint8_t>> RenderFullBandImage(const SoundJob& job, std::string& error,
                                                        uint32_t* clamped = nullptr,
                                                        std::vector<uint8_t>* flac = nullptr);

}  // namespace lullwood::synth
