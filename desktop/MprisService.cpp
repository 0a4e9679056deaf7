#include "MprisService.h"

#include <QApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStandardPaths>
#include <QUrl>

#include "MediaPlayerRules.h"
#include "PlayerWindow.h"
#include "QtText.h"

namespace lullwood {
namespace {

// How often a waiting action looks again whether the modal dialog has closed.
constexpr int kModalRetryMs = 50;

QString Q(std::string_view text) {
  return ToQString(text);
}

// org.mpris.MediaPlayer2: who the player is, Raise and Quit.
class RootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ CanQuit)
  Q_PROPERTY(bool CanRaise READ CanRaise)
  Q_PROPERTY(bool HasTrackList READ HasTrackList)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

 public:
  RootAdaptor(QObject* parent, MprisService& service)
      : QDBusAbstractAdaptor(parent), service_(service) {}

  bool CanQuit() const { return true; }
  bool CanRaise() const { return true; }
  bool HasTrackList() const { return false; }
  QString Identity() const { return Q(media::kIdentity); }
  QString DesktopEntry() const { return Q(media::kDesktopEntry); }
  QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
  QStringList SupportedMimeTypes() const { return {Q(media::kScenarioMimeType)}; }

 public Q_SLOTS:
  void Raise() { service_.Raise(); }
  void Quit() { service_.Quit(); }

 private:
  MprisService& service_;
};

// org.mpris.MediaPlayer2.Player: Play is Play, Pause and Stop are Mute, one endless
// track without position, the output volume.
class PlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(double Rate READ Rate WRITE SetRate)
  Q_PROPERTY(double MinimumRate READ Rate)
  Q_PROPERTY(double MaximumRate READ Rate)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(bool CanGoNext READ No)
  Q_PROPERTY(bool CanGoPrevious READ No)
  Q_PROPERTY(bool CanPlay READ Yes)
  Q_PROPERTY(bool CanPause READ Yes)
  Q_PROPERTY(bool CanSeek READ No)
  Q_PROPERTY(bool CanControl READ Yes)

 public:
  PlayerAdaptor(QObject* parent, MprisService& service, QDBusConnection bus)
      : QDBusAbstractAdaptor(parent), service_(service), bus_(std::move(bus)) {}

  QString PlaybackStatus() const { return service_.PlaybackStatus(); }
  double Rate() const { return 1.0; }
  void SetRate(double) {}
  QVariantMap Metadata() const { return service_.Metadata(); }
  double Volume() const { return service_.Volume(); }
  void SetVolume(double gain) { service_.SetVolume(gain); }
  qlonglong Position() const { return 0; }
  bool Yes() const { return true; }
  bool No() const { return false; }

 public Q_SLOTS:
  void Play() { service_.Play(); }
  void Pause() { service_.Pause(); }
  void Stop() { service_.Pause(); }
  void PlayPause() { service_.PlayPause(); }
  void Next() {}
  void Previous() {}
  void Seek(qlonglong) {}
  void SetPosition(const QDBusObjectPath&, qlonglong) {}
  void OpenUri(const QString& uri, const QDBusMessage& message) {
    if (const auto error = service_.OpenUri(uri)) {
      message.setDelayedReply(true);
      bus_.send(message.createErrorReply(error->first, error->second));
    }
  }

 Q_SIGNALS:
  void Seeked(qlonglong position);

 private:
  MprisService& service_;
  QDBusConnection bus_;
};

// The program's own interface: a second instance's hand-over.
class InstanceAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.quillor.Lullwood")

 public:
  InstanceAdaptor(QObject* parent, MprisService& service, QDBusConnection bus)
      : QDBusAbstractAdaptor(parent), service_(service), bus_(std::move(bus)) {}

 public Q_SLOTS:
  // `scenario`: an absolute path to load as a drop, or empty to only show the window.
  // A path that names no readable file is refused with an error, and nothing changes.
  void Activate(const QString& scenario, const QDBusMessage& message) {
    ActivateWithToken(scenario, QString(), message);
  }
  // The same with the second instance's activation token (empty when it had none).
  void ActivateWithToken(const QString& scenario, const QString& token,
                         const QDBusMessage& message) {
    if (const auto error = service_.Activate(scenario, token)) {
      message.setDelayedReply(true);
      bus_.send(message.createErrorReply(error->first, error->second));
    }
  }

 private:
  MprisService& service_;
  QDBusConnection bus_;
};

std::vector<std::string> DataFolders() {
  std::vector<std::string> folders;
  for (const QString& folder :
       QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
    folders.push_back(folder.toStdString());
#ifdef LULLWOOD_INSTALLED_DATADIR
  folders.emplace_back(LULLWOOD_INSTALLED_DATADIR);
#endif
  return folders;
}

}  // namespace

MprisService::MprisService(QDBusConnection bus, const AudioDevice& device,
                           MediaVolumeOutputFactory& volume)
    : bus_(std::move(bus)), device_(device), volume_(volume) {
  new RootAdaptor(this, *this);
  new PlayerAdaptor(this, *this, bus_);
  instanceObject_ = new QObject(this);
  new InstanceAdaptor(instanceObject_, *this, bus_);
  bus_.registerObject(Q(media::kObjectPath), this, QDBusConnection::ExportAdaptors);
  bus_.registerObject(Q(media::kInstancePath), instanceObject_, QDBusConnection::ExportAdaptors);
  retry_.setSingleShot(true);
  connect(&retry_, &QTimer::timeout, this, &MprisService::Drain);
  announcedStatus_ = PlaybackStatus();
  announcedTitle_ = Metadata().value(QStringLiteral("xesam:title")).toString();
  announcedVolume_ = Volume();
}

