// The sleep timer's count, on a clock the test moves by hand.
#include "SleepTimer.h"

#include <gtest/gtest.h>

#include "FakeClock.h"

namespace lullwood {
namespace {

using namespace std::chrono_literals;
using testing::FakeClock;

using Step = SleepTimer::Step;
using Phase = SleepTimer::Phase;

TEST(SleepTimer, CountsTheClockNotThePollsThenFadesThenStops) {
  FakeClock clock;
  SleepTimer timer(clock);
  EXPECT_EQ(timer.Poll(false), Step::kNothing);
  timer.Choose(15min);
  EXPECT_EQ(timer.chosenMinutes(), 15);
  // However often it is polled, nothing happens before the clock says so...
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(timer.Poll(false), Step::kNothing);
  clock.now += 15min - 1ms;
  EXPECT_EQ(timer.Poll(false), Step::kNothing);
  // ...and one poll after a long silence (a message box, a hidden window) is enough.
  clock.now += 2s;
  EXPECT_EQ(timer.Poll(false), Step::kStartFade);
  EXPECT_EQ(timer.phase(), Phase::kFading);
  EXPECT_EQ(timer.Poll(false), Step::kNothing) << "the fade starts once";
  clock.now += 30s;
  EXPECT_EQ(timer.Poll(false), Step::kNothing);
  EXPECT_EQ(timer.Poll(true), Step::kStop);
  EXPECT_EQ(timer.phase(), Phase::kOff);
  EXPECT_EQ(timer.chosenMinutes(), 0);
  EXPECT_EQ(timer.Poll(true), Step::kNothing) << "the stop comes once";
}

TEST(SleepTimer, AFadeTheOutputNeverFinishesIsStoppedAfterItsGrace) {
  FakeClock clock;
  SleepTimer timer(clock);
  timer.Choose(1min);
  clock.now += 1min;
  ASSERT_EQ(timer.Poll(false), Step::kStartFade);
  clock.now += kSleepFadeDuration + kSleepFadeGrace - 1ms;
  EXPECT_EQ(timer.Poll(false), Step::kNothing);
  clock.now += 1ms;
  EXPECT_EQ(timer.Poll(false), Step::kStop);
}

TEST(SleepTimer, ChoosingAgainRestartsFromNowAndOffOrCancelEndsEverything) {
  FakeClock clock;
  SleepTimer timer(clock);
  timer.Choose(30min);
  clock.now += 20min;
  timer.Choose(30min);
  clock.now += 29min;
  EXPECT_EQ(timer.Poll(false), Step::kNothing) << "the count began again at the second choice";
  EXPECT_EQ(timer.RemainingText(), "Stops in 1 min");
  clock.now += 1min;
  ASSERT_EQ(timer.Poll(false), Step::kStartFade);

  // Another time during the fade: counting again, no stop when the old fade would end.
  timer.Choose(45min);
  EXPECT_EQ(timer.phase(), Phase::kCounting);
  clock.now += 2min;
  EXPECT_EQ(timer.Poll(true), Step::kNothing);

  timer.Choose(0ms);
  EXPECT_FALSE(timer.running());
  clock.now += 3h;
  EXPECT_EQ(timer.Poll(true), Step::kNothing);

  timer.Choose(15min);
  timer.Cancel();
  clock.now += 3h;
  EXPECT_EQ(timer.Poll(true), Step::kNothing);
  EXPECT_EQ(timer.RemainingText(), "");
}

TEST(SleepTimer, RemainingTextInWholeMinutesRoundedUp) {
  FakeClock clock;
  SleepTimer timer(clock);
  EXPECT_EQ(timer.RemainingText(), "");
  EXPECT_FALSE(timer.Remaining());
  timer.Choose(90min);
  EXPECT_EQ(timer.RemainingText(), "Stops in 90 min");
  clock.now += 1s;
  EXPECT_EQ(timer.RemainingText(), "Stops in 90 min");
  clock.now += 59s;
  EXPECT_EQ(timer.RemainingText(), "Stops in 89 min");
  clock.now += 47min + 30s;
  EXPECT_EQ(timer.RemainingText(), "Stops in 42 min");
  EXPECT_EQ(*timer.Remaining(), 41min + 30s);
  clock.now += 41min + 30s;
  EXPECT_EQ(*timer.Remaining(), 0ms);
  EXPECT_EQ(timer.RemainingText(), "Stops in 1 min") << "never \"0 min\" before the fade";
  timer.Poll(false);
  EXPECT_EQ(timer.RemainingText(), "Fading out");
}

TEST(SleepTimer, TheMenuChoicesInOrder) {
  const auto choices = SleepChoices();
  ASSERT_EQ(choices.size(), 7u);
  const int minutes[] = {0, 15, 30, 45, 60, 90, 120};
  const char* texts[] = {"&Off",   "15 minutes",    "30 minutes", "45 minutes",
                         "1 hour", "1\u00bd hours", "2 hours"};
  for (size_t i = 0; i < choices.size(); ++i) {
    EXPECT_EQ(choices[i].minutes, minutes[i]);
    EXPECT_EQ(choices[i].text, texts[i]);
  }
}

}  // namespace
}  // namespace lullwood
