// The live output straight through libpulse, for PulseAudio and for PipeWire's
// PulseAudio server: the stream asks for its own buffer and its own request size, which
// SDL's output cannot, so the program and the server wake a few times a second instead
// of dozens.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string_view>

#include "SdlOutput.h"

namespace lullwood {

// What the stream asks of the server: the whole buffer from the program to the sink's
// output and how much it is asked for at a time.
struct PulseBuffering {
  std::chrono::milliseconds target{330};
  std::chrono::milliseconds request{30};
};

// The buffering for the server that calls itself `serverName`.
//
// PulseAudio keeps (target - 2 x request) / 2 in the sink and wakes once per sink
// latency: small requests give the sink the most (about 135 ms, so the stream and the
// server's threads run some 7 cycles a second), and a start reaches the sink's output
// within about 2 sink latencies.
//
// PipeWire's server runs its graph in quanta of at most 2048 frames (43 ms at 48 kHz)
// whatever the sink latency asked, and asks the program for a request's worth once that
// much has gone: there, larger requests make the program wake less (86 ms: every third
// quantum), provided the sink latency stays at least one whole quantum, else the graph
// itself runs faster.
PulseBuffering BufferingForServer(std::string_view serverName);

// A backend that plays through the PulseAudio server the environment names (or the
// user's default one), with `buffering` or else the one that suits the server found.
// `connectWait` bounds each attempt to reach the server.
std::unique_ptr<AudioOutputBackend> MakePulseBackend(
    std::optional<PulseBuffering> buffering = std::nullopt,
    std::chrono::milliseconds connectWait = std::chrono::milliseconds(2000));

// Whether a PulseAudio server answers within `wait`. Any thread.
bool PulseServerAnswers(std::chrono::milliseconds wait);

// The backend the program plays through: libpulse when a server answers and the user
// has not chosen an SDL driver (SDL_AUDIODRIVER other than "pulseaudio"), else SDL.
std::unique_ptr<AudioOutputBackend> MakeLiveBackend();

}  // namespace lullwood
