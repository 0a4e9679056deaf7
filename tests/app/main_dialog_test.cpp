// The main window's controls, its routing table, the exchange lock-out and the keys.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QStyleOption>
#include <QSystemTrayIcon>
#include <QTest>

#include "ControlIds.h"
#include "DialogFixture.h"
#include "SoundCatalogue.h"

namespace lullwood::testing {
namespace {

class MainDialogTest : public DialogFixture<> {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    Show();
    dialog->calls.clear();
    dialog->scrolls.clear();
  }
};

TEST(ScrollCodes, SliderActionsMapToTheNotificationCodes) {
  using A = QAbstractSlider;
  EXPECT_EQ(ScrollCodeOf(A::SliderSingleStepSub, false), 0u);
  EXPECT_EQ(ScrollCodeOf(A::SliderSingleStepAdd, false), 1u);
  EXPECT_EQ(ScrollCodeOf(A::SliderPageStepSub, false), 2u);
  EXPECT_EQ(ScrollCodeOf(A::SliderPageStepAdd, false), 3u);
  EXPECT_EQ(ScrollCodeOf(A::SliderMove, false), 4u);  // the wheel: a finished move
  EXPECT_EQ(ScrollCodeOf(A::SliderMove, true), 5u);   // a drag in progress
  EXPECT_EQ(ScrollCodeOf(A::SliderToMinimum, false), 6u);
  EXPECT_EQ(ScrollCodeOf(A::SliderToMaximum, false), 7u);
  EXPECT_FALSE(ScrollCodeOf(A::SliderNoAction, false).has_value());
}

TEST_F(MainDialogTest, EveryControlHasItsIdCaptionKindAndRange) {
  EXPECT_EQ(dialog->windowTitle(), "Quillor Lullwood");
  EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(dialog->windowIcon().isNull());

  for (const LayoutRow& row : MainWindowLayout()) {
    QWidget* widget = dialog->ClientArea()->findChild<QWidget*>(QString::fromStdString(row.name));
    ASSERT_NE(widget, nullptr) << row.name;
    if (row.id != 0) {
      EXPECT_EQ(dialog->Control(row.id), widget) << row.name;
    }
    const QString caption = QString::fromUtf8(row.caption.data(), row.caption.size());
    switch (row.kind) {
      case ControlKind::kCheckBox:
        ASSERT_TRUE(qobject_cast<QCheckBox*>(widget)) << row.name;
        EXPECT_EQ(qobject_cast<QCheckBox*>(widget)->text(), caption);
        EXPECT_FALSE(qobject_cast<QCheckBox*>(widget)->isTristate());
        break;
      case ControlKind::kPushButton:
      case ControlKind::kDefaultPushButton:
        ASSERT_TRUE(qobject_cast<QPushButton*>(widget)) << row.name;
        EXPECT_EQ(qobject_cast<QPushButton*>(widget)->text(), caption);
        break;
      case ControlKind::kGroupBox:
        ASSERT_TRUE(qobject_cast<QGroupBox*>(widget)) << row.name;
        EXPECT_EQ(qobject_cast<QGroupBox*>(widget)->title(), caption);
        break;
      case ControlKind::kText:
      case ControlKind::kGreyText:
        ASSERT_TRUE(qobject_cast<QLabel*>(widget)) << row.name;
        EXPECT_EQ(qobject_cast<QLabel*>(widget)->text(), caption);
        EXPECT_EQ(widget->isEnabled(), row.kind == ControlKind::kText) << row.name;
        break;
      case ControlKind::kPicture:
        ASSERT_TRUE(qobject_cast<QLabel*>(widget)) << row.name;
        EXPECT_FALSE(qobject_cast<QLabel*>(widget)->pixmap().isNull()) << row.name;
        break;
      case ControlKind::kEditBox:
        ASSERT_TRUE(qobject_cast<QLineEdit*>(widget)) << row.name;
        EXPECT_TRUE(qobject_cast<QLineEdit*>(widget)->hasFrame());
        break;
      case ControlKind::kScrollBar: {
        auto* bar = qobject_cast<QScrollBar*>(widget);
        ASSERT_TRUE(bar) << row.name;
        EXPECT_EQ(bar->orientation(), Qt::Horizontal);
        EXPECT_EQ(bar->minimum(), 1);
        EXPECT_EQ(bar->maximum(), 10);
        EXPECT_EQ(bar->value(), 10);
        EXPECT_EQ(bar->singleStep(), 1);
        EXPECT_EQ(bar->pageStep(), 1);
        break;
      }
      case ControlKind::kTrackbar: {
        auto* slider = qobject_cast<QSlider*>(widget);
        ASSERT_TRUE(slider) << row.name;
        EXPECT_EQ(slider->orientation(), Qt::Horizontal);
        EXPECT_EQ(slider->tickPosition(), QSlider::NoTicks);
        EXPECT_EQ(slider->minimum(), 1);
        EXPECT_EQ(slider->maximum(), 4);
        EXPECT_EQ(slider->value(), 1);  // "Never"
        break;
      }
    }
  }
  EXPECT_TRUE(Get<QPushButton>(ids::kPlay)->isDefault());
  EXPECT_FALSE(Get<QPushButton>(ids::kMute)->isDefault());
}

TEST_F(MainDialogTest, ControlsStandAtTheirLayoutPositionsAndNoCaptionIsClipped) {
  const DialogUnits& units = dialog->units();
  const PixelRect client = units.ToPixels(kMainWindowClient);
  EXPECT_EQ(dialog->ClientArea()->size(), QSize(client.w, client.h));
  const QFontMetrics fm(dialog->font());
  QStyleOptionButton option;
  option.initFrom(dialog.get());
  const int buttonPadding = 2 * dialog->style()->pixelMetric(QStyle::PM_ButtonMargin, &option);

  for (const LayoutRow& row : MainWindowLayout()) {
    QWidget* widget = dialog->ClientArea()->findChild<QWidget*>(QString::fromStdString(row.name));
    const PixelRect r = units.ToPixels(row.rect);
    EXPECT_EQ(widget->geometry(), QRect(r.x, r.y, r.w, r.h)) << row.name;
    const QString caption = QString::fromUtf8(row.caption.data(), row.caption.size());
    switch (row.kind) {
      case ControlKind::kCheckBox:
        // The style's own idea of the room a box and its caption need.
        EXPECT_LE(widget->sizeHint().width(), widget->width()) << row.name;
        break;
      case ControlKind::kText:
      case ControlKind::kGreyText: {
        const QRect need =
            fm.boundingRect(QRect(0, 0, widget->width(), 10000), Qt::TextWordWrap, caption);
        EXPECT_LE(need.width(), widget->width()) << row.name;
        EXPECT_LE(need.height(), widget->height() + 1) << row.name;
        break;
      }
      case ControlKind::kPushButton:
      case ControlKind::kDefaultPushButton:
        EXPECT_LE(fm.horizontalAdvance(caption) + buttonPadding, widget->width()) << row.name;
        EXPECT_LE(fm.height(), widget->height()) << row.name;
        break;
      case ControlKind::kGroupBox:
        EXPECT_LT(fm.horizontalAdvance(caption), widget->width()) << row.name;
        break;
      default:
        break;
    }
  }
  // Three columns: master controls, backgrounds, effects; none runs into the next.
  const QRect master = dialog->ClientArea()->findChild<QWidget*>("masterGroup")->geometry();
  const QRect backgrounds = Get<QGroupBox>(ids::kBackgroundGroup)->geometry();
  const QRect random = dialog->ClientArea()->findChild<QWidget*>("randomGroup")->geometry();
  EXPECT_LT(master.right(), backgrounds.left());
  EXPECT_LT(backgrounds.right(), random.left());
}

TEST_F(MainDialogTest, PicturesKeepTheirProportionsInsideTheirFrames) {
  for (const std::string name : {"productLogo", "secondPicture"}) {
    const auto* label = dialog->ClientArea()->findChild<QLabel*>(QString::fromStdString(name));
    ASSERT_NE(label, nullptr) << name;
    const LayoutRow* row = nullptr;
    for (const LayoutRow& r : MainWindowLayout()) {
      if (r.name == name) row = &r;
    }
    ASSERT_NE(row, nullptr);
    const QSize source =
        QPixmap(QString::fromUtf8(row->picture.data(), row->picture.size())).size();
    ASSERT_FALSE(source.isEmpty()) << name;
    // Drawn as it is, not stretched to the frame.
    EXPECT_FALSE(label->hasScaledContents()) << name;
    const QSize shown = label->pixmap().size();
    const QSize room = label->contentsRect().size();
    EXPECT_LE(shown.width(), room.width()) << name;
    EXPECT_LE(shown.height(), room.height()) << name;
    EXPECT_TRUE(shown.width() == room.width() || shown.height() == room.height())
        << name << ": as large as the frame allows";
    // Width over height as the picture's own, to within the rounding of one pixel.
    const double ratio = static_cast<double>(source.width()) / source.height();
    EXPECT_NEAR(shown.width(), shown.height() * ratio, ratio + 1.0) << name;
  }
}

TEST_F(MainDialogTest, EachButtonAndBoxReachesItsHandler) {
  struct Route {
    int id;
    const char* handler;
  };
  const Route routes[] = {
      {ids::kEnable, "OnAutoStart"},
      {ids::kMute, "OnMute"},
      {ids::kPlay, "OnPlay"},
      {ids::kClearAll, "OnClearAll"},
      {ids::kBrowse, "OnBrowseScenario"},
      {ids::kBoostPriority, "OnBoostPriority"},
      {ids::kHide, "OnHide"},
      {ids::kAutoHide, "OnAutoHide"},
      {ids::kDynamicRandom, "OnDynamicRandom"},
  };
  for (const Route& route : routes) {
    dialog->calls.clear();
    ClickOn(Get<QAbstractButton>(route.id));
    EXPECT_EQ(dialog->calls, std::vector<std::string>{route.handler}) << route.id;
  }
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds()) {
    dialog->calls.clear();
    QCheckBox* box = Get<QCheckBox>(b.checkBoxId);
    ClickOn(box);
    EXPECT_TRUE(box->isChecked()) << "an automatic box ticks itself";
    EXPECT_EQ(dialog->calls, std::vector<std::string>{"OnBackgroundClicked(" +
                                                      std::to_string(b.backgroundIndex) + ")"});
  }
  dialog->calls.clear();
  QTest::keyClicks(Get<QLineEdit>(ids::kScenarioFile), "ab");
  EXPECT_EQ(dialog->calls,
            (std::vector<std::string>{"OnScenarioFileChange", "OnScenarioFileChange"}));
}

