// The media controls in the whole window, driven over a private session bus from a
// connection of their own, as a media panel or playerctl would: every property and
// method, the PropertiesChanged signals, and when the actions run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "ControlIds.h"
#include "DialogFixture.h"
#include "EventWaits.h"
#include "MediaPlayerRules.h"
#include "MediaVolumeOutputFactory.h"
#include "Mixer.h"
#include "MprisService.h"
#include "PrivateBus.h"
#include "Scenario.h"
#include "SingleInstance.h"
#include "TempFolder.h"

namespace lullwood::testing {
namespace {

const QString kBus = QStringLiteral("org.mpris.MediaPlayer2.lullwood");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

// Every PropertiesChanged the service sends, as the client saw it.
class ChangeRecorder : public QObject {
  Q_OBJECT

 public:
  std::vector<QVariantMap> changes;

 public Q_SLOTS:
  void Changed(const QString& interface, const QVariantMap& changed, const QStringList&) {
    if (interface == kPlayer) changes.push_back(changed);
  }
};

class Mpris : public DialogFixture<> {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    ASSERT_TRUE(bus_.isConnected()) << "no private bus";
    volume_ = std::make_unique<MediaVolumeOutputFactory>(outputs, state.audioDevice);
    service_ = std::make_unique<MprisService>(bus_, state.audioDevice, *volume_);
    ASSERT_EQ(ClaimBusName(bus_, false), NameClaim::kOwned);
    Make(*volume_).forward = true;
    ASSERT_NO_FATAL_FAILURE(Start());
    dialog->show();
    client_ = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client");
    ASSERT_TRUE(client_.isConnected());
    ASSERT_TRUE(client_.connect(kBus, kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                &recorder_, SLOT(Changed(QString, QVariantMap, QStringList))));
    if (attach_) service_->Attach(*dialog, *dialog);
  }
  void TearDown() override {
    client_.disconnectFromBus("client");
    service_.reset();
    bus_.unregisterService(kBus);
    DialogFixture::TearDown();
  }

  // Calls a method from the client and waits for its answer.
  QDBusMessage Call(const QString& interface, const QString& method,
                    const QVariantList& args = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(kBus, kPath, interface, method);
    call.setArguments(args);
    QDBusPendingCall pending = client_.asyncCall(call, 5000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 6000));
    return pending.reply();
  }
  using DialogFixture::Get;  // the window's controls
  // A property, read from the client.
  QVariant Get(const QString& interface, const QString& name) {
    const QDBusMessage reply = Call("org.freedesktop.DBus.Properties", "Get", {interface, name});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << name.toStdString();
    if (reply.arguments().isEmpty()) return {};
    return reply.arguments().first().value<QDBusVariant>().variant();
  }
  QDBusMessage Set(const QString& name, const QVariant& value) {
    return Call("org.freedesktop.DBus.Properties", "Set",
                {kPlayer, name, QVariant::fromValue(QDBusVariant(value))});
  }
  QVariantMap Metadata() { return qdbus_cast<QVariantMap>(Get(kPlayer, "Metadata")); }
  // Lets what the calls so far set going run its course: the actions and announcements
  // the service queued on this thread, then the signals they sent, which reach the
  // client before the answer to a call it makes after them.
  void Flush() {
    RunUntilIdle();
    Get(kPlayer, "PlaybackStatus");
    RunUntilIdle();
  }
  // Waits for a PropertiesChanged with this property; returns its value.
  QVariant WaitForChange(const QString& property) {
    size_t seen = 0;
    QVariant value;
    const bool arrived = QTest::qWaitFor(
        [&] {
          for (; seen < recorder_.changes.size(); ++seen) {
            if (recorder_.changes[seen].contains(property)) {
              value = recorder_.changes[seen].value(property);
              recorder_.changes.erase(recorder_.changes.begin(),
                                      recorder_.changes.begin() + seen + 1);
              return true;
            }
          }
          return false;
        },
        3000);
    EXPECT_TRUE(arrived) << "no PropertiesChanged with " << property.toStdString();
    return value;
  }
  QString FileUri(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path)).toString();
  }
  float OutputGain() { return state.audioDevice.directSound->mixer().outputStage().volume(); }

  bool attach_ = true;
  QDBusConnection bus_ = QDBusConnection::sessionBus();
  std::unique_ptr<MediaVolumeOutputFactory> volume_;
  std::unique_ptr<MprisService> service_;
  QDBusConnection client_{QString()};
  ChangeRecorder recorder_;
};

