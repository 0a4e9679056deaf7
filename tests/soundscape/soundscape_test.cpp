// The soundscape's rules driven tick by tick through fake ports and the offline output.
#include "Soundscape.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "ControlIds.h"
#include "FakePorts.h"
#include "OfflineOutput.h"

namespace lullwood {
namespace {

using testing::FakePanel;
using testing::FakeSettings;
using testing::FakeTimer;

class SoundscapeTest : public ::testing::Test {
 protected:
  ProcessState state;
  FakePanel panel;
  FakeTimer timer;
  FakeSettings settings;
  OfflineOutputFactory outputs;
  Soundscape core{state, panel, timer, outputs, settings};
  std::vector<Firing> firings;

  void SetUp() override {
    ASSERT_TRUE(core.ClaimDevice());
    core.ResetTables();
    core.SeedRandom(12345);
    core.StartTimer(10);
    core.SetFiringObserver([this](const Firing& f) { firings.push_back(f); });
  }

  void ClickBox(int b, bool on) {
    panel.TickBox(b, on);
    core.OnBackgroundClicked(b);
  }
  // A click on a slider's channel: the position moves, then line/page code and end.
  void MoveSlider(int effectIndex, int position, unsigned code = 1) {
    panel.sliders[effectIndex] = position;
    const int id = SoundCatalogue::Effect(effectIndex)->sliderId;
    core.OnMixerScroll(code, position, id);
    core.OnMixerScroll(8, position, id);
  }
  SoundBuffer* Slot(int k) { return state.backgrounds.slot[k - 1].get(); }
  int SlotOf(int b) { return state.backgrounds.slotNumber[b]; }
  int PlayingBackgrounds() {
    int n = 0;
    for (auto& s : state.backgrounds.slot) n += (s && s->IsPlaying()) ? 1 : 0;
    return n;
  }
  bool NoBufferExists() {
    for (auto& s : state.backgrounds.slot)
      if (s) return false;
    for (auto& b : state.scheduler.effectBuffer)
      if (b) return false;
    return state.mixer.previewBuffer == nullptr;
  }
  void RunTicks(int n) {
    for (int k = 0; k < n; ++k) core.Tick();
  }
};

// ------------------------------------------------------------------ resting output

// Each tick tells the output how far off the next firing is: through a silence it may
// rest, but not within a second of a firing; the firing's own start wakes it, and after
// the sound and a quiet spell it may rest again. With nothing scheduled it rests until a
// Play.
TEST_F(SoundscapeTest, TheOutputRestsBetweenFiringsAndIsWokenAtTheTickBefore) {
  OfflineSoundDevice& device = *outputs.current();
  Mixer& mixer = device.mixer();
  mixer.FollowTheClock();
  int wakes = 0;
  mixer.SetWaker([&] { ++wakes; });
  device.Render(48000 * 6 / 5);  // a quiet 1.2 s
  EXPECT_FALSE(mixer.Rest()) << "no tick has said when the next firing may come";
  RunTicks(1);
  EXPECT_TRUE(mixer.Rest()) << "nothing scheduled";
  ClickBox(0, true);
  EXPECT_EQ(wakes, 1) << "a background's start wakes it";
  ClickBox(0, false);
  ASSERT_TRUE(mixer.Rest());

  MoveSlider(6, level::kRarely);
  RunTicks(1);  // draws the fire tick
  const double fireTick = state.scheduler.nextFireTick[6];
  ASSERT_GT(fireTick, state.scheduler.tickCount + 100);
  ASSERT_TRUE(state.mixer.previewBuffer && state.mixer.previewBuffer->IsPlaying());
  EXPECT_EQ(wakes, 2) << "the slider's preview wakes it";
  while (state.mixer.previewBuffer->IsPlaying()) device.Render(4800);
  device.Render(48000 * 6 / 5);
  ASSERT_TRUE(mixer.Rest());
  wakes = 0;
  while (state.scheduler.tickCount + 1 < fireTick) {
    RunTicks(1);
    ASSERT_EQ(wakes, 0) << "tick " << state.scheduler.tickCount << " of " << fireTick;
  }
  EXPECT_TRUE(mixer.Resting());
  EXPECT_FALSE(mixer.Rest()) << "a firing is due at the next tick";
  RunTicks(1);
  ASSERT_EQ(firings.size(), 1u);
  EXPECT_EQ(wakes, 1) << "the firing wakes the output";
  EXPECT_FALSE(mixer.Resting());
  EXPECT_FALSE(mixer.Rest()) << "the effect sounds";
  while (state.scheduler.effectBuffer[6]->IsPlaying()) device.Render(4800);
  EXPECT_FALSE(mixer.Rest()) << "not yet a quiet second";
  device.Render(48000 * 6 / 5);
  RunTicks(1);
  EXPECT_TRUE(mixer.Rest());
}

// ------------------------------------------------------------------ backgrounds

TEST_F(SoundscapeTest, ThreeBackgroundsPlayAndAFourthIsRefusedOnce) {
  ClickBox(0, true);
  ClickBox(4, true);
  ClickBox(22, true);
  EXPECT_EQ(SlotOf(0), 1);
  EXPECT_EQ(SlotOf(4), 2);
  EXPECT_EQ(SlotOf(22), 3);
  EXPECT_EQ(PlayingBackgrounds(), 3);
  EXPECT_TRUE(Slot(1)->IsLooping());
  EXPECT_EQ(Slot(1)->GetVolume(), 0);

  ClickBox(7, true);
  ASSERT_EQ(panel.messages.size(), 1u);
  EXPECT_EQ(panel.messages[0],
            "* You can only have three background sounds active.  Disable another one first. ");
  EXPECT_EQ(panel.values.m_backgroundOn[7], 0);
  EXPECT_EQ(panel.controls.m_backgroundOn[7], 0) << "the box is unticked again";
  EXPECT_EQ(SlotOf(7), 0);
  EXPECT_EQ(PlayingBackgrounds(), 3);
}

TEST_F(SoundscapeTest, ANewBackgroundTakesTheLowestEmptySlotAtTheCurrentVolume) {
  ClickBox(0, true);
  ClickBox(1, true);
  ClickBox(2, true);
  ClickBox(1, false);
  EXPECT_EQ(Slot(2), nullptr);
  EXPECT_EQ(SlotOf(1), 0);

  core.OnMixerScroll(0, 0, ids::kBackgroundVolumeBar);  // one step down, to 9
  EXPECT_EQ(Slot(1)->GetVolume(), -250) << "a step change is heard at once";
  ClickBox(13, true);
  EXPECT_EQ(SlotOf(13), 2);
  EXPECT_EQ(Slot(2)->GetVolume(), -250);

  // Unticking and ticking again starts the sound again in a new buffer.
  ClickBox(13, false);
  EXPECT_EQ(Slot(2), nullptr);
  ClickBox(13, true);
  EXPECT_EQ(SlotOf(13), 2);
  EXPECT_TRUE(Slot(2)->IsPlaying());
}

TEST_F(SoundscapeTest, ABackgroundThatCannotLoadStaysTickedAndSilentUntilPlay) {
  core.OnMute();
  ClickBox(5, true);  // no device while muted: nothing can load
  EXPECT_EQ(panel.values.m_backgroundOn[5], 1);
  EXPECT_EQ(SlotOf(5), 0);
  EXPECT_TRUE(panel.messages.empty());
  core.OnPlay();
  EXPECT_EQ(SlotOf(5), 1);
  EXPECT_TRUE(Slot(1)->IsPlaying());
}

TEST_F(SoundscapeTest, BackgroundPanCycleRunsOnlyWhileSlotTwoHoldsASound) {
  ClickBox(0, true);
  ClickBox(1, true);
  ClickBox(2, true);
  const std::array<std::array<int, 3>, 5> expected = {
      {{0, -500, 500}, {0, 0, 0}, {0, 500, -500}, {0, 0, 0}, {0, -500, 500}}};
  for (const auto& pans : expected) {
    core.Tick();
    EXPECT_EQ(Slot(1)->GetPan(), pans[0]);
    EXPECT_EQ(Slot(2)->GetPan(), pans[1]);
    EXPECT_EQ(Slot(3)->GetPan(), pans[2]);
  }
  EXPECT_EQ(state.scheduler.backgroundPanStep, 1);

  ClickBox(1, false);  // slot 2 empties: slot 3 keeps its last pan
  RunTicks(3);
  EXPECT_EQ(state.scheduler.backgroundPanStep, 1);
  EXPECT_EQ(Slot(3)->GetPan(), 500);
}

// ------------------------------------------------------------------ scheduler

TEST_F(SoundscapeTest, TickRunsInOrderAndRestartsTheTimerAtOneSecond) {
  state.scheduler.autoHidePending = true;
  core.Tick();
  EXPECT_EQ(state.scheduler.tickCount, 1);
  EXPECT_EQ(panel.hideCount, 1);
  EXPECT_FALSE(state.scheduler.autoHidePending);
  EXPECT_TRUE(timer.running);
  EXPECT_EQ(timer.period, 1000u);
  core.Tick();
  EXPECT_EQ(panel.hideCount, 1) << "the window is hidden by the first tick only";
}

TEST_F(SoundscapeTest, NeverGoesIdleAtTheNextTickWithoutPlaying) {
  MoveSlider(4, 4);
  core.Tick();
  ASSERT_GT(state.scheduler.nextFireTick[4], 0);
  MoveSlider(4, 1);
  EXPECT_EQ(state.scheduler.nextFireTick[4], kRescheduleMarker);
  core.Tick();
  EXPECT_EQ(state.scheduler.nextFireTick[4], 0.0);
  RunTicks(400);
  EXPECT_TRUE(firings.empty());
}

TEST_F(SoundscapeTest, FrequentlyFirstFiresFiveToFifteenTicksAfterTheNextTick) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    core.SeedRandom(seed);
    state.scheduler.tickCount = 0;
    state.scheduler.nextFireTick.fill(0);
    firings.clear();
    MoveSlider(1, 4);
    EXPECT_EQ(timer.period, 10u) << "a slider change brings the next tick forward";
    core.Tick();  // draws the first fire tick
    const double drawnAt = state.scheduler.tickCount;
    const double fireTick = state.scheduler.nextFireTick[1];
    EXPECT_GE(fireTick - drawnAt, 5);
    EXPECT_LE(fireTick - drawnAt, 15);
    while (firings.empty()) core.Tick();
    EXPECT_EQ(firings[0].tick, fireTick);
    EXPECT_EQ(firings[0].effectIndex, 1);
  }
}

