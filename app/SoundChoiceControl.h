// The user's choice of rendition on the window side: the menu bar's "S&ound" popup and
// the same two entries in the status-area icon's own menu, radio items sharing one
// group, so that both always show the rendition that plays. UI thread only.
#pragma once

#include <QObject>
#include <functional>
#include <string_view>

#include "SoundBuffer.h"
#include "Translatable.h"

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;

namespace lullwood {

inline constexpr std::string_view kSoundMenuTitle = QT_TRANSLATE_NOOP("Lullwood", "S&ound");
inline constexpr std::string_view kOriginalSoundsText =
    QT_TRANSLATE_NOOP("Lullwood", "Original sounds (11 kHz, 8-bit)");
inline constexpr std::string_view kFullBandSoundsText =
    QT_TRANSLATE_NOOP("Lullwood", "Full-bandwidth sounds (44.1 kHz)");

class SoundChoiceControl : public QObject {
  Q_OBJECT

 public:
  // `choose` receives the rendition whose entry the user picks.
  explicit SoundChoiceControl(std::function<void(Rendition)> choose, QObject* parent = nullptr);

  // The "S&ound" popup, before the bar's last popup ("&Help").
  QMenu* InstallInMenuBar(QMenuBar& bar);
  // The same entries as a submenu at the end of `menu`, after a separator.
  QMenu* AppendTo(QMenu& menu);
  // Checks the entry of `rendition` without telling anyone.
  void Show(Rendition rendition);

  QAction* action(Rendition rendition) const {
    return rendition == Rendition::kFullBand ? fullBand_ : original_;
  }

 private:
  void FillMenu(QMenu& menu);

  std::function<void(Rendition)> choose_;
  QActionGroup* group_ = nullptr;
  QAction* original_ = nullptr;
  QAction* fullBand_ = nullptr;
};

}  // namespace lullwood
