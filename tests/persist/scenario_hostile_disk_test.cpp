// Scenarios on hostile disks: whatever bytes or non-files are handed over as a Scenario,
// by any road, give a finished load with defaults for what cannot be read, never a
// crash, a hang or unbounded memory; a save that cannot be made says so and leaves the
// old file whole. Each case runs in a child process, so that a crash is reported as one
// instead of ending the run; the test's timeout catches a hang.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <thread>

#include "ChildProcess.h"
#include "ControlIds.h"
#include "FakePorts.h"
#include "OfflineOutput.h"
#include "Sanitizers.h"
#include "SaveUntilKilled.h"
#include "Scenario.h"
#include "Startup.h"

namespace lullwood {
namespace {

namespace fs = std::filesystem;
using testing::InChild;
using namespace std::chrono_literals;

const std::string kTitlePrefix = "Lullwood v2.2 - ";
constexpr uid_t kNobody = 65534;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Lets this process map at most `headroomMiB` more memory than it has now, so that a
// load that tried to hold a huge file fails loudly instead of passing. AddressSanitizer
// reserves its shadow memory up front, so under it the cap cannot be set.
void CapMemoryGrowth(long headroomMiB) {
#if !defined(LULLWOOD_ASAN)
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  statm >> pages;
  ASSERT_GT(pages, 0);
  const rlim_t cap = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + (headroomMiB << 20));
  const rlimit limit{cap, cap};
  ASSERT_EQ(setrlimit(RLIMIT_AS, &limit), 0);
#else
  (void)headroomMiB;
#endif
}

// Drops the superuser's rights, so that permissions apply; a no-op for anyone else.
void ActAsOrdinaryUser() {
  if (geteuid() != 0) return;
  ASSERT_EQ(setgid(kNobody), 0);
  ASSERT_EQ(setuid(kNobody), 0);
}

class HostileDiskTest : public ::testing::Test {
 protected:
  ProcessState state;
  testing::FakePanel panel;
  testing::FakeTimer timer;
  testing::FakeSettings settings;
  OfflineOutputFactory outputs;
  Soundscape core{state, panel, timer, outputs, settings};
  fs::path dir;

  void SetUp() override {
    std::string pattern = fs::temp_directory_path().string() + "/lullwood-hostile-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    // Open to the unprivileged user the permission cases act as.
    fs::permissions(dir, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec |
                             fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(core.ClaimDevice());
    core.ResetTables();
    core.SeedRandom(3);
    core.StartTimer(10);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir, fs::perms::owner_all, ignored);
    fs::remove_all(dir, ignored);
  }

  std::string PathOf(const std::string& name) const { return (dir / name).string(); }

  // A soundscape far from the defaults, so that a load that leaves anything behind shows.
  void PlaySomething() {
    for (int b : {1, 6, 12}) {
      panel.TickBox(b, true);
      core.OnBackgroundClicked(b);
    }
    for (int i : {2, 9, 30}) {
      panel.sliders[i] = 4;
      core.OnMixerScroll(1, 4, SoundCatalogue::Effect(i)->sliderId);
    }
    core.OnMixerScroll(4, 3, ids::kBackgroundVolumeBar);
    core.OnMixerScroll(4, 2, ids::kRandomVolumeBar);
    panel.controls.m_dynamicRandom = 1;
    core.OnDynamicRandom();
    ASSERT_NE(state.backgrounds.slot[2], nullptr);
  }

  // The finished load of a file of which nothing could be read.
  void ExpectDefaults(const std::string& path) {
    EXPECT_FALSE(state.audioDevice.muted);
    EXPECT_NE(state.audioDevice.directSound, nullptr);
    for (int b = 0; b < kBackgroundCount; ++b) {
      EXPECT_EQ(state.backgrounds.slotNumber[b], 0) << "background " << b;
      EXPECT_EQ(panel.controls.m_backgroundOn[b], 0) << "background " << b;
    }
    for (const auto& slot : state.backgrounds.slot) EXPECT_EQ(slot, nullptr);
    for (int n = 0; n < kEffectTableSize; ++n)
      EXPECT_EQ(state.scheduler.frequencyLevel[n], 0) << "entry " << n;
    EXPECT_EQ(state.mixer.backgroundVolumeStep, 10);
    EXPECT_EQ(state.mixer.randomVolumeStep, 10);
    EXPECT_EQ(panel.backgroundBar, 10);
    EXPECT_FALSE(state.mixer.dynamicRandom);
    EXPECT_EQ(panel.controls.m_dynamicRandom, 0);
    EXPECT_EQ(panel.title, kTitlePrefix + path);
    EXPECT_TRUE(panel.messages.empty());
  }

