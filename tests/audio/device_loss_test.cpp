// The live output when its device goes away: an output that stops, refuses to open and
// comes back on demand stands in for the sound server. Time is a manual clock's: the
// watchdog looks, the mixer finds itself unasked and a claim gives up when the test
// moves it, and the test waits only for what another thread does.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "FakePorts.h"
#include "LiveOutput.h"
#include "ManualClock.h"
#include "Mixer.h"
#include "SoundBuffer.h"
#include "Soundscape.h"

namespace lullwood {
namespace {

using std::chrono::milliseconds;
using TimePoint = AudioClock::time_point;

// Bounds a wait for another thread, so that a fault fails the test instead of hanging
// it; a passing run never comes near it.
constexpr milliseconds kHang{10000};

// Waits until `condition` holds, looking every millisecond; false once kHang has passed.
template <class Condition>
bool Eventually(Condition condition) {
  const auto giveUp = std::chrono::steady_clock::now() + kHang;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= giveUp) return false;
    std::this_thread::sleep_for(milliseconds(1));
  }
  return true;
}

// What the flaky output did and what it will do next; shared by the test and the backend
// the factory owns. `lock` is also held while the sink fills, as the library's device
// lock is, so Close waits for a running fill.
struct FlakyState {
  std::mutex lock;
  std::condition_variable changed;
  // The time the outputs go by, the test's.
  std::shared_ptr<testing::ManualClock> clock;
  int deviceRate = 44100;
  int refuseOpens = 0;        // the next this many opens fail
  bool unavailable = false;   // every open fails
  milliseconds openDelay{0};  // of real time, inside the library
  bool holdOpens = false;     // an open waits until this is cleared, as on a mute server
  int heldInOpen = 0;
  int openEntered = 0;  // opens under way or done
  // An open holds until `frozenLetsGo` before its deadline (3 s on at most) and fails:
  // the clock is moved there, as the time a server that never answers takes.
  bool frozen = false;
  milliseconds frozenLetsGo{0};
  std::vector<AudioOutputBackend::Deadline> deadlines;
  // The one open output.
  AudioOutputBackend::OutputId openId = 0;
  AudioSink* sink = nullptr;
  bool started = false;
  bool stopped = false;
  // A record of the calls.
  AudioOutputBackend::OutputId nextId = 1;
  int openCalls = 0, opened = 0, closed = 0, restarts = 0, starts = 0;
  int stopChecks = 0;  // IsStopped calls: the watchdog's looks at an open output
  std::vector<int> openRates;
  std::vector<bool> acceptedDeviceRate;
  std::vector<TimePoint> openTimes;  // by the clock
  int faults = 0;                    // calls that broke the backend's contract
  std::atomic<int> inside{0};

  // The library's audio thread: one callback's worth of frames if an output plays.
  bool Pump(std::vector<float>& out, size_t frames) {
    std::lock_guard guard(lock);
    if (openId == 0 || !started || stopped) return false;
    out.assign(2 * frames, 0.0f);
    sink->Fill(out.data(), frames);
    return true;
  }
  // The device disappears under the program.
  void Lose() {
    std::lock_guard guard(lock);
    stopped = true;
  }
  // Waits until an open is held; false at the deadline.
  bool WaitHeld(milliseconds limit) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, limit, [&] { return heldInOpen > 0; });
  }
  bool Held() {
    std::lock_guard guard(lock);
    return heldInOpen > 0;
  }
  void LetOpensGo() {
    std::lock_guard guard(lock);
    holdOpens = false;
    changed.notify_all();
  }
  // Waits until `opened` reaches n; false at the deadline.
  bool WaitOpened(int n, milliseconds limit) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, limit, [&] { return opened >= n; });
  }
  // Waits until an open has begun since `openEntered` was `before`; false at the deadline.
  bool WaitOpenEntered(int before, milliseconds limit) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, limit, [&] { return openEntered > before; });
  }
  // Any of the counts above, read under the lock.
  int Count(const int& count) {
    std::lock_guard guard(lock);
    return count;
  }
};

