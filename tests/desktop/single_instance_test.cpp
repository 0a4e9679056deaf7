// The real lullwood started twice on a private session bus, and started without one:
// the second instance hands over and ends before it shows, sounds or adds an icon; the
// first loads and shows. Offscreen, with the dummy or disk audio driver and a private
// settings folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QProcess>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "PrivateBus.h"
#include "TempFolder.h"

namespace lullwood::testing {
namespace {

const QString kBus = QStringLiteral("org.mpris.MediaPlayer2.lullwood");
const QString kFirstPaint = QStringLiteral("first paint");

class TwoStarts : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    std::filesystem::create_directories(dir_ / "config");
  }
  void TearDown() override {
    for (QProcess* p : processes_) {
      if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(5000);
      }
      delete p;
    }
    TempFolderTest::TearDown();
  }

  QProcess* Start(const QStringList& arguments, const QString& busAddress,
                  const QString& diskAudioFile = {}, const QString& activationToken = {}) {
    auto* process = new QProcess;
    processes_.push_back(process);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("XDG_ACTIVATION_TOKEN");
    if (!activationToken.isEmpty()) env.insert("XDG_ACTIVATION_TOKEN", activationToken);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CONFIG_HOME", QString::fromStdString((dir_ / "config").string()));
    env.insert("LULLWOOD_REPORT_FIRST_PAINT", "1");
    env.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    if (diskAudioFile.isEmpty()) {
      env.insert("SDL_AUDIODRIVER", "dummy");
    } else {
      env.insert("SDL_AUDIODRIVER", "disk");
      env.insert("SDL_DISKAUDIOFILE", diskAudioFile);
    }
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(QString::fromStdString(dir_.string()));
    process->start(QStringLiteral(LULLWOOD_PATH), arguments);
    EXPECT_TRUE(process->waitForStarted(5000));
    return process;
  }
  // Waits until the process has painted its window.
  bool Painted(QProcess* process) {
    QByteArray& err = errors_[process];
    return QTest::qWaitFor(
        [&] {
          err += process->readAllStandardError();
          return err.contains(kFirstPaint.toUtf8());
        },
        10000);
  }
  QString Title() {
    QDBusInterface player(kBus, "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2.Player", bus_);
    return qdbus_cast<QVariantMap>(player.property("Metadata")).value("xesam:title").toString();
  }
  QString OwnerPid() {
    const QDBusReply<uint> pid = bus_.interface()->servicePid(kBus);
    return pid.isValid() ? QString::number(pid.value()) : QString();
  }
  void Quit() {
    QDBusInterface root(kBus, "/org/mpris/MediaPlayer2", "org.mpris.MediaPlayer2", bus_);
    root.call("Quit");
  }

  QDBusConnection bus_ = QDBusConnection::sessionBus();
  QString address_ = QString::fromLocal8Bit(qgetenv("DBUS_SESSION_BUS_ADDRESS"));
  std::vector<QProcess*> processes_;
  std::map<QProcess*, QByteArray> errors_;
};

// A running instance as far as the hand-over goes, in this process: it records what it is
// handed. As an older build it knows only Activate(s), and answers ActivateWithToken as a
// method it does not have.
class FakeRunningInstance : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.quillor.Lullwood")

 public:
  QStringList calls;
  bool older = false;

 public Q_SLOTS:
  void Activate(const QString& scenario) { calls << "Activate(" + scenario + ")"; }
  void ActivateWithToken(const QString& scenario, const QString& token) {
    if (older) {
      sendErrorReply(QDBusError::UnknownMethod, "No such method ActivateWithToken");
      return;
    }
    calls << "ActivateWithToken(" + scenario + ", " + token + ")";
  }
};