TEST_F(MainDialogTest, ClickingPlayOrMuteKeepsTheButtonsShowingTheState) {
  // Playing: Play pressed. Clicking Play again does nothing and must not release it.
  EXPECT_TRUE(Get<QPushButton>(ids::kPlay)->isChecked());
  EXPECT_FALSE(Get<QPushButton>(ids::kMute)->isChecked());
  ClickOn(Get<QPushButton>(ids::kPlay));
  EXPECT_TRUE(Get<QPushButton>(ids::kPlay)->isChecked());
  // Mute recorded but not passed on: the look stays "playing".
  ClickOn(Get<QPushButton>(ids::kMute));
  EXPECT_FALSE(Get<QPushButton>(ids::kMute)->isChecked());
  dialog->forward = true;
  ClickOn(Get<QPushButton>(ids::kMute));
  EXPECT_TRUE(Get<QPushButton>(ids::kMute)->isChecked());
  EXPECT_FALSE(Get<QPushButton>(ids::kPlay)->isChecked());
  EXPECT_FALSE(dialog->EffectSlider(4)->isEnabled());
  ClickOn(Get<QPushButton>(ids::kPlay));
  EXPECT_TRUE(Get<QPushButton>(ids::kPlay)->isChecked());
  EXPECT_FALSE(Get<QPushButton>(ids::kMute)->isChecked());
  EXPECT_TRUE(dialog->EffectSlider(4)->isEnabled());
}

