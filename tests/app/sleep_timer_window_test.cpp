// The sleep timer in the whole window: its menu entries, the tray tip, the fade on the
// offline output, the stop as Mute, every way of cancelling it, and the suspend request
// sent to a fake login manager on a private bus.
#include <gtest/gtest.h>

#include <poll.h>
#include <unistd.h>
#include <QActionGroup>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusUnixFileDescriptor>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "CapturedStderr.h"
#include "ControlIds.h"
#include "DialogFixture.h"
#include "EventWaits.h"
#include "FakeClock.h"
#include "KeepAwakeControl.h"
#include "Mixer.h"
#include "OfflineOutput.h"
#include "PopupDriver.h"
#include "Scenario.h"
#include "ShellCommands.h"
#include "SleepInhibitor.h"
#include "SleepTimerControl.h"
#include "TrayIcon.h"

namespace lullwood::testing {

// org.freedesktop.login1's manager as far as Suspend and Inhibit go: it counts the
// Suspend calls, and hands each Inhibit the write end of a pipe of its own, whose read
// end tells whether anyone still holds it (the hold lasts while the descriptor is open).
// Ping answers once every call sent before it on the same connection has been handled.
class FakeLoginManager : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

 public:
  std::vector<bool> suspendCalls;
  // How many holds were open at each Suspend call.
  std::vector<int> holdsAtSuspend;
  std::vector<QStringList> inhibitCalls;
  bool refuseInhibit = false;

  ~FakeLoginManager() override {
    for (int fd : holds_) close(fd);
  }
  // Holds handed out and not yet let go.
  int OpenHolds() const {
    int open = 0;
    for (int fd : holds_) {
      pollfd p{fd, POLLIN, 0};
      // A pipe whose every write end is closed reads as hung up.
      if (poll(&p, 1, 0) == 0) ++open;
    }
    return open;
  }

 public Q_SLOTS:
  void Suspend(bool interactive) {
    suspendCalls.push_back(interactive);
    holdsAtSuspend.push_back(OpenHolds());
  }
  QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                  const QString& mode) {
    inhibitCalls.push_back({what, who, why, mode});
    if (refuseInhibit) {
      sendErrorReply("org.freedesktop.DBus.Error.AccessDenied", "Permission denied");
      return {};
    }
    int ends[2];
    if (pipe(ends) != 0) return {};
    holds_.push_back(ends[0]);
    QDBusUnixFileDescriptor hold(ends[1]);  // a copy, sent with the reply
    close(ends[1]);
    return hold;
  }
  void Ping() {}

 private:
  std::vector<int> holds_;
};

namespace {

using namespace std::chrono_literals;

// A private bus standing in for the system bus, with the fake login manager on it. Set
// up once: the program's system-bus connection is made on its first use and kept.
class FakeSystemBus {
 public:
  static FakeSystemBus& Get() {
    static FakeSystemBus bus;
    return bus;
  }
  bool ready() const { return ready_; }
  FakeLoginManager manager;

 private:
  FakeSystemBus() {
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    if (!daemon_.waitForStarted(5000) || !daemon_.waitForReadyRead(5000)) return;
    const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
    QDBusConnection service = QDBusConnection::connectToBus(address, "fake-login1");
    ready_ = service.isConnected() && service.registerService("org.freedesktop.login1") &&
             service.registerObject("/org/freedesktop/login1", &manager,
                                    QDBusConnection::ExportAllSlots);
  }
  ~FakeSystemBus() {
    daemon_.kill();
    daemon_.waitForFinished(5000);
  }
  QProcess daemon_;
  bool ready_ = false;
};

class SleepTimerWindow : public DialogFixture<> {
 protected:
  void SetUp() override {
    // The stand-in system bus is there before any window touches D-Bus (the status-area
    // icon looks for a panel on the session bus): Qt reads the buses' addresses at its
    // first D-Bus use.
    FakeSystemBus::Get();
    DialogFixture::SetUp();
    Make().forward = true;
    ASSERT_NO_FATAL_FAILURE(Start());
    sleep().UseClock(clock);
  }
  void TearDown() override {
    if (dialog) {
      dialog->CloseDown();
      EXPECT_FALSE(sleep().timer().running()) << "Exit ends the timer: no stop after it";
    }
    DialogFixture::TearDown();
  }

