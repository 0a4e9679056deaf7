// A session bus of the test's own: a dbus-daemon started for one test program and
// stopped at its end, its address put in DBUS_SESSION_BUS_ADDRESS for this process and
// the programs it starts. CI has no desktop session, so nothing else provides one.
#pragma once

#include <signal.h>
#include <stdlib.h>

#include <cstdio>
#include <string>

namespace lullwood::testing {

class PrivateBus {
 public:
  // Starts the daemon; address() is empty when it could not be started.
  PrivateBus() {
    std::FILE* out = popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
    if (out == nullptr) return;
    char line[512] = {};
    if (std::fgets(line, sizeof line, out) != nullptr) address_ = Trimmed(line);
    if (std::fgets(line, sizeof line, out) != nullptr) pid_ = std::atoi(line);
    pclose(out);
    if (pid_ <= 0) address_.clear();
    if (!address_.empty()) setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
  }
  ~PrivateBus() {
    if (pid_ > 0) kill(pid_, SIGTERM);
  }
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  const std::string& address() const { return address_; }

 private:
  static std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
  }

  std::string address_;
  int pid_ = 0;
};

}  // namespace lullwood::testing
