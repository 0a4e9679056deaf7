// The sleep timer: one night's choice of when the soundscape fades out and stops. It
// counts the monotonic clock, not the scheduler's ticks (which run a second plus their
// own work apart and stop while muted). Qt-free; the window polls it and carries out
// the steps it answers: start the output's fade, then Mute. Nothing of it is saved.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "LullwoodFigures.h"
#include "Translatable.h"

namespace lullwood {

// The clock the timer counts. The program uses SteadyClock; tests a fake.
class MonotonicClock {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;
  virtual ~MonotonicClock() = default;
  virtual TimePoint Now() const = 0;
};

class SteadyClock final : public MonotonicClock {
 public:
  TimePoint Now() const override { return std::chrono::steady_clock::now(); }
};

// How long the output takes to fade out once the time is up.
inline constexpr std::chrono::seconds kSleepFadeDuration{figures::kSleepFadeSeconds};
// A fade the output has not reported finished this long after its end (a stalled sound
// server, say) is stopped anyway.
inline constexpr std::chrono::seconds kSleepFadeGrace{5};

class OutputStage;

// The fade's length in frames of an output at `rate`.
uint64_t SleepFadeFrames(uint64_t rate);
// Starts the fade on an output at `rate`: the whole output evenly down to silence over
// kSleepFadeDuration, after which the timer stops the sound. The window and
// lullwood-render both fade through here.
void StartSleepFade(OutputStage& stage, uint64_t rate);

// One entry of the timer's menu; 0 minutes is Off.
struct SleepChoice {
  std::string_view text;
  int minutes;
};

// "&Off", then the times from 15 minutes to 2 hours, in menu order.
std::span<const SleepChoice> SleepChoices();
inline constexpr std::string_view kSuspendEntryText =
    QT_TRANSLATE_NOOP("Lullwood", "Suspend the computer when stopped");
// The status while counting (%1: the whole minutes left, rounded up) and while fading.
inline constexpr std::string_view kStopsInText = QT_TRANSLATE_NOOP("Lullwood", "Stops in %1 min");
inline constexpr std::string_view kFadingOutText = QT_TRANSLATE_NOOP("Lullwood", "Fading out");

class SleepTimer {
 public:
  enum class Phase { kOff, kCounting, kFading };
  // What the window must do after a Poll.
  enum class Step { kNothing, kStartFade, kStop };

  explicit SleepTimer(const MonotonicClock& clock) : clock_(clock) {}

  // Starts counting `duration` from now, replacing any count or fade; zero or less is
  // Off. The window cancels the output's fade when this ends one.
  void Choose(std::chrono::milliseconds duration);
  // Back to Off, whatever the phase.
  void Cancel();

  // Counting and the time is up: kStartFade, and the phase is Fading. Fading and the
  // output's fade has finished (or its end is kSleepFadeGrace past): kStop, and the
  // phase is Off. Otherwise kNothing.
  Step Poll(bool fadeFinished);

  Phase phase() const { return phase_; }
  bool running() const { return phase_ != Phase::kOff; }
  // The minutes of the running choice, 0 when Off.
  int chosenMinutes() const { return running() ? chosenMinutes_ : 0; }
  // Time left until the fade starts while counting; nothing otherwise.
  std::optional<std::chrono::milliseconds> Remaining() const;
  // The whole minutes left, rounded up and at least 1, while counting; nothing otherwise.
  std::optional<long long> RemainingMinutes() const;
  // kStopsInText with those minutes ("Stops in 42 min") while counting, kFadingOutText
  // while fading, empty when Off.
  std::string RemainingText() const;

 private:
  const MonotonicClock& clock_;
  Phase phase_ = Phase::kOff;
  int chosenMinutes_ = 0;
  MonotonicClock::TimePoint fadeAt_{};
};

}  // namespace lullwood