TEST_F(MainDialogTest, SlidersAndBarsSendCodesPositionsAndTheirOwnId) {
  // The slider in the "Pan flute" row is effect 21's (1049).
  QSlider* panFlute = dialog->EffectSlider(21);
  ASSERT_EQ(panFlute, Get<QSlider>(1049));
  panFlute->setFocus();
  QTest::keyClick(panFlute, Qt::Key_Right);
  EXPECT_EQ(dialog->scrolls, (std::vector<ScrollCall>{{1, 0, 1049}, {8, 0, 1049}}));
  EXPECT_EQ(panFlute->value(), 2);

  dialog->scrolls.clear();
  QTest::keyClick(panFlute, Qt::Key_End);
  QTest::keyClick(panFlute, Qt::Key_Home);
  EXPECT_EQ(dialog->scrolls,
            (std::vector<ScrollCall>{{7, 0, 1049}, {8, 0, 1049}, {6, 0, 1049}, {8, 0, 1049}}));

  // A drag: thumb track with each position, thumb position on release, then the end.
  dialog->scrolls.clear();
  panFlute->setSliderDown(true);
  panFlute->setSliderPosition(3);
  panFlute->setSliderPosition(4);
  panFlute->setSliderDown(false);
  EXPECT_EQ(dialog->scrolls,
            (std::vector<ScrollCall>{{5, 3, 1049}, {5, 4, 1049}, {4, 4, 1049}, {8, 0, 1049}}));

  dialog->scrolls.clear();
  QScrollBar* random = Get<QScrollBar>(ids::kRandomVolumeBar);
  random->triggerAction(QAbstractSlider::SliderSingleStepSub);
  random->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(dialog->scrolls, (std::vector<ScrollCall>{{0, 0, ids::kRandomVolumeBar},
                                                      {8, 0, ids::kRandomVolumeBar},
                                                      {3, 0, ids::kRandomVolumeBar},
                                                      {8, 0, ids::kRandomVolumeBar}}));

  // Every effect slider names itself.
  for (const RandomEffect& e : SoundCatalogue::Effects()) {
    dialog->scrolls.clear();
    dialog->EffectSlider(e.effectIndex)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_EQ(dialog->scrolls.size(), 2u);
    EXPECT_EQ(dialog->scrolls[0], (ScrollCall{3, 0, e.sliderId}));
  }
}