  SleepTimerControl& sleep() { return dialog->sleepTimer(); }
  QAction* Choice(const QString& text) {
    for (QAction* action : sleep().choiceActions()) {
      if (action->text() == text) return action;
    }
    ADD_FAILURE() << "no entry " << text.toStdString();
    return sleep().choiceActions().front();
  }
  OfflineSoundDevice* Device() { return outputs.offline.current(); }
  OutputStage& Stage() { return Device()->mixer().outputStage(); }
  // The gain the output stage gives a constant block now.
  float GainNow() {
    float block[2] = {1.0f, 1.0f};
    Stage().Apply(block, 1);
    return block[0];
  }
  // Renders `frames` frames of the offline output.
  void Render(size_t frames) {
    std::vector<float> out(2 * 4096);
    for (size_t done = 0; done < frames;) {
      const size_t n = std::min<size_t>(4096, frames - done);
      Device()->Render(out.data(), n);
      done += n;
    }
  }
  // Chooses 15 minutes, lets them pass and polls: the fade is running, half done.
  void IntoTheFade() {
    Choice("15 minutes")->trigger();
    clock.now += 15min;
    sleep().Poll();
    ASSERT_EQ(sleep().timer().phase(), SleepTimer::Phase::kFading);
    ASSERT_TRUE(Stage().fading());
    Render(30 * static_cast<size_t>(Device()->outputRate()));
    ASSERT_LT(GainNow(), 0.05f);
  }
  std::string Tip() { return dialog->trayIcon()->icon().toolTip().toStdString(); }
  bool SoundControlsEnabled() { return dialog->EffectSlider(1)->isEnabled(); }

  FakeClock clock;
};

TEST_F(SleepTimerWindow, TimerMenuSitsBetweenScenarioAndHelpAndTheIconMenuHasTheSameEntries) {
  QStringList titles;
  for (QAction* popup : dialog->menuBar()->actions()) titles << popup->text();
  EXPECT_EQ(titles, (QStringList{"&Scenario", "&Timer", "S&ound", "&Help"}));

  QMenu* timerMenu = dialog->menuBar()->actions()[1]->menu();
  QStringList entries;
  for (QAction* action : timerMenu->actions()) entries << action->text();
  EXPECT_EQ(entries, (QStringList{"", "", "&Off", "15 minutes", "30 minutes", "45 minutes",
                                  "1 hour", QString::fromUtf8("1\u00bd hours"), "2 hours", "",
                                  "Suspend the computer when stopped",
                                  "Keep the computer awake while playing"}));
  EXPECT_FALSE(sleep().statusAction()->isVisible()) << "no first line without a timer";
  for (QAction* action : sleep().choiceActions()) {
    EXPECT_TRUE(action->isCheckable());
    EXPECT_EQ(action->actionGroup(), sleep().choiceActions().front()->actionGroup());
  }
  EXPECT_TRUE(sleep().choiceActions().front()->actionGroup()->isExclusive());
  EXPECT_TRUE(Choice("&Off")->isChecked());
  EXPECT_TRUE(sleep().suspendAction()->isCheckable());
  EXPECT_FALSE(sleep().suspendAction()->isChecked());

  // The desktop-drawn icon menu: the Scenario entries, then the same Timer entries.
  QMenu* iconMenu = dialog->trayIcon()->icon().contextMenu();
  QAction* last = iconMenu->actions().last();
  ASSERT_NE(last->menu(), nullptr);
  EXPECT_EQ(last->text(), "&Timer");
  auto entriesOf = [](QMenu* menu) {
    QList<QAction*> actions;
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator()) actions << action;
    }
    return actions;
  };
  EXPECT_EQ(entriesOf(last->menu()), entriesOf(timerMenu)) << "the very same actions";
}

