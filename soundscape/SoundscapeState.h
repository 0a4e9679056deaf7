// The process-wide values that the soundscape's handlers and the timer callback share,
// the numbers that define them, and the messages the rules show. Owned by the
// application and handed to Soundscape by reference. UI thread only.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "LullwoodVersion.h"
#include "SoundBuffer.h"
#include "SoundCatalogue.h"
#include "SoundDevice.h"
#include "Translatable.h"

namespace lullwood {

// ---------------------------------------------------------------- numbers

// A fire tick that asks the next tick to draw a new one; above every reachable tick count.
inline constexpr double kRescheduleMarker = 10000002.0;
// The tick count runs 1..kTickWrap and then starts again at 1.
inline constexpr double kTickWrap = 10000000.0;
inline constexpr int kSlotCount = 3;

// Periods of the scheduler timer: a tick a second, and a prompt first tick after a
// change (a slider, Play, start-up) so that the new setting is taken up at once.
inline constexpr unsigned kTickPeriodMs = 1000;
inline constexpr unsigned kPromptTickPeriodMs = 10;

// An effect's level, the position of its slider. kUnset is the tables' start value and
// behaves as kNever.
namespace level {
inline constexpr int kUnset = 0;
inline constexpr int kNever = 1;
inline constexpr int kRarely = 2;
inline constexpr int kOccasionally = 3;
inline constexpr int kFrequently = 4;
inline constexpr int kFirstSlider = kNever;  // the slider's range
inline constexpr int kLast = kFrequently;
}  // namespace level

// Steps of the two master volume bars.
inline constexpr int kMinVolumeStep = 1;
inline constexpr int kMaxVolumeStep = 10;
inline constexpr int kDefaultVolumeStep = 10;

// Volume of a master volume step: step * 250 - 2500 hundredths of a decibel.
constexpr int32_t StepToAttenuation(int step) {
  return step * 250 - 2500;
}

// ---------------------------------------------------------------- messages

inline constexpr std::string_view kTitle = kVersionedTitle;
inline constexpr std::string_view kTitlePrefix = kVersionedTitlePrefix;
inline constexpr std::string_view kFourthBackgroundMessage = QT_TRANSLATE_NOOP(
    "Lullwood", "* You can only have three background sounds active.  Disable another one first. ");
inline constexpr std::string_view kPlayFailedMessage = QT_TRANSLATE_NOOP(
    "Lullwood", "*ERROR* DirectX Sound will not initialize.  Wave device may not be available.");
inline constexpr std::string_view kStartupDeviceMessage = QT_TRANSLATE_NOOP(
    "Lullwood",
    "*ERROR* DirectX Sound will not initialize.  Wave device may not be available.  Try Again? ");
inline constexpr std::string_view kRegistryWriteMessage =
    QT_TRANSLATE_NOOP("Lullwood", "*ERROR* Could not write to registry.");

// ---------------------------------------------------------------- state

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
  int backgroundVolumeStep = kDefaultVolumeStep;
  int randomVolumeStep = kDefaultVolumeStep;
  bool dynamicRandom = false;
  std::unique_ptr<SoundBuffer> previewBuffer;
  // The rendition every buffer is made in and turned over to.
  Rendition rendition = Rendition::kOriginal;
};

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

}  // namespace lullwood
