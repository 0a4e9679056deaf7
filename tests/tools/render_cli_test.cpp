// lullwood-render run as a user runs it, its results checked against the scheduler's and
// the mixer's rules computed here independently.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "FlacImage.h"
#include "Limiter.h"
#include "LullwoodVersion.h"
#include "SoundCatalogue.h"
#include "TempFolder.h"
#include "WaveResources.h"

namespace lullwood {
namespace {

namespace fs = std::filesystem;

constexpr double kMarker = 10000002.0;
const std::string kHeader = "tick\teffect\tresource\tpan\tvolume\tfrequency";

using testing::ReadBytes;

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

struct Row {
  long tick;
  int effect;
  std::string resource;
  int pan;
  int volume;
  unsigned frequency;
  bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << r.tick << " " << r.effect << " " << r.resource << " " << r.pan << " " << r.volume
            << " " << r.frequency;
}

// The wave's own rate, as a new buffer reports it.
uint32_t WaveRate(std::string_view resource) {
  const std::optional<WaveImage> wave = FindWaveResource(resource);
  return wave ? DecodePcmFormat(*wave).samplesPerSecond : 0;
}

bool IsPitchVaried(int effect) {
  for (int i : {1, 2, 3, 6, 10, 11, 13, 14, 19, 21, 22, 25, 26, 29}) {
    if (i == effect) return true;
  }
  return false;
}

// What a Scenario asks of the random layer.
struct RandomSetup {
  std::map<int, int> levels;  // effect entry -> level
  int randomStep = 10;
  bool dynamic = false;
};

// The scheduler from its rules: the 15-bit generator, the rejection draw, the tick loop
// and the firings, for ticks 1..seconds after a load.
std::vector<Row> ModelEvents(const RandomSetup& setup, uint32_t seed, long seconds) {
  uint32_t state = seed;
  auto next = [&] {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
  };
  auto draw = [&](int level) {
    const int base = level == 4 ? 5 : level == 3 ? 15 : 120;
    const int span = level == 4 ? 10 : level == 3 ? 105 : 180;
    for (;;) {
      const double x = next() * 0.00003125 * span + base;
      if (base < x && x <= base + span) return static_cast<int>(x);
    }
  };
  double fire[32] = {};
  int level[32] = {};
  for (const auto& [i, l] : setup.levels) {
    level[i] = l;
    if (l > 1) fire[i] = kMarker;
  }
  const int pans[5] = {-10000, 10000, 0, -10000, 10000};
  int panStep = 0;
  const int randomVolume = setup.randomStep * 250 - 2500;
  std::vector<Row> rows;
  for (long tick = 1; tick <= seconds; ++tick) {
    for (int i = 0; i < 32; ++i) {
      if (fire[i] < tick) continue;
      if (fire[i] == tick) {
        if (const RandomEffect* row = SoundCatalogue::Effect(i)) {
          const uint32_t rate = WaveRate(row->resourceName);
          Row fired{tick, i, std::string(row->resourceName), pans[panStep], randomVolume, rate};
          panStep = (panStep + 1) % 5;
          if (setup.dynamic) {
            if (IsPitchVaried(i)) {
              const int r = next();
              const int offset = r % 2 == 1 ? static_cast<int>(r * 0.00003125 * 2000)
                                            : -static_cast<int>(r * 0.00003125 * 1500);
              fired.frequency = rate + offset;
            }
            const double v = -(next() * 0.00003125 * 2000);
            fired.volume = static_cast<int>(std::trunc(std::min<double>(randomVolume, v)));
          }
          rows.push_back(fired);
        }
        fire[i] = kMarker;
      }
      if (fire[i] > 10000001) {
        fire[i] =
            (level[i] >= 2 && level[i] <= 4) ? draw(level[i]) + static_cast<double>(tick) : 0.0;
      }
    }
  }
  return rows;
}

std::vector<Row> ParseEvents(const std::string& text, std::string* header) {
  std::istringstream in(text);
  std::string line;
  std::getline(in, *header);
  std::vector<Row> rows;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Row r;
    std::string tick, effect, pan, volume, frequency;
    std::getline(fields, tick, '\t');
    std::getline(fields, effect, '\t');
    std::getline(fields, r.resource, '\t');
    std::getline(fields, pan, '\t');
    std::getline(fields, volume, '\t');
    std::getline(fields, frequency, '\t');
    r.tick = std::stol(tick);
    r.effect = std::stoi(effect);
    r.pan = std::stoi(pan);
    r.volume = std::stoi(volume);
    r.frequency = static_cast<unsigned>(std::stoul(frequency));
    rows.push_back(r);
  }
  return rows;
}

class RenderCli : public testing::TempFolderTest {
 protected:
  fs::path Write(const std::string& name, const std::string& text) {
    testing::WriteBytes(dir_ / name, text);
    return dir_ / name;
  }

