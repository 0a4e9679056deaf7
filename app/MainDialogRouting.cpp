// The main window's routing: every control's user notification, menu command and
// status-area click passes RouteCommand and reaches one handler; the scroll
// notifications of the 31 sliders and both volume bars reach OnMixerScroll; drops and
// the file dialogs lead to the Scenario commands.
#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>

#include "AboutDialog.h"
#include "ControlIds.h"
#include "HelpWindow.h"
#include "MainDialog.h"
#include "Menus.h"
#include "QtText.h"
#include "Scenario.h"
#include "ScenarioDrops.h"
#include "SoundCatalogue.h"
#include "Startup.h"
#include "WindowVisibility.h"

namespace lullwood {
namespace {

QStringList ScenarioFilters() {
  return {QCoreApplication::translate("Lullwood", "Lullwood Scenarios (*.lwd)"),
          QCoreApplication::translate("Lullwood", "All Files (*)")};
}

std::optional<std::string> RunFileDialog(QWidget* owner, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(owner);
  dialog.setAcceptMode(mode);
  dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                     : QFileDialog::AnyFile);
  dialog.setNameFilters(ScenarioFilters());
  dialog.setDefaultSuffix(ToQString(kScenarioExtension));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst().toStdString();
}

}  // namespace

std::optional<unsigned> ScrollCodeOf(QAbstractSlider::SliderAction action, bool thumbHeld) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      return kLineLeft;
    case QAbstractSlider::SliderSingleStepAdd:
      return kLineRight;
    case QAbstractSlider::SliderPageStepSub:
      return kPageLeft;
    case QAbstractSlider::SliderPageStepAdd:
      return kPageRight;
    case QAbstractSlider::SliderMove:
      return thumbHeld ? kThumbTrack : kThumbPosition;
    case QAbstractSlider::SliderToMinimum:
      return kToLeftEnd;
    case QAbstractSlider::SliderToMaximum:
      return kToRightEnd;
    case QAbstractSlider::SliderNoAction:
      break;
  }
  return std::nullopt;
}

// The routing table: each control's user notification and the handler it reaches.
// Programmatic changes raise none of these signals, and every route is closed while
// ExchangeControlData runs.
void CMainDialog::BuildRoutingTable() {
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds()) {
    RouteClick(b.checkBoxId, [this, i = b.backgroundIndex] { OnBackgroundClicked(i); });
  }
  RouteClick(ids::kEnable, [this] { OnAutoStart(); });
  RouteClick(ids::kMute, [this] {
    OnMute();
    RestorePlayLook();
  });
  RouteClick(ids::kPlay, [this] {
    OnPlay();
    RestorePlayLook();
  });
  RouteClick(ids::kClearAll, [this] { OnClearAll(); });
  RouteClick(ids::kBrowse, [this] { OnBrowseScenario(); });
  RouteClick(ids::kExit, [this] { CloseDown(); });
  RouteClick(ids::kBoostPriority, [this] { OnBoostPriority(); });
  RouteClick(ids::kHide, [this] { OnHide(); });
  RouteClick(ids::kAutoHide, [this] { OnAutoHide(); });
  RouteClick(ids::kDynamicRandom, [this] { OnDynamicRandom(); });
  connect(m_scenarioFileEdit, &QLineEdit::textEdited, this, [this] {
    if (!exchanging_) OnScenarioFileChange();
  });
  for (const RandomEffect& e : SoundCatalogue::Effects()) RouteScroll(e.sliderId);
  RouteScroll(ids::kBackgroundVolumeBar);
  RouteScroll(ids::kRandomVolumeBar);
}

// A click is the control's command; it passes RouteCommand like every other command.
void CMainDialog::RouteClick(int id, std::function<void()> handler) {
  auto* button = qobject_cast<QAbstractButton*>(Control(id));
  commandRoutes_[id] = std::move(handler);
  connect(button, &QAbstractButton::clicked, this, [this, id, button] {
    if (!exchanging_)
      RouteCommand(static_cast<unsigned>(id), reinterpret_cast<std::uintptr_t>(button));
  });
}

bool CMainDialog::StandardCommand(unsigned first, std::uintptr_t /*second*/) {
  const auto route = commandRoutes_.find(static_cast<int>(first));
  if (route == commandRoutes_.end()) return false;
  route->second();
  return true;
}

void CMainDialog::PressPlay() {
  RouteCommand(ids::kPlay, 0);
}

void CMainDialog::PressMute() {
  RouteCommand(ids::kMute, 0);
}

void CMainDialog::PressExit() {
  CloseDown();
}

void CMainDialog::ShowFromTray() {
  ShowMainWindow(*this);
}

void CMainDialog::LoadDropped(const std::string& path) {
  // A start-up load still waiting for the first paint would replace this one later.
  LoadPendingScenario(core_);
  AcceptDroppedFiles(core_, {path});
}

bool CMainDialog::RouteCommand(unsigned first, std::uintptr_t second) {
  return lullwood::RouteCommand(shellActions_, first, second);
}

void CMainDialog::OnSystemCommand(unsigned command) {
  lullwood::OnSystemCommand(shellActions_, command);
}

