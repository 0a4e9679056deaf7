// A PulseAudio server of the test's own: `pulseaudio -n` with a null sink at 48 kHz
// float and the native protocol on a socket in a folder of its own, its address put in
// PULSE_SERVER for this process. Stopped (and can be started again) by the test.
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
#include <string>
#include <thread>

#include "ShellOutput.h"

namespace lullwood::testing {

class PrivateSoundServer {
 public:
  // `folder`: an empty folder for the socket, the runtime files and the log.
  explicit PrivateSoundServer(std::string folder) : folder_(std::move(folder)) {
    socket_ = folder_ + "/pulse.socket";
    setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
  }
  ~PrivateSoundServer() { Stop(); }
  PrivateSoundServer(const PrivateSoundServer&) = delete;
  PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

  // Whether this machine has the server at all.
  static bool Installed() { return std::system("command -v pulseaudio >/dev/null 2>&1") == 0; }

  // Starts the server and waits until its socket answers; false if it does not.
  bool Start() {
    Stop();
    const std::string runtime = folder_ + "/run";
    mkdir(runtime.c_str(), 0700);
    pid_ = fork();
    if (pid_ == 0) {
      // The server ends with the test, however the test ends, and holds none of its
      // output: a test run waits for every holder of a test's output to close it.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      const int nowhere = open("/dev/null", O_RDWR);
      for (int fd : {0, 1, 2}) dup2(nowhere, fd);
      setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
      setenv("HOME", folder_.c_str(), 1);
      const std::string protocol = "module-native-protocol-unix auth-anonymous=1 socket=" + socket_;
      const std::string log = "--log-target=file:" + folder_ + "/pulse.log";
      execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
             "--disallow-exit", "--system=false", log.c_str(), "-L", protocol.c_str(), "-L",
             "module-null-sink sink_name=test rate=48000 format=float32le channels=2", nullptr);
      _exit(127);
    }
    if (pid_ < 0) return false;
    for (int i = 0; i < 200; ++i) {
      if (Answers()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
  }

  // Kills the server, as a crash would.
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
    unlink(socket_.c_str());
  }

  // Stops the server's process and lets it go on again: a server that holds its
  // connections and answers nothing meanwhile.
  void Freeze() {
    if (pid_ > 0) kill(pid_, SIGSTOP);
  }
  void Thaw() {
    if (pid_ > 0) kill(pid_, SIGCONT);
  }

  // Suspends the null sink or lets it run again, as `pactl suspend-sink` does: a stream
  // on it stays connected and is asked for nothing meanwhile.
  bool Suspend(bool suspended) const {
    return std::system(suspended ? "pactl suspend-sink test 1" : "pactl suspend-sink test 0") == 0;
  }

  // The server's log, for a start that failed.
  std::string Log() const { return ShellOutput("cat '" + folder_ + "/pulse.log' 2>&1"); }

  // What `pactl list sink-inputs` prints now.
  std::string SinkInputs() const { return ShellOutput("pactl list sink-inputs 2>&1"); }

 private:
  bool Answers() const { return std::system("pactl info >/dev/null 2>&1") == 0; }

  std::string folder_;
  std::string socket_;
  pid_t pid_ = 0;
};

}  // namespace lullwood::testing
