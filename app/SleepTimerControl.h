// The sleep timer's window side: its menu entries (the menu bar's "&Timer" popup and
// the status-area icon's own menu share the same actions), a poll of the clock four
// times a second (Qt timers also run while the window is hidden or a message box is
// open), the output's fade, the stop, which is the Mute command, and the suspend after
// it. UI thread only.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SleepTimer.h"
#include "SoundscapeState.h"
#include "Translatable.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

namespace lullwood {

inline constexpr int kSleepPollPeriodMs = 250;
inline constexpr std::string_view kTimerMenuTitle = QT_TRANSLATE_NOOP("Lullwood", "&Timer");

class SleepTimerControl : public QObject {
  Q_OBJECT

 public:
  struct Actions {
    // Exactly what the Mute command does, the look of the buttons included.
    std::function<void()> mute;
    // Asks the computer to suspend; called after the stop when ticked.
    std::function<void()> suspend;
    // Receives the remaining-time text whenever it changes; empty when no timer runs.
    std::function<void(const std::string&)> statusChanged;
  };

  SleepTimerControl(ProcessState& state, Actions actions, QObject* parent = nullptr);
  ~SleepTimerControl() override;

  // The "&Timer" popup, between the bar's last two popups ("&Scenario" and "&Help").
  QMenu* InstallInMenuBar(QMenuBar& bar);
  // The same entries as a submenu at the end of `menu`, after a separator.
  QMenu* AppendTo(QMenu& menu);

  // The user took over the sound (Mute, Play, a Scenario load, Clear all): a running
  // fade stops, and with it the timer; the output is at full gain at once.
  void OnTakeOver();
  // Chooses a time as its menu entry does; 0 is Off.
  void Choose(int minutes);
  // Checks the clock and the output's fade and takes the steps due. The poll timer's.
  void Poll();
  // Counts another clock from now on; ends any running timer. For tests.
  void UseClock(const MonotonicClock& clock);

  const SleepTimer& timer() const { return *timer_; }
  bool suspendWhenStopped() const;
  // The remaining time as shown, in the user's language (UTF-8); empty when Off.
  std::string statusText() const { return status_; }
  // The entry showing the remaining time, the choices in menu order, the suspend entry.
  QAction* statusAction() const { return statusAction_; }
  const std::vector<QAction*>& choiceActions() const { return choiceActions_; }
  QAction* suspendAction() const { return suspendAction_; }

 private:
  void FillMenu(QMenu& menu);
  void EndFade();
  void ShowStatus();
  void ShowChoice();

  ProcessState& state_;
  Actions actions_;
  SteadyClock steadyClock_;
  std::optional<SleepTimer> timer_;
  QTimer poll_;
  std::string status_;
  std::string englishStatus_;
  QActionGroup* choiceGroup_ = nullptr;
  QAction* statusAction_ = nullptr;
  QAction* statusSeparator_ = nullptr;  // under the remaining time, shown with it
  std::vector<QAction*> choiceActions_;
  QAction* suspendAction_ = nullptr;
};

}  // namespace lullwood
