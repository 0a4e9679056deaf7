// A monotonic clock that stands still until the test moves it, for the sleep timer and
// whatever else counts time through MonotonicClock.
#pragma once

#include <chrono>

#include "SleepTimer.h"

namespace lullwood::testing {

class FakeClock : public MonotonicClock {
 public:
  TimePoint Now() const override { return now; }
  // Far from the clock's zero, as a real steady clock is after an uptime.
  TimePoint now{std::chrono::hours(1000)};
};

}  // namespace lullwood::testing
