// The per-user settings store: a handful of named text values. The program keeps it in
// QSettings (QSettingsStore); tests use a fake. Qt-free.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lullwood {

// The names of the stored values.
namespace settings {
inline constexpr std::string_view kScenarioFile = "LWD";       // the automatic-startup Scenario
inline constexpr std::string_view kAutoStart = "AUTO";         // start with that Scenario
inline constexpr std::string_view kBoostPriority = "BOOST";    // raised CPU priority
inline constexpr std::string_view kAutoHide = "AUTOHIDE";      // hide at the first tick
inline constexpr std::string_view kDynamicRandom = "DYNAMIC";  // recorded, never read back
}  // namespace settings

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The value's text, or nothing when it is missing or cannot be read.
  virtual std::optional<std::string> Read(std::string_view name) = 0;
  // false when the value could not be written.
  virtual bool Write(std::string_view name, std::string_view text) = 0;
};

// On/off switches are stored as one letter, in the settings store and in Scenario files
// alike, and read as on only when the whole text is "Y" in either case.
constexpr std::string_view YesNo(bool on) {
  return on ? "Y" : "N";
}
constexpr bool IsYes(std::string_view text) {
  return text == "Y" || text == "y";
}

}  // namespace lullwood
