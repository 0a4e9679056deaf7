// Scenario files and the per-user switches, through the soundscape's rules and fakes.
#include "Scenario.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "ControlIds.h"
#include "FakePorts.h"
#include "OfflineOutput.h"
#include "Startup.h"
#include "TempFolder.h"

namespace lullwood {
namespace {

namespace fs = std::filesystem;
using testing::FakePanel;
using testing::FakeSettings;
using testing::FakeTimer;

using testing::ReadBytes;
using testing::WriteBytes;

// The lines a save writes, joined with CR LF.
std::string Lines(std::initializer_list<std::string> lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

std::string StartUpScenario() {
  std::string out = "[Backgrounds]\r\n";
  for (int k = 1; k <= 23; ++k) out.append("chk").append(std::to_string(k)).append("=N\r\n");
  for (int n = 0; n <= 31; ++n) out.append("R").append(std::to_string(n)).append("=0\r\n");
  return out + "V1=10\r\nV2=10\r\nDYNAMIC=N\r\n";
}

class ScenarioTest : public testing::TempFolderTest {
 protected:
  ProcessState state;
  FakePanel panel;
  FakeTimer timer;
  FakeSettings settings;
  OfflineOutputFactory outputs;
  Soundscape core{state, panel, timer, outputs, settings};
  testing::CountingPriority priority;

  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_TRUE(core.ClaimDevice());
    core.ResetTables();
    core.SeedRandom(1);
    core.StartTimer(10);
  }

  std::string PathOf(const std::string& name) { return (dir_ / name).string(); }
  void ClickBox(int b, bool on) {
    panel.TickBox(b, on);
    core.OnBackgroundClicked(b);
  }
  void MoveSlider(int effectIndex, int position) {
    panel.sliders[effectIndex] = position;
    core.OnMixerScroll(1, position, SoundCatalogue::Effect(effectIndex)->sliderId);
  }
  void Load(const std::string& body) {
    WriteBytes(dir_ / "in.lwd", body);
    LoadScenario(core, PathOf("in.lwd"));
  }
  int SlotOf(int b) { return state.backgrounds.slotNumber[b]; }
};

TEST_F(ScenarioTest, SavingRightAfterStartUpWritesEveryDefault) {
  ASSERT_TRUE(SaveScenarioAs(core, PathOf("new.lwd")));
  EXPECT_EQ(ReadBytes(dir_ / "new.lwd"), StartUpScenario());
  EXPECT_EQ(panel.title, "Lullwood v2.2 - " + PathOf("new.lwd"));
}

TEST_F(ScenarioTest, TheWorkedExampleSavesToExactlyTheseBytesAndLoadsBack) {
  ClickBox(0, true);
  ClickBox(4, true);
  ClickBox(22, true);
  MoveSlider(1, 2);
  MoveSlider(4, 4);
  MoveSlider(14, 3);
  MoveSlider(14, 1);
  core.OnMixerScroll(4, 8, ids::kBackgroundVolumeBar);
  core.OnMixerScroll(4, 6, ids::kRandomVolumeBar);
  panel.controls.m_dynamicRandom = 1;
  core.OnDynamicRandom();
  ASSERT_TRUE(SaveScenarioAs(core, PathOf("example.lwd")));

  std::string expected = "[Backgrounds]\r\n";
  for (int k = 1; k <= 23; ++k)
    expected.append("chk")
        .append(std::to_string(k))
        .append(k == 1 || k == 5 || k == 23 ? "=Y\r\n" : "=N\r\n");
  for (int n = 0; n <= 31; ++n) {
    const int level = n == 1 ? 2 : n == 4 ? 4 : n == 14 ? 1 : 0;
    expected.append("R")
        .append(std::to_string(n))
        .append("=")
        .append(std::to_string(level))
        .append("\r\n");
  }
  expected += Lines({"V1=8", "V2=6", "DYNAMIC=Y"});
  EXPECT_EQ(ReadBytes(dir_ / "example.lwd"), expected);

  core.OnClearAll();
  LoadScenario(core, PathOf("example.lwd"));
  EXPECT_EQ(SlotOf(0), 1);
  EXPECT_EQ(SlotOf(4), 2);
  EXPECT_EQ(SlotOf(22), 3);
  EXPECT_EQ(state.scheduler.frequencyLevel[1], 2);
  EXPECT_EQ(state.scheduler.frequencyLevel[4], 4);
  EXPECT_EQ(state.scheduler.nextFireTick[4], kRescheduleMarker);
  EXPECT_EQ(state.scheduler.nextFireTick[14], 0.0) << "level 1 changes nothing else";
  EXPECT_EQ(panel.sliders[1], 2);
  EXPECT_EQ(panel.sliders[14], 1);
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 8);
  EXPECT_EQ(state.backgrounds.slot[0]->GetVolume(), -500);
  EXPECT_EQ(state.mixer.randomVolumeStep, 6);
  EXPECT_TRUE(state.mixer.dynamicRandom);
  EXPECT_EQ(panel.controls.m_dynamicRandom, 1);
  EXPECT_EQ(panel.title, "Lullwood v2.2 - " + PathOf("example.lwd"));

