#include "SingleInstance.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <string>

#include "BusProbe.h"
#include "MediaPlayerRules.h"
#include "QtText.h"

namespace lullwood {

std::optional<QDBusConnection> ConnectToSessionBus() {
  // Where Qt would look: the address given, else the usual socket of the user's session.
  std::string address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS").toStdString();
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (address.empty() && !runtime.isEmpty())
    address = "unix:path=" + runtime.toStdString() + "/bus";
  if (!address.empty() && !SessionBusAnswers(address, media::kCallTimeoutMs)) {
    // Other libraries of the process (SDL's audio start-up among them) would wait on it for
    // good too: for this process there is no bus, and a connection fails at once.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/dev/null/no-session-bus");
    return std::nullopt;
  }
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || bus.interface() == nullptr) return std::nullopt;
  return bus;
}

NameClaim ClaimBusName(QDBusConnection& bus, bool queue) {
  QDBusConnectionInterface* names = bus.interface();
  names->setTimeout(media::kCallTimeoutMs);
  const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = names->registerService(
      ToQString(media::kBusName),
      queue ? QDBusConnectionInterface::QueueService : QDBusConnectionInterface::DontQueueService,
      QDBusConnectionInterface::DontAllowReplacement);
  if (!reply.isValid()) return NameClaim::kUnknown;
  switch (reply.value()) {
    case QDBusConnectionInterface::ServiceRegistered:
      return NameClaim::kOwned;
    case QDBusConnectionInterface::ServiceQueued:
    case QDBusConnectionInterface::ServiceNotRegistered:
      return NameClaim::kTaken;
  }
  return NameClaim::kUnknown;
}

HandOver HandOverToRunningInstance(QDBusConnection& bus, const QString& commandLine, QString& why) {
  const std::string path =
      media::AbsoluteHandOverPath(commandLine.toStdString(), QDir::currentPath().toStdString());
  // The launcher's activation token goes along: on Wayland only a token lets the running
  // window come forward. A running instance of an older build knows only Activate.
  const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
  QDBusMessage call = QDBusMessage::createMethodCall(
      ToQString(media::kBusName), ToQString(media::kInstancePath),
      ToQString(media::kInstanceInterface), QStringLiteral("ActivateWithToken"));
  call << QString::fromStdString(path) << token;
  QDBusMessage reply = bus.call(call, QDBus::Block, media::kCallTimeoutMs);
  if (reply.type() == QDBusMessage::ErrorMessage &&
      reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod")) {
    QDBusMessage older = QDBusMessage::createMethodCall(
        ToQString(media::kBusName), ToQString(media::kInstancePath),
        ToQString(media::kInstanceInterface), QStringLiteral("Activate"));
    older << QString::fromStdString(path);
    reply = bus.call(older, QDBus::Block, media::kCallTimeoutMs);
  }
  if (reply.type() == QDBusMessage::ReplyMessage) return HandOver::kDone;
  if (reply.type() == QDBusMessage::ErrorMessage &&
      reply.errorName() == ToQString(media::kFileNotFoundError)) {
    why = reply.errorMessage();
    return HandOver::kRefused;
  }
  return HandOver::kNoAnswer;
}

}  // namespace lullwood
