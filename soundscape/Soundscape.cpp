// The facade's construction and its one door to the settings store. The rules themselves
// are in BackgroundLayer.cpp, RandomScheduler.cpp, MixerControls.cpp and MuteAndPlay.cpp.
#include "Soundscape.h"

namespace lullwood {

Soundscape::Soundscape(ProcessState& state, Panel& panel, TimerPort& timer,
                       AudioOutputFactory& outputs, SettingsStore& settings)
    : state_(state), panel_(panel), timer_(timer), outputs_(outputs), settings_(settings) {}

std::optional<std::string> Soundscape::ReadSetting(std::string_view name) {
  return settings_.Read(name);
}

void Soundscape::WriteSetting(std::string_view name, std::string_view text) {
  if (!settings_.Write(name, text)) panel_.ShowMessage(kRegistryWriteMessage, MessageButtons::kOk);
}

}  // namespace lullwood
