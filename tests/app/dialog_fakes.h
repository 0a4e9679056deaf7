// Fakes for the main window's tests: a settings store in memory and a dialog that
// records what its controls reach and answers message boxes itself.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QAbstractButton>
#include <QTest>

#include "FakePorts.h"
#include "MainDialog.h"
#include "OfflineOutput.h"

namespace lullwood::testing {

// A left click near the start of the button, where a check box's caption always is
// (a check box answers clicks on its box and caption only).
inline void ClickOn(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

class MemorySettingsStore : public SettingsStore {
 public:
  std::optional<std::string> Read(std::string_view name) override {
    reads.emplace_back(name);
    if (onRead) onRead(name);
    const auto it = values.find(std::string(name));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  bool Write(std::string_view name, std::string_view text) override {
    values[std::string(name)] = std::string(text);
    return true;
  }

  std::map<std::string, std::string> values;
  std::vector<std::string> reads;
  std::function<void(std::string_view)> onRead;
};

// The offline output, with a look at the world each time the device is claimed.
class WatchedOutputs : public AudioOutputFactory {
 public:
  std::unique_ptr<SoundDevice> OpenDefaultOutput() override {
    ++attempts;
    if (onOpen) onOpen();
    return offline.OpenDefaultOutput();
  }

  OfflineOutputFactory offline;
  int attempts = 0;
  std::function<void()> onOpen;
};

struct ScrollCall {
  unsigned code;
  unsigned position;
  int controlId;
  bool operator==(const ScrollCall&) const = default;
};

class WatchedDialog : public CMainDialog {
 public:
  WatchedDialog(ProcessState& state, AudioOutputFactory& outputs, SettingsStore& settings)
      : CMainDialog(state, outputs, settings) {}

  void OnBackgroundClicked(int b) override {
    Record("OnBackgroundClicked(" + std::to_string(b) + ")");
  }
  void OnMixerScroll(unsigned code, unsigned position, int controlId) override {
    scrolls.push_back({code, position, controlId});
    if (forward) CMainDialog::OnMixerScroll(code, position, controlId);
  }
  void OnMute() override {
    Record("OnMute");
    if (forward) CMainDialog::OnMute();
  }
  void OnPlay() override {
    Record("OnPlay");
    if (forward) CMainDialog::OnPlay();
  }
  void OnClearAll() override { Record("OnClearAll"); }
  void OnDynamicRandom() override { Record("OnDynamicRandom"); }
  void OnAutoStart() override { Record("OnAutoStart"); }
  void OnBrowseScenario() override { Record("OnBrowseScenario"); }
  void OnScenarioFileChange() override { Record("OnScenarioFileChange"); }
  void OnBoostPriority() override { Record("OnBoostPriority"); }
  void OnAutoHide() override { Record("OnAutoHide"); }
  void OnHide() override { Record("OnHide"); }

  MessageAnswer ShowMessage(std::string_view text, MessageButtons buttons) override {
    messages.emplace_back(text);
    messageButtons.push_back(buttons);
    return answer ? answer(text) : MessageAnswer::kOk;
  }

  PriorityControl& Priority() override { return priority; }

  void Record(std::string call) { calls.push_back(std::move(call)); }

  CountingPriority priority;

  std::vector<std::string> calls;
  std::vector<ScrollCall> scrolls;
  std::vector<std::string> messages;
  std::vector<MessageButtons> messageButtons;
  std::function<MessageAnswer(std::string_view)> answer;
  bool forward = false;  // pass Mute, Play and scrolls on to the rules
};

}  // namespace lullwood::testing
