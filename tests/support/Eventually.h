// Waiting, in a test of a live output, until what the server does has shown up: looks
// every 5 ms and gives up after `limit`, which only stops a hang.
#pragma once

#include <chrono>
#include <thread>

namespace lullwood::testing {

template <class Condition>
bool Eventually(Condition condition,
                std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
  const auto giveUp = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace lullwood::testing
