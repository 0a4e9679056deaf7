// lullwood-output-latency: how long after a sound is started it reaches the sound
// server's sink, through the program's own live output (the same SDL device, buffer
// size and mixer the window uses).
//
//   lullwood-output-latency [--rested] MONITOR [TRIALS [RECORD_MS]]
//
// With --rested, each tone is started on an output resting through a silence (no start
// expected), as a slider's preview or a ticked box wakes it after a quiet spell.
// MONITOR is the sink's monitor source (for a null sink named "night": night.monitor).
// Each trial waits a random time, so that the start falls anywhere in the output's
// cycle, starts a loud tone on the mixer and times the moment its first sample came out
// of the sink. The monitor is recorded with parec asking for RECORD_MS of latency
// (default 250): a small figure would make the server run the sink at a small latency
// too, and measure a shorter delay than the program has alone. Data then comes in
// fragments; every read after the tone's first sample bounds when it came out (no later
// than the read's arrival less the frames that followed it), and the tightest bound is
// taken. The figures err long. The output should be the only stream on the sink.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "LiveOutput.h"
#include "Mixer.h"
#include "SoundDevice.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = lullwood::kDefaultOutputRate;
constexpr size_t kChunkFrames = 96;  // 2 ms read from the monitor at a time
constexpr float kHeard = 0.05f;

