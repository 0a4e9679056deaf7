#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QTest>
#include <QWidget>
#include <string>
#include <vector>

#include "PopupDriver.h"
#include "RecordingActions.h"
#include "TrayIcon.h"
#include "WindowVisibility.h"

namespace lullwood {
namespace {

using testing::ActivateIcon;
using testing::RecordingActions;
std::string Standard(unsigned first, std::uintptr_t second = 0) {
  return RecordingActions::Standard(first, second);
}

QIcon TestIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::darkBlue);
  return QIcon(pixmap);
}

TEST(TrayIcon, EachReasonReachesItsRouteCommandBranch) {
  const struct {
    QSystemTrayIcon::ActivationReason reason;
    std::vector<std::string> expected;
  } cases[] = {
      {QSystemTrayIcon::Trigger, {"show", Standard(0, tray::kClick)}},
      {QSystemTrayIcon::DoubleClick, {"show", Standard(0, tray::kDoubleClick)}},
      {QSystemTrayIcon::Context, {"scenarioMenu", Standard(0, tray::kContextClick)}},
      {QSystemTrayIcon::MiddleClick, {Standard(0, tray::kMiddleClick)}},
      {QSystemTrayIcon::Unknown, {}},
  };
  for (const auto& c : cases) {
    RecordingActions log;
    const ShellActions actions = log.Actions();
    TrayIcon tray(TestIcon(), [&](std::uintptr_t message) { RouteCommand(actions, 0, message); });
    tray.Add();
    ActivateIcon(tray.icon(), c.reason);
    EXPECT_EQ(log.calls, c.expected) << c.reason;
  }
}

TEST(TrayIcon, TheContextReasonLeavesOnlyOnePopupOpen) {
  QWidget owner;
  QMenu standing(&owner);
  standing.addAction("&Load...");
  std::vector<std::uintptr_t> messages;
  TrayIcon tray(TestIcon(), [&](std::uintptr_t message) { messages.push_back(message); });
  tray.SetContextMenu(&standing);
  EXPECT_EQ(tray.icon().contextMenu(), &standing);

  standing.popup(QPoint(20, 20));  // as a status area does on the same press
  ASSERT_TRUE(standing.isVisible());
  ActivateIcon(tray.icon(), QSystemTrayIcon::Context);
  EXPECT_FALSE(standing.isVisible());
  EXPECT_EQ(messages, std::vector<std::uintptr_t>{tray::kContextClick});
}

TEST(Hiding, AHiddenMinimisedWindowComesBackNormal) {
  QWidget window;
  window.showMinimized();
  HideMainWindow(window, true);
  ASSERT_FALSE(window.isVisible());
  ShowMainWindow(window);
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
}

// The window manager's minimise, routed as the main window routes it.
struct MinimiseRig {
  QWidget window;
  std::vector<unsigned> commands;
  bool statusArea;
  RecordingActions log;
  ShellActions actions;
  WindowCommandWatcher* watcher;

  explicit MinimiseRig(bool withStatusArea) : statusArea(withStatusArea) {
    actions = log.Actions();
    actions.hideMainWindow = [this] { HideMainWindow(window, statusArea); };
    watcher = new WindowCommandWatcher(window, [this](unsigned command) {
      commands.push_back(command);
      OnSystemCommand(actions, command);
    });
    window.show();
  }
};

TEST(Hiding, MinimisingHidesTheWindowWhenAStatusAreaExists) {
  MinimiseRig rig(true);
  rig.window.showMinimized();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.commands.empty(); }, 1000));
  QApplication::processEvents();
  EXPECT_EQ(rig.commands, std::vector<unsigned>{kSystemMinimize});
  EXPECT_FALSE(rig.window.isVisible());
  ShowMainWindow(rig.window);
  EXPECT_FALSE(rig.window.isMinimized());
}

TEST(Hiding, MinimisingStaysMinimisedWithoutAStatusArea) {
  MinimiseRig rig(false);
  rig.window.showMinimized();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.commands.empty(); }, 1000));
  QApplication::processEvents();
  EXPECT_EQ(rig.commands, std::vector<unsigned>{kSystemMinimize});
  EXPECT_TRUE(rig.window.isVisible());
  EXPECT_TRUE(rig.window.isMinimized());
}

TEST(Hiding, MaximisingIsUndone) {
  MinimiseRig rig(true);
  rig.window.showMaximized();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.commands.empty(); }, 1000));
  QApplication::processEvents();
  EXPECT_FALSE(rig.window.isMaximized());
  EXPECT_EQ(rig.commands, std::vector<unsigned>{kSystemMaximize});
  EXPECT_TRUE(rig.log.calls.empty()) << "maximise does nothing else";
  EXPECT_TRUE(rig.window.isVisible());
}

}  // namespace
}  // namespace lullwood
