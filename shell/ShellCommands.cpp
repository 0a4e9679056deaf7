#include "ShellCommands.h"

#include <array>

#include "ControlIds.h"
#include "Translatable.h"

namespace lullwood {

namespace {

constexpr std::array kScenarioEntries = {
    MenuEntry{QT_TRANSLATE_NOOP("Lullwood", "&Load..."), ids::kLoadScenario},
    MenuEntry{QT_TRANSLATE_NOOP("Lullwood", "&Save..."), ids::kSaveScenario},
    MenuEntry{{}, 0},
    MenuEntry{QT_TRANSLATE_NOOP("Lullwood", "E&xit"), ids::kExitCommand},
    MenuEntry{{}, 0},
    MenuEntry{QT_TRANSLATE_NOOP("Lullwood", "&Mute"), ids::kMute},
    MenuEntry{QT_TRANSLATE_NOOP("Lullwood", "&Play"), ids::kPlay},
};

constexpr std::array kHelpEntries = {
    MenuEntry{QT_TRANSLATE_NOOP("Lullwood", "&About"), ids::kAbout},
    MenuEntry{QT_TRANSLATE_NOOP("Lullwood", "&Using Lullwood..."), ids::kUsingLullwood},
};

constexpr std::array kMainMenu = {
    MenuPopup{QT_TRANSLATE_NOOP("Lullwood", "&Scenario"), kScenarioEntries},
    MenuPopup{QT_TRANSLATE_NOOP("Lullwood", "&Help"), kHelpEntries},
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
