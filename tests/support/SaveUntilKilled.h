// A save interrupted by kill -9 at a random moment, for tests that the file on disk is
// always either the old bytes or the new ones, whole.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace lullwood::testing {

// Forks a child that calls save(0), save(1), ... until it is killed with SIGKILL, a
// random moment of up to maxDelayMicros after its first save returned. A child that
// could not save, or stopped by itself, fails the test.
template <typename Random>
void SaveUntilKilled(const std::function<bool(unsigned)>& save, Random& random,
                     int maxDelayMicros) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(ready[0]);
    for (unsigned i = 0;; ++i) {
      if (!save(i)) _exit(3);
      if (i == 0) {
        [[maybe_unused]] const ssize_t sent = write(ready[1], "!", 1);
        close(ready[1]);
      }
    }
  }
  close(ready[1]);
  char byte = 0;
  const ssize_t got = read(ready[0], &byte, 1);
  close(ready[0]);
  ASSERT_EQ(got, 1) << "the saving child failed before its first save";
  std::this_thread::sleep_for(std::chrono::microseconds(random() % maxDelayMicros));
  kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself: a save failed";
}

}  // namespace lullwood::testing