TEST_F(SoundscapeTest, TickCountWrapsAfterTenMillionAndFireTicksWrapWithIt) {
  state.scheduler.tickCount = 9999999;
  core.Tick();
  EXPECT_EQ(state.scheduler.tickCount, 10000000);
  core.Tick();
  EXPECT_EQ(state.scheduler.tickCount, 1);

  state.scheduler.tickCount = 9999990;
  state.scheduler.frequencyLevel[3] = 2;  // Rarely: 120..300 ahead, so past the wrap
  state.scheduler.nextFireTick[3] = kRescheduleMarker;
  core.Tick();
  const double fireTick = state.scheduler.nextFireTick[3];
  EXPECT_GE(fireTick, 1);
  EXPECT_LE(fireTick, 300);
  while (firings.empty()) core.Tick();
  EXPECT_EQ(firings[0].tick, fireTick);
  EXPECT_LT(state.scheduler.tickCount, 1000) << "it fired after the wrap";
}

TEST_F(SoundscapeTest, EffectsDueOnOneTickFireInIndexOrderWithConsecutivePans) {
  state.scheduler.tickCount = 99;
  for (int i : {9, 2, 30, 5, 17, 6}) {
    state.scheduler.frequencyLevel[i] = 3;
    state.scheduler.nextFireTick[i] = 100;
  }
  core.Tick();
  ASSERT_EQ(firings.size(), 6u);
  const std::array<int, 6> order = {2, 5, 6, 9, 17, 30};
  const std::array<int32_t, 6> pans = {-10000, 10000, 0, -10000, 10000, -10000};
  for (size_t k = 0; k < firings.size(); ++k) {
    EXPECT_EQ(firings[k].effectIndex, order[k]);
    EXPECT_EQ(firings[k].pan, pans[k]);
    EXPECT_EQ(firings[k].volume, 0) << "the Random volume at step 10";
    EXPECT_GT(state.scheduler.nextFireTick[order[k]], 100) << "redrawn in the same tick";
  }
}

