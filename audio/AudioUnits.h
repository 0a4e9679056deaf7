// The audio service's units and the figures every part of the audio engine shares.
#pragma once

#include <cstdint>

#include "LullwoodFigures.h"

namespace lullwood {

// Attenuation is counted in hundredths of a decibel (0 is full level); at and below
// this a sound is silent.
inline constexpr int32_t kSilence = -10000;

// The rate every output is opened at unless told otherwise (a live device may give its
// own), in frames per second.
inline constexpr int kDefaultOutputRate = figures::kDefaultOutputRate;

}  // namespace lullwood
