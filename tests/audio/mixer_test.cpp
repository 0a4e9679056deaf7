// The mixer on its own: interpolation, block independence, rate changes, odd steps, and
// the time it keeps while a live output asks for nothing. Its output is the sum a limiter
// look-ahead (limiterDelayFrames) later.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "ManualClock.h"
#include "Mixer.h"

namespace lullwood {
namespace {

// A sine of `hz` sampled at `rate`, `frames` long.
std::vector<float> Sine(double hz, double rate, uint32_t frames) {
  std::vector<float> out(frames);
  for (uint32_t i = 0; i < frames; ++i)
    out[i] = static_cast<float>(std::sin(2 * M_PI * hz * i / rate));
  return out;
}

TEST(Mixer, InterpolatesBetweenSamples) {
  // Band-limited resampling of a 200 Hz sine at 11025 Hz stays within 0.2 % of the
  // curve (linear interpolation too; holding each sample would be off by up to 11 %).
  auto source = Sine(200, 11025, 11025);
  for (float& x : source) x *= 0.5f;  // below the limiter's ceiling
  Mixer mixer(48000);
  const auto voice = mixer.AddVoice({source.data(), 11025, 1}, 11025);
  mixer.Play(voice, false);
  const size_t delay = mixer.limiterDelayFrames();
  std::vector<float> out(2 * 40000);
  mixer.Render(out.data(), 40000);
  double worst = 0;
  // From 10 ms in: the start of the sound is a kink the filters smooth.
  for (size_t n = delay + 480; n < 40000; ++n) {
    const double t = double(n - delay) / 48000.0;
    worst = std::max(worst, std::abs(out[2 * n] - 0.5 * std::sin(2 * M_PI * 200 * t)));
  }
  EXPECT_LT(worst, 0.001);
}

TEST(Mixer, BlockSizesDoNotChangeTheOutput) {
  const auto source = Sine(333, 22050, 5000);
  // At 48000 Hz the buses go up through one at 44100 Hz.
  for (int outputRate : {44100, 48000}) {
    auto render = [&](size_t block) {
      Mixer mixer(outputRate);
      const auto a = mixer.AddVoice({source.data(), 5000, 1}, 22050);
      const auto b = mixer.AddVoice({source.data(), 2500, 2}, 17000);
      const auto c = mixer.AddVoice({source.data(), 5000, 1}, 11025);
      const auto d = mixer.AddVoice({source.data(), 5000, 1}, 26000);
      mixer.Play(a, true);
      mixer.Play(b, false);
      mixer.Play(c, true);
      mixer.Play(d, true);
      std::vector<float> out(2 * 30000);
      for (size_t done = 0; done < 30000; done += block) {
        mixer.Render(out.data() + 2 * done, std::min(block, 30000 - done));
      }
      return out;
    };
    const auto whole = render(30000);
    EXPECT_EQ(render(1), whole) << outputRate;
    EXPECT_EQ(render(441), whole) << outputRate;
    EXPECT_EQ(render(1024), whole) << outputRate;
  }
}

TEST(Mixer, ChangingTheRateKeepsThePosition) {
  // A ramp at the output rate plays sample for sample; three times as fast it is read
  // through a widened kernel, which leaves a straight line as it is.
  std::vector<float> ramp(1000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = i / 2000.0f;
  Mixer mixer(48000);
  const size_t delay = mixer.limiterDelayFrames();
  const auto voice = mixer.AddVoice({ramp.data(), 1000, 1}, 48000);
  mixer.Play(voice, false);
  std::vector<float> out(2 * (100 + 10 + delay));
  mixer.Render(out.data(), 100);
  EXPECT_EQ(mixer.PositionFrames(voice), 100u);
  mixer.SetRate(voice, 3 * 48000);
  mixer.Render(out.data() + 200, 10);
  EXPECT_EQ(mixer.PositionFrames(voice), 130u);
  mixer.Render(out.data() + 220, delay);
  EXPECT_EQ(out[2 * (delay + 99)], ramp[99]);
  EXPECT_NEAR(out[2 * (delay + 100)], ramp[100], 1e-5);
  EXPECT_NEAR(out[2 * (delay + 101)], ramp[103], 1e-5);
}

TEST(Mixer, StepsLongerThanTheSoundStayInside) {
  const float blip[] = {0.5f};
  Mixer mixer(8000);
  const auto looped = mixer.AddVoice({blip, 1, 1}, 100000);
  const auto once = mixer.AddVoice({blip, 1, 1}, 100000);
  mixer.Play(looped, true);
  mixer.Play(once, false);
  std::vector<float> out(2 * 1000);
  mixer.Render(out.data(), 1000);
  EXPECT_TRUE(mixer.IsPlaying(looped));
  EXPECT_FALSE(mixer.IsPlaying(once));
  for (float x : out) ASSERT_TRUE(x >= -1 && x <= 1);
}

// The same sound made at two rates and handed over while it plays: the new voice goes on
// from the same place, at the same gains, and the output shows no step where they meet.
TEST(Mixer, AHandoverGoesOnFromTheSamePlaceWithoutAStep) {
  constexpr double kHz = 441;  // whole periods in both loops
  std::vector<float> low = Sine(kHz, 11025, 11025), high = Sine(kHz, 44100, 44100);
  for (int outputRate : {44100, 48000}) {
    Mixer mixer(outputRate);
    const size_t delay = mixer.limiterDelayFrames();
    const auto first = mixer.AddVoice({low.data(), 11025, 1}, 11025);
    mixer.SetGain(first, {0.5f, 0.25f});
    mixer.Play(first, true);
    const size_t before = 3 * size_t(outputRate) / 2;  // past the loop's first seam
    const size_t after = outputRate / 2 + delay;
    std::vector<float> out(2 * (before + after));
    mixer.Render(out.data(), before);
    const auto second = mixer.Handover(first, {high.data(), 44100, 1}, 44100);
    ASSERT_NE(second, Mixer::kNoVoice);
    EXPECT_TRUE(mixer.IsPlaying(first));  // still fading out
    mixer.Render(out.data() + 2 * before, after);
    EXPECT_FALSE(mixer.IsPlaying(first));
    EXPECT_TRUE(mixer.IsPlaying(second));
    double worst = 0;
    for (size_t n = delay + outputRate / 10; n < before + after; ++n) {
      const double phase = 2 * M_PI * kHz * double(n - delay) / outputRate;
      worst = std::max({worst, std::abs(out[2 * n] - 0.5 * std::sin(phase)),
                        std::abs(out[2 * n + 1] - 0.25 * std::sin(phase))});
    }
    EXPECT_LT(worst, 0.002) << outputRate;
    mixer.RemoveVoice(first);
    EXPECT_EQ(mixer.ActiveVoices(), 1);
  }
}

// Handed over while stopped, a voice stays stopped where it stood, in the new frames;
// a voice fading out keeps fading whatever gains it is given; gains given to the new
// one mid-fade are reached from where the fade stands.
TEST(Mixer, AHandoverKeepsAStoppedVoiceStoppedAndTheFadeRunsItsCourse) {
  std::vector<float> low(11025, 0.5f), high(44100, 0.5f);
  Mixer mixer(44100);
  const size_t delay = mixer.limiterDelayFrames();
  const auto stopped = mixer.AddVoice({low.data(), 11025, 1}, 11025);
  mixer.Play(stopped, false);
  std::vector<float> out(2 * 44100);
  mixer.Render(out.data(), 1000);
  mixer.Stop(stopped);
  const uint32_t stood = mixer.PositionFrames(stopped);
  const auto moved = mixer.Handover(stopped, {high.data(), 44100, 1}, 44100);
  EXPECT_FALSE(mixer.IsPlaying(moved));
  EXPECT_EQ(mixer.PositionFrames(moved), 4 * stood);
  mixer.RemoveVoice(stopped);

  const auto constant = mixer.AddVoice({low.data(), 11025, 1}, 11025);
  mixer.Play(constant, true);
  mixer.Render(out.data(), 4000);
  const auto next = mixer.Handover(constant, {high.data(), 44100, 1}, 44100);
  mixer.SetGain(constant, {1.0f, 1.0f});  // ignored: it is fading out
  mixer.Render(out.data(), 441);          // a quarter of the fade
  mixer.SetGain(next, {0.5f, 0.5f});
  const size_t fade = 44100 * Mixer::kHandoverFade.count() / 1000;
  mixer.Render(out.data(), fade + delay);
  // Across the rest of the fade the sum moves smoothly from 0.5 to 0.25, never above.
  float previous = 0.5f;
  for (size_t n = 0; n < fade + delay; ++n) {
    ASSERT_LE(out[2 * n], 0.5f + 1e-5f) << n;
    ASSERT_LT(std::abs(out[2 * n] - previous), 0.001f) << n;
    previous = out[2 * n];
  }
  EXPECT_NEAR(out[2 * (fade + delay - 1)], 0.25f, 1e-4f);
  EXPECT_FALSE(mixer.IsPlaying(constant));
}

// A mixer that feeds a live output counts itself stalled once nothing has been asked
// for kStallAfter beyond what the last Render lasts, and from then on keeps time by its
// clock: a voice started meanwhile starts at its own moment, and the next Render finds
// every voice as far on as the time since. An offline mixer's time is only what it
// renders, however its clock moves.
TEST(Mixer, ALiveMixerKeepsTimeThroughAStallAndAnOfflineOneDoesNot) {
  using std::chrono::milliseconds;
  auto clock = std::make_shared<testing::ManualClock>();
  const std::vector<float> level(8 * 48000, 0.1f);
  Mixer live(48000, clock);
  live.FollowTheClock();
  Mixer offline(48000, clock);
  Mixer* const mixers[] = {&live, &offline};
  Mixer::VoiceId loop[2], shot[2];
  for (int m = 0; m < 2; ++m) {
    loop[m] = mixers[m]->AddVoice({level.data(), uint32_t(level.size()), 1}, 48000);
    shot[m] = mixers[m]->AddVoice({level.data(), uint32_t(level.size()), 1}, 48000);
    mixers[m]->Play(loop[m], true);
  }
  std::vector<float> out(2 * 480);
  for (Mixer* mixer : mixers) mixer->Render(out.data(), 480);  // 10 ms

  clock->Advance(milliseconds(10) + Mixer::kStallAfter);
  EXPECT_FALSE(live.Stalled()) << "not before kStallAfter beyond what was rendered";
  clock->Advance(milliseconds(1));
  EXPECT_TRUE(live.Stalled());
  EXPECT_FALSE(offline.Stalled());
  for (int m = 0; m < 2; ++m) mixers[m]->Play(shot[m], false);
  clock->Advance(milliseconds(250));
  for (Mixer* mixer : mixers) mixer->Render(out.data(), 480);
  EXPECT_FALSE(live.Stalled());

  // 511 ms stalled before the shot started, 250 ms after it, a Render on each side.
  EXPECT_NEAR(live.PositionFrames(loop[0]), 480 + 0.761 * 48000 + 480, 1);
  EXPECT_NEAR(live.PositionFrames(shot[0]), 0.25 * 48000 + 480, 1);
  EXPECT_EQ(offline.PositionFrames(loop[1]), 960u);
  EXPECT_EQ(offline.PositionFrames(shot[1]), 480u);

  // A stall nobody calls in: the Render that ends it catches up first.
  const uint32_t before = live.PositionFrames(shot[0]);
  clock->Advance(milliseconds(10) + Mixer::kStallAfter + milliseconds(90));
  for (Mixer* mixer : mixers) mixer->Render(out.data(), 480);
  EXPECT_NEAR(live.PositionFrames(shot[0]), before + 0.6 * 48000 + 480, 1);
  EXPECT_EQ(offline.PositionFrames(shot[1]), 960u);
}

// A live mixer lets its output rest once nothing has sounded for kQuietBeforeRest and no
// start is expected within kRestLead; a Play ends the rest and wakes the output once. The time it
// rested is not caught up: a voice started by the wake starts at its beginning, however long the
// rest.
TEST(Mixer, ALiveOutputRestsThroughSilenceAndIsWokenByAPlayOrAnExpectedStart) {
  using std::chrono::milliseconds;
  using std::chrono::seconds;
  auto clock = std::make_shared<testing::ManualClock>();
  const std::vector<float> level(48000 / 2, 0.1f);  // half a second
  Mixer mixer(48000, clock);
  mixer.FollowTheClock();
  int wakes = 0;
  const Mixer::VoiceId shot = mixer.AddVoice({level.data(), uint32_t(level.size()), 1}, 48000);
  std::vector<float> out(2 * 4800);
  // Renders `blocks` blocks of 100 ms, the clock moving with them.
  const auto play = [&](int blocks) {
    for (int b = 0; b < blocks; ++b) {
      mixer.Render(out.data(), 4800);
      clock->Advance(milliseconds(100));
    }
  };

  play(12);
  EXPECT_FALSE(mixer.Rest()) << "no waker: the backend cannot rest";
  mixer.SetWaker([&] { ++wakes; });
  EXPECT_FALSE(mixer.Rest()) << "the control side has not said when the next start may come";
  mixer.ExpectStartIn(Mixer::kRestLead);
  EXPECT_FALSE(mixer.Rest()) << "a start is expected within the lead";
  mixer.ExpectStartIn(std::chrono::steady_clock::duration::max());
  mixer.Play(shot, false);
  play(5);
  EXPECT_FALSE(mixer.Rest()) << "a voice plays";
  play(5);  // the shot ends within the first of these
  EXPECT_FALSE(mixer.IsPlaying(shot));
  EXPECT_FALSE(mixer.Rest()) << "not a whole second of quiet yet";
  play(6);
  EXPECT_TRUE(mixer.Rest());
  EXPECT_TRUE(mixer.Resting());
  EXPECT_EQ(wakes, 0);

  // A minute's rest is no stall, and nothing of it is caught up.
  clock->Advance(seconds(60));
  EXPECT_FALSE(mixer.Stalled());
  mixer.ExpectStartIn(seconds(5));
  EXPECT_EQ(wakes, 0) << "a start beyond the lead lets it rest on";
  mixer.Play(shot, false);
  EXPECT_EQ(wakes, 1);
  EXPECT_FALSE(mixer.Resting());
  mixer.Play(shot, false);
  EXPECT_EQ(wakes, 1) << "an awake output is not woken again";
  clock->Advance(milliseconds(100));
  EXPECT_FALSE(mixer.Stalled()) << "the stall clock starts again at the wake";
  mixer.Render(out.data(), 480);
  EXPECT_EQ(mixer.PositionFrames(shot), 480u);
  float peak = 0;
  for (size_t i = 0; i < 2 * 480; ++i) peak = std::max(peak, std::abs(out[i]));
  EXPECT_GT(peak, 0.05f) << "the woken voice is heard in the first Render";

  // Rested again: a start expected soon does not end the rest; its Play will.
  play(20);
  mixer.ExpectStartIn(seconds(3));
  ASSERT_TRUE(mixer.Rest());
  mixer.ExpectStartIn(milliseconds(500));
  EXPECT_TRUE(mixer.Resting());
  EXPECT_EQ(wakes, 1);
  mixer.Play(shot, false);
  EXPECT_EQ(wakes, 2);
  play(20);
  EXPECT_FALSE(mixer.Rest()) << "the expected start is within the lead";

  // An output that asks while the mixer counts it resting (one opened afresh) is awake.
  mixer.ExpectStartIn(seconds(30));
  ASSERT_TRUE(mixer.Rest());
  mixer.Render(out.data(), 480);
  EXPECT_FALSE(mixer.Resting());

  // An offline mixer never rests.
  Mixer offline(48000, clock);
  offline.SetWaker([&] { ++wakes; });
  offline.ExpectStartIn(seconds(30));
  for (int b = 0; b < 20; ++b) offline.Render(out.data(), 4800);
  EXPECT_FALSE(offline.Rest());
}

}  // namespace
}  // namespace lullwood
