// The main window: a dialog built from MainWindowLayout() (MainDialogControls.cpp), the
// Panel the soundscape's rules talk to (MainDialogPanel.cpp), its routing table
// (MainDialogRouting.cpp), start-up order, shutdown and events (MainDialog.cpp).
// UI thread only.
#pragma once

#include <QAbstractSlider>
#include <QDialog>
#include <QIcon>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

#include "MainWindowLayout.h"
#include "NicePriority.h"
#include "PlayerWindow.h"
#include "Ports.h"
#include "SchedulerTimer.h"
#include "ShellCommands.h"
#include "SoundDevice.h"
#include "Soundscape.h"
#include "Startup.h"

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QScrollBar;
class QSlider;

namespace lullwood {

class KeepAwakeControl;
class SleepInhibitor;
class SleepTimerControl;
class SoundChoiceControl;
class TrayIcon;

// Caption of every message box: the executable's name.
inline constexpr std::string_view kMessageCaption = "lullwood";

// The code of a slider action; a move is thumb track while the thumb is held and a
// thumb position otherwise (the wheel). Nothing for QAbstractSlider::SliderNoAction.
std::optional<unsigned> ScrollCodeOf(QAbstractSlider::SliderAction action, bool thumbHeld);

class CMainDialog : public QDialog, public Panel, public PlayerWindow {
  Q_OBJECT

 public:
  CMainDialog(ProcessState& state, AudioOutputFactory& outputs, SettingsStore& settings);
  ~CMainDialog() override;

  // Initialises the window once, then runs it modally. Returns the process's exit
  // status: 0 after CloseDown, 1 when the audio device was given up at start-up.
  int RunModal();

  // The start-up order of the whole program. Returns false, leaving nothing behind,
  // when the user gave up claiming the audio device. Runs at most once; later calls
  // return the first one's result.
  bool InitializeWindow();

  // Stops the scheduler timer, releases the audio unless muted, removes the tray icon
  // and ends the dialog. Exit button, Exit menu command, close box and Alt+F4.
  void CloseDown();

  // What the desktop's media controls and a second instance ask: each the same handler
  // as the button, the status-area icon's click or the drop.
  void PressPlay() override;
  void PressMute() override;
  void PressExit() override;
  void ShowFromTray() override;
  void LoadDropped(const std::string& path) override;
  Soundscape& soundscape() override { return core_; }

  // True when the key is swallowed before the dialog sees it (Escape).
  bool FilterKeystroke(const QKeyEvent& event) const;

  // Every command of the window passes here first: the controls' clicks, the menu
  // entries (`second` 0) and the status-area icon's clicks (`first` 0). Then
  // the routing table; returns whether a control's handler took the command.
  bool RouteCommand(unsigned first, std::uintptr_t second);
  // What the window manager delivers: minimise hides, maximise does nothing, close
  // ends in CloseDown.
  void OnSystemCommand(unsigned command);
  // The "&Scenario" popup at a point in screen coordinates; the chosen entry is routed
  // as a command once the popup has closed.
  void ShowScenarioMenu(const QPoint& globalPos);

  // Panel.
  DialogValues& Values() override { return values_; }
  void ExchangeControlData(ExchangeDirection direction) override;
  MessageAnswer ShowMessage(std::string_view text, MessageButtons buttons) override;
  void SetTitle(std::string_view title) override;
  int SliderPosition(int effectIndex) override;
  void SetSliderPosition(int effectIndex, int position) override;
  void SetBackgroundVolumeBar(int position) override;
  void SetRandomVolumeBar(int position) override;
  void EnableSoundControls(bool enabled) override;
  void ShowPlayState(bool playing) override;
  void HideWindow() override;
  void FocusMainWindow() override;

  // The routing table's targets. Each forwards to the rules; virtual so that a
  // subclass can watch what the controls reach.
  virtual void OnBackgroundClicked(int backgroundIndex);
  virtual void OnMixerScroll(unsigned code, unsigned position, int controlId);
  virtual void OnMute();
  virtual void OnPlay();
  virtual void OnClearAll();
  virtual void OnDynamicRandom();
  virtual void OnAutoStart();
  virtual void OnBrowseScenario();
  virtual void OnScenarioFileChange();
  virtual void OnBoostPriority();
  virtual void OnAutoHide();
  virtual void OnHide();

  // The Scenario commands: Load asks for an existing file and loads it; Save asks for a
  // file name and saves the current Scenario there.
  void OpenScenario();
  void SaveScenarioAs();

  // Places the menu bar above the controls; the window grows by its height.
  void SetMenuBar(QMenuBar* menuBar);

