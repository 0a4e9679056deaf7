// Scenario files: the whole soundscape saved to and loaded from one private-profile
// section. Every function: UI thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "PrivateProfile.h"
#include "Soundscape.h"
#include "Translatable.h"

namespace lullwood {

inline constexpr std::string_view kScenarioSection = "Backgrounds";
inline constexpr std::string_view kScenarioExtension = "lwd";
inline constexpr std::string_view kSaveFailedMessage =
    QT_TRANSLATE_NOOP("Lullwood", "*ERROR* Could not save the scenario file.");

// Writes the Scenario's keys into `file`, in the order of a save.
void WriteScenario(const ProcessState& state, const DialogValues& values, PrivateProfileFile& file);

// Saves the current Scenario to path, keeping every other byte of an existing file, in one
// atomic replacement. On success the title shows the path; on failure the user is told
// and the old file and the title stay as they were. Returns whether it was saved.
bool SaveScenarioAs(Soundscape& core, const std::string& path);

// Replaces the whole soundscape with the one in the file at path (absolute, relative to
// the current folder, or empty). Never fails as a whole: what cannot be read takes its
// default.
void LoadScenario(Soundscape& core, const std::string& path);

// Loads the first of the dropped files; the others are ignored.
void AcceptDroppedFiles(Soundscape& core, const std::vector<std::string>& paths);

// The decimal value of a Scenario text: optional leading blanks, optional sign, digits;
// no digit gives 0.
int ScenarioNumber(std::string_view text);

}  // namespace lullwood