TEST_F(MainDialogTest, ProgrammaticRefreshesReachNoHandler) {
  DialogValues& v = dialog->Values();
  v.m_backgroundOn.fill(1);
  v.m_autoStart = v.m_boostPriority = v.m_autoHide = v.m_dynamicRandom = 1;
  v.m_scenarioFile = "/home/user/night.lwd";
  dialog->ExchangeControlData(ExchangeDirection::kToControls);
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds()) {
    EXPECT_TRUE(Get<QCheckBox>(b.checkBoxId)->isChecked()) << b.label;
  }
  EXPECT_TRUE(Get<QCheckBox>(ids::kEnable)->isChecked());
  EXPECT_TRUE(Get<QCheckBox>(ids::kBoostPriority)->isChecked());
  EXPECT_TRUE(Get<QCheckBox>(ids::kAutoHide)->isChecked());
  EXPECT_TRUE(Get<QCheckBox>(ids::kDynamicRandom)->isChecked());
  EXPECT_EQ(Get<QLineEdit>(ids::kScenarioFile)->text(), "/home/user/night.lwd");

  for (int i = 1; i <= kEffectCount; ++i) dialog->SetSliderPosition(i, 3);
  dialog->SetBackgroundVolumeBar(4);
  dialog->SetRandomVolumeBar(2);
  dialog->EnableSoundControls(false);
  dialog->ShowPlayState(false);
  dialog->SetTitle("Lullwood v2.2");
  EXPECT_TRUE(dialog->calls.empty());
  EXPECT_TRUE(dialog->scrolls.empty());
  EXPECT_EQ(Get<QScrollBar>(ids::kBackgroundVolumeBar)->value(), 4);
  EXPECT_EQ(Get<QScrollBar>(ids::kRandomVolumeBar)->value(), 2);
  EXPECT_EQ(dialog->windowTitle(), "Lullwood v2.2");
}

TEST_F(MainDialogTest, ExchangeReadsTheControlsBack) {
  ClickOn(dialog->BackgroundBox(22));
  ClickOn(Get<QCheckBox>(ids::kAutoHide));
  Get<QLineEdit>(ids::kScenarioFile)->setText("rain \"quoted\".lwd");
  dialog->ExchangeControlData(ExchangeDirection::kFromControls);
  const DialogValues& v = dialog->Values();
  EXPECT_EQ(v.m_backgroundOn[22], 1);
  EXPECT_EQ(v.m_backgroundOn[0], 0);
  EXPECT_EQ(v.m_autoHide, 1);
  EXPECT_EQ(v.m_autoStart, 0);
  EXPECT_EQ(v.m_scenarioFile, "rain \"quoted\".lwd");
  EXPECT_FALSE(dialog->exchanging());
}

// A user action that arrives while an exchange runs (here: raised from inside it)
// reaches no handler; the same action afterwards does.
TEST_F(MainDialogTest, NotificationsDuringAnExchangeReachNoHandler) {
  QCheckBox* river = dialog->BackgroundBox(1);
  QCheckBox* enable = Get<QCheckBox>(ids::kEnable);
  QLineEdit* file = Get<QLineEdit>(ids::kScenarioFile);
  bool wasExchanging = false;
  const auto userActions = [&] {
    ClickOn(enable);
    QTest::keyClicks(file, "x");
    dialog->EffectSlider(7)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    Get<QScrollBar>(ids::kBackgroundVolumeBar)->triggerAction(QAbstractSlider::SliderSingleStepSub);
  };
  const QMetaObject::Connection nested =
      QObject::connect(river, &QCheckBox::toggled, dialog.get(), [&] {
        wasExchanging = dialog->exchanging();
        userActions();
      });
  dialog->Values().m_backgroundOn[1] = 1;
  dialog->ExchangeControlData(ExchangeDirection::kToControls);
  EXPECT_TRUE(wasExchanging);
  EXPECT_TRUE(dialog->calls.empty());
  EXPECT_TRUE(dialog->scrolls.empty());
  EXPECT_FALSE(dialog->exchanging());

  QObject::disconnect(nested);
  userActions();
  EXPECT_EQ(dialog->calls, (std::vector<std::string>{"OnAutoStart", "OnScenarioFileChange"}));
  EXPECT_EQ(dialog->scrolls.size(), 4u);
  ClickOn(river);
  EXPECT_EQ(dialog->calls.back(), "OnBackgroundClicked(1)");
}

