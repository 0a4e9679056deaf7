// What a shell command prints on its standard output, for tests that read a sound
// server's state through its own tools (pactl, pw-dump).
#pragma once

#include <cstdio>
#include <string>

namespace lullwood::testing {

inline std::string ShellOutput(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

}  // namespace lullwood::testing
