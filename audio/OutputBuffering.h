// How much the live output buffers, on each of its paths, in one place: the target and
// the request size the libpulse stream asks of the server, which suit each server
// differently; SDL's callback size; and the target buffer SDL's PulseAudio output is
// given through the environment.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

namespace lullwood {

struct OutputBuffering {
  // libpulse's stream: the whole buffer from the program to the sink's output, and how
  // much it is asked for at a time.
  std::chrono::milliseconds target{330};
  std::chrono::milliseconds request{30};
  // SDL: frames a callback fills, 85 ms at 48 kHz. SDL's PipeWire output asks for a node
  // latency of one callback, so the graph can run about 12 cycles a second instead of
  // hundreds. Its PulseAudio output asks for a target buffer of one callback too, which
  // `sdlPulseTargetMs` raises, since a larger callback would make every sound wait
  // longer in the program before it is written.
  uint16_t sdlCallbackFrames = 4096;
  // The target buffer SDL's PulseAudio output is given, in milliseconds, through
  // PULSE_LATENCY_MSEC: with 250 ms the server runs its sink at tens of milliseconds
  // instead of a few, and a sound started at any moment still reaches the sink within
  // about 250 ms.
  std::string_view sdlPulseTargetMs = "250";
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
OutputBuffering BufferingForServer(std::string_view serverName);

}  // namespace lullwood
