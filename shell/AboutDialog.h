// The About box: logo, version and OK, laid out in dialog units of its own font, and
// between them a few centred lines on what the program is, who holds it, where its
// sounds come from and where the help is. It has no state; it is closed by OK, Escape
// or its close box. UI thread only.
#pragma once

#include <QDialog>
#include <QRect>
#include <QStringList>
#include <span>
#include <string_view>

#include "LullwoodVersion.h"
#include "Translatable.h"

namespace lullwood {

inline constexpr std::string_view kAboutTitle = QT_TRANSLATE_NOOP("Lullwood", "About Lullwood");
inline constexpr std::string_view kAboutVersion = kVersion;
inline constexpr std::string_view kAboutLogoPicture = ":/images/logo.png";

// Dialog units, as x, y, width, height.
struct AboutRow {
  std::string_view name;  // object name of the widget
  int id;                 // 1 for OK, 0 for controls nobody addresses
  int x, y, w, h;
};

// Window layout 100: the client area, then the logo, the version and OK.
inline constexpr AboutRow kAboutClient = {"client", 0, 0, 0, 217, 210};
std::span<const AboutRow> AboutLayout();
// The text in the field between the logo and OK, clear of both and of the box's edges.
inline constexpr AboutRow kAboutTextRow = {"aboutText", 0, 8, 26, 201, 152};

// The paragraphs of that text, in order, each a line or two in the box.
QStringList AboutParagraphs();

class CAboutDialog : public QDialog {
  Q_OBJECT

 public:
  // Modal over `owner` (normally the main window) while it runs.
  explicit CAboutDialog(QWidget* owner);

  // Pixels of a rectangle in this box's dialog units.
  QRect ToPixels(int x, int y, int w, int h) const;

 private:
  double baseWidth_ = 4;   // pixels per four horizontal dialog units
  double baseHeight_ = 8;  // pixels per eight vertical dialog units
};

// Constructs the About box over `owner`, runs it modally and destroys it.
void RunAboutBox(QWidget* owner);

}  // namespace lullwood