TEST_F(SoundscapeTest, EntryZeroIsScheduledButPlaysNothing) {
  state.scheduler.frequencyLevel[0] = 4;
  state.scheduler.nextFireTick[0] = kRescheduleMarker;
  RunTicks(40);
  EXPECT_TRUE(firings.empty());
  EXPECT_EQ(state.scheduler.effectBuffer[0], nullptr);
  EXPECT_GT(state.scheduler.nextFireTick[0], 0) << "still scheduled";
  EXPECT_EQ(state.scheduler.effectPanStep, 0);
}

TEST_F(SoundscapeTest, ALevelWithoutADrawWindowLeavesTheEffectIdle) {
  state.scheduler.frequencyLevel[7] = 9;
  state.scheduler.nextFireTick[7] = kRescheduleMarker;
  core.Tick();  // must return: no draw window for level 9
  EXPECT_EQ(state.scheduler.nextFireTick[7], 0.0);
}

TEST_F(SoundscapeTest, DynamicRandomDrawsPitchThenVolumeWithTheseExactValues) {
  panel.controls.m_dynamicRandom = 1;
  core.OnDynamicRandom();
  EXPECT_TRUE(state.mixer.dynamicRandom);
  EXPECT_EQ(settings.values["DYNAMIC"], "Y");

  // Seed 1 gives r = 41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464,
  // 5705, 28145, 23281, 16827. A pitch-varied effect takes one value for its pitch
  // (odd: +trunc(r * 0.0625), even: -trunc(r * 0.046875)) and then one for its volume,
  // min(Random volume, -(r * 0.0625)) truncated toward zero; the others only the second.
  // Every wave here plays at 11025 Hz.
  core.SeedRandom(1);
  const auto fire = [&](int effectIndex) {
    firings.clear();
    core.FireEffect(effectIndex);
    EXPECT_EQ(firings.size(), 1u) << effectIndex;
    return firings.empty() ? Firing{} : firings.front();
  };
  struct Expected {
    int effectIndex;
    int32_t pan;
    int32_t volume;
    uint32_t frequency;
  };
  const auto check = [&](const Expected& e, const char* why) {
    const Firing f = fire(e.effectIndex);
    EXPECT_EQ(f.pan, e.pan) << why;
    EXPECT_EQ(f.volume, e.volume) << why;
    EXPECT_EQ(f.frequency, e.frequency) << why;
  };
  // Random step 10: the Random volume is 0, so the random level alone counts.
  check({1, -10000, -1154, 11025 + 2}, "r 41 odd: +2 (2.5625); r 18467: -1154.1875 -> -1154");
  check({4, 10000, -395, 11025}, "not pitch-varied: r 6334 for the volume only (-395.875)");
  check({1, 0, -1198, 11025 - 1242}, "r 26500 even: -1242.1875 -> -1242; r 19169: -1198");
  check({2, -10000, -717, 11025 - 737}, "r 15724 even: -737.0625; r 11478: -717.375");
  // Random step 5 (-1250): the lower of the two counts.
  core.OnMixerScroll(4, 5, ids::kRandomVolumeBar);
  ASSERT_EQ(state.mixer.randomVolumeStep, 5);
  check({4, 10000, -1834, 11025}, "r 29358: -1834.875 is below -1250");
  check({3, -10000, -1529, 11025 - 1263}, "r 26962 even: -1263.84375; r 24464: -1529");
  check({6, 10000, -1759, 11025 + 356}, "r 5705 odd: +356.5625; r 28145: -1759.0625");
  check({4, 0, -1455, 11025}, "r 23281: -1455.0625");
  check({4, -10000, -1250, 11025}, "r 16827: -1051.6875 is above -1250, which counts");

  // At Random step 1 the random level never goes below -2048, so every firing is -2250.
  while (state.mixer.randomVolumeStep > 1) core.OnMixerScroll(0, 0, ids::kRandomVolumeBar);
  for (int n = 0; n < 50; ++n) EXPECT_EQ(fire(6).volume, -2250);

  // Off again: plain Random volume, no draw, and a pitch-varied buffer keeps its last
  // frequency.
  const uint32_t last = state.scheduler.effectBuffer[1]->GetFrequency();
  ASSERT_NE(last, 11025u);
  panel.controls.m_dynamicRandom = 0;
  core.OnDynamicRandom();
  EXPECT_EQ(settings.values["DYNAMIC"], "N");
  const uint32_t before = state.scheduler.random.state();
  const Firing plain = fire(1);
  EXPECT_EQ(plain.volume, -2250);
  EXPECT_EQ(plain.frequency, last);
  EXPECT_EQ(state.scheduler.random.state(), before) << "no value is drawn";
}

