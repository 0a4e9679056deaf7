#include "WindowVisibility.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "ShellCommands.h"

namespace lullwood {

void HideMainWindow(QWidget& window, bool statusAreaAvailable) {
  if (statusAreaAvailable) {
    // A minimised window keeps that state while hidden; ShowMainWindow restores it.
    window.hide();
  } else {
    window.showMinimized();
  }
}

void ShowMainWindow(QWidget& window) {
  if (window.isMinimized()) {
    window.showNormal();
  } else {
    window.show();
  }
  window.raise();
  window.activateWindow();
}

WindowCommandWatcher::WindowCommandWatcher(QWidget& window,
                                           std::function<void(unsigned)> onSystemCommand)
    : QObject(&window), window_(window), onSystemCommand_(std::move(onSystemCommand)) {
  window_.installEventFilter(this);
}

bool WindowCommandWatcher::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &window_ || event->type() != QEvent::WindowStateChange) return false;
  const Qt::WindowStates now = window_.windowState();
  // The state is changed again only once the change is over: doing it inside its own
  // notification is not safe on every platform, and a platform may repeat the change.
  if (now.testFlag(Qt::WindowMaximized) && !maximizePending_) {
    maximizePending_ = true;
    QTimer::singleShot(0, this, [this] {
      maximizePending_ = false;
      if (!window_.isMaximized()) return;
      window_.setWindowState(window_.windowState() & ~Qt::WindowMaximized);
      onSystemCommand_(kSystemMaximize);
    });
  }
  if (now.testFlag(Qt::WindowMinimized) && !minimizePending_) {
    minimizePending_ = true;
    QTimer::singleShot(0, this, [this] {
      minimizePending_ = false;
      if (window_.isMinimized() && window_.isVisible()) onSystemCommand_(kSystemMinimize);
    });
  }
  return false;
}

}  // namespace lullwood
