// The whole window in the desktop's light and dark palettes: every caption and control
// reads at 4.5:1 or more against what it is drawn on. With LULLWOOD_WINDOW_SHOTS set to a
// folder, a picture of the window in each palette is saved there to be looked at.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include "ColorScheme.h"
#include "DialogFixture.h"

namespace lullwood::testing {
namespace {

class DarkWindowTest : public DialogFixture<>, public ::testing::WithParamInterface<ColorScheme> {
 protected:
  void TearDown() override {
    DialogFixture::TearDown();
    QApplication::setPalette(PaletteFor(ColorScheme::kLight));
  }
};

TEST_P(DarkWindowTest, EveryCaptionReads) {
  const ColorScheme scheme = GetParam();
  const char* name = scheme == ColorScheme::kDark ? "dark" : "light";
  // As at start-up: the palette is the application's before the window is made. (Qt
  // passes a later change on to open windows only while the event loop runs.)
  QApplication::setPalette(PaletteFor(scheme));
  Show();
  EXPECT_EQ(dialog->palette().color(QPalette::Window).lightness() < 80,
            scheme == ColorScheme::kDark);
  int captions = 0;
  for (QWidget* widget : dialog->findChildren<QWidget*>()) {
    if (!widget->isVisible()) continue;
    // Where each kind of control draws its text, and on what.
    QPalette::ColorRole text = QPalette::WindowText, background = QPalette::Window;
    if (qobject_cast<QLineEdit*>(widget)) {
      text = QPalette::Text;
      background = QPalette::Base;
    } else if (qobject_cast<QAbstractButton*>(widget) && !widget->inherits("QCheckBox")) {
      text = QPalette::ButtonText;
      background = QPalette::Button;
    } else if (!qobject_cast<QLabel*>(widget) && !widget->inherits("QCheckBox")) {
      continue;
    }
    const QPalette::ColorGroup group = widget->isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QPalette& p = widget->palette();
    EXPECT_GE(ContrastRatio(p.color(group, text), p.color(group, background)), 4.5)
        << name << ": " << widget->objectName().toStdString();
    ++captions;
  }
  // The 31 effects' labels, the 23 boxes and the rest.
  EXPECT_GT(captions, 60);
  if (const QByteArray folder = qgetenv("LULLWOOD_WINDOW_SHOTS"); !folder.isEmpty()) {
    dialog->grab().save(QString::fromUtf8(folder) + "/window-" + name + ".png");
  }
}

INSTANTIATE_TEST_SUITE_P(BothSchemes, DarkWindowTest,
                         ::testing::Values(ColorScheme::kLight, ColorScheme::kDark));

}  // namespace
}  // namespace lullwood::testing
