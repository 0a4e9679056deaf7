#include "SleepInhibitor.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace lullwood {

SleepInhibitor::SleepInhibitor(std::function<QDBusConnection()> connect, QObject* parent)
    : QObject(parent), connect_(std::move(connect)) {}

SleepInhibitor::~SleepInhibitor() {
  Release();
}

void SleepInhibitor::Hold() {
  wanted_ = true;
  if (held() || asking_) return;
  QDBusConnection bus = connect_();
  if (!bus.isConnected()) {
    Q_EMIT failed(QCoreApplication::translate("Lullwood", "there is no system bus"));
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
      QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
  call << QStringLiteral("sleep") << QStringLiteral("Lullwood")
       << QCoreApplication::translate("Lullwood", "Playing a soundscape")
       << QStringLiteral("block");
  asking_ = true;
  // Asynchronous: a login manager that is slow to answer must not freeze the window.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    asking_ = false;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
    if (reply.isError()) {
      if (wanted_) Q_EMIT failed(reply.error().message());
      return;
    }
    // Let go by then: the descriptor closes here, with the reply.
    if (!wanted_) return;
    hold_ = reply.value();
    if (!held())
      Q_EMIT failed(QCoreApplication::translate("Lullwood", "the login manager gave no hold"));
  });
}

void SleepInhibitor::Release() {
  wanted_ = false;
  // Closing the last copy of the descriptor ends the hold.
  hold_ = QDBusUnixFileDescriptor();
}

}  // namespace lullwood