MprisService::~MprisService() {
  bus_.unregisterObject(Q(media::kInstancePath));
  bus_.unregisterObject(Q(media::kObjectPath));
}

void MprisService::Attach(PlayerWindow& window, QDialog& dialog) {
  window_ = &window;
  dialog_ = &dialog;
  // The core says what changed; the window is not asked.
  subscription_ = window.soundscape().Subscribe([this](Change) { QueueAnnouncement(); });
  connect(&dialog, &QDialog::finished, this, [this] {
    ended_ = true;
    pending_.clear();
    subscription_.End();
  });
  AnnounceChanges();
  QTimer::singleShot(0, this, &MprisService::Drain);
}

QString MprisService::PlaybackStatus() const {
  return Q(media::PlaybackStatusOf(device_.muted));
}

QVariantMap MprisService::Metadata() const {
  const std::optional<std::string> scenario =
      window_ && dialog_ && !ended_ ? window_->soundscape().scenarioPath() : std::nullopt;
  QVariantMap metadata{
      {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(Q(media::kTrackId)))},
      {QStringLiteral("xesam:title"), Q(media::ScenarioTitleOf(scenario))},
  };
  if (const auto icon = media::FindInstalledIcon(DataFolders())) {
    metadata.insert(QStringLiteral("mpris:artUrl"),
                    QUrl::fromLocalFile(QString::fromStdString(*icon)).toString());
  }
  return metadata;
}

void MprisService::SetVolume(double gain) {
  volume_.SetVolume(gain);
  AnnounceChanges();
}

void MprisService::Raise(const QString& activationToken) {
  // What a click on the status-area icon does.
  Post([activationToken](PlayerWindow& window) {
    if (!activationToken.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
    window.ShowFromTray();
  });
}

void MprisService::Quit() {
  Post([](PlayerWindow& window) { window.PressExit(); });
}

void MprisService::Play() {
  Post([this](PlayerWindow& window) {
    window.PressPlay();
    // A Play that could not claim the device leaves the status as it was; say so, for a
    // panel that showed "Playing" as soon as it asked.
    AnnounceChanges(device_.muted);
  });
}

void MprisService::Pause() {
  Post([](PlayerWindow& window) { window.PressMute(); });
}

void MprisService::PlayPause() {
  Post([this](PlayerWindow& window) {
    if (device_.muted) {
      window.PressPlay();
      AnnounceChanges(device_.muted);
    } else {
      window.PressMute();
    }
  });
}

std::optional<std::pair<QString, QString>> MprisService::OpenUri(const QString& uri) {
  std::string why;
  const std::optional<std::string> path = media::LocalPathOfFileUri(uri.toStdString(), why);
  if (!path) return std::pair{QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"), Q(why)};
  return LoadIfReadable(*path);
}

std::optional<std::pair<QString, QString>> MprisService::Activate(const QString& scenario,
                                                                  const QString& activationToken) {
  Raise(activationToken);
  if (scenario.isEmpty()) return std::nullopt;
  return LoadIfReadable(scenario.toStdString());
}

std::optional<std::pair<QString, QString>> MprisService::LoadIfReadable(const std::string& path) {
  // In a running program a file that cannot be read would load as an empty Scenario and
  // wipe the user's soundscape: refuse it, and leave everything as it is.
  if (const auto problem = media::ScenarioFileProblem(path)) {
    return std::pair{Q(media::kFileNotFoundError), Q(path) + QStringLiteral(": ") + Q(*problem)};
  }
  Post([path](PlayerWindow& window) { window.LoadDropped(path); });
  return std::nullopt;
}

void MprisService::Post(std::function<void(PlayerWindow&)> action) {
  if (ended_) return;
  pending_.push_back(std::move(action));
  // After the call has been answered: the action may open message boxes.
  QTimer::singleShot(0, this, &MprisService::Drain);
}

// One action at a time, never while a modal dialog is open: that would run a handler in
// the middle of another one (a load asking the user something, say).
void MprisService::Drain() {
  if (draining_ || !window_ || !dialog_ || ended_) return;
  draining_ = true;
  while (!pending_.empty() && window_ && dialog_ && !ended_) {
    if (QApplication::activeModalWidget() != nullptr) {
      retry_.start(kModalRetryMs);
      break;
    }
    std::function<void(PlayerWindow&)> action = std::move(pending_.front());
    pending_.pop_front();
    action(*window_);
  }
  draining_ = false;
}

void MprisService::QueueAnnouncement() {
  if (announcementQueued_) return;
  announcementQueued_ = true;
  // Once the handler is done: one announcement for all it changed (a load plays and
  // names its Scenario).
  QTimer::singleShot(0, this, [this] {
    announcementQueued_ = false;
    AnnounceChanges();
  });
}

void MprisService::AnnounceChanges(bool forceStatus) {
  QVariantMap changed;
  const QString status = PlaybackStatus();
  if (forceStatus || status != announcedStatus_) {
    changed.insert(QStringLiteral("PlaybackStatus"), status);
    announcedStatus_ = status;
  }
  const QVariantMap metadata = Metadata();
  const QString title = metadata.value(QStringLiteral("xesam:title")).toString();
  if (title != announcedTitle_) {
    changed.insert(QStringLiteral("Metadata"), metadata);
    announcedTitle_ = title;
  }
  if (Volume() != announcedVolume_) {
    changed.insert(QStringLiteral("Volume"), Volume());
    announcedVolume_ = Volume();
  }
  if (changed.isEmpty()) return;
  QDBusMessage signal = QDBusMessage::createSignal(
      Q(media::kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("PropertiesChanged"));
  signal << Q(media::kPlayerInterface) << changed << QStringList();
  bus_.send(signal);
}

}  // namespace lullwood

#include "MprisService.moc"
