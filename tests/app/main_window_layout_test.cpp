// The layout table of the main window and the dialog-unit conversion.
#include <gtest/gtest.h>

#include <set>

#include "ControlIds.h"
#include "MainWindowLayout.h"
#include "SoundCatalogue.h"

namespace lullwood {
namespace {

bool Inside(const DluRect& inner, const DluRect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
         inner.y + inner.h <= outer.y + outer.h;
}

const LayoutRow& Named(std::string_view name) {
  for (const LayoutRow& row : MainWindowLayout()) {
    if (row.name == name) return row;
  }
  ADD_FAILURE() << "no row named " << name;
  static const LayoutRow none{};
  return none;
}

TEST(MainWindowLayout, IdsAndNamesAreUniqueAndEveryCatalogueControlIsThere) {
  std::set<int> ids;
  std::set<std::string> names;
  for (const LayoutRow& row : MainWindowLayout()) {
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
    if (row.id != 0) {
      EXPECT_TRUE(ids.insert(row.id).second) << row.id;
    }
    EXPECT_TRUE(Inside(row.rect, kMainWindowClient)) << row.name;
  }
  // 20 fixed rows with ids (Mute .. Dynamic Random, group 1060, Exit, Hide) plus the
  // catalogue's 23 boxes, 31 labels and 31 sliders.
  EXPECT_EQ(ids.size(), 14u + kBackgroundCount + 2u * kEffectCount);
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds()) {
    const LayoutRow* row = FindLayoutRow(b.checkBoxId);
    ASSERT_NE(row, nullptr) << b.checkBoxId;
    EXPECT_EQ(row->kind, ControlKind::kCheckBox);
    EXPECT_EQ(row->caption, b.label);
    EXPECT_EQ(row->rect.x, 116);
    EXPECT_EQ(row->rect.y, b.y);
  }
  for (const RandomEffect& e : SoundCatalogue::Effects()) {
    const LayoutRow* slider = FindLayoutRow(e.sliderId);
    const LayoutRow* label = FindLayoutRow(e.labelId);
    ASSERT_NE(slider, nullptr) << e.sliderId;
    ASSERT_NE(label, nullptr) << e.labelId;
    EXPECT_EQ(slider->kind, ControlKind::kTrackbar);
    EXPECT_EQ(slider->rect.x, 282);
    EXPECT_EQ(slider->rect.w, 148);
    EXPECT_EQ(slider->rect.h, 10);
    EXPECT_EQ(label->kind, ControlKind::kText);
    EXPECT_EQ(label->caption, e.label);
    EXPECT_EQ(label->rect.x, 222);
    // Level with its slider, and ending before it.
    EXPECT_EQ(label->rect.y, slider->rect.y);
    EXPECT_LE(label->rect.x + label->rect.w, slider->rect.x);
  }
  EXPECT_EQ(FindLayoutRow(0), nullptr);
  EXPECT_EQ(FindLayoutRow(4242), nullptr);
}

TEST(MainWindowLayout, FixedControlsStandWhereTheLayoutPutsThem) {
  struct Expected {
    int id;
    ControlKind kind;
    std::string_view caption;
    DluRect rect;
  };
  const Expected expected[] = {
      {ids::kMute, ControlKind::kPushButton, "Mute", {11, 68, 33, 14}},
      {ids::kPlay, ControlKind::kDefaultPushButton, "Play", {57, 68, 33, 14}},
      {ids::kBackgroundVolumeBar, ControlKind::kScrollBar, "", {41, 93, 53, 11}},
      {ids::kRandomVolumeBar, ControlKind::kScrollBar, "", {41, 108, 53, 11}},
      {ids::kDynamicRandom, ControlKind::kCheckBox, "Dynamic Random", {11, 122, 85, 13}},
      {ids::kClearAll, ControlKind::kPushButton, "Clear all audio settings", {10, 139, 81, 14}},
      {ids::kBoostPriority, ControlKind::kCheckBox, "Boost CPU Priority", {11, 156, 80, 12}},
      {ids::kEnable, ControlKind::kCheckBox, "Enable", {28, 194, 40, 9}},
      {ids::kAutoHide, ControlKind::kCheckBox, "Auto Hide", {28, 209, 47, 9}},
      {ids::kScenarioFile, ControlKind::kEditBox, "", {12, 232, 78, 13}},
      {ids::kBrowse, ControlKind::kPushButton, "Browse...", {26, 248, 44, 14}},
      {ids::kBackgroundGroup, ControlKind::kGroupBox, "Backgrounds (up to 3)", {104, 14, 105, 274}},
      {ids::kExit, ControlKind::kPushButton, "Exit", {112, 302, 39, 15}},
      {ids::kHide, ControlKind::kPushButton, "Hide", {161, 302, 39, 15}},
  };
  for (const Expected& e : expected) {
    const LayoutRow* row = FindLayoutRow(e.id);
    ASSERT_NE(row, nullptr) << e.id;
    EXPECT_EQ(row->kind, e.kind) << e.id;
    EXPECT_EQ(row->caption, e.caption) << e.id;
    EXPECT_EQ(row->rect.x, e.rect.x) << e.id;
    EXPECT_EQ(row->rect.y, e.rect.y) << e.id;
    EXPECT_EQ(row->rect.w, e.rect.w) << e.id;
    EXPECT_EQ(row->rect.h, e.rect.h) << e.id;
  }
  EXPECT_EQ(Named("hint").kind, ControlKind::kGreyText);
  EXPECT_EQ(Named("hint").caption, "Right Click anywhere to load or save a scenario.");
  EXPECT_EQ(Named("randomGroup").caption, "Random ");
  EXPECT_EQ(Named("sliderScale").caption,
            "Never         Rarely       Occasionally      Frequently");
  EXPECT_TRUE(Named("productLogo").framed);
  EXPECT_EQ(Named("productLogo").picture, kProductLogoPicture);
  EXPECT_EQ(Named("secondPicture").rect.y, 291);
}

TEST(MainWindowLayout, CatalogueControlsSitInTheirGroupsAndTabInRowOrder) {
  const DluRect backgrounds = FindLayoutRow(ids::kBackgroundGroup)->rect;
  const DluRect random = Named("randomGroup").rect;
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds()) {
    EXPECT_TRUE(Inside(FindLayoutRow(b.checkBoxId)->rect, backgrounds)) << b.label;
  }
  std::vector<int> sliderOrder;
  for (const LayoutRow& row : MainWindowLayout()) {
    if (row.kind == ControlKind::kTrackbar) {
      EXPECT_TRUE(Inside(row.rect, random)) << row.name;
      sliderOrder.push_back(row.id);
    }
  }
  // The sliders of effects 21, 20 and 19 stand in rows 19, 20 and 21.
  ASSERT_EQ(sliderOrder.size(), 31u);
  EXPECT_EQ(sliderOrder[18], 1049);
  EXPECT_EQ(sliderOrder[19], 1048);
  EXPECT_EQ(sliderOrder[20], 1047);
  for (size_t i = 1; i < sliderOrder.size(); ++i) {
    EXPECT_LT(FindLayoutRow(sliderOrder[i - 1])->rect.y, FindLayoutRow(sliderOrder[i])->rect.y);
  }
}

