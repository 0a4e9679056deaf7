// A clock for the live output that stands still until the test moves it: the mixer's
// stall detection, the watchdog's looks and retries and the waits of a claim and a
// release then happen at the times the test chooses, however long the machine takes.
//
// A thread that sleeps on it is woken once the test has moved the time to the end of
// its sleep (or, waiting on a condition variable, when notified). The test learns that
// a thread has gone to sleep, and until when, from NextWake: the watchdog has then
// finished the look it was woken for.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>

#include "AudioClock.h"

namespace lullwood::testing {

class ManualClock final : public AudioClock {
 public:
  time_point Now() const override { return time_point(duration(now_.load())); }

  // Moves the time on by `step`, waking every sleeper whose end it reaches.
  void Advance(std::chrono::nanoseconds step) { MoveTo(Now() + step); }
  // Moves the time on to `when`; a time already past leaves it where it is.
  void AdvanceTo(time_point when) { MoveTo(when); }

  // While set, every sleep on the clock ends at once, the clock moved to its end: for a
  // test whose thread is the only one to sleep on it, in a call that waits out its time.
  void SetSleepsPassAtOnce(bool atOnce) { sleepsPassAtOnce_ = atOnce; }

  // Waits, for as long as `limit` of real time at most, until a thread sleeps on the clock
  // until a time still to come, and returns the earliest such time; nothing if none does.
  std::optional<time_point> NextWake(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    std::unique_lock guard(lock_);
    std::optional<time_point> next;
    changed_.wait_for(guard, limit, [&] {
      const auto ahead = sleepers_.upper_bound(Now());
      if (ahead == sleepers_.end()) return false;
      next = *ahead;
      return true;
    });
    return next;
  }

  void SleepUntil(time_point until) const override {
    if (sleepsPassAtOnce_) {
      MoveTo(until);
      return;
    }
    std::unique_lock guard(lock_);
    const auto entry = sleepers_.insert(until);
    changed_.notify_all();
    changed_.wait(guard, [&] { return Now() >= until; });
    sleepers_.erase(entry);
    changed_.notify_all();
  }

  // The caller's condition variable is notified by the code under test, not by this
  // clock: a waiter looks at the time again every millisecond as well, so a move of the
  // time that falls between its look and its wait is not missed.
  bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                 time_point until, const std::function<bool()>& done) const override {
    if (sleepsPassAtOnce_) {
      if (done()) return true;
      MoveTo(until);
      return done();
    }
    if (done()) return true;
    std::multiset<time_point>::iterator entry;
    {
      std::lock_guard guard(lock_);
      entry = sleepers_.insert(until);
      changed_.notify_all();
    }
    bool result = false;
    while (!result && Now() < until) {
      wake.wait_for(lock, std::chrono::milliseconds(1));
      result = done();
    }
    std::lock_guard guard(lock_);
    sleepers_.erase(entry);
    changed_.notify_all();
    return result;
  }

 private:
  using duration = std::chrono::steady_clock::duration;

  void MoveTo(time_point when) const {
    std::lock_guard guard(lock_);
    if (when.time_since_epoch().count() > now_.load()) now_ = when.time_since_epoch().count();
    changed_.notify_all();
  }

  // An hour past the steady clock's epoch at first: no time before it is ever asked for.
  mutable std::atomic<duration::rep> now_{
      std::chrono::duration_cast<duration>(std::chrono::hours(1)).count()};
  std::atomic<bool> sleepsPassAtOnce_{false};
  mutable std::mutex lock_;
  mutable std::condition_variable changed_;
  // The ends of the sleeps under way.
  mutable std::multiset<time_point> sleepers_;
};

}  // namespace lullwood::testing