TEST_F(SleepTimerWindow, RemainingTimeInTheMenuAndTheTipFollowsTheClockByItself) {
  EXPECT_EQ(Tip(), std::string(kTrayTip));
  Choice("45 minutes")->trigger();
  EXPECT_TRUE(sleep().statusAction()->isVisible());
  EXPECT_EQ(sleep().statusAction()->text(), "Stops in 45 min");
  EXPECT_FALSE(sleep().statusAction()->isEnabled());
  EXPECT_EQ(Tip(), std::string(kTrayTip) + "\nStops in 45 min");
  // The window's own poll notices the clock; nothing else is driven here.
  clock.now += 3min + 1s;
  QTRY_COMPARE(sleep().statusAction()->text(), QString("Stops in 42 min"));
  EXPECT_EQ(Tip(), std::string(kTrayTip) + "\nStops in 42 min");
  clock.now += 42min;
  QTRY_VERIFY(Stage().fading());
  EXPECT_EQ(Tip(), std::string(kTrayTip) + "\nFading out");

  Choice("&Off")->trigger();
  EXPECT_EQ(Tip(), std::string(kTrayTip));
  EXPECT_FALSE(sleep().statusAction()->isVisible());
}

TEST_F(SleepTimerWindow, AtTheEndOfTheFadeItMutesAsTheButtonDoesAndTheNextPlayIsAtFullGain) {
  IntoTheFade();
  auto* mute = Get<QPushButton>(ids::kMute);
  auto* play = Get<QPushButton>(ids::kPlay);
  sleep().Poll();
  EXPECT_FALSE(state.audioDevice.muted) << "the fade has 30 s still to go";
  Render(30 * static_cast<size_t>(Device()->outputRate()));
  ASSERT_TRUE(Stage().fadeFinished());
  sleep().Poll();
  EXPECT_TRUE(state.audioDevice.muted);
  EXPECT_EQ(state.audioDevice.directSound, nullptr) << "the device is released";
  EXPECT_EQ(Device(), nullptr);
  EXPECT_TRUE(mute->isChecked());
  EXPECT_FALSE(play->isChecked());
  EXPECT_FALSE(SoundControlsEnabled());
  EXPECT_TRUE(Choice("&Off")->isChecked());
  EXPECT_EQ(Tip(), std::string(kTrayTip));

  dialog->RouteCommand(ids::kPlay, 0);
  ASSERT_FALSE(state.audioDevice.muted);
  EXPECT_FALSE(Stage().fading());
  EXPECT_EQ(GainNow(), 1.0f);
}

TEST_F(SleepTimerWindow, EveryWayOfTakingOverDuringTheFadeEndsItAtOnce) {
  dialog->openAnswer = WriteFile("sleep.lwd", "[Backgrounds]\nchk2=Y\nR1=4\n");
  const struct {
    const char* path;
    std::function<void()> act;
    bool muted;
  } paths[] = {
      {"Off", [&] { Choice("&Off")->trigger(); }, false},
      {"another time", [&] { Choice("1 hour")->trigger(); }, false},
      {"Play", [&] { dialog->RouteCommand(ids::kPlay, 0); }, false},
      {"Mute", [&] { dialog->RouteCommand(ids::kMute, 0); }, true},
      {"Scenario load", [&] { dialog->RouteCommand(ids::kLoadScenario, 0); }, false},
      {"Clear all", [&] { dialog->RouteCommand(ids::kClearAll, 0); }, false},
  };
  for (const auto& p : paths) {
    IntoTheFade();
    p.act();
    EXPECT_EQ(state.audioDevice.muted, p.muted) << p.path;
    if (!p.muted) {
      EXPECT_FALSE(Stage().fading()) << p.path;
      EXPECT_EQ(GainNow(), 1.0f) << p.path;
    }
    // The old fade's end passes: no stop comes.
    clock.now += 2min;
    sleep().Poll();
    EXPECT_EQ(state.audioDevice.muted, p.muted) << p.path;
    if (std::string(p.path) == "another time") {
      EXPECT_EQ(sleep().timer().phase(), SleepTimer::Phase::kCounting);
      EXPECT_TRUE(Choice("1 hour")->isChecked());
      EXPECT_EQ(sleep().statusText(), "Stops in 58 min") << "counted from the new choice";
      Choice("&Off")->trigger();
    } else {
      EXPECT_FALSE(sleep().timer().running()) << p.path;
      EXPECT_TRUE(Choice("&Off")->isChecked()) << p.path;
    }
    if (p.muted) dialog->RouteCommand(ids::kPlay, 0);
  }
  EXPECT_TRUE(dialog->messages.empty());
}