  // Starts the tool with stdout and stderr going to files in the folder.
  pid_t Start(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    std::string program = LULLWOOD_RENDER_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = arguments;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string outPath = (dir_ / ".stdout").string();
    const std::string errPath = (dir_ / ".stderr").string();
    const pid_t pid = fork();
    if (pid == 0) {
      const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(out, 1);
      dup2(err, 2);
      execv(argv[0], argv.data());
      _exit(127);
    }
    return pid;
  }

  Result Finish(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    Result result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadBytes(dir_ / ".stdout");
    result.err = ReadBytes(dir_ / ".stderr");
    fs::remove(dir_ / ".stdout");
    fs::remove(dir_ / ".stderr");
    return result;
  }

  Result Run(const std::vector<std::string>& arguments) { return Finish(Start(arguments)); }
};

// Three backgrounds, twelve effects at "Frequently" (six of them pitch-varied), one at
// "Occasionally" and one at "Rarely", Random step 6, Dynamic Random on.
const char kBusyScenario[] =
    "[Backgrounds]\r\nchk2=Y\r\nchk9=Y\r\nchk14=Y\r\n"
    "R1=4\r\nR3=4\r\nR4=4\r\nR6=4\r\nR8=4\r\nR10=4\r\nR13=4\r\nR15=4\r\nR19=4\r\nR22=4\r\n"
    "R26=4\r\nR30=4\r\nR7=3\r\nR12=2\r\nR20=1\r\nV2=6\r\nDYNAMIC=Y\r\n";

RandomSetup BusySetup() {
  RandomSetup setup;
  for (int i : {1, 3, 4, 6, 8, 10, 13, 15, 19, 22, 26, 30}) setup.levels[i] = 4;
  setup.levels[7] = 3;
  setup.levels[12] = 2;
  setup.levels[20] = 1;
  setup.randomStep = 6;
  setup.dynamic = true;
  return setup;
}

TEST_F(RenderCli, EventsFollowTheSchedulerForAFixedSeed) {
  const fs::path scenario = Write("busy.lwd", kBusyScenario);
  const std::string events = (dir_ / "events.tsv").string();
  const Result first =
      Run({scenario.string(), "--seconds", "400", "--seed", "12345", "--events", events});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.err, "");
  const std::string text = ReadBytes(events);

  std::string header;
  const std::vector<Row> rows = ParseEvents(text, &header);
  EXPECT_EQ(header, kHeader);
  const std::vector<Row> expected = ModelEvents(BusySetup(), 12345, 400);
  ASSERT_GT(expected.size(), 200u);
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t k = 0; k < rows.size(); ++k) ASSERT_EQ(rows[k], expected[k]) << "row " << k;

  // The same seed gives the same bytes again.
  const Result second =
      Run({scenario.string(), "--seconds", "400", "--seed", "12345", "--events", events});
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(ReadBytes(events), text);
}

