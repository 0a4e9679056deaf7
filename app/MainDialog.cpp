#include "MainDialog.h"

#include <unistd.h>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOption>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "AboutDialog.h"
#include "AspectPicture.h"
#include "ControlIds.h"
#include "HelpWindow.h"
#include "Menus.h"
#include "Scenario.h"
#include "ScenarioDrops.h"
#include "SoundCatalogue.h"
#include "Startup.h"
#include "TrayIcon.h"
#include "WindowVisibility.h"

namespace lullwood {
namespace {

// A measurement aid: with LULLWOOD_REPORT_FIRST_PAINT=1 the first paint prints, on
// standard error, how long after the process started it came. The start is the kernel's
// (/proc/self/stat, in clock ticks of 10 ms), so the figure errs long by under 10 ms.
void ReportFirstPaint() {
  static bool reported = false;
  if (reported) return;
  reported = true;
  const char* wanted = std::getenv("LULLWOOD_REPORT_FIRST_PAINT");
  if (wanted == nullptr || std::strcmp(wanted, "1") != 0) return;
  char stat[1024] = {};
  std::FILE* file = std::fopen("/proc/self/stat", "r");
  if (file == nullptr) return;
  const bool read = std::fgets(stat, sizeof stat, file) != nullptr;
  std::fclose(file);
  const char* afterName = read ? std::strrchr(stat, ')') : nullptr;
  unsigned long long startTicks = 0;  // field 22, counted from the state after the name
  if (afterName == nullptr ||
      std::sscanf(afterName + 1,
                  " %*c %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s "
                  "%*s %*s %*s %*s %llu",
                  &startTicks) != 1) {
    return;
  }
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double elapsedMs =
      (now.tv_sec + now.tv_nsec / 1e9 - static_cast<double>(startTicks) / sysconf(_SC_CLK_TCK)) *
      1000.0;
  std::fprintf(stderr, "lullwood: first paint %.0f ms after process start\n", elapsedMs);
}

// The dialog font: the desktop's sans-serif at a small size.
constexpr double kDialogFontPoints = 8.0;
constexpr int kSliderMinimum = 1;
constexpr int kSliderMaximum = 4;
constexpr int kVolumeMinimum = 1;
constexpr int kVolumeMaximum = 10;

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Number of text lines a static text of this height (dialog units) holds.
int TextLines(const LayoutRow& row) {
  return std::max(1, row.rect.h / 8);
}

// Narrowest width at which `text`, word-wrapped, takes no more than `lines` lines.
int WrappedWidth(const QFontMetrics& fm, const QString& text, int lines) {
  int low = 1;
  int high = fm.horizontalAdvance(text) + 2;
  while (low < high) {
    const int mid = (low + high) / 2;
    const QRect r = fm.boundingRect(QRect(0, 0, mid, 10000), Qt::TextWordWrap, text);
    if (r.height() <= lines * fm.height() && r.width() <= mid) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return high;
}

// Restores the exchange flag on every way out.
class ExchangeScope {
 public:
  explicit ExchangeScope(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
  ~ExchangeScope() { flag_ = previous_; }
  ExchangeScope(const ExchangeScope&) = delete;
  ExchangeScope& operator=(const ExchangeScope&) = delete;

 private:
  bool& flag_;
  bool previous_;
};

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
  setWindowTitle(ToQString(kMainWindowTitle));
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

  CreateControls();
  FitUnitsToCaptions();
  PlaceControls();
  BuildRoutingTable();
  shellActions_ = MakeShellActions();
  SetMenuBar(BuildMenuBar(this, [this](int id) { RouteCommand(static_cast<unsigned>(id), 0); }));
  InstallHelpKey(this, [this](int id) { RouteCommand(static_cast<unsigned>(id), 0); });
  // The volume bars give up their own scrolling menu for the Scenario popup.
  m_backgroundVolumeBar->setContextMenuPolicy(Qt::NoContextMenu);
  m_randomVolumeBar->setContextMenuPolicy(Qt::NoContextMenu);
  new WindowCommandWatcher(*this, [this](unsigned command) { OnSystemCommand(command); });
}

CMainDialog::~CMainDialog() {
  timer_.Stop();
}

void CMainDialog::CreateControls() {
  for (const LayoutRow& row : MainWindowLayout()) {
    const QString caption = ToQString(row.caption);
    QWidget* widget = nullptr;
    switch (row.kind) {
      case ControlKind::kPicture: {
        auto* picture = new AspectPicture(QPixmap(ToQString(row.picture)), client_);
        if (row.framed) {
          picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
          picture->setLineWidth(1);
        }
        widget = picture;
        break;
      }
      case ControlKind::kGroupBox:
        widget = new QGroupBox(caption, client_);
        break;
      case ControlKind::kPushButton:
      case ControlKind::kDefaultPushButton: {
        auto* button = new QPushButton(caption, client_);
        button->setAutoDefault(true);
        button->setDefault(row.kind == ControlKind::kDefaultPushButton);
        widget = button;
        break;
      }
      case ControlKind::kText:
      case ControlKind::kGreyText: {
        auto* label = new QLabel(caption, client_);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(TextLines(row) > 1);
        label->setEnabled(row.kind == ControlKind::kText);
        widget = label;
        break;
      }
      case ControlKind::kScrollBar: {
        auto* bar = new QScrollBar(Qt::Horizontal, client_);
        bar->setFocusPolicy(Qt::StrongFocus);
        // A right click belongs to the window's own menu, not to the bar's.
        bar->setContextMenuPolicy(Qt::NoContextMenu);
        // Qt's scroll bars invert their keys for vertical use; here Left is quieter.
        bar->setInvertedControls(false);
        bar->setSingleStep(1);
        bar->setPageStep(1);
        widget = bar;
        break;
      }
      case ControlKind::kCheckBox:
        widget = new QCheckBox(caption, client_);
        break;
      case ControlKind::kEditBox: {
        auto* edit = new QLineEdit(client_);
        edit->setFrame(true);
        widget = edit;
        break;
      }
      case ControlKind::kTrackbar: {
        auto* slider = new QSlider(Qt::Horizontal, client_);
        slider->setTickPosition(QSlider::NoTicks);
        slider->setSingleStep(1);
        slider->setPageStep(1);
        widget = slider;
        break;
      }
    }
    widget->setObjectName(QString::fromStdString(row.name));
    if (row.id != 0) widget->setProperty("controlId", row.id);
  }

  for (const BackgroundSound& b : SoundCatalogue::Backgrounds()) {
    m_backgroundBox[b.backgroundIndex] = qobject_cast<QCheckBox*>(Control(b.checkBoxId));
  }
  for (const RandomEffect& e : SoundCatalogue::Effects()) {
    m_effectSlider[e.effectIndex] = qobject_cast<QSlider*>(Control(e.sliderId));
    m_effectLabel[e.effectIndex] = qobject_cast<QLabel*>(Control(e.labelId));
  }
  m_backgroundGroup = qobject_cast<QGroupBox*>(Control(ids::kBackgroundGroup));
  m_playButton = qobject_cast<QPushButton*>(Control(ids::kPlay));
  m_muteButton = qobject_cast<QPushButton*>(Control(ids::kMute));
  m_randomVolumeBar = qobject_cast<QScrollBar*>(Control(ids::kRandomVolumeBar));
  m_backgroundVolumeBar = qobject_cast<QScrollBar*>(Control(ids::kBackgroundVolumeBar));
  m_enableBox = qobject_cast<QCheckBox*>(Control(ids::kEnable));
  m_boostBox = qobject_cast<QCheckBox*>(Control(ids::kBoostPriority));
  m_autoHideBox = qobject_cast<QCheckBox*>(Control(ids::kAutoHide));
  m_dynamicRandomBox = qobject_cast<QCheckBox*>(Control(ids::kDynamicRandom));
  m_scenarioFileEdit = qobject_cast<QLineEdit*>(Control(ids::kScenarioFile));

  // Play and Mute show which state holds by being drawn pressed.
  m_playButton->setCheckable(true);
  m_muteButton->setCheckable(true);
}

// Dialog units come from the font as the platform's dialogs have them: a quarter of
// the letters' mean advance across, an eighth of the line height down. Where the
// font is wider or taller than the layout was drawn for, the units grow until every
// caption fits its control, so nothing is ever clipped.
void CMainDialog::FitUnitsToCaptions() {
  const QFontMetrics fm(font());
  const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  double baseWidth = fm.horizontalAdvance(letters) / 52.0;
  double baseHeight = fm.height();
  QStyle* s = style();
  QStyleOptionButton option;
  option.initFrom(this);

  for (const LayoutRow& row : MainWindowLayout()) {
    const QString caption = ToQString(row.caption);
    QWidget* widget = findChild<QWidget*>(QString::fromStdString(row.name));
    double needWidth = 0;
    double needHeight = 0;
    switch (row.kind) {
      case ControlKind::kText:
      case ControlKind::kGreyText:
        needWidth = TextLines(row) > 1 ? WrappedWidth(fm, caption, TextLines(row))
                                       : fm.horizontalAdvance(caption) + 2;
        needHeight = TextLines(row) * fm.height();
        break;
      case ControlKind::kCheckBox:
        needWidth = s->pixelMetric(QStyle::PM_IndicatorWidth, &option, widget) +
                    s->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, widget) +
                    fm.horizontalAdvance(caption) + 4;
        needHeight =
            std::max(s->pixelMetric(QStyle::PM_IndicatorHeight, &option, widget), fm.height());
        break;
      case ControlKind::kPushButton:
      case ControlKind::kDefaultPushButton:
        needWidth = fm.horizontalAdvance(caption) +
                    2 * (s->pixelMetric(QStyle::PM_ButtonMargin, &option, widget) +
                         s->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, widget));
        needHeight = fm.height() + 4;
        break;
      case ControlKind::kGroupBox:
        needWidth = fm.horizontalAdvance(caption) + 16;
        break;
      case ControlKind::kTrackbar:
      case ControlKind::kScrollBar:
      case ControlKind::kEditBox:
        needHeight = widget->minimumSizeHint().height();
        break;
      case ControlKind::kPicture:
        break;
    }
    if (row.rect.w > 0) baseWidth = std::max(baseWidth, needWidth * 4.0 / row.rect.w);
    if (row.rect.h > 0) baseHeight = std::max(baseHeight, needHeight * 8.0 / row.rect.h);
  }
  units_ = {baseWidth, baseHeight};
}

void CMainDialog::PlaceControls() {
  for (const LayoutRow& row : MainWindowLayout()) {
    const PixelRect r = units_.ToPixels(row.rect);
    findChild<QWidget*>(QString::fromStdString(row.name))->setGeometry(r.x, r.y, r.w, r.h);
  }
  const PixelRect area = units_.ToPixels(kMainWindowClient);
  client_->setFixedSize(area.w, area.h);
  // Later rows are drawn above earlier ones; group boxes go to the back so their
  // frames never cover a control inside them.
  for (QGroupBox* group : client_->findChildren<QGroupBox*>()) group->lower();
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
      .showScenarioMenuAtCursor = [this] { ShowScenarioMenu(this, QCursor::pos()); },
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

void CMainDialog::ShowScenarioMenu(QWidget* /*window*/, const QPoint& globalPos) {
  if (const int id = TrackScenarioMenu(this, globalPos)) RouteCommand(static_cast<unsigned>(id), 0);
}

void CMainDialog::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  ShowScenarioMenu(this, ScenarioMenuPoint(*event, this));
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
  // Every slider starts at "Never", both volume bars at 10.
  for (QSlider* slider : m_effectSlider) {
    if (slider == nullptr) continue;
    slider->setMinimum(kSliderMinimum);
    slider->setMaximum(kSliderMaximum);
  }
  for (QScrollBar* bar : {m_backgroundVolumeBar, m_randomVolumeBar}) {
    bar->setRange(kVolumeMinimum, kVolumeMaximum);
    bar->setValue(kVolumeMaximum);
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
  m_playButton->setFocus();
  FocusMainWindow();
  core_.StartTimer(10);
  return true;
}

// The window manager owns the window menu: the Maximize entry goes by dropping the
// maximise hint; there is nowhere to append entries.
void CMainDialog::EditSystemMenu() {
  setWindowFlag(Qt::WindowMaximizeButtonHint, false);
}

void CMainDialog::ReadStartupSettings() {
  lullwood::ReadStartupSettings(core_, Priority());
}

void CMainDialog::AddTrayIcon() {
  trayMenu_ =
      BuildScenarioMenu(this, [this](int id) { RouteCommand(static_cast<unsigned>(id), 0); });
  trayIcon_ = std::make_unique<TrayIcon>(
      m_icon, [this](std::uintptr_t mouseMessage) { RouteCommand(0, mouseMessage); });
  trayIcon_->SetContextMenu(trayMenu_);
  trayIcon_->Add();
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

void CMainDialog::ExchangeControlData(ExchangeDirection direction) {
  ExchangeScope scope(exchanging_);
  const auto bind = [direction](QCheckBox* box, int& member) {
    if (direction == ExchangeDirection::kToControls) {
      box->setChecked(member == 1);
    } else {
      member = box->isChecked() ? 1 : 0;
    }
  };
  for (int i = 0; i < kBackgroundCount; ++i) bind(m_backgroundBox[i], values_.m_backgroundOn[i]);
  bind(m_enableBox, values_.m_autoStart);
  if (direction == ExchangeDirection::kToControls) {
    m_scenarioFileEdit->setText(QString::fromStdString(values_.m_scenarioFile));
  } else {
    values_.m_scenarioFile = m_scenarioFileEdit->text().toStdString();
  }
  bind(m_boostBox, values_.m_boostPriority);
  bind(m_autoHideBox, values_.m_autoHide);
  bind(m_dynamicRandomBox, values_.m_dynamicRandom);
}

MessageAnswer CMainDialog::ShowMessage(std::string_view text, MessageButtons buttons) {
  const bool yesNo = buttons == MessageButtons::kYesNo;
  QMessageBox box(QMessageBox::Warning, ToQString(kMessageCaption), ToQString(text),
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, this);
  const int answer = box.exec();
  if (!yesNo) return MessageAnswer::kOk;
  return answer == QMessageBox::Yes ? MessageAnswer::kYes : MessageAnswer::kNo;
}

void CMainDialog::SetTitle(std::string_view title) {
  setWindowTitle(ToQString(title));
}

int CMainDialog::SliderPosition(int effectIndex) {
  const RandomEffect* e = SoundCatalogue::Effect(effectIndex);
  return e ? m_effectSlider[effectIndex]->sliderPosition() : 0;
}

void CMainDialog::SetSliderPosition(int effectIndex, int position) {
  if (SoundCatalogue::Effect(effectIndex) == nullptr) return;
  m_effectSlider[effectIndex]->setValue(position);
}

void CMainDialog::SetBackgroundVolumeBar(int position) {
  m_backgroundVolumeBar->setValue(position);
}

void CMainDialog::SetRandomVolumeBar(int position) {
  m_randomVolumeBar->setValue(position);
}

void CMainDialog::EnableSoundControls(bool enabled) {
  for (QSlider* slider : m_effectSlider) {
    if (slider) slider->setEnabled(enabled);
  }
  for (QCheckBox* box : m_backgroundBox) box->setEnabled(enabled);
  for (QLabel* label : m_effectLabel) {
    if (label) label->setEnabled(enabled);
  }
}

void CMainDialog::ShowPlayState(bool playing) {
  playing_ = playing;
  RestorePlayLook();
}

void CMainDialog::RestorePlayLook() {
  m_playButton->setChecked(playing_);
  m_muteButton->setChecked(!playing_);
}

void CMainDialog::HideWindow() {
  HideMainWindow(*this, HasStatusArea());
}

bool CMainDialog::HasStatusArea() const {
  return StatusAreaAvailable();
}

void CMainDialog::FocusMainWindow() {
  if (isVisible()) activateWindow();
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

namespace {

QStringList ScenarioFilters() {
  return {QStringLiteral("Lullwood Scenarios (*.lwd)"), QStringLiteral("All Files (*)")};
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

std::optional<std::string> CMainDialog::AskOpenFileName() {
  return RunFileDialog(this, QFileDialog::AcceptOpen);
}

std::optional<std::string> CMainDialog::AskSaveFileName() {
  return RunFileDialog(this, QFileDialog::AcceptSave);
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

void CMainDialog::SetMenuBar(QMenuBar* menuBar) {
  if (menuBar_ && menuBar_ != menuBar) delete menuBar_;
  menuBar_ = menuBar;
  layout()->setMenuBar(menuBar);
  menuBar->show();
}

QWidget* CMainDialog::Control(int id) const {
  if (id == 0) return nullptr;
  for (QWidget* widget : client_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (widget->property("controlId").toInt() == id) return widget;
  }
  return nullptr;
}

QSlider* CMainDialog::EffectSlider(int effectIndex) const {
  return SoundCatalogue::Effect(effectIndex) ? m_effectSlider[effectIndex] : nullptr;
}

QCheckBox* CMainDialog::BackgroundBox(int backgroundIndex) const {
  return SoundCatalogue::Background(backgroundIndex) ? m_backgroundBox[backgroundIndex] : nullptr;
}

}  // namespace lullwood
