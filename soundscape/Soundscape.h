// The soundscape's rules: the background layer, the random effect scheduler, the
// mixer controls, Mute and Play. Qt-free; it reaches the window, the timer and the
// settings store only through the ports of Ports.h. Every member: UI thread only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Ports.h"
#include "SoundBuffer.h"
#include "SoundCatalogue.h"
#include "SoundDevice.h"

namespace lullwood {

// A fire tick that asks the next tick to draw a new one; above every reachable tick count.
inline constexpr double kRescheduleMarker = 10000002.0;
// The tick count runs 1..kTickWrap and then starts again at 1.
inline constexpr double kTickWrap = 10000000.0;
inline constexpr int kSlotCount = 3;

inline constexpr std::string_view kTitle = "Lullwood v2.2";
inline constexpr std::string_view kTitlePrefix = "Lullwood v2.2 - ";
inline constexpr std::string_view kFourthBackgroundMessage =
    "* You can only have three background sounds active.  Disable another one first. ";
inline constexpr std::string_view kPlayFailedMessage =
    "*ERROR* DirectX Sound will not initialize.  Wave device may not be available.";
inline constexpr std::string_view kStartupDeviceMessage =
    "*ERROR* DirectX Sound will not initialize.  Wave device may not be available.  Try Again? ";
inline constexpr std::string_view kRegistryWriteMessage = "*ERROR* Could not write to registry.";

// The program's one pseudo-random generator: 15-bit values 0..32767.
class Random15 {
 public:
  void Seed(uint32_t seed) { state_ = seed; }
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }
  uint32_t state() const { return state_; }

 private:
  uint32_t state_ = 1;
};

struct BackgroundLayer {
  // Slot k (1..3) is element k - 1.
  std::array<std::unique_ptr<SoundBuffer>, kSlotCount> slot;
  // 0: the background holds no slot; 1..3: the slot holding its buffer.
  std::array<int, kBackgroundCount> slotNumber{};
};

struct RandomScheduler {
  double tickCount = 0;
  std::array<int32_t, kEffectTableSize> frequencyLevel{};
  std::array<double, kEffectTableSize> nextFireTick{};
  std::array<std::unique_ptr<SoundBuffer>, kEffectTableSize> effectBuffer;
  std::array<uint32_t, kEffectTableSize> baseFrequency{};
  int effectPanStep = 0;
  int backgroundPanStep = 0;
  bool autoHidePending = false;
  unsigned schedulerTimerId = 0;
  Random15 random;
};

struct MixerControls {
  int backgroundVolumeStep = 10;
  int randomVolumeStep = 10;
  bool dynamicRandom = false;
  std::unique_ptr<SoundBuffer> previewBuffer;
};

// The process-wide values that handlers and the timer callback share, with their
// start values. Owned by the application.
struct ProcessState {
  AudioDevice audioDevice;
  BackgroundLayer backgrounds;
  RandomScheduler scheduler;
  MixerControls mixer;
  bool autostartPending = false;
  std::string autostartScenarioPath;
};

// One firing that played a sound, as the buffer stood when playback was requested.
struct Firing {
  double tick;
  int effectIndex;
  int32_t pan;
  int32_t volume;      // hundredths of a decibel
  uint32_t frequency;  // Hz
};

// Volume of a master volume step (1..10): step * 250 - 2500 hundredths of a decibel.
constexpr int32_t StepToAttenuation(int step) {
  return step * 250 - 2500;
}

class Soundscape {
 public:
  Soundscape(ProcessState& state, Panel& panel, TimerPort& timer, AudioOutputFactory& outputs,
             SettingsStore& settings);

  // Background layer.
  void OnBackgroundClicked(int backgroundIndex);
  bool ToggleBackground(std::string_view resourceName, bool wantOn, int& slotNumber);
  void ReleaseAllSlots();

  // Random effect scheduler.
  void Tick();
  void FireEffect(int effectIndex);
  int DrawInterval(int level);
  void StartTimer(unsigned periodMs);
  void StopTimer();
  // Zeroes the level and fire-tick tables (start-up).
  void ResetTables();
  void SeedRandom(uint32_t seed);

  // Mixer controls. `controlId` is the control that sent the scroll notification.
  void OnMixerScroll(unsigned code, unsigned position, int controlId);
  void StepBackgroundVolume(int delta);
  void StepRandomVolume(int delta);
  void ApplyBackgroundVolume();
  void PreviewEffect(std::string_view resourceName);
  void OnDynamicRandom();
  void OnClearAll();

  // Mute and Play.
  bool ClaimDevice();
  void OnMute();
  void OnPlay();

  // Shutdown: unless muted, releases the background slots, the effect buffers and the
  // device, in that order.
  void ReleaseForShutdown();

  // A setting's text, or nothing when it is missing or cannot be read.
  std::optional<std::string> ReadSetting(std::string_view name);
  // Writes a setting; on failure shows "*ERROR* Could not write to registry.".
  void WriteSetting(std::string_view name, std::string_view text);

  // Called with every firing that played a sound.
  void SetFiringObserver(std::function<void(const Firing&)> observer);

  ProcessState& state() { return state_; }
  Panel& panel() { return panel_; }
  SettingsStore& settings() { return settings_; }

 private:
  void StepBackgroundPan();

  ProcessState& state_;
  Panel& panel_;
  TimerPort& timer_;
  AudioOutputFactory& outputs_;
  SettingsStore& settings_;
  std::function<void(const Firing&)> firingObserver_;
};

}  // namespace lullwood