TEST_F(SleepTimerWindow, MuteWhileCountingKeepsTheTimerWhichThenStopsAtOnce) {
  Choice("30 minutes")->trigger();
  dialog->RouteCommand(ids::kMute, 0);
  EXPECT_TRUE(sleep().timer().running());
  clock.now += 30min;
  sleep().Poll();  // no device, nothing to fade
  sleep().Poll();
  EXPECT_FALSE(sleep().timer().running());
  EXPECT_TRUE(state.audioDevice.muted);
}

TEST_F(SleepTimerWindow, NothingOfItIsSaved) {
  const auto before = settings.values;
  Choice("2 hours")->trigger();
  sleep().suspendAction()->trigger();
  EXPECT_EQ(settings.values, before);
  const std::filesystem::path saved = dir_ / "sleep-save.lwd";
  ASSERT_TRUE(SaveScenarioAs(dialog->core(), saved.string()));
  std::ifstream in(saved);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(text.find("uspend"), std::string::npos) << text;
  EXPECT_EQ(text.find("120"), std::string::npos) << text;
  EXPECT_EQ(text.find("leep"), std::string::npos) << text;
}

TEST_F(SleepTimerWindow, SuspendIsAskedOnceAfterTheStopOnlyWhenTicked) {
  FakeSystemBus& bus = FakeSystemBus::Get();
  if (!bus.ready()) GTEST_SKIP() << "dbus-daemon could not be started";
  bus.manager.suspendCalls.clear();

  // Not ticked: the stop asks nothing.
  IntoTheFade();
  Render(31 * static_cast<size_t>(Device()->outputRate()));
  sleep().Poll();
  ASSERT_TRUE(state.audioDevice.muted);
  dialog->RouteCommand(ids::kPlay, 0);

  // Ticked: exactly one call, not interactive. Calls on one connection arrive in order,
  // so a call from the first stop would be here before this one.
  sleep().suspendAction()->trigger();
  ASSERT_TRUE(sleep().suspendWhenStopped());
  IntoTheFade();
  Render(31 * static_cast<size_t>(Device()->outputRate()));
  sleep().Poll();
  ASSERT_TRUE(state.audioDevice.muted);
  QTRY_COMPARE(bus.manager.suspendCalls.size(), size_t{1});
  EXPECT_EQ(bus.manager.suspendCalls, std::vector<bool>{false});
  sleep().Poll();
  sleep().Poll();
  // Whatever those polls and the stop queued has run, and whatever they sent on the
  // program's system-bus connection has arrived: the answer to a Ping sent after it on
  // that connection comes after the manager handled it.
  RunUntilIdle();
  QDBusPendingCall ping = QDBusConnection::systemBus().asyncCall(
      QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                     "org.freedesktop.login1.Manager", "Ping"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return ping.isFinished(); }, 10000));
  ASSERT_FALSE(ping.isError()) << ping.error().message().toStdString();
  EXPECT_EQ(bus.manager.suspendCalls.size(), 1u) << "one stop, one request";
}

