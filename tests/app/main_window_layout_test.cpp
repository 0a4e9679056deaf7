// The layout table of the main window and the dialog-unit conversion.
#include <gtest/gtest.h>

#include <set>
#include <string_view>
#include <vector>

#include "MainWindowLayout.h"

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

// Width or height that the rows below leave to the layout.
constexpr int kAny = -1;

struct Expected {
  int id;
  ControlKind kind;
  std::string_view caption;
  DluRect rect;
};

// Every control of the main window in dialog (and tab) order, written out: id (0 for
// none), kind, caption with its blanks, x, y, width, height in dialog units.
std::vector<Expected> ExpectedLayout() {
  using K = ControlKind;
  return {
      // Narrowed from the picture's 109 so that it stops short of the Backgrounds
      // group (x 104) and the group's title stays readable.
      {0, K::kPicture, "", {5, 3, 97, 34}},
      {0, K::kGroupBox, "Master Controls", {3, 57, 96, 117}},
      {1051, K::kPushButton, "Mute", {11, 68, 33, 14}},
      {1007, K::kDefaultPushButton, "Play", {57, 68, 33, 14}},
      {0, K::kText, "Volume", {34, 83, 30, 8}},
      {0, K::kText, "Backgrnd", {7, 94, 32, 10}},
      {1001, K::kScrollBar, "", {41, 93, 53, 11}},
      {0, K::kText, "Random", {7, 108, 31, 9}},
      {1003, K::kScrollBar, "", {41, 108, 53, 11}},
      {1104, K::kCheckBox, "Dynamic Random", {11, 122, 85, 13}},
      {1056, K::kPushButton, "Clear all audio settings", {10, 139, 81, 14}},
      {1085, K::kCheckBox, "Boost CPU Priority", {11, 156, 80, 12}},
      {0, K::kGroupBox, "Automatic Startup", {4, 182, 96, 82}},
      {1011, K::kCheckBox, "Enable", {28, 194, 40, 9}},
      {1090, K::kCheckBox, "Auto Hide", {28, 209, 47, 9}},
      {0, K::kText, "Scenario filename:", {14, 224, 75, 9}},
      {1057, K::kEditBox, "", {12, 232, 78, 13}},
      {1058, K::kPushButton, "Browse...", {26, 248, 44, 14}},
      {0, K::kGreyText, "Right Click anywhere to load or save a scenario.", {11, 270, 79, 16}},
      {1060, K::kGroupBox, "Backgrounds (up to 3)", {104, 14, 105, 274}},
      {1005, K::kCheckBox, "Ocean Surf", {116, 29, kAny, kAny}},
      {1006, K::kCheckBox, "River", {116, 40, kAny, kAny}},
      {1010, K::kCheckBox, "White noise", {116, 50, kAny, kAny}},
      {1012, K::kCheckBox, "Night time", {116, 61, kAny, kAny}},
      {1013, K::kCheckBox, "Rain", {116, 72, kAny, kAny}},
      {1014, K::kCheckBox, "Wind", {116, 83, kAny, kAny}},
      {1015, K::kCheckBox, "Waterfall ", {116, 92, kAny, kAny}},
      {1016, K::kCheckBox, "Brook", {116, 104, kAny, kAny}},
      {1017, K::kCheckBox, "Heartbeat", {116, 115, kAny, kAny}},
      {1018, K::kCheckBox, "Indian drum", {116, 127, kAny, kAny}},
      {1019, K::kCheckBox, "South Am. jungle", {116, 137, kAny, kAny}},
      {1020, K::kCheckBox, "African jungle", {116, 149, kAny, kAny}},
      {1021, K::kCheckBox, "Train track", {116, 160, kAny, kAny}},
      {1022, K::kCheckBox, "Pink Noise", {116, 171, kAny, kAny}},
      {1023, K::kCheckBox, "Ocean Breakers", {116, 180, kAny, kAny}},
      {1024, K::kCheckBox, "Stream", {116, 192, kAny, kAny}},
      {1025, K::kCheckBox, "Rain on glass", {116, 203, kAny, kAny}},
      {1026, K::kCheckBox, "Light wind", {116, 215, kAny, kAny}},
      {1027, K::kCheckBox, "Heavy wind", {116, 226, kAny, kAny}},
      {1028, K::kCheckBox, "Strange wind", {116, 237, kAny, kAny}},
      {1029, K::kCheckBox, "Factory", {116, 248, kAny, kAny}},
      {1030, K::kCheckBox, "Museum", {116, 259, kAny, kAny}},
      {1031, K::kCheckBox, "Clock tick", {116, 271, kAny, kAny}},
      {1059, K::kPushButton, "Exit", {112, 302, 39, 15}},
      {1088, K::kPushButton, "Hide", {161, 302, 39, 15}},
      {0, K::kGroupBox, "Random ", {211, 0, 229, 324}},
      {0, K::kText, "Never         Rarely       Occasionally      Frequently", {278, 9, 154, 8}},
      {1061, K::kText, "Dog Bark", {222, 16, kAny, kAny}},
      {1004, K::kTrackbar, "", {282, 16, 148, 10}},
      {1062, K::kText, "Horse", {222, 26, kAny, kAny}},
      {1008, K::kTrackbar, "", {282, 26, 148, 10}},
      {1063, K::kText, "Wolves", {222, 36, kAny, kAny}},
      {1009, K::kTrackbar, "", {282, 36, 148, 10}},
      {1064, K::kText, "Loon cry", {222, 46, kAny, kAny}},
      {1032, K::kTrackbar, "", {282, 46, 148, 10}},
      {1065, K::kText, "Nightingale", {222, 56, kAny, kAny}},
      {1033, K::kTrackbar, "", {282, 56, 148, 10}},
      {1066, K::kText, "Crow", {222, 66, kAny, kAny}},
      {1034, K::kTrackbar, "", {282, 66, 148, 10}},
      {1067, K::kText, "Bird", {222, 76, kAny, kAny}},
      {1035, K::kTrackbar, "", {282, 76, 148, 10}},
      {1068, K::kText, "High gliss", {222, 86, kAny, kAny}},
      {1036, K::kTrackbar, "", {282, 86, 148, 10}},
      {1069, K::kText, "Sea Gull", {222, 96, kAny, kAny}},
      {1037, K::kTrackbar, "", {282, 96, 148, 10}},
      {1070, K::kText, "Whale", {222, 106, kAny, kAny}},
      {1038, K::kTrackbar, "", {282, 106, 148, 10}},
      {1071, K::kText, "Ominous note", {222, 116, kAny, kAny}},
      {1039, K::kTrackbar, "", {282, 116, 148, 10}},
      {1072, K::kText, "Hawk", {222, 126, kAny, kAny}},
      {1040, K::kTrackbar, "", {282, 126, 148, 10}},
      {1073, K::kText, "Church bell", {222, 136, kAny, kAny}},
      {1041, K::kTrackbar, "", {282, 136, 148, 10}},
      {1074, K::kText, "Distant thunder", {222, 146, kAny, kAny}},
      {1042, K::kTrackbar, "", {282, 146, 148, 10}},
      {1075, K::kText, "Loon 2", {222, 156, kAny, kAny}},
      {1043, K::kTrackbar, "", {282, 156, 148, 10}},
      {1076, K::kText, "Train whistle", {222, 166, kAny, kAny}},
      {1044, K::kTrackbar, "", {282, 166, 148, 10}},
      {1077, K::kText, "Cardinal", {222, 176, kAny, kAny}},
      {1045, K::kTrackbar, "", {282, 176, 148, 10}},
      {1078, K::kText, "Ship's horn", {222, 186, kAny, kAny}},
      {1046, K::kTrackbar, "", {282, 186, 148, 10}},
      // Row 19 holds the slider of effect 21.
      {1079, K::kText, "Pan flute", {222, 196, kAny, kAny}},
      {1049, K::kTrackbar, "", {282, 196, 148, 10}},
      // Row 20 holds the slider of effect 20.
      {1080, K::kText, "Distant Gulls", {222, 206, kAny, kAny}},
      {1048, K::kTrackbar, "", {282, 206, 148, 10}},
      // Row 21 holds the slider of effect 19.
      {1081, K::kText, "Sea Lion", {222, 216, kAny, kAny}},
      {1047, K::kTrackbar, "", {282, 216, 148, 10}},
      {1082, K::kText, "Big thunder", {222, 226, kAny, kAny}},
      {1050, K::kTrackbar, "", {282, 226, 148, 10}},
      {1083, K::kText, "RW Blackbird", {222, 236, kAny, kAny}},
      {1052, K::kTrackbar, "", {282, 236, 148, 10}},
      {1084, K::kText, "Wh. Crane", {222, 245, kAny, kAny}},
      {1053, K::kTrackbar, "", {282, 245, 148, 10}},
      {1086, K::kText, "Oceanliner", {222, 254, kAny, kAny}},
      {1054, K::kTrackbar, "", {282, 254, 148, 10}},
      {1092, K::kText, "Cattle", {222, 264, kAny, kAny}},
      {1087, K::kTrackbar, "", {282, 264, 148, 10}},
      {1093, K::kText, "Robin ", {222, 273, kAny, kAny}},
      {1089, K::kTrackbar, "", {282, 273, 148, 10}},
      {1094, K::kText, "Woodpecker", {222, 282, kAny, kAny}},
      {1091, K::kTrackbar, "", {282, 282, 148, 10}},
      {1101, K::kText, "Frog", {222, 291, kAny, kAny}},
      {1095, K::kTrackbar, "", {282, 291, 148, 10}},
      {1102, K::kText, "Crickets", {222, 301, kAny, kAny}},
      {1096, K::kTrackbar, "", {282, 301, 148, 10}},
      {1103, K::kText, "High Chimes", {222, 309, kAny, kAny}},
      {1097, K::kTrackbar, "", {282, 309, 148, 10}},
      {0, K::kPicture, "", {13, 291, 74, 28}},
  };
}