TEST_F(Mpris, TheRootInterfaceSaysWhoThePlayerIs) {
  EXPECT_EQ(Get(kRoot, "Identity").toString(), "Lullwood");
  EXPECT_EQ(Get(kRoot, "CanQuit").toBool(), true);
  EXPECT_EQ(Get(kRoot, "CanRaise").toBool(), true);
  EXPECT_EQ(Get(kRoot, "HasTrackList").toBool(), false);
  EXPECT_EQ(Get(kRoot, "SupportedUriSchemes").toStringList(), QStringList{"file"});
  // The desktop entry's name and its Scenario type, as installed.
  const QString entry = Get(kRoot, "DesktopEntry").toString();
  const auto desktopFile =
      std::filesystem::path(LULLWOOD_DESKTOP_DIR) / (entry.toStdString() + ".desktop");
  std::ifstream desktop(desktopFile);
  ASSERT_TRUE(desktop) << desktopFile;
  std::string line, mimeLine;
  while (std::getline(desktop, line)) {
    if (line.rfind("MimeType=", 0) == 0) mimeLine = line;
  }
  const QStringList types = Get(kRoot, "SupportedMimeTypes").toStringList();
  ASSERT_EQ(types.size(), 1);
  EXPECT_EQ(mimeLine, "MimeType=" + types[0].toStdString() + ";");
}

