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

void Soundscape::ShowScenarioTitle(const std::string& path) {
  panel_.SetTitle(std::string(kTitlePrefix) + path);
  scenarioPath_ = path;
  Tell(Change::kScenario);
}

void Soundscape::ShowBareTitle() {
  panel_.SetTitle(kTitle);
  scenarioPath_.reset();
  Tell(Change::kScenario);
}

Subscription Soundscape::Subscribe(std::function<void(Change)> listener) {
  const int id = ++listeners_->lastId;
  listeners_->listeners.emplace_back(id, std::move(listener));
  return Subscription(listeners_, id);
}

void Soundscape::Tell(Change change) {
  // A listener may end its own subscription, or another's, while it is told.
  const auto listeners = listeners_->listeners;
  for (const auto& [id, listener] : listeners) listener(change);
}

Subscription& Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    End();
    listeners_ = std::move(other.listeners_);
    id_ = other.id_;
    other.listeners_.reset();
  }
  return *this;
}

void Subscription::End() {
  if (const std::shared_ptr<ChangeListeners> listeners = listeners_.lock()) {
    std::erase_if(listeners->listeners, [this](const auto& entry) { return entry.first == id_; });
  }
  listeners_.reset();
}

}  // namespace lullwood