ShellActions CMainDialog::MakeShellActions() {
  return ShellActions{
      .runAboutBox = [this] { RunAboutBox(); },
      .closeDown = [this] { CloseDown(); },
      .openScenario = [this] { OpenScenario(); },
      .saveScenarioAs = [this] { SaveScenarioAs(); },
      .openHelp = [this](int context) { OpenHelp(context); },
      .showScenarioMenuAtCursor = [this] { ShowScenarioMenu(QCursor::pos()); },
      .showMainWindow = [this] { ShowMainWindow(*this); },
      .hideMainWindow = [this] { HideWindow(); },
      .mute =
          [this] {
            OnMute();
            RestorePlayLook();
          },
      .play =
          [this] {
            OnPlay();
            RestorePlayLook();
          },
      .standardCommand = [this](unsigned first,
                                std::uintptr_t second) { return StandardCommand(first, second); },
      .defaultSystemCommand =
          [this](unsigned command) {
            if (command == kSystemClose) reject();
            if (command == kSystemRestore) ShowMainWindow(*this);
          },
  };
}

void CMainDialog::ShowScenarioMenu(const QPoint& globalPos) {
  if (const int id = TrackScenarioMenu(this, globalPos)) RouteCommand(static_cast<unsigned>(id), 0);
}

void CMainDialog::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  ShowScenarioMenu(ScenarioMenuPoint(*event, this));
}

void CMainDialog::RunAboutBox() {
  lullwood::RunAboutBox(this);
}

void CMainDialog::OpenHelp(int context) {
  if (!OpenHelpTopic(this, context)) ShowMessage(kHelpFailedMessage, MessageButtons::kOk);
}

// Each user action sends its code and then end-of-scroll; a drag sends thumb track
// while it moves and thumb position on release.
void CMainDialog::RouteScroll(int id) {
  auto* slider = qobject_cast<QAbstractSlider*>(Control(id));
  connect(slider, &QAbstractSlider::actionTriggered, this, [this, slider, id](int action) {
    if (exchanging_) return;
    const std::optional<unsigned> code =
        ScrollCodeOf(static_cast<QAbstractSlider::SliderAction>(action), slider->isSliderDown());
    if (!code) return;
    const bool withPosition = *code == kThumbTrack || *code == kThumbPosition;
    // The new position is already the slider's; its value follows after this signal.
    OnMixerScroll(*code, withPosition ? slider->sliderPosition() : 0, id);
    if (*code != kThumbTrack) OnMixerScroll(kEndScroll, 0, id);
    ShowVolumeStep(id);
  });
  connect(slider, &QAbstractSlider::sliderReleased, this, [this, slider, id] {
    if (exchanging_) return;
    OnMixerScroll(kThumbPosition, slider->sliderPosition(), id);
    OnMixerScroll(kEndScroll, 0, id);
    ShowVolumeStep(id);
  });
}

// A volume bar's thumb shows its step and nothing else: a scroll bar here moves by
// itself, so a move the rules did not take (to either end, say) is put back.
void CMainDialog::ShowVolumeStep(int controlId) {
  if (controlId == ids::kBackgroundVolumeBar) {
    m_backgroundVolumeBar->setValue(state_.mixer.backgroundVolumeStep);
  } else if (controlId == ids::kRandomVolumeBar) {
    m_randomVolumeBar->setValue(state_.mixer.randomVolumeStep);
  }
}

void CMainDialog::OnBackgroundClicked(int backgroundIndex) {
  core_.OnBackgroundClicked(backgroundIndex);
}

void CMainDialog::OnMixerScroll(unsigned code, unsigned position, int controlId) {
  core_.OnMixerScroll(code, position, controlId);
}

void CMainDialog::OnMute() {
  core_.OnMute();
}

void CMainDialog::OnPlay() {
  core_.OnPlay();
}

void CMainDialog::OnClearAll() {
  core_.OnClearAll();
}

void CMainDialog::OnDynamicRandom() {
  core_.OnDynamicRandom();
}

void CMainDialog::OnAutoStart() {
  lullwood::OnAutoStart(core_);
}

void CMainDialog::OnBrowseScenario() {
  if (auto path = AskOpenFileName()) OnScenarioChosen(core_, *path);
}

void CMainDialog::OpenScenario() {
  if (auto path = AskOpenFileName()) LoadScenario(core_, *path);
}

void CMainDialog::SaveScenarioAs() {
  if (auto path = AskSaveFileName()) lullwood::SaveScenarioAs(core_, *path);
}

std::optional<std::string> CMainDialog::AskOpenFileName() {
  return RunFileDialog(this, QFileDialog::AcceptOpen);
}

std::optional<std::string> CMainDialog::AskSaveFileName() {
  return RunFileDialog(this, QFileDialog::AcceptSave);
}

void CMainDialog::dragEnterEvent(QDragEnterEvent* event) {
  AcceptScenarioDrag(*event);
}

void CMainDialog::dragMoveEvent(QDragMoveEvent* event) {
  AcceptScenarioDrag(*event);
}

void CMainDialog::dropEvent(QDropEvent* event) {
  if (!AcceptScenarioDrag(*event)) return;
  const std::vector<std::string> paths = DroppedLocalFiles(*event->mimeData());
  // Handled after the drop has returned, as a load may ask the user things.
  QTimer::singleShot(0, this, [this, paths] { AcceptDroppedFiles(core_, paths); });
}

void CMainDialog::OnScenarioFileChange() {
  lullwood::OnScenarioFileChange(core_);
}

void CMainDialog::OnBoostPriority() {
  lullwood::OnBoostPriority(core_, Priority());
}

void CMainDialog::OnAutoHide() {
  lullwood::OnAutoHide(core_);
}

PriorityControl& CMainDialog::Priority() {
  return nicePriority_;
}

void CMainDialog::OnHide() {
  HideWindow();
}

}  // namespace lullwood
