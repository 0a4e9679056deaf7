// Test bodies run in a forked child: for cases that change the whole process (its user,
// its limits) or that run beside the test as a second program.
#pragma once

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <functional>

namespace lullwood::testing {

// Starts `body` in a child process that exits with status 0 when it reported no failure
// and 1 when it did. The child is killed when the test process ends first (when ctest
// stops a test past its timeout, say), so a hung child never outlives its test.
inline pid_t StartChild(const std::function<void()>& body) {
  std::fflush(nullptr);
  const pid_t parent = getpid();
  const pid_t child = fork();
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(4);  // the test ended before the line above ran
    body();
    std::fflush(nullptr);
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  return child;
}

// Waits for the end of a child from StartChild, however long it takes (the test's timeout
// is the bound), and fails when it crashed or reported a failure.
inline void ExpectChildPassed(pid_t child) {
  ASSERT_GT(child, 0) << "fork failed";
  int status = 0;
  pid_t ended = 0;
  while ((ended = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
  }
  ASSERT_EQ(ended, child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child crashed with signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the child reported failures (above)";
}

// Runs `body` in a child process and waits for it.
inline void InChild(const std::function<void()>& body) {
  ExpectChildPassed(StartChild(body));
}

}  // namespace lullwood::testing