// A second start from a launcher on Wayland carries the launcher's activation token to the
// running instance, which needs it to bring its window forward; a running instance of an
// older build is handed the file as before.
TEST_F(TwoStarts, TheSecondHandsTheLaunchersActivationTokenOver) {
  QDBusConnection serving = QDBusConnection::connectToBus(address_, "running");
  ASSERT_TRUE(serving.isConnected());
  FakeRunningInstance running;
  ASSERT_TRUE(
      serving.registerObject("/org/quillor/Lullwood", &running, QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(serving.registerService(kBus));
  QProcess* second = Start({}, address_, {}, "launcher-token-7");
  ASSERT_TRUE(QTest::qWaitFor([&] { return second->state() == QProcess::NotRunning; }, 10000));
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_EQ(running.calls, QStringList{"ActivateWithToken(, launcher-token-7)"});

  running.calls.clear();
  running.older = true;
  QProcess* third = Start({}, address_, {}, "launcher-token-8");
  ASSERT_TRUE(QTest::qWaitFor([&] { return third->state() == QProcess::NotRunning; }, 10000));
  EXPECT_EQ(third->exitCode(), 0);
  EXPECT_EQ(running.calls, QStringList{"Activate()"});
  serving.unregisterService(kBus);
  QDBusConnection::disconnectFromBus("running");
}

TEST_F(TwoStarts, TheSecondHandsItsFileOverAndEndsWithoutWindowOrAudio) {
  ASSERT_TRUE(bus_.isConnected());
  QProcess* first = Start({}, address_);
  ASSERT_TRUE(Painted(first));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !OwnerPid().isEmpty(); }, 5000));
  EXPECT_EQ(OwnerPid(), QString::number(first->processId()));
  EXPECT_EQ(Title(), "Lullwood");

  std::ofstream(dir_ / "deep night.lwd") << "[Backgrounds]\nchk1=Y\n";
  const QString secondAudio = QString::fromStdString((dir_ / "second.raw").string());
  QProcess* second = Start({"deep", "night.lwd"}, address_, secondAudio);  // relative, with a blank
  ASSERT_TRUE(second->waitForFinished(10000));
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_FALSE(second->readAllStandardError().contains(kFirstPaint.toUtf8()))
      << "the second instance showed a window";
  EXPECT_FALSE(std::filesystem::exists(secondAudio.toStdString()))
      << "the second instance claimed the audio device";

  EXPECT_TRUE(QTest::qWaitFor([&] { return Title() == "deep night.lwd"; }, 5000))
      << Title().toStdString();
  EXPECT_EQ(first->state(), QProcess::Running);
  Quit();
  ASSERT_TRUE(first->waitForFinished(5000));
  EXPECT_EQ(first->exitCode(), 0);
}

// A typo on the command line must not cost the running soundscape: the second says why
// and fails, the first keeps what it plays. A folder fares the same.
TEST_F(TwoStarts, AFileThatCannotBeReadIsRefusedAndTheRunningSoundscapeStays) {
  ASSERT_TRUE(bus_.isConnected());
  std::ofstream(dir_ / "start.lwd") << "[Backgrounds]\nchk3=Y\nR1=4\n";
  std::filesystem::create_directory(dir_ / "folder.lwd");
  QProcess* first = Start({"start.lwd"}, address_);
  ASSERT_TRUE(Painted(first));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Title() == "start.lwd"; }, 5000));
  for (const QString& name : {QStringLiteral("nosuch.lwd"), QStringLiteral("folder.lwd")}) {
    QProcess* second = Start({name}, address_);
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_NE(second->exitCode(), 0) << name.toStdString();
    const QString said = QString::fromLocal8Bit(second->readAllStandardError());
    EXPECT_TRUE(said.contains((QString::fromStdString(dir_.string()) + "/" + name)))
        << said.toStdString();
    EXPECT_FALSE(said.contains(kFirstPaint));
    // The second ended after the first answered its hand-over, so what that queued in
    // the first runs there before the first answers this later call.
    EXPECT_EQ(Title(), "start.lwd") << name.toStdString();
  }
  EXPECT_EQ(first->state(), QProcess::Running);
  EXPECT_EQ(OwnerPid(), QString::number(first->processId()));
  Quit();
  ASSERT_TRUE(first->waitForFinished(5000));
  EXPECT_EQ(first->exitCode(), 0);
}

