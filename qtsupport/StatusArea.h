// A way into the desktop's status area other than Qt's own tray icon: the item a
// status-notifier host shows, reached over the session bus. The shell's tray icon shows
// itself through one when the desktop offers it; what serves it lives with the other
// desktop-bus code. UI thread only.
#pragma once

#include <QString>
#include <functional>

class QMenu;

namespace lullwood {

class StatusArea {
 public:
  // What the host reports: a left click, a middle click, a request for the menu.
  enum class Click { kPrimary, kSecondary, kContext };

  virtual ~StatusArea() = default;
  // Receives each click from the event loop, after the host's call has been answered.
  virtual void SetClickHandler(std::function<void(Click)> onClick) = 0;
  // The tip: its first line is the item's title, the rest its text.
  virtual void SetToolTip(const QString& tip) = 0;
  // The menu the host draws. Not owned.
  virtual void SetContextMenu(QMenu* menu) = 0;
  virtual void SetShown(bool shown) = 0;
  virtual bool shown() const = 0;
  // Whether a host shows items now, so that a hidden window can be brought back.
  virtual bool hostPresent() const = 0;
};

}  // namespace lullwood