class FlakyBackend : public AudioOutputBackend {
 public:
  explicit FlakyBackend(std::shared_ptr<FlakyState> state) : s_(std::move(state)) {}

  OutputId Open(int rateHz, bool acceptDeviceRate, AudioSink* sink, int* openedRate,
                Deadline deadline) override {
    Enter guard(*s_);
    milliseconds delay;
    {
      std::lock_guard lock(s_->lock);
      ++s_->openEntered;
      s_->changed.notify_all();
      delay = s_->openDelay;
    }
    std::this_thread::sleep_for(delay);
    std::unique_lock lock(s_->lock);
    s_->deadlines.push_back(deadline);
    if (s_->frozen) {
      ++s_->openCalls;
      const auto letsGo = deadline - s_->frozenLetsGo;
      s_->clock->AdvanceTo(std::min(letsGo, s_->clock->Now() + milliseconds(3000)));
      return 0;
    }
    if (s_->holdOpens) {
      ++s_->heldInOpen;
      s_->changed.notify_all();
      s_->changed.wait(lock, [this] { return !s_->holdOpens; });
      --s_->heldInOpen;
    }
    ++s_->openCalls;
    s_->openTimes.push_back(s_->clock->Now());
    if (s_->openId != 0) ++s_->faults;  // a second output while one is open
    if (s_->unavailable || s_->refuseOpens > 0) {
      if (s_->refuseOpens > 0) --s_->refuseOpens;
      return 0;
    }
    s_->openRates.push_back(rateHz);
    s_->acceptedDeviceRate.push_back(acceptDeviceRate);
    s_->openId = s_->nextId++;
    s_->sink = sink;
    s_->started = false;
    s_->stopped = false;
    ++s_->opened;
    if (openedRate != nullptr) *openedRate = acceptDeviceRate ? s_->deviceRate : rateHz;
    s_->changed.notify_all();
    return s_->openId;
  }
  void Start(OutputId id) override {
    Enter guard(*s_);
    std::lock_guard lock(s_->lock);
    if (id != s_->openId) ++s_->faults;
    s_->started = true;
    ++s_->starts;
  }
  bool IsStopped(OutputId id) override {
    Enter guard(*s_);
    std::lock_guard lock(s_->lock);
    if (id != s_->openId) ++s_->faults;
    ++s_->stopChecks;
    return s_->stopped;
  }
  void Close(OutputId id) override {
    Enter guard(*s_);
    std::lock_guard lock(s_->lock);
    if (id != s_->openId) ++s_->faults;
    s_->openId = 0;
    s_->sink = nullptr;
    ++s_->closed;
    s_->changed.notify_all();
  }
  void Restart() override {
    Enter guard(*s_);
    std::lock_guard lock(s_->lock);
    if (s_->openId != 0) ++s_->faults;  // would pull an open output from under its owner
    ++s_->restarts;
  }

 private:
  // Counts calls that overlap: the caller must serialise them.
  struct Enter {
    explicit Enter(FlakyState& state) : s(state) {
      if (s.inside.fetch_add(1) != 0) {
        std::lock_guard lock(s.lock);
        ++s.faults;
      }
    }
    ~Enter() { s.inside.fetch_sub(1); }
    FlakyState& s;
  };
  std::shared_ptr<FlakyState> s_;
};

// Calls for samples every millisecond or so of real time, as the library's audio thread
// does; the clock the mixer reads is the test's all the same.
class AudioThread {
 public:
  explicit AudioThread(FlakyState& state)
      : thread_([this, &state] {
          std::vector<float> out;
          while (!quit_) {
            if (state.Pump(out, 256)) ++fills_;
            std::this_thread::sleep_for(milliseconds(1));
          }
        }) {}
  ~AudioThread() {
    quit_ = true;
    thread_.join();
  }
  int fills() const { return fills_; }

 private:
  std::atomic<bool> quit_{false};
  std::atomic<int> fills_{0};
  std::thread thread_;
};

