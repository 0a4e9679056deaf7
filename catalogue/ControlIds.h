// Ids of the main window's controls and commands that are not rows of the catalogue.
#pragma once

namespace lullwood::ids {

inline constexpr int kBackgroundVolumeBar = 1001;
inline constexpr int kRandomVolumeBar = 1003;
inline constexpr int kPlay = 1007;
inline constexpr int kEnable = 1011;
inline constexpr int kMute = 1051;
inline constexpr int kClearAll = 1056;
inline constexpr int kScenarioFile = 1057;
inline constexpr int kBrowse = 1058;
inline constexpr int kExit = 1059;
inline constexpr int kBackgroundGroup = 1060;
inline constexpr int kBoostPriority = 1085;
inline constexpr int kHide = 1088;
inline constexpr int kAutoHide = 1090;
inline constexpr int kDynamicRandom = 1104;

// Menu commands.
inline constexpr int kAboutSystemCommand = 16;
inline constexpr int kLoadScenario = 32771;
inline constexpr int kSaveScenario = 32772;
inline constexpr int kAbout = 32773;
inline constexpr int kExitCommand = 32775;
inline constexpr int kUsingLullwood = 32776;

// The scheduler's window timer.
inline constexpr unsigned kSchedulerTimer = 1;

}  // namespace lullwood::ids