  // Saving the loaded Scenario again gives the same bytes.
  ASSERT_TRUE(SaveScenarioAs(core, PathOf("again.lwd")));
  EXPECT_EQ(ReadBytes(dir_ / "again.lwd"), expected);
}

TEST_F(ScenarioTest, ValuesAreReadWithTheirCharacterLimitsAndKeptInRange) {
  Load(Lines({"[backgrounds]", "chk3=y", "CHK4=Yes", "Chk5=1", "chk6=", "R7=3", "R8=34", "R9=1",
              "R10=9", "r11=-2", "V1=100", "V2=0"}));
  EXPECT_EQ(panel.controls.m_backgroundOn[2], 1);
  EXPECT_EQ(panel.controls.m_backgroundOn[3], 1) << "only the first character is kept";
  EXPECT_EQ(panel.controls.m_backgroundOn[4], 0);
  EXPECT_EQ(panel.controls.m_backgroundOn[5], 0);
  EXPECT_EQ(state.scheduler.frequencyLevel[7], 3);
  EXPECT_EQ(panel.sliders[7], 3);
  EXPECT_EQ(state.scheduler.frequencyLevel[8], 3);
  EXPECT_EQ(state.scheduler.frequencyLevel[9], 1);
  EXPECT_EQ(panel.sliders[9], 1);
  EXPECT_EQ(state.scheduler.frequencyLevel[10], 4) << "a level above 4 is taken as 4";
  EXPECT_EQ(panel.sliders[10], 4);
  EXPECT_EQ(state.scheduler.frequencyLevel[11], 0) << "'-' alone reads as 0";
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 10) << "\"100\" reads as 10";
  EXPECT_EQ(state.mixer.randomVolumeStep, 1) << "a step below 1 is taken as 1";
  EXPECT_EQ(panel.randomBar, 1);

  Load(Lines({"[Backgrounds]", "V1=7", "V2=42", "R12=-3"}));
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 7);
  EXPECT_EQ(state.mixer.randomVolumeStep, 10) << "\"42\" is kept as 42 and bounded to 10";
  EXPECT_EQ(state.scheduler.frequencyLevel[12], 0);
}

