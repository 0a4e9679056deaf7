// The main window's shell: status-area icon, hiding, menus, the right-click popup,
// About, help and the focus after a repaint, with the real window and rules.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTextBrowser>
#include <QWindow>

#include "AboutDialog.h"
#include "ControlIds.h"
#include "DialogFixture.h"
#include "EventWaits.h"
#include "HelpWindow.h"
#include "PopupDriver.h"
#include "SoundCatalogue.h"
#include "TrayIcon.h"

namespace lullwood::testing {
namespace {

class ShellTest : public DialogFixture<> {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    Make().forward = true;
    dialog->statusArea = true;
  }

  void Start() {
    ASSERT_NO_FATAL_FAILURE(DialogFixture::Start());
    Show();
  }

  QAction* MenuBarEntry(const QString& text) {
    for (QAction* popup : dialog->menuBar()->actions()) {
      if (QAction* action = ActionWithText(popup->menu(), text)) return action;
    }
    return nullptr;
  }

  // A right click on `widget`, answered in the popup by `choose`.
  void RightClick(QWidget* widget, std::function<void(QMenu*)> choose) {
    WhenPopupOpens(std::move(choose));
    const QPoint local = widget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, local, widget->mapToGlobal(local));
    QApplication::sendEvent(widget, &event);
  }
};

TEST_F(ShellTest, TheIconComesAfterTheSettingsReadsAndStaysUntilCloseDown) {
  bool iconDuringReads = true;
  bool iconAtDeviceClaim = false;
  settings.onRead = [&](std::string_view) { iconDuringReads = dialog->trayIcon() != nullptr; };
  outputs.onOpen = [&] { iconAtDeviceClaim = dialog->trayIcon() && dialog->trayIcon()->added(); };
  Start();
  EXPECT_FALSE(iconDuringReads);
  EXPECT_TRUE(iconAtDeviceClaim);

  TrayIcon* tray = dialog->trayIcon();
  EXPECT_EQ(tray->icon().toolTip(), "Quillor Lullwood (RTCLK=options) ");
  QStringList entries;
  for (QAction* action : tray->icon().contextMenu()->actions()) entries << action->text();
  EXPECT_EQ(entries, (QStringList{"&Load...", "&Save...", "", "E&xit", "", "&Mute", "&Play", "",
                                  "S&ound", "", "&Timer"}));

  dialog->CloseDown();
  EXPECT_FALSE(tray->added());
}

TEST_F(ShellTest, MuteAndPlayBehaveTheSameFromEverySurface) {
  Start();
  auto* mute = Get<QPushButton>(ids::kMute);
  auto* play = Get<QPushButton>(ids::kPlay);
  QMenu* trayMenu = dialog->trayIcon()->icon().contextMenu();
  const struct {
    const char* surface;
    std::function<void()> mute, play;
  } surfaces[] = {
      {"buttons", [&] { ClickOn(mute); }, [&] { ClickOn(play); }},
      {"menu bar", [&] { MenuBarEntry("&Mute")->trigger(); },
       [&] { MenuBarEntry("&Play")->trigger(); }},
      {"popup", [&] { RightClick(Get(ids::kClearAll), [](QMenu* m) { ClickEntry(m, "&Mute"); }); },
       [&] { RightClick(Get(ids::kClearAll), [](QMenu* m) { ClickEntry(m, "&Play"); }); }},
      {"icon menu", [&] { ActionWithText(trayMenu, "&Mute")->trigger(); },
       [&] { ActionWithText(trayMenu, "&Play")->trigger(); }},
      {"system command", [&] { dialog->OnSystemCommand(ids::kMute); },
       [&] { dialog->OnSystemCommand(ids::kPlay); }},
  };
  for (const auto& s : surfaces) {
    dialog->calls.clear();
    s.mute();
    s.mute();  // twice: the same as once
    EXPECT_TRUE(state.audioDevice.muted) << s.surface;
    EXPECT_EQ(state.audioDevice.directSound, nullptr) << s.surface;
    EXPECT_TRUE(mute->isChecked() && !play->isChecked()) << s.surface;
    EXPECT_FALSE(dialog->BackgroundBox(0)->isEnabled()) << s.surface;
    s.play();
    EXPECT_FALSE(state.audioDevice.muted) << s.surface;
    EXPECT_NE(state.audioDevice.directSound, nullptr) << s.surface;
    EXPECT_TRUE(play->isChecked() && !mute->isChecked()) << s.surface;
    EXPECT_TRUE(dialog->BackgroundBox(0)->isEnabled()) << s.surface;
    EXPECT_EQ(dialog->calls, (std::vector<std::string>{"OnMute", "OnMute", "OnPlay"})) << s.surface;
  }
}

