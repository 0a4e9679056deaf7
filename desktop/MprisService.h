// The program on the session bus: MPRIS 2.2 (org.mpris.MediaPlayer2 and its Player) for
// media keys, media panels and playerctl, and the program's own interface through which
// a second instance hands over its command line. A thin adapter: every method calls
// what the window's buttons, menus, status-area icon and drops call. UI thread only.
#pragma once

#include <QDBusConnection>
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "MediaVolumeOutputFactory.h"
#include "SoundDevice.h"
#include "Soundscape.h"

namespace lullwood {

class PlayerWindow;

class MprisService : public QObject {
  Q_OBJECT

 public:
  // Serves both objects on `bus` at once; until Attach every action waits, so calls
  // that come while the program starts run once start-up has finished.
  MprisService(QDBusConnection bus, const AudioDevice& device, MediaVolumeOutputFactory& volume);
  ~MprisService() override;

  // The window whose handlers the methods call, and the dialog that runs it; from here
  // on actions run, each after the call that asked for it has been answered. Once the
  // dialog has ended its run, actions are dropped.
  void Attach(PlayerWindow& window, QDialog& dialog);

  // What the properties read now.
  QString PlaybackStatus() const;
  QVariantMap Metadata() const;
  double Volume() const { return volume_.volume(); }
  void SetVolume(double gain);

  // The methods: each queues its action. `activationToken`, when a launcher gave one, lets
  // a Wayland compositor bring the window forward: it is put where Qt's Wayland platform
  // takes it (XDG_ACTIVATION_TOKEN) just before the window is shown and activated.
  void Raise(const QString& activationToken = {});
  void Quit();
  void Play();
  void Pause();
  void PlayPause();
  // Nothing, or the D-Bus error name and text when the URI cannot be loaded.
  std::optional<std::pair<QString, QString>> OpenUri(const QString& uri);
  // A second instance's command line (absolute or empty): shows the window as a left
  // click on the status-area icon does, then loads the file as a drop does. A file that
  // cannot be read is refused as OpenUri refuses it: the window shows, nothing else. The
  // second instance's activation token, if it had one, raises the window as Raise says.
  std::optional<std::pair<QString, QString>> Activate(const QString& scenario,
                                                      const QString& activationToken = {});

 private:
  // Runs `action` once the window is attached, free (no modal dialog open) and not ended.
  void Post(std::function<void(PlayerWindow&)> action);
  void Drain();
  // Queues the load of `path` as a drop; nothing, or the error when it names no readable
  // file.
  std::optional<std::pair<QString, QString>> LoadIfReadable(const std::string& path);
  // Announces, in one PropertiesChanged, each of status, title and volume that differs
  // from what was last announced; `forceStatus` announces the status anyway.
  void AnnounceChanges(bool forceStatus = false);
  void QueueAnnouncement();

  QDBusConnection bus_;
  const AudioDevice& device_;
  MediaVolumeOutputFactory& volume_;
  PlayerWindow* window_ = nullptr;
  QPointer<QDialog> dialog_;
  bool ended_ = false;
  bool draining_ = false;
  std::deque<std::function<void(PlayerWindow&)>> pending_;
  QTimer retry_;
  QObject* instanceObject_ = nullptr;
  Subscription subscription_;

  QString announcedStatus_;
  QString announcedTitle_;
  double announcedVolume_ = 1.0;
  bool announcementQueued_ = false;
};

}  // namespace lullwood
