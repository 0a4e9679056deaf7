// One run of lullwood-render: load a Scenario as the window does at start-up, tick the
// scheduler once a second of output time and write what was asked for.
#pragma once

#include <csignal>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "RenderOptions.h"
#include "Soundscape.h"

namespace lullwood::render {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

inline constexpr std::string_view kMessagePrefix = "lullwood-render: ";
inline constexpr std::string_view kEventsHeader =
    "tick\teffect\tresource\tpan\tvolume\tfrequency\n";

// One line of the events file, ending in a line feed.
std::string FormatFiring(const Firing& firing);

// Why the Scenario at path cannot be loaded, or nothing when it can: it must be an
// existing, readable regular file.
std::optional<std::string> ScenarioReadError(const std::string& path);

// Where the progress bar goes; it is drawn only when `fd` is a terminal and the render
// has run for more than a second.
struct RenderEnvironment {
  std::ostream& messages;
  int progressFd = -1;
  // Checked between seconds of output; when it becomes non-zero the run stops and
  // leaves no output behind.
  const volatile std::sig_atomic_t* stopRequested = nullptr;
};

// Runs the whole render; returns the exit status. Every failure is told on
// `environment.messages`, and no output file is left half-written.
int RunRender(const RenderOptions& options, const RenderEnvironment& environment);

}  // namespace lullwood::render