TEST_F(TwoStarts, WithoutAFileTheSecondOnlyShowsTheFirst) {
  ASSERT_TRUE(bus_.isConnected());
  std::ofstream(dir_ / "start.lwd") << "[Backgrounds]\nchk3=Y\n";
  QProcess* first = Start({"start.lwd"}, address_);
  ASSERT_TRUE(Painted(first));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Title() == "start.lwd"; }, 5000));
  QProcess* second = Start({}, address_);
  ASSERT_TRUE(second->waitForFinished(10000));
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_FALSE(second->readAllStandardError().contains(kFirstPaint.toUtf8()));
  // Answered after what the hand-over queued in the first has run, as above.
  EXPECT_EQ(Title(), "start.lwd");
  EXPECT_EQ(OwnerPid(), QString::number(first->processId()));
  Quit();
  ASSERT_TRUE(first->waitForFinished(5000));
}

TEST_F(TwoStarts, AFirstThatDoesNotAnswerLetsTheSecondRunOnItsOwn) {
  ASSERT_TRUE(bus_.isConnected());
  QProcess* first = Start({}, address_);
  ASSERT_TRUE(Painted(first));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !OwnerPid().isEmpty(); }, 5000));
  kill(static_cast<pid_t>(first->processId()), SIGSTOP);
  QProcess* second = Start({}, address_);
  const bool painted = Painted(second);
  kill(static_cast<pid_t>(first->processId()), SIGCONT);
  ASSERT_TRUE(painted) << "the second instance waited for the stopped one";
  EXPECT_EQ(second->state(), QProcess::Running);
  // Next in line: the name passes to it when the first ends.
  Quit();
  ASSERT_TRUE(first->waitForFinished(5000));
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return OwnerPid() == QString::number(second->processId()); }, 5000));
  Quit();
  ASSERT_TRUE(second->waitForFinished(5000));
  EXPECT_EQ(second->exitCode(), 0);
}

TEST_F(TwoStarts, WithoutASessionBusEachStartRunsAsBefore) {
  const QString nowhere = QString::fromStdString("unix:path=" + (dir_ / "no-bus").string());
  QProcess* first = Start({"a.lwd"}, nowhere);
  QProcess* second = Start({}, nowhere);
  EXPECT_TRUE(Painted(first));
  EXPECT_TRUE(Painted(second));
  EXPECT_EQ(first->state(), QProcess::Running);
  EXPECT_EQ(second->state(), QProcess::Running);
  for (QProcess* p : {first, second}) {
    p->terminate();
    EXPECT_TRUE(p->waitForFinished(5000));
    EXPECT_FALSE(errors_[p].contains("QMessageBox")) << errors_[p].toStdString();
  }
  // Neither took anything on the test's own bus.
  EXPECT_TRUE(OwnerPid().isEmpty());
}

// A bus daemon that takes connections and never answers (stopped, or stuck) is no bus:
// the start goes on after the probe's second instead of waiting for good.
TEST_F(TwoStarts, ABusThatNeverAnswersIsTakenForNoBus) {
  const std::string path = (dir_ / "silent-bus").string();
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_un where{};
  where.sun_family = AF_UNIX;
  std::strncpy(where.sun_path, path.c_str(), sizeof where.sun_path - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&where), sizeof where), 0);
  ASSERT_EQ(listen(listener, 8), 0);
  QProcess* alone = Start({}, QString::fromStdString("unix:path=" + path));
  EXPECT_TRUE(Painted(alone));
  EXPECT_EQ(alone->state(), QProcess::Running);
  alone->terminate();
  EXPECT_TRUE(alone->waitForFinished(5000));
  close(listener);
}

}  // namespace
}  // namespace lullwood::testing

int main(int argc, char** argv) {
  lullwood::testing::PrivateBus bus;
  QCoreApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "single_instance_test.moc"
