#include "RenderSession.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "HeadlessPorts.h"
#include "OfflineOutput.h"
#include "ReplacingFile.h"
#include "Scenario.h"
#include "SleepTimer.h"
#include "WaveFile.h"
#include "WaveResources.h"

namespace lullwood::render {
namespace {

using Clock = std::chrono::steady_clock;

// Output frames rendered and converted at a time.
constexpr size_t kChunkFrames = 4096;

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ignored;
  const auto canonicalA = std::filesystem::weakly_canonical(a, ignored);
  const auto canonicalB = std::filesystem::weakly_canonical(b, ignored);
  return canonicalA == canonicalB;
}

// A bar on a terminal, drawn from the first second on and at most ten times a second.
class ProgressBar {
 public:
  ProgressBar(int fd, uint64_t total)
      : fd_(fd), total_(total), terminal_(fd >= 0 && isatty(fd)), start_(Clock::now()) {}

  void Update(uint64_t done) {
    if (!terminal_) return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < std::chrono::seconds(1)) return;
    if (shown_ && now - lastDrawn_ < std::chrono::milliseconds(100)) return;
    Draw(done);
    lastDrawn_ = now;
  }

  // Draws the full bar and ends its line, if it was ever shown.
  void Finish() {
    if (!shown_) return;
    Draw(total_);
    Put("\n");
  }

  // Removes a bar that was drawn, so that a message starts on a clean line.
  void Clear() {
    if (!shown_) return;
    Put("\r\033[K");
    shown_ = false;
  }

 private:
  void Draw(uint64_t done) {
    constexpr int kWidth = 40;
    const int filled = static_cast<int>(done * kWidth / total_);
    std::string line = "\r[";
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(kWidth - filled), '.');
    line += "] " + std::to_string(done * 100 / total_) + "%  " + std::to_string(done) + "/" +
            std::to_string(total_) + " s";
    Put(line);
    shown_ = true;
  }

  void Put(const std::string& text) {
    if (write(fd_, text.data(), text.size()) < 0) terminal_ = false;
  }

  int fd_;
  uint64_t total_;
  bool terminal_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point lastDrawn_;
};

int Fail(std::ostream& messages, const std::string& text, int status = kExitFailed) {
  messages << kMessagePrefix << text << '\n';
  messages.flush();
  return status;
}

}  // namespace

std::string FormatFiring(const Firing& firing) {
  const RandomEffect* row = SoundCatalogue::Effect(firing.effectIndex);
  std::string line = std::to_string(static_cast<long long>(firing.tick));
  line += '\t';
  line += std::to_string(firing.effectIndex);
  line += '\t';
  line += row ? std::string(row->resourceName) : std::string();
  line += '\t';
  line += std::to_string(firing.pan);
  line += '\t';
  line += std::to_string(firing.volume);
  line += '\t';
  line += std::to_string(firing.frequency);
  line += '\n';
  return line;
}

std::optional<std::string> ScenarioReadError(const std::string& path) {
  if (path.empty()) return "no Scenario file given";
  // Non-blocking, so that a pipe without a writer cannot stall the check.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return "cannot read Scenario \"" + path + "\": " + std::strerror(errno);
  struct stat info {};
  const bool statted = fstat(fd, &info) == 0;
  const int statErrno = errno;
  close(fd);
  if (!statted) return "cannot read Scenario \"" + path + "\": " + std::strerror(statErrno);
  if (S_ISDIR(info.st_mode)) return "cannot read Scenario \"" + path + "\": it is a folder";
  if (!S_ISREG(info.st_mode)) {
    return "cannot read Scenario \"" + path + "\": it is not a regular file";
  }
  return std::nullopt;
}

