// A PipeWire server of the test's own: pipewire with a null sink named "test" at 48 kHz,
// and wireplumber to link streams to it, under a session bus of their own, with their
// own runtime, configuration and state folders. The runtime folder is put in
// XDG_RUNTIME_DIR for this process, so the library finds this server. Stopped (and can
// be started again) by the test.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "ShellOutput.h"

#include "PrivateBus.h"

namespace lullwood::testing {

class PrivatePipeWire {
 public:
  // `folder`: an empty folder for the server's files and logs.
  explicit PrivatePipeWire(std::string folder) : folder_(std::move(folder)) {
    runtime_ = folder_ + "/run";
    mkdir(runtime_.c_str(), 0700);
    mkdir((folder_ + "/state").c_str(), 0700);
    const std::string config = folder_ + "/config/pipewire/pipewire.conf.d";
    std::system(("mkdir -p '" + config + "'").c_str());
    std::ofstream(config + "/test-sink.conf")
        << "context.objects = [\n"
           "  { factory = adapter\n"
           "    args = { factory.name = support.null-audio-sink node.name = test\n"
           "             media.class = Audio/Sink audio.position = [ FL FR ] audio.rate = 48000\n"
           "             monitor.channel-volumes = true object.linger = true } } ]\n";
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    unsetenv("PIPEWIRE_REMOTE");
  }
  ~PrivatePipeWire() { Stop(); }
  PrivatePipeWire(const PrivatePipeWire&) = delete;
  PrivatePipeWire& operator=(const PrivatePipeWire&) = delete;

  static bool Installed() {
    return std::system(
               "command -v pipewire >/dev/null 2>&1 && command -v wireplumber >/dev/null "
               "2>&1 && command -v pw-dump >/dev/null 2>&1 && command -v dbus-daemon "
               ">/dev/null 2>&1") == 0;
  }

  // Starts the server and its session manager and waits until the sink is there.
  bool Start() {
    Stop();
    if (!bus_) bus_ = std::make_unique<PrivateBus>();
    if (bus_->address().empty()) return false;
    pipewire_ = Spawn("pipewire", "pipewire.log");
    for (int i = 0; i < 100 && access((runtime_ + "/pipewire-0").c_str(), F_OK) != 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    wireplumber_ = Spawn("wireplumber", "wireplumber.log");
    for (int i = 0; i < 100; ++i) {
      if (Dump().find("\"node.name\": \"test\"") != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // Kills both processes, as a crash would.
  void Stop() {
    for (pid_t* pid : {&wireplumber_, &pipewire_}) {
      if (*pid <= 0) continue;
      kill(*pid, SIGKILL);
      waitpid(*pid, nullptr, 0);
      *pid = 0;
    }
    unlink((runtime_ + "/pipewire-0").c_str());
    unlink((runtime_ + "/pipewire-0.lock").c_str());
  }

  // What `pw-dump` prints now: every object of the server as JSON.
  std::string Dump() const { return ShellOutput("pw-dump 2>/dev/null"); }
  std::string Log() const {
    return ShellOutput("tail -n 20 '" + folder_ + "/pipewire.log' '" + folder_ +
                       "/wireplumber.log'");
  }

 private:
  pid_t Spawn(const char* program, const char* log) const {
    const pid_t pid = fork();
    if (pid == 0) {
      // The server ends with the test, however the test ends, and holds none of its
      // output: a test run waits for every holder of a test's output to close it.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      const int nowhere = open("/dev/null", O_RDWR);
      const int logFile = open((folder_ + "/" + log).c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
      dup2(nowhere, 0);
      dup2(logFile, 1);
      dup2(logFile, 2);
      setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
      setenv("XDG_STATE_HOME", (folder_ + "/state").c_str(), 1);
      setenv("HOME", folder_.c_str(), 1);
      execlp(program, program, nullptr);
      _exit(127);
    }
    return pid;
  }

  std::string folder_;
  std::string runtime_;
  std::unique_ptr<PrivateBus> bus_;
  pid_t pipewire_ = 0;
  pid_t wireplumber_ = 0;
};

}  // namespace lullwood::testing
