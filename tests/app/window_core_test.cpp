// The window driven as a user would, all the way into the soundscape's rules.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>

#include "ControlIds.h"
#include "DialogFixture.h"
#include "EventWaits.h"

namespace lullwood::testing {
namespace {

// The real window, its message boxes included.
class WindowCoreTest : public DialogFixture<CMainDialog> {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    Start();
    dialog->show();
  }
};

TEST_F(WindowCoreTest, BoxesSlidersBarsMuteAndPlayReachTheRules) {
  ClickOn(dialog->BackgroundBox(4));
  ClickOn(dialog->BackgroundBox(12));
  EXPECT_EQ(state.backgrounds.slotNumber[4], 1);
  EXPECT_EQ(state.backgrounds.slotNumber[12], 2);

  QSlider* loon = dialog->EffectSlider(4);
  loon->setFocus();
  QTest::keyClick(loon, Qt::Key_Right);
  EXPECT_EQ(state.scheduler.frequencyLevel[4], 2);
  EXPECT_EQ(state.scheduler.nextFireTick[4], kRescheduleMarker);
  EXPECT_NE(state.mixer.previewBuffer, nullptr) << "a key press previews the effect";
  QTest::keyClick(loon, Qt::Key_End);
  EXPECT_EQ(state.scheduler.frequencyLevel[4], 4) << "End sets the level the slider shows";
  EXPECT_EQ(loon->value(), 4);

  auto* random = Get<QScrollBar>(ids::kRandomVolumeBar);
  random->setFocus();
  QTest::keyClick(random, Qt::Key_Left);
  EXPECT_EQ(state.mixer.randomVolumeStep, 9);
  EXPECT_EQ(random->value(), 9);

  ClickOn(Get<QPushButton>(ids::kMute));
  EXPECT_TRUE(state.audioDevice.muted);
  EXPECT_FALSE(loon->isEnabled());
  EXPECT_FALSE(dialog->BackgroundBox(4)->isEnabled());
  EXPECT_TRUE(random->isEnabled());
  EXPECT_EQ(outputs.offline.current(), nullptr);

  ClickOn(Get<QPushButton>(ids::kPlay));
  EXPECT_FALSE(state.audioDevice.muted);
  EXPECT_TRUE(loon->isEnabled());
  EXPECT_EQ(state.backgrounds.slotNumber[4], 1);
  EXPECT_EQ(state.backgrounds.slotNumber[12], 2);

  ClickOn(Get<QPushButton>(ids::kClearAll));
  EXPECT_EQ(state.backgrounds.slotNumber[4], 0);
  EXPECT_FALSE(dialog->BackgroundBox(4)->isChecked());
  EXPECT_EQ(loon->value(), 1);
  EXPECT_EQ(random->value(), 10);
}

TEST_F(WindowCoreTest, AFourthBackgroundIsRefusedAndItsBoxUnticked) {
  for (int b : {0, 1, 2}) ClickOn(dialog->BackgroundBox(b));
  // The refusal is a real message box here: read it and answer it as a user would.
  QString shown;
  WhenModalOpens<QMessageBox>([&shown](QMessageBox* box) {
    shown = box->text();
    QTest::keyClick(box, Qt::Key_Return);
  });
  ClickOn(dialog->BackgroundBox(3));
  EXPECT_EQ(shown.toStdString(),
            "* You can only have three background sounds active.  Disable another one first. ");
  EXPECT_FALSE(dialog->BackgroundBox(3)->isChecked());
  EXPECT_EQ(state.backgrounds.slotNumber[3], 0);
  EXPECT_EQ(state.backgrounds.slotNumber[2], 3);
}

}  // namespace
}  // namespace lullwood::testing
