// Running the recipes: one catalogue row in, one wave image out.
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

// Runs the recipe and builds the image. Returns nothing and fills `error` when the recipe
// gives the wrong length or a non-finite sample; `clamped` counts samples beyond 8 bits.
std::optional<std::vector<uint8_t>> RenderImage(const SoundJob& job, std::string& error,
                                                uint32_t* clamped = nullptr);

}  // namespace lullwood::synth
