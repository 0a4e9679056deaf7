#include "MainWindowLayout.h"

#include <cmath>

#include "ControlIds.h"
#include "SoundCatalogue.h"
#include "Translatable.h"

namespace lullwood {
namespace {

// Width of every background box: from its x to just inside the group's right edge.
constexpr int kBackgroundBoxWidth = 88;
constexpr int kBackgroundBoxHeight = 10;
// Effect labels run from their x to just before the sliders.
constexpr int kEffectLabelWidth = kEffectSliderX - kEffectLabelX - 2;
constexpr int kEffectLabelHeight = 8;

std::vector<LayoutRow> BuildLayout() {
  using K = ControlKind;
  std::vector<LayoutRow> rows = {
      // A picture control takes its picture's size; this one stops short of the
      // Backgrounds group so that the group's title stays readable.
      {0, K::kPicture, "productLogo", "", {5, 3, 97, 34}, kProductLogoPicture, true},
      {0,
       K::kGroupBox,
       "masterGroup",
       QT_TRANSLATE_NOOP("Lullwood", "Master Controls"),
       {3, 57, 96, 117}},
      {ids::kMute, K::kPushButton, "mute", QT_TRANSLATE_NOOP("Lullwood", "Mute"), {11, 68, 33, 14}},
      {ids::kPlay,
       K::kDefaultPushButton,
       "play",
       QT_TRANSLATE_NOOP("Lullwood", "Play"),
       {57, 68, 33, 14}},
      {0, K::kText, "volumeHeading", QT_TRANSLATE_NOOP("Lullwood", "Volume"), {34, 83, 30, 8}},
      {0,
       K::kText,
       "backgroundVolumeLabel",
       QT_TRANSLATE_NOOP("Lullwood", "Backgrnd"),
       {7, 94, 32, 10}},
      {ids::kBackgroundVolumeBar, K::kScrollBar, "backgroundVolume", "", {41, 93, 53, 11}},
      {0, K::kText, "randomVolumeLabel", QT_TRANSLATE_NOOP("Lullwood", "Random"), {7, 108, 31, 9}},
      {ids::kRandomVolumeBar, K::kScrollBar, "randomVolume", "", {41, 108, 53, 11}},
      {ids::kDynamicRandom,
       K::kCheckBox,
       "dynamicRandom",
       QT_TRANSLATE_NOOP("Lullwood", "Dynamic Random"),
       {11, 122, 85, 13}},
      {ids::kClearAll,
       K::kPushButton,
       "clearAll",
       QT_TRANSLATE_NOOP("Lullwood", "Clear all audio settings"),
       {10, 139, 81, 14}},
      {ids::kBoostPriority,
       K::kCheckBox,
       "boostPriority",
       QT_TRANSLATE_NOOP("Lullwood", "Boost CPU Priority"),
       {11, 156, 80, 12}},
      {0,
       K::kGroupBox,
       "autoStartGroup",
       QT_TRANSLATE_NOOP("Lullwood", "Automatic Startup"),
       {4, 182, 96, 82}},
      {ids::kEnable,
       K::kCheckBox,
       "enable",
       QT_TRANSLATE_NOOP("Lullwood", "Enable"),
       {28, 194, 40, 9}},
      {ids::kAutoHide,
       K::kCheckBox,
       "autoHide",
       QT_TRANSLATE_NOOP("Lullwood", "Auto Hide"),
       {28, 209, 47, 9}},
      {0,
       K::kText,
       "scenarioFileLabel",
       QT_TRANSLATE_NOOP("Lullwood", "Scenario filename:"),
       {14, 224, 75, 9}},
      {ids::kScenarioFile, K::kEditBox, "scenarioFile", "", {12, 232, 78, 13}},
      {ids::kBrowse,
       K::kPushButton,
       "browse",
       QT_TRANSLATE_NOOP("Lullwood", "Browse..."),
       {26, 248, 44, 14}},
      {0,
       K::kGreyText,
       "hint",
       QT_TRANSLATE_NOOP("Lullwood", "Right Click anywhere to load or save a scenario."),
       {11, 270, 79, 16}},
      {ids::kBackgroundGroup,
       K::kGroupBox,
       "backgroundGroup",
       QT_TRANSLATE_NOOP("Lullwood", "Backgrounds (up to 3)"),
       {104, 14, 105, 274}},
  };
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds()) {
    rows.push_back({b.checkBoxId,
                    K::kCheckBox,
                    "background" + std::to_string(b.backgroundIndex),
                    b.label,
                    {kBackgroundBoxX, b.y, kBackgroundBoxWidth, kBackgroundBoxHeight}});
  }
  rows.push_back({ids::kExit,
                  K::kPushButton,
                  "exit",
                  QT_TRANSLATE_NOOP("Lullwood", "Exit"),
                  {112, 302, 39, 15}});
  rows.push_back({ids::kHide,
                  K::kPushButton,
                  "hide",
                  QT_TRANSLATE_NOOP("Lullwood", "Hide"),
                  {161, 302, 39, 15}});
  rows.push_back({0,
                  K::kGroupBox,
                  "randomGroup",
                  QT_TRANSLATE_NOOP("Lullwood", "Random "),
                  {211, 0, 229, 324}});
  rows.push_back(
      {0,
       K::kText,
       "sliderScale",
       QT_TRANSLATE_NOOP("Lullwood", "Never         Rarely       Occasionally      Frequently"),
       {278, 9, 154, 8}});
  // Row by row, so that the tab order follows the rows (rows 19 to 21 hold the
  // sliders of effects 21, 20 and 19).
  for (int row = 1; row <= kEffectCount; ++row) {
    const RandomEffect* e = SoundCatalogue::EffectInRow(row);
    // The label belongs to the row it stands in, which is the row of the slider.
    rows.push_back({e->labelId,
                    K::kText,
                    "effectLabel" + std::to_string(row),
                    e->label,
                    {kEffectLabelX, e->y, kEffectLabelWidth, kEffectLabelHeight}});
    rows.push_back({e->sliderId,
                    K::kTrackbar,
                    "effect" + std::to_string(e->effectIndex),
                    "",
                    {kEffectSliderX, e->y, kEffectSliderWidth, kEffectSliderHeight}});
  }
  rows.push_back({0, K::kPicture, "secondPicture", "", {13, 291, 74, 28}, kSecondPicture, false});
  return rows;
}

int Round(double v) {
  return static_cast<int>(std::lround(v));
}

}  // namespace

const std::vector<LayoutRow>& MainWindowLayout() {
  static const std::vector<LayoutRow> rows = BuildLayout();
  return rows;
}

const LayoutRow* FindLayoutRow(int id) {
  if (id == 0) return nullptr;
  for (const LayoutRow& row : MainWindowLayout()) {
    if (row.id == id) return &row;
  }
  return nullptr;
}

int DialogUnits::XToPixels(int dlu) const {
  return Round(dlu * baseWidth / 4.0);
}
int DialogUnits::YToPixels(int dlu) const {
  return Round(dlu * baseHeight / 8.0);
}

PixelRect DialogUnits::ToPixels(const DluRect& r) const {
  const int left = XToPixels(r.x);
  const int top = YToPixels(r.y);
  return {left, top, XToPixels(r.x + r.w) - left, YToPixels(r.y + r.h) - top};
}

}  // namespace lullwood
