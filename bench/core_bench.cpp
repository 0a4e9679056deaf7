// The costs of the soundscape's core on the user-interface thread: one scheduler tick of
// a busy soundscape, parsing the embedded wave images, decoding the longest full-band
// rendition, and a Scenario load and save.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FakePorts.h"
#include "FlacImage.h"
#include "OfflineOutput.h"
#include "Scenario.h"
#include "Soundscape.h"
#include "WaveResources.h"

namespace lullwood {
namespace {

namespace fs = std::filesystem;

// A started window's core on an offline output.
struct Core {
  testing::FakePanel panel;
  testing::FakeTimer timer;
  testing::FakeSettings settings;
  OfflineOutputFactory outputs;
  ProcessState state;
  Soundscape core{state, panel, timer, outputs, settings};

  Core() {
    core.ClaimDevice();
    core.ResetTables();
    core.SeedRandom(20240607);
  }
};

// A temporary folder for the Scenario files, removed at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "lullwood-bench-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchFolder() {
    if (!path_.empty()) fs::remove_all(path_);
  }
  fs::path path() const { return path_; }

 private:
  fs::path path_;
};

// Three backgrounds, every effect at "Frequently", Dynamic Random on.
std::string BusyScenarioText() {
  std::string text = "[Backgrounds]\r\nchk1=Y\r\nchk5=Y\r\nchk23=Y\r\n";
  for (int i = 1; i <= 31; ++i) text.append("R").append(std::to_string(i)).append("=4\r\n");
  return text + "V1=8\r\nV2=9\r\nDYNAMIC=Y\r\n";
}

void BM_TickAllEffectsFrequently(benchmark::State& run) {
  ScratchFolder folder;
  const fs::path scenario = folder.path() / "busy.lwd";
  std::ofstream(scenario, std::ios::binary) << BusyScenarioText();
  Core c;
  LoadScenario(c.core, scenario.string());
  int64_t firings = 0;
  c.core.SetFiringObserver([&firings](const Firing&) { ++firings; });
  // Every effect has fired once after 16 ticks, so the buffers exist from here on, as
  // they do for the rest of a long night.
  for (int i = 0; i < 20; ++i) c.core.Tick();
  firings = 0;
  for (auto _ : run) c.core.Tick();
  run.counters["firings/tick"] =
      benchmark::Counter(static_cast<double>(firings) / static_cast<double>(run.iterations()));
}
BENCHMARK(BM_TickAllEffectsFrequently);

// The first ticks, while each effect's buffer is made at its first firing.
void BM_FirstTicksMakeTheBuffers(benchmark::State& run) {
  ScratchFolder folder;
  const fs::path scenario = folder.path() / "busy.lwd";
  std::ofstream(scenario, std::ios::binary) << BusyScenarioText();
  for (auto _ : run) {
    run.PauseTiming();
    Core c;
    LoadScenario(c.core, scenario.string());
    run.ResumeTiming();
    for (int i = 0; i < 16; ++i) c.core.Tick();
  }
}
BENCHMARK(BM_FirstTicksMakeTheBuffers)->Unit(benchmark::kMicrosecond);

void BM_ParseWaveImage(benchmark::State& run) {
  const auto waves = EmbeddedWaves();
  int64_t bytes = 0;
  for (auto _ : run) {
    for (const EmbeddedWave& wave : waves) {
      auto parsed = ParseWaveImage({wave.begin, wave.end});
      benchmark::DoNotOptimize(parsed);
    }
  }
  for (const EmbeddedWave& wave : waves) bytes += static_cast<int64_t>(wave.end - wave.begin);
  run.SetItemsProcessed(run.iterations() * static_cast<int64_t>(waves.size()));
  run.counters["waves"] = static_cast<double>(waves.size());
  run.counters["image bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ParseWaveImage);

// Decoding the longest full-band rendition (the most frames; not the largest stream)
// into the mixer's floats, as the user-interface thread would before playing it.
void BM_DecodeLongestFullBand(benchmark::State& run) {
  const EmbeddedWave* longest = nullptr;
  uint32_t mostFrames = 0;
  for (const EmbeddedWave& entry : EmbeddedFullBand()) {
    std::string error;
    const auto sound = DecodeFlac({entry.begin, entry.end}, error);
    if (sound && sound->frames > mostFrames) {
      mostFrames = sound->frames;
      longest = &entry;
    }
  }
  if (!longest) {
    run.SkipWithError("no full-band renditions embedded");
    return;
  }
  uint32_t frames = 0, channels = 0;
  for (auto _ : run) {
    std::string error;
    auto sound = DecodeFlac({longest->begin, longest->end}, error);
    if (!sound) {
      run.SkipWithError(error.c_str());
      return;
    }
    frames = sound->frames;
    channels = sound->channels;
    benchmark::DoNotOptimize(sound->samples.data());
  }
  run.SetLabel(longest->name);
  run.counters["seconds of sound"] = frames / 44100.0;
  run.counters["channels"] = channels;
  run.counters["FLAC bytes"] = static_cast<double>(longest->end - longest->begin);
}
BENCHMARK(BM_DecodeLongestFullBand)->Unit(benchmark::kMillisecond);

// A whole load: Clear all, three backgrounds made and started, 31 levels, volumes.
void BM_LoadScenario(benchmark::State& run) {
  ScratchFolder folder;
  const fs::path scenario = folder.path() / "busy.lwd";
  std::ofstream(scenario, std::ios::binary) << BusyScenarioText();
  Core c;
  for (auto _ : run) LoadScenario(c.core, scenario.string());
}
BENCHMARK(BM_LoadScenario)->Unit(benchmark::kMicrosecond);

// A Save over an existing file: read it, write the 59 keys, replace it atomically.
void BM_SaveScenario(benchmark::State& run) {
  ScratchFolder folder;
  const fs::path scenario = folder.path() / "busy.lwd";
  std::ofstream(scenario, std::ios::binary) << BusyScenarioText();
  Core c;
  LoadScenario(c.core, scenario.string());
  const std::string target = (folder.path() / "saved.lwd").string();
  for (auto _ : run) {
    if (!SaveScenarioAs(c.core, target)) run.SkipWithError("the save failed");
  }
}
BENCHMARK(BM_SaveScenario)->Unit(benchmark::kMicrosecond);

// The writer alone, in memory: what a save costs beside the file system.
void BM_WriteScenarioInMemory(benchmark::State& run) {
  ScratchFolder folder;
  const fs::path scenario = folder.path() / "busy.lwd";
  std::ofstream(scenario, std::ios::binary) << BusyScenarioText();
  Core c;
  LoadScenario(c.core, scenario.string());
  for (auto _ : run) {
    PrivateProfileFile file;
    WriteScenario(c.state, c.panel.Values(), file);
    benchmark::DoNotOptimize(file.Bytes().data());
  }
}
BENCHMARK(BM_WriteScenarioInMemory);

}  // namespace
}  // namespace lullwood

BENCHMARK_MAIN();
