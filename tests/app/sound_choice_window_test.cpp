// The choice of rendition in the whole window: the "S&ound" popup, the same entries in
// the status-area icon's menu, the stored choice at start-up, a switch while playing.
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>

#include "DialogFixture.h"
#include "EventWaits.h"
#include "SoundChoiceControl.h"
#include "TrayIcon.h"

namespace lullwood::testing {
namespace {

class SoundChoiceWindow : public DialogFixture<CMainDialog> {
 protected:
  SoundChoiceControl& choice() { return dialog->soundChoice(); }
  QAction* Original() { return choice().action(Rendition::kOriginal); }
  QAction* FullBand() { return choice().action(Rendition::kFullBand); }
  static QList<QAction*> EntriesOf(QMenu* menu) {
    QList<QAction*> actions;
    for (QAction* action : menu->actions()) {
      if (!action->isSeparator()) actions << action;
    }
    return actions;
  }
};

TEST_F(SoundChoiceWindow, TheSoundMenuOffersTheTwoRenditionsAsRadioItemsInBothMenus) {
  Start();
  QStringList titles;
  for (QAction* popup : dialog->menuBar()->actions()) titles << popup->text();
  EXPECT_EQ(titles, (QStringList{"&Scenario", "&Timer", "S&ound", "&Help"}));
  QMenu* sound = dialog->menuBar()->actions()[2]->menu();
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(EntriesOf(sound), (QList<QAction*>{Original(), FullBand()}));
  EXPECT_EQ(Original()->text(), "Original sounds (11 kHz, 8-bit)");
  EXPECT_EQ(FullBand()->text(), "Full-bandwidth sounds (44.1 kHz)");
  for (QAction* action : {Original(), FullBand()}) {
    EXPECT_TRUE(action->isCheckable());
    ASSERT_NE(action->actionGroup(), nullptr);
    EXPECT_TRUE(action->actionGroup()->isExclusive());
  }
  // A new user meets the original sounds, and nothing is written until a choice.
  EXPECT_TRUE(Original()->isChecked());
  EXPECT_EQ(state.mixer.rendition, Rendition::kOriginal);
  EXPECT_FALSE(settings.values.count("FULLBAND"));

  // The icon's menu: the Scenario entries, the same two actions, then the timer.
  QMenu* iconMenu = dialog->trayIcon()->icon().contextMenu();
  QMenu* iconSound = nullptr;
  for (QAction* action : iconMenu->actions()) {
    if (action->menu() && action->text() == "S&ound") iconSound = action->menu();
  }
  ASSERT_NE(iconSound, nullptr);
  EXPECT_EQ(EntriesOf(iconSound), EntriesOf(sound)) << "the very same actions";
}

TEST_F(SoundChoiceWindow, AStoredChoiceIsShownAtStartUpAndAChoiceIsStoredAndHeardAtOnce) {
  settings.values["FULLBAND"] = "Y";
  Start();
  EXPECT_TRUE(FullBand()->isChecked());
  EXPECT_EQ(state.mixer.rendition, Rendition::kFullBand);

  ClickOn(dialog->BackgroundBox(0));
  ASSERT_NE(state.backgrounds.slot[0], nullptr);
  EXPECT_EQ(state.backgrounds.slot[0]->rendition(), Rendition::kFullBand);

  Original()->trigger();
  EXPECT_TRUE(Original()->isChecked());
  EXPECT_FALSE(FullBand()->isChecked());
  EXPECT_EQ(settings.values["FULLBAND"], "N");
  EXPECT_EQ(state.backgrounds.slot[0]->rendition(), Rendition::kOriginal);
  EXPECT_TRUE(state.backgrounds.slot[0]->IsPlaying());
}

}  // namespace
}  // namespace lullwood::testing
