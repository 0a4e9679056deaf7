#include "SoundChoiceControl.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "Menus.h"
#include "QtText.h"

namespace lullwood {

SoundChoiceControl::SoundChoiceControl(std::function<void(Rendition)> choose, QObject* parent)
    : QObject(parent), choose_(std::move(choose)) {
  group_ = new QActionGroup(this);
  group_->setExclusive(true);
  original_ = group_->addAction(UiText(kOriginalSoundsText));
  fullBand_ = group_->addAction(UiText(kFullBandSoundsText));
  for (QAction* action : {original_, fullBand_}) action->setCheckable(true);
  original_->setChecked(true);
  connect(group_, &QActionGroup::triggered, this, [this](QAction* action) {
    choose_(action == fullBand_ ? Rendition::kFullBand : Rendition::kOriginal);
  });
}

void SoundChoiceControl::FillMenu(QMenu& menu) {
  menu.addAction(original_);
  menu.addAction(fullBand_);
}

QMenu* SoundChoiceControl::InstallInMenuBar(QMenuBar& bar) {
  QMenu* menu = AddPopupBeforeHelp(bar, UiText(kSoundMenuTitle), "soundMenu");
  FillMenu(*menu);
  return menu;
}

QMenu* SoundChoiceControl::AppendTo(QMenu& menu) {
  QMenu* submenu = AppendSubmenu(menu, UiText(kSoundMenuTitle), "traySoundMenu");
  FillMenu(*submenu);
  return submenu;
}

void SoundChoiceControl::Show(Rendition rendition) {
  action(rendition)->setChecked(true);
}

}  // namespace lullwood
