#include "Soundscape.h"

#include <algorithm>
#include <cmath>

#include "ControlIds.h"

namespace lullwood {
namespace {

// The shared stereo cycle of effect firings: left, right, centre, left, right.
constexpr std::array<int32_t, 5> kEffectPanCycle = {kPanLeft, kPanRight, 0, kPanLeft, kPanRight};

// Pans of background slots 1, 2 and 3 at each step of the background cycle.
constexpr std::array<std::array<int32_t, kSlotCount>, 4> kBackgroundPanCycle = {{
    {0, -500, 500},
    {0, 0, 0},
    {0, 500, -500},
    {0, 0, 0},
}};

// 1/32000: the draws scale a 15-bit value with it and reject what lands
// outside.
constexpr double kDrawScale = 0.00003125;

bool IsPitchVaried(int effectIndex) {
  switch (effectIndex) {
    case 1:
    case 2:
    case 3:
    case 6:
    case 10:
    case 11:
    case 13:
    case 14:
    case 19:
    case 21:
    case 22:
    case 25:
    case 26:
    case 29:
      return true;
    default:
      return false;
  }
}

// Levels 2..4 have a draw window; every other level leaves an effect idle.
bool HasDrawWindow(int32_t level) {
  return level >= 2 && level <= 4;
}

}  // namespace

Soundscape::Soundscape(ProcessState& state, Panel& panel, TimerPort& timer,
                       AudioOutputFactory& outputs, SettingsStore& settings)
    : state_(state), panel_(panel), timer_(timer), outputs_(outputs), settings_(settings) {}

// ---------------------------------------------------------------- background
// layer

void Soundscape::OnBackgroundClicked(int backgroundIndex) {
  const BackgroundSound* row = SoundCatalogue::Background(backgroundIndex);
  if (!row) return;
  DialogValues& values = panel_.Values();
  panel_.ExchangeControlData(ExchangeDirection::kFromControls);
  const bool accepted =
      ToggleBackground(row->resourceName, values.m_backgroundOn[backgroundIndex] != 0,
                       state_.backgrounds.slotNumber[backgroundIndex]);
  if (!accepted) {
    panel_.ShowMessage(kFourthBackgroundMessage, MessageButtons::kOk);
    values.m_backgroundOn[backgroundIndex] = 0;
    panel_.ExchangeControlData(ExchangeDirection::kToControls);
  }
}

bool Soundscape::ToggleBackground(std::string_view resourceName, bool wantOn, int& slotNumber) {
  auto& slots = state_.backgrounds.slot;
  if (wantOn) {
    auto empty = std::find(slots.begin(), slots.end(), nullptr);
    if (empty == slots.end()) {
      slotNumber = 0;
      return false;
    }
    *empty = CreateBufferFromResource(state_.audioDevice.directSound.get(), resourceName);
    if (*empty) {
      // The volume first: the audio thread may render the buffer the moment it plays.
      (*empty)->SetVolume(StepToAttenuation(state_.mixer.backgroundVolumeStep));
      (*empty)->Play(/*looping=*/true);
      slotNumber = static_cast<int>(empty - slots.begin()) + 1;
    }
    return true;
  }
  if (slotNumber >= 1 && slotNumber <= kSlotCount && slots[slotNumber - 1]) {
    ReleaseSoundBuffer(slots[slotNumber - 1]);
    slotNumber = 0;
  }
  return true;
}

void Soundscape::ReleaseAllSlots() {
  for (auto& slot : state_.backgrounds.slot) ReleaseSoundBuffer(slot);
  state_.backgrounds.slotNumber.fill(0);
}

// ---------------------------------------------------------------- scheduler

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
  for (int i = 0; i < kEffectTableSize; ++i) {
    if (muted) return;
    double& fireTick = s.nextFireTick[i];
    if (fireTick < s.tickCount) continue;
    if (fireTick == s.tickCount) {
      FireEffect(i);
      fireTick = kRescheduleMarker;
    }
    if (fireTick > kTickWrap + 1) {
      // A level without a draw window (only 1 from the sliders; anything else
      // read from elsewhere) leaves the effect idle, so the draw can never
      // spin.
      if (!HasDrawWindow(s.frequencyLevel[i])) {
        fireTick = 0.0;
      } else {
        fireTick = DrawInterval(s.frequencyLevel[i]) + s.tickCount;
        if (fireTick > kTickWrap) fireTick -= kTickWrap;
      }
    }
  }
  if (muted) return;
  StartTimer(1000);
}