  // Loads `path` in a child from a busy soundscape and expects the defaults, within a
  // few seconds and a few MiB more memory than the process had.
  void ExpectLoadGivesDefaults(const std::string& path) {
    InChild([&] {
      PlaySomething();
      CapMemoryGrowth(8);
      const auto start = std::chrono::steady_clock::now();
      LoadScenario(core, path);
      EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
      ExpectDefaults(path);
    });
  }
};

TEST_F(HostileDiskTest, BinaryAndNulFilledFilesLoadAsDefaults) {
  std::mt19937 random(11);
  std::string noise(64 * 1024, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  WriteFile(dir / "noise.lwd", noise);
  ExpectLoadGivesDefaults(PathOf("noise.lwd"));

  WriteFile(dir / "nul.lwd", std::string(4096, '\0'));
  ExpectLoadGivesDefaults(PathOf("nul.lwd"));

  // The same section name with NUL bytes inside it is no section of ours.
  WriteFile(dir / "nulname.lwd", std::string("[Back\0grounds]\r\nchk1=Y\r\nV1=3\r\n", 30));
  ExpectLoadGivesDefaults(PathOf("nulname.lwd"));
}

TEST_F(HostileDiskTest, NulBytesBetweenLinesLeaveTheReadableKeysRead) {
  // A NUL is no blank: a key or section name that starts with one is another name.
  static const char kBytes[] =
      "[Backgrounds]\r\nchk2=Y\r\n\0\0\0\r\nV1=4\r\nR7=\0\r\n\0\0chk3=Y\r\nDYNAMIC=Y\r\n"
      "\0[Backgrounds]\r\nV2=3\r\n";
  WriteFile(dir / "mixed.lwd", std::string(kBytes, sizeof kBytes - 1));
  InChild([&] {
    PlaySomething();
    LoadScenario(core, PathOf("mixed.lwd"));
    EXPECT_EQ(state.backgrounds.slotNumber[1], 1);
    EXPECT_EQ(state.backgrounds.slotNumber[2], 0);
    EXPECT_EQ(state.backgrounds.slotNumber[6], 0);
    EXPECT_EQ(state.mixer.backgroundVolumeStep, 4);
    EXPECT_EQ(state.mixer.randomVolumeStep, 3) << "a NUL before [ starts no new section";
    EXPECT_EQ(state.scheduler.frequencyLevel[7], 0);
    EXPECT_EQ(state.scheduler.frequencyLevel[9], 0);
    EXPECT_TRUE(state.mixer.dynamicRandom);
  });
}

TEST_F(HostileDiskTest, AHundredMegabyteFileLoadsInBoundedTimeAndMemory) {
  // Sparse, so the test costs no disk: a Scenario at the front, then zeros.
  const std::string path = PathOf("huge.lwd");
  WriteFile(path, "[Backgrounds]\r\nchk3=Y\r\nV2=5\r\n");
  ASSERT_EQ(truncate(path.c_str(), 100L << 20), 0);
  InChild([&] {
    PlaySomething();
    // Room for the background the file ticks, not for the file.
    CapMemoryGrowth(32);
    const auto start = std::chrono::steady_clock::now();
    LoadScenario(core, path);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(state.backgrounds.slotNumber[2], 1) << "the front of the file is read";
    EXPECT_EQ(state.mixer.randomVolumeStep, 5);
    EXPECT_EQ(state.mixer.backgroundVolumeStep, 10);
    EXPECT_EQ(state.scheduler.frequencyLevel[9], 0);
    EXPECT_EQ(panel.title, kTitlePrefix + path);
  });
}

TEST_F(HostileDiskTest, ATenMegabyteLineLoadsInBoundedTimeAndMemory) {
  std::string body = "[Backgrounds]\r\nR4=";
  body.append(10u << 20, 'x');
  body += "\r\nchk5=Y\r\n";
  WriteFile(dir / "line.lwd", body);
  ExpectLoadGivesDefaults(PathOf("line.lwd"));

  // One line of 10 MB with no line end at all, and no section.
  WriteFile(dir / "oneline.lwd", std::string(10u << 20, '['));
  ExpectLoadGivesDefaults(PathOf("oneline.lwd"));
}

TEST_F(HostileDiskTest, NonFilesLoadAsDefaultsWithoutBlocking) {
  fs::create_directory(dir / "folder.lwd");
  ExpectLoadGivesDefaults(PathOf("folder.lwd"));

  // A FIFO with no writer would block an ordinary open for ever.
  ASSERT_EQ(mkfifo(PathOf("pipe.lwd").c_str(), 0600), 0);
  ExpectLoadGivesDefaults(PathOf("pipe.lwd"));

  ExpectLoadGivesDefaults("/dev/zero");
  ExpectLoadGivesDefaults("/dev/urandom");
  ExpectLoadGivesDefaults(PathOf("absent.lwd"));
  ExpectLoadGivesDefaults(PathOf("no/such/folder/x.lwd"));
  fs::create_symlink(dir / "looped.lwd", dir / "looped.lwd.2");
  fs::create_symlink(dir / "looped.lwd.2", dir / "looped.lwd");
  ExpectLoadGivesDefaults(PathOf("looped.lwd"));
}

TEST_F(HostileDiskTest, AFileWithoutReadPermissionLoadsAsDefaultsAndIsKept) {
  const std::string secret = "[Backgrounds]\r\nchk1=Y\r\nV1=2\r\n";
  WriteFile(dir / "secret.lwd", secret);
  fs::permissions(dir / "secret.lwd", fs::perms::owner_write);
  InChild([&] {
    ActAsOrdinaryUser();
    PlaySomething();
    LoadScenario(core, PathOf("secret.lwd"));
    ExpectDefaults(PathOf("secret.lwd"));
  });
  EXPECT_EQ(ReadFile(dir / "secret.lwd"), secret);
}

TEST_F(HostileDiskTest, APathThatVanishesDuringLoadsGivesTheWholeFileOrDefaults) {
  // A writer replaces, deletes and recreates the file while loads run: each load sees the
  // whole Scenario or none of it, never a mixture.
  const std::string path = PathOf("fleeting.lwd");
  InChild([&] {
    std::atomic<bool> quit{false};
    std::thread writer([&] {
      const std::string whole = "[Backgrounds]\r\nchk4=Y\r\nR9=4\r\nV1=6\r\nV2=7\r\n";
      for (unsigned i = 0; !quit; ++i) {
        std::error_code ignored;
        WriteFile(path + ".tmp", whole);
        std::rename((path + ".tmp").c_str(), path.c_str());
        std::this_thread::sleep_for(std::chrono::microseconds(i % 300));
        fs::remove(path, ignored);
        if (i % 3 == 0) fs::create_directory(path, ignored);
        std::this_thread::sleep_for(std::chrono::microseconds(i % 200));
        fs::remove(path, ignored);
      }
    });
    int whole = 0, empty = 0;
    std::this_thread::sleep_for(1ms);
    const auto end = std::chrono::steady_clock::now() + 3s;
    for (int round = 0; std::chrono::steady_clock::now() < end; ++round) {
      if (whole >= 200 && empty >= 200) break;
      LoadScenario(core, path);
      const bool read = state.mixer.backgroundVolumeStep == 6;
      (read ? whole : empty)++;
      EXPECT_EQ(state.backgrounds.slotNumber[3], read ? 1 : 0) << round;
      EXPECT_EQ(state.scheduler.frequencyLevel[9], read ? 4 : 0) << round;
      EXPECT_EQ(state.mixer.randomVolumeStep, read ? 7 : 10) << round;
      if (::testing::Test::HasFailure()) break;
    }
    quit = true;
    writer.join();
    std::printf("loads that read the file: %d, that found none: %d\n", whole, empty);
    EXPECT_GT(whole, 0) << "the file was never there: the race was not run";
    EXPECT_GT(empty, 0) << "the file was always there: the race was not run";
  });
}

TEST_F(HostileDiskTest, EveryRoadInFinishesTheLoad) {
  WriteFile(dir / "bad.lwd", std::string("\x7f"
                                         "ELF\2\1\1\0\0\0[Backgrounds\xff\xfe=",
                                         25));
  const std::string path = PathOf("bad.lwd");
  InChild([&] {  // the command line
    testing::CountingPriority priority;
    PlaySomething();
    panel.values.m_commandLineFile = path;
    ReadStartupSettings(core, priority);
    HandOverCommandLine(core);
    LoadPendingScenario(core);
    ExpectDefaults(path);
  });
  InChild([&] {  // automatic start-up
    testing::CountingPriority priority;
    PlaySomething();
    settings.values = {{"LWD", path}, {"AUTO", "Y"}};
    ReadStartupSettings(core, priority);
    LoadPendingScenario(core);
    ExpectDefaults(path);
  });
  InChild([&] {  // a drop of several files
    PlaySomething();
    AcceptDroppedFiles(core, {path, PathOf("ignored.lwd")});
    ExpectDefaults(path);
  });
}

// A save that cannot be made: the message, the old file whole, the title as it was.
class FailingSaveTest : public HostileDiskTest {
 protected:
  void ExpectRefused(const std::string& path) {
    const std::string title = panel.title;
    EXPECT_FALSE(SaveScenarioAs(core, path));
    ASSERT_EQ(panel.messages.size(), 1u);
    EXPECT_EQ(panel.messages[0], "*ERROR* Could not save the scenario file.");
    EXPECT_EQ(panel.title, title);
  }
  // Names in a folder, to show that a failed save leaves no temporary behind.
  static std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(FailingSaveTest, AMissingFolderOrADirectoryInTheWayIsRefused) {
  PlaySomething();
  ExpectRefused(PathOf("no/such/folder/x.lwd"));
  EXPECT_FALSE(fs::exists(dir / "no"));

  panel.messages.clear();
  fs::create_directory(dir / "taken.lwd");
  WriteFile(dir / "taken.lwd" / "inside", "kept");
  ExpectRefused(PathOf("taken.lwd"));
  EXPECT_TRUE(fs::is_directory(dir / "taken.lwd"));
  EXPECT_EQ(ReadFile(dir / "taken.lwd" / "inside"), "kept");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"taken.lwd"});
}

TEST_F(FailingSaveTest, AFolderWithoutWritePermissionKeepsTheOldFile) {
  const fs::path locked = dir / "locked";
  fs::create_directory(locked);
  const std::string old = "[Backgrounds]\r\nchk9=Y\r\n; mine\r\n";
  WriteFile(locked / "old.lwd", old);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  InChild([&] {
    ActAsOrdinaryUser();
    PlaySomething();
    ExpectRefused((locked / "old.lwd").string());
  });
  EXPECT_EQ(ReadFile(locked / "old.lwd"), old);
  EXPECT_EQ(Entries(locked), std::vector<std::string>{"old.lwd"});
}

TEST_F(FailingSaveTest, AFullDiskKeepsTheOldFile) {
  const std::string old = "[Backgrounds]\r\nV1=2\r\n";
  WriteFile(dir / "old.lwd", old);
  InChild([&] {
    PlaySomething();
    // Writes past the file-size limit fail as on a full disk, for any user.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64, 64};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    ExpectRefused(PathOf("old.lwd"));
  });
  EXPECT_EQ(ReadFile(dir / "old.lwd"), old);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"old.lwd"});
}