TEST_F(ShellTest, MenuBarCommandsReachTheirActions) {
  Start();
  MenuBarEntry("&Load...")->trigger();
  MenuBarEntry("&Save...")->trigger();
  EXPECT_EQ(dialog->calls, (std::vector<std::string>{"AskOpenFileName", "AskSaveFileName"}));

  MenuBarEntry("&Using Lullwood...")->trigger();
  auto* help = dialog->findChild<HelpWindow*>();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->browser().documentTitle(), "Using Lullwood");
  EXPECT_TRUE(dialog->messages.empty());

  bool aboutShown = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<CAboutDialog*>(QApplication::activeModalWidget());
    aboutShown = box != nullptr;
    if (box) box->accept();
  });
  MenuBarEntry("&About")->trigger();
  EXPECT_TRUE(aboutShown);
}

TEST_F(ShellTest, TheHelpKeyOpensUsingLullwoodAsTheMenuEntryDoes) {
  Start();
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  EXPECT_EQ(dialog->findChild<HelpWindow*>(), nullptr);
  // F1 wherever the focus is: on Play, then in the Scenario filename box.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
  auto* help = dialog->findChild<HelpWindow*>();
  ASSERT_NE(help, nullptr) << "F1 opened no help";
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->browser().documentTitle(), "Using Lullwood");
  help->hide();
  auto* box = Get<QLineEdit>(ids::kScenarioFile);
  dialog->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
  box->setFocus();
  QTest::keyClick(box, Qt::Key_F1);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(box->text(), "") << "the key typed nothing";
  EXPECT_TRUE(dialog->messages.empty());
}

TEST_F(ShellTest, TheScenarioPopupOpensEverywhereButInTheFileNameBox) {
  Start();
  const struct {
    const char* where;
    QWidget* widget;
  } places[] = {
      {"empty area", dialog->ClientArea()},       {"check box", dialog->BackgroundBox(3)},
      {"trackbar", dialog->EffectSlider(7)},      {"button", Get(ids::kHide)},
      {"volume bar", Get(ids::kRandomVolumeBar)}, {"menu bar", dialog->menuBar()},
  };
  for (const auto& p : places) {
    QString name;
    QStringList texts;
    RightClick(p.widget, [&](QMenu* menu) {
      name = menu->objectName();
      for (QAction* action : menu->actions()) texts << action->text();
      menu->close();
    });
    EXPECT_EQ(name, "scenarioPopup") << p.where;
    EXPECT_EQ(texts.size(), 7) << p.where;
    EXPECT_FALSE(texts.contains("&About")) << p.where;
  }

  // The edit box opens its own menu without waiting for the choice.
  QMenu* editMenu = nullptr;
  bool offersLoad = true;
  RightClick(Get(ids::kScenarioFile), [&](QMenu* menu) {
    editMenu = menu;
    offersLoad = ActionWithText(menu, "&Load...") != nullptr;
    menu->close();
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return editMenu != nullptr; }, 2000));
  EXPECT_FALSE(offersLoad);
}

TEST_F(ShellTest, AKeyboardRequestOpensThePopupAtTheFocusWidget) {
  Start();
  QApplication::setActiveWindow(dialog.get());
  QWidget* box = dialog->BackgroundBox(5);
  box->setFocus();
  QPoint openedAt;
  WhenPopupOpens([&](QMenu* menu) {
    openedAt = menu->pos();
    menu->close();
  });
  QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(-1, -1), QPoint(-1, -1));
  QApplication::sendEvent(box, &event);
  EXPECT_EQ(openedAt, box->mapToGlobal(box->rect().center()));
}

TEST_F(ShellTest, HideAndMinimiseHideTheWindowWhereAStatusAreaExists) {
  Start();
  ClickOn(Get<QPushButton>(ids::kHide));
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(dialog->trayIcon()->added());

  ActivateIcon(dialog->trayIcon()->icon(), QSystemTrayIcon::Trigger);
  EXPECT_TRUE(dialog->isVisible());
  dialog->showMinimized();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, 2000));

  ActivateIcon(dialog->trayIcon()->icon(), QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->isMinimized());
}

TEST_F(ShellTest, WithoutAStatusAreaHidingMinimisesSoTheWindowCanBeFound) {
  dialog->statusArea = false;
  Start();
  ClickOn(Get<QPushButton>(ids::kHide));
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_TRUE(dialog->isMinimized());
}

