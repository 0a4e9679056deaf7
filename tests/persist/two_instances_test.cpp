// Two programs at once: processes that change the settings together never corrupt the
// store, and a Scenario saved by one is read whole by the other while it is saved.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>
#include <string>

#include "ChildProcess.h"
#include "ControlIds.h"
#include "FakePorts.h"
#include "OfflineOutput.h"
#include "QSettingsStore.h"
#include "Scenario.h"
#include "SettingsHome.h"

namespace lullwood {
namespace {

using testing::ExpectChildPassed;
using testing::StartChild;

// One instance's turn at the settings: it owns one switch that only it writes, and both
// write the shared file name. After every write, everything read back is something one
// of them wrote, and its own switch is what it last wrote.
// Whether `path` is one of the names ChangeSettings writes: /scenarios/a|b/night-N.lwd.
bool IsWrittenName(const std::string& path) {
  const std::string head = "/scenarios/a/night-", tail = ".lwd";
  if (path.size() <= head.size() + tail.size()) return false;
  if (path.compare(0, 11, head, 0, 11) != 0 || (path[11] != 'a' && path[11] != 'b')) return false;
  if (path.compare(12, 7, head, 12, 7) != 0) return false;
  if (path.compare(path.size() - tail.size(), tail.size(), tail) != 0) return false;
  const std::string digits = path.substr(head.size(), path.size() - head.size() - tail.size());
  return digits.find_first_not_of("0123456789") == std::string::npos;
}

void ChangeSettings(char instance, const std::string& ownSwitch, int writes) {
  QSettingsStore store;
  std::string last = "N";
  for (int i = 0; i < writes; ++i) {
    const std::string path =
        std::string("/scenarios/") + instance + "/night-" + std::to_string(i) + ".lwd";
    ASSERT_TRUE(store.Write("LWD", path)) << i;
    last = i % 3 ? "Y" : "N";
    ASSERT_TRUE(store.Write(ownSwitch, last)) << i;
    const auto lwd = store.Read("LWD");
    ASSERT_TRUE(lwd.has_value()) << i;
    ASSERT_TRUE(IsWrittenName(*lwd)) << i << ": " << *lwd;
    ASSERT_EQ(store.Read(ownSwitch), last) << i << ": the other instance lost my write";
    const auto autoStart = store.Read("AUTO");
    ASSERT_TRUE(autoStart == "Y") << i;  // written once before both began
  }
}

TEST(TwoInstancesTest, SettingsChangedByBothAtOnceStayWhole) {
  {
    QSettingsStore store;
    ASSERT_TRUE(store.Write("AUTO", "Y"));
  }
  const pid_t a = StartChild([] { ChangeSettings('a', "BOOST", 150); });
  const pid_t b = StartChild([] { ChangeSettings('b', "AUTOHIDE", 150); });
  ExpectChildPassed(a);
  ExpectChildPassed(b);

  // The file parses and holds each instance's last word.
  QSettings file(testing::SettingsHome() + "/Quillor/Lullwood.conf", QSettings::IniFormat);
  EXPECT_EQ(file.status(), QSettings::NoError);
  EXPECT_EQ(file.value("BOOST").toString(), "Y");  // 149 % 3 != 0
  EXPECT_EQ(file.value("AUTOHIDE").toString(), "Y");
  EXPECT_EQ(file.value("AUTO").toString(), "Y");
  const QString lwd = file.value("LWD").toString();
  EXPECT_TRUE(lwd == "/scenarios/a/night-149.lwd" || lwd == "/scenarios/b/night-149.lwd")
      << lwd.toStdString();
}

// A soundscape with the rules and fakes, as each instance has.
struct Instance {
  ProcessState state;
  testing::FakePanel panel;
  testing::FakeTimer timer;
  testing::FakeSettings settings;
  OfflineOutputFactory outputs;
  Soundscape core{state, panel, timer, outputs, settings};

  Instance() {
    EXPECT_TRUE(core.ClaimDevice());
    core.ResetTables();
    core.SeedRandom(1);
  }
  void Tick(int b, bool on) {
    panel.TickBox(b, on);
    core.OnBackgroundClicked(b);
  }
  void Level(int effect, int level) {
    panel.sliders[effect] = level;
    core.OnMixerScroll(1, level, SoundCatalogue::Effect(effect)->sliderId);
  }
  // One of two Scenarios that differ at the start, middle and end of the file.
  void Become(bool second) {
    Tick(0, !second);
    Tick(20, second);
    Level(15, second ? 2 : 4);
    core.OnMixerScroll(4, second ? 9 : 3, ids::kBackgroundVolumeBar);
    panel.controls.m_dynamicRandom = second ? 1 : 0;
    core.OnDynamicRandom();
  }
};

TEST(TwoInstancesTest, AScenarioSavedByOneIsReadWholeByTheOtherWhileSaving) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = dir.path().toStdString() + "/shared.lwd";
  {
    Instance first;
    first.Become(false);
    ASSERT_TRUE(SaveScenarioAs(first.core, path));
  }

  const pid_t saver = StartChild([&] {
    Instance saving;
    for (int i = 0; i < 800; ++i) {
      saving.Become(i % 2);
      ASSERT_TRUE(SaveScenarioAs(saving.core, path)) << i;
    }
  });

  Instance reading;
  int first = 0, second = 0;
  int status = 0;
  bool saverDone = false;
  while (!saverDone) {
    saverDone = waitpid(saver, &status, WNOHANG) == saver;
    LoadScenario(reading.core, path);
    const auto& s = reading.state;
    const bool isSecond = s.mixer.backgroundVolumeStep == 9;
    ASSERT_TRUE(isSecond || s.mixer.backgroundVolumeStep == 3) << "read no Scenario at all";
    ASSERT_EQ(s.backgrounds.slotNumber[0], isSecond ? 0 : 1) << "a torn file";
    ASSERT_EQ(s.backgrounds.slotNumber[20], isSecond ? 1 : 0) << "a torn file";
    ASSERT_EQ(s.scheduler.frequencyLevel[15], isSecond ? 2 : 4) << "a torn file";
    ASSERT_EQ(s.mixer.dynamicRandom, isSecond) << "a torn file";
    (isSecond ? second : first)++;
  }
  ASSERT_TRUE(WIFEXITED(status)) << "the saver crashed";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the saver reported failures (above)";
  EXPECT_GT(first, 0);
  EXPECT_GT(second, 0);
  RecordProperty("first", first);
  RecordProperty("second", second);
}

}  // namespace
}  // namespace lullwood