TEST_F(Mpris, ThePlayerIsOneEndlessTrackThatCanPlayAndPause) {
  EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Playing");
  for (const char* yes : {"CanPlay", "CanPause", "CanControl"})
    EXPECT_TRUE(Get(kPlayer, yes).toBool()) << yes;
  for (const char* no : {"CanGoNext", "CanGoPrevious", "CanSeek"})
    EXPECT_FALSE(Get(kPlayer, no).toBool()) << no;
  EXPECT_EQ(Get(kPlayer, "Rate").toDouble(), 1.0);
  EXPECT_EQ(Get(kPlayer, "Volume").toDouble(), 1.0);
  const QVariantMap metadata = Metadata();
  EXPECT_EQ(metadata.value("xesam:title").toString(), "Lullwood");
  EXPECT_EQ(qdbus_cast<QDBusObjectPath>(metadata.value("mpris:trackid")).path(),
            "/org/quillor/Lullwood/Scenario");
  // Next, Previous, Seek and SetPosition answer and change nothing.
  for (const char* method : {"Next", "Previous"}) {
    EXPECT_EQ(Call(kPlayer, method).type(), QDBusMessage::ReplyMessage) << method;
  }
  EXPECT_EQ(Call(kPlayer, "Seek", {qlonglong(5000000)}).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(
      Call(kPlayer, "SetPosition",
           {QVariant::fromValue(QDBusObjectPath("/org/quillor/Lullwood/Scenario")), qlonglong(0)})
          .type(),
      QDBusMessage::ReplyMessage);
  Flush();
  EXPECT_FALSE(state.audioDevice.muted);
  EXPECT_EQ(outputs.attempts, 1);
  EXPECT_EQ(Get(kPlayer, "Position").toLongLong(), 0);
}

TEST_F(Mpris, PauseAndStopMutePlayPlaysAndPlayPauseToggles) {
  auto* play = Get<QPushButton>(ids::kPlay);
  EXPECT_EQ(Call(kPlayer, "Pause").type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(WaitForChange("PlaybackStatus").toString(), "Paused");
  EXPECT_TRUE(state.audioDevice.muted);
  EXPECT_EQ(state.audioDevice.directSound, nullptr);
  EXPECT_FALSE(play->isChecked());
  Call(kPlayer, "Stop");
  Flush();
  EXPECT_EQ(dialog->calls, (std::vector<std::string>{"OnMute", "OnMute"}));
  Call(kPlayer, "Play");
  EXPECT_EQ(WaitForChange("PlaybackStatus").toString(), "Playing");
  EXPECT_FALSE(state.audioDevice.muted);
  EXPECT_TRUE(play->isChecked());
  EXPECT_EQ(outputs.attempts, 2);
  Call(kPlayer, "PlayPause");
  EXPECT_EQ(WaitForChange("PlaybackStatus").toString(), "Paused");
  EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Paused");
  Call(kPlayer, "PlayPause");
  EXPECT_EQ(WaitForChange("PlaybackStatus").toString(), "Playing");
  EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Playing");
  EXPECT_EQ(outputs.attempts, 3);
}

TEST_F(Mpris, ChangesFromTheWindowAreAnnouncedToo) {
  ClickOn(Get<QPushButton>(ids::kMute));
  EXPECT_EQ(WaitForChange("PlaybackStatus").toString(), "Paused");
  // A load un-mutes and names its file.
  const std::string path = WriteFile("rain night.lwd", "[Backgrounds]\nchk5=Y\n");
  AcceptDroppedFiles(dialog->core(), {path});
  EXPECT_EQ(WaitForChange("PlaybackStatus").toString(), "Playing");
  Flush();
  EXPECT_EQ(Metadata().value("xesam:title").toString(), "rain night.lwd");
  dialog->core().OnClearAll();
  const QVariantMap cleared = qdbus_cast<QVariantMap>(WaitForChange("Metadata"));
  EXPECT_EQ(cleared.value("xesam:title").toString(), "Lullwood");
}

TEST_F(Mpris, AFailedPlayAnnouncesThatItIsStillPaused) {
  Call(kPlayer, "Pause");
  EXPECT_EQ(WaitForChange("PlaybackStatus").toString(), "Paused");
  outputs.offline.SetFailing(true);
  Call(kPlayer, "Play");
  EXPECT_EQ(WaitForChange("PlaybackStatus").toString(), "Paused");
  EXPECT_TRUE(state.audioDevice.muted);
  EXPECT_EQ(dialog->messages.size(), 1u);  // the window said why, as for the button
}

TEST_F(Mpris, VolumeIsAGainAfterTheMixClampedAndKeptAcrossPlay) {
  EXPECT_EQ(Set("Volume", 0.25).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(WaitForChange("Volume").toDouble(), 0.25);
  EXPECT_FLOAT_EQ(OutputGain(), 0.25f);
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 10);
  EXPECT_EQ(state.mixer.randomVolumeStep, 10);
  Set("Volume", 3.0);
  EXPECT_EQ(WaitForChange("Volume").toDouble(), 1.0);
  Set("Volume", -1.0);
  EXPECT_EQ(WaitForChange("Volume").toDouble(), 0.0);
  EXPECT_EQ(Get(kPlayer, "Volume").toDouble(), 0.0);
  Set("Volume", 0.5);
  WaitForChange("Volume");
  // Mute and Play claim a new device: it gets the same volume.
  Call(kPlayer, "Pause");
  EXPECT_EQ(WaitForChange("PlaybackStatus").toString(), "Paused");
  Call(kPlayer, "Play");
  EXPECT_EQ(WaitForChange("PlaybackStatus").toString(), "Playing");
  EXPECT_FLOAT_EQ(OutputGain(), 0.5f);
  EXPECT_EQ(Get(kPlayer, "Volume").toDouble(), 0.5);
  // Nothing is saved.
  for (const auto& [name, value] : settings.values) EXPECT_EQ(name.find("VOL"), std::string::npos);
}

TEST_F(Mpris, OpenUriLoadsAFileAsADropDoes) {
  const std::string path = WriteFile("surf.lwd", "[Backgrounds]\nchk1=Y\nV1=7\n");
  Call(kPlayer, "Pause");
  EXPECT_EQ(Call(kPlayer, "OpenUri", {FileUri(path)}).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(qdbus_cast<QVariantMap>(WaitForChange("Metadata")).value("xesam:title").toString(),
            "surf.lwd");
  EXPECT_EQ(dialog->windowTitle().toStdString(), "Lullwood v2.2 - " + path);
  EXPECT_FALSE(state.audioDevice.muted);
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 7);
  EXPECT_EQ(dialog->Values().m_backgroundOn[0], 1);
  EXPECT_NE(state.backgrounds.slot[0], nullptr);
}

TEST_F(Mpris, OpenUriRefusesWhatIsNoScenarioFileAndLoadsNothing) {
  const std::string kept = WriteFile("kept.lwd", "[Backgrounds]\nchk2=Y\n");
  AcceptDroppedFiles(dialog->core(), {kept});
  const QString title = dialog->windowTitle();
  std::filesystem::create_directory(dir_ / "folder.lwd");
  const std::pair<QString, QString> refused[] = {
      {"http://example.org/night.lwd", "org.freedesktop.DBus.Error.InvalidArgs"},
      {"night.lwd", "org.freedesktop.DBus.Error.InvalidArgs"},
      {"file:///tmp/latin%FF.lwd", "org.freedesktop.DBus.Error.InvalidArgs"},
      {"file://elsewhere/x.lwd", "org.freedesktop.DBus.Error.InvalidArgs"},
      {FileUri((dir_ / "missing.lwd").string()), "org.freedesktop.DBus.Error.FileNotFound"},
      {FileUri((dir_ / "folder.lwd").string()), "org.freedesktop.DBus.Error.FileNotFound"},
  };
  for (const auto& [uri, error] : refused) {
    const QDBusMessage reply = Call(kPlayer, "OpenUri", {uri});
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage) << uri.toStdString();
    EXPECT_EQ(reply.errorName(), error) << uri.toStdString();
  }
  // Not a string at all.
  EXPECT_EQ(Call(kPlayer, "OpenUri", {42}).type(), QDBusMessage::ErrorMessage);
  Flush();
  EXPECT_EQ(dialog->windowTitle(), title);
  EXPECT_EQ(dialog->Values().m_backgroundOn[1], 1);
}

TEST_F(Mpris, RaiseAndTheHandOverShowTheWindowAsTheStatusAreaIconDoes) {
  dialog->hide();
  EXPECT_EQ(Call(kRoot, "Raise").type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->isVisible(); }, 3000));
  // Without a file the hand-over only shows the window.
  dialog->showMinimized();
  const QString title = dialog->windowTitle();
  QDBusMessage activate = QDBusMessage::createMethodCall(kBus, "/org/quillor/Lullwood",
                                                         "org.quillor.Lullwood", "Activate");
  activate << QString();
  EXPECT_EQ(client_.call(activate, QDBus::BlockWithGui, 3000).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isMinimized(); }, 3000));
  Flush();
  EXPECT_EQ(dialog->windowTitle(), title);
  // With a readable file it also loads it as a drop does, whatever the file holds.
  dialog->hide();
  const std::string odd = WriteFile("odd.lwd", "not a Scenario at all\n");
  activate.setArguments({QString::fromStdString(odd)});
  EXPECT_EQ(client_.call(activate, QDBus::BlockWithGui, 3000).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(qdbus_cast<QVariantMap>(WaitForChange("Metadata")).value("xesam:title").toString(),
            "odd.lwd");
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowTitle().toStdString(), "Lullwood v2.2 - " + odd);
}

