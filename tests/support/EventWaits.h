// Waiting on the event loop for what a test really waits for, never for a length of
// time: a step that runs once something has shown up, inside whatever loop is running
// then (a modal box's, a popup's, the window's own run), and a run of this thread's
// event queue until nothing is left in it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

namespace lullwood::testing {

// Calls `act` as soon as `ready()` holds or, failing that, once `boundMs` have passed,
// looking every few milliseconds from whatever event loop runs: for steps that must
// happen inside a nested loop (a modal box's, a popup's) once something has come. The
// bound only keeps a broken test from hanging in the loop `act` ends; the test checks
// afterwards that what it waited for came.
inline void WhenReadyOrAfter(std::function<bool()> ready, int boundMs, std::function<void()> act) {
  auto* timer = new QTimer;
  timer->setInterval(2);
  const QDeadlineTimer deadline(boundMs);
  QObject::connect(timer, &QTimer::timeout, [timer, ready, act, deadline] {
    if (!ready() && !deadline.hasExpired()) return;
    timer->stop();
    timer->deleteLater();
    act();
  });
  timer->start();
}

// Calls `act` with what `find` returns, as soon as that is not null. When nothing has
// come after `timeoutMs` it fails, naming `what`, and stops looking.
template <typename T>
void WhenFound(std::function<T*()> find, std::function<void(T*)> act, std::string what,
               int timeoutMs = 10000) {
  auto found = std::make_shared<T*>(nullptr);
  WhenReadyOrAfter([find, found] { return (*found = find()) != nullptr; }, timeoutMs,
                   [found, act, what] {
                     if (*found == nullptr) {
                       ADD_FAILURE() << "never came: " << what;
                       return;
                     }
                     act(*found);
                   });
}

// Calls `act` once what `current` returns (QApplication::activeModalWidget, say) is a
// T and shown.
template <typename T>
void WhenCurrentIs(QWidget* (*current)(), std::function<void(T*)> act, std::string what) {
  WhenFound<T>(
      [current] {
        auto* widget = qobject_cast<T*>(current());
        return widget && widget->isVisible() ? widget : nullptr;
      },
      std::move(act), std::move(what));
}

// Calls `act` with the modal window of type T once it is open and shown.
template <typename T>
void WhenModalOpens(std::function<void(T*)> act) {
  WhenCurrentIs<T>(&QApplication::activeModalWidget, std::move(act),
                   std::string("a modal ") + T::staticMetaObject.className());
}

// Delivers what is queued on this thread's event loop, and what that queues in turn,
// until a pass delivers nothing but a marker of its own: every queued call, zero-time
// timer and posted event that earlier steps left behind has run. A pass ends at its
// marker, and what runs in it may queue more behind the marker, so only a pass with
// nothing else in it shows the queue empty.
inline void RunUntilIdle(int timeoutMs = 10000) {
  class Counter : public QObject {
   public:
    bool eventFilter(QObject*, QEvent*) override {
      ++delivered;
      return false;
    }
    int delivered = 0;
  };
  Counter counter;
  QCoreApplication::instance()->installEventFilter(&counter);
  const QDeadlineTimer deadline(timeoutMs);
  bool idle = false;
  while (!idle && !deadline.hasExpired()) {
    bool marked = false;
    counter.delivered = 0;
    QMetaObject::invokeMethod(
        &counter, [&marked] { marked = true; }, Qt::QueuedConnection);
    while (!marked && !deadline.hasExpired()) QCoreApplication::processEvents();
    idle = counter.delivered == 1;
  }
  QCoreApplication::instance()->removeEventFilter(&counter);
  EXPECT_TRUE(idle) << "the event queue never ran empty";
}

// Runs this thread's event loop until `done` holds, for at most `ms`; whether it came to
// hold.
inline bool RunUntil(const std::function<bool()>& done, int ms = 5000) {
  const QDeadlineTimer deadline(ms);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

}  // namespace lullwood::testing