class DeviceLossTest : public ::testing::Test {
 protected:
  std::shared_ptr<testing::ManualClock> clock = std::make_shared<testing::ManualClock>();
  std::shared_ptr<FlakyState> state = std::make_shared<FlakyState>();
  std::unique_ptr<LiveOutputFactory> outputs;

  // Outputs watched as `watch` says, by the test's clock.
  void MakeOutputs(OutputWatch watch) {
    watch.clock = clock;
    outputs = std::make_unique<LiveOutputFactory>(std::make_unique<FlakyBackend>(state), watch);
  }
  void SetUp() override {
    state->clock = clock;
    MakeOutputs(OutputWatch{});
  }

  // When the watchdog looks next, once it has done what it was doing and gone to sleep.
  TimePoint NextLook() {
    const std::optional<TimePoint> next = clock->NextWake(kHang);
    EXPECT_TRUE(next.has_value()) << "the watchdog never went to sleep";
    return next.value_or(clock->Now());
  }
  // Moves the clock to the watchdog's next look and returns its time; the look itself
  // runs on the watchdog's thread.
  TimePoint Look() {
    const TimePoint at = NextLook();
    clock->AdvanceTo(at);
    return at;
  }

  void TearDown() override {
    outputs.reset();
    EXPECT_EQ(state->faults, 0);
    EXPECT_EQ(state->opened, state->closed) << "every output opened is closed";
  }
};

// The watchdog looks at the output every poll interval: a lost output is closed and the
// default one opened again at the first look after the loss, for the mixer's rate.
TEST_F(DeviceLossTest, ALostOutputIsReopenedAtTheNextLookAtTheMixersRate) {
  AudioDevice device;
  const TimePoint claimed = clock->Now();
  ASSERT_TRUE(ClaimDevice(device, *outputs));
  EXPECT_EQ(device.directSound->outputRate(), 44100);
  ASSERT_EQ(state->opened, 1);
  EXPECT_TRUE(state->acceptedDeviceRate[0]);

  // The new device would rather run at 48000; the mixer keeps its rate and the library
  // converts.
  state->deviceRate = 48000;
  state->Lose();
  const TimePoint look = Look();
  EXPECT_EQ(look - claimed, OutputWatch{}.poll) << "the first look comes one poll in";
  ASSERT_TRUE(state->WaitOpened(2, kHang));
  EXPECT_EQ(state->openTimes.back(), look) << "opened again at the look that found the loss";
  EXPECT_EQ(state->closed, 1) << "the lost output is closed first";
  EXPECT_EQ(state->openRates[1], 44100);
  EXPECT_FALSE(state->acceptedDeviceRate[1]);
  EXPECT_EQ(device.directSound->outputRate(), 44100);

  // A healthy output is looked at every poll and left alone.
  const TimePoint next = NextLook();
  EXPECT_EQ(next - look, OutputWatch{}.poll);
  const int checks = state->Count(state->stopChecks);
  for (int i = 0; i < 3; ++i) Look();
  NextLook();
  EXPECT_EQ(state->Count(state->stopChecks) - checks, 3);
  EXPECT_EQ(state->Count(state->opened), 2);
  ReleaseDevice(device);
  EXPECT_EQ(state->closed, 2);
}

