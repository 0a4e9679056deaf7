// The status-area icon, present from AddTrayIcon to RemoveTrayIcon whether the window
// is shown or hidden. Its events reach the window as the mouse messages RouteCommand
// expects. UI thread only.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

class QMenu;

namespace lullwood {

// Left release, left double click and right release; the middle button gives its own
// release (which nobody acts on); an unknown reason gives nothing.
std::optional<std::uintptr_t> MouseMessageOf(QSystemTrayIcon::ActivationReason reason);

// True when the desktop has a status area to put the icon in.
bool StatusAreaAvailable();

class TrayIcon : public QObject {
  Q_OBJECT

 public:
  // `onMouseMessage` receives each event as a mouse message, from the event loop
  // after the event has been handed over.
  TrayIcon(const QIcon& icon, std::function<void(std::uintptr_t)> onMouseMessage,
           QObject* parent = nullptr);

  // The menu desktops draw themselves (they report no click position). Not owned.
  void SetContextMenu(QMenu* menu);

  // A second line under the tip (the sleep timer's remaining time); empty for none,
  // which leaves the tip exactly kTrayTip.
  void SetStatusLine(std::string_view line);

  void Add();
  void Remove();
  bool added() const { return icon_.isVisible(); }

  QSystemTrayIcon& icon() { return icon_; }

 private:
  void OnActivated(QSystemTrayIcon::ActivationReason reason);

  QSystemTrayIcon icon_;
  std::function<void(std::uintptr_t)> onMouseMessage_;
};

}  // namespace lullwood
