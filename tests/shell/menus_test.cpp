#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <memory>
#include <utility>
#include <vector>

#include "ControlIds.h"
#include "Menus.h"
#include "PopupDriver.h"

namespace lullwood {
namespace {

using testing::ClickEntry;
using testing::WhenPopupOpens;

TEST(MenuBar, EveryEntryDeliversItsCommandExactlyOnce) {
  QWidget window;
  std::vector<int> delivered;
  std::unique_ptr<QMenuBar> bar(BuildMenuBar(&window, [&](int id) { delivered.push_back(id); }));
  // Popups, then each entry's text and command; "" for a separator.
  const QStringList titles = {"&Scenario", "&Help"};
  const std::vector<std::vector<std::pair<QString, int>>> entries = {
      {{"&Load...", 32771},
       {"&Save...", 32772},
       {"", 0},
       {"E&xit", 32775},
       {"", 0},
       {"&Mute", 1051},
       {"&Play", 1007}},
      {{"&About", 32773}, {"&Using Lullwood...", 32776}},
  };
  ASSERT_EQ(bar->actions().size(), titles.size());
  std::vector<int> expected;
  for (qsizetype p = 0; p < bar->actions().size(); ++p) {
    EXPECT_EQ(bar->actions()[p]->text(), titles[p]);
    const QList<QAction*> actions = bar->actions()[p]->menu()->actions();
    const auto& want = entries[static_cast<size_t>(p)];
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(want.size()));
    for (qsizetype i = 0; i < actions.size(); ++i) {
      const auto& [text, id] = want[static_cast<size_t>(i)];
      EXPECT_EQ(actions[i]->isSeparator(), id == 0) << i;
      if (id == 0) continue;
      EXPECT_EQ(actions[i]->text(), text);
      EXPECT_TRUE(actions[i]->isEnabled());
      EXPECT_FALSE(actions[i]->isChecked());
      actions[i]->trigger();
      expected.push_back(id);
    }
  }
  EXPECT_EQ(delivered, expected);
}

TEST(MenuBar, AClickInAnOpenPopupDeliversOnce) {
  QWidget window;
  std::vector<int> delivered;
  std::unique_ptr<QMenuBar> bar(BuildMenuBar(&window, [&](int id) { delivered.push_back(id); }));
  QMenu* scenario = bar->actions()[0]->menu();
  WhenPopupOpens([](QMenu* menu) { ClickEntry(menu, "&Mute"); });
  scenario->exec(QPoint(50, 50));
  EXPECT_EQ(delivered, std::vector<int>{ids::kMute});
}

TEST(HelpKey, F1InTheWindowDeliversUsingLullwood) {
  QWidget window;
  std::vector<int> delivered;
  InstallHelpKey(&window, [&](int id) { delivered.push_back(id); });
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_F1);
  EXPECT_EQ(delivered, std::vector<int>{32776});
  QTest::keyClick(&window, Qt::Key_F2);
  EXPECT_EQ(delivered.size(), 1u) << "no other key";
}

TEST(ScenarioPopup, OpensAtThePointWithOnlyTheScenarioEntries) {
  QWidget owner;
  owner.show();
  const QPoint at(120, 90);
  QPoint openedAt;
  QStringList texts;
  WhenPopupOpens([&](QMenu* menu) {
    openedAt = menu->pos();
    for (QAction* action : menu->actions()) texts << action->text();
    ClickEntry(menu, "&Play");
  });
  EXPECT_EQ(TrackScenarioMenu(&owner, at), ids::kPlay);
  EXPECT_EQ(openedAt, at);
  EXPECT_EQ(texts, (QStringList{"&Load...", "&Save...", "", "E&xit", "", "&Mute", "&Play"}));
  EXPECT_FALSE(texts.contains("&About"));
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_TRUE(owner.findChildren<QMenu*>().isEmpty()) << "the popup is destroyed";
}

TEST(ScenarioPopup, DismissedGivesNoCommand) {
  QWidget owner;
  owner.show();
  WhenPopupOpens([](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
  EXPECT_EQ(TrackScenarioMenu(&owner, QPoint(10, 10)), 0);
}

}  // namespace
}  // namespace lullwood
