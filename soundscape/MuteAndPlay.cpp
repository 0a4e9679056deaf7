// Mute and Play: releasing every sound and the audio device, and claiming them again.
#include "Soundscape.h"

namespace lullwood {

bool Soundscape::ClaimDevice() {
  return lullwood::ClaimDevice(state_.audioDevice, outputs_);
}

void Soundscape::OnMute() {
  if (takeOverObserver_) takeOverObserver_();
  AudioDevice& device = state_.audioDevice;
  if (device.muted) return;
  device.muted = true;
  StopTimer();
  panel_.ShowPlayState(false);
  Tell(Change::kPlayState);
  ReleaseAllSlots();
  for (auto& buffer : state_.scheduler.effectBuffer) ReleaseSoundBuffer(buffer);
  ReleaseSoundBuffer(state_.mixer.previewBuffer);
  if (device.directSound) ReleaseDevice(device);
  panel_.EnableSoundControls(false);
}

void Soundscape::OnPlay() {
  if (takeOverObserver_) takeOverObserver_();
  AudioDevice& device = state_.audioDevice;
  if (!device.muted || device.directSound) return;
  if (!ClaimDevice()) {
    panel_.ShowMessage(kPlayFailedMessage, MessageButtons::kOk);
    return;
  }
  panel_.ShowPlayState(true);
  device.muted = false;
  Tell(Change::kPlayState);
  for (const BackgroundSound& row : SoundCatalogue::Backgrounds()) {
    if (panel_.Values().m_backgroundOn[row.backgroundIndex] == 1)
      OnBackgroundClicked(row.backgroundIndex);
  }
  panel_.FocusMainWindow();
  if (state_.scheduler.schedulerTimerId == 0) StartTimer(kPromptTickPeriodMs);
  panel_.EnableSoundControls(true);
}

void Soundscape::ReleaseForShutdown() {
  AudioDevice& device = state_.audioDevice;
  if (device.muted) return;
  for (auto& slot : state_.backgrounds.slot) ReleaseSoundBuffer(slot);
  for (auto& buffer : state_.scheduler.effectBuffer) ReleaseSoundBuffer(buffer);
  // No buffer may outlive the device it plays on, so a preview still sounding goes too.
  ReleaseSoundBuffer(state_.mixer.previewBuffer);
  ReleaseDevice(device);
}

}  // namespace lullwood
