// Test doubles for the ports the soundscape's rules talk through.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Ports.h"

namespace lullwood::testing {

// A main window without widgets: `controls` stands for what the controls show, and
// ExchangeControlData moves values between it and `values`, as the real window does.
class FakePanel : public Panel {
 public:
  DialogValues values;
  DialogValues controls;
  std::array<int, kEffectTableSize> sliders{};  // by effect index; 1..4
  int backgroundBar = 10;
  int randomBar = 10;
  bool soundControlsEnabled = true;
  bool playing = true;
  bool shown = true;
  int hideCount = 0;
  int focusCount = 0;
  std::string title = "Quillor Lullwood";
  std::vector<std::string> messages;
  MessageAnswer answer = MessageAnswer::kOk;

  FakePanel() { sliders.fill(1); }

  DialogValues& Values() override { return values; }
  void ExchangeControlData(ExchangeDirection direction) override {
    if (direction == ExchangeDirection::kToControls) {
      controls = values;
    } else {
      values = controls;
    }
  }
  MessageAnswer ShowMessage(std::string_view text, MessageButtons) override {
    messages.emplace_back(text);
    return answer;
  }
  void SetTitle(std::string_view text) override { title = text; }
  int SliderPosition(int effectIndex) override { return sliders[effectIndex]; }
  void SetSliderPosition(int effectIndex, int position) override {
    sliders[effectIndex] = position;
  }
  void SetBackgroundVolumeBar(int position) override { backgroundBar = position; }
  void SetRandomVolumeBar(int position) override { randomBar = position; }
  void EnableSoundControls(bool enabled) override { soundControlsEnabled = enabled; }
  void ShowPlayState(bool isPlaying) override { playing = isPlaying; }
  void HideWindow() override {
    shown = false;
    ++hideCount;
  }
  void FocusMainWindow() override { ++focusCount; }

  // A click on background box b: the control changes first, then the handler reads it.
  void TickBox(int b, bool on) { controls.m_backgroundOn[b] = on ? 1 : 0; }
};

class FakeTimer : public TimerPort {
 public:
  bool running = false;
  unsigned period = 0;
  std::vector<unsigned> starts;

  unsigned Start(unsigned periodMs) override {
    running = true;
    period = periodMs;
    starts.push_back(periodMs);
    return 1;
  }
  void Stop() override { running = false; }
};

// Settings in memory. Records each name read, in order, and lets a test look at the
// world at each read (`onRead`); `failWrites` makes every write fail as a full disk does.
class FakeSettings : public SettingsStore {
 public:
  std::map<std::string, std::string, std::less<>> values;
  bool failWrites = false;
  std::vector<std::string> reads;
  std::function<void(std::string_view)> onRead;

  std::optional<std::string> Read(std::string_view name) override {
    reads.emplace_back(name);
    if (onRead) onRead(name);
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool Write(std::string_view name, std::string_view text) override {
    if (failWrites) return false;
    values[std::string(name)] = std::string(text);
    return true;
  }
};

// The user-interface thread's priority, counted instead of changed.
class CountingPriority : public PriorityControl {
 public:
  void RaiseToHigh() override { ++raises; }
  void LowerToNormal() override { ++lowers; }
  int raises = 0;
  int lowers = 0;
};

}  // namespace lullwood::testing
