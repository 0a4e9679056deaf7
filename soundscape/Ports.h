// What the soundscape's rules need from the world outside them: the main window
// (Panel), its scheduler timer (TimerPort), the per-user settings store (SettingsStore)
// and the user-interface thread's priority (PriorityControl). The program implements
// them with Qt and the system; tests with fakes.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "SoundCatalogue.h"

namespace lullwood {

// The main window's value members, bound to its controls by ExchangeControlData.
struct DialogValues {
  std::string m_commandLineFile;
  std::array<int, kBackgroundCount> m_backgroundOn{};  // 1 ticked, 0 not, by background index
  int m_autoStart = 0;
  std::string m_scenarioFile;
  int m_boostPriority = 0;
  int m_autoHide = 0;
  int m_dynamicRandom = 0;
};

enum class ExchangeDirection { kToControls, kFromControls };
enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

class Panel {
 public:
  virtual ~Panel() = default;

  virtual DialogValues& Values() = 0;
  // Moves the bound values between Values() and the controls. Notifications the
  // controls raise while it runs reach no handler.
  virtual void ExchangeControlData(ExchangeDirection direction) = 0;

  // The application's message box (caption "lullwood", warning icon); returns the answer.
  virtual MessageAnswer ShowMessage(std::string_view text, MessageButtons buttons) = 0;
  virtual void SetTitle(std::string_view title) = 0;

  // The position (1..4) the slider of this effect shows now.
  virtual int SliderPosition(int effectIndex) = 0;
  // Moves a slider without the notification a move by the user sends.
  virtual void SetSliderPosition(int effectIndex, int position) = 0;
  // Move the master volume bars' thumbs (1..10), redrawn, without notifications.
  virtual void SetBackgroundVolumeBar(int position) = 0;
  virtual void SetRandomVolumeBar(int position) = 0;

  // Enables or disables the 31 effect sliders, the 23 background boxes and the 31
  // effect labels, and nothing else.
  virtual void EnableSoundControls(bool enabled) = 0;
  // Draws Play pressed and Mute released when playing, the other way round when muted.
  virtual void ShowPlayState(bool playing) = 0;

  // Hides the main window exactly as the Hide button does.
  virtual void HideWindow() = 0;
  virtual void FocusMainWindow() = 0;
};

// Timer 1 of the main window, whose callback is the scheduler's Tick.
class TimerPort {
 public:
  virtual ~TimerPort() = default;
  // Starts the timer with this period, replacing a running one; returns its id (non-zero).
  virtual unsigned Start(unsigned periodMs) = 0;
  virtual void Stop() = 0;
};

// The per-user settings store: a handful of named text values. The program keeps it in
// QSettings (QSettingsStore); tests use a fake.
// The names of the stored values.
namespace settings {
inline constexpr std::string_view kScenarioFile = "LWD";       // the automatic-startup Scenario
inline constexpr std::string_view kAutoStart = "AUTO";         // start with that Scenario
inline constexpr std::string_view kBoostPriority = "BOOST";    // raised CPU priority
inline constexpr std::string_view kAutoHide = "AUTOHIDE";      // hide at the first tick
inline constexpr std::string_view kDynamicRandom = "DYNAMIC";  // recorded, never read back
inline constexpr std::string_view kFullBand = "FULLBAND";      // play the full-band renditions
inline constexpr std::string_view kKeepAwake = "AWAKE";        // keep the computer awake
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

// Raises and lowers the priority of the calling (user-interface) thread.
class PriorityControl {
 public:
  virtual ~PriorityControl() = default;
  virtual void RaiseToHigh() = 0;
  virtual void LowerToNormal() = 0;
};

}  // namespace lullwood