void Soundscape::StepBackgroundPan() {
  int& step = state_.scheduler.backgroundPanStep;
  const auto& pans = kBackgroundPanCycle[step];
  for (int k = 0; k < kSlotCount; ++k) {
    if (state_.backgrounds.slot[k]) state_.backgrounds.slot[k]->SetPan(pans[k]);
  }
  step = (step + 1) % static_cast<int>(kBackgroundPanCycle.size());
}

void Soundscape::FireEffect(int effectIndex) {
  if (effectIndex < 0 || effectIndex >= kEffectTableSize) return;
  RandomScheduler& s = state_.scheduler;
  std::unique_ptr<SoundBuffer>& buffer = s.effectBuffer[effectIndex];
  if (!buffer) {
    const RandomEffect* row = SoundCatalogue::Effect(effectIndex);
    if (!row) return;  // entry 0 has no sound
    buffer = CreateBufferFromResource(state_.audioDevice.directSound.get(), row->resourceName);
    if (!buffer) return;
    s.baseFrequency[effectIndex] = buffer->GetFrequency();
  }

  buffer->SetPan(kEffectPanCycle[s.effectPanStep]);
  s.effectPanStep = (s.effectPanStep + 1) % static_cast<int>(kEffectPanCycle.size());

  const int32_t randomVolume = StepToAttenuation(state_.mixer.randomVolumeStep);
  if (state_.mixer.dynamicRandom) {
    if (IsPitchVaried(effectIndex)) {
      const int r = s.random.Next();
      const int64_t offset = (r % 2 == 1) ? static_cast<int64_t>(r * kDrawScale * 2000)
                                          : -static_cast<int64_t>(r * kDrawScale * 1500);
      buffer->SetFrequency(static_cast<uint32_t>(s.baseFrequency[effectIndex] + offset));
    }
    const int r2 = s.random.Next();
    const double v = -(r2 * kDrawScale * 2000);
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
  int base = 0;
  int span = 0;
  switch (level) {
    case 4:
      base = 5, span = 10;
      break;
    case 3:
      base = 15, span = 105;
      break;
    case 2:
      base = 120, span = 180;
      break;
    default:
      return 0;
  }
  for (;;) {
    const int r = state_.scheduler.random.Next();
    const double x = r * kDrawScale * span + base;
    if (base < x && x <= base + span) return static_cast<int>(x);
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
  state_.scheduler.frequencyLevel.fill(0);
  state_.scheduler.nextFireTick.fill(0.0);
}

void Soundscape::SeedRandom(uint32_t seed) {
  state_.scheduler.random.Seed(seed);
}

// ---------------------------------------------------------------- mixer
// controls

void Soundscape::OnMixerScroll(unsigned code, unsigned position, int controlId) {
  panel_.ExchangeControlData(ExchangeDirection::kFromControls);
  StopTimer();
  const int thumb = std::clamp(static_cast<int>(position), 1, 10);

  if (controlId == ids::kRandomVolumeBar) {
    if (code == 1 || code == 3) StepRandomVolume(+1);
    if (code == 0 || code == 2) StepRandomVolume(-1);
    if (code == 4 || code == 5) {
      state_.mixer.randomVolumeStep = thumb;
      panel_.SetRandomVolumeBar(thumb);
    }
    StartTimer(1000);
    return;
  }
  if (controlId == ids::kBackgroundVolumeBar) {
    if (code == 1 || code == 3) StepBackgroundVolume(+1);
    if (code == 0 || code == 2) StepBackgroundVolume(-1);
    if (code == 4 || code == 5) {
      state_.mixer.backgroundVolumeStep = thumb;
      panel_.SetBackgroundVolumeBar(thumb);
      ApplyBackgroundVolume();
    }
    StartTimer(1000);
    return;
  }

  // Home and End (codes 6 and 7) move a trackbar to its ends; they set the
  // level like a click does, so the slider never shows a level the effect does
  // not have.
  const bool setsLevel = code <= 4 || code == 6 || code == 7;
  const RandomEffect* row = SoundCatalogue::EffectBySlider(controlId);
  if (setsLevel && row) {
    const int i = row->effectIndex;
    state_.scheduler.nextFireTick[i] = kRescheduleMarker;
    state_.scheduler.frequencyLevel[i] = panel_.SliderPosition(i);
    if (state_.scheduler.frequencyLevel[i] != 1) PreviewEffect(row->resourceName);
  }
  StartTimer(10);
}

void Soundscape::StepBackgroundVolume(int delta) {
  int& step = state_.mixer.backgroundVolumeStep;
  if ((delta == 1 && step < 10) || (delta == -1 && step > 1)) {
    step += delta;
    panel_.SetBackgroundVolumeBar(step);
    ApplyBackgroundVolume();
  }
}

void Soundscape::StepRandomVolume(int delta) {
  int& step = state_.mixer.randomVolumeStep;
  if ((delta == 1 && step < 10) || (delta == -1 && step > 1)) {
    step += delta;
    panel_.SetRandomVolumeBar(step);
  }
}

void Soundscape::ApplyBackgroundVolume() {
  const int32_t volume = StepToAttenuation(state_.mixer.backgroundVolumeStep);
  for (auto& slot : state_.backgrounds.slot) {
    if (slot) slot->SetVolume(volume);
  }
}

void Soundscape::PreviewEffect(std::string_view resourceName) {
  std::unique_ptr<SoundBuffer>& preview = state_.mixer.previewBuffer;
  ReleaseSoundBuffer(preview);
  preview = CreateBufferFromResource(state_.audioDevice.directSound.get(), resourceName);
  if (!preview) return;
  preview->SetVolume(StepToAttenuation(state_.mixer.randomVolumeStep));
  preview->Play(/*looping=*/false);
}

void Soundscape::OnDynamicRandom() {
  panel_.ExchangeControlData(ExchangeDirection::kFromControls);
  state_.mixer.dynamicRandom = panel_.Values().m_dynamicRandom != 0;
  WriteSetting("DYNAMIC", state_.mixer.dynamicRandom ? "Y" : "N");
}

void Soundscape::OnClearAll() {
  DialogValues& values = panel_.Values();
  panel_.ExchangeControlData(ExchangeDirection::kFromControls);
  panel_.SetTitle(kTitle);
  RandomScheduler& s = state_.scheduler;
  for (int i = 0; i < kEffectTableSize; ++i) {
    s.nextFireTick[i] = 0.0;
    s.frequencyLevel[i] = 0;
    ReleaseSoundBuffer(s.effectBuffer[i]);
  }
  for (const RandomEffect& effect : SoundCatalogue::Effects())
    panel_.SetSliderPosition(effect.effectIndex, 1);
  ReleaseAllSlots();
  values.m_backgroundOn.fill(0);
  state_.mixer.backgroundVolumeStep = 10;
  state_.mixer.randomVolumeStep = 10;
  panel_.SetBackgroundVolumeBar(10);
  panel_.SetRandomVolumeBar(10);
  state_.mixer.dynamicRandom = false;
  values.m_dynamicRandom = 0;
  panel_.ExchangeControlData(ExchangeDirection::kToControls);
}

// ---------------------------------------------------------------- Mute and
// Play

bool Soundscape::ClaimDevice() {
  return lullwood::ClaimDevice(state_.audioDevice, outputs_);
}

void Soundscape::OnMute() {
  AudioDevice& device = state_.audioDevice;
  if (device.muted) return;
  device.muted = true;
  StopTimer();
  panel_.ShowPlayState(false);
  ReleaseAllSlots();
  for (auto& buffer : state_.scheduler.effectBuffer) ReleaseSoundBuffer(buffer);
  ReleaseSoundBuffer(state_.mixer.previewBuffer);
  if (device.directSound) ReleaseDevice(device);
  panel_.EnableSoundControls(false);
}

void Soundscape::OnPlay() {
  AudioDevice& device = state_.audioDevice;
  if (!device.muted || device.directSound) return;
  if (!ClaimDevice()) {
    panel_.ShowMessage(kPlayFailedMessage, MessageButtons::kOk);
    return;
  }
  panel_.ShowPlayState(true);
  device.muted = false;
  for (const BackgroundSound& row : SoundCatalogue::Backgrounds()) {
    if (panel_.Values().m_backgroundOn[row.backgroundIndex] == 1)
      OnBackgroundClicked(row.backgroundIndex);
  }
  panel_.FocusMainWindow();
  if (state_.scheduler.schedulerTimerId == 0) StartTimer(10);
  panel_.EnableSoundControls(true);
}

void Soundscape::ReleaseForShutdown() {
  AudioDevice& device = state_.audioDevice;
  if (device.muted) return;
  for (auto& slot : state_.backgrounds.slot) ReleaseSoundBuffer(slot);
  for (auto& buffer : state_.scheduler.effectBuffer) ReleaseSoundBuffer(buffer);
  // No buffer may outlive the device it plays on, so a preview still sounding
  // goes too.
  ReleaseSoundBuffer(state_.mixer.previewBuffer);
  ReleaseDevice(device);
}

std::optional<std::string> Soundscape::ReadSetting(std::string_view name) {
  return settings_.Read(name);
}

void Soundscape::WriteSetting(std::string_view name, std::string_view text) {
  if (!settings_.Write(name, text)) panel_.ShowMessage(kRegistryWriteMessage, MessageButtons::kOk);
}

void Soundscape::SetFiringObserver(std::function<void(const Firing&)> observer) {
  firingObserver_ = std::move(observer);
}

}  // namespace lullwood