TEST_F(RenderCli, EventsKeepTheFiringLaws) {
  const fs::path scenario = Write("busy.lwd", kBusyScenario);
  const std::string events = (dir_ / "events.tsv").string();
  ASSERT_EQ(Run({scenario.string(), "--seconds", "300", "--seed", "9", "--events", events}).status,
            0);
  std::string header;
  const std::vector<Row> rows = ParseEvents(ReadBytes(events), &header);
  ASSERT_FALSE(rows.empty());
  const int pans[5] = {-10000, 10000, 0, -10000, 10000};
  std::map<int, long> lastTick;
  for (size_t k = 0; k < rows.size(); ++k) {
    const Row& r = rows[k];
    EXPECT_EQ(r.pan, pans[k % 5]) << r;
    EXPECT_TRUE(r.tick >= 1 && r.tick <= 300) << r;
    if (k > 0) {
      EXPECT_GE(r.tick, rows[k - 1].tick);
    }
    ASSERT_NE(SoundCatalogue::Effect(r.effect), nullptr) << r;
    EXPECT_EQ(r.resource, SoundCatalogue::Effect(r.effect)->resourceName);
    EXPECT_LE(r.volume, -1000) << r;  // never louder than Random step 6
    EXPECT_GE(r.volume, -2048) << r;
    const uint32_t rate = WaveRate(r.resource);
    if (IsPitchVaried(r.effect)) {
      EXPECT_GE(r.frequency, rate - 1535) << r;
      EXPECT_LE(r.frequency, rate + 2047) << r;
    } else {
      EXPECT_EQ(r.frequency, rate) << r;
    }
    EXPECT_NE(r.effect, 20) << "an effect at \"Never\" fired";
    // Marked at the load, drawn on tick 1: "Frequently" fires first on 6..16, then 5..15
    // ticks apart.
    if (BusySetup().levels[r.effect] == 4) {
      const auto last = lastTick.find(r.effect);
      const long gap = r.tick - (last == lastTick.end() ? 1 : last->second);
      EXPECT_TRUE(gap >= 5 && gap <= 15) << r << " gap " << gap;
    }
    lastTick[r.effect] = r.tick;
  }
}

TEST_F(RenderCli, PlainRandomVolumeAndEntryZeroWithoutDynamicRandom) {
  // "R0" is not read: entry 0 stays idle and spends no draws, whatever the file says.
  const fs::path scenario =
      Write("plain.lwd", "[Backgrounds]\nR0=4\nR2=4\nR11=4\nR25=3\nV2=3\nDYNAMIC=N\n");
  const std::string events = (dir_ / "e.tsv").string();
  ASSERT_EQ(Run({scenario.string(), "--seconds", "200", "--seed", "4000000000", "--events", events})
                .status,
            0);
  std::string header;
  const std::vector<Row> rows = ParseEvents(ReadBytes(events), &header);
  RandomSetup setup;
  setup.levels = {{2, 4}, {11, 4}, {25, 3}};
  setup.randomStep = 3;
  EXPECT_EQ(rows, ModelEvents(setup, 4000000000u, 200));
  for (const Row& r : rows) {
    EXPECT_EQ(r.volume, -1750);
    EXPECT_NE(r.effect, 0);
  }
}

TEST_F(RenderCli, ResaveGivesBackTheSavedBytes) {
  const std::string saved =
      "[Backgrounds]\r\nchk1=Y\r\nchk2=N\r\nchk3=N\r\nchk4=N\r\nchk5=Y\r\nchk6=N\r\nchk7=N\r\n"
      "chk8=N\r\nchk9=N\r\nchk10=N\r\nchk11=N\r\nchk12=N\r\nchk13=N\r\nchk14=N\r\nchk15=N\r\n"
      "chk16=N\r\nchk17=N\r\nchk18=N\r\nchk19=N\r\nchk20=N\r\nchk21=N\r\nchk22=N\r\nchk23=Y\r\n"
      "R0=0\r\nR1=2\r\nR2=0\r\nR3=0\r\nR4=4\r\nR5=0\r\nR6=0\r\nR7=0\r\nR8=0\r\nR9=0\r\n"
      "R10=0\r\nR11=0\r\nR12=0\r\nR13=0\r\nR14=1\r\nR15=0\r\nR16=0\r\nR17=0\r\nR18=0\r\n"
      "R19=0\r\nR20=0\r\nR21=0\r\nR22=0\r\nR23=0\r\nR24=0\r\nR25=0\r\nR26=0\r\nR27=0\r\n"
      "R28=0\r\nR29=0\r\nR30=0\r\nR31=0\r\nV1=8\r\nV2=6\r\nDYNAMIC=Y\r\n";
  const fs::path scenario = Write("saved.lwd", saved);
  const fs::path copy = dir_ / "copy.lwd";
  const Result result = Run({scenario.string(), "--seconds", "1", "--resave", copy.string()});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(ReadBytes(copy), saved);

  // Re-saving in place changes nothing either.
  ASSERT_EQ(Run({scenario.string(), "--seconds", "1", "--resave", scenario.string()}).status, 0);
  EXPECT_EQ(ReadBytes(scenario), saved);
}