TEST_F(SleepTimerWindow, AFailedSuspendGoesToStandardErrorOnly) {
  FakeSystemBus& bus = FakeSystemBus::Get();
  if (!bus.ready()) GTEST_SKIP() << "dbus-daemon could not be started";
  QDBusConnection service("fake-login1");
  ASSERT_TRUE(service.unregisterService("org.freedesktop.login1"));
  sleep().suspendAction()->trigger();
  std::string err;
  bool said = false;
  {
    CapturedStderr captured;
    IntoTheFade();
    Render(31 * static_cast<size_t>(Device()->outputRate()));
    sleep().Poll();
    // The error answer comes back through the event loop; then nothing else is left.
    said = QTest::qWaitFor(
        [&] {
          err = captured.text();
          return err.find("lullwood: could not ask the computer to suspend") != std::string::npos;
        },
        10000);
    RunUntilIdle();
  }
  EXPECT_TRUE(service.registerService("org.freedesktop.login1"));
  EXPECT_TRUE(state.audioDevice.muted);
  EXPECT_TRUE(said) << err;
  EXPECT_TRUE(dialog->messages.empty()) << "nothing is shown at night";
}

// Keeping the computer awake: its entry, the hold taken and let go with Play and Mute,
// before the timer's suspend and at Exit, and a refusal told once.
class KeepAwakeWindow : public SleepTimerWindow {
 protected:
  void SetUp() override {
    if (!FakeSystemBus::Get().ready()) GTEST_SKIP() << "dbus-daemon could not be started";
    SleepTimerWindow::SetUp();
    Manager().refuseInhibit = false;
  }
  static FakeLoginManager& Manager() { return FakeSystemBus::Get().manager; }
  QAction* Entry() { return dialog->keepAwake().action(); }
  // Waits until `holds` holds are open and the program holds one exactly when one is: the
  // manager's count alone also counts a hold whose answer is still on its way.
  bool HoldsBecome(int holds) {
    return QTest::qWaitFor(
        [&] {
          return Manager().OpenHolds() == holds &&
                 (!dialog || dialog->keepAwake().inhibitor().held() == (holds > 0));
        },
        10000);
  }
  // Everything the program sent on its system-bus connection so far has been handled.
  void Settle() {
    RunUntilIdle();
    QDBusPendingCall ping = QDBusConnection::systemBus().asyncCall(
        QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "Ping"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ping.isFinished(); }, 10000));
    RunUntilIdle();
  }
};

TEST_F(KeepAwakeWindow, OffUntilTickedThenHeldExactlyWhilePlaying) {
  QMenu* timerMenu = dialog->menuBar()->actions()[1]->menu();
  EXPECT_EQ(timerMenu->actions().last(), Entry());
  EXPECT_EQ(Entry()->text(), "Keep the computer awake while playing");
  EXPECT_TRUE(Entry()->isCheckable());
  EXPECT_FALSE(Entry()->isChecked());
  const size_t before = Manager().inhibitCalls.size();
  Settle();
  EXPECT_EQ(Manager().inhibitCalls.size(), before) << "nothing is held until it is ticked";
  EXPECT_EQ(Manager().OpenHolds(), 0);

  Entry()->trigger();
  EXPECT_EQ(settings.values["AWAKE"], "Y");
  ASSERT_TRUE(HoldsBecome(1));
  EXPECT_EQ(Manager().inhibitCalls.back(),
            (QStringList{"sleep", "Lullwood", "Playing a soundscape", "block"}));

  dialog->RouteCommand(ids::kMute, 0);
  EXPECT_TRUE(HoldsBecome(0)) << "Mute lets it go";
  dialog->RouteCommand(ids::kPlay, 0);
  EXPECT_TRUE(HoldsBecome(1)) << "Play takes it again";

  Entry()->trigger();
  EXPECT_EQ(settings.values["AWAKE"], "N");
  EXPECT_TRUE(HoldsBecome(0)) << "unticked, it goes";
  Entry()->trigger();
  ASSERT_TRUE(HoldsBecome(1));
  dialog->CloseDown();
  EXPECT_TRUE(HoldsBecome(0)) << "Exit lets it go";
  Settle();
  EXPECT_EQ(Manager().OpenHolds(), 0) << "and nothing takes it again";
}