TEST(MainWindowLayout, EveryControlIsListedInDialogOrder) {
  const std::vector<Expected> expected = ExpectedLayout();
  const std::vector<LayoutRow>& rows = MainWindowLayout();
  ASSERT_EQ(rows.size(), expected.size());
  for (size_t k = 0; k < rows.size(); ++k) {
    const Expected& e = expected[k];
    const LayoutRow& row = rows[k];
    EXPECT_EQ(row.id, e.id) << "row " << k << " " << row.name;
    EXPECT_EQ(row.kind, e.kind) << row.name;
    EXPECT_EQ(row.caption, e.caption) << row.name;
    EXPECT_EQ(row.rect.x, e.rect.x) << row.name;
    EXPECT_EQ(row.rect.y, e.rect.y) << row.name;
    if (e.rect.w != kAny) {
      EXPECT_EQ(row.rect.w, e.rect.w) << row.name;
    }
    if (e.rect.h != kAny) {
      EXPECT_EQ(row.rect.h, e.rect.h) << row.name;
    }
    if (e.id != 0) {
      EXPECT_EQ(FindLayoutRow(e.id), &row) << e.id;
    }
  }
  EXPECT_EQ(rows.front().picture, ":/images/logo.png");
  EXPECT_TRUE(rows.front().framed) << "the logo stands in a sunken frame";
  EXPECT_EQ(rows.back().picture, ":/images/scene.png");
  EXPECT_FALSE(rows.back().framed);
  EXPECT_EQ(kMainWindowClient.w, 445);
  EXPECT_EQ(kMainWindowClient.h, 327);
  EXPECT_EQ(kMainWindowTitle, "Quillor Lullwood");
  EXPECT_EQ(FindLayoutRow(0), nullptr);
  EXPECT_EQ(FindLayoutRow(4242), nullptr);
}

