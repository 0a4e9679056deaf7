// Fakes for tests of the whole main window: the offline output watched at each claim,
// and a dialog that records what its controls reach and answers message boxes and file
// dialogs itself.
#pragma once

#include <functional>
#include <optional>
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

// Records, in order, each handler the controls, menus and icon reach ("OnMute",
// "OnBackgroundClicked(3)", "RunAboutBox", "AskOpenFileName", ...) and the scrolls
// apart. With `forward` the handlers then run as the real window's do; without it they
// stop at the record, so a test sees the routing alone.
class WatchedDialog : public CMainDialog {
 public:
  WatchedDialog(ProcessState& state, AudioOutputFactory& outputs, SettingsStore& settings)
      : CMainDialog(state, outputs, settings) {}

  void OnBackgroundClicked(int b) override {
    Record("OnBackgroundClicked(" + std::to_string(b) + ")");
    if (forward) CMainDialog::OnBackgroundClicked(b);
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
  void OnClearAll() override {
    Record("OnClearAll");
    if (forward) CMainDialog::OnClearAll();
  }
  void OnDynamicRandom() override {
    Record("OnDynamicRandom");
    if (forward) CMainDialog::OnDynamicRandom();
  }
  void OnAutoStart() override {
    Record("OnAutoStart");
    if (forward) CMainDialog::OnAutoStart();
  }
  void OnBrowseScenario() override {
    Record("OnBrowseScenario");
    if (forward) CMainDialog::OnBrowseScenario();
  }
  void OnScenarioFileChange() override {
    Record("OnScenarioFileChange");
    if (forward) CMainDialog::OnScenarioFileChange();
  }
  void OnBoostPriority() override {
    Record("OnBoostPriority");
    if (forward) CMainDialog::OnBoostPriority();
  }
  void OnAutoHide() override {
    Record("OnAutoHide");
    if (forward) CMainDialog::OnAutoHide();
  }
  void OnHide() override {
    Record("OnHide");
    if (forward) CMainDialog::OnHide();
  }
  void RunAboutBox() override {
    Record("RunAboutBox");
    if (forward) CMainDialog::RunAboutBox();
  }

  MessageAnswer ShowMessage(std::string_view text, MessageButtons buttons) override {
    messages.emplace_back(text);
    messageButtons.push_back(buttons);
    return answer ? answer(text) : MessageAnswer::kOk;
  }
  // The file dialogs: the test's answer, nothing (Cancel) unless it gave one.
  std::optional<std::string> AskOpenFileName() override {
    Record("AskOpenFileName");
    return openAnswer;
  }
  std::optional<std::string> AskSaveFileName() override {
    Record("AskSaveFileName");
    return saveAnswer;
  }
  bool HasStatusArea() const override { return statusArea.value_or(CMainDialog::HasStatusArea()); }
  PriorityControl& Priority() override { return priority; }

  void Record(std::string call) { calls.push_back(std::move(call)); }

  CountingPriority priority;

  std::vector<std::string> calls;
  std::vector<ScrollCall> scrolls;
  std::vector<std::string> messages;
  std::vector<MessageButtons> messageButtons;
  std::function<MessageAnswer(std::string_view)> answer;
  std::optional<std::string> openAnswer;
  std::optional<std::string> saveAnswer;
  std::optional<bool> statusArea;  // the desktop's own answer unless set
  bool forward = false;            // run the real handlers after the record
};

}  // namespace lullwood::testing