// Time goes on for the voices while no output plays: a loop is found further on when
// the output comes back, by about as long as the outage lasted, and is heard from there
// without a seam.
TEST_F(DeviceLossTest, VoicesGoOnThroughTheOutageAndAreHeardFromWhereTheyStand) {
  AudioDevice device;
  ASSERT_TRUE(ClaimDevice(device, *outputs));
  Mixer& mixer = device.directSound->mixer();
  const size_t delay = mixer.limiterDelayFrames();
  // A looping ramp at the output rate, four seconds long, so every output frame moves one
  // source frame and the outage does not wrap it.
  std::vector<float> ramp(4 * 44100);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<float>(i) / 400000.0f;
  const auto loop = mixer.AddVoice({ramp.data(), uint32_t(ramp.size()), 1}, 44100);
  const auto shot = mixer.AddVoice({ramp.data(), 1000, 1}, 44100);
  ASSERT_NE(loop, Mixer::kNoVoice);
  mixer.Play(loop, true);

  std::vector<float> out;
  ASSERT_TRUE(state->Pump(out, 700));
  ASSERT_TRUE(state->Pump(out, 700));
  EXPECT_EQ(mixer.PositionFrames(loop), 1400u);
  const TimePoint lastHeard = clock->Now();

  state->Lose();
  EXPECT_FALSE(state->Pump(out, 700)) << "a stopped output asks for nothing";
  const TimePoint back = Look();
  ASSERT_TRUE(state->WaitOpened(2, kHang));
  NextLook();  // the new output is started
  const double outage = std::chrono::duration<double>(back - lastHeard).count();
  EXPECT_TRUE(mixer.IsPlaying(loop));
  EXPECT_FALSE(mixer.IsPlaying(shot));
  EXPECT_EQ(mixer.ActiveVoices(), 2);
  const uint32_t at = mixer.PositionFrames(loop);
  EXPECT_NEAR(at, 1400 + outage * 44100, 1) << "the loop went on as long as the outage lasted";

  ASSERT_TRUE(state->Pump(out, 3));
  // Heard a look-ahead after it is mixed; the look-ahead was filled while unheard.
  EXPECT_EQ(out[0], ramp[at - delay]);
  EXPECT_EQ(out[4], ramp[at - delay + 2]);
  mixer.RemoveVoice(loop);
  mixer.RemoveVoice(shot);
  ReleaseDevice(device);
}

// A looping background at 0.2, short blips and one long effect at 0.3, all at the output
// rate and of constant level, so every frame shows who sounds. Fire() plays the effects
// as the schedule would; the voices leave the mixer with it, which it keeps alive so the
// device may be released first.
struct BedAndEffects {
  BedAndEffects(Mixer& mixer, int blipCount, int longSeconds)
      : keep(mixer.shared_from_this()), mixer(mixer), long_(size_t(longSeconds) * 44100, 0.3f) {
    background = mixer.AddVoice({bed.data(), uint32_t(bed.size()), 1}, 44100);
    mixer.Play(background, true);
    for (int i = 0; i < blipCount; ++i)
      blips.push_back(mixer.AddVoice({blip.data(), uint32_t(blip.size()), 1}, 44100));
    still = mixer.AddVoice({long_.data(), uint32_t(long_.size()), 1}, 44100);
  }
  ~BedAndEffects() {
    for (auto voice : blips) mixer.RemoveVoice(voice);
    mixer.RemoveVoice(still);
    mixer.RemoveVoice(background);
  }
  void Fire() {
    for (auto voice : blips) mixer.Play(voice, false);
    mixer.Play(still, false);
  }

  const std::shared_ptr<Mixer> keep;
  Mixer& mixer;
  const std::vector<float> bed = std::vector<float>(44100, 0.2f);
  const std::vector<float> blip = std::vector<float>(441, 0.3f);  // 10 ms
  const std::vector<float> long_;
  Mixer::VoiceId background = Mixer::kNoVoice;
  std::vector<Mixer::VoiceId> blips;
  Mixer::VoiceId still = Mixer::kNoVoice;
};

