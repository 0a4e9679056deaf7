// Standard error sent to a temporary file while this object lives, readable at any
// moment: a test can wait for a line to come instead of for a length of time.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

namespace lullwood::testing {

class CapturedStderr {
 public:
  CapturedStderr() {
    std::fflush(stderr);
    file_ = std::tmpfile();
    saved_ = dup(STDERR_FILENO);
    if (file_ != nullptr) dup2(fileno(file_), STDERR_FILENO);
  }
  ~CapturedStderr() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      dup2(saved_, STDERR_FILENO);
      close(saved_);
    }
    if (file_ != nullptr) std::fclose(file_);
  }
  CapturedStderr(const CapturedStderr&) = delete;
  CapturedStderr& operator=(const CapturedStderr&) = delete;

  // All written so far. Reads at fixed offsets, leaving the writers' position alone.
  std::string text() const {
    std::fflush(stderr);
    std::string all;
    if (file_ == nullptr) return all;
    char chunk[4096];
    for (;;) {
      const ssize_t n = pread(fileno(file_), chunk, sizeof chunk, static_cast<off_t>(all.size()));
      if (n <= 0) break;
      all.append(chunk, static_cast<size_t>(n));
    }
    return all;
  }

 private:
  std::FILE* file_ = nullptr;
  int saved_ = -1;
};

}  // namespace lullwood::testing
