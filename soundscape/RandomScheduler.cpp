// The random effect scheduler: the tick, the firing of due effects with the shared pan
// cycle and Dynamic Random, and the draw of each effect's next fire tick.
#include <algorithm>
#include <cmath>

#include "Mixer.h"
#include "Soundscape.h"

namespace lullwood {
namespace {

// The shared stereo cycle of effect firings: left, right, centre, left, right.
constexpr std::array<int32_t, 5> kEffectPanCycle = {kPanLeft, kPanRight, 0, kPanLeft, kPanRight};

// 1/32000: the draws scale a 15-bit value with it and reject what lands outside.
constexpr double kDrawScale = 0.00003125;

// The ticks to the next firing are drawn from (base, base + span]. Levels without a
// window (unset and "Never") leave an effect idle.
struct DrawWindow {
  int base;
  int span;
};
constexpr std::array<DrawWindow, level::kLast + 1> kDrawWindows = {{
    {0, 0},      // unset
    {0, 0},      // Never
    {120, 180},  // Rarely: 120 to 300 ticks
    {15, 105},   // Occasionally: 15 to 120
    {5, 10},     // Frequently: 5 to 15
}};

// The window of a level, or nothing for levels without one (and for any value read from
// elsewhere that is no level), so that a draw can never spin.
const DrawWindow* WindowOf(int32_t level) {
  if (level < 0 || level > level::kLast) return nullptr;
  const DrawWindow& window = kDrawWindows[static_cast<size_t>(level)];
  return window.span > 0 ? &window : nullptr;
}

// Dynamic Random's frequency change: odd draws raise the pitch by up to 2047 Hz, even
// ones lower it by up to 1535 Hz.
int64_t PitchOffset(int r) {
  return (r % 2 == 1) ? static_cast<int64_t>(r * kDrawScale * 2000)
                      : -static_cast<int64_t>(r * kDrawScale * 1500);
}

}  // namespace

void Soundscape::Tick() {
  RandomScheduler& s = state_.scheduler;
  const bool& muted = state_.audioDevice.muted;
  if (muted) return;
  StopTimer();
  if (s.autoHidePending) {
    s.autoHidePending = false;
    panel_.HideWindow();
  }
  s.tickCount += 1;
  if (s.tickCount > kTickWrap) s.tickCount = 1;
  if (muted) return;
  if (state_.backgrounds.slot[1]) StepBackgroundPan();
  // A background turned over to the other rendition lets go of the old one once it has
  // faded out.
  for (auto& slot : state_.backgrounds.slot) {
    if (slot) slot->UseRendition(state_.mixer.rendition);
  }
  for (int i = 0; i < kEffectTableSize; ++i) {
    if (muted) return;
    double& fireTick = s.nextFireTick[i];
    if (fireTick < s.tickCount) continue;
    if (fireTick == s.tickCount) {
      FireEffect(i);
      fireTick = kRescheduleMarker;
    }
    if (fireTick > kTickWrap + 1) {
      if (!WindowOf(s.frequencyLevel[i])) {
        fireTick = 0.0;
      } else {
        fireTick = DrawInterval(s.frequencyLevel[i]) + s.tickCount;
        if (fireTick > kTickWrap) fireTick -= kTickWrap;
      }
    }
  }
  if (muted) return;
  AnnounceNextFiring();
  StartTimer(kTickPeriodMs);
}

void Soundscape::AnnounceNextFiring() {
  SoundDevice* device = state_.audioDevice.directSound.get();
  if (!device) return;
  const RandomScheduler& s = state_.scheduler;
  // Ticks from this one to the nearest that can fire an effect; none when no effect
  // is scheduled. A fire tick past the wrap fires once the count has wrapped.
  double nearest = 0;
  for (int i = 0; i < kEffectTableSize; ++i) {
    const double fireTick = s.nextFireTick[i];
    double ticks = 0;
    if (fireTick > kTickWrap) {
      ticks = 1;  // drawn at the next tick, which may fire it at once
    } else if (fireTick > s.tickCount) {
      ticks = fireTick - s.tickCount;
    } else if (fireTick > 0 && WindowOf(s.frequencyLevel[i])) {
      ticks = fireTick + kTickWrap - s.tickCount;
    } else {
      continue;
    }
    if (nearest == 0 || ticks < nearest) nearest = ticks;
  }
  device->mixer().ExpectStartIn(
      nearest == 0 ? std::chrono::steady_clock::duration::max()
                   : std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double, std::milli>(nearest * kTickPeriodMs)));
}

void Soundscape::FireEffect(int effectIndex) {
  if (effectIndex < 0 || effectIndex >= kEffectTableSize) return;
  RandomScheduler& s = state_.scheduler;
  const RandomEffect* row = SoundCatalogue::Effect(effectIndex);
  if (!row) return;  // entry 0 has no sound
  std::unique_ptr<SoundBuffer>& buffer = s.effectBuffer[effectIndex];
  if (!buffer) {
    buffer = CreateBufferFromResource(state_.audioDevice.directSound.get(), row->resourceName,
                                      state_.mixer.rendition);
    if (!buffer) return;
    s.baseFrequency[effectIndex] = buffer->GetFrequency();
  }

  buffer->SetPan(kEffectPanCycle[s.effectPanStep]);
  s.effectPanStep = (s.effectPanStep + 1) % static_cast<int>(kEffectPanCycle.size());

  const int32_t randomVolume = StepToAttenuation(state_.mixer.randomVolumeStep);
  if (state_.mixer.dynamicRandom) {
    if (row->pitchVaried) {
      const int64_t offset = PitchOffset(s.random.Next());
      buffer->SetFrequency(static_cast<uint32_t>(s.baseFrequency[effectIndex] + offset));
    }
    const double v = -(s.random.Next() * kDrawScale * 2000);
    buffer->SetVolume(static_cast<int32_t>(std::trunc(std::min<double>(randomVolume, v))));
  } else {
    buffer->SetVolume(randomVolume);
  }

  buffer->Play(/*looping=*/false);
  if (firingObserver_) {
    firingObserver_(Firing{s.tickCount, effectIndex, buffer->GetPan(), buffer->GetVolume(),
                           buffer->GetFrequency()});
  }
}

int Soundscape::DrawInterval(int level) {
  const DrawWindow* window = WindowOf(level);
  if (!window) return 0;
  for (;;) {
    const int r = state_.scheduler.random.Next();
    const double x = r * kDrawScale * window->span + window->base;
    if (window->base < x && x <= window->base + window->span) return static_cast<int>(x);
  }
}

void Soundscape::StartTimer(unsigned periodMs) {
  state_.scheduler.schedulerTimerId = timer_.Start(periodMs);
}

void Soundscape::StopTimer() {
  timer_.Stop();
  state_.scheduler.schedulerTimerId = 0;
}

void Soundscape::ResetTables() {
  state_.scheduler.frequencyLevel.fill(level::kUnset);
  state_.scheduler.nextFireTick.fill(0.0);
}

void Soundscape::SeedRandom(uint32_t seed) {
  state_.scheduler.random.Seed(seed);
}

void Soundscape::SetFiringObserver(std::function<void(const Firing&)> observer) {
  firingObserver_ = std::move(observer);
}

}  // namespace lullwood
