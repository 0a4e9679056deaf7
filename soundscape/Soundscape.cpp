// Temporary skeleton: the rules are being written.
#include "Soundscape.h"

namespace lullwood {
Soundscape::Soundscape(ProcessState& state, Panel& panel, TimerPort& timer,
                       AudioOutputFactory& outputs, SettingsStore& settings)
    : state_(state), panel_(panel), timer_(timer), outputs_(outputs), settings_(settings) {}
void Soundscape::OnBackgroundClicked(int) {}
bool Soundscape::ToggleBackground(std::string_view, bool, int&) { return true; }
void Soundscape::ReleaseAllSlots() {}
void Soundscape::Tick() {}
void Soundscape::FireEffect(int) {}
int Soundscape::DrawInterval(int) { return 0; }
void Soundscape::StartTimer(unsigned periodMs) { state_.scheduler.schedulerTimerId = timer_.Start(periodMs); }
void Soundscape::StopTimer() { timer_.Stop(); state_.scheduler.schedulerTimerId = 0; }
void Soundscape::ResetTables() {}
void Soundscape::SeedRandom(uint32_t seed) { state_.scheduler.random.Seed(seed); }
void Soundscape::OnMixerScroll(unsigned, unsigned, int) {}
void Soundscape::StepBackgroundVolume(int) {}
void Soundscape::StepRandomVolume(int) {}
void Soundscape::ApplyBackgroundVolume() {}
void Soundscape::PreviewEffect(std::string_view) {}
void Soundscape::OnDynamicRandom() {}
void Soundscape::OnClearAll() {}
bool Soundscape::ClaimDevice() { return lullwood::ClaimDevice(state_.audioDevice, outputs_); }
void Soundscape::OnMute() {}
void Soundscape::OnPlay() {}
void Soundscape::ReleaseForShutdown() {}
void Soundscape::WriteSetting(std::string_view, std::string_view) {}
void Soundscape::SetFiringObserver(std::function<void(const Firing&)> observer) { firingObserver_ = std::move(observer); }
void Soundscape::StepBackgroundPan() {}
}  // namespace lullwood
