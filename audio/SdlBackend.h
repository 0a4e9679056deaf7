// The live output's backend through SDL2's audio, for systems without a PulseAudio or
// PipeWire server, or when the user names an SDL driver. The only part of the program
// that sees SDL.
#pragma once

#include <memory>

#include "OutputBackend.h"

namespace lullwood {

std::unique_ptr<AudioOutputBackend> MakeSdlBackend();

}  // namespace lullwood
