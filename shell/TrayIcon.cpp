#include "TrayIcon.h"

#include <QMenu>
#include <string>

#include "ShellCommands.h"

namespace lullwood {

std::optional<std::uintptr_t> MouseMessageOf(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      return kLeftButtonUp;
    case QSystemTrayIcon::DoubleClick:
      return kLeftButtonDoubleClick;
    case QSystemTrayIcon::Context:
      return kRightButtonUp;
    case QSystemTrayIcon::MiddleClick:
      return kMiddleButtonUp;
    case QSystemTrayIcon::Unknown:
      break;
  }
  return std::nullopt;
}

bool StatusAreaAvailable() {
  return QSystemTrayIcon::isSystemTrayAvailable();
}

TrayIcon::TrayIcon(const QIcon& icon, std::function<void(std::uintptr_t)> onMouseMessage,
                   QObject* parent)
    : QObject(parent), icon_(icon), onMouseMessage_(std::move(onMouseMessage)) {
  SetStatusLine({});
  // Queued: an action may remove the icon, and some status areas deliver the event
  // from inside the icon's own window, which removing it destroys.
  connect(&icon_, &QSystemTrayIcon::activated, this, &TrayIcon::OnActivated, Qt::QueuedConnection);
}

void TrayIcon::SetContextMenu(QMenu* menu) {
  icon_.setContextMenu(menu);
}

void TrayIcon::SetStatusLine(std::string_view line) {
  std::string tip(kTrayTip);
  if (!line.empty()) tip.append("\n").append(line);
  icon_.setToolTip(QString::fromUtf8(tip.data(), static_cast<qsizetype>(tip.size())));
}

void TrayIcon::Add() {
  icon_.show();
}

void TrayIcon::Remove() {
  icon_.hide();
}

void TrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
  // Some status areas open the icon's own menu on the press that reports the Context
  // reason; close that copy so exactly one Scenario popup is open.
  if (reason == QSystemTrayIcon::Context) {
    if (QMenu* menu = icon_.contextMenu(); menu && menu->isVisible()) menu->hide();
  }
  if (const auto message = MouseMessageOf(reason)) onMouseMessage_(*message);
}

}  // namespace lullwood
