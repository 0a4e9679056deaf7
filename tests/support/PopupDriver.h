// Drives what users click outside the window's controls: popups that run their own
// nested loop, and the status-area icon.
#pragma once

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <functional>

#include "EventWaits.h"

namespace lullwood::testing {

// Calls `onPopup` once with the next popup menu that opens.
inline void WhenPopupOpens(std::function<void(QMenu*)> onPopup) {
  WhenCurrentIs<QMenu>(&QApplication::activePopupWidget, std::move(onPopup), "a popup menu");
}

inline QAction* ActionWithText(QMenu* menu, const QString& text) {
  for (QAction* action : menu->actions()) {
    if (action->text() == text) return action;
  }
  return nullptr;
}

// Clicks the entry with `text` as a user would.
inline void ClickEntry(QMenu* menu, const QString& text) {
  QAction* action = ActionWithText(menu, text);
  if (!action) {
    menu->close();
    return;
  }
  QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}

// An event of the status-area icon, as the platform reports it, and its handling.
inline void ActivateIcon(QSystemTrayIcon& icon, QSystemTrayIcon::ActivationReason reason) {
  Q_EMIT icon.activated(reason);
  QCoreApplication::processEvents();
}

}  // namespace lullwood::testing
