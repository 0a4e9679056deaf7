// The live output straight through libpipewire, for PipeWire desktops: the stream is a
// node of the server's graph, filled on the graph's own thread once per cycle at its
// largest quantum, so no protocol server (pipewire-pulse) stands between the program
// and the graph and wakes for it.
#pragma once

#include <chrono>
#include <memory>

#include "OutputBackend.h"

namespace lullwood {

// A backend that plays through the PipeWire server the environment names (PIPEWIRE_REMOTE,
// or the user's default one). `connectWait` bounds each attempt to reach the server.
std::unique_ptr<AudioOutputBackend> MakePipeWireBackend(
    std::chrono::milliseconds connectWait = std::chrono::milliseconds(2000));

// Whether a PipeWire server answers within `wait`. Any thread.
bool PipeWireServerAnswers(std::chrono::milliseconds wait);

// The quantum the stream asks the graph for: the largest a stock configuration allows
// (default.clock.max-quantum), about 43 ms at 48 kHz. Any more is cut to it.
inline constexpr int kPipeWireQuantumFrames = 2048;

}  // namespace lullwood