// Effects fired while the output is lost play out unheard and end as they would have;
// on its return only what still sounds is heard, not every effect at once.
TEST_F(DeviceLossTest, EffectsFiredDuringAnOutageDoNotPileUpOnItsReturn) {
  MakeOutputs(OutputWatch{milliseconds(20), milliseconds(100)});
  AudioDevice device;
  ASSERT_TRUE(ClaimDevice(device, *outputs));
  Mixer& mixer = device.directSound->mixer();
  BedAndEffects sounds(mixer, 6, 5);
  const auto& blips = sounds.blips;
  const auto still = sounds.still;
  std::vector<float> out;
  ASSERT_TRUE(state->Pump(out, 4410));

  {
    std::lock_guard lock(state->lock);
    state->refuseOpens = 2;  // out for two retry intervals
    state->stopped = true;
  }
  // The watchdog notices and finds no output to open; then fire, as the schedule would.
  Look();
  NextLook();
  ASSERT_EQ(state->Count(state->closed), 1);
  ASSERT_EQ(state->Count(state->opened), 1);
  sounds.Fire();

  Look();  // refused again
  Look();  // back
  ASSERT_TRUE(state->WaitOpened(2, kHang));
  NextLook();  // the new output is started
  ASSERT_TRUE(state->Pump(out, 441));
  for (auto voice : blips) EXPECT_FALSE(mixer.IsPlaying(voice)) << "ended while unheard";
  EXPECT_TRUE(mixer.IsPlaying(still));
  // The first block after the return: the background and the effect still sounding
  // (0.5), perhaps a little under it while the limiter lets go of the gain it took when
  // the blips overlapped unheard; piled up they would make 2.3.
  const auto [low, high] = std::minmax_element(out.begin(), out.end());
  EXPECT_LE(*high, 0.5f) << "more than what still sounds";
  EXPECT_GT(*low, 0.4f) << "what still sounds is heard";
  EXPECT_LT(*high, Limiter::kCeiling) << "nothing at full scale";
  ReleaseDevice(device);
}

// An output that stops asking for samples without being lost (a suspended sink, a frozen
// server): the effects fired meanwhile take effect at their own moments, unheard, so
// when it asks again only what still sounds is heard, from where it stands; a sound
// that was playing when it stalled is found further on. Nothing is closed or reopened.
TEST_F(DeviceLossTest, EffectsFiredWhileTheOutputStallsDoNotPileUpWhenItAsksAgain) {
  MakeOutputs(OutputWatch{milliseconds(20), milliseconds(100)});
  AudioDevice device;
  ASSERT_TRUE(ClaimDevice(device, *outputs));
  Mixer& mixer = device.directSound->mixer();
  BedAndEffects sounds(mixer, 5, 9);
  const auto& blips = sounds.blips;
  const auto still = sounds.still;
  std::vector<float> out;
  ASSERT_TRUE(state->Pump(out, 4410));

  // Stalled: nothing asks, nothing reports a loss.
  clock->Advance(Mixer::kStallAfter + milliseconds(300));
  NextLook();
  EXPECT_TRUE(mixer.Stalled());
  sounds.Fire();
  clock->Advance(milliseconds(400));
  NextLook();
  ASSERT_TRUE(state->Pump(out, 441));
  EXPECT_FALSE(mixer.Stalled());
  for (auto voice : blips) EXPECT_FALSE(mixer.IsPlaying(voice)) << "ended while unheard";
  EXPECT_TRUE(mixer.IsPlaying(still));
  EXPECT_NEAR(mixer.PositionFrames(still), 0.4 * 44100 + 441, 1) << "heard from where it stands";
  // Background and the long effect (0.5); piled up the blips would make 2.0.
  const auto [low, high] = std::minmax_element(out.begin(), out.end());
  EXPECT_LE(*high, 0.5f) << "more than what still sounds";
  EXPECT_GT(*low, 0.4f) << "what still sounds is heard";

  // A stall with nothing fired in it: the watchdog keeps time while nothing asks, and
  // the sound that plays is found as far on as the stall lasted.
  const uint32_t before = mixer.PositionFrames(still);
  clock->Advance(milliseconds(1500));
  NextLook();
  EXPECT_NEAR(mixer.PositionFrames(still), before + 1.5 * 44100, 1)
      << "the watchdog kept time through the stall";
  ASSERT_TRUE(state->Pump(out, 441));
  EXPECT_NEAR(mixer.PositionFrames(still), before + 1.5 * 44100 + 441, 1);

  EXPECT_EQ(state->opened, 1) << "a stall is no loss: the output stays";
  EXPECT_EQ(state->closed, 0);
  ReleaseDevice(device);
}