TEST_F(RenderCli, ResaveKeepsTheRefusalOfAFourthBackground) {
  const fs::path scenario =
      Write("four.lwd", "[Backgrounds]\nchk3=Y\nchk4=y\nchk8=Yes\nchk20=Y\nR5=9\nV1=0\n");
  const fs::path copy = dir_ / "copy.lwd";
  const Result result = Run({scenario.string(), "--seconds", "2", "--resave", copy.string()});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.err.find("* You can only have three background sounds active."),
            std::string::npos)
      << result.err;
  const std::string text = ReadBytes(copy);
  for (const char* line : {"chk3=Y\r\n", "chk4=Y\r\n", "chk8=Y\r\n", "chk20=N\r\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line;
  }
  // What the reader keeps from out-of-range values is what is saved.
  EXPECT_NE(text.find("R5=4\r\n"), std::string::npos);
  EXPECT_NE(text.find("V1=1\r\n"), std::string::npos);
}

uint32_t Le32(const std::string& s, size_t at) {
  return static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8 |
         static_cast<uint8_t>(s[at + 2]) << 16 | uint32_t{static_cast<uint8_t>(s[at + 3])} << 24;
}
int16_t Sample(const std::string& s, size_t at) {
  return static_cast<int16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
}

TEST_F(RenderCli, WaveHasTheLengthRateAndChannelsAsked) {
  const fs::path scenario = Write("busy.lwd", kBusyScenario);
  const fs::path wave = dir_ / "night.wav";
  const Result result =
      Run({scenario.string(), "--seconds", "3", "--rate", "22050", "--out", wave.string()});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string bytes = ReadBytes(wave);
  ASSERT_EQ(bytes.size(), 44u + 3 * 22050 * 4);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(Le32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le32(bytes, 20) & 0xFFFF, 1u);  // PCM
  EXPECT_EQ(Le32(bytes, 20) >> 16, 2u);     // stereo
  EXPECT_EQ(Le32(bytes, 24), 22050u);
  EXPECT_EQ(Le32(bytes, 34) & 0xFFFF, 16u);
  EXPECT_EQ(Le32(bytes, 40), 3u * 22050 * 4);
  // Three backgrounds play from the first frame on: not silent.
  long energy = 0;
  for (size_t at = 44; at < bytes.size(); at += 2) energy += std::abs(Sample(bytes, at));
  EXPECT_GT(energy, 0);
}

TEST_F(RenderCli, OneBackgroundPlaysItsSamplesAtTheBackgrndVolume) {
  // The first mono 8-bit background, rendered at its own rate, so that every output frame
  // is one source sample: (byte - 128) / 128 at gain 10^(-500 / 2000) on both sides.
  const BackgroundSound* chosen = nullptr;
  std::optional<WaveImage> image;
  for (const BackgroundSound& row : SoundCatalogue::Backgrounds()) {
    image = FindWaveResource(row.resourceName);
    if (!image) continue;
    const PcmFormat format = DecodePcmFormat(*image);
    if (format.channels == 1 && format.bitsPerSample == 8 && format.samplesPerSecond >= 8000) {
      chosen = &row;
      break;
    }
  }
  ASSERT_NE(chosen, nullptr);
  const uint32_t rate = DecodePcmFormat(*image).samplesPerSecond;
  const fs::path scenario =
      Write("one.lwd", "[Backgrounds]\n" + std::string(chosen->scenarioKey) + "=Y\nV1=8\n");
  const fs::path wave = dir_ / "one.wav";
  ASSERT_EQ(Run({scenario.string(), "--seconds", "2", "--rate", std::to_string(rate), "--out",
                 wave.string(), "--seed", "1"})
                .status,
            0);
  const std::string bytes = ReadBytes(wave);
  ASSERT_EQ(bytes.size(), 44u + 2 * rate * 4);
  const double gain = std::pow(10.0, -500 / 2000.0);
  // The mix reaches the file a limiter look-ahead late; the limiter does nothing else
  // to a sound this far below full scale.
  const uint32_t delay = static_cast<uint32_t>(Limiter(static_cast<int>(rate)).delayFrames());
  // Two seconds cover the loop's end and its restart when the sound is shorter.
  for (uint32_t frame = 0; frame < 2 * rate; ++frame) {
    const uint8_t byte = frame < delay ? 128 : image->data[(frame - delay) % image->dataBytes];
    const double expected = (byte - 128) / 128.0 * gain * 32767.0;
    ASSERT_NEAR(Sample(bytes, 44 + 4 * frame), expected, 1.0) << "frame " << frame;
    ASSERT_NEAR(Sample(bytes, 46 + 4 * frame), expected, 1.0) << "frame " << frame;
  }
}

