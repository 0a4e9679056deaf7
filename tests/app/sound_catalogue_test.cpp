// The sound catalogue against its tables written out here, field by field, so that a slip
// in the program's own tables shows.
#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "SoundCatalogue.h"

namespace lullwood {
namespace {

struct BackgroundRow {
  int index;
  int checkBox;
  std::string_view label;
  std::string_view resource;
  std::string_view key;
  int y;
  uint32_t rate;
  int channels;
  uint32_t dataBytes;
};

// Index, check box, label (trailing blanks included), resource, Scenario key, y, format,
// data bytes.
constexpr BackgroundRow kBackgroundTable[] = {
    {0, 1005, "Ocean Surf", "SURF", "chk1", 29, 11025, 1, 94805},
    {1, 1006, "River", "RIVER", "chk2", 40, 11025, 1, 35190},
    {2, 1010, "White noise", "WHITE", "chk3", 50, 11025, 1, 6864},
    {3, 1012, "Night time", "NIGHT", "chk4", 61, 11025, 1, 110250},
    {4, 1013, "Rain", "RAIN", "chk5", 72, 11025, 1, 90694},
    {5, 1014, "Wind", "WIND", "chk6", 83, 11025, 1, 110250},
    {6, 1015, "Waterfall ", "WFALL", "chk7", 92, 22050, 2, 62274},
    {7, 1016, "Brook", "BROOK", "chk8", 104, 11025, 1, 110250},
    {8, 1017, "Heartbeat", "HEARTB", "chk9", 115, 11025, 1, 32380},
    {9, 1018, "Indian drum", "INDIAN", "chk10", 127, 11025, 1, 14105},
    {10, 1019, "South Am. jungle", "SAJUNG", "chk11", 137, 11025, 1, 90305},
    {11, 1020, "African jungle", "AFJUNG", "chk12", 149, 11025, 1, 135574},
    {12, 1021, "Train track", "TTRACK", "chk13", 160, 11025, 1, 57568},
    {13, 1022, "Pink Noise", "PINK", "chk14", 171, 11025, 1, 47894},
    {14, 1023, "Ocean Breakers", "BREAKER", "chk15", 180, 11025, 1, 112703},
    {15, 1024, "Stream", "STREAM", "chk16", 192, 11025, 1, 96586},
    {16, 1025, "Rain on glass", "RGLASS", "chk17", 203, 11025, 1, 71096},
    {17, 1026, "Light wind", "LWIND", "chk18", 215, 11025, 1, 126771},
    {18, 1027, "Heavy wind", "HWIND", "chk19", 226, 11025, 1, 91541},
    {19, 1028, "Strange wind", "SWIND", "chk20", 237, 11025, 1, 96865},
    {20, 1029, "Factory", "FACTORY", "chk21", 248, 11025, 1, 70411},
    {21, 1030, "Museum", "MUSEUM", "chk22", 259, 11025, 1, 150739},
    {22, 1031, "Clock tick", "TICK", "chk23", 271, 22050, 1, 44108},
};

struct EffectRow {
  int index;
  std::string_view resource;
  int slider;
  int row;
  int y;
  int labelId;
  std::string_view label;
  std::string_view key;
  uint32_t rate;
  int channels;
  uint32_t dataBytes;
};

// Effect index, resource, slider, row, y, label id, label (trailing blanks included),
// Scenario key, format, data bytes. Rows 19 to 21 hold the sliders of effects 21, 20, 19.
constexpr EffectRow kEffectTable[] = {
    {1, "DOGBARK", 1004, 1, 16, 1061, "Dog Bark", "R1", 11025, 1, 19018},
    {2, "HORSE", 1008, 2, 26, 1062, "Horse", "R2", 11025, 1, 17823},
    {3, "WOLF", 1009, 3, 36, 1063, "Wolves", "R3", 11025, 1, 97036},
    {4, "LOON", 1032, 4, 46, 1064, "Loon cry", "R4", 11025, 1, 7782},
    {5, "NIGHTGALE", 1033, 5, 56, 1065, "Nightingale", "R5", 11025, 1, 91824},
    {6, "CROW", 1034, 6, 66, 1066, "Crow", "R6", 11025, 1, 25541},
    {7, "BIRD", 1035, 7, 76, 1067, "Bird", "R7", 11025, 1, 41220},
    {8, "HGLISS", 1036, 8, 86, 1068, "High gliss", "R8", 11025, 1, 26528},
    {9, "MGLISS", 1037, 9, 96, 1069, "Sea Gull", "R9", 11025, 1, 63098},
    {10, "WAVY", 1038, 10, 106, 1070, "Whale", "R10", 11025, 1, 107255},
    {11, "OMINOUS", 1039, 11, 116, 1071, "Ominous note", "R11", 11025, 1, 47388},
    {12, "LOWOMIN", 1040, 12, 126, 1072, "Hawk", "R12", 11025, 1, 18040},
    {13, "SINGLEW", 1041, 13, 136, 1073, "Church bell", "R13", 22050, 1, 36310},
    {14, "GTHUNDR", 1042, 14, 146, 1074, "Distant thunder", "R14", 11025, 1, 97963},
    {15, "THUNDR2", 1043, 15, 156, 1075, "Loon 2", "R15", 11025, 1, 103680},
    {16, "WHISTLE", 1044, 16, 166, 1076, "Train whistle", "R16", 11025, 1, 62374},
    {17, "SMLBIRD", 1045, 17, 176, 1077, "Cardinal", "R17", 11025, 1, 52721},
    {18, "SHIP", 1046, 18, 186, 1078, "Ship's horn", "R18", 11025, 1, 98662},
    {19, "PANFLUT", 1047, 21, 216, 1081, "Sea Lion", "R19", 11025, 1, 33693},
    {20, "BEAM", 1048, 20, 206, 1080, "Distant Gulls", "R20", 11025, 1, 76080},
    {21, "OVERT", 1049, 19, 196, 1079, "Pan flute", "R21", 11025, 1, 88767},
    {22, "BIGTHUN", 1050, 22, 226, 1082, "Big thunder", "R22", 11025, 1, 43493},
    {23, "SOUND23", 1052, 23, 236, 1083, "RW Blackbird", "R23", 11025, 1, 15278},
    {24, "SOUND24", 1053, 24, 245, 1084, "Wh. Crane", "R24", 11025, 1, 46283},
    {25, "SOUND25", 1054, 25, 254, 1086, "Oceanliner", "R25", 11025, 1, 80598},
    {26, "SOUND26", 1087, 26, 264, 1092, "Cattle", "R26", 11025, 1, 44111},
    {27, "SOUND27", 1089, 27, 273, 1093, "Robin ", "R27", 11025, 1, 36219},
    {28, "SOUND28", 1091, 28, 282, 1094, "Woodpecker", "R28", 11025, 1, 89847},
    {29, "SOUND29", 1095, 29, 291, 1101, "Frog", "R29", 11025, 1, 20402},
    {30, "SOUND30", 1096, 30, 301, 1102, "Crickets", "R30", 11025, 1, 31634},
    {31, "SOUND31", 1097, 31, 309, 1103, "High Chimes", "R31", 11025, 1, 80338},
};

TEST(SoundCatalogue, EveryBackgroundRowIsAsListed) {
  ASSERT_EQ(SoundCatalogue::Backgrounds().size(), std::size(kBackgroundTable));
  for (const BackgroundRow& want : kBackgroundTable) {
    const BackgroundSound* row = SoundCatalogue::Background(want.index);
    ASSERT_NE(row, nullptr) << want.index;
    EXPECT_EQ(&SoundCatalogue::Backgrounds()[static_cast<size_t>(want.index)], row);
    EXPECT_EQ(row->backgroundIndex, want.index);
    EXPECT_EQ(row->checkBoxId, want.checkBox) << want.index;
    EXPECT_EQ(row->label, want.label) << want.index;
    EXPECT_EQ(row->resourceName, want.resource) << want.index;
    EXPECT_EQ(row->scenarioKey, want.key) << want.index;
    EXPECT_EQ(row->y, want.y) << want.index;
    EXPECT_EQ(row->format.samplesPerSecond, want.rate) << want.index;
    EXPECT_EQ(row->format.channels, want.channels) << want.index;
    EXPECT_EQ(row->format.bitsPerSample, 8) << want.index;
    EXPECT_EQ(row->dataBytes, want.dataBytes) << want.index;
    EXPECT_EQ(SoundCatalogue::BackgroundByCheckBox(want.checkBox), row);
  }
}

TEST(SoundCatalogue, EveryEffectRowIsAsListed) {
  ASSERT_EQ(SoundCatalogue::Effects().size(), std::size(kEffectTable));
  for (const EffectRow& want : kEffectTable) {
    const RandomEffect* row = SoundCatalogue::Effect(want.index);
    ASSERT_NE(row, nullptr) << want.index;
    EXPECT_EQ(&SoundCatalogue::Effects()[static_cast<size_t>(want.index - 1)], row);
    EXPECT_EQ(row->effectIndex, want.index);
    EXPECT_EQ(row->resourceName, want.resource) << want.index;
    EXPECT_EQ(row->sliderId, want.slider) << want.index;
    EXPECT_EQ(row->row, want.row) << want.index;
    EXPECT_EQ(row->y, want.y) << want.index;
    EXPECT_EQ(row->labelId, want.labelId) << want.index;
    EXPECT_EQ(row->label, want.label) << want.index;
    EXPECT_EQ(row->scenarioKey, want.key) << want.index;
    EXPECT_EQ(row->format.samplesPerSecond, want.rate) << want.index;
    EXPECT_EQ(row->format.channels, want.channels) << want.index;
    EXPECT_EQ(row->format.bitsPerSample, 8) << want.index;
    EXPECT_EQ(row->dataBytes, want.dataBytes) << want.index;
    EXPECT_EQ(SoundCatalogue::EffectBySlider(want.slider), row);
    EXPECT_EQ(SoundCatalogue::EffectInRow(want.row), row);
  }
}

TEST(SoundCatalogue, FourteenEffectsArePitchVariedUnderDynamicRandom) {
  const std::set<int> pitched = {1, 2, 3, 6, 10, 11, 13, 14, 19, 21, 22, 25, 26, 29};
  for (const RandomEffect& effect : SoundCatalogue::Effects()) {
    EXPECT_EQ(effect.pitchVaried, pitched.count(effect.effectIndex) == 1) << effect.effectIndex;
  }
}

TEST(SoundCatalogue, RowsNineteenToTwentyOneHoldEffectsTwentyOneTwentyAndNineteen) {
  const RandomEffect* panFlute = SoundCatalogue::EffectInRow(19);
  ASSERT_NE(panFlute, nullptr);
  EXPECT_EQ(panFlute->label, "Pan flute");
  EXPECT_EQ(panFlute->effectIndex, 21);
  EXPECT_EQ(panFlute->resourceName, "OVERT");
  EXPECT_EQ(panFlute->sliderId, 1049);
  const RandomEffect* gulls = SoundCatalogue::EffectInRow(20);
  ASSERT_NE(gulls, nullptr);
  EXPECT_EQ(gulls->label, "Distant Gulls");
  EXPECT_EQ(gulls->effectIndex, 20);
  EXPECT_EQ(gulls->resourceName, "BEAM");
  const RandomEffect* seaLion = SoundCatalogue::EffectInRow(21);
  ASSERT_NE(seaLion, nullptr);
  EXPECT_EQ(seaLion->label, "Sea Lion");
  EXPECT_EQ(seaLion->effectIndex, 19);
  EXPECT_EQ(seaLion->resourceName, "PANFLUT");
  EXPECT_EQ(seaLion->sliderId, 1047);
}

TEST(SoundCatalogue, IdsOutsideTheTablesAndEntryZeroHaveNoRow) {
  // Play, Enable and Mute sit between the catalogue's ids.
  for (const int id : {1007, 1011, 1051, 0, 1004 - 1, 1098, 1060}) {
    EXPECT_EQ(SoundCatalogue::BackgroundByCheckBox(id), nullptr) << id;
    EXPECT_EQ(SoundCatalogue::EffectBySlider(id), nullptr) << id;
  }
  EXPECT_EQ(SoundCatalogue::EffectBySlider(1005), nullptr) << "a check box is no slider";
  EXPECT_EQ(SoundCatalogue::BackgroundByCheckBox(1004), nullptr) << "a slider is no check box";
  EXPECT_EQ(SoundCatalogue::Effect(0), nullptr);
  EXPECT_EQ(SoundCatalogue::Effect(32), nullptr);
  EXPECT_EQ(SoundCatalogue::Effect(-1), nullptr);
  EXPECT_EQ(SoundCatalogue::Background(23), nullptr);
  EXPECT_EQ(SoundCatalogue::Background(-1), nullptr);
  EXPECT_EQ(SoundCatalogue::EffectInRow(0), nullptr);
  EXPECT_EQ(SoundCatalogue::EffectInRow(32), nullptr);
  EXPECT_EQ(kEffectTableSize, 32) << "per-effect tables keep an entry 0";
}

}  // namespace
}  // namespace lullwood
