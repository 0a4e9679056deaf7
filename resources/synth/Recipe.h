// The contract between the sound generator and its recipes: a recipe fills the float
// signal of one sound; the generator renders it at the full band and makes both wave
// images of the sound from it (the catalogue's 8-bit one and the 16-bit full band).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace lullwood::synth {

struct SoundSpec {
  std::string_view resourceName;  // "SURF", "DOGBARK", ...
  uint32_t sampleRate;            // the rate rendered at: 44100, or the catalogue's
  int channels;                   // 1, or 2 for the one stereo background
  uint32_t frames;                // data bytes / channels
  bool loops;                     // backgrounds loop; effects play once
  // The catalogue's rate when the recipe renders wider (the full band, 44100 Hz), else 0.
  // Levels are set in the band the catalogue's wave keeps, so both renditions of a sound
  // are equally loud there and the full band only adds what lies above it.
  uint32_t originalRate = 0;
};

// The rate of the catalogue's wave of the sound `spec` renders.
inline uint32_t OriginalRate(const SoundSpec& spec) {
  return spec.originalRate != 0 ? spec.originalRate : spec.sampleRate;
}

// Fills `out` with spec.frames * spec.channels samples, interleaved, nominal range
// -1..1 (the generator scales by 127 around 128 and dithers). Must be deterministic:
// the same bytes on every build and machine.
using RecipeFunction = void (*)(const SoundSpec& spec, std::vector<float>& out);

struct NamedRecipe {
  std::string_view resourceName;
  RecipeFunction recipe;
};

// The 23 background recipes (backgrounds/) and the 31 effect recipes (effects/).
std::span<const NamedRecipe> BackgroundRecipes();
std::span<const NamedRecipe> EffectRecipes();

}  // namespace lullwood::synth
