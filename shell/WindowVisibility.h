// Showing and hiding the main window, and the window-manager commands that arrive as
// window-state changes. UI thread only.
#pragma once

#include <QObject>
#include <functional>

class QWidget;

namespace lullwood {

// Hides the window: no taskbar entry, sounds and ticks go on. Without a status area
// nothing could bring a hidden window back, so it is minimised instead.
void HideMainWindow(QWidget& window, bool statusAreaAvailable);

// Shows the window in its last size and place, un-minimised, in front and active.
void ShowMainWindow(QWidget& window);

// Turns the window manager's minimise and maximise of `window` into system commands:
// minimising delivers kSystemMinimize, maximising is undone and delivers kSystemMaximize,
// each once the state change is over. Owned by the window; watches it as an event filter.
class WindowCommandWatcher : public QObject {
  Q_OBJECT

 public:
  WindowCommandWatcher(QWidget& window, std::function<void(unsigned command)> onSystemCommand);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget& window_;
  std::function<void(unsigned)> onSystemCommand_;
  bool maximizePending_ = false;
  bool minimizePending_ = false;
};

}  // namespace lullwood