TEST_F(ScenarioTest, AMissingOrEmptyFileGivesTheDefaultsAndTheTitle) {
  WriteBytes(dir_ / "empty.lwd", "");
  WriteBytes(dir_ / "other.lwd", Lines({"[Elsewhere]", "chk1=Y", "R2=4", "V1=3"}));
  const std::string paths[] = {PathOf("missing.lwd"), PathOf("empty.lwd"), PathOf("other.lwd"), ""};
  for (const std::string& path : paths) {
    // Away from every default before each load, so that each load has to restore them.
    core.OnClearAll();
    ClickBox(3, true);
    MoveSlider(2, 4);
    core.OnMixerScroll(4, 6, ids::kBackgroundVolumeBar);
    core.OnMixerScroll(4, 2, ids::kRandomVolumeBar);
    panel.controls.m_dynamicRandom = 1;
    core.OnDynamicRandom();
    ASSERT_NE(state.backgrounds.slot[0], nullptr);
    ASSERT_TRUE(state.mixer.dynamicRandom);
    panel.messages.clear();

    LoadScenario(core, path);
    EXPECT_EQ(state.backgrounds.slot[0], nullptr) << path;
    EXPECT_EQ(panel.controls.m_backgroundOn[3], 0) << path;
    EXPECT_EQ(state.scheduler.frequencyLevel[2], 0) << path;
    EXPECT_EQ(state.scheduler.nextFireTick[2], 0.0) << path;
    EXPECT_EQ(panel.sliders[2], 1) << path;
    EXPECT_EQ(state.mixer.backgroundVolumeStep, 10) << path;
    EXPECT_EQ(state.mixer.randomVolumeStep, 10) << path;
    EXPECT_EQ(panel.backgroundBar, 10) << path;
    EXPECT_EQ(panel.randomBar, 10) << path;
    EXPECT_FALSE(state.mixer.dynamicRandom) << path;
    EXPECT_EQ(panel.controls.m_dynamicRandom, 0) << path;
    EXPECT_EQ(panel.title, "Lullwood v2.2 - " + path);
    EXPECT_TRUE(panel.messages.empty()) << path;
  }
}

TEST_F(ScenarioTest, EntryZeroIsNeverReadAndAlwaysSavedAsZero) {
  Load(Lines({"[Backgrounds]", "R0=4", "R1=3"}));
  EXPECT_EQ(state.scheduler.frequencyLevel[0], 0);
  EXPECT_EQ(state.scheduler.nextFireTick[0], 0.0) << "entry 0 is not scheduled";
  EXPECT_EQ(state.scheduler.frequencyLevel[1], 3);
  ASSERT_TRUE(SaveScenarioAs(core, PathOf("out.lwd")));
  const std::string bytes = ReadBytes(dir_ / "out.lwd");
  EXPECT_NE(bytes.find("\r\nR0=0\r\nR1=3\r\n"), std::string::npos) << bytes;

  // Even a level that reached entry 0 by another road is saved as "0".
  state.scheduler.frequencyLevel[0] = 2;
  ASSERT_TRUE(SaveScenarioAs(core, PathOf("out.lwd")));
  EXPECT_NE(ReadBytes(dir_ / "out.lwd").find("\r\nR0=0\r\n"), std::string::npos);
}

TEST_F(ScenarioTest, MoreThanThreeBackgroundsPlayTheFirstThreeAndRefuseEachOther) {
  Load(Lines({"[Backgrounds]", "chk2=Y", "chk4=Y", "chk9=Y", "chk12=Y", "chk20=Y"}));
  EXPECT_EQ(SlotOf(1), 1);
  EXPECT_EQ(SlotOf(3), 2);
  EXPECT_EQ(SlotOf(8), 3);
  EXPECT_EQ(panel.messages.size(), 2u);
  EXPECT_EQ(panel.controls.m_backgroundOn[11], 0);
  EXPECT_EQ(panel.controls.m_backgroundOn[19], 0);
}

