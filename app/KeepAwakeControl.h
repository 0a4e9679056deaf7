// The choice to keep the computer awake while the soundscape plays: a checkable entry at
// the end of the Timer menu (the menu bar's and the status-area icon's, one action), off
// until the user ticks it, saved per user. While it is ticked, a sleep inhibitor is held
// exactly while the soundscape plays: let go at Mute (so also at the sleep timer's stop,
// before it asks the computer to suspend), at Exit and while the sound output is lost;
// taken again at Play and when the output is back. A failure to get one is told once a
// run. UI thread only.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <string_view>
#include "Translatable.h"

class QAction;

namespace lullwood {

class SleepInhibitor;

inline constexpr std::string_view kKeepAwakeText =
    QT_TRANSLATE_NOOP("Lullwood", "Keep the computer awake while playing");
// %1: the login manager's reason.
inline constexpr std::string_view kKeepAwakeFailedText = QT_TRANSLATE_NOOP(
    "Lullwood",
    "Lullwood could not keep the computer awake (%1). The computer may sleep while the "
    "soundscape plays.");

class KeepAwakeControl : public QObject {
  Q_OBJECT

 public:
  struct Ports {
    // Whether the soundscape plays (not muted, with a device).
    std::function<bool()> playing;
    // Whether the playing device has lost its output for now.
    std::function<bool()> outputLost;
    // Stores the choice.
    std::function<void(bool on)> store;
    // Tells the user something went wrong.
    std::function<void(const QString& text)> tell;
  };
  // How often a held or wanted hold looks whether the output is lost or back.
  static constexpr int kWatchMs = 5000;

  KeepAwakeControl(SleepInhibitor& inhibitor, Ports ports, QObject* parent = nullptr);

  QAction* action() const { return action_; }
  const SleepInhibitor& inhibitor() const { return inhibitor_; }
  // Shows the stored choice, without storing it again.
  void ShowChoice(bool on);
  // Takes or lets go of the hold as the choice and the soundscape now stand. Called at
  // every change of the play state and of the choice.
  void Update();
  // Lets the hold go for good (Exit): nothing takes it again.
  void End();

 private:
  SleepInhibitor& inhibitor_;
  Ports ports_;
  QAction* action_ = nullptr;
  QTimer watch_;
  bool told_ = false;
  bool ended_ = false;
};

}  // namespace lullwood