// In the full band the same firings are logged, value for value, and a background plays
// its full-band samples: at 44100 Hz one output frame is one of them.
TEST_F(RenderCli, TheFullBandPlaysItsOwnSamplesAndLogsTheSameFirings) {
  const fs::path scenario = Write("busy.lwd", kBusyScenario);
  const std::string plain = (dir_ / "plain.tsv").string();
  const std::string full = (dir_ / "full.tsv").string();
  ASSERT_EQ(Run({scenario.string(), "--seconds", "200", "--seed", "77", "--events", plain}).status,
            0);
  const Result run =
      Run({scenario.string(), "--seconds", "200", "--seed", "77", "--events", full, "--full-band"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadBytes(full), ReadBytes(plain));

  const BackgroundSound& row = SoundCatalogue::Backgrounds().front();
  const auto flac = FindFullBandResource(row.resourceName);
  ASSERT_TRUE(flac) << row.resourceName;
  std::string error;
  const std::optional<DecodedSound> sound = DecodeFlac(*flac, error);
  ASSERT_TRUE(sound) << error;
  ASSERT_EQ(sound->rate, 44100u);
  const fs::path one =
      Write("one.lwd", "[Backgrounds]\n" + std::string(row.scenarioKey) + "=Y\nV1=8\n");
  const fs::path wave = dir_ / "one.wav";
  ASSERT_EQ(Run({one.string(), "--seconds", "1", "--rate", "44100", "--out", wave.string(),
                 "--seed", "1", "--full-band"})
                .status,
            0);
  const std::string bytes = ReadBytes(wave);
  ASSERT_EQ(bytes.size(), 44u + 44100 * 4);
  const double gain = std::pow(10.0, -500 / 2000.0);
  const uint32_t delay = static_cast<uint32_t>(Limiter(44100).delayFrames());
  for (uint32_t frame = delay; frame < 44100; ++frame) {
    const size_t at = size_t{(frame - delay) % sound->frames} * sound->channels;
    const float left = sound->samples[at];
    const float right = sound->samples[at + sound->channels - 1];
    ASSERT_NEAR(Sample(bytes, 44 + 4 * frame), left * gain * 32767.0, 1.0) << frame;
    ASSERT_NEAR(Sample(bytes, 46 + 4 * frame), right * gain * 32767.0, 1.0) << frame;
  }
}

TEST_F(RenderCli, BadArgumentsAndFilesFailClearlyAndWriteNothing) {
  const fs::path scenario = Write("ok.lwd", kBusyScenario);
  const std::string s = scenario.string();
  const std::string out = (dir_ / "out.wav").string();
  const std::string events = (dir_ / "out.tsv").string();
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {{}, "no Scenario file given"},
      {{s}, "--seconds is required"},
      {{s, "--seconds", "ten", "--out", out}, "--seconds must be"},
      {{s, "--seconds", "0", "--out", out}, "--seconds must be"},
      {{s, "--seconds", "2", "--rate", "4000", "--out", out}, "--rate must be"},
      {{s, "--seconds", "2", "--loud", "--out", out}, "unknown option"},
      {{s, "--seconds", "2", "--out", out, "--events"}, "--events needs a value"},
      {{(dir_ / "missing.lwd").string(), "--seconds", "2", "--out", out, "--events", events},
       "No such file"},
      {{dir_.string(), "--seconds", "2", "--out", out}, "folder"},
      {{s, "--seconds", "2", "--out", (dir_ / "none" / "x.wav").string(), "--events", events},
       "--out: cannot write"},
      {{s, "--seconds", "2", "--out", out, "--events", (dir_ / "none" / "x.tsv").string()},
       "--events: cannot write"},
      {{s, "--seconds", "2", "--out", out, "--resave", (dir_ / "none" / "x.lwd").string()},
       "--resave: cannot write"},
      {{s, "--seconds", "2", "--out", out, "--events", out}, "name the same file"},
      {{s, "--seconds", "2", "--events", events, "--resave", dir_.string()}, "is a folder"},
      {{s, "--seconds", "2", "--out", s}, "would overwrite the Scenario"},
      {{s, "--seconds", "30000", "--rate", "48000", "--out", out}, "more than one WAV file"},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& a : c.arguments) joined += a + " ";
    const Result result = Run(c.arguments);
    EXPECT_NE(result.status, 0) << joined;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << joined << "\n" << result.err;
    EXPECT_EQ(Entries(), std::vector<std::string>{"ok.lwd"}) << joined;
  }
  EXPECT_EQ(ReadBytes(scenario), kBusyScenario);
}

