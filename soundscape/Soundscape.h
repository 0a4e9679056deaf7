// The soundscape's rules: the background layer (BackgroundLayer.cpp), the random effect
// scheduler (RandomScheduler.cpp), the mixer controls (MixerControls.cpp), Mute and Play
// (MuteAndPlay.cpp). Qt-free; it reaches the window, the timer and the settings store
// only through their ports. Every member: UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Ports.h"
#include "SoundscapeState.h"

namespace lullwood {

// Scroll notification codes of OnMixerScroll.
enum ScrollCode : unsigned {
  kLineLeft = 0,
  kLineRight = 1,
  kPageLeft = 2,
  kPageRight = 3,
  kThumbPosition = 4,
  kThumbTrack = 5,
  kToLeftEnd = 6,
  kToRightEnd = 7,
  kEndScroll = 8,
};

// What those who show the soundscape outside the window (the desktop's media controls)
// are told has changed: playing or muted, and the Scenario the title names.
enum class Change { kPlayState, kScenario };

// The listeners of one soundscape, shared with their subscriptions so that either may
// go first.
struct ChangeListeners {
  std::vector<std::pair<int, std::function<void(Change)>>> listeners;
  int lastId = 0;
};

// A listener of the soundscape's changes, called until this is destroyed, moved from or
// ended, or the soundscape goes. UI thread only.
class Subscription {
 public:
  Subscription() = default;
  Subscription(std::weak_ptr<ChangeListeners> listeners, int id)
      : listeners_(std::move(listeners)), id_(id) {}
  Subscription(Subscription&& other) noexcept { *this = std::move(other); }
  Subscription& operator=(Subscription&& other) noexcept;
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { End(); }
  void End();

 private:
  std::weak_ptr<ChangeListeners> listeners_;
  int id_ = 0;
};

class Soundscape {
 public:
  Soundscape(ProcessState& state, Panel& panel, TimerPort& timer, AudioOutputFactory& outputs,
             SettingsStore& settings);

  // ------------------------------------------------------------ the window's handlers
  // What the main window's routing table and timer call, one per control or message.

  void OnBackgroundClicked(int backgroundIndex);
  // The scheduler timer's callback.
  void Tick();
  // `controlId` is the control that sent the scroll notification.
  void OnMixerScroll(unsigned code, unsigned position, int controlId);
  void OnDynamicRandom();
  void OnClearAll();
  void OnMute();
  void OnPlay();

  // ------------------------------------------------------------ steps for other rooms
  // What start-up, shutdown, Scenario loads and the settings handlers call.

  // Background layer.
  bool ToggleBackground(std::string_view resourceName, bool wantOn, int& slotNumber);
  void ReleaseAllSlots();

  // Random effect scheduler.
  void FireEffect(int effectIndex);
  int DrawInterval(int level);
  void StartTimer(unsigned periodMs);
  void StopTimer();
  // Zeroes the level and fire-tick tables (start-up).
  void ResetTables();
  void SeedRandom(uint32_t seed);
  // Tells the output how long until the next effect can fire: through a silence it rests
  // unless a firing is near.
  void AnnounceNextFiring();
  // Called with every firing that played a sound.
  void SetFiringObserver(std::function<void(const Firing&)> observer);
  // Called first thing in OnMute, OnPlay (which every Scenario load calls) and
  // OnClearAll, whether or not they then change anything: the user has taken over the
  // sound, and whatever was going to stop it on its own (the sleep timer) gives way.
  void SetTakeOverObserver(std::function<void()> observer) {
    takeOverObserver_ = std::move(observer);
  }

  // Mixer controls.
  void StepBackgroundVolume(int delta);
  void StepRandomVolume(int delta);
  void ApplyBackgroundVolume();
  void PreviewEffect(std::string_view resourceName);
  // The user's choice of rendition: stored (FULLBAND, "Y" for the full band; a failed
  // write is reported) and taken up at once. Backgrounds go on in it from where they
  // are; an effect sounding now finishes as it is, and every later firing and preview
  // plays it. Muted, only the choice is kept, for the next Play.
  void ChooseRendition(Rendition rendition);

  // Mute and Play.
  bool ClaimDevice();
  // Shutdown: unless muted, releases the background slots, the effect buffers and the
  // device, in that order.
  void ReleaseForShutdown();

  // The settings store. A setting's text, or nothing when it is missing or cannot be read.
  std::optional<std::string> ReadSetting(std::string_view name);
  // Writes a setting; on failure shows "*ERROR* Could not write to registry.".
  void WriteSetting(std::string_view name, std::string_view text);

  // The window's title and the Scenario it names: "Lullwood v2.2 - `path`" once a
  // Scenario is loaded or saved; the bare title (and no Scenario) after Clear all.
  void ShowScenarioTitle(const std::string& path);
  void ShowBareTitle();
  // The Scenario the title names: the path last loaded or saved; nothing after Clear all
  // and before the first load or save.
  const std::optional<std::string>& scenarioPath() const { return scenarioPath_; }

  // Calls `listener` with every change from now on, until the subscription ends.
  [[nodiscard]] Subscription Subscribe(std::function<void(Change)> listener);

  ProcessState& state() { return state_; }
  Panel& panel() { return panel_; }

 private:
  void StepBackgroundPan();
  void Tell(Change change);

  ProcessState& state_;
  Panel& panel_;
  TimerPort& timer_;
  AudioOutputFactory& outputs_;
  SettingsStore& settings_;
  std::function<void(const Firing&)> firingObserver_;
  std::function<void()> takeOverObserver_;
  std::optional<std::string> scenarioPath_;
  const std::shared_ptr<ChangeListeners> listeners_ = std::make_shared<ChangeListeners>();
};

}  // namespace lullwood
