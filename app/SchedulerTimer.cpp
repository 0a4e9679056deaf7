#include "SchedulerTimer.h"

#include "ControlIds.h"

namespace lullwood {

SchedulerTimer::SchedulerTimer(std::function<void()> onTick) {
  timer_.setSingleShot(false);
  QObject::connect(&timer_, &QTimer::timeout, [tick = std::move(onTick)] { tick(); });
}

unsigned SchedulerTimer::Start(unsigned periodMs) {
  timer_.start(static_cast<int>(periodMs));
  return ids::kSchedulerTimer;
}

void SchedulerTimer::Stop() {
  timer_.stop();
}

}  // namespace lullwood
