#include "RenderOptions.h"

#include <limits>

#include "LullwoodVersion.h"

namespace lullwood::render {
namespace {

enum class Option { kSeconds, kSeed, kRate, kOut, kEvents, kResave, kSleep };

struct OptionName {
  std::string_view name;
  Option option;
};

constexpr OptionName kOptions[] = {
    {"--seconds", Option::kSeconds}, {"--seed", Option::kSeed},     {"--rate", Option::kRate},
    {"--out", Option::kOut},         {"--events", Option::kEvents}, {"--resave", Option::kResave},
    {"--sleep", Option::kSleep},
};

ParsedArguments Refuse(std::string error) {
  return {std::nullopt, std::move(error)};
}

}  // namespace

std::optional<uint64_t> ParseDecimal(std::string_view text, uint64_t max) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (value > (max - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::optional<double> ParseDecimalFraction(std::string_view text) {
  if (text.empty() || text.size() > 32) return std::nullopt;
  double whole = 0;
  double scale = 1;
  bool point = false;
  bool digit = false;
  for (char c : text) {
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    digit = true;
    if (point) scale /= 10;
    whole = point ? whole + (c - '0') * scale : whole * 10 + (c - '0');
  }
  if (!digit) return std::nullopt;
  return whole;
}

namespace {

// Takes `value` for `option` into `options`; the reason when it is not one the option
// takes.
std::optional<std::string> TakeValue(Option option, const std::string& value,
                                     RenderOptions& options) {
  switch (option) {
    case Option::kSeconds: {
      const std::optional<uint64_t> seconds = ParseDecimal(value, kMaxSeconds);
      if (!seconds || *seconds == 0) {
        return std::string("--seconds must be a whole number from 1 to " +
                           std::to_string(kMaxSeconds) + ", not \"" + value + "\"");
      }
      options.seconds = *seconds;
      break;
    }
    case Option::kSeed: {
      const std::optional<uint64_t> seed =
          ParseDecimal(value, std::numeric_limits<uint32_t>::max());
      if (!seed) {
        return std::string("--seed must be a whole number from 0 to 4294967295, not \"" + value +
                           "\"");
      }
      options.seed = static_cast<uint32_t>(*seed);
      break;
    }
    case Option::kRate: {
      const std::optional<uint64_t> rate = ParseDecimal(value, kMaxRateHz);
      if (!rate || *rate < kMinRateHz) {
        return std::string("--rate must be a whole number of Hz from " +
                           std::to_string(kMinRateHz) + " to " + std::to_string(kMaxRateHz) +
                           ", not \"" + value + "\"");
      }
      options.rateHz = static_cast<int>(*rate);
      break;
    }
    case Option::kOut:
      options.outPath = value;
      break;
    case Option::kEvents:
      options.eventsPath = value;
      break;
    case Option::kResave:
      options.resavePath = value;
      break;
    case Option::kSleep: {
      const std::optional<double> minutes = ParseDecimalFraction(value);
      if (!minutes || !(*minutes > 0) || *minutes > kMaxSleepMinutes) {
        return "--sleep must be a number of minutes above 0 and at most " +
               std::to_string(figures::kRenderMaxSleepMinutes) + " (a day), not \"" + value + "\"";
      }
      options.sleepMinutes = *minutes;
      break;
    }
  }
  return std::nullopt;
}

}  // namespace

ParsedArguments ParseRenderArguments(std::span<const std::string> arguments) {
  RenderOptions options;
  bool seen[std::size(kOptions)] = {};
  bool scenarioSeen = false;
  bool optionsEnded = false;

  for (size_t at = 0; at < arguments.size(); ++at) {
    const std::string& argument = arguments[at];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && (argument == "--help" || argument == "-h")) {
      options.help = true;
      return {options, {}};
    }
    if (!optionsEnded && argument == "--version") {
      options.version = true;
      return {options, {}};
    }
    if (!optionsEnded && argument == "--full-band") {
      if (options.fullBand) return Refuse("--full-band given twice");
      options.fullBand = true;
      continue;
    }
    if (!optionsEnded && argument.starts_with("--full-band=")) {
      return Refuse("--full-band takes no value");
    }
    if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      const size_t equals = argument.find('=');
      const std::string_view name = std::string_view(argument).substr(0, equals);
      const OptionName* found = nullptr;
      for (const OptionName& candidate : kOptions) {
        if (candidate.name == name) found = &candidate;
      }
      if (!found) return Refuse("unknown option \"" + std::string(name) + "\"");
      bool& given = seen[found - kOptions];
      if (given) return Refuse(std::string(name) + " given twice");
      given = true;

      std::string value;
      if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
      } else if (at + 1 < arguments.size()) {
        value = arguments[++at];
      } else {
        return Refuse(std::string(name) + " needs a value");
      }
      if (value.empty()) return Refuse(std::string(name) + " needs a value");

      if (std::optional<std::string> error = TakeValue(found->option, value, options)) {
        return Refuse(std::move(*error));
      }
      continue;
    }
    if (scenarioSeen) return Refuse("more than one Scenario file given (\"" + argument + "\")");
    scenarioSeen = true;
    options.scenarioPath = argument;
  }

  if (!scenarioSeen || options.scenarioPath.empty()) return Refuse("no Scenario file given");
  if (!seen[0]) return Refuse("--seconds is required");
  return {options, {}};
}

std::string RenderUsage() {
  const std::string n = std::to_string(kMaxSeconds);
  const std::string rates = std::to_string(kMinRateHz) + " to " + std::to_string(kMaxRateHz);
  const std::string fade = std::to_string(figures::kSleepFadeSeconds);
  return "usage: lullwood-render SCENARIO.lwd --seconds N [--seed S] [--rate HZ]\n"
         "                       [--out FILE.wav] [--events FILE.tsv] [--resave FILE.lwd]\n"
         "                       [--sleep MINUTES] [--full-band]\n"
         "       lullwood-render --help | --version\n"
         "\n"
         "Loads the Scenario as the window does at start-up and plays it for N seconds,\n"
         "one scheduler tick a second, the first at time 0. Only the files asked for are\n"
         "written, each in one step, so none is ever left half-written.\n"
         "\n"
         "  --seconds N      seconds to render, 1 to " +
         n +
         " (required)\n"
         "  --seed S         seed of the random generator, 0 to 4294967295\n"
         "                   (default: the clock, told on standard error)\n"
         "  --rate HZ        sample rate of the WAV in Hz, " +
         rates + " (default " + std::to_string(kDefaultRateHz) +
         ")\n"
         "  --out FILE       the whole mix as a 16-bit PCM stereo WAV\n"
         "  --events FILE    every firing that played a sound, tab-separated\n"
         "  --resave FILE    the loaded Scenario, written as a Save from the window would\n"
         "  --sleep MINUTES  the sleep timer: after MINUTES (a fraction allowed, at most a\n"
         "                   day) of output the sound fades out over " +
         fade +
         " s, then stops as\n"
         "                   Mute does; silence and no firings follow\n"
         "  --full-band      play the full-bandwidth sounds (44.1 kHz, 16-bit) instead of\n"
         "                   the original ones (11 kHz, 8-bit), as the Sound menu does\n"
         "  --help, -h       print this text and exit\n"
         "  --version        print the version and exit\n"
         "\n"
         "Exit status: 0 done, 1 the render failed, 2 bad arguments, 130 interrupted.\n";
}

std::string RenderVersion() {
  return "lullwood-render " + std::string(kVersion) + "\n";
}

}  // namespace lullwood::render