TEST_F(RenderCli, HelpAndVersionGoToStandardOutputAndBadOptionsGetTheUsageOnStandardError) {
  const std::string usageStart = "usage: lullwood-render SCENARIO.lwd --seconds N";
  for (const char* help : {"--help", "-h"}) {
    const Result result = Run({help, "--no-such-option"});
    EXPECT_EQ(result.status, 0) << help;
    EXPECT_EQ(result.out.rfind(usageStart, 0), 0u) << help << "\n" << result.out;
    EXPECT_NE(result.out.find("Exit status"), std::string::npos) << help;
    EXPECT_EQ(result.err, "") << help;
  }

  const Result version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "lullwood-render " + std::string(kVersion) + "\n");
  EXPECT_EQ(version.err, "");

  // Help that cannot be written (a full disk) is a failure, not a success.
  if (fs::exists("/dev/full")) {
    const std::string full =
        std::string("'") + LULLWOOD_RENDER_PATH + "' --help >/dev/full 2>/dev/null";
    const int status = std::system(full.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  }

  const fs::path scenario = Write("ok.lwd", kBusyScenario);
  const struct {
    std::vector<std::string> arguments;
    std::string reason;
  } refused[] = {
      {{scenario.string(), "--seconds", "2", "--loud"}, "unknown option \"--loud\""},
      {{"-q"}, "unknown option \"-q\""},
      {{scenario.string()}, "--seconds is required"},
      {{}, "no Scenario file given"},
  };
  for (const auto& c : refused) {
    const Result result = Run(c.arguments);
    EXPECT_EQ(result.status, 2) << c.reason;
    EXPECT_EQ(result.out, "") << c.reason;
    EXPECT_EQ(result.err.rfind("lullwood-render: " + c.reason + "\n", 0), 0u) << result.err;
    EXPECT_NE(result.err.find("\n" + usageStart), std::string::npos) << result.err;
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"ok.lwd"});
}

TEST_F(RenderCli, AnInterruptedRenderLeavesNoFiles) {
  const fs::path scenario = Write("busy.lwd", kBusyScenario);
  const fs::path wave = dir_ / "long.wav";
  const fs::path old = Write("old.tsv", "previous\n");
  // Far longer than the test: it is stopped in the middle.
  const pid_t pid = Start({scenario.string(), "--seconds", "100000", "--rate", "8000", "--out",
                           wave.string(), "--events", old.string()});
  // Wait until the render has written its first block of sound into its temporary wave
  // file (the header alone stays in the buffer); the deadline only stops a render that
  // never starts from hanging the test.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  auto writing = [&] {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_, error)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind(".long.wav.", 0) != 0) continue;
      const auto bytes = fs::file_size(entry.path(), error);
      if (!error && bytes > 0) return true;
    }
    return false;
  };
  while (!writing() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_TRUE(writing()) << "the render never started writing";
  kill(pid, SIGTERM);
  const Result result = Finish(pid);
  EXPECT_EQ(result.status, 130) << result.err;
  EXPECT_NE(result.err.find("interrupted"), std::string::npos);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"busy.lwd", "old.tsv"}));
  EXPECT_EQ(ReadBytes(old), "previous\n");
}

// The first mono 8-bit background of the catalogue, whose samples the output carries
// one for one when rendered at the wave's own rate.
const BackgroundSound* PlainBackground(std::optional<WaveImage>& image) {
  for (const BackgroundSound& row : SoundCatalogue::Backgrounds()) {
    image = FindWaveResource(row.resourceName);
    if (!image) continue;
    const PcmFormat format = DecodePcmFormat(*image);
    if (format.channels == 1 && format.bitsPerSample == 8 && format.samplesPerSecond >= 8000)
      return &row;
  }
  return nullptr;
}