// ------------------------------------------------------------------ renditions

// The choice is stored and taken up at once by the backgrounds; an effect sounding
// finishes as it is and its next firing, like every preview, is in the new rendition.
TEST_F(SoundscapeTest, ChoosingTheFullBandTurnsBackgroundsOverAtOnceAndEffectsAtTheirNext) {
  ClickBox(0, true);
  core.FireEffect(4);
  ASSERT_TRUE(state.scheduler.effectBuffer[4]->IsPlaying());
  core.ChooseRendition(Rendition::kFullBand);
  EXPECT_EQ(settings.values["FULLBAND"], "Y");
  EXPECT_EQ(Slot(1)->rendition(), Rendition::kFullBand);
  EXPECT_TRUE(Slot(1)->IsPlaying());
  EXPECT_EQ(state.scheduler.effectBuffer[4]->rendition(), Rendition::kOriginal);
  outputs.current()->Render(48000);
  EXPECT_FALSE(state.scheduler.effectBuffer[4]->IsPlaying());
  core.FireEffect(4);
  EXPECT_EQ(state.scheduler.effectBuffer[4]->rendition(), Rendition::kFullBand);
  MoveSlider(6, level::kRarely);
  EXPECT_EQ(state.mixer.previewBuffer->rendition(), Rendition::kFullBand);
  // Once the old background has faded, a tick lets go of it: one voice a buffer.
  RunTicks(1);
  EXPECT_EQ(outputs.current()->mixer().ActiveVoices(), 3);

  core.ChooseRendition(Rendition::kOriginal);
  EXPECT_EQ(settings.values["FULLBAND"], "N");
  EXPECT_EQ(Slot(1)->rendition(), Rendition::kOriginal);
}

// Muted, the choice waits for Play; a failed write is reported and the choice still
// holds for this run.
TEST_F(SoundscapeTest, AChoiceMadeWhileMutedIsHeardAtPlay) {
  ClickBox(0, true);
  core.OnMute();
  settings.failWrites = true;
  core.ChooseRendition(Rendition::kFullBand);
  EXPECT_EQ(panel.messages.back(), kRegistryWriteMessage);
  core.OnPlay();
  ASSERT_NE(Slot(1), nullptr);
  EXPECT_EQ(Slot(1)->rendition(), Rendition::kFullBand);
}

// Every law stays: with Dynamic Random the firings logged are the same, value for value,
// whichever rendition plays; frequencies are in the original wave's terms.
TEST_F(SoundscapeTest, TheFiringsAreTheSameInEitherRendition) {
  panel.controls.m_dynamicRandom = 1;
  core.OnDynamicRandom();
  const auto run = [&](Rendition rendition) {
    core.ChooseRendition(rendition);
    core.SeedRandom(7);
    firings.clear();
    for (int n = 0; n < 40; ++n) core.FireEffect(1 + n % 30);
    return firings;
  };
  const auto original = run(Rendition::kOriginal);
  const auto fullBand = run(Rendition::kFullBand);
  ASSERT_EQ(original.size(), fullBand.size());
  for (size_t k = 0; k < original.size(); ++k) {
    EXPECT_EQ(original[k].effectIndex, fullBand[k].effectIndex) << k;
    EXPECT_EQ(original[k].pan, fullBand[k].pan) << k;
    EXPECT_EQ(original[k].volume, fullBand[k].volume) << k;
    EXPECT_EQ(original[k].frequency, fullBand[k].frequency) << k;
  }
}

TEST_F(SoundscapeTest, AFiringOnAPlayingBufferNeitherStopsNorRewindsIt) {
  core.FireEffect(4);  // "Loon cry", 7782 frames at 11025 Hz
  auto* device = outputs.current();
  ASSERT_NE(device, nullptr);
  const size_t soundFrames = 7782ull * 48000 / 11025;
  std::vector<float> block(2 * soundFrames);
  device->Render(block.data(), soundFrames / 2);
  ASSERT_TRUE(state.scheduler.effectBuffer[4]->IsPlaying());
  core.FireEffect(4);
  device->Render(block.data(), soundFrames / 2 + 200);
  EXPECT_FALSE(state.scheduler.effectBuffer[4]->IsPlaying())
      << "a restart would still be playing half the sound";
  ASSERT_EQ(firings.size(), 2u);
  EXPECT_EQ(firings[1].pan, 10000);
}

