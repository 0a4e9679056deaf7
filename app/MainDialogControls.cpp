// The main window's controls, made from the layout table: one widget per row, sized in
// dialog units that come from the dialog font, so that no caption is clipped.
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

#include "ControlIds.h"
#include "MainDialog.h"

#include "AccessibleControls.h"
#include "ProportionalPicture.h"
#include "QtText.h"
#include "SoundCatalogue.h"

namespace lullwood {
namespace {

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

// A new control of the row's kind, with its caption and the behaviour the layout asks
// of it, on `parent`.
QWidget* MakeControl(const LayoutRow& row, QWidget* parent) {
  const QString caption = UiText(row.caption);
  QWidget* widget = nullptr;
  switch (row.kind) {
    case ControlKind::kPicture: {
      auto* picture = new ProportionalPicture(QPixmap(ToQString(row.picture)), parent);
      if (row.framed) {
        picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        picture->setLineWidth(1);
      }
      widget = picture;
      break;
    }
    case ControlKind::kGroupBox:
      widget = new QGroupBox(caption, parent);
      break;
    case ControlKind::kPushButton:
    case ControlKind::kDefaultPushButton: {
      auto* button = new QPushButton(caption, parent);
      button->setAutoDefault(true);
      button->setDefault(row.kind == ControlKind::kDefaultPushButton);
      widget = button;
      break;
    }
    case ControlKind::kText:
    case ControlKind::kGreyText: {
      auto* label = new QLabel(caption, parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(TextLines(row) > 1);
      label->setEnabled(row.kind == ControlKind::kText);
      widget = label;
      break;
    }
    case ControlKind::kScrollBar: {
      auto* bar = new QScrollBar(Qt::Horizontal, parent);
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
      widget = new QCheckBox(caption, parent);
      break;
    case ControlKind::kEditBox: {
      auto* edit = new QLineEdit(parent);
      edit->setFrame(true);
      widget = edit;
      break;
    }
    case ControlKind::kTrackbar: {
      auto* slider = new QSlider(Qt::Horizontal, parent);
      slider->setTickPosition(QSlider::NoTicks);
      slider->setSingleStep(1);
      slider->setPageStep(1);
      widget = slider;
      break;
    }
  }
  return widget;
}

}  // namespace

void CMainDialog::CreateControls() {
  for (const LayoutRow& row : MainWindowLayout()) {
    QWidget* widget = MakeControl(row, client_);
    widget->setObjectName(QString::fromStdString(row.name));
    if (row.id != 0) widget->setProperty("controlId", row.id);
  }

  for (const BackgroundSound& b : SoundCatalogue::Backgrounds()) {
    m_backgroundBox[b.backgroundIndex] = qobject_cast<QCheckBox*>(Control(b.checkBoxId));
  }
  for (const RandomEffect& e : SoundCatalogue::Effects()) {
    m_effectSlider[e.effectIndex] = qobject_cast<QSlider*>(Control(e.sliderId));
    m_effectLabel[e.effectIndex] = qobject_cast<QLabel*>(Control(e.labelId));
    // Named by the label beside it ("Robin " without its trailing blank).
    DescribeForAssistiveTechnology(m_effectSlider[e.effectIndex], UiText(e.label).trimmed(),
                                   ValueWords::kLevel);
  }
  m_backgroundGroup = qobject_cast<QGroupBox*>(Control(ids::kBackgroundGroup));
  m_playButton = qobject_cast<QPushButton*>(Control(ids::kPlay));
  m_muteButton = qobject_cast<QPushButton*>(Control(ids::kMute));
  m_randomVolumeBar = qobject_cast<QScrollBar*>(Control(ids::kRandomVolumeBar));
  m_backgroundVolumeBar = qobject_cast<QScrollBar*>(Control(ids::kBackgroundVolumeBar));
  // Their captions on screen are short ("Backgrnd", "Random"); a reader says what they set.
  DescribeForAssistiveTechnology(m_backgroundVolumeBar,
                                 QCoreApplication::translate("Lullwood", "Background volume"),
                                 ValueWords::kVolumeStep);
  DescribeForAssistiveTechnology(m_randomVolumeBar,
                                 QCoreApplication::translate("Lullwood", "Random volume"),
                                 ValueWords::kVolumeStep);
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
    const QString caption = UiText(row.caption);
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