namespace {

// Refuses an output that is a folder, that would overwrite the Scenario or that names
// the same file as another, and a WAV too long for one file: the exit status, after
// saying why, or nothing when every output can be written.
std::optional<int> RefuseOutputs(const RenderOptions& options, std::ostream& messages) {
  struct NamedOutput {
    const char* option;
    const std::string& path;
  };
  const NamedOutput outputs[] = {{"--out", options.outPath},
                                 {"--events", options.eventsPath},
                                 {"--resave", options.resavePath}};
  for (size_t i = 0; i < std::size(outputs); ++i) {
    if (outputs[i].path.empty()) continue;
    std::error_code ignored;
    if (std::filesystem::is_directory(outputs[i].path, ignored)) {
      return Fail(messages,
                  std::string(outputs[i].option) + ": \"" + outputs[i].path + "\" is a folder");
    }
    // Re-saving over the Scenario itself is a save in place; any other output there
    // would destroy it.
    if (i < 2 && SameFile(outputs[i].path, options.scenarioPath)) {
      return Fail(messages,
                  std::string(outputs[i].option) + " would overwrite the Scenario \"" +
                      options.scenarioPath + "\"",
                  kExitUsage);
    }
    for (size_t j = i + 1; j < std::size(outputs); ++j) {
      if (!outputs[j].path.empty() && SameFile(outputs[i].path, outputs[j].path)) {
        return Fail(messages,
                    std::string(outputs[i].option) + " and " + outputs[j].option +
                        " name the same file \"" + outputs[i].path + "\"",
                    kExitUsage);
      }
    }
  }
  const uint64_t rate = static_cast<uint64_t>(options.rateHz);
  if (!options.outPath.empty() && options.seconds * rate > kMaxWaveFrames) {
    return Fail(messages,
                "--out: " + std::to_string(options.seconds) + " s at " + std::to_string(rate) +
                    " Hz is more than one WAV file can hold (at most " +
                    std::to_string(kMaxWaveFrames / rate) + " s at this rate)",
                kExitUsage);
  }
  return std::nullopt;
}

// Writes the loaded Scenario to --resave's file as a Save from the window would; false,
// after saying why, when it cannot.
bool Resave(const RenderOptions& options, const ProcessState& state, HeadlessPanel& panel,
            std::ostream& messages) {
  std::string error;
  PrivateProfileFile file = PrivateProfileFile::Load(options.resavePath);
  WriteScenario(state, panel.Values(), file);
  if (file.Save(options.resavePath, &error)) return true;
  // The file's own reasons name the path already; the profile's (a file too large to
  // rewrite whole, say) do not.
  const bool namesPath = error.starts_with("cannot write") || error.starts_with('"');
  Fail(messages, "--resave: " +
                     (namesPath ? error : "cannot write \"" + options.resavePath + "\": " + error));
  return false;
}

// The sleep timer, counted in output frames: the fade from its first frame, Mute at the
// frame after its last. Past the end of the render when not asked for.
struct SleepPlan {
  uint64_t fadeFrames;
  uint64_t fadeAt;
  uint64_t stopAt;

  SleepPlan(const RenderOptions& options, uint64_t rate)
      : fadeFrames(SleepFadeFrames(rate)),
        fadeAt(options.sleepMinutes ? static_cast<uint64_t>(std::llround(
                                          *options.sleepMinutes * 60.0 * static_cast<double>(rate)))
                                    : std::numeric_limits<uint64_t>::max() - fadeFrames),
        stopAt(fadeAt + fadeFrames) {}

  // The next frame at which the timer acts, after `frame`.
  uint64_t NextStep(uint64_t frame) const { return frame < fadeAt ? fadeAt : stopAt; }
};

// Closes both files, then puts both in place: neither is put in place unless both are
// complete. False, with the reason in `error`, at the first that fails.
bool CloseAndCommit(ReplacingFile* events, ReplacingFile* wave, std::string& error) {
  for (ReplacingFile* file : {events, wave}) {
    if (file && !file->Close(error)) return false;
  }
  for (ReplacingFile* file : {events, wave}) {
    if (file && !file->Commit(error)) return false;
  }
  return true;
}

// Plays the soundscape for the seconds asked: tick n at (n - 1) seconds of output, then
// that second's audio into `wave` when there is one, the sleep timer's steps on their
// frames. False when `stopped` says so between two seconds; a failed write ends it
// early too, and closing the file reports it.
bool PlayInto(ReplacingFile* wave, const RenderOptions& options, Soundscape& core,
              OfflineOutputFactory& outputs, ProgressBar& progress,
              const std::function<bool()>& stopped) {
  const uint64_t rate = static_cast<uint64_t>(options.rateHz);
  const SleepPlan sleep(options, rate);
  auto sleepStep = [&](uint64_t frame) {
    if (frame == sleep.fadeAt) {
      if (OfflineSoundDevice* device = outputs.current())
        StartSleepFade(device->mixer().outputStage(), static_cast<uint64_t>(options.rateHz));
    }
    if (frame == sleep.stopAt) core.OnMute();
  };
  std::vector<float> mix(2 * kChunkFrames);
  std::vector<uint8_t> pcm(2 * sizeof(int16_t) * kChunkFrames);
  bool writing = true;
  for (uint64_t second = 0; second < options.seconds && writing; ++second) {
    if (stopped()) return false;
    const uint64_t secondStart = second * rate;
    // A step on the second's first frame comes before its tick, so nothing fires
    // after the stop.
    sleepStep(secondStart);
    core.Tick();
    for (uint64_t done = 0; done < rate && writing;) {
      const uint64_t frame = secondStart + done;
      if (done > 0) sleepStep(frame);
      uint64_t frames = std::min<uint64_t>(kChunkFrames, rate - done);
      if (sleep.NextStep(frame) > frame) frames = std::min(frames, sleep.NextStep(frame) - frame);
      done += frames;
      if (!wave) continue;
      // After the stop no device is left: the output is silence.
      if (OfflineSoundDevice* device = outputs.current()) {
        device->Render(mix.data(), frames);
      } else {
        std::fill(mix.begin(), mix.begin() + static_cast<std::ptrdiff_t>(2 * frames), 0.0f);
      }
      FloatsToPcm16(mix.data(), 2 * frames, pcm.data());
      writing = wave->Write(pcm.data(), 4 * frames);
    }
    progress.Update(second + 1);
  }
  return true;
}

}  // namespace

