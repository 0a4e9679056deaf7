// Scenarios on a failing disk, as the user sees them: a file that cannot be read, by
// any road in, gives a finished load with the defaults; a save that cannot be made says
// so and leaves the old file and the title as they were. How a file fails to be read is
// the private-profile tests' matter and how a replacement fails ReplacingFile's; here
// one case for each direction shows that the failure reaches the user whole. The loads
// run in a child process, so that a crash is reported as one instead of ending the run.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ControlIds.h"
#include "FakePorts.h"
#include "OfflineOutput.h"
#include "OrdinaryUser.h"
#include "Scenario.h"
#include "Startup.h"
#include "TempFolder.h"

namespace lullwood {
namespace {

namespace fs = std::filesystem;
using testing::InChild;

const std::string kTitlePrefix = "Lullwood v2.2 - ";

using testing::ReadBytes;
using testing::WriteBytes;

class HostileDiskTest : public testing::TempFolderTest {
 protected:
  ProcessState state;
  testing::FakePanel panel;
  testing::FakeTimer timer;
  testing::FakeSettings settings;
  OfflineOutputFactory outputs;
  Soundscape core{state, panel, timer, outputs, settings};

  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_TRUE(core.ClaimDevice());
    core.ResetTables();
    core.SeedRandom(3);
    core.StartTimer(10);
  }
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

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
};

TEST_F(HostileDiskTest, AFileThatCannotBeReadLoadsAsDefaultsAndIsKept) {
  const std::string secret = "[Backgrounds]\r\nchk1=Y\r\nV1=2\r\n";
  // The superuser reads every file: the load runs with an ordinary user's rights.
  testing::AsOrdinaryUser(dir_.string(), [&] {
    WriteBytes(dir_ / "secret.lwd", secret);
    ASSERT_EQ(chmod(PathOf("secret.lwd").c_str(), 0200), 0);
    PlaySomething();
    LoadScenario(core, PathOf("secret.lwd"));
    ExpectDefaults(PathOf("secret.lwd"));
  });
  EXPECT_EQ(ReadBytes(dir_ / "secret.lwd"), secret);
}

TEST_F(HostileDiskTest, EveryRoadInFinishesTheLoad) {
  WriteBytes(dir_ / "bad.lwd", std::string("\x7f"
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

// A save that cannot be made: the message, the reason on standard error, the old file
// whole and the title as it was.
class FailingSaveTest : public HostileDiskTest {};

TEST_F(FailingSaveTest, AFailedSaveIsReportedAndLeavesTheOldFileAndTitle) {
  const std::string old = "[Backgrounds]\r\nchk9=Y\r\n; mine\r\n";
  WriteBytes(dir_ / "old.lwd", old);
  // Read-only by its mode bits, so the replacement refuses it even for the superuser.
  ASSERT_EQ(chmod(PathOf("old.lwd").c_str(), 0444), 0);
  PlaySomething();
  const std::string title = panel.title;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(SaveScenarioAs(core, PathOf("old.lwd")));
  const std::string said = ::testing::internal::GetCapturedStderr();
  ASSERT_EQ(panel.messages.size(), 1u);
  EXPECT_EQ(panel.messages[0], "*ERROR* Could not save the scenario file.");
  EXPECT_EQ(panel.title, title);
  EXPECT_NE(said.find(PathOf("old.lwd")), std::string::npos) << said;
  EXPECT_NE(said.find("is read-only"), std::string::npos) << said;
  EXPECT_EQ(ReadBytes(dir_ / "old.lwd"), old);
  EXPECT_EQ(Entries(), std::vector<std::string>{"old.lwd"});
}

}  // namespace
}  // namespace lullwood
