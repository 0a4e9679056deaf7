// The mixer controls: the 31 effect sliders with their preview, the two master volume
// bars, Dynamic Random and "Clear all audio settings".
#include <algorithm>

#include "ControlIds.h"
#include "Soundscape.h"

namespace lullwood {
namespace {

bool StepsUp(unsigned code) {
  return code == kLineRight || code == kPageRight;
}
bool StepsDown(unsigned code) {
  return code == kLineLeft || code == kPageLeft;
}
bool MovesThumb(unsigned code) {
  return code == kThumbPosition || code == kThumbTrack;
}

}  // namespace

void Soundscape::OnMixerScroll(unsigned code, unsigned position, int controlId) {
  panel_.ExchangeControlData(ExchangeDirection::kFromControls);
  StopTimer();
  const int thumb = std::clamp(static_cast<int>(position), kMinVolumeStep, kMaxVolumeStep);

  if (controlId == ids::kRandomVolumeBar) {
    if (StepsUp(code)) StepRandomVolume(+1);
    if (StepsDown(code)) StepRandomVolume(-1);
    if (MovesThumb(code)) {
      state_.mixer.randomVolumeStep = thumb;
      panel_.SetRandomVolumeBar(thumb);
    }
    StartTimer(kTickPeriodMs);
    return;
  }
  if (controlId == ids::kBackgroundVolumeBar) {
    if (StepsUp(code)) StepBackgroundVolume(+1);
    if (StepsDown(code)) StepBackgroundVolume(-1);
    if (MovesThumb(code)) {
      state_.mixer.backgroundVolumeStep = thumb;
      panel_.SetBackgroundVolumeBar(thumb);
      ApplyBackgroundVolume();
    }
    StartTimer(kTickPeriodMs);
    return;
  }

  // Home and End move a trackbar to its ends; they set the level like a click does, so
  // the slider never shows a level the effect does not have.
  const bool setsLevel = code <= kThumbPosition || code == kToLeftEnd || code == kToRightEnd;
  const RandomEffect* row = SoundCatalogue::EffectBySlider(controlId);
  if (setsLevel && row) {
    const int i = row->effectIndex;
    state_.scheduler.nextFireTick[i] = kRescheduleMarker;
    state_.scheduler.frequencyLevel[i] = panel_.SliderPosition(i);
    if (state_.scheduler.frequencyLevel[i] != level::kNever) PreviewEffect(row->resourceName);
  }
  StartTimer(kPromptTickPeriodMs);
}

void Soundscape::StepBackgroundVolume(int delta) {
  int& step = state_.mixer.backgroundVolumeStep;
  if ((delta == 1 && step < kMaxVolumeStep) || (delta == -1 && step > kMinVolumeStep)) {
    step += delta;
    panel_.SetBackgroundVolumeBar(step);
    ApplyBackgroundVolume();
  }
}

void Soundscape::StepRandomVolume(int delta) {
  int& step = state_.mixer.randomVolumeStep;
  if ((delta == 1 && step < kMaxVolumeStep) || (delta == -1 && step > kMinVolumeStep)) {
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
  preview = CreateBufferFromResource(state_.audioDevice.directSound.get(), resourceName,
                                     state_.mixer.rendition);
  if (!preview) return;
  preview->SetVolume(StepToAttenuation(state_.mixer.randomVolumeStep));
  preview->Play(/*looping=*/false);
}

void Soundscape::ChooseRendition(Rendition rendition) {
  state_.mixer.rendition = rendition;
  WriteSetting(settings::kFullBand, YesNo(rendition == Rendition::kFullBand));
  for (auto& slot : state_.backgrounds.slot) {
    if (slot) slot->UseRendition(rendition);
  }
  for (auto& effect : state_.scheduler.effectBuffer) {
    if (effect) effect->UseRendition(rendition);
  }
  if (state_.mixer.previewBuffer) state_.mixer.previewBuffer->UseRendition(rendition);
}

void Soundscape::OnDynamicRandom() {
  panel_.ExchangeControlData(ExchangeDirection::kFromControls);
  state_.mixer.dynamicRandom = panel_.Values().m_dynamicRandom != 0;
  WriteSetting(settings::kDynamicRandom, YesNo(state_.mixer.dynamicRandom));
}

void Soundscape::OnClearAll() {
  if (takeOverObserver_) takeOverObserver_();
  DialogValues& values = panel_.Values();
  panel_.ExchangeControlData(ExchangeDirection::kFromControls);
  ShowBareTitle();
  RandomScheduler& s = state_.scheduler;
  for (int i = 0; i < kEffectTableSize; ++i) {
    s.nextFireTick[i] = 0.0;
    s.frequencyLevel[i] = level::kUnset;
    ReleaseSoundBuffer(s.effectBuffer[i]);
  }
  for (const RandomEffect& effect : SoundCatalogue::Effects())
    panel_.SetSliderPosition(effect.effectIndex, level::kNever);
  ReleaseAllSlots();
  values.m_backgroundOn.fill(0);
  state_.mixer.backgroundVolumeStep = kDefaultVolumeStep;
  state_.mixer.randomVolumeStep = kDefaultVolumeStep;
  panel_.SetBackgroundVolumeBar(kDefaultVolumeStep);
  panel_.SetRandomVolumeBar(kDefaultVolumeStep);
  state_.mixer.dynamicRandom = false;
  values.m_dynamicRandom = 0;
  panel_.ExchangeControlData(ExchangeDirection::kToControls);
}

}  // namespace lullwood
