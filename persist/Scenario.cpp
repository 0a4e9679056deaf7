#include "Scenario.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace lullwood {
namespace {

// Characters each key keeps when read: one letter or digit, two for the volume steps.
constexpr std::size_t kOneCharacter = 2;
constexpr std::size_t kTwoCharacters = 3;

// The keys beside the background and level keys of the catalogue.
constexpr std::string_view kBackgroundVolumeKey = "V1";
constexpr std::string_view kRandomVolumeKey = "V2";
constexpr std::string_view kDynamicRandomKey = "DYNAMIC";

}  // namespace

int ScenarioNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  long value = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
    value = std::min(value * 10 + (text[at] - '0'), 1000000L);
  }
  return static_cast<int>(negative ? -value : value);
}

void WriteScenario(const ProcessState& state, const DialogValues& values,
                   PrivateProfileFile& file) {
  for (const BackgroundSound& row : SoundCatalogue::Backgrounds()) {
    file.WriteString(kScenarioSection, row.scenarioKey,
                     YesNo(values.m_backgroundOn[row.backgroundIndex] != 0));
  }
  // Entry 0 belongs to no effect: its key is kept in the file, always as "0".
  file.WriteString(kScenarioSection, kNoEffectScenarioKey, "0");
  for (const RandomEffect& row : SoundCatalogue::Effects()) {
    file.WriteString(kScenarioSection, row.scenarioKey,
                     std::to_string(state.scheduler.frequencyLevel[row.effectIndex]));
  }
  file.WriteString(kScenarioSection, kBackgroundVolumeKey,
                   std::to_string(state.mixer.backgroundVolumeStep));
  file.WriteString(kScenarioSection, kRandomVolumeKey,
                   std::to_string(state.mixer.randomVolumeStep));
  file.WriteString(kScenarioSection, kDynamicRandomKey, YesNo(values.m_dynamicRandom != 0));
}

bool SaveScenarioAs(Soundscape& core, const std::string& path) {
  PrivateProfileFile file = PrivateProfileFile::Load(path);
  WriteScenario(core.state(), core.panel().Values(), file);
  std::string reason;
  if (!file.Save(path, &reason)) {
    // The box's text is fixed; the reason goes to standard error for whoever looks.
    std::fprintf(stderr, "lullwood: the scenario was not saved to \"%s\": %s\n", path.c_str(),
                 reason.c_str());
    core.panel().ShowMessage(kSaveFailedMessage, MessageButtons::kOk);
    return false;
  }
  core.ShowScenarioTitle(path);
  return true;
}

void LoadScenario(Soundscape& core, const std::string& path) {
  // The file is read once; every key below is looked up in what was read.
  const PrivateProfileFile file = PrivateProfileFile::Load(path);
  auto read = [&](std::string_view key, std::string_view fallback, std::size_t capacity) {
    return file.GetString(kScenarioSection, key, fallback, capacity);
  };
  ProcessState& state = core.state();
  Panel& panel = core.panel();
  DialogValues& values = panel.Values();

  values.m_backgroundOn.fill(0);
  panel.ExchangeControlData(ExchangeDirection::kToControls);
  core.OnPlay();
  core.ReleaseAllSlots();
  core.OnClearAll();

  for (const BackgroundSound& row : SoundCatalogue::Backgrounds()) {
    values.m_backgroundOn[row.backgroundIndex] = IsYes(read(row.scenarioKey, "N", kOneCharacter));
    panel.ExchangeControlData(ExchangeDirection::kToControls);
    core.OnBackgroundClicked(row.backgroundIndex);
  }

  // Levels outside unset..Frequently would leave a slider showing what the effect does not
  // do. "R0" is not read: entry 0 has no slider and no sound, so it stays unset and idle.
  for (const RandomEffect& row : SoundCatalogue::Effects()) {
    const int n = row.effectIndex;
    const int level = std::clamp(ScenarioNumber(read(row.scenarioKey, "0", kOneCharacter)),
                                 level::kUnset, level::kLast);
    state.scheduler.frequencyLevel[n] = level;
    if (level > level::kNever) {
      state.scheduler.nextFireTick[n] = kRescheduleMarker;
      panel.SetSliderPosition(n, level);
    }
  }

  // Volume steps are kept within the bars' range.
  const std::string defaultStep = std::to_string(kDefaultVolumeStep);
  state.mixer.backgroundVolumeStep =
      std::clamp(ScenarioNumber(read(kBackgroundVolumeKey, defaultStep, kTwoCharacters)),
                 kMinVolumeStep, kMaxVolumeStep);
  panel.SetBackgroundVolumeBar(state.mixer.backgroundVolumeStep);
  core.ApplyBackgroundVolume();
  state.mixer.randomVolumeStep =
      std::clamp(ScenarioNumber(read(kRandomVolumeKey, defaultStep, kTwoCharacters)),
                 kMinVolumeStep, kMaxVolumeStep);
  panel.SetRandomVolumeBar(state.mixer.randomVolumeStep);

  core.ShowScenarioTitle(path);

  const bool dynamic = IsYes(read(kDynamicRandomKey, YesNo(false), kOneCharacter));
  values.m_dynamicRandom = dynamic ? 1 : 0;
  state.mixer.dynamicRandom = dynamic;
  panel.ExchangeControlData(ExchangeDirection::kToControls);
}

void AcceptDroppedFiles(Soundscape& core, const std::vector<std::string>& paths) {
  if (paths.empty() || paths.front().empty()) return;
  LoadScenario(core, paths.front());
}

}  // namespace lullwood
