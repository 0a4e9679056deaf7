#include "SleepTimer.h"

#include <array>

#include "OutputStage.h"

namespace lullwood {
namespace {

constexpr std::array kChoices = {
    SleepChoice{QT_TRANSLATE_NOOP("Lullwood", "&Off"), 0},
    SleepChoice{QT_TRANSLATE_NOOP("Lullwood", "15 minutes"), 15},
    SleepChoice{QT_TRANSLATE_NOOP("Lullwood", "30 minutes"), 30},
    SleepChoice{QT_TRANSLATE_NOOP("Lullwood", "45 minutes"), 45},
    SleepChoice{QT_TRANSLATE_NOOP("Lullwood", "1 hour"), 60},
    SleepChoice{QT_TRANSLATE_NOOP("Lullwood", "1\u00bd hours"), 90},
    SleepChoice{QT_TRANSLATE_NOOP("Lullwood", "2 hours"), 120},
};

}  // namespace

uint64_t SleepFadeFrames(uint64_t rate) {
  return static_cast<uint64_t>(kSleepFadeDuration.count()) * rate;
}

void StartSleepFade(OutputStage& stage, uint64_t rate) {
  stage.StartFade(SleepFadeFrames(rate));
}

std::span<const SleepChoice> SleepChoices() {
  return kChoices;
}

void SleepTimer::Choose(std::chrono::milliseconds duration) {
  if (duration <= std::chrono::milliseconds::zero()) {
    Cancel();
    return;
  }
  phase_ = Phase::kCounting;
  chosenMinutes_ = static_cast<int>(std::chrono::ceil<std::chrono::minutes>(duration).count());
  fadeAt_ = clock_.Now() + duration;
}

void SleepTimer::Cancel() {
  phase_ = Phase::kOff;
  chosenMinutes_ = 0;
}

SleepTimer::Step SleepTimer::Poll(bool fadeFinished) {
  const MonotonicClock::TimePoint now = clock_.Now();
  switch (phase_) {
    case Phase::kOff:
      return Step::kNothing;
    case Phase::kCounting:
      if (now < fadeAt_) return Step::kNothing;
      phase_ = Phase::kFading;
      return Step::kStartFade;
    case Phase::kFading:
      if (!fadeFinished && now < fadeAt_ + kSleepFadeDuration + kSleepFadeGrace)
        return Step::kNothing;
      Cancel();
      return Step::kStop;
  }
  return Step::kNothing;
}

std::optional<std::chrono::milliseconds> SleepTimer::Remaining() const {
  if (phase_ != Phase::kCounting) return std::nullopt;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(fadeAt_ - clock_.Now());
  return std::max(left, std::chrono::milliseconds::zero());
}

std::optional<long long> SleepTimer::RemainingMinutes() const {
  const std::optional<std::chrono::milliseconds> left = Remaining();
  if (!left) return std::nullopt;
  return std::max<long long>(1, std::chrono::ceil<std::chrono::minutes>(*left).count());
}

std::string SleepTimer::RemainingText() const {
  if (phase_ == Phase::kFading) return std::string(kFadingOutText);
  const std::optional<long long> minutes = RemainingMinutes();
  if (!minutes) return {};
  std::string text(kStopsInText);
  text.replace(text.find("%1"), 2, std::to_string(*minutes));
  return text;
}

}  // namespace lullwood