TEST(DrawIntervalTest, RejectsOutOfWindowValuesAndCoversTheWindowEvenly) {
  // Drives DrawInterval once for each 15-bit value r by seeding the generator so that
  // its next value is r (214013 is odd, so it has an inverse modulo 2^32).
  uint32_t inverse = 1;
  for (int k = 0; k < 5; ++k) inverse *= 2 - 214013u * inverse;
  ASSERT_EQ(inverse * 214013u, 1u);

  ProcessState state;
  FakePanel panel;
  FakeTimer timer;
  FakeSettings settings;
  OfflineOutputFactory outputs;
  Soundscape core{state, panel, timer, outputs, settings};
  struct Window {
    int level, base, span;
  };
  for (Window w : {Window{4, 5, 10}, Window{3, 15, 105}, Window{2, 120, 180}}) {
    std::map<int, int> histogram;
    int accepted = 0;
    int previous = 0;
    for (uint32_t r = 0; r < 32768; ++r) {
      const uint32_t seed = ((r << 16) - 2531011u) * inverse;
      core.SeedRandom(seed);
      const int result = core.DrawInterval(w.level);
      const uint32_t afterOneDraw = seed * 214013u + 2531011u;
      if (state.scheduler.random.state() != afterOneDraw) continue;  // r was rejected
      ++accepted;
      ++histogram[result];
      EXPECT_GE(result, previous) << "r=" << r;
      previous = result;
    }
    EXPECT_EQ(accepted, 32000) << "r = 0 and every r above 32000 are drawn again";
    EXPECT_EQ(histogram.begin()->first, w.base);
    EXPECT_EQ(histogram.rbegin()->first, w.base + w.span);
    EXPECT_EQ(histogram[w.base + w.span], 1) << "the top value comes from r = 32000 alone";
    for (int v = w.base; v < w.base + w.span; ++v) {
      EXPECT_NEAR(histogram[v], 32000.0 / w.span, 1.5) << "level " << w.level << " value " << v;
    }
  }
}

TEST(Random15Test, MatchesTheKnownSequenceOfThisGenerator) {
  Random15 random;
  random.Seed(1);
  const std::array<int, 10> expected = {41,    18467, 6334,  26500, 19169,
                                        15724, 11478, 29358, 26962, 24464};
  for (int value : expected) EXPECT_EQ(random.Next(), value);
}

TEST_F(SoundscapeTest, TheSameSeedGivesTheSameFirings) {
  auto run = [&](uint32_t seed) {
    firings.clear();
    state.scheduler.tickCount = 0;
    core.OnClearAll();
    core.SeedRandom(seed);
    panel.controls.m_dynamicRandom = 1;
    core.OnDynamicRandom();
    for (int i : {1, 4, 13, 14, 29}) MoveSlider(i, 4);
    RunTicks(600);
    return firings;
  };
  const auto a = run(777);
  const auto b = run(777);
  const auto c = run(778);
  ASSERT_GT(a.size(), 100u);
  ASSERT_EQ(a.size(), b.size());
  for (size_t k = 0; k < a.size(); ++k) {
    EXPECT_EQ(a[k].tick, b[k].tick);
    EXPECT_EQ(a[k].effectIndex, b[k].effectIndex);
    EXPECT_EQ(a[k].volume, b[k].volume);
    EXPECT_EQ(a[k].frequency, b[k].frequency);
  }
  bool differs = a.size() != c.size();
  for (size_t k = 0; !differs && k < a.size(); ++k) differs = a[k].tick != c[k].tick;
  EXPECT_TRUE(differs);
}

// ------------------------------------------------------------------ mixer controls

TEST_F(SoundscapeTest, SliderSetsLevelMarksAndPreviewsUnlessNever) {
  state.scheduler.nextFireTick[9] = 500;
  MoveSlider(9, 3);
  EXPECT_EQ(state.scheduler.frequencyLevel[9], 3);
  EXPECT_EQ(state.scheduler.nextFireTick[9], kRescheduleMarker) << "pending tick dropped";
  ASSERT_NE(state.mixer.previewBuffer, nullptr);
  EXPECT_TRUE(state.mixer.previewBuffer->IsPlaying());
  EXPECT_EQ(state.mixer.previewBuffer->GetPan(), 0);
  EXPECT_EQ(state.scheduler.effectBuffer[9], nullptr) << "a preview never uses the effect buffer";

  SoundBuffer* preview = state.mixer.previewBuffer.get();
  MoveSlider(9, 1);  // "Never": no preview, the sounding one is left alone
  EXPECT_EQ(state.mixer.previewBuffer.get(), preview);
  EXPECT_EQ(state.scheduler.frequencyLevel[9], 1);

  // Dragging changes nothing until release; release (code 4) sets and previews.
  panel.sliders[12] = 4;
  core.OnMixerScroll(5, 4, SoundCatalogue::Effect(12)->sliderId);
  EXPECT_EQ(state.scheduler.frequencyLevel[12], 0);
  core.OnMixerScroll(4, 4, SoundCatalogue::Effect(12)->sliderId);
  EXPECT_EQ(state.scheduler.frequencyLevel[12], 4);
  EXPECT_EQ(timer.period, 10u);
}

