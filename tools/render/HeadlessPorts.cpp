#include "HeadlessPorts.h"

namespace lullwood::render {

HeadlessPanel::HeadlessPanel(std::ostream& messages, std::string prefix)
    : messages_(messages), prefix_(std::move(prefix)) {
  sliders_.fill(1);
}

void HeadlessPanel::ExchangeControlData(ExchangeDirection direction) {
  if (direction == ExchangeDirection::kToControls) {
    controls_ = values_;
  } else {
    values_ = controls_;
  }
}

MessageAnswer HeadlessPanel::ShowMessage(std::string_view text, MessageButtons buttons) {
  ++messageCount_;
  messages_ << prefix_ << text << '\n';
  messages_.flush();
  return buttons == MessageButtons::kOk ? MessageAnswer::kOk : MessageAnswer::kNo;
}

int HeadlessPanel::SliderPosition(int effectIndex) {
  if (effectIndex < 0 || effectIndex >= kEffectTableSize) return 1;
  return sliders_[effectIndex];
}

void HeadlessPanel::SetSliderPosition(int effectIndex, int position) {
  if (effectIndex < 0 || effectIndex >= kEffectTableSize) return;
  sliders_[effectIndex] = position;
}

unsigned RecordingTimer::Start(unsigned periodMs) {
  running_ = true;
  periodMs_ = periodMs;
  return 1;
}

std::optional<std::string> MemorySettings::Read(std::string_view name) {
  const auto found = values_.find(name);
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

bool MemorySettings::Write(std::string_view name, std::string_view text) {
  values_[std::string(name)] = std::string(text);
  return true;
}

}  // namespace lullwood::render
