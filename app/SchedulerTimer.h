// Timer 1 of the main window: one QTimer on the UI thread whose callback is the
// scheduler's tick. Its ticks also arrive inside the nested loops of message boxes
// and file dialogs. UI thread only.
#pragma once

#include <QTimer>
#include <functional>

#include "Ports.h"

namespace lullwood {

class SchedulerTimer : public TimerPort {
 public:
  explicit SchedulerTimer(std::function<void()> onTick);

  // Restarts the timer with this period; returns the timer id, 1.
  unsigned Start(unsigned periodMs) override;
  void Stop() override;

  bool running() const { return timer_.isActive(); }
  int periodMs() const { return timer_.interval(); }

 private:
  QTimer timer_;
};

}  // namespace lullwood
