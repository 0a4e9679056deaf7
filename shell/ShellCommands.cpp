#include "ShellCommands.h"

#include <array>

#include "ControlIds.h"

namespace lullwood {

namespace {

constexpr std::array kScenarioEntries = {
    MenuEntry{"&Load...", ids::kLoadScenario},
    MenuEntry{"&Save...", ids::kSaveScenario},
    MenuEntry{{}, 0},
    MenuEntry{"E&xit", ids::kExitCommand},
    MenuEntry{{}, 0},
    MenuEntry{"&Mute", ids::kMute},
    MenuEntry{"&Play", ids::kPlay},
};

constexpr std::array kHelpEntries = {
    MenuEntry{"&About", ids::kAbout},
    MenuEntry{"&Using Lullwood...", ids::kUsingLullwood},
};

constexpr std::array kMainMenu = {
    MenuPopup{"&Scenario", kScenarioEntries},
    MenuPopup{"&Help", kHelpEntries},
};

}  // namespace

std::span<const MenuPopup> MainMenu() {
  return kMainMenu;
}

std::span<const MenuEntry> ScenarioMenuEntries() {
  return kMainMenu.front().entries;
}

bool RouteCommand(const ShellActions& actions, unsigned first, std::uintptr_t second) {
  if (first == ids::kAbout) actions.runAboutBox();
  if (first == ids::kExitCommand) actions.closeDown();
  if (first == ids::kLoadScenario) actions.openScenario();
  if (first == ids::kSaveScenario) actions.saveScenarioAs();
  if (first == ids::kUsingLullwood) actions.openHelp(kUsingLullwoodContext);
  if (first == 0) {
    if (second == tray::kContextClick) actions.showScenarioMenuAtCursor();
    if (second == tray::kDoubleClick) actions.showMainWindow();
    if (second == tray::kClick) actions.showMainWindow();
  }
  return actions.standardCommand(first, second);
}

void OnSystemCommand(const ShellActions& actions, unsigned command) {
  if (command == kSystemMinimize) {
    actions.hideMainWindow();
    return;
  }
  if (command == kSystemMaximize) return;
  if (command == static_cast<unsigned>(ids::kMute)) actions.mute();
  if (command == static_cast<unsigned>(ids::kPlay)) actions.play();
  if ((command & ~0xFu) == static_cast<unsigned>(ids::kAboutSystemCommand)) {
    actions.runAboutBox();
  } else {
    actions.defaultSystemCommand(command);
  }
}

}  // namespace lullwood
