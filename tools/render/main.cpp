// lullwood-render: a Scenario rendered to a WAV file, an events file and a re-saved
// Scenario, without a window or a sound card.
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "RenderOptions.h"
#include "RenderSession.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int) {
  stopRequested = 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace lullwood::render;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const ParsedArguments parsed = ParseRenderArguments(arguments);
  if (!parsed.options) {
    std::cerr << kMessagePrefix << parsed.error << "\n\n" << RenderUsage();
    return kExitUsage;
  }
  if (parsed.options->help || parsed.options->version) {
    std::cout << (parsed.options->help ? RenderUsage() : RenderVersion()) << std::flush;
    if (std::cout) return kExitOk;
    std::cerr << kMessagePrefix << "cannot write to standard output\n";
    return kExitFailed;
  }

  struct sigaction action {};
  action.sa_handler = RequestStop;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);

  const RenderEnvironment environment{std::cerr, STDERR_FILENO, &stopRequested};
  return RunRender(*parsed.options, environment);
}
