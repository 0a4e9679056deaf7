// The live output straight through libpulse, for PulseAudio and for PipeWire's
// PulseAudio server: the stream asks for its own buffer and its own request size, which
// SDL's output cannot, so the program and the server wake a few times a second instead
// of dozens.
#pragma once

#include <chrono>
#include <memory>

#include "SdlOutput.h"

namespace lullwood {

// What the stream asks of the server: the whole buffer from the program to the sink's
// output (the server keeps about half of it in the sink and a request's worth spare) and
// how much it is asked for at a time.
struct PulseBuffering {
  std::chrono::milliseconds target{330};
  std::chrono::milliseconds request{30};
};

// A backend that plays through the PulseAudio server the environment names (or the
// user's default one). `connectWait` bounds each attempt to reach the server.
std::unique_ptr<AudioOutputBackend> MakePulseBackend(
    PulseBuffering buffering = {},
    std::chrono::milliseconds connectWait = std::chrono::milliseconds(2000));

// Whether a PulseAudio server answers within `wait`. Any thread.
bool PulseServerAnswers(std::chrono::milliseconds wait);

// The backend the program plays through: libpulse when a server answers and the user
// has not chosen an SDL driver (SDL_AUDIODRIVER other than "pulseaudio"), else SDL.
std::unique_ptr<AudioOutputBackend> MakeLiveBackend();

}  // namespace lullwood
