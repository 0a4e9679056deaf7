// The main window's own life: construction, the start-up order, shutdown, and the
// window events (keys, show, state changes, paint). The controls, the routing and the
// Panel port are in MainDialogControls.cpp, MainDialogRouting.cpp and MainDialogPanel.cpp.
#include "MainDialog.h"

#include "AccessibleControls.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <ctime>

#include "FirstPaintReport.h"
#include "KeepAwakeControl.h"
#include "LoginSuspend.h"
#include "Menus.h"
#include "QtText.h"
#include "SleepInhibitor.h"
#include "SleepTimerControl.h"
#include "SoundChoiceControl.h"
#include "StatusNotifierItem.h"
#include "TrayIcon.h"
#include "WindowVisibility.h"

namespace lullwood {
namespace {

// The dialog font: the desktop's sans-serif at a small size.
constexpr double kDialogFontPoints = 8.0;

}  // namespace

CMainDialog::CMainDialog(ProcessState& state, AudioOutputFactory& outputs, SettingsStore& settings)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      state_(state),
      settings_(settings),
      timer_([this] {
        RunPendingLoad();
        core_.Tick();
      }),
      core_(state, *this, timer_, outputs, settings),
      m_icon(ToQString(kProgramIcon)) {
  setWindowTitle(UiText(kMainWindowTitle));
  QFont font = QApplication::font();
  font.setPointSizeF(kDialogFontPoints);
  setFont(font);

  client_ = new QWidget(this);
  client_->setObjectName("clientArea");
  auto* frame = new QVBoxLayout(this);
  frame->setContentsMargins(0, 0, 0, 0);
  frame->setSpacing(0);
  frame->setSizeConstraint(QLayout::SetFixedSize);
  frame->addWidget(client_);

  InstallAccessibleControls();
  CreateControls();
  FitUnitsToCaptions();
  PlaceControls();
  BuildRoutingTable();
  shellActions_ = MakeShellActions();
  SetMenuBar(BuildMenuBar(this, [this](int id) { RouteCommand(static_cast<unsigned>(id), 0); }));
  InstallHelpKey(this, [this](int id) { RouteCommand(static_cast<unsigned>(id), 0); });
  InstallSleepTimer();
  soundChoice_ = new SoundChoiceControl([this](Rendition r) { core_.ChooseRendition(r); }, this);
  soundChoice_->InstallInMenuBar(*menuBar_);
  // The volume bars give up their own scrolling menu for the Scenario popup.
  m_backgroundVolumeBar->setContextMenuPolicy(Qt::NoContextMenu);
  m_randomVolumeBar->setContextMenuPolicy(Qt::NoContextMenu);
  new WindowCommandWatcher(*this, [this](unsigned command) { OnSystemCommand(command); });
}

CMainDialog::~CMainDialog() {
  timer_.Stop();
}

// The run ends only in CloseDown. QDialog::exec() would end it whenever the window
// hides, and would block every other window, the status-area icon's included.
int CMainDialog::RunModal() {
  if (!InitializeWindow()) return 1;
  QEventLoop loop;
  connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
  show();
  loop.exec(QEventLoop::DialogExec);
  return 0;
}

// The start-up order of the whole program: each step relies on the ones before it,
// and the scheduler timer starts last.
bool CMainDialog::InitializeWindow() {
  if (initialized_) return !deviceGivenUp_;
  initialized_ = true;

  ExchangeControlData(ExchangeDirection::kToControls);
  EditSystemMenu();
  setAcceptDrops(true);
  setWindowIcon(m_icon);
  ReadStartupSettings();
  AddTrayIcon();
  HandOverCommandLine();
  ExchangeControlData(ExchangeDirection::kToControls);
  // Every slider starts at "Never", both volume bars at their default step.
  for (QSlider* slider : m_effectSlider) {
    if (slider == nullptr) continue;
    slider->setMinimum(level::kFirstSlider);
    slider->setMaximum(level::kLast);
  }
  for (QScrollBar* bar : {m_backgroundVolumeBar, m_randomVolumeBar}) {
    bar->setRange(kMinVolumeStep, kMaxVolumeStep);
    bar->setValue(kDefaultVolumeStep);
  }
  // Dynamic Random starts off whatever was stored.
  values_.m_dynamicRandom = 0;
  state_.mixer.dynamicRandom = false;
  m_dynamicRandomBox->setChecked(false);
  // No timer runs yet, so nothing ticks while the question is open.
  while (!core_.ClaimDevice()) {
    if (ShowMessage(kStartupDeviceMessage, MessageButtons::kYesNo) == MessageAnswer::kNo) {
      RemoveTrayIcon();
      deviceGivenUp_ = true;
      return false;
    }
  }
  core_.ResetTables();
  core_.SeedRandom(static_cast<uint32_t>(std::time(nullptr)));
  ShowPlayState(true);
  // Playing from here: the hold on sleep is taken now if it was chosen.
  keepAwake_->Update();
  m_playButton->setFocus();
  FocusMainWindow();
  core_.StartTimer(kPromptTickPeriodMs);
  return true;
}

// The window manager owns the window menu: the Maximize entry goes by dropping the
// maximise hint; there is nowhere to append entries.
void CMainDialog::EditSystemMenu() {
  setWindowFlag(Qt::WindowMaximizeButtonHint, false);
}

void CMainDialog::ReadStartupSettings() {
  lullwood::ReadStartupSettings(core_, Priority());
  soundChoice_->Show(state_.mixer.rendition);
  keepAwake_->ShowChoice(IsSwitchOn(core_.ReadSetting(settings::kKeepAwake)));
}

void CMainDialog::AddTrayIcon() {
  trayMenu_ =
      BuildScenarioMenu(this, [this](int id) { RouteCommand(static_cast<unsigned>(id), 0); });
  trayIcon_ =
      std::make_unique<TrayIcon>(m_icon, [this](std::uintptr_t click) { RouteCommand(0, click); });
  // Where the desktop runs a status-notifier watcher, the icon is served on the session
  // bus by the program itself, so that a click's activation token reaches the window.
  if (auto item = StatusNotifierItem::Create(QDBusConnection::sessionBus(), m_icon,
                                             QGuiApplication::desktopFileName())) {
    trayIcon_->UseStatusArea(std::move(item));
  }
  soundChoice_->AppendTo(*trayMenu_);
  sleepTimer_->AppendTo(*trayMenu_)->addAction(keepAwake_->action());
  trayIcon_->SetContextMenu(trayMenu_);
  trayIcon_->SetStatusLine(sleepTimer_->statusText());
  trayIcon_->Add();
}

// The sleep timer stops the sound as the Mute command does; Mute, Play (and so every
// Scenario load) and Clear all end a fade it is running.
void CMainDialog::InstallSleepTimer() {
  sleepTimer_ = new SleepTimerControl(state_,
                                      {.mute = shellActions_.mute,
                                       .suspend = [] { RequestSuspend(); },
                                       .statusChanged =
                                           [this](const std::string& text) {
                                             if (trayIcon_) trayIcon_->SetStatusLine(text);
                                           }},
                                      this);
  QMenu* timerMenu = sleepTimer_->InstallInMenuBar(*menuBar_);
  core_.SetTakeOverObserver([this] { sleepTimer_->OnTakeOver(); });
  InstallKeepAwake(*timerMenu);
}

// The hold on sleep follows Play and Mute (the sleep timer's stop is a Mute, so the hold
// is let go before the timer asks to suspend); its entry ends the Timer menu.
void CMainDialog::InstallKeepAwake(QMenu& timerMenu) {
  inhibitor_ = new SleepInhibitor(&QDBusConnection::systemBus, this);
  keepAwake_ = new KeepAwakeControl(
      *inhibitor_,
      {.playing = [this] { return !state_.audioDevice.muted && state_.audioDevice.directSound; },
       .outputLost =
           [this] {
             return state_.audioDevice.directSound && state_.audioDevice.directSound->outputLost();
           },
       .store = [this](bool on) { core_.WriteSetting(settings::kKeepAwake, YesNo(on)); },
       .tell =
           [this](const QString& text) { ShowMessage(text.toStdString(), MessageButtons::kOk); }},
      this);
  timerMenu.addAction(keepAwake_->action());
  playState_ = core_.Subscribe([this](Change change) {
    if (change == Change::kPlayState) keepAwake_->Update();
  });
}

void CMainDialog::RemoveTrayIcon() {
  if (trayIcon_) trayIcon_->Remove();
}

// A command-line file replaces the stored one for this run only; the edit box keeps
// the stored name.
void CMainDialog::HandOverCommandLine() {
  lullwood::HandOverCommandLine(core_);
}

void CMainDialog::CloseDown() {
  // The night ends here: no stop or suspend comes after the exit, and no hold on sleep.
  sleepTimer_->Choose(0);
  keepAwake_->End();
  core_.StopTimer();
  core_.ReleaseForShutdown();
  RemoveTrayIcon();
  QDialog::done(QDialog::Rejected);
}

void CMainDialog::reject() {
  CloseDown();
}

bool CMainDialog::FilterKeystroke(const QKeyEvent& event) const {
  return event.type() == QEvent::KeyPress && event.key() == Qt::Key_Escape;
}

void CMainDialog::keyPressEvent(QKeyEvent* event) {
  if (FilterKeystroke(*event)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CMainDialog::showEvent(QShowEvent* event) {
  if (!initialized_) InitializeWindow();
  QDialog::showEvent(event);
  QueuePendingLoad();
  focusPlayOnPaint_ = true;
  update();
}

void CMainDialog::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && !isMinimized()) {
    focusPlayOnPaint_ = true;
    update();
  }
  QDialog::changeEvent(event);
}

void CMainDialog::RunPendingLoad() {
  LoadPendingScenario(core_);
}

void CMainDialog::QueuePendingLoad() {
  // A load can open message boxes, which must not run inside a paint: queue it.
  if (state_.autostartPending) QTimer::singleShot(0, this, [this] { RunPendingLoad(); });
}

// A child's repaint also paints this window behind it, so the focus moves only on
// the paint that follows a show or a restore, never while the user works the controls.
void CMainDialog::paintEvent(QPaintEvent* event) {
  QueuePendingLoad();
  QDialog::paintEvent(event);
  ReportFirstPaint();
  if (focusPlayOnPaint_) {
    focusPlayOnPaint_ = false;
    m_playButton->setFocus();
  }
}

}  // namespace lullwood