// A second instance started by a launcher on Wayland hands over its activation token: it
// is where Qt's Wayland platform takes it when the window is activated.
TEST_F(Mpris, TheHandOverCarriesTheLaunchersActivationTokenToTheWindow) {
  qunsetenv("XDG_ACTIVATION_TOKEN");
  dialog->hide();
  QDBusMessage activate = QDBusMessage::createMethodCall(
      kBus, "/org/quillor/Lullwood", "org.quillor.Lullwood", "ActivateWithToken");
  activate << QString() << QString("launcher-token-1");
  EXPECT_EQ(client_.call(activate, QDBus::BlockWithGui, 3000).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->isVisible(); }, 3000));
  EXPECT_EQ(qgetenv("XDG_ACTIVATION_TOKEN"), "launcher-token-1");
  // Without a token nothing is put there.
  qunsetenv("XDG_ACTIVATION_TOKEN");
  dialog->hide();
  activate.setArguments({QString(), QString()});
  EXPECT_EQ(client_.call(activate, QDBus::BlockWithGui, 3000).type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->isVisible(); }, 3000));
  EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"));
}

// A mistyped or unreadable file handed over must not wipe the soundscape that plays: the
// window comes forward, the caller gets the reason, and nothing else changes.
TEST_F(Mpris, TheHandOverOfAFileThatCannotBeReadShowsTheWindowAndChangesNothing) {
  const std::string kept = WriteFile("kept.lwd", "[Backgrounds]\nchk2=Y\nR3=4\n");
  AcceptDroppedFiles(dialog->core(), {kept});
  Flush();
  const QString title = dialog->windowTitle();
  const auto levels = state.scheduler.frequencyLevel;
  ASSERT_NE(levels, decltype(levels){}) << "the kept Scenario sets an effect";
  std::filesystem::create_directory(dir_ / "folder.lwd");
  const std::string locked = WriteFile("locked.lwd", "[Backgrounds]\nchk5=Y\n");
  std::filesystem::permissions(locked, std::filesystem::perms::none);
  std::vector<std::string> refused = {(dir_ / "nosuch.lwd").string(),
                                      (dir_ / "folder.lwd").string()};
  // Root reads a file whatever its permissions say.
  if (geteuid() != 0) refused.push_back(locked);
  for (const std::string& path : refused) {
    dialog->hide();
    QDBusMessage activate = QDBusMessage::createMethodCall(kBus, "/org/quillor/Lullwood",
                                                           "org.quillor.Lullwood", "Activate");
    activate << QString::fromStdString(path);
    const QDBusMessage reply = client_.call(activate, QDBus::BlockWithGui, 3000);
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage) << path;
    EXPECT_EQ(reply.errorName(), "org.freedesktop.DBus.Error.FileNotFound") << path;
    EXPECT_TRUE(reply.errorMessage().contains(QString::fromStdString(path))) << path;
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->isVisible(); }, 3000)) << path;
    Flush();
    EXPECT_EQ(dialog->windowTitle(), title) << path;
    EXPECT_EQ(dialog->Values().m_backgroundOn[1], 1) << path;
    EXPECT_NE(state.backgrounds.slot[0], nullptr) << path;
    EXPECT_EQ(state.scheduler.frequencyLevel, levels) << path;
  }
  std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
}

