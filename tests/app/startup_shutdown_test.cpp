// Start-up order, the device claim with its "Try Again? " box, and CloseDown.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <ctime>

#include "ControlIds.h"
#include "DialogFixture.h"
#include "EventWaits.h"
#include "SoundCatalogue.h"

namespace lullwood::testing {
namespace {

constexpr std::string_view kTryAgain =
    "*ERROR* DirectX Sound will not initialize.  Wave device may not be available.  Try Again? ";

class StartupTest : public DialogFixture<> {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    Make();
  }
};

// What the window looked like at one moment of start-up.
struct Snapshot {
  int sliderMaximum = 0;
  int backgroundBar = 0;
  int randomBar = 0;
  QString fileBox;
  bool enableTicked = false;
  bool autoHideTicked = false;
  bool dynamicTicked = true;
  std::string autostartPath;
  bool autostartPending = false;
  int level5 = 0;
  uint32_t seed = 0;
  bool timerRunning = true;
  bool playPressed = true;
  int attempts = 0;
};

TEST_F(StartupTest, InitializeWindowRunsItsStepsInOrder) {
  settings.values = {
      {"LWD", "stored.lwd"}, {"AUTO", "y"}, {"BOOST", "y"}, {"AUTOHIDE", "Y"}, {"DYNAMIC", "Y"}};
  dialog->Values().m_commandLineFile = "\"from command line.lwd\"";
  state.scheduler.frequencyLevel[5] = 3;
  state.scheduler.random.Seed(777);
  const auto take = [&] {
    Snapshot s;
    s.sliderMaximum = dialog->EffectSlider(5)->maximum();
    s.backgroundBar = Get<QScrollBar>(ids::kBackgroundVolumeBar)->value();
    s.randomBar = Get<QScrollBar>(ids::kRandomVolumeBar)->value();
    s.fileBox = Get<QLineEdit>(ids::kScenarioFile)->text();
    s.enableTicked = Get<QCheckBox>(ids::kEnable)->isChecked();
    s.autoHideTicked = Get<QCheckBox>(ids::kAutoHide)->isChecked();
    s.dynamicTicked = Get<QCheckBox>(ids::kDynamicRandom)->isChecked();
    s.autostartPath = state.autostartScenarioPath;
    s.autostartPending = state.autostartPending;
    s.level5 = state.scheduler.frequencyLevel[5];
    s.seed = state.scheduler.random.state();
    s.timerRunning = dialog->schedulerTimer().running();
    s.playPressed = Get<QPushButton>(ids::kPlay)->isChecked();
    s.attempts = outputs.attempts;
    return s;
  };
  std::optional<Snapshot> atFirstRead;
  std::optional<Snapshot> atClaim;
  settings.onRead = [&](std::string_view) {
    if (!atFirstRead) atFirstRead = take();
  };
  outputs.onOpen = [&] { atClaim = take(); };

  const uint32_t before = static_cast<uint32_t>(std::time(nullptr));
  ASSERT_TRUE(dialog->InitializeWindow());
  const uint32_t after = static_cast<uint32_t>(std::time(nullptr));

  // The settings are read in this order, the choices of rendition and of keeping awake
  // last; DYNAMIC is never read back.
  EXPECT_EQ(settings.reads,
            (std::vector<std::string>{"LWD", "AUTO", "BOOST", "AUTOHIDE", "FULLBAND", "AWAKE"}));
  ASSERT_TRUE(atFirstRead && atClaim);
  // Before the settings reads: no ranges yet, nothing claimed, no timer.
  EXPECT_NE(atFirstRead->sliderMaximum, 4);
  EXPECT_EQ(atFirstRead->fileBox, "");
  EXPECT_EQ(atFirstRead->attempts, 0);
  EXPECT_FALSE(atFirstRead->timerRunning);
  // At the claim: settings, command line, ranges and switches are in place; the
  // tables, the generator, the Play look and the timer are not yet.
  EXPECT_EQ(atClaim->fileBox, "stored.lwd") << "the box keeps the stored name";
  EXPECT_TRUE(atClaim->enableTicked);
  EXPECT_TRUE(atClaim->autoHideTicked);
  EXPECT_FALSE(atClaim->dynamicTicked);
  EXPECT_EQ(atClaim->autostartPath, "\"from command line.lwd\"") << "quotes kept";
  EXPECT_TRUE(atClaim->autostartPending);
  EXPECT_EQ(atClaim->sliderMaximum, 4);
  EXPECT_EQ(atClaim->backgroundBar, 10);
  EXPECT_EQ(atClaim->randomBar, 10);
  EXPECT_EQ(atClaim->level5, 3);
  EXPECT_EQ(atClaim->seed, 777u);
  EXPECT_FALSE(atClaim->playPressed);
  EXPECT_FALSE(atClaim->timerRunning);
  // After: tables reset, generator seeded with the time, Play pressed, timer 1 at 10 ms.
  EXPECT_EQ(state.scheduler.frequencyLevel[5], 0);
  Random15 expected;
  bool seededWithTime = false;
  for (uint32_t t = before; t <= after; ++t) {
    expected.Seed(t);
    seededWithTime = seededWithTime || expected.state() == state.scheduler.random.state();
  }
  EXPECT_TRUE(seededWithTime);
  EXPECT_TRUE(Get<QPushButton>(ids::kPlay)->isChecked());
  EXPECT_FALSE(Get<QPushButton>(ids::kMute)->isChecked());
  EXPECT_EQ(dialog->focusWidget(), dialog->Control(ids::kPlay));
  EXPECT_TRUE(dialog->schedulerTimer().running());
  EXPECT_EQ(dialog->schedulerTimer().periodMs(), 10);
  EXPECT_EQ(state.scheduler.schedulerTimerId, 1u);
  EXPECT_NE(state.audioDevice.directSound, nullptr);
  EXPECT_FALSE(state.audioDevice.muted);
  EXPECT_EQ(dialog->Values().m_boostPriority, 1);
  EXPECT_EQ(dialog->priority.raises, 1);
  // Dynamic Random always starts off.
  EXPECT_EQ(dialog->Values().m_autoStart, 1);
  EXPECT_EQ(dialog->Values().m_dynamicRandom, 0);
  EXPECT_FALSE(state.mixer.dynamicRandom);
  EXPECT_TRUE(state.scheduler.autoHidePending);
  EXPECT_TRUE(dialog->messages.empty());

  // It runs once: showing the window does not start it again.
  dialog->show();
  EXPECT_EQ(outputs.attempts, 1);
  dialog->CloseDown();
}

TEST_F(StartupTest, OnlyYCountsAsOnAndAutoWithoutANameIsPendingWithAnEmptyPath) {
  settings.values = {{"AUTO", "Y"}, {"AUTOHIDE", "yes"}, {"BOOST", "N"}};
  ASSERT_TRUE(dialog->InitializeWindow());
  EXPECT_EQ(dialog->Values().m_scenarioFile, "");
  EXPECT_EQ(dialog->Values().m_autoStart, 1);
  EXPECT_TRUE(state.autostartPending);
  EXPECT_EQ(state.autostartScenarioPath, "");
  EXPECT_EQ(dialog->Values().m_autoHide, 0);
  EXPECT_FALSE(state.scheduler.autoHidePending);
  EXPECT_EQ(dialog->Values().m_boostPriority, 0);
  EXPECT_EQ(dialog->priority.raises, 0);
  dialog->CloseDown();
}

TEST_F(StartupTest, TryAgainRetriesOnYesAndGivesUpOnNoLeavingNothingBehind) {
  outputs.offline.SetFailing(true);
  int asked = 0;
  dialog->answer = [&](std::string_view) {
    return ++asked < 3 ? MessageAnswer::kYes : MessageAnswer::kNo;
  };
  EXPECT_FALSE(dialog->InitializeWindow());
  EXPECT_EQ(outputs.attempts, 3);
  ASSERT_EQ(dialog->messages.size(), 3u);
  for (const std::string& m : dialog->messages) EXPECT_EQ(m, kTryAgain);
  EXPECT_EQ(dialog->messageButtons[0], MessageButtons::kYesNo);
  EXPECT_EQ(state.audioDevice.directSound, nullptr);
  EXPECT_FALSE(dialog->schedulerTimer().running());
  EXPECT_EQ(state.scheduler.schedulerTimerId, 0u);
  EXPECT_FALSE(Get<QPushButton>(ids::kPlay)->isChecked());
  // The modal run does not start; the process ends with status 1.
  EXPECT_EQ(dialog->RunModal(), 1);
  EXPECT_FALSE(dialog->isVisible());
}

class CloseDownTest : public StartupTest {
 protected:
  void SetUp() override {
    StartupTest::SetUp();
    Show();
    ASSERT_NE(outputs.offline.current(), nullptr);
  }
  void ExpectClosed() {
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->schedulerTimer().running());
    EXPECT_EQ(state.scheduler.schedulerTimerId, 0u);
    EXPECT_EQ(state.audioDevice.directSound, nullptr);
    EXPECT_EQ(outputs.offline.current(), nullptr) << "the output is closed";
  }
};