TEST_F(RenderCli, SleepFadesFrameByFrameInDecibelsThenLeavesSilence) {
  std::optional<WaveImage> image;
  const BackgroundSound* chosen = PlainBackground(image);
  ASSERT_NE(chosen, nullptr);
  const uint32_t rate = DecodePcmFormat(*image).samplesPerSecond;
  const fs::path scenario =
      Write("one.lwd", "[Backgrounds]\n" + std::string(chosen->scenarioKey) + "=Y\nV1=8\n");
  const fs::path wave = dir_ / "sleep.wav";
  // The fade starts at 3 s, ends at 63 s; the render goes on to 64 s.
  const Result result = Run({scenario.string(), "--seconds", "64", "--rate", std::to_string(rate),
                             "--out", wave.string(), "--seed", "1", "--sleep", "0.05"});
  ASSERT_EQ(result.status, 0) << result.err;
  const std::string bytes = ReadBytes(wave);
  ASSERT_EQ(bytes.size(), 44u + 64ull * rate * 4);
  const double gain = std::pow(10.0, -500 / 2000.0);
  const uint64_t fadeAt = 3ull * rate;
  const uint64_t stopAt = fadeAt + 60ull * rate;
  // The sound reaches the output a limiter look-ahead late; the fade acts on the output.
  const uint64_t delay = Limiter(static_cast<int>(rate)).delayFrames();
  for (uint64_t frame = 0; frame < 64ull * rate; ++frame) {
    const uint8_t byte = frame < delay ? 128 : image->data[(frame - delay) % image->dataBytes];
    double expected = (byte - 128) / 128.0 * gain * 32767.0;
    if (frame >= fadeAt) {
      const double db =
          frame < stopAt ? -60.0 * static_cast<double>(frame - fadeAt) / (60.0 * rate) : -1000.0;
      expected *= frame < stopAt ? std::pow(10.0, db / 20.0) : 0.0;
    }
    ASSERT_NEAR(Sample(bytes, 44 + 4 * frame), expected, 1.0) << "frame " << frame;
    ASSERT_NEAR(Sample(bytes, 46 + 4 * frame), expected, 1.0) << "frame " << frame;
    if (frame >= stopAt) {
      ASSERT_EQ(Sample(bytes, 44 + 4 * frame), 0) << "frame " << frame;
    }
  }
}

TEST_F(RenderCli, SleepKeepsTheFiringsUpToTheStopAndNoneAfter) {
  const fs::path scenario = Write("busy.lwd", kBusyScenario);
  const std::string plain = (dir_ / "plain.tsv").string();
  const std::string slept = (dir_ / "slept.tsv").string();
  ASSERT_EQ(Run({scenario.string(), "--seconds", "300", "--seed", "77", "--events", plain}).status,
            0);
  // Fade from 30 s to 90 s: tick 91 would be the first at or after the stop.
  const Result result = Run(
      {scenario.string(), "--seconds", "300", "--seed", "77", "--events", slept, "--sleep", "0.5"});
  ASSERT_EQ(result.status, 0) << result.err;
  std::string header;
  const std::vector<Row> all = ParseEvents(ReadBytes(plain), &header);
  const std::vector<Row> kept = ParseEvents(ReadBytes(slept), &header);
  EXPECT_EQ(header, kHeader);
  std::vector<Row> expected;
  for (const Row& row : all) {
    if (row.tick <= 90) expected.push_back(row);
  }
  ASSERT_LT(expected.size(), all.size()) << "the busy Scenario fires after 90 s";
  EXPECT_TRUE(std::any_of(expected.begin(), expected.end(), [](const Row& r) {
    return r.tick > 30;
  })) << "effects go on firing during the fade";
  EXPECT_EQ(kept, expected);
}

TEST_F(RenderCli, BadSleepValuesAreUsageErrors) {
  const fs::path scenario = Write("ok.lwd", kBusyScenario);
  const std::string out = (dir_ / "out.wav").string();
  for (const char* bad : {"0", "-5", "1441", "ten", "1e2"}) {
    const Result result = Run({scenario.string(), "--seconds", "2", "--out", out, "--sleep", bad});
    EXPECT_EQ(result.status, 2) << bad;
    EXPECT_NE(result.err.find("--sleep must be"), std::string::npos) << bad << result.err;
    EXPECT_EQ(Entries(), std::vector<std::string>{"ok.lwd"}) << bad;
  }
}

}  // namespace
}  // namespace lullwood