TEST_F(KeepAwakeWindow, TheStoredChoiceIsTakenUpAtStart) {
  dialog->CloseDown();
  ASSERT_TRUE(HoldsBecome(0));
  dialog.reset();
  settings.values["AWAKE"] = "Y";
  Make().forward = true;
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_TRUE(Entry()->isChecked());
  EXPECT_TRUE(HoldsBecome(1)) << "playing from the start, held from the start";
}

TEST_F(KeepAwakeWindow, TheTimersStopLetsItGoBeforeAskingToSuspend) {
  Entry()->trigger();
  sleep().suspendAction()->trigger();
  ASSERT_TRUE(HoldsBecome(1));
  const size_t suspends = Manager().suspendCalls.size();
  IntoTheFade();
  Render(31 * static_cast<size_t>(Device()->outputRate()));
  sleep().Poll();
  ASSERT_TRUE(state.audioDevice.muted);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return Manager().suspendCalls.size() == suspends + 1; }, 10000));
  EXPECT_EQ(Manager().holdsAtSuspend.back(), 0) << "the hold is gone when the suspend is asked";
}

TEST_F(KeepAwakeWindow, ARefusalIsToldOnceAndPlayingGoesOn) {
  Manager().refuseInhibit = true;
  Entry()->trigger();
  Settle();
  ASSERT_EQ(dialog->messages.size(), 1u);
  EXPECT_NE(dialog->messages[0].find("could not keep the computer awake (Permission denied)"),
            std::string::npos)
      << dialog->messages[0];
  EXPECT_FALSE(state.audioDevice.muted);
  dialog->RouteCommand(ids::kMute, 0);
  dialog->RouteCommand(ids::kPlay, 0);
  Settle();
  EXPECT_GE(Manager().inhibitCalls.size(), 2u) << "Play asks again";
  EXPECT_EQ(dialog->messages.size(), 1u) << "but the refusal is told only once";
  EXPECT_EQ(Manager().OpenHolds(), 0);
}

// While the output is lost (a sound server gone) the hold is let go, and taken again when
// the output is back; the control looks by itself every few seconds while playing.
TEST(KeepAwake, ALostOutputLetsTheHoldGoUntilItIsBack) {
  FakeSystemBus& bus = FakeSystemBus::Get();
  if (!bus.ready()) GTEST_SKIP() << "dbus-daemon could not be started";
  SleepInhibitor inhibitor;
  const auto holds = [&](int n) {
    return QTest::qWaitFor(
        [&] { return bus.manager.OpenHolds() == n && inhibitor.held() == (n > 0); }, 10000);
  };
  ASSERT_TRUE(holds(0));
  bus.manager.refuseInhibit = false;
  bool playing = true, lost = false;
  std::vector<bool> stored;
  std::vector<QString> told;
  KeepAwakeControl control(inhibitor, {.playing = [&] { return playing; },
                                       .outputLost = [&] { return lost; },
                                       .store = [&](bool on) { stored.push_back(on); },
                                       .tell = [&](const QString& text) { told.push_back(text); }});
  control.ShowChoice(true);
  EXPECT_TRUE(stored.empty()) << "showing the stored choice stores nothing";
  ASSERT_TRUE(holds(1));
  lost = true;
  control.Update();
  EXPECT_TRUE(holds(0)) << "lost: let go";
  lost = false;
  control.Update();
  EXPECT_TRUE(holds(1)) << "back: taken again";
  // Found by the control's own look, without a change of play state.
  lost = true;
  EXPECT_TRUE(QTest::qWaitFor([&] { return bus.manager.OpenHolds() == 0; },
                              KeepAwakeControl::kWatchMs + 3000));
  control.End();
  lost = false;
  control.Update();
  QTest::qWait(200);
  EXPECT_EQ(bus.manager.OpenHolds(), 0) << "ended: nothing takes it again";
  EXPECT_TRUE(told.empty());
}

}  // namespace
}  // namespace lullwood::testing

#include "sleep_timer_window_test.moc"
