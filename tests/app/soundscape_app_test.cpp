// The application object end to end: the modal run, its exit status, the command line
// and the real message box of the device claim.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include "ControlIds.h"
#include "DialogFakes.h"
#include "EventWaits.h"
#include "SoundscapeApp.h"

namespace lullwood::testing {
namespace {

// Runs `act` on the first top-level widget of type T that shows up while the modal
// loops run.
template <typename T>
void WhenShown(std::function<void(T*)> act) {
  WhenFound<T>(
      []() -> T* {
        for (QWidget* w : QApplication::topLevelWidgets()) {
          if (auto* found = qobject_cast<T*>(w); found && found->isVisible()) return found;
        }
        return nullptr;
      },
      std::move(act), std::string("a shown ") + T::staticMetaObject.className());
}

TEST(SoundscapeApp, ExitEndsTheRunWithStatusZeroAndTheCommandLineIsHandedOver) {
  WatchedOutputs outputs;
  FakeSettings settings;
  settings.values = {{"LWD", "stored.lwd"}};
  CSoundscapeApp app(outputs, settings);
  bool sawWindow = false;
  WhenShown<CMainDialog>([&](CMainDialog* dialog) {
    sawWindow = true;
    // The command-line file was loaded when the window was first shown: none exists.
    EXPECT_EQ(dialog->windowTitle(), "Lullwood v2.2 - my  night.lwd --x");
    EXPECT_EQ(dialog->Values().m_commandLineFile, "my  night.lwd --x");
    EXPECT_TRUE(dialog->schedulerTimer().running());
    ClickOn(qobject_cast<QPushButton*>(dialog->Control(ids::kExit)));
  });
  EXPECT_EQ(app.Launch({"my ", "night.lwd", "--x"}), 0);
  EXPECT_TRUE(sawWindow);
  EXPECT_EQ(app.state().autostartScenarioPath, "my  night.lwd --x");
  EXPECT_FALSE(app.state().autostartPending);
  EXPECT_EQ(app.state().audioDevice.directSound, nullptr);
  EXPECT_EQ(outputs.offline.current(), nullptr);
}

TEST(SoundscapeApp, NoToTheDeviceBoxEndsWithStatusOne) {
  WatchedOutputs outputs;
  outputs.offline.SetFailing(true);
  FakeSettings settings;
  CSoundscapeApp app(outputs, settings);
  int boxes = 0;
  const std::function<void(QMessageBox*)> answer = [&](QMessageBox* box) {
    ++boxes;
    EXPECT_EQ(box->windowTitle(), "lullwood");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->text(),
              "*ERROR* DirectX Sound will not initialize.  Wave device may not be available.  "
              "Try Again? ");
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    if (boxes == 1) {
      WhenShown<QMessageBox>(answer);
      box->button(QMessageBox::Yes)->click();  // Yes: tried again at once, fails again
    } else {
      box->button(QMessageBox::No)->click();
    }
  };
  WhenShown<QMessageBox>(answer);
  EXPECT_EQ(app.Launch({}), 1);
  EXPECT_EQ(boxes, 2);
  EXPECT_EQ(outputs.attempts, 2);
  EXPECT_EQ(app.state().audioDevice.directSound, nullptr);
  for (QWidget* w : QApplication::topLevelWidgets()) {
    EXPECT_FALSE(qobject_cast<CMainDialog*>(w)) << "the window is gone";
  }
}

}  // namespace
}  // namespace lullwood::testing