TEST_F(MainDialogTest, EscapeIsSwallowedAndEnterPressesPlayUnlessAnotherButtonHasFocus) {
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), 0);
  EXPECT_TRUE(dialog->calls.empty());

  QCheckBox* enable = Get<QCheckBox>(ids::kEnable);
  enable->setFocus();
  QTest::keyClick(enable, Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  QTest::keyClick(enable, Qt::Key_Return);
  EXPECT_EQ(dialog->calls, std::vector<std::string>{"OnPlay"});

  dialog->calls.clear();
  QPushButton* mute = Get<QPushButton>(ids::kMute);
  mute->setFocus();
  QTest::keyClick(mute, Qt::Key_Return);
  EXPECT_EQ(dialog->calls, std::vector<std::string>{"OnMute"});

  dialog->calls.clear();
  QSlider* slider = dialog->EffectSlider(1);
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(dialog->calls, std::vector<std::string>{"OnPlay"});
  EXPECT_TRUE(dialog->scrolls.empty());
}

TEST_F(MainDialogTest, VolumeBarsShowTheStepTheRulesKept) {
  dialog->forward = true;
  QScrollBar* random = Get<QScrollBar>(ids::kRandomVolumeBar);
  random->setFocus();
  QTest::keyClick(random, Qt::Key_Left);  // quieter, as the thumb moves left
  EXPECT_EQ(state.mixer.randomVolumeStep, 9);
  EXPECT_EQ(random->value(), 9);
  QTest::keyClick(random, Qt::Key_Right);
  QTest::keyClick(random, Qt::Key_Left);
  EXPECT_EQ(random->value(), 9);
  // To either end is no step change for the rules; the thumb goes back to the step.
  QTest::keyClick(random, Qt::Key_Home);
  EXPECT_EQ(state.mixer.randomVolumeStep, 9);
  EXPECT_EQ(random->value(), 9);
  QScrollBar* background = Get<QScrollBar>(ids::kBackgroundVolumeBar);
  background->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(background->value(), state.mixer.backgroundVolumeStep);
  EXPECT_EQ(background->value(), 10);
  // A drag takes each position at once.
  background->setSliderDown(true);
  background->setSliderPosition(3);
  EXPECT_EQ(state.mixer.backgroundVolumeStep, 3);
  background->setSliderDown(false);
  EXPECT_EQ(background->value(), 3);
  EXPECT_EQ(background->contextMenuPolicy(), Qt::NoContextMenu);
}

TEST_F(MainDialogTest, SettingsHandlersStoreWhatTheControlsShow) {
  ClickOn(Get<QCheckBox>(ids::kAutoHide));
  dialog->CMainDialog::OnAutoHide();
  ClickOn(Get<QCheckBox>(ids::kBoostPriority));
  dialog->CMainDialog::OnBoostPriority();
  QTest::keyClicks(Get<QLineEdit>(ids::kScenarioFile), "rain.lwd");
  dialog->CMainDialog::OnScenarioFileChange();
  ClickOn(Get<QCheckBox>(ids::kEnable));
  dialog->CMainDialog::OnAutoStart();
  EXPECT_EQ(settings.values["AUTOHIDE"], "Y");
  EXPECT_EQ(settings.values["BOOST"], "Y");
  EXPECT_EQ(dialog->priority.raises, 1);
  EXPECT_EQ(settings.values["LWD"], "rain.lwd");
  EXPECT_EQ(settings.values["AUTO"], "Y");
}

TEST_F(MainDialogTest, HideLeavesAWayBackToTheWindow) {
  dialog->CMainDialog::OnHide();
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    EXPECT_FALSE(dialog->isVisible());
  } else {
    // Without a status area nothing could show a hidden window again.
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isMinimized());
  }
}

}  // namespace
}  // namespace lullwood::testing
