// The main window's layout: one row per control, in dialog units, and the conversion
// of dialog units to pixels. Qt-free; the window builds its widgets from these rows.
#pragma once

#include <string>
#include <string_view>
#include <vector>
#include "Translatable.h"

namespace lullwood {

enum class ControlKind {
  kPicture,  // a compiled-in picture; `framed` draws a sunken border round it
  kGroupBox,
  kPushButton,
  kDefaultPushButton,  // pressed by Enter unless another push button has the focus
  kText,
  kGreyText,   // static text shown disabled
  kScrollBar,  // horizontal, range 1..10
  kCheckBox,   // ticks itself on a click, then notifies
  kEditBox,    // bordered, scrolls horizontally
  kTrackbar,   // horizontal, range 1..4, no tick marks
};

// A rectangle in dialog units: x, y of the top left corner, width, height.
struct DluRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

struct PixelRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};

struct LayoutRow {
  int id;  // control id, 0 for a control nobody addresses
  ControlKind kind;
  std::string name;          // unique object name
  std::string_view caption;  // exact text; empty for bars, edit boxes and pictures
  DluRect rect;
  std::string_view picture = {};  // Qt resource path of a kPicture
  bool framed = false;
};

// The client area of the main window.
inline constexpr DluRect kMainWindowClient = {0, 0, 445, 327};
inline constexpr std::string_view kMainWindowTitle =
    QT_TRANSLATE_NOOP("Lullwood", "Quillor Lullwood");

inline constexpr std::string_view kProductLogoPicture = ":/images/logo.png";
inline constexpr std::string_view kSecondPicture = ":/images/scene.png";
inline constexpr std::string_view kProgramIcon = ":/images/icon.png";

// Every control of the main window in dialog (and tab) order: the master controls,
// the automatic-startup group, the 23 background boxes, Exit and Hide, then the
// "Random " group with its label and slider row by row.
const std::vector<LayoutRow>& MainWindowLayout();

// The row of the control with this id, or nullptr.
const LayoutRow* FindLayoutRow(int id);

// Dialog base units of a font: `baseWidth` pixels make four horizontal dialog units,
// `baseHeight` pixels eight vertical ones.
struct DialogUnits {
  double baseWidth = 4;
  double baseHeight = 8;

  // Edges are rounded on their own, so controls that touch in dialog units touch
  // in pixels.
  int XToPixels(int dlu) const;
  int YToPixels(int dlu) const;
  PixelRect ToPixels(const DluRect& rect) const;
};

}  // namespace lullwood