TEST_F(ShellTest, AutoHideHidesAtTheFirstTickAndTicksGoOn) {
  settings.values["AUTOHIDE"] = "Y";
  // Shown, without waiting for the window system: the first tick may hide it before that.
  ASSERT_NO_FATAL_FAILURE(DialogFixture::Start());
  dialog->show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, 5000));
  EXPECT_GE(state.scheduler.tickCount, 1);
  // The next tick is a second away; it is brought forward rather than waited for.
  EXPECT_TRUE(dialog->schedulerTimer().running());
  EXPECT_EQ(dialog->schedulerTimer().periodMs(), static_cast<int>(kTickPeriodMs));
  EXPECT_TRUE(NextTick());
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ShellTest, ExitFromThePopupWhileHiddenEndsTheRun) {
  Start();
  dialog->OnHide();
  ASSERT_FALSE(dialog->isVisible());
  dialog->calls.clear();
  WhenPopupOpens([](QMenu* menu) { ClickEntry(menu, "E&xit"); });
  ActivateIcon(dialog->trayIcon()->icon(), QSystemTrayIcon::Context);
  EXPECT_FALSE(dialog->isVisible()) << "the menu does not show the window";
  EXPECT_FALSE(dialog->trayIcon()->added());
  EXPECT_FALSE(dialog->schedulerTimer().running());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(ShellTest, AboutRunsWhileTheWindowIsHiddenAndLeavesItHidden) {
  Start();
  dialog->OnHide();
  dialog->calls.clear();
  const double ticks = state.scheduler.tickCount;
  bool shown = false;
  WhenModalOpens<CAboutDialog>([&](CAboutDialog* box) {
    shown = true;
    // A tick comes while the box is open: brought forward, run by the box's own loop.
    dialog->schedulerTimer().Start(0);
    WhenReadyOrAfter([&] { return state.scheduler.tickCount > ticks; }, 5000,
                     [box] { QTest::keyClick(box, Qt::Key_Escape); });
  });
  dialog->RouteCommand(ids::kAbout, 0);
  EXPECT_TRUE(shown);
  EXPECT_GT(state.scheduler.tickCount, ticks);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->calls, std::vector<std::string>{"RunAboutBox"});
}

TEST_F(ShellTest, ShowingTheWindowPutsTheFocusOnPlayButWorkingTheControlsDoesNot) {
  Start();
  QApplication::setActiveWindow(dialog.get());
  auto* edit = Get<QLineEdit>(ids::kScenarioFile);
  edit->setFocus();
  QTest::keyClicks(edit, "evening.lwd");
  // The edit box and the window behind it repaint: what typing queued, then a paint of
  // the window itself, which moves the focus only after a show.
  RunUntilIdle();
  dialog->repaint();
  EXPECT_EQ(dialog->focusWidget(), edit);

  dialog->OnHide();
  ActivateIcon(dialog->trayIcon()->icon(), QSystemTrayIcon::Trigger);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->focusWidget() == Get(ids::kPlay); }, 2000));
}

TEST_F(ShellTest, TheRunGoesOnWhileTheWindowIsHiddenAndEndsInCloseDown) {
  bool returned = false;
  bool looked = false;
  bool runningWhileHidden = false;
  // Each step once the run has delivered what the one before it queued: a step queued
  // while another runs waits for the next pass of the loop.
  QTimer::singleShot(0, [&] {
    dialog->OnHide();
    QTimer::singleShot(0, [&] {
      runningWhileHidden = !returned && !dialog->isVisible();
      looked = true;
      ActivateIcon(dialog->trayIcon()->icon(), QSystemTrayIcon::Trigger);
      dialog->CloseDown();
    });
  });
  EXPECT_EQ(dialog->RunModal(), 0);
  returned = true;
  // A run that ended at the hide has left the second step to come after it.
  ASSERT_TRUE(QTest::qWaitFor([&] { return looked; }, 5000));
  EXPECT_TRUE(runningWhileHidden);
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ShellTest, TheModalRunLeavesOtherWindowsUsable) {
  // The status-area icon of some desktops is a window of its own, like this button.
  QPushButton other("icon");
  other.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
  int clicks = 0;
  QObject::connect(&other, &QPushButton::clicked, [&] { ++clicks; });
  QTimer::singleShot(0, [&] {  // inside the run
    // Through the window system, where a modal run blocks what it blocks.
    QTest::mouseClick(other.windowHandle(), Qt::LeftButton, {}, other.rect().center());
    dialog->CloseDown();
  });
  EXPECT_EQ(dialog->RunModal(), 0);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace lullwood::testing