TEST_F(ScenarioTest, LoadingWhileMutedUnmutesFirst) {
  core.OnMute();
  Load(Lines({"[Backgrounds]", "chk1=Y", "R3=4"}));
  EXPECT_FALSE(state.audioDevice.muted);
  EXPECT_EQ(SlotOf(0), 1);
  EXPECT_TRUE(panel.soundControlsEnabled);

  // When the device cannot be claimed the load still sets every control from the file.
  core.OnMute();
  outputs.SetFailing(true);
  panel.messages.clear();
  Load(Lines({"[Backgrounds]", "chk2=Y", "R5=3", "V2=4"}));
  EXPECT_TRUE(state.audioDevice.muted);
  EXPECT_EQ(panel.messages.size(), 1u);
  EXPECT_EQ(panel.controls.m_backgroundOn[1], 1) << "ticked and silent";
  EXPECT_EQ(SlotOf(1), 0);
  EXPECT_EQ(state.scheduler.frequencyLevel[5], 3);
  EXPECT_EQ(state.mixer.randomVolumeStep, 4);
}

TEST_F(ScenarioTest, SavingOverAFileKeepsItsOtherSectionsAndComments) {
  WriteBytes(dir_ / "mine.lwd", "; my night\n[Other]\nkeep=1\n\n[Backgrounds]\nV1=3\nnote=x\n");
  ASSERT_TRUE(SaveScenarioAs(core, PathOf("mine.lwd")));
  const std::string bytes = ReadBytes(dir_ / "mine.lwd");
  EXPECT_EQ(bytes.rfind("; my night\n[Other]\nkeep=1\n\n[Backgrounds]\nV1=10", 0), 0u);
  EXPECT_EQ(bytes.find("V1=3"), std::string::npos);
  EXPECT_NE(bytes.find("note=x"), std::string::npos);
  EXPECT_NE(bytes.find("chk23=N\r\n"), std::string::npos);
  EXPECT_EQ(PrivateProfileFile::FromBytes(bytes).GetString("Backgrounds", "V2", "?"), "10");
}

TEST_F(ScenarioTest, DroppingSeveralFilesLoadsTheFirstWithItsWholePath) {
  const std::string longName(150, 'n');
  WriteBytes(dir_ / (longName + ".lwd"), Lines({"[Backgrounds]", "V1=5"}));
  WriteBytes(dir_ / "second.lwd", Lines({"[Backgrounds]", "V1=2"}));
  AcceptDroppedFiles(core, {PathOf(longName + ".lwd"), PathOf("second.lwd"), PathOf("x")});
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 5);
  EXPECT_EQ(panel.title, "Lullwood v2.2 - " + PathOf(longName + ".lwd"));
}

// ------------------------------------------------------------------ settings

TEST_F(ScenarioTest, StartUpReadsSwitchesThatAreExactlyY) {
  settings.values = {{"LWD", "/x/auto.lwd"}, {"AUTO", "y"},    {"BOOST", "Yes"},
                     {"AUTOHIDE", "Y"},      {"DYNAMIC", "Y"}, {"FULLBAND", "y"}};
  ReadStartupSettings(core, priority);
  EXPECT_EQ(state.mixer.rendition, Rendition::kFullBand);
  EXPECT_EQ(panel.values.m_scenarioFile, "/x/auto.lwd");
  EXPECT_EQ(state.autostartScenarioPath, "/x/auto.lwd");
  EXPECT_EQ(panel.values.m_autoStart, 1);
  EXPECT_TRUE(state.autostartPending);
  EXPECT_EQ(panel.values.m_boostPriority, 0);
  EXPECT_EQ(priority.raises, 0);
  EXPECT_EQ(panel.values.m_autoHide, 1);
  EXPECT_TRUE(state.scheduler.autoHidePending);
  EXPECT_EQ(panel.values.m_dynamicRandom, 0) << "DYNAMIC is never read back";
  EXPECT_FALSE(state.mixer.dynamicRandom);

  // The original sounds unless the store says exactly Y.
  for (const char* text : {"Yes", "N", ""}) {
    settings.values = {{"FULLBAND", text}};
    ReadStartupSettings(core, priority);
    EXPECT_EQ(state.mixer.rendition, Rendition::kOriginal) << text;
  }
  settings.values.clear();
  ReadStartupSettings(core, priority);
  EXPECT_EQ(state.mixer.rendition, Rendition::kOriginal);
}