// The monitor, read on its own thread: the time the first loud sample came out after
// the latest Arm, and whether it is quiet again.
class Monitor {
 public:
  Monitor(const std::string& source, int latencyMs) {
    int fds[2];
    if (pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const std::string rate = "--rate=" + std::to_string(kRate);
    const std::string latency = "--latency-msec=" + std::to_string(latencyMs);
    const char* args[] = {"parec",        "--raw",        "--format=float32le",
                          "--channels=1", rate.c_str(),   latency.c_str(),
                          "-d",           source.c_str(), nullptr};
    const int failed =
        posix_spawnp(&parec_, "parec", &actions, nullptr, const_cast<char* const*>(args), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (failed != 0) {
      close(fds[0]);
      parec_ = 0;
      return;
    }
    pipe_ = fdopen(fds[0], "r");
    thread_ = std::thread([this] { Read(); });
  }
  ~Monitor() {
    if (pipe_ == nullptr) return;
    quit_ = true;
    kill(parec_, SIGTERM);
    thread_.join();
    fclose(pipe_);
    waitpid(parec_, nullptr, 0);
  }
  bool ok() const { return pipe_ != nullptr; }

  void Arm() {
    std::lock_guard guard(lock_);
    heardAt_.reset();
    arrivedAt_.reset();
    toneFrame_.reset();
    done_ = false;
    armed_ = true;
  }
  // Once the bound is settled, 400 reads after the tone began.
  std::optional<Clock::time_point> HeardAt() {
    std::lock_guard guard(lock_);
    if (!done_) return std::nullopt;
    return heardAt_;
  }
  // When the read holding the tone's first sample arrived: a bound that holds even when
  // the server rewinds the sink (a stream that starts playing makes it render again what
  // it had rendered ahead, and the monitor then carries more frames than time passed),
  // which the tighter bound above does not survive; it errs long by up to a fragment.
  std::optional<Clock::time_point> ArrivedAt() {
    std::lock_guard guard(lock_);
    if (!done_) return std::nullopt;
    return arrivedAt_;
  }
  bool Quiet() { return quietChunks_ > 25; }

 private:
  void Read() {
    std::vector<float> chunk(kChunkFrames);
    uint64_t frames = 0;  // read so far
    while (!quit_) {
      const size_t got = fread(chunk.data(), sizeof(float), chunk.size(), pipe_);
      const auto arrived = Clock::now();
      if (got == 0) break;
      size_t first = got;
      for (size_t i = 0; i < got; ++i)
        if (std::fabs(chunk[i]) > kHeard) {
          first = i;
          break;
        }
      quietChunks_ = first == got ? quietChunks_ + 1 : 0;
      frames += got;
      std::lock_guard guard(lock_);
      if (armed_ && first < got) {
        toneFrame_ = frames - got + first;
        arrivedAt_ = arrived;
        armed_ = false;
        reads_ = 0;
      }
      // Every read after the tone's first sample bounds when that sample came out: no
      // later than its arrival less the frames that followed it. Data read in large
      // fragments arrives late for its first frames; the tightest bound is kept.
      if (toneFrame_ && reads_ < 400) {
        const auto bound =
            arrived - std::chrono::microseconds((frames - *toneFrame_) * 1000000 / kRate);
        if (!heardAt_ || bound < *heardAt_) heardAt_ = bound;
        if (++reads_ == 400) done_ = true;
      }
    }
  }

  pid_t parec_ = 0;
  FILE* pipe_ = nullptr;
  std::thread thread_;
  std::atomic<bool> quit_{false};
  std::atomic<int> quietChunks_{0};
  std::mutex lock_;
  bool armed_ = false;
  bool done_ = false;
  int reads_ = 0;
  std::optional<uint64_t> toneFrame_;
  std::optional<Clock::time_point> heardAt_;
  std::optional<Clock::time_point> arrivedAt_;
};

}  // namespace

int main(int argc, char** argv) {
  const bool rested = argc >= 2 && std::string(argv[1]) == "--rested";
  if (rested) {
    --argc;
    ++argv;
  }
  if (argc < 2 || argc > 4) {
    std::fprintf(stderr,
                 "usage: lullwood-output-latency [--rested] MONITOR [TRIALS [RECORD_MS]]\n");
    return 2;
  }
  const int trials = argc >= 3 ? std::atoi(argv[2]) : 20;
  const int recordMs = argc >= 4 ? std::atoi(argv[3]) : 250;
  if (trials < 1 || recordMs < 1) {
    std::fprintf(stderr,
                 "lullwood-output-latency: TRIALS and RECORD_MS must be positive numbers\n");
    return 2;
  }
  Monitor monitor(argv[1], recordMs);
  if (!monitor.ok()) {
    std::fprintf(stderr, "lullwood-output-latency: cannot run parec\n");
    return 1;
  }
  lullwood::LiveOutputFactory outputs;
  std::unique_ptr<lullwood::SoundDevice> device = outputs.OpenDefaultOutput();
  if (!device) {
    std::fprintf(stderr, "lullwood-output-latency: no audio output\n");
    return 1;
  }
  lullwood::Mixer& mixer = device->mixer();
  // A fifth of a second of a 1 kHz square wave at half scale.
  std::vector<float> tone(kRate / 5);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = (i / 24) % 2 == 0 ? 0.5f : -0.5f;
  const auto voice = mixer.AddVoice({tone.data(), static_cast<uint32_t>(tone.size()), 1}, kRate);

  std::mt19937 random(12);
  std::uniform_int_distribution<int> pause(300, 1300);
  std::vector<double> delays, arrivals;
  // Rested: no firing expected, so the output rests once the tone has been quiet a while.
  if (rested) mixer.ExpectStartIn(Clock::duration::max());
  int restedTrials = 0;
  // Let the stream settle first.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  for (int trial = 0; trial < trials; ++trial) {
    std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
    for (int i = 0; i < 200 && !monitor.Quiet(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (rested) {
      for (int i = 0; i < 500 && !mixer.Resting(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (mixer.Resting()) ++restedTrials;
    }
    monitor.Arm();
    const auto started = Clock::now();
    mixer.Play(voice, false);
    std::optional<Clock::time_point> heard;
    while (!(heard = monitor.HeardAt()) && Clock::now() - started < std::chrono::seconds(5))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!heard) {
      std::fprintf(stderr, "lullwood-output-latency: trial %d not heard within 5 s\n", trial);
      continue;
    }
    delays.push_back(std::chrono::duration<double, std::milli>(*heard - started).count());
    arrivals.push_back(
        std::chrono::duration<double, std::milli>(*monitor.ArrivedAt() - started).count());
  }
  mixer.RemoveVoice(voice);
  // As Mute does. Within 50 ms the watchdog has closed the output; a device that takes
  // longer leaves the closing to it.
  const auto closing = Clock::now();
  device.reset();
  const double closeMs = std::chrono::duration<double, std::milli>(Clock::now() - closing).count();
  if (delays.empty()) return 1;
  const auto print = [](const char* what, std::vector<double> figures) {
    std::sort(figures.begin(), figures.end());
    double sum = 0;
    for (double d : figures) sum += d;
    std::printf("%s, %zu trials: min %.0f ms, median %.0f ms, mean %.0f ms, max %.0f ms\n", what,
                figures.size(), figures.front(), figures[figures.size() / 2], sum / figures.size(),
                figures.back());
  };
  print("start to first sample at the sink", delays);
  print("start to its arrival at the recorder (at most)", arrivals);
  if (rested) std::printf("started on a resting output: %d of %d trials\n", restedTrials, trials);
  std::printf("releasing the output took %.1f ms\n", closeMs);
  return 0;
}
