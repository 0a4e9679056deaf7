// The fixed tables of every sound the program plays and the controls that drive them.
// Nothing here changes at run time; every other part names a sound only by its
// background index (0..22) or its effect index (1..31).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace lullwood {

// Sample format of a wave image: samples per second / channels / bits per sample.
struct SoundFormat {
  uint32_t samplesPerSecond;
  uint16_t channels;
  uint16_t bitsPerSample;
};

struct BackgroundSound {
  int backgroundIndex;     // 0..22, the order of every iteration
  uint16_t checkBoxId;     // the automatic check box that switches it
  std::string_view label;  // the caption exactly as shown ("Waterfall " ends with a blank)
  std::string_view resourceName;
  std::string_view scenarioKey;  // "chk1".."chk23"
  int y;                         // top of the check box, dialog units (x is kBackgroundBoxX)
  SoundFormat format;
  uint32_t dataBytes;
};

struct RandomEffect {
  int effectIndex;  // 1..31, the index of every per-effect table
  std::string_view resourceName;
  uint16_t sliderId;
  int row;                       // 1..31 from the top of the "Random " group
  int y;                         // top of the slider and of its row's label, dialog units
  uint16_t labelId;              // the static text in the same row
  std::string_view label;        // that text exactly as shown ("Robin " ends with a blank)
  std::string_view scenarioKey;  // "R1".."R31"
  SoundFormat format;
  uint32_t dataBytes;
  bool pitchVaried;  // Dynamic Random plays it at a random pitch as well as a random volume
};

inline constexpr int kBackgroundCount = 23;
inline constexpr int kEffectCount = 31;
// Per-effect tables have this many entries; entry 0 belongs to no effect.
inline constexpr int kEffectTableSize = 32;
// Scenario files keep a level under this key for entry 0 too, always "0".
inline constexpr std::string_view kNoEffectScenarioKey = "R0";

// Positions of the catalogue's controls on the main window, in dialog units.
inline constexpr int kBackgroundBoxX = 116;
inline constexpr int kEffectLabelX = 222;
inline constexpr int kEffectSliderX = 282;
inline constexpr int kEffectSliderWidth = 148;
inline constexpr int kEffectSliderHeight = 10;

class SoundCatalogue {
 public:
  static std::span<const BackgroundSound, kBackgroundCount> Backgrounds();
  // Rows of effects 1..31 in effect-index order (element 0 is effect 1).
  static std::span<const RandomEffect, kEffectCount> Effects();

  // nullptr when the index is out of range.
  static const BackgroundSound* Background(int backgroundIndex);
  // nullptr for entry 0 and for indexes outside 1..31.
  static const RandomEffect* Effect(int effectIndex);

  // The row whose control has this id, or nullptr when no row has it.
  static const BackgroundSound* BackgroundByCheckBox(int controlId);
  static const RandomEffect* EffectBySlider(int controlId);
  // Effect whose slider stands in this row (1..31), or nullptr.
  static const RandomEffect* EffectInRow(int row);
};

}  // namespace lullwood