TEST_F(ScenarioTest, TheCommandLineBeatsTheStoredFileForThisRunOnly) {
  settings.values = {{"LWD", "/x/auto.lwd"}, {"AUTO", "N"}};
  panel.values.m_commandLineFile = "\"/tmp/with quotes.lwd\"";
  ReadStartupSettings(core, priority);
  HandOverCommandLine(core);
  EXPECT_TRUE(state.autostartPending);
  EXPECT_EQ(state.autostartScenarioPath, "\"/tmp/with quotes.lwd\"") << "used unchanged";
  EXPECT_EQ(panel.values.m_scenarioFile, "/x/auto.lwd");
  EXPECT_EQ(settings.values["LWD"], "/x/auto.lwd");
}

TEST_F(ScenarioTest, TheFirstPaintLoadsThePendingScenarioOnceThenTheFirstTickHides) {
  WriteBytes(dir_ / "night.lwd", Lines({"[Backgrounds]", "chk8=Y", "V1=4"}));
  settings.values = {{"LWD", PathOf("night.lwd")}, {"AUTO", "Y"}, {"AUTOHIDE", "Y"}};
  ReadStartupSettings(core, priority);
  LoadPendingScenario(core);
  EXPECT_FALSE(state.autostartPending);
  EXPECT_EQ(SlotOf(7), 1);
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 4);
  core.OnClearAll();
  LoadPendingScenario(core);  // a later paint loads nothing
  EXPECT_EQ(SlotOf(7), 0);
  EXPECT_TRUE(panel.shown);
  core.Tick();
  EXPECT_FALSE(panel.shown);
}

TEST_F(ScenarioTest, EnableNeedsAFileNameAndTypingStoresEveryKeystroke) {
  panel.controls.m_autoStart = 1;
  OnAutoStart(core);
  EXPECT_EQ(panel.messages.at(0),
            "*ERROR* You must select a previously saved scenario filename with which to "
            "autostart.");
  EXPECT_EQ(panel.controls.m_autoStart, 0);
  EXPECT_FALSE(settings.values.count("AUTO"));

  for (std::string typed : {"/", "/a", "/a.lwd"}) {
    panel.controls.m_scenarioFile = typed;
    OnScenarioFileChange(core);
    EXPECT_EQ(settings.values["LWD"], typed);
  }
  panel.controls.m_autoStart = 1;
  OnAutoStart(core);
  EXPECT_EQ(settings.values["AUTO"], "Y");
  panel.controls.m_scenarioFile = "";
  OnScenarioFileChange(core);
  EXPECT_EQ(settings.values["LWD"], "");
  EXPECT_EQ(settings.values["AUTO"], "Y");

  OnScenarioChosen(core, "/b/chosen.lwd");
  EXPECT_EQ(panel.controls.m_scenarioFile, "/b/chosen.lwd");
  EXPECT_EQ(settings.values["LWD"], "/b/chosen.lwd");
}

TEST_F(ScenarioTest, BoostAndAutoHideStoreTheirSwitches) {
  panel.controls.m_boostPriority = 1;
  OnBoostPriority(core, priority);
  EXPECT_EQ(priority.raises, 1);
  EXPECT_EQ(settings.values["BOOST"], "Y");
  panel.controls.m_boostPriority = 0;
  OnBoostPriority(core, priority);
  EXPECT_EQ(priority.lowers, 1);
  EXPECT_EQ(settings.values["BOOST"], "N");
  panel.controls.m_autoHide = 1;
  OnAutoHide(core);
  EXPECT_EQ(settings.values["AUTOHIDE"], "Y");
  EXPECT_FALSE(state.scheduler.autoHidePending) << "takes effect at the next start";
  settings.failWrites = true;
  OnAutoHide(core);
  EXPECT_EQ(panel.messages.back(), "*ERROR* Could not write to registry.");
}

}  // namespace
}  // namespace lullwood