TEST(MainWindowLayout, NamesAreUniqueAndEveryControlFitsTheWindow) {
  std::set<std::string> names;
  std::set<int> ids;
  for (const LayoutRow& row : MainWindowLayout()) {
    EXPECT_TRUE(names.insert(row.name).second) << row.name;
    if (row.id != 0) {
      EXPECT_TRUE(ids.insert(row.id).second) << row.id;
    }
    EXPECT_TRUE(Inside(row.rect, kMainWindowClient)) << row.name;
    EXPECT_GT(row.rect.w, 0) << row.name;
    EXPECT_GT(row.rect.h, 0) << row.name;
  }
  // Each effect label ends before the slider of its row.
  for (const LayoutRow& row : MainWindowLayout()) {
    if (row.kind != ControlKind::kTrackbar) continue;
    for (const LayoutRow& label : MainWindowLayout()) {
      if (label.kind == ControlKind::kText && label.rect.y == row.rect.y && label.rect.x == 222) {
        EXPECT_LE(label.rect.x + label.rect.w, row.rect.x) << label.name;
      }
    }
  }
}

TEST(MainWindowLayout, CatalogueControlsSitInTheirGroupsAndTabInRowOrder) {
  const DluRect backgrounds = FindLayoutRow(1060)->rect;
  const DluRect random = Named("randomGroup").rect;
  std::vector<int> sliderOrder;
  for (const LayoutRow& row : MainWindowLayout()) {
    if (row.kind == ControlKind::kCheckBox && row.rect.x == 116) {
      EXPECT_TRUE(Inside(row.rect, backgrounds)) << row.name;
    }
    if (row.kind == ControlKind::kTrackbar) {
      EXPECT_TRUE(Inside(row.rect, random)) << row.name;
      sliderOrder.push_back(row.id);
    }
  }
  const std::vector<int> rowOrder = {1004, 1008, 1009, 1032, 1033, 1034, 1035, 1036,
                                     1037, 1038, 1039, 1040, 1041, 1042, 1043, 1044,
                                     1045, 1046, 1049, 1048, 1047, 1050, 1052, 1053,
                                     1054, 1087, 1089, 1091, 1095, 1096, 1097};
  EXPECT_EQ(sliderOrder, rowOrder);
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