TEST_F(DeviceLossTest, WhileNoOutputOpensItIsRetriedEveryIntervalAfresh) {
  MakeOutputs(OutputWatch{milliseconds(20), milliseconds(80)});
  AudioDevice device;
  ASSERT_TRUE(ClaimDevice(device, *outputs));
  const int restartsBefore = state->restarts;
  {
    AudioThread audio(*state);
    {
      std::lock_guard lock(state->lock);
      state->refuseOpens = 3;
      state->stopped = true;
    }
    EXPECT_FALSE(device.directSound->outputLost());
    // The look that finds the loss, two more refusals, then success.
    Look();
    EXPECT_TRUE(Eventually([&] { return device.directSound->outputLost(); }))
        << "the device says its output is lost while none opens";
    for (int look = 1; look < 4; ++look) Look();
    ASSERT_TRUE(state->WaitOpened(2, kHang));
    NextLook();  // the new output is started
    const int fills = audio.fills();
    EXPECT_TRUE(Eventually([&] { return audio.fills() > fills; }))
        << "the output that came back plays";
    EXPECT_TRUE(Eventually([&] { return !device.directSound->outputLost(); }))
        << "and is no longer lost";
  }
  ReleaseDevice(device);
  std::lock_guard lock(state->lock);
  ASSERT_EQ(state->openCalls, 5) << "the first open, three refusals, then success";
  EXPECT_EQ(state->openTimes[1] - state->openTimes[0], milliseconds(20))
      << "the loss is found at the first look";
  for (int attempt = 2; attempt < 5; ++attempt)
    EXPECT_EQ(state->openTimes[attempt] - state->openTimes[attempt - 1], milliseconds(80))
        << "attempt " << attempt;
  EXPECT_EQ(state->restarts - restartsBefore, 4) << "the library restarts before each attempt";
}

// Releasing a device at any moment of an outage closes every output it opened before it
// returns, whatever the watchdog was doing: sleeping before its first look, in the middle
// of a look, inside a slow open, or between attempts while nothing opens; with the library's
// audio thread asking for samples all the while. The clock stands still during the
// release, so the release waits for the watchdog to end (how long it waits at most is
// MuteAndExitReturnWhileAnOpenHangs's).
TEST_F(DeviceLossTest, ReleasingAtAnyMomentOfAnOutageClosesEverything) {
  MakeOutputs(OutputWatch{milliseconds(10), milliseconds(30)});
  AudioThread audio(*state);
  for (int round = 0; round < 36; ++round) {
    AudioDevice device;
    {
      std::lock_guard lock(state->lock);
      state->unavailable = false;
      state->openDelay = milliseconds(0);
    }
    ASSERT_TRUE(ClaimDevice(device, *outputs)) << round;
    const int library = round % 3;  // 0: nothing opens; 1: a slow open; 2: it opens at once
    const int moment = (round / 3) % 4;
    int entered;
    {
      std::lock_guard lock(state->lock);
      state->stopped = true;
      state->unavailable = library == 0;
      state->openDelay = milliseconds(library == 1 ? 20 : 0);
      entered = state->openEntered;
    }
    if (moment == 1) {
      // Released as the look begins, wherever in it the release lands.
      Look();
    } else if (moment == 2) {
      // Released inside the first open attempt, or once it is over.
      Look();
      if (library == 1) {
        ASSERT_TRUE(state->WaitOpenEntered(entered, kHang)) << round;
      } else {
        NextLook();
      }
    } else if (moment == 3) {
      // Released after a second look: a retry, or a look at the new output.
      Look();
      Look();
      NextLook();
    }
    ReleaseDevice(device);
    std::lock_guard lock(state->lock);
    EXPECT_EQ(state->openId, 0u) << round;
    EXPECT_EQ(state->opened, state->closed) << round;
  }
}