int RunRender(const RenderOptions& options, const RenderEnvironment& environment) {
  std::ostream& messages = environment.messages;
  auto stopped = [&] { return environment.stopRequested && *environment.stopRequested != 0; };

  if (std::optional<std::string> error = ScenarioReadError(options.scenarioPath)) {
    return Fail(messages, *error);
  }
  if (const std::optional<int> refused = RefuseOutputs(options, messages)) return *refused;
  if (options.fullBand && EmbeddedFullBand().empty()) {
    return Fail(messages, "--full-band: this build carries no full-band sounds");
  }
  const uint64_t rate = static_cast<uint64_t>(options.rateHz);

  // Outputs are opened before the work, so an unwritable one fails at once.
  std::string error;
  std::unique_ptr<ReplacingFile> wave;
  std::unique_ptr<ReplacingFile> events;
  if (!options.outPath.empty()) {
    wave = ReplacingFile::Open(options.outPath, error, NonRegularTarget::kWriteDirectly);
    if (!wave) return Fail(messages, "--out: " + error);
  }
  if (!options.eventsPath.empty()) {
    events = ReplacingFile::Open(options.eventsPath, error, NonRegularTarget::kWriteDirectly);
    if (!events) return Fail(messages, "--events: " + error);
  }

  // The start-up order of the window: claim the device, reset the tables, seed, then the
  // first paint's Scenario load.
  OfflineOutputFactory outputFactory(options.rateHz);
  HeadlessPanel panel(messages, std::string(kMessagePrefix));
  RecordingTimer timer;
  MemorySettings settings;
  ProcessState state;
  Soundscape core(state, panel, timer, outputFactory, settings);

  state.mixer.rendition = options.fullBand ? Rendition::kFullBand : Rendition::kOriginal;
  if (!core.ClaimDevice()) return Fail(messages, "cannot open the offline output");
  core.ResetTables();
  const uint32_t seed = options.seed ? *options.seed : static_cast<uint32_t>(std::time(nullptr));
  if (!options.seed) messages << kMessagePrefix << "seed " << seed << " (from the clock)\n";
  core.SeedRandom(seed);
  core.StartTimer(kPromptTickPeriodMs);
  LoadScenario(core, options.scenarioPath);
  if (!options.resavePath.empty() && !Resave(options, state, panel, messages)) return kExitFailed;

  if (wave) {
    const auto header = WaveHeader(static_cast<uint32_t>(rate), options.seconds * rate);
    wave->Write(header.data(), header.size());
  }
  if (events) {
    events->Write(kEventsHeader.data(), kEventsHeader.size());
    core.SetFiringObserver([&events](const Firing& firing) {
      const std::string line = FormatFiring(firing);
      events->Write(line.data(), line.size());
    });
  }

  ProgressBar progress(environment.progressFd, options.seconds);
  const Clock::time_point started = Clock::now();
  if (!PlayInto(wave.get(), options, core, outputFactory, progress, stopped)) {
    progress.Clear();
    return Fail(messages, "interrupted; the WAV and events files were not written",
                kExitInterrupted);
  }

  if (!CloseAndCommit(events.get(), wave.get(), error)) {
    progress.Clear();
    return Fail(messages, error);
  }
  progress.Finish();

  if (environment.progressFd >= 0 && isatty(environment.progressFd)) {
    const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
    messages << kMessagePrefix << options.seconds << " s rendered in " << elapsed << " s";
    if (elapsed > 0) messages << " (" << static_cast<uint64_t>(options.seconds / elapsed) << "x)";
    messages << '\n';
  }
  return kExitOk;
}

}  // namespace lullwood::render
