#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <memory>
#include <vector>

#include "ControlIds.h"
#include "Menus.h"
#include "PopupDriver.h"

namespace lullwood {
namespace {

using testing::ClickEntry;
using testing::WhenPopupOpens;

TEST(MenuBar, EveryEntryDeliversTheTablesCommandExactlyOnce) {
  QWidget window;
  std::vector<int> delivered;
  std::unique_ptr<QMenuBar> bar(BuildMenuBar(&window, [&](int id) { delivered.push_back(id); }));
  ASSERT_EQ(bar->actions().size(), static_cast<qsizetype>(MainMenu().size()));
  std::vector<int> expected;
  for (qsizetype p = 0; p < bar->actions().size(); ++p) {
    const MenuPopup& popup = MainMenu()[static_cast<size_t>(p)];
    EXPECT_EQ(bar->actions()[p]->text().toStdString(), popup.title);
    const QList<QAction*> actions = bar->actions()[p]->menu()->actions();
    ASSERT_EQ(actions.size(), static_cast<qsizetype>(popup.entries.size()));
    for (qsizetype i = 0; i < actions.size(); ++i) {
      const MenuEntry& entry = popup.entries[static_cast<size_t>(i)];
      EXPECT_EQ(actions[i]->isSeparator(), entry.commandId == 0);
      if (entry.commandId == 0) continue;
      EXPECT_EQ(actions[i]->text().toStdString(), entry.text);
      actions[i]->trigger();
      expected.push_back(entry.commandId);
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
