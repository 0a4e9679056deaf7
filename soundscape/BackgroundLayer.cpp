// The background layer: up to three looping backgrounds in slots 1..3, and the swing of
// slots 2 and 3 between opposite sides while slot 2 holds a sound.
#include <algorithm>

#include "Soundscape.h"

namespace lullwood {
namespace {

// Pans of background slots 1, 2 and 3 at each step of the background cycle.
constexpr std::array<std::array<int32_t, kSlotCount>, 4> kBackgroundPanCycle = {{
    {0, -500, 500},
    {0, 0, 0},
    {0, 500, -500},
    {0, 0, 0},
}};

}  // namespace

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
    *empty = CreateBufferFromResource(state_.audioDevice.directSound.get(), resourceName,
                                      state_.mixer.rendition);
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

void Soundscape::StepBackgroundPan() {
  int& step = state_.scheduler.backgroundPanStep;
  const auto& pans = kBackgroundPanCycle[step];
  for (int k = 0; k < kSlotCount; ++k) {
    if (state_.backgrounds.slot[k]) state_.backgrounds.slot[k]->SetPan(pans[k]);
  }
  step = (step + 1) % static_cast<int>(kBackgroundPanCycle.size());
}

}  // namespace lullwood
