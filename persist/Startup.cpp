#include "Startup.h"

#include "Scenario.h"

namespace lullwood {
namespace {

void ReadControls(Soundscape& core) {
  core.panel().ExchangeControlData(ExchangeDirection::kFromControls);
}

}  // namespace

bool IsSwitchOn(const std::optional<std::string>& value) {
  return value && IsYes(*value);
}

void ReadStartupSettings(Soundscape& core, PriorityControl& priority) {
  DialogValues& values = core.panel().Values();
  ProcessState& state = core.state();
  if (auto lwd = core.ReadSetting(settings::kScenarioFile)) {
    values.m_scenarioFile = *lwd;
    state.autostartScenarioPath = *lwd;
  }
  if (IsSwitchOn(core.ReadSetting(settings::kAutoStart))) {
    values.m_autoStart = 1;
    state.autostartPending = true;
  }
  if (IsSwitchOn(core.ReadSetting(settings::kBoostPriority))) {
    values.m_boostPriority = 1;
    priority.RaiseToHigh();
  }
  if (IsSwitchOn(core.ReadSetting(settings::kAutoHide))) {
    values.m_autoHide = 1;
    state.scheduler.autoHidePending = true;
  }
  state.mixer.rendition = IsSwitchOn(core.ReadSetting(settings::kFullBand)) ? Rendition::kFullBand
                                                                            : Rendition::kOriginal;
}

void HandOverCommandLine(Soundscape& core) {
  const std::string& file = core.panel().Values().m_commandLineFile;
  if (file.empty()) return;
  core.state().autostartScenarioPath = file;
  core.state().autostartPending = true;
}

void LoadPendingScenario(Soundscape& core) {
  ProcessState& state = core.state();
  if (!state.autostartPending) return;
  // Cleared first, so a paint during the load does not start it again.
  state.autostartPending = false;
  LoadScenario(core, state.autostartScenarioPath);
}

void OnAutoStart(Soundscape& core) {
  ReadControls(core);
  DialogValues& values = core.panel().Values();
  if (!values.m_autoStart) {
    core.WriteSetting(settings::kAutoStart, YesNo(false));
  } else if (values.m_scenarioFile.empty()) {
    core.panel().ShowMessage(kAutoStartNeedsFileMessage, MessageButtons::kOk);
    values.m_autoStart = 0;
    core.panel().ExchangeControlData(ExchangeDirection::kToControls);
  } else {
    core.WriteSetting(settings::kAutoStart, YesNo(true));
  }
}

void OnScenarioChosen(Soundscape& core, const std::string& path) {
  core.panel().Values().m_scenarioFile = path;
  core.panel().ExchangeControlData(ExchangeDirection::kToControls);
  core.WriteSetting(settings::kScenarioFile, path);
}

void OnScenarioFileChange(Soundscape& core) {
  ReadControls(core);
  core.WriteSetting(settings::kScenarioFile, core.panel().Values().m_scenarioFile);
}

void OnBoostPriority(Soundscape& core, PriorityControl& priority) {
  ReadControls(core);
  if (core.panel().Values().m_boostPriority) {
    priority.RaiseToHigh();
    core.WriteSetting(settings::kBoostPriority, YesNo(true));
  } else {
    priority.LowerToNormal();
    core.WriteSetting(settings::kBoostPriority, YesNo(false));
  }
}

void OnAutoHide(Soundscape& core) {
  ReadControls(core);
  core.WriteSetting(settings::kAutoHide, YesNo(core.panel().Values().m_autoHide != 0));
}

}  // namespace lullwood