TEST_F(SoundscapeTest, HomeAndEndOnASliderSetTheLevelLikeAClick) {
  panel.sliders[21] = 4;
  core.OnMixerScroll(7, 0, 1049);  // the slider in the "Pan flute" row: effect 21
  EXPECT_EQ(state.scheduler.frequencyLevel[21], 4);
  EXPECT_EQ(state.scheduler.nextFireTick[21], kRescheduleMarker);
  EXPECT_NE(state.mixer.previewBuffer, nullptr);
  panel.sliders[21] = 1;
  core.OnMixerScroll(6, 0, 1049);
  EXPECT_EQ(state.scheduler.frequencyLevel[21], 1);
}

TEST_F(SoundscapeTest, VolumeBarsStepWithinOneToTenAndFollowTheThumb) {
  core.OnMixerScroll(1, 0, ids::kRandomVolumeBar);
  core.OnMixerScroll(3, 0, ids::kRandomVolumeBar);
  EXPECT_EQ(state.mixer.randomVolumeStep, 10);
  core.OnMixerScroll(5, 3, ids::kRandomVolumeBar);
  EXPECT_EQ(state.mixer.randomVolumeStep, 3);
  EXPECT_EQ(panel.randomBar, 3);
  EXPECT_EQ(timer.period, 1000u);
  for (int k = 0; k < 5; ++k) core.OnMixerScroll(2, 0, ids::kRandomVolumeBar);
  EXPECT_EQ(state.mixer.randomVolumeStep, 1);

  ClickBox(3, true);
  core.OnMixerScroll(4, 7, ids::kBackgroundVolumeBar);
  EXPECT_EQ(Slot(1)->GetVolume(), -750);
  EXPECT_EQ(StepToAttenuation(1), -2250);
}

TEST_F(SoundscapeTest, ClearAllResetsTheSoundscapeAndLeavesPreviewTicksAndTimerAlone) {
  ClickBox(0, true);
  ClickBox(3, true);
  MoveSlider(2, 4);
  RunTicks(30);
  core.OnMixerScroll(4, 4, ids::kRandomVolumeBar);
  panel.controls.m_dynamicRandom = 1;
  core.OnDynamicRandom();
  MoveSlider(8, 3);
  const double ticks = state.scheduler.tickCount;
  SoundBuffer* preview = state.mixer.previewBuffer.get();
  const bool timerRunning = timer.running;
  panel.title = "Lullwood v2.2 - /tmp/x.lwd";

  core.OnClearAll();
  EXPECT_EQ(panel.title, "Lullwood v2.2");
  for (int i = 0; i < kEffectTableSize; ++i) {
    EXPECT_EQ(state.scheduler.frequencyLevel[i], 0);
    EXPECT_EQ(state.scheduler.nextFireTick[i], 0.0);
    EXPECT_EQ(state.scheduler.effectBuffer[i], nullptr);
  }
  for (int i = 1; i <= kEffectCount; ++i) EXPECT_EQ(panel.sliders[i], 1);
  EXPECT_EQ(PlayingBackgrounds(), 0);
  for (int b = 0; b < kBackgroundCount; ++b) EXPECT_EQ(panel.controls.m_backgroundOn[b], 0);
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 10);
  EXPECT_EQ(state.mixer.randomVolumeStep, 10);
  EXPECT_EQ(panel.randomBar, 10);
  EXPECT_FALSE(state.mixer.dynamicRandom);
  EXPECT_EQ(panel.controls.m_dynamicRandom, 0);
  EXPECT_EQ(settings.values["DYNAMIC"], "Y") << "the store keeps what was last written";
  EXPECT_EQ(state.scheduler.tickCount, ticks);
  EXPECT_EQ(state.mixer.previewBuffer.get(), preview);
  EXPECT_EQ(timer.running, timerRunning);
}

// Those who show the soundscape outside the window hear from the core what changed: Mute
// and a Play that claims the device, the Scenario the title names, and nothing once
// their subscription has ended, even when the core goes first.
TEST_F(SoundscapeTest, SubscribersAreToldOfThePlayStateAndTheScenarioUntilTheyLeave) {
  std::vector<Change> told;
  Subscription subscription = core.Subscribe([&](Change c) { told.push_back(c); });
  EXPECT_EQ(core.scenarioPath(), std::nullopt);
  core.OnMute();
  core.OnMute();  // already muted: nothing changes, nothing is told
  EXPECT_EQ(told, std::vector<Change>{Change::kPlayState});
  outputs.SetFailing(true);
  core.OnPlay();  // cannot claim the device: still muted
  EXPECT_EQ(told.size(), 1u);
  outputs.SetFailing(false);
  core.OnPlay();
  EXPECT_EQ(told.back(), Change::kPlayState);
  EXPECT_FALSE(state.audioDevice.muted);

  told.clear();
  core.ShowScenarioTitle("/home/me/night.lwd");
  EXPECT_EQ(panel.title, "Lullwood v2.2 - /home/me/night.lwd");
  EXPECT_EQ(core.scenarioPath(), "/home/me/night.lwd");
  core.OnClearAll();
  EXPECT_EQ(panel.title, "Lullwood v2.2");
  EXPECT_EQ(core.scenarioPath(), std::nullopt);
  EXPECT_EQ(told, (std::vector<Change>{Change::kScenario, Change::kScenario}));

  // Moved, the subscription goes on; ended, it hears nothing more.
  Subscription moved = std::move(subscription);
  core.OnMute();
  EXPECT_EQ(told.back(), Change::kPlayState);
  const size_t heard = told.size();
  moved.End();
  core.OnPlay();
  EXPECT_EQ(told.size(), heard);

  // A subscription that outlives its soundscape ends quietly.
  Subscription longer;
  {
    ProcessState otherState;
    Soundscape other(otherState, panel, timer, outputs, settings);
    longer = other.Subscribe([&](Change c) { told.push_back(c); });
  }
  longer.End();
  EXPECT_EQ(told.size(), heard);
}