  // The control with this id, or nullptr.
  QWidget* Control(int id) const;
  QSlider* EffectSlider(int effectIndex) const;
  QCheckBox* BackgroundBox(int backgroundIndex) const;
  // The widget that holds every control; the layout's pixel origin.
  QWidget* ClientArea() const { return client_; }
  const DialogUnits& units() const { return units_; }
  const QIcon& icon() const { return m_icon; }
  // The status-area icon, from InitializeWindow on; nullptr before.
  TrayIcon* trayIcon() const { return trayIcon_.get(); }
  QMenuBar* menuBar() const { return menuBar_; }
  // The sleep timer's menu entries, poll and steps.
  SleepTimerControl& sleepTimer() const { return *sleepTimer_; }
  SoundChoiceControl& soundChoice() const { return *soundChoice_; }
  KeepAwakeControl& keepAwake() const { return *keepAwake_; }

  Soundscape& core() { return core_; }
  SchedulerTimer& schedulerTimer() { return timer_; }
  bool exchanging() const { return exchanging_; }

 protected:
  // Raises and lowers the UI thread's priority for Boost CPU Priority.
  virtual PriorityControl& Priority();
  // The file dialogs, owned by this window; nothing when the user cancels.
  virtual std::optional<std::string> AskOpenFileName();
  virtual std::optional<std::string> AskSaveFileName();
  // Whether the desktop has a status area for the icon; without one, hiding minimises.
  virtual bool HasStatusArea() const;
  // The About box, modal over this window.
  virtual void RunAboutBox();

  // PaintWindow: the pending start-up load first, then the default painting, then the
  // keyboard focus to Play when the window has just been shown or restored.
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  // A right click (or the menu key) anywhere but in the Scenario filename box.
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // The Cancel command: close box, window-menu Close, Alt+F4.
  void reject() override;

 private:
  void CreateControls();
  void FitUnitsToCaptions();
  void PlaceControls();
  void BuildRoutingTable();
  void RouteClick(int id, std::function<void()> handler);
  // The routing table for a command: the handler of the control with that id.
  bool StandardCommand(unsigned first, std::uintptr_t second);
  ShellActions MakeShellActions();
  void OpenHelp(int context);
  void RouteScroll(int id);
  void ShowVolumeStep(int controlId);

  void EditSystemMenu();
  void ReadStartupSettings();
  // The pending start-up load, run once: queued by the first paint, or by the first
  // tick if that comes before any paint, so the Scenario plays before the window hides.
  void RunPendingLoad();
  // Queues RunPendingLoad when a start-up load is pending: at the first show or paint.
  void QueuePendingLoad();
  void AddTrayIcon();
  void HandOverCommandLine();
  void RemoveTrayIcon();
  void InstallSleepTimer();
  void InstallKeepAwake(QMenu& timerMenu);
  // Draws Mute and Play as the last ShowPlayState asked, after a click toggled one.
  void RestorePlayLook();

  ProcessState& state_;
  SettingsStore& settings_;
  DialogValues values_;
  SchedulerTimer timer_;
  Soundscape core_;

  QWidget* client_ = nullptr;
  DialogUnits units_;
  bool initialized_ = false;
  bool deviceGivenUp_ = false;
  bool exchanging_ = false;
  bool playing_ = false;
  // Set when the window is shown or restored; the next paint gives Play the focus.
  bool focusPlayOnPaint_ = true;

  NicePriority nicePriority_;
  QIcon m_icon;
  std::array<QLabel*, kEffectTableSize> m_effectLabel{};    // by effect index; 0 unused
  std::array<QSlider*, kEffectTableSize> m_effectSlider{};  // by effect index; 0 unused
  std::array<QCheckBox*, kBackgroundCount> m_backgroundBox{};
  QGroupBox* m_backgroundGroup = nullptr;
  QPushButton* m_playButton = nullptr;
  QPushButton* m_muteButton = nullptr;
  QScrollBar* m_randomVolumeBar = nullptr;
  QScrollBar* m_backgroundVolumeBar = nullptr;
  QCheckBox* m_enableBox = nullptr;
  QCheckBox* m_boostBox = nullptr;
  QCheckBox* m_autoHideBox = nullptr;
  QCheckBox* m_dynamicRandomBox = nullptr;
  QLineEdit* m_scenarioFileEdit = nullptr;

  std::map<int, std::function<void()>> commandRoutes_;  // by control id
  ShellActions shellActions_;
  QMenuBar* menuBar_ = nullptr;
  QMenu* trayMenu_ = nullptr;
  std::unique_ptr<TrayIcon> trayIcon_;
  SleepTimerControl* sleepTimer_ = nullptr;    // a child of the window
  SoundChoiceControl* soundChoice_ = nullptr;  // a child of the window
  SleepInhibitor* inhibitor_ = nullptr;        // a child of the window
  KeepAwakeControl* keepAwake_ = nullptr;      // a child of the window
  Subscription playState_;                     // keeps the hold on sleep up to date
};

}  // namespace lullwood
