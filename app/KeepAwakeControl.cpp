#include "KeepAwakeControl.h"

#include <QAction>

#include "QtText.h"
#include "SleepInhibitor.h"

namespace lullwood {

KeepAwakeControl::KeepAwakeControl(SleepInhibitor& inhibitor, Ports ports, QObject* parent)
    : QObject(parent), inhibitor_(inhibitor), ports_(std::move(ports)) {
  action_ = new QAction(UiText(kKeepAwakeText), this);
  action_->setObjectName("keepAwake");
  action_->setCheckable(true);
  connect(action_, &QAction::triggered, this, [this](bool on) {
    ports_.store(on);
    Update();
  });
  watch_.setInterval(kWatchMs);
  connect(&watch_, &QTimer::timeout, this, [this] { Update(); });
  connect(&inhibitor_, &SleepInhibitor::failed, this, [this](const QString& reason) {
    // Told once a run: a night of retries must not pile up message boxes.
    if (told_) return;
    told_ = true;
    ports_.tell(UiText(kKeepAwakeFailedText).arg(reason));
  });
}

void KeepAwakeControl::ShowChoice(bool on) {
  action_->setChecked(on);
  Update();
}

void KeepAwakeControl::End() {
  ended_ = true;
  watch_.stop();
  inhibitor_.Release();
}

void KeepAwakeControl::Update() {
  if (ended_) return;
  const bool chosen = action_->isChecked();
  const bool playing = chosen && ports_.playing();
  // Only while it could matter does anything look at the output.
  if (playing && !watch_.isActive()) watch_.start();
  if (!playing) watch_.stop();
  if (playing && !ports_.outputLost()) {
    inhibitor_.Hold();
  } else {
    inhibitor_.Release();
  }
}

}  // namespace lullwood