TEST_F(SoundscapeTest, AFailedSettingsWriteIsReportedAndTheSwitchKeepsItsState) {
  settings.failWrites = true;
  panel.controls.m_dynamicRandom = 1;
  core.OnDynamicRandom();
  EXPECT_TRUE(state.mixer.dynamicRandom);
  ASSERT_EQ(panel.messages.size(), 1u);
  EXPECT_EQ(panel.messages[0], "*ERROR* Could not write to registry.");
}

// ------------------------------------------------------------------ Mute and Play

TEST_F(SoundscapeTest, MuteReleasesEverythingThenTheDeviceAndFreezesTheSchedule) {
  ClickBox(0, true);
  MoveSlider(5, 4);
  RunTicks(40);
  ASSERT_NE(state.scheduler.effectBuffer[5], nullptr);
  const auto levels = state.scheduler.frequencyLevel;
  const auto fireTicks = state.scheduler.nextFireTick;
  const double ticks = state.scheduler.tickCount;

  core.OnMute();
  EXPECT_TRUE(state.audioDevice.muted);
  EXPECT_EQ(state.audioDevice.directSound, nullptr);
  EXPECT_EQ(outputs.current(), nullptr) << "the output is closed";
  EXPECT_TRUE(NoBufferExists());
  EXPECT_FALSE(timer.running);
  EXPECT_EQ(state.scheduler.schedulerTimerId, 0u);
  EXPECT_FALSE(panel.playing);
  EXPECT_FALSE(panel.soundControlsEnabled);
  EXPECT_EQ(panel.controls.m_backgroundOn[0], 1) << "boxes keep their ticks";

  core.OnMute();  // a second Mute does nothing
  core.Tick();    // a stray tick returns at once
  EXPECT_EQ(state.scheduler.tickCount, ticks);
  EXPECT_EQ(state.scheduler.frequencyLevel, levels);
  EXPECT_EQ(state.scheduler.nextFireTick, fireTicks);
}

TEST_F(SoundscapeTest, PlayRestartsTickedBackgroundsInIndexOrderAndResumesTheSchedule) {
  ClickBox(20, true);
  ClickBox(9, true);
  ClickBox(5, true);
  EXPECT_EQ(SlotOf(20), 1);
  core.OnMute();
  core.OnMixerScroll(0, 0, ids::kBackgroundVolumeBar);  // bars work while muted
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 9);
  EXPECT_EQ(timer.period, 1000u);
  core.Tick();
  EXPECT_TRUE(timer.running) << "a muted tick leaves the timer alone";

  const size_t startsBefore = timer.starts.size();
  core.OnPlay();
  EXPECT_FALSE(state.audioDevice.muted);
  EXPECT_NE(state.audioDevice.directSound, nullptr);
  EXPECT_EQ(SlotOf(5), 1);
  EXPECT_EQ(SlotOf(9), 2);
  EXPECT_EQ(SlotOf(20), 3);
  EXPECT_EQ(Slot(1)->GetVolume(), -250);
  EXPECT_TRUE(panel.playing);
  EXPECT_TRUE(panel.soundControlsEnabled);
  EXPECT_EQ(timer.starts.size(), startsBefore) << "the timer was running: not restarted";

  core.OnPlay();  // Play while playing: nothing, no new device
  EXPECT_EQ(SlotOf(5), 1);
}

TEST_F(SoundscapeTest, PlayThatCannotClaimTheDeviceStaysMuted) {
  core.OnMute();
  outputs.SetFailing(true);
  core.OnPlay();
  ASSERT_EQ(panel.messages.size(), 1u);
  EXPECT_EQ(panel.messages[0],
            "*ERROR* DirectX Sound will not initialize.  Wave device may not be available.");
  EXPECT_TRUE(state.audioDevice.muted);
  EXPECT_FALSE(panel.playing);
  EXPECT_FALSE(panel.soundControlsEnabled);
  outputs.SetFailing(false);
  core.OnPlay();
  EXPECT_FALSE(state.audioDevice.muted);
  EXPECT_TRUE(timer.running);
}

