// The command line of lullwood-render.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "AudioUnits.h"
#include "LullwoodFigures.h"

namespace lullwood::render {

inline constexpr int kDefaultRateHz = kDefaultOutputRate;
inline constexpr int kMinRateHz = figures::kRenderMinRate;
inline constexpr int kMaxRateHz = figures::kRenderMaxRate;
// Longer renders are refused rather than left to overflow a count.
inline constexpr uint64_t kMaxSeconds = figures::kRenderMaxSeconds;
// The sleep timer's longest start, in minutes: one day.
inline constexpr double kMaxSleepMinutes = figures::kRenderMaxSleepMinutes;

struct RenderOptions {
  std::string scenarioPath;
  uint64_t seconds = 0;
  std::optional<uint32_t> seed;  // none: the clock
  int rateHz = kDefaultRateHz;
  // Empty when not asked for.
  std::string outPath;
  std::string eventsPath;
  std::string resavePath;
  // Minutes of output after which the sleep fade starts; none: no fade.
  std::optional<double> sleepMinutes;
  // --full-band: every sound in its full-bandwidth rendition, as the window's Sound menu
  // chooses; without it the original sounds.
  bool fullBand = false;
  bool help = false;     // --help or -h: print the usage and stop
  bool version = false;  // --version: print the version and stop
};

// Either options, or the reason the arguments were refused.
struct ParsedArguments {
  std::optional<RenderOptions> options;
  std::string error;
};

// Parses the arguments after the program name. Options take their value as the next
// argument or after "=" ("--seconds 60", "--seconds=60"); numbers are plain decimal
// digits; "--" ends the options. "--help" or "--version" alone is enough (the first of
// them wins, and nothing after it is looked at); otherwise the Scenario and --seconds are
// required.
ParsedArguments ParseRenderArguments(std::span<const std::string> arguments);

// Strictly decimal digits, no sign or blanks, at most `max`.
std::optional<uint64_t> ParseDecimal(std::string_view text, uint64_t max);

// Decimal digits with at most one point among or before them ("0.5", ".5", "90"); no
// sign, exponent or blanks. Nothing when the text is not such a number.
std::optional<double> ParseDecimalFraction(std::string_view text);

// The usage text: the synopsis, every option with its unit and default, the exit statuses.
std::string RenderUsage();

// "lullwood-render VERSION", one line.
std::string RenderVersion();

}  // namespace lullwood::render
