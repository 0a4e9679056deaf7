#include "Menus.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QShortcut>

#include "ControlIds.h"

#include "QtText.h"

namespace lullwood {

namespace {}  // namespace

int CommandIdOf(const QAction* action) {
  return action ? action->data().toInt() : 0;
}

void FillMenu(QMenu& menu, std::span<const MenuEntry> entries) {
  for (const MenuEntry& entry : entries) {
    if (entry.commandId == 0) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(UiText(entry.text));
    action->setData(entry.commandId);
  }
}

QMenuBar* BuildMenuBar(QWidget* parent, CommandSink sink) {
  auto* bar = new QMenuBar(parent);
  bar->setObjectName("menuBar");
  for (const MenuPopup& popup : MainMenu()) {
    QMenu* menu = bar->addMenu(UiText(popup.title));
    FillMenu(*menu, popup.entries);
    // Each popup reports its own entries once, whether chosen by mouse, key or code.
    QObject::connect(menu, &QMenu::triggered, bar, [sink](QAction* action) {
      if (const int id = CommandIdOf(action)) sink(id);
    });
  }
  return bar;
}

QMenu* AddPopupBeforeHelp(QMenuBar& bar, const QString& title, const QString& objectName) {
  auto* menu = new QMenu(title, &bar);
  menu->setObjectName(objectName);
  const QList<QAction*> popups = bar.actions();
  if (popups.isEmpty()) {
    bar.addMenu(menu);
  } else {
    bar.insertMenu(popups.last(), menu);
  }
  return menu;
}

QMenu* AppendSubmenu(QMenu& menu, const QString& title, const QString& objectName) {
  menu.addSeparator();
  QMenu* submenu = menu.addMenu(title);
  submenu->setObjectName(objectName);
  return submenu;
}

QMenu* BuildScenarioMenu(QWidget* parent, CommandSink sink) {
  auto* menu = new QMenu(parent);
  menu->setObjectName("scenarioMenu");
  FillMenu(*menu, ScenarioMenuEntries());
  QObject::connect(menu, &QMenu::triggered, menu, [sink = std::move(sink)](QAction* action) {
    if (const int id = CommandIdOf(action)) sink(id);
  });
  return menu;
}

int TrackScenarioMenu(QWidget* owner, const QPoint& globalPos) {
  QPointer<QMenu> menu = new QMenu(owner);
  menu->setObjectName("scenarioPopup");
  FillMenu(*menu, ScenarioMenuEntries());
  // exec() runs a nested loop; the owner may be destroyed meanwhile, taking the menu.
  const int id = CommandIdOf(menu->exec(globalPos));
  delete menu.data();
  return id;
}

void InstallHelpKey(QWidget* window, CommandSink sink) {
  auto* key = new QShortcut(QKeySequence::HelpContents, window);
  key->setObjectName("helpKey");
  key->setContext(Qt::WindowShortcut);
  QObject::connect(key, &QShortcut::activated, window,
                   [sink = std::move(sink)] { sink(ids::kUsingLullwood); });
}

QPoint ScenarioMenuPoint(const QContextMenuEvent& event, QWidget* window) {
  if (event.reason() != QContextMenuEvent::Keyboard) return event.globalPos();
  QWidget* focus = QApplication::focusWidget();
  if (!focus || (window && !window->isAncestorOf(focus) && focus != window)) focus = window;
  if (!focus) return event.globalPos();
  return focus->mapToGlobal(focus->rect().center());
}

}  // namespace lullwood