TEST_F(DeviceLossTest, AnOutputThatCannotBeClaimedIsReportedAndAStaleLibraryIsRestartedOnce) {
  AudioDevice device;
  state->unavailable = true;
  EXPECT_FALSE(ClaimDevice(device, *outputs));
  EXPECT_EQ(device.directSound, nullptr);
  EXPECT_EQ(state->openCalls, 2);
  EXPECT_EQ(state->restarts, 1);

  // A library that still knew a server that has gone opens once restarted.
  state->unavailable = false;
  state->refuseOpens = 1;
  ASSERT_TRUE(ClaimDevice(device, *outputs));
  EXPECT_EQ(state->restarts, 2);
  ReleaseDevice(device);
}

// Play and start-up open the output on the UI thread: a server that takes the connection
// and never answers holds them only the claim's wait, for every attempt together.
TEST_F(DeviceLossTest, AClaimGivesUpOnAServerThatNeverAnswersOnceItsWaitIsSpent) {
  // Any sleep of this thread on the clock would show in its time.
  clock->SetSleepsPassAtOnce(true);
  state->frozen = true;
  AudioDevice device;
  const TimePoint start = clock->Now();
  EXPECT_FALSE(ClaimDevice(device, *outputs));
  EXPECT_EQ(device.directSound, nullptr);
  ASSERT_EQ(state->deadlines.size(), 1u) << "no second attempt once the wait is spent";
  EXPECT_EQ(state->deadlines[0], start + LiveOutputFactory::kClaimWait);
  EXPECT_EQ(clock->Now(), start + LiveOutputFactory::kClaimWait) << "gave up at once then";

  // An attempt that fails before the wait is spent is followed by one more, afresh, with
  // what is left of the same wait.
  state->frozenLetsGo = milliseconds(1);
  state->deadlines.clear();
  const int restarts = state->restarts;
  const TimePoint again = clock->Now();
  EXPECT_FALSE(ClaimDevice(device, *outputs));
  ASSERT_EQ(state->deadlines.size(), 2u);
  EXPECT_EQ(state->deadlines[0], again + LiveOutputFactory::kClaimWait);
  EXPECT_EQ(state->deadlines[1], state->deadlines[0]);
  EXPECT_EQ(state->restarts - restarts, 1);
}

// A sound server that takes the connection and never answers holds the watchdog inside
// an open for as long as it likes. Mute and Exit return all the same, Play says it has
// no output instead of freezing, and once the server lets go the watchdog closes what it
// opened without starting it, and ends, letting the backend go with it.
TEST_F(DeviceLossTest, MuteAndExitReturnWhileAnOpenHangs) {
  MakeOutputs(OutputWatch{milliseconds(10), milliseconds(30)});
  // Without the fault mended the calls below would wait for ever: after 10 s of real time
  // the server lets go, and the checks that the open was still held fail instead.
  std::mutex rescueLock;
  std::condition_variable rescueWake;
  bool finished = false;
  std::thread rescue([&, state = state] {
    {
      std::unique_lock guard(rescueLock);
      rescueWake.wait_for(guard, std::chrono::seconds(10), [&] { return finished; });
    }
    state->LetOpensGo();
  });
  const int restartsBefore = state->restarts;
  ProcessState ps;
  testing::FakePanel panel;
  testing::FakeTimer timer;
  testing::FakeSettings settings;
  auto core = std::make_unique<Soundscape>(ps, panel, timer, *outputs, settings);
  ASSERT_TRUE(core->ClaimDevice());
  panel.TickBox(3, true);
  core->OnBackgroundClicked(3);
  {
    std::lock_guard lock(state->lock);
    state->holdOpens = true;
    state->stopped = true;
  }
  Look();
  ASSERT_TRUE(state->WaitHeld(kHang));
  const int startsBefore = state->starts;

  // The held watchdog sleeps on the clock no more: this thread's waits pass at once, and
  // the clock shows how long each was.
  clock->SetSleepsPassAtOnce(true);
  const TimePoint muted = clock->Now();
  core->OnMute();
  EXPECT_TRUE(state->Held()) << "Mute returned while the open was held";
  EXPECT_EQ(clock->Now() - muted, LiveOutputFactory::kReleaseWait)
      << "Mute waited for the watchdog only the release wait";
  EXPECT_EQ(ps.audioDevice.directSound, nullptr);
  const TimePoint played = clock->Now();
  core->OnPlay();
  EXPECT_TRUE(state->Held()) << "Play returned while the open was held";
  EXPECT_EQ(clock->Now() - played, LiveOutputFactory::kClaimWait)
      << "Play waited for the library only the claim wait";
  EXPECT_EQ(panel.messages.size(), 1u) << "Play reports the output it cannot claim";
  EXPECT_TRUE(ps.audioDevice.muted);
  clock->SetSleepsPassAtOnce(false);

  // Exit: the window goes, then the outputs.
  core.reset();
  outputs.reset();
  EXPECT_TRUE(state->Held()) << "Exit returned while the open was held";

  state->LetOpensGo();
  {
    std::lock_guard guard(rescueLock);
    finished = true;
  }
  rescueWake.notify_all();
  rescue.join();
  EXPECT_TRUE(Eventually([&] { return state.use_count() == 1; }))
      << "the watchdog ended and the backend went with it";
  std::lock_guard lock(state->lock);
  EXPECT_EQ(state->opened, 2);
  EXPECT_EQ(state->closed, 2);
  EXPECT_EQ(state->starts, startsBefore) << "what opened after Mute was never started";
  EXPECT_EQ(state->restarts - restartsBefore, 1)
      << "only before the held open: Exit left the library alone";
}

