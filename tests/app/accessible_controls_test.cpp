// What a screen reader is told of the main window: the sliders and volume bars named and
// read in words, a value set through the accessibility bridge taken as a user's move, and
// a keyboard walk that follows the three columns from the top.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

#include "AccessibleControls.h"
#include "ControlIds.h"
#include "DialogFixture.h"
#include "SoundCatalogue.h"

namespace lullwood::testing {
namespace {

constexpr unsigned kThumbPosition = 4;
constexpr unsigned kEndScroll = 8;

class AccessibleControlsTest : public DialogFixture<> {
 protected:
  void SetUp() override {
    DialogFixture::SetUp();
    Show();
    dialog->scrolls.clear();
  }
  static QAccessibleInterface* Accessible(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
  }
};

TEST(AccessibleWords, LevelsAndStepsReadAsTheWindowShowsThem) {
  EXPECT_EQ(LevelName(1), "Never");
  EXPECT_EQ(LevelName(2), "Rarely");
  EXPECT_EQ(LevelName(3), "Occasionally");
  EXPECT_EQ(LevelName(4), "Frequently");
  EXPECT_EQ(LevelName(0), "");
  EXPECT_EQ(LevelName(5), "");
  EXPECT_EQ(VolumeStepText(7, 10), "Step 7 of 10");
}

TEST_F(AccessibleControlsTest, EverySliderIsNamedByItsEffectAndReadsItsLevel) {
  for (const RandomEffect& e : SoundCatalogue::Effects()) {
    QSlider* slider = dialog->EffectSlider(e.effectIndex);
    QAccessibleInterface* reader = Accessible(slider);
    ASSERT_NE(reader, nullptr);
    const QString label = QString::fromUtf8(e.label.data(), e.label.size()).trimmed();
    EXPECT_EQ(reader->text(QAccessible::Name), label);
    EXPECT_EQ(reader->role(), QAccessible::Slider) << label.toStdString();
    ASSERT_NE(reader->valueInterface(), nullptr) << label.toStdString();
    EXPECT_EQ(reader->text(QAccessible::Value), "Never") << label.toStdString();
    EXPECT_EQ(reader->text(QAccessible::Description), "Never") << label.toStdString();
    EXPECT_EQ(reader->valueInterface()->minimumValue().toInt(), 1);
    EXPECT_EQ(reader->valueInterface()->maximumValue().toInt(), 4);
  }
  // "Robin " is shown with a trailing blank; it is read without it.
  bool robin = false;
  for (const RandomEffect& e : SoundCatalogue::Effects()) {
    robin = robin ||
            Accessible(dialog->EffectSlider(e.effectIndex))->text(QAccessible::Name) == "Robin";
  }
  EXPECT_TRUE(robin);
}

TEST_F(AccessibleControlsTest, TheVolumeBarsAreNamedByWhatTheySetAndReadTheirStep) {
  const struct {
    int id;
    const char* name;
  } bars[] = {{ids::kBackgroundVolumeBar, "Background volume"},
              {ids::kRandomVolumeBar, "Random volume"}};
  for (const auto& bar : bars) {
    auto* control = qobject_cast<QScrollBar*>(dialog->Control(bar.id));
    QAccessibleInterface* reader = Accessible(control);
    EXPECT_EQ(reader->text(QAccessible::Name), bar.name);
    EXPECT_EQ(reader->text(QAccessible::Value), QString("Step %1 of 10").arg(control->value()));
  }
}

TEST_F(AccessibleControlsTest, AValueSetThroughTheBridgeIsAUsersMoveAndIsReadAgain) {
  const RandomEffect& first = SoundCatalogue::Effects().front();
  QSlider* slider = dialog->EffectSlider(first.effectIndex);
  QAccessibleInterface* reader = Accessible(slider);
  reader->valueInterface()->setCurrentValue(3);
  EXPECT_EQ(slider->value(), 3);
  EXPECT_EQ(reader->text(QAccessible::Value), "Occasionally");
  EXPECT_EQ(reader->text(QAccessible::Description), "Occasionally");
  // The window hears it as the release of a dragged thumb, with the slider's own id.
  const std::vector<ScrollCall> expected = {{kThumbPosition, 3, first.sliderId},
                                            {kEndScroll, 0, first.sliderId}};
  EXPECT_EQ(dialog->scrolls, expected);
}

TEST_F(AccessibleControlsTest, TabWalksTheColumnsFromTheTopAndReachesEveryControl) {
  // The order Tab takes, from Mute: the master column, the backgrounds with Exit and Hide
  // under them, then the effects from the top row down.
  std::vector<QWidget*> expected;
  for (int id : {ids::kMute, ids::kPlay, ids::kBackgroundVolumeBar, ids::kRandomVolumeBar,
                 ids::kDynamicRandom, ids::kClearAll, ids::kBoostPriority, ids::kEnable,
                 ids::kAutoHide, ids::kScenarioFile, ids::kBrowse}) {
    expected.push_back(dialog->Control(id));
  }
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds())
    expected.push_back(dialog->Control(b.checkBoxId));
  expected.push_back(dialog->Control(ids::kExit));
  expected.push_back(dialog->Control(ids::kHide));
  for (int row = 1; row <= kEffectCount; ++row)
    expected.push_back(dialog->EffectSlider(SoundCatalogue::EffectInRow(row)->effectIndex));

  std::vector<QWidget*> walked;
  QWidget* at = expected.front();
  for (size_t i = 0; i < expected.size(); ++i) {
    walked.push_back(at);
    do {
      at = at->nextInFocusChain();
    } while (at != nullptr && !(at->focusPolicy() & Qt::TabFocus));
  }
  ASSERT_EQ(walked.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(walked[i], expected[i])
        << "stop " << i << ": " << walked[i]->objectName().toStdString() << " where "
        << expected[i]->objectName().toStdString() << " was expected";
  }
}

// Alt and a letter opens each popup of the menu bar, and within each popup a letter
// chooses one entry: no two share their letter ("&Sound" once took Alt+S from
// "&Scenario", and then neither opened).
TEST_F(AccessibleControlsTest, EveryMenuLetterIsTheOnlyOneOfItsMenu) {
  const auto letterOf = [](const QString& text) {
    const qsizetype at = text.indexOf('&');
    return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
  };
  const auto checkUnique = [&](const QList<QAction*>& actions, const QString& where) {
    QList<QChar> letters;
    for (const QAction* action : actions) {
      const QChar letter = letterOf(action->text());
      if (letter.isNull()) continue;
      EXPECT_FALSE(letters.contains(letter))
          << where.toStdString() << ": '" << QString(letter).toStdString() << "' in "
          << action->text().toStdString() << " is taken";
      letters << letter;
    }
  };
  const QList<QAction*> popups = dialog->menuBar()->actions();
  ASSERT_GE(popups.size(), 4);
  checkUnique(popups, "the menu bar");
  for (const QAction* popup : popups) {
    ASSERT_NE(popup->menu(), nullptr);
    EXPECT_FALSE(letterOf(popup->text()).isNull()) << popup->text().toStdString();
    checkUnique(popup->menu()->actions(), popup->text());
  }
}

}  // namespace
}  // namespace lullwood::testing
