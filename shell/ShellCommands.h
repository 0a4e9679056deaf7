// The main window's menus, its command filter and its system-command rules. Qt-free:
// the window supplies the actions, the rules only decide which of them run, in order.
// UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include "Translatable.h"

namespace lullwood {

// What the status-area icon reports, as RouteCommand(0, click): which click it was.
namespace tray {
inline constexpr std::uintptr_t kClick = 1;         // shows the window
inline constexpr std::uintptr_t kDoubleClick = 2;   // shows the window too
inline constexpr std::uintptr_t kContextClick = 3;  // opens the Scenario menu
inline constexpr std::uintptr_t kMiddleClick = 4;   // nothing of its own
}  // namespace tray

// System commands.
inline constexpr unsigned kSystemMinimize = 0xF020;
inline constexpr unsigned kSystemMaximize = 0xF030;
inline constexpr unsigned kSystemClose = 0xF060;
inline constexpr unsigned kSystemRestore = 0xF120;

// The status-area icon's tip; the trailing blank belongs to it.
inline constexpr std::string_view kTrayTip =
    QT_TRANSLATE_NOOP("Lullwood", "Quillor Lullwood (RTCLK=options) ");

inline constexpr int kUsingLullwoodContext = 3;
inline constexpr std::string_view kHelpFailedMessage =
    QT_TRANSLATE_NOOP("Lullwood", "Failed to launch help.");

// One entry of a menu; command id 0 is a separator.
struct MenuEntry {
  std::string_view text;
  int commandId;
};

struct MenuPopup {
  std::string_view title;
  std::span<const MenuEntry> entries;
};

// The menu bar: "&Scenario", then "&Help". Its first popup is also the right-click
// popup and the status-area icon's menu. Every entry is always enabled, never checked.
std::span<const MenuPopup> MainMenu();
std::span<const MenuEntry> ScenarioMenuEntries();

// What the rules may ask of the main window. Every member must be set.
struct ShellActions {
  std::function<void()> runAboutBox;  // modal; returns when the box is closed
  std::function<void()> closeDown;
  std::function<void()> openScenario;
  std::function<void()> saveScenarioAs;
  std::function<void(int context)> openHelp;
  std::function<void()> showScenarioMenuAtCursor;
  std::function<void()> showMainWindow;  // shown and brought to the front
  std::function<void()> hideMainWindow;
  std::function<void()> mute;
  std::function<void()> play;
  // The routing table of the window's controls; its result is RouteCommand's.
  std::function<bool(unsigned first, std::uintptr_t second)> standardCommand;
  // What the platform does with a system command nobody else takes.
  std::function<void(unsigned command)> defaultSystemCommand;
};

// Every command of the main window passes here first. `first` is the command id with
// the notification code in its high half (0 for menus and the status-area icon);
// `second` is the status-area icon's click (tray::) when `first` is 0. Each test is made on its
// own, and every command then goes on to the routing table, whose result is returned.
bool RouteCommand(const ShellActions& actions, unsigned first, std::uintptr_t second);

// Minimise hides, maximise does nothing, Mute and Play act and then fall through;
// About for ids 16..31; anything else to the default processing.
void OnSystemCommand(const ShellActions& actions, unsigned command);

}  // namespace lullwood