TEST_F(Mpris, QuitEndsTheRunThroughCloseDown) {
  QSignalSpy finished(dialog.get(), &QDialog::finished);
  EXPECT_EQ(Call(kRoot, "Quit").type(), QDBusMessage::ReplyMessage);
  EXPECT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 3000));
  EXPECT_EQ(state.audioDevice.directSound, nullptr);
  EXPECT_FALSE(dialog->schedulerTimer().running());
  // After the end nothing more runs: Play would claim the device again.
  Call(kPlayer, "Play");
  Flush();
  EXPECT_EQ(state.audioDevice.directSound, nullptr);
}

TEST_F(Mpris, ActionsWaitWhileAModalDialogIsOpen) {
  QDialog modal(dialog.get());
  modal.setModal(true);
  modal.show();
  ASSERT_EQ(QApplication::activeModalWidget(), &modal);
  EXPECT_EQ(Call(kPlayer, "Pause").type(), QDBusMessage::ReplyMessage);  // answered at once
  Flush();
  EXPECT_FALSE(state.audioDevice.muted);
  modal.hide();
  EXPECT_TRUE(QTest::qWaitFor([&] { return state.audioDevice.muted; }, 3000));
}

class MprisBeforeStartUp : public Mpris {
 protected:
  void SetUp() override {
    attach_ = false;
    Mpris::SetUp();
  }
};

TEST_F(MprisBeforeStartUp, CallsAreAnsweredAndActOnceStartUpHasFinished) {
  EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Playing");
  EXPECT_EQ(Call(kPlayer, "Pause").type(), QDBusMessage::ReplyMessage);
  Flush();
  EXPECT_FALSE(state.audioDevice.muted);
  service_->Attach(*dialog, *dialog);
  EXPECT_TRUE(QTest::qWaitFor([&] { return state.audioDevice.muted; }, 3000));
}

}  // namespace
}  // namespace lullwood::testing

#include "mpris_test.moc"

int main(int argc, char** argv) {
  lullwood::testing::PrivateBus bus;  // before the first connection to the session bus
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
