// The soundscape's rules: the background layer (BackgroundLayer.cpp), the random effect
// scheduler (RandomScheduler.cpp), the mixer controls (MixerControls.cpp), Mute and Play
// (MuteAndPlay.cpp). Qt-free; it reaches the window, the timer and the settings store
// only through their ports. Every member: UI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

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

  // Mute and Play.
  bool ClaimDevice();
  // Shutdown: unless muted, releases the background slots, the effect buffers and the
  // device, in that order.
  void ReleaseForShutdown();

  // The settings store. A setting's text, or nothing when it is missing or cannot be read.
  std::optional<std::string> ReadSetting(std::string_view name);
  // Writes a setting; on failure shows "*ERROR* Could not write to registry.".
  void WriteSetting(std::string_view name, std::string_view text);

  ProcessState& state() { return state_; }
  Panel& panel() { return panel_; }

 private:
  void StepBackgroundPan();

  ProcessState& state_;
  Panel& panel_;
  TimerPort& timer_;
  AudioOutputFactory& outputs_;
  SettingsStore& settings_;
  std::function<void(const Firing&)> firingObserver_;
  std::function<void()> takeOverObserver_;
};

}  // namespace lullwood
