// The ports of the soundscape's rules for a run without a window: values and control
// states are kept in memory, messages go to a text stream, the timer only records.
#pragma once

#include <array>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "Ports.h"

namespace lullwood::render {

class HeadlessPanel : public Panel {
 public:
  // Messages are written to `messages`, one a line, each prefixed with `prefix`.
  HeadlessPanel(std::ostream& messages, std::string prefix);

  DialogValues& Values() override { return values_; }
  // The controls are a second copy of the values, as a window's widgets would be.
  void ExchangeControlData(ExchangeDirection direction) override;
  // OK boxes are answered OK; a Yes/No question is declined, so none can repeat forever.
  MessageAnswer ShowMessage(std::string_view text, MessageButtons buttons) override;
  void SetTitle(std::string_view title) override { title_ = title; }
  int SliderPosition(int effectIndex) override;
  void SetSliderPosition(int effectIndex, int position) override;
  void SetBackgroundVolumeBar(int position) override { backgroundBar_ = position; }
  void SetRandomVolumeBar(int position) override { randomBar_ = position; }
  void EnableSoundControls(bool) override {}
  void ShowPlayState(bool) override {}
  void HideWindow() override {}
  void FocusMainWindow() override {}

  const DialogValues& Controls() const { return controls_; }
  const std::string& Title() const { return title_; }
  int MessageCount() const { return messageCount_; }
  int BackgroundBar() const { return backgroundBar_; }
  int RandomBar() const { return randomBar_; }

 private:
  std::ostream& messages_;
  std::string prefix_;
  DialogValues values_;
  DialogValues controls_;
  std::array<int, kEffectTableSize> sliders_;
  int backgroundBar_ = 10;
  int randomBar_ = 10;
  int messageCount_ = 0;
  std::string title_;
};

// Timer 1 without a clock: the caller decides when ticks happen.
class RecordingTimer : public TimerPort {
 public:
  unsigned Start(unsigned periodMs) override;
  void Stop() override { running_ = false; }
  bool Running() const { return running_; }
  unsigned Period() const { return periodMs_; }

 private:
  bool running_ = false;
  unsigned periodMs_ = 0;
};

// A settings store that lives as long as the run and touches no file.
class MemorySettings : public SettingsStore {
 public:
  std::optional<std::string> Read(std::string_view name) override;
  bool Write(std::string_view name, std::string_view text) override;

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

}  // namespace lullwood::render
