// A hold on the computer's sleep: logind's sleep inhibitor ("sleep", mode "block") on the
// system bus, taken and let go as the program asks. logind hands over a file descriptor;
// the hold lasts as long as it is open. UI thread only.
#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>
#include <functional>

namespace lullwood {

class SleepInhibitor : public QObject {
  Q_OBJECT

 public:
  // On the bus `connect` gives (the system bus, or a test's own), connected at the first
  // request: a window that never asks never touches the bus.
  explicit SleepInhibitor(std::function<QDBusConnection()> connect = &QDBusConnection::systemBus,
                          QObject* parent = nullptr);
  ~SleepInhibitor() override;

  // Asks for the hold unless it is held or asked for; the answer comes later.
  void Hold();
  // Lets the hold go at once; an answer still to come is let go when it comes.
  void Release();
  bool held() const { return hold_.isValid(); }
  bool wanted() const { return wanted_; }

 Q_SIGNALS:
  // A request for the hold failed, with the reason.
  void failed(const QString& reason);

 private:
  std::function<QDBusConnection()> connect_;
  QDBusUnixFileDescriptor hold_;
  bool wanted_ = false;
  bool asking_ = false;
};

}  // namespace lullwood