TEST_F(SoundscapeTest, ShutdownReleasesEverythingUnlessMuted) {
  ClickBox(0, true);
  MoveSlider(3, 4);
  core.FireEffect(7);
  ASSERT_NE(state.scheduler.effectBuffer[7], nullptr);
  core.ReleaseForShutdown();
  EXPECT_TRUE(NoBufferExists());
  EXPECT_EQ(state.audioDevice.directSound, nullptr);
  EXPECT_EQ(outputs.current(), nullptr) << "the output is closed";

  // Muted, shutdown touches nothing: Mute has released it all already. Shown with a
  // device and a background buffer put back on purpose, which a release would drop.
  ProcessState muted;
  OfflineOutputFactory mutedOutputs;
  Soundscape other{muted, panel, timer, mutedOutputs, settings};
  ASSERT_TRUE(other.ClaimDevice());
  muted.backgrounds.slot[0] = CreateBufferFromResource(muted.audioDevice.directSound.get(), "RAIN");
  ASSERT_NE(muted.backgrounds.slot[0], nullptr);
  muted.audioDevice.muted = true;
  other.ReleaseForShutdown();
  EXPECT_NE(muted.backgrounds.slot[0], nullptr);
  EXPECT_NE(muted.audioDevice.directSound, nullptr);
  EXPECT_NE(mutedOutputs.current(), nullptr);
  muted.audioDevice.muted = false;
  other.ReleaseForShutdown();
  EXPECT_EQ(mutedOutputs.current(), nullptr);
}

TEST_F(SoundscapeTest, PlayWithTheTimerStoppedRestartsItAtTenMilliseconds) {
  RunTicks(3);
  ASSERT_EQ(timer.period, 1000u);
  core.OnMute();
  ASSERT_FALSE(timer.running);
  ASSERT_EQ(state.scheduler.schedulerTimerId, 0u);
  const size_t startsBefore = timer.starts.size();
  core.OnPlay();
  ASSERT_EQ(timer.starts.size(), startsBefore + 1);
  EXPECT_EQ(timer.starts.back(), 10u);
  EXPECT_TRUE(timer.running);
  EXPECT_NE(state.scheduler.schedulerTimerId, 0u);
}

TEST_F(SoundscapeTest, ARandomBarChangeLeavesSoundsAlreadyPlayingUntouched) {
  core.FireEffect(4);
  MoveSlider(9, 3);  // a preview, at the Random volume of step 10
  SoundBuffer* effect = state.scheduler.effectBuffer[4].get();
  SoundBuffer* preview = state.mixer.previewBuffer.get();
  ASSERT_TRUE(effect && preview);
  ASSERT_EQ(effect->GetVolume(), 0);
  ASSERT_EQ(preview->GetVolume(), 0);

  core.OnMixerScroll(0, 0, ids::kRandomVolumeBar);  // step 9
  core.OnMixerScroll(4, 3, ids::kRandomVolumeBar);  // step 3
  ASSERT_EQ(state.mixer.randomVolumeStep, 3);
  EXPECT_EQ(effect->GetVolume(), 0);
  EXPECT_EQ(preview->GetVolume(), 0);
  EXPECT_TRUE(effect->IsPlaying());
  EXPECT_EQ(state.mixer.previewBuffer.get(), preview) << "no new preview";

  firings.clear();
  core.FireEffect(4);
  ASSERT_EQ(firings.size(), 1u);
  EXPECT_EQ(firings[0].volume, -1750) << "the next firing takes the new step";
}

TEST_F(SoundscapeTest, ATrackbarsEndOfTrackCodeAloneChangesNothing) {
  const int id = SoundCatalogue::Effect(11)->sliderId;
  state.scheduler.frequencyLevel[11] = 2;
  state.scheduler.nextFireTick[11] = 77;
  panel.sliders[11] = 4;  // where a drag left the thumb
  for (const unsigned code : {8u, 5u}) {
    core.OnMixerScroll(code, 4, id);
    EXPECT_EQ(state.scheduler.frequencyLevel[11], 2) << code;
    EXPECT_EQ(state.scheduler.nextFireTick[11], 77) << code;
    EXPECT_EQ(state.mixer.previewBuffer, nullptr) << code;
    EXPECT_EQ(timer.starts.back(), 10u) << code;
  }
}

TEST_F(SoundscapeTest, AFailedEffectLoadRetriesAtTheNextFiringWithoutAdvancingThePan) {
  core.FireEffect(2);  // pan step 0 -> 1
  ASSERT_EQ(state.scheduler.effectPanStep, 1);
  firings.clear();
  // No device: nothing can be loaded.
  ReleaseSoundBuffer(state.scheduler.effectBuffer[2]);
  ReleaseDevice(state.audioDevice);
  state.scheduler.tickCount = 49;
  state.scheduler.frequencyLevel[5] = 4;
  state.scheduler.nextFireTick[5] = 50;
  core.Tick();
  EXPECT_TRUE(firings.empty());
  EXPECT_EQ(state.scheduler.effectBuffer[5], nullptr);
  EXPECT_EQ(state.scheduler.effectPanStep, 1) << "a firing that plays nothing takes no pan";
  const double next = state.scheduler.nextFireTick[5];
  EXPECT_GE(next, 55);
  EXPECT_LE(next, 65) << "the schedule goes on";

  ASSERT_TRUE(core.ClaimDevice());
  while (firings.empty() && state.scheduler.tickCount < next) core.Tick();
  ASSERT_EQ(firings.size(), 1u) << "the next firing loads the sound";
  EXPECT_EQ(firings[0].tick, next);
  EXPECT_EQ(firings[0].effectIndex, 5);
  EXPECT_EQ(firings[0].pan, 10000) << "pan step 1";
  EXPECT_NE(state.scheduler.effectBuffer[5], nullptr);
  EXPECT_EQ(state.scheduler.effectPanStep, 2);
}

}  // namespace
}  // namespace lullwood