// The whole soundscape through an outage: the schedule keeps ticking and firing, the
// backgrounds keep their buffers and loop on once the output is back, nobody is told;
// Mute still releases everything and Play still reports an output it cannot claim.
TEST_F(DeviceLossTest, TheSoundscapeGoesOnThroughAnOutageWithoutAWord) {
  ProcessState ps;
  testing::FakePanel panel;
  testing::FakeTimer timer;
  testing::FakeSettings settings;
  Soundscape core{ps, panel, timer, *outputs, settings};
  ASSERT_TRUE(core.ClaimDevice());
  core.ResetTables();
  core.SeedRandom(4);
  core.StartTimer(10);
  panel.TickBox(3, true);
  core.OnBackgroundClicked(3);
  for (int i = 1; i <= 6; ++i) {
    panel.sliders[i] = 4;
    core.OnMixerScroll(1, 4, SoundCatalogue::Effect(i)->sliderId);
  }
  const SoundBuffer* background = ps.backgrounds.slot[0].get();
  ASSERT_NE(background, nullptr);
  std::vector<float> out;
  ASSERT_TRUE(state->Pump(out, 4800));

  state->Lose();
  long firings = 0;
  core.SetFiringObserver([&](const Firing&) { ++firings; });
  const double ticks = ps.scheduler.tickCount;
  for (int t = 0; t < 3000; ++t) core.Tick();
  EXPECT_EQ(ps.scheduler.tickCount, ticks + 3000);
  EXPECT_GT(firings, 0) << "the schedule fires on while no output plays";

  Look();
  ASSERT_TRUE(state->WaitOpened(2, kHang));
  NextLook();  // the new output is started
  EXPECT_EQ(ps.backgrounds.slot[0].get(), background);
  EXPECT_TRUE(background->IsPlaying());
  ASSERT_TRUE(state->Pump(out, 4800));
  EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](float x) { return x != 0.0f; }))
      << "the background is heard again";
  EXPECT_TRUE(panel.messages.empty());

  core.OnMute();
  EXPECT_EQ(ps.audioDevice.directSound, nullptr);
  EXPECT_EQ(state->openId, 0u);
  state->unavailable = true;
  core.OnPlay();
  ASSERT_EQ(panel.messages.size(), 1u);
  EXPECT_EQ(panel.messages[0],
            "*ERROR* DirectX Sound will not initialize.  Wave device may not be available.");
  EXPECT_TRUE(ps.audioDevice.muted);
}

}  // namespace
}  // namespace lullwood
