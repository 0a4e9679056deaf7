#include "LoginSuspend.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>
#include <cstdio>

namespace lullwood {
namespace {

void ReportFailure(const QString& reason) {
  std::fprintf(stderr, "lullwood: could not ask the computer to suspend: %s\n",
               reason.toLocal8Bit().constData());
}

}  // namespace

void RequestSuspend() {
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) {
    ReportFailure(QStringLiteral("no system bus (%1)").arg(bus.lastError().message()));
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
      QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Suspend"));
  call << false;
  // Asynchronous: a login manager that is slow to answer must not freeze the window.
  auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
  QObject::connect(
      watcher, &QDBusPendingCallWatcher::finished, watcher, [](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<> reply = *finished;
        if (reply.isError()) {
          ReportFailure(reply.error().name() + QStringLiteral(": ") + reply.error().message());
        }
        finished->deleteLater();
      });
}

}  // namespace lullwood
