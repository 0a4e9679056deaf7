#include "AudioClock.h"

#include <thread>

namespace lullwood {
namespace {

class SteadyClock final : public AudioClock {
 public:
  time_point Now() const override { return std::chrono::steady_clock::now(); }
  void SleepUntil(time_point until) const override { std::this_thread::sleep_until(until); }
  bool WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                 time_point until, const std::function<bool()>& done) const override {
    return wake.wait_until(lock, until, done);
  }
};

}  // namespace

const AudioClock& SteadyAudioClock() {
  static const SteadyClock clock;
  return clock;
}

}  // namespace lullwood
