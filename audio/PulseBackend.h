// The live output straight through libpulse, for PulseAudio and for PipeWire's
// PulseAudio server: the stream asks for its own buffer and its own request size, which
// SDL's output cannot, so the program and the server wake a few times a second instead
// of dozens.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string_view>

#include "OutputBackend.h"
#include "OutputBuffering.h"

namespace lullwood {

// A backend that plays through the PulseAudio server the environment names (or the
// user's default one), with `buffering` or else the one that suits the server found.
// `connectWait` bounds each attempt to reach the server.
std::unique_ptr<AudioOutputBackend> MakePulseBackend(
    std::optional<OutputBuffering> buffering = std::nullopt,
    std::chrono::milliseconds connectWait = std::chrono::milliseconds(2000));

// Whether a PulseAudio server answers within `wait`. Any thread.
bool PulseServerAnswers(std::chrono::milliseconds wait);

// A backend connected to the server the environment names, or nothing when none answers
// within `wait`: the connection made to see whether a server answers is the one the
// output then uses.
std::unique_ptr<AudioOutputBackend> ConnectedPulseBackend(std::chrono::milliseconds wait);

}  // namespace lullwood
