#include "TrayIcon.h"

#include <QMenu>
#include <string>

#include "QtText.h"
#include "ShellCommands.h"

namespace lullwood {

std::optional<std::uintptr_t> TrayClickOf(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      return tray::kClick;
    case QSystemTrayIcon::DoubleClick:
      return tray::kDoubleClick;
    case QSystemTrayIcon::Context:
      return tray::kContextClick;
    case QSystemTrayIcon::MiddleClick:
      return tray::kMiddleClick;
    case QSystemTrayIcon::Unknown:
      break;
  }
  return std::nullopt;
}

bool StatusAreaAvailable() {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

TrayIcon::TrayIcon(const QIcon& icon, std::function<void(std::uintptr_t)> onClick, QObject* parent)
    : QObject(parent), icon_(icon), onClick_(std::move(onClick)) {
  SetStatusLine({});
  // Queued: an action may remove the icon, and some status areas deliver the event
  // from inside the icon's own window, which removing it destroys.
  connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIcon::OnActivated, Qt::QueuedConnection);
}

void TrayIcon::SetContextMenu(QMenu* menu) {
  icon_.setContextMenu(menu);
  if (area_) area_->SetContextMenu(menu);
}

void TrayIcon::SetStatusLine(std::string_view line) {
  QString text = UiText(kTrayTip);
  if (!line.empty()) text += '\n' + UiText(line);
  icon_.setToolTip(text);
  if (area_) area_->SetToolTip(text);
}

void TrayIcon::UseStatusArea(std::unique_ptr<StatusArea> area) {
  const bool wasAdded = added();
  icon_.hide();
  area_ = std::move(area);
  area_->SetClickHandler([this](StatusArea::Click click) {
    switch (click) {
      case StatusArea::Click::kPrimary:
        onClick_(tray::kClick);
        break;
      case StatusArea::Click::kSecondary:
        onClick_(tray::kMiddleClick);
        break;
      case StatusArea::Click::kContext:
        onClick_(tray::kContextClick);
        break;
    }
  });
  area_->SetToolTip(icon_.toolTip());
  area_->SetContextMenu(icon_.contextMenu());
  area_->SetShown(wasAdded);
}

void TrayIcon::Add() {
  if (area_) {
    area_->SetShown(true);
  } else {
    icon_.show();
  }
}

void TrayIcon::Remove() {
  if (area_) area_->SetShown(false);
  icon_.hide();
}

bool TrayIcon::StatusAreaPresent() const {
  return area_ ? area_->hostPresent() : StatusAreaAvailable();
}

void TrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  // Some status areas open the icon's own menu on the press that reports the Context
  // reason; close that copy so exactly one Scenario popup is open.
  if (reason == QSystemTrayIcon::Context) {
    if (QMenu* menu = icon_.contextMenu(); menu && menu->isVisible()) menu->hide();
  }
  if (const auto message = TrayClickOf(reason)) onClick_(*message);
}

}  // namespace lullwood
