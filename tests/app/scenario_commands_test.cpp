// The Scenario commands of the window: Load, Save, Browse..., dropped files and the
// start-up load at the first paint.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QSlider>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ControlIds.h"
#include "DialogFixture.h"

namespace lullwood::testing {
namespace {

namespace fs = std::filesystem;

class ScenarioCommandsTest : public DialogFixture<> {
 protected:
  void Start() {
    Make().forward = true;
    DialogFixture::Start();
  }
  QString Title() const { return dialog->windowTitle(); }
};

TEST_F(ScenarioCommandsTest, LoadAndSaveGoThroughTheirDialogsAndCancelChangesNothing) {
  Start();
  const std::string source = WriteFile("in.lwd", "[Backgrounds]\r\nchk2=Y\r\nR4=4\r\nV2=3\r\n");
  dialog->OpenScenario();  // cancelled
  EXPECT_EQ(state.scheduler.frequencyLevel[4], 0);

  dialog->openAnswer = source;
  dialog->OpenScenario();
  EXPECT_EQ(Title().toStdString(), "Lullwood v2.2 - " + source);
  EXPECT_EQ(state.backgrounds.slotNumber[1], 1);
  EXPECT_EQ(dialog->EffectSlider(4)->value(), 4);
  EXPECT_EQ(state.mixer.randomVolumeStep, 3);

  const std::string target = (dir_ / "out.lwd").string();
  dialog->SaveScenarioAs();  // cancelled
  EXPECT_FALSE(fs::exists(target));
  dialog->saveAnswer = target;
  dialog->SaveScenarioAs();
  EXPECT_EQ(Title().toStdString(), "Lullwood v2.2 - " + target);
  std::ifstream in(target, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  EXPECT_NE(bytes.str().find("chk2=Y\r\n"), std::string::npos);
  EXPECT_NE(bytes.str().find("R4=4\r\n"), std::string::npos);
}

TEST_F(ScenarioCommandsTest, BrowseShowsAndStoresTheChosenNameWithoutAChangeNotification) {
  Start();
  dialog->openAnswer = "/music/nights/forest.lwd";
  dialog->OnBrowseScenario();
  auto* box = Get<QLineEdit>(ids::kScenarioFile);
  EXPECT_EQ(box->text(), "/music/nights/forest.lwd");
  EXPECT_EQ(settings.values["LWD"], "/music/nights/forest.lwd");
  // The refresh of the box reaches no handler: no OnScenarioFileChange here.
  EXPECT_EQ(dialog->calls, (std::vector<std::string>{"OnBrowseScenario", "AskOpenFileName"}));
  EXPECT_EQ(state.autostartScenarioPath, "") << "Browse neither loads nor changes this run";
}

TEST_F(ScenarioCommandsTest, ADropLoadsTheFirstLocalFile) {
  Start();
  const std::string first = WriteFile(std::string(140, 'a') + ".lwd", "[Backgrounds]\nV1=4\n");
  const std::string second = WriteFile("second.lwd", "[Backgrounds]\nV1=2\n");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                QUrl::fromLocalFile(QString::fromStdString(second))});
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(dialog.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(dialog.get(), &drop);
  QApplication::processEvents();
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 4);
  EXPECT_EQ(Title().toStdString(), "Lullwood v2.2 - " + first) << "the whole path is kept";
}

TEST_F(ScenarioCommandsTest, DropsAreTakenAsCopiesAndOnlyWithALocalFile) {
  Start();
  const std::string file = WriteFile("shifted.lwd", "[Backgrounds]\nV1=3\n");
  QMimeData local;
  local.setUrls(
      {QUrl("https://example.org/remote.lwd"), QUrl::fromLocalFile(QString::fromStdString(file))});
  // A Shift-drag: the source offers copy and move and proposes the move.
  const Qt::DropActions both = Qt::CopyAction | Qt::MoveAction;
  QDragEnterEvent enter(QPoint(10, 10), both, &local, Qt::LeftButton, Qt::ShiftModifier);
  enter.setDropAction(Qt::MoveAction);
  QApplication::sendEvent(dialog.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  EXPECT_EQ(enter.dropAction(), Qt::CopyAction);
  QDragMoveEvent move(QPoint(20, 20), both, &local, Qt::LeftButton, Qt::ShiftModifier);
  move.setDropAction(Qt::MoveAction);
  QApplication::sendEvent(dialog.get(), &move);
  EXPECT_TRUE(move.isAccepted());
  EXPECT_EQ(move.dropAction(), Qt::CopyAction);
  QDropEvent drop(QPointF(20, 20), both, &local, Qt::LeftButton, Qt::ShiftModifier);
  drop.setDropAction(Qt::MoveAction);
  QApplication::sendEvent(dialog.get(), &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "the source must not delete its file";
  QApplication::processEvents();
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 3) << "the first local file is loaded";

  // Nothing to load: no local file, or a source that only lets its file be moved.
  QMimeData remote;
  remote.setUrls({QUrl("https://example.org/remote.lwd")});
  QMimeData text;
  text.setText(QString::fromStdString(file));
  struct Refused {
    const QMimeData* data;
    Qt::DropActions actions;
  };
  for (const Refused& r :
       {Refused{&remote, both}, Refused{&text, both}, Refused{&local, Qt::MoveAction}}) {
    QDragEnterEvent refusedEnter(QPoint(10, 10), r.actions, r.data, Qt::LeftButton, {});
    QApplication::sendEvent(dialog.get(), &refusedEnter);
    EXPECT_FALSE(refusedEnter.isAccepted());
    QDropEvent refusedDrop(QPointF(10, 10), r.actions, r.data, Qt::LeftButton, {});
    QApplication::sendEvent(dialog.get(), &refusedDrop);
    EXPECT_FALSE(refusedDrop.isAccepted());
  }
  QApplication::processEvents();
  EXPECT_EQ(Title().toStdString(), "Lullwood v2.2 - " + file) << "no later load ran";
}

TEST_F(ScenarioCommandsTest, TheFirstPaintLoadsTheStartUpScenarioOnce) {
  const std::string night = WriteFile("night.lwd", "[Backgrounds]\nchk9=Y\nR1=4\n");
  settings.values = {{"LWD", night}, {"AUTO", "Y"}};
  Start();
  EXPECT_TRUE(state.autostartPending);
  dialog->show();
  dialog->repaint();
  QApplication::processEvents();
  EXPECT_FALSE(state.autostartPending);
  EXPECT_EQ(state.backgrounds.slotNumber[8], 1);
  EXPECT_EQ(Title().toStdString(), "Lullwood v2.2 - " + night);

  dialog->core().OnClearAll();
  dialog->repaint();
  QApplication::processEvents();
  EXPECT_EQ(state.backgrounds.slotNumber[8], 0) << "a later paint loads nothing";
}

TEST_F(ScenarioCommandsTest, ATickBeforeAnyPaintRunsThePendingLoadFirst) {
  const std::string night = WriteFile("night.lwd", "[Backgrounds]\nchk3=Y\n");
  settings.values = {{"LWD", night}, {"AUTO", "Y"}, {"AUTOHIDE", "Y"}};
  Start();
  // The first tick, 10 ms after start-up, with the window never shown.
  ASSERT_TRUE(QTest::qWaitFor([&] { return state.scheduler.tickCount >= 1; }, 5000));
  EXPECT_FALSE(state.autostartPending);
  EXPECT_EQ(state.backgrounds.slotNumber[2], 1) << "loaded before the tick's hide";
  EXPECT_FALSE(state.scheduler.autoHidePending);
}

}  // namespace
}  // namespace lullwood::testing
