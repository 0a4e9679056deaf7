// The per-user switches: start-up reads, the handlers of the Automatic Startup group and
// of Boost CPU Priority, and the automatic start-up load. Every function: UI thread only.
#pragma once

#include <string>

#include "Soundscape.h"
#include "Translatable.h"

namespace lullwood {

inline constexpr std::string_view kAutoStartNeedsFileMessage = QT_TRANSLATE_NOOP(
    "Lullwood",
    "*ERROR* You must select a previously saved scenario filename with which to autostart.");

// Reads LWD, AUTO, BOOST and AUTOHIDE, in this order; DYNAMIC is never read back.
void ReadStartupSettings(Soundscape& core, PriorityControl& priority);
// A command-line file replaces the stored one for this run and is loaded at the first paint.
void HandOverCommandLine(Soundscape& core);
// At the start of every paint: the pending start-up Scenario, once.
void LoadPendingScenario(Soundscape& core);

void OnAutoStart(Soundscape& core);
// The second half of Browse..., once the user has chosen `path` in the open dialog.
void OnScenarioChosen(Soundscape& core, const std::string& path);
void OnScenarioFileChange(Soundscape& core);
void OnBoostPriority(Soundscape& core, PriorityControl& priority);
void OnAutoHide(Soundscape& core);

// A stored switch is on only when its whole value is "Y" in either case.
bool IsSwitchOn(const std::optional<std::string>& value);

}  // namespace lullwood