TEST(MainWindowLayout, NoControlReachesIntoAGroupItDoesNotBelongTo) {
  std::vector<const LayoutRow*> groups;
  for (const LayoutRow& row : MainWindowLayout()) {
    if (row.kind == ControlKind::kGroupBox) groups.push_back(&row);
  }
  ASSERT_EQ(groups.size(), 4u);
  for (const LayoutRow& row : MainWindowLayout()) {
    if (row.kind == ControlKind::kGroupBox) continue;
    for (const LayoutRow* group : groups) {
      const DluRect& a = row.rect;
      const DluRect& g = group->rect;
      const bool overlaps =
          a.x < g.x + g.w && g.x < a.x + a.w && a.y < g.y + g.h && g.y < a.y + a.h;
      EXPECT_TRUE(!overlaps || Inside(a, g)) << row.name << " reaches into " << group->name;
    }
  }
}

TEST(DialogUnits, ConvertWithTheFontsBaseUnitsAndKeepTouchingEdgesTouching) {
  const DialogUnits units{6.0, 13.0};
  EXPECT_EQ(units.XToPixels(4), 6);
  EXPECT_EQ(units.XToPixels(445), 668);  // 667.5 rounds up
  EXPECT_EQ(units.YToPixels(8), 13);
  EXPECT_EQ(units.YToPixels(327), 531);  // 531.375
  const PixelRect r = units.ToPixels({11, 68, 33, 14});
  EXPECT_EQ(r.x, 17);   // 16.5
  EXPECT_EQ(r.y, 111);  // 110.5
  EXPECT_EQ(r.w, 66 - 17);
  EXPECT_EQ(r.h, units.YToPixels(82) - 111);
  // Two rectangles that touch in dialog units touch in pixels, whatever the rounding.
  const DialogUnits odd{7.3, 13.7};
  for (int x = 0; x < 60; ++x) {
    const PixelRect left = odd.ToPixels({x, x, 7, 3});
    const PixelRect right = odd.ToPixels({x + 7, x + 3, 5, 5});
    EXPECT_EQ(left.x + left.w, right.x) << x;
    EXPECT_EQ(left.y + left.h, right.y) << x;
  }
}

}  // namespace
}  // namespace lullwood
