// Runs a test body with an ordinary user's rights, so that file permissions apply even
// when the suite runs as the superuser (as CI does).
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "ChildProcess.h"

namespace lullwood::testing {

inline constexpr uid_t kNobodyId = 65534;

// Runs `body` in a child process. Run by the superuser, the child first hands `folder`
// to the unprivileged user "nobody" and becomes that user; anyone else keeps their own
// rights. Fails when the child cannot drop its rights, crashes or reports a failure.
inline void AsOrdinaryUser(const std::string& folder, const std::function<void()>& body) {
  const bool superuser = geteuid() == 0;
  if (superuser) {
    ASSERT_EQ(chown(folder.c_str(), kNobodyId, kNobodyId), 0) << folder;
  }
  InChild([&] {
    const bool dropped = !superuser || (setgid(kNobodyId) == 0 && setuid(kNobodyId) == 0);
    if (!dropped) {
      std::fprintf(stderr, "could not become the ordinary user %u\n", kNobodyId);
      _exit(3);
    }
    body();
  });
}

}  // namespace lullwood::testing