TEST_F(FailingSaveTest, ASaverKilledAtAnyMomentLeavesTheOldOrTheNewScenarioWhole) {
  // Two Scenarios that differ in one value; a child saves them in turn over one file
  // until it is killed.
  const std::string path = PathOf("contested.lwd");
  PlaySomething();
  core.OnMixerScroll(4, 3, ids::kBackgroundVolumeBar);
  ASSERT_TRUE(SaveScenarioAs(core, PathOf("a.lwd")));
  core.OnMixerScroll(4, 9, ids::kBackgroundVolumeBar);
  ASSERT_TRUE(SaveScenarioAs(core, PathOf("b.lwd")));
  const std::string a = ReadFile(dir / "a.lwd"), b = ReadFile(dir / "b.lwd");
  ASSERT_NE(a, b);
  WriteFile(path, a);

  std::mt19937 random(5);
  int sawA = 0, sawB = 0;
  for (int round = 0; round < 40; ++round) {
    ASSERT_NO_FATAL_FAILURE(testing::SaveUntilKilled(
        [&](unsigned i) {
          core.OnMixerScroll(4, i % 2 ? 3 : 9, ids::kBackgroundVolumeBar);
          return SaveScenarioAs(core, path);
        },
        random, 4000));
    const std::string now = ReadFile(path);
    ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes";
    (now == a ? sawA : sawB)++;
  }
  // The file is loaded whole after all that.
  LoadScenario(core, path);
  EXPECT_TRUE(state.mixer.backgroundVolumeStep == 3 || state.mixer.backgroundVolumeStep == 9);
  EXPECT_EQ(state.backgrounds.slotNumber[12], 3);
  RecordProperty("old", sawA);
  RecordProperty("new", sawB);
}

}  // namespace
}  // namespace lullwood
