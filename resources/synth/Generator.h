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

// The full-band rendition's rate: every sound also exists at 44100 Hz and 16 bits, with
// the same duration, from the same recipe.
inline constexpr uint32_t kFullBandRate = 44100;

// The spec of `original`'s sound at the full band: kFullBandRate, as many more frames, and
// the catalogue's rate kept as the band its levels are set in.
SoundSpec FullBandSpec(const SoundSpec& original);

// Both renditions of one sound, as wave images: the catalogue's 8-bit wave and the
// full band's 16-bit one, with `flac` the full band's samples as a FLAC stream when asked
// for, and the samples clamped in either.
struct Renditions {
  std::vector<uint8_t> original;
  std::vector<uint8_t> fullBand;
  std::vector<uint8_t> flac;
  uint32_t clamped = 0;
};

// Runs the recipe once, at the full band, and makes both renditions from that one signal:
// the full band's true peak is held, then the catalogue's wave is that same signal
// decimated to its rate (through OriginalBandFilter), its own true peak held and dithered
// to 8 bits. So the two are one sound: the same envelope, and below 5 kHz the same
// spectrum but for the 8-bit floor. Returns nothing and fills `error` when the recipe
// gives the wrong length or a non-finite sample, when the catalogue's rate does not divide
// kFullBandRate, or (with `encodeFlac`) when the encoder fails.
std::optional<Renditions> RenderRenditions(const SoundJob& job, std::string& error,
                                           bool encodeFlac);

// The catalogue's 8-bit wave alone (from RenderRenditions).
std::optional<std::vector<uint8_t>> RenderImage(const SoundJob& job, std::string& error,
                                                uint32_t* clamped = nullptr);

}  // namespace lullwood::synth
