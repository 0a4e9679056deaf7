// The status-area icon, present from AddTrayIcon to RemoveTrayIcon whether the window
// is shown or hidden. Its events reach the window as the clicks RouteCommand
// expects. UI thread only.
#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "StatusArea.h"

class QMenu;

namespace lullwood {

// The click an activation reason is: a click, a double click, a context click or a
// middle click (which nobody acts on); an unknown reason gives nothing.
std::optional<std::uintptr_t> TrayClickOf(QSystemTrayIcon::ActivationReason reason);

// True when the desktop has a status area to put the icon in.
bool StatusAreaAvailable();

class TrayIcon : public QObject {
  Q_OBJECT

 public:
  // `onClick` receives each event as a click (tray::), from the event loop
  // after the event has been handed over.
  TrayIcon(const QIcon& icon, std::function<void(std::uintptr_t)> onClick,
           QObject* parent = nullptr);

  // The menu desktops draw themselves (they report no click position). Not owned.
  void SetContextMenu(QMenu* menu);

  // A second line under the tip (the sleep timer's remaining time); empty for none,
  // which leaves the tip exactly kTrayTip.
  void SetStatusLine(std::string_view line);

  // Shows the icon through `area` from here on instead of Qt's own, which stays hidden
  // (tip and menu are still set on both); its clicks reach `onClick` as Qt's icon's do.
  void UseStatusArea(std::unique_ptr<StatusArea> area);
  StatusArea* statusArea() const { return area_.get(); }

  void Add();
  void Remove();
  bool added() const { return area_ ? area_->shown() : icon_.isVisible(); }
  // True when a status area shows the icon, or could: a hidden window can come back.
  bool StatusAreaPresent() const;

  QSystemTrayIcon& icon() { return icon_; }

 private:
  void OnActivated(QSystemTrayIcon::ActivationReason reason);

  QSystemTrayIcon icon_;
  std::function<void(std::uintptr_t)> onClick_;
  std::unique_ptr<StatusArea> area_;
};

}  // namespace lullwood
