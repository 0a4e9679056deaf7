// ShellActions that record, in order, which actions the rules asked for.
#pragma once

#include <string>
#include <vector>

#include "ShellCommands.h"

namespace lullwood::testing {

struct RecordingActions {
  std::vector<std::string> calls;
  bool standardResult = true;

  // "standard:first,second" for the routing table, "default:n" for the platform.
  ShellActions Actions() {
    auto record = [this](std::string name) { return [this, name] { calls.push_back(name); }; };
    return ShellActions{
        .runAboutBox = record("about"),
        .closeDown = record("closeDown"),
        .openScenario = record("openScenario"),
        .saveScenarioAs = record("saveScenarioAs"),
        .openHelp = [this](int context) { calls.push_back("help:" + std::to_string(context)); },
        .showScenarioMenuAtCursor = record("scenarioMenu"),
        .showMainWindow = record("show"),
        .hideMainWindow = record("hide"),
        .mute = record("mute"),
        .play = record("play"),
        .standardCommand =
            [this](unsigned first, std::uintptr_t second) {
              calls.push_back(Standard(first, second));
              return standardResult;
            },
        .defaultSystemCommand =
            [this](unsigned command) { calls.push_back("default:" + std::to_string(command)); },
    };
  }

  static std::string Standard(unsigned first, std::uintptr_t second = 0) {
    return "standard:" + std::to_string(first) + "," + std::to_string(second);
  }
};

}  // namespace lullwood::testing