TEST_F(CloseDownTest, ExitButtonReleasesTheClaimedDevice) {
  ClickOn(Get<QPushButton>(ids::kExit));
  ExpectClosed();
  EXPECT_EQ(outputs.attempts, 1);
}

TEST_F(CloseDownTest, CloseBoxAndAltF4GoThroughCloseDown) {
  EXPECT_TRUE(dialog->close());
  ExpectClosed();
}

TEST_F(CloseDownTest, WhileMutedNothingIsReleasedAgain) {
  dialog->forward = true;
  ClickOn(Get<QPushButton>(ids::kMute));
  ASSERT_TRUE(state.audioDevice.muted);
  ASSERT_EQ(outputs.offline.current(), nullptr);
  dialog->CloseDown();
  ExpectClosed();
  EXPECT_TRUE(state.audioDevice.muted);
  EXPECT_EQ(outputs.attempts, 1) << "no claim on the way out";
}

TEST_F(CloseDownTest, TimerOneTicksTheSchedulerUntilCloseDownAndNeverAfter) {
  // The first tick comes 10 ms after start-up.
  EXPECT_TRUE(QTest::qWaitFor([&] { return state.scheduler.tickCount >= 1; }, 2000));
  dialog->CloseDown();
  const double ticks = state.scheduler.tickCount;
  // Nothing can tick again: the timer is stopped, and stays so once all that was
  // queued has run.
  EXPECT_FALSE(dialog->schedulerTimer().running());
  RunUntilIdle();
  EXPECT_FALSE(dialog->schedulerTimer().running());
  EXPECT_EQ(state.scheduler.tickCount, ticks);
}

TEST_F(CloseDownTest, AMenuBarGoesAboveTheControlsAndTheWindowGrowsByIt) {
  QCoreApplication::processEvents();  // the layout pass
  const QSize client = dialog->ClientArea()->size();
  const auto expectBarAbove = [&](QMenuBar* bar) {
    EXPECT_TRUE(bar->isVisible());
    EXPECT_GT(bar->height(), 0);
    EXPECT_EQ(dialog->ClientArea()->pos().y(), bar->height());
    EXPECT_EQ(dialog->size(), QSize(client.width(), client.height() + bar->height()));
  };
  ASSERT_NE(dialog->menuBar(), nullptr);
  expectBarAbove(dialog->menuBar());

  // A replacement takes the old bar's place; the window keeps one bar.
  auto* menuBar = new QMenuBar(dialog.get());
  menuBar->addMenu("&Scenario")->addAction("&Play");
  dialog->SetMenuBar(menuBar);
  QCoreApplication::processEvents();
  expectBarAbove(menuBar);
  EXPECT_EQ(dialog->findChildren<QMenuBar*>().size(), 1);
  dialog->CloseDown();
}

}  // namespace
}  // namespace lullwood::testing
