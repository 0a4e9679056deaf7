// The time a live output goes by: when the mixer was last asked for samples and how long
// it has gone unasked, how long the output's watchdog sleeps between looks, and how long
// a claim or a release waits. The program's is the steady clock; a test puts a clock of
// its own in its place, one that moves only when the test moves it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace lullwood {

class AudioClock {
 public:
  using time_point = std::chrono::steady_clock::time_point;

  virtual ~AudioClock() = default;
  // Any thread.
  virtual time_point Now() const = 0;
  // Returns once the clock has reached `until`.
  virtual void SleepUntil(time_point until) const = 0;
  // Waits on `wake`, holding `lock` (locked on entry) whenever it looks, until `done`
  // returns true or the clock reaches `until`, as condition_variable::wait_until does.
  // Returns what `done` last returned.
  virtual bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                         time_point until, const std::function<bool()>& done) const = 0;
};

// std::chrono::steady_clock behind the interface above. One for the process; any thread.
const AudioClock& SteadyAudioClock();

}  // namespace lullwood
