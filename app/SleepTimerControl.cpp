#include "SleepTimerControl.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "Menus.h"
#include "Mixer.h"
#include "QtText.h"

namespace lullwood {
namespace {

OutputStage* CurrentOutputStage(ProcessState& state) {
  SoundDevice* device = state.audioDevice.directSound.get();
  return device ? &device->mixer().outputStage() : nullptr;
}

}  // namespace

SleepTimerControl::SleepTimerControl(ProcessState& state, Actions actions, QObject* parent)
    : QObject(parent), state_(state), actions_(std::move(actions)) {
  timer_.emplace(steadyClock_);

  statusAction_ = new QAction(this);
  statusAction_->setEnabled(false);
  statusAction_->setVisible(false);
  statusSeparator_ = new QAction(this);
  statusSeparator_->setSeparator(true);
  statusSeparator_->setVisible(false);

  choiceGroup_ = new QActionGroup(this);
  choiceGroup_->setExclusive(true);
  for (const SleepChoice& choice : SleepChoices()) {
    QAction* action = choiceGroup_->addAction(UiText(choice.text));
    action->setCheckable(true);
    action->setData(choice.minutes);
    choiceActions_.push_back(action);
  }
  choiceActions_.front()->setChecked(true);
  // Triggered, not toggled: choosing the checked time again restarts its count.
  connect(choiceGroup_, &QActionGroup::triggered, this,
          [this](QAction* action) { Choose(action->data().toInt()); });

  suspendAction_ = new QAction(UiText(kSuspendEntryText), this);
  suspendAction_->setCheckable(true);

  poll_.setInterval(kSleepPollPeriodMs);
  connect(&poll_, &QTimer::timeout, this, &SleepTimerControl::Poll);
}

SleepTimerControl::~SleepTimerControl() = default;

void SleepTimerControl::FillMenu(QMenu& menu) {
  menu.addAction(statusAction_);
  menu.addAction(statusSeparator_);
  for (QAction* action : choiceActions_) menu.addAction(action);
  menu.addSeparator();
  menu.addAction(suspendAction_);
}

QMenu* SleepTimerControl::InstallInMenuBar(QMenuBar& bar) {
  QMenu* menu = AddPopupBeforeHelp(bar, UiText(kTimerMenuTitle), "timerMenu");
  FillMenu(*menu);
  return menu;
}

QMenu* SleepTimerControl::AppendTo(QMenu& menu) {
  QMenu* submenu = AppendSubmenu(menu, UiText(kTimerMenuTitle), "trayTimerMenu");
  FillMenu(*submenu);
  return submenu;
}

bool SleepTimerControl::suspendWhenStopped() const {
  return suspendAction_->isChecked();
}

void SleepTimerControl::Choose(int minutes) {
  if (timer_->phase() == SleepTimer::Phase::kFading) EndFade();
  timer_->Choose(std::chrono::minutes(minutes));
  if (timer_->running()) {
    poll_.start();
  } else {
    poll_.stop();
  }
  ShowChoice();
  ShowStatus();
}

void SleepTimerControl::OnTakeOver() {
  if (timer_->phase() != SleepTimer::Phase::kFading) return;
  EndFade();
  timer_->Cancel();
  poll_.stop();
  ShowChoice();
  ShowStatus();
}

void SleepTimerControl::EndFade() {
  if (OutputStage* stage = CurrentOutputStage(state_)) stage->CancelFade();
}

void SleepTimerControl::UseClock(const MonotonicClock& clock) {
  EndFade();
  poll_.stop();
  timer_.emplace(clock);
  ShowChoice();
  ShowStatus();
}

void SleepTimerControl::Poll() {
  OutputStage* stage = CurrentOutputStage(state_);
  // Without a device (muted) there is nothing to fade: the stop is due at once.
  const bool fadeFinished = !stage || stage->fadeFinished();
  switch (timer_->Poll(fadeFinished)) {
    case SleepTimer::Step::kNothing:
      break;
    case SleepTimer::Step::kStartFade:
      if (stage) {
        StartSleepFade(*stage, static_cast<uint64_t>(state_.audioDevice.directSound->outputRate()));
      }
      break;
    case SleepTimer::Step::kStop: {
      const bool suspend = suspendWhenStopped();
      poll_.stop();
      ShowChoice();
      ShowStatus();
      // Mute releases the device and its mixer: the next Play starts at full gain.
      actions_.mute();
      if (suspend) actions_.suspend();
      return;
    }
  }
  ShowStatus();
}

void SleepTimerControl::ShowChoice() {
  const int minutes = timer_->chosenMinutes();
  for (QAction* action : choiceActions_) {
    if (action->data().toInt() == minutes) action->setChecked(true);
  }
}

void SleepTimerControl::ShowStatus() {
  // In the user's language: the core's English text is only compared.
  const std::string english = timer_->RemainingText();
  if (english == englishStatus_) return;
  englishStatus_ = english;
  QString shown;
  if (timer_->phase() == SleepTimer::Phase::kFading) {
    shown = UiText(kFadingOutText);
  } else if (const std::optional<long long> minutes = timer_->RemainingMinutes()) {
    shown = UiText(kStopsInText).arg(*minutes);
  }
  const std::string text = shown.toStdString();
  status_ = text;
  statusAction_->setText(shown);
  statusAction_->setVisible(!text.empty());
  statusSeparator_->setVisible(!text.empty());
  if (actions_.statusChanged) actions_.statusChanged(text);
}

}  // namespace lullwood
