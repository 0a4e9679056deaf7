// Drives what users click outside the window's controls: popups that run their own
// nested loop, and the status-area icon.
#pragma once

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <functional>

namespace lullwood::testing {

// Calls `onPopup` once with the next popup menu that opens (polling every few ms).
inline void WhenPopupOpens(std::function<void(QMenu*)> onPopup) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, onPopup] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || !menu->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    onPopup(menu);
  });
  timer->start();
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
