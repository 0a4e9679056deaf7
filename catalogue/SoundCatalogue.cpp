#include "SoundCatalogue.h"

#include "Translatable.h"

namespace lullwood {
namespace {

constexpr SoundFormat k11 = {11025, 1, 8};
constexpr SoundFormat k22 = {22050, 1, 8};
constexpr SoundFormat k22Stereo = {22050, 2, 8};

// Whether Dynamic Random also raises or lowers an effect's pitch.
constexpr bool kPitchVaried = true;
constexpr bool kSteadyPitch = false;

constexpr std::array<BackgroundSound, kBackgroundCount> kBackgrounds = {{
    {0, 1005, QT_TRANSLATE_NOOP("Lullwood", "Ocean Surf"), "SURF", "chk1", 29, k11, 94805},
    {1, 1006, QT_TRANSLATE_NOOP("Lullwood", "River"), "RIVER", "chk2", 40, k11, 35190},
    {2, 1010, QT_TRANSLATE_NOOP("Lullwood", "White noise"), "WHITE", "chk3", 50, k11, 6864},
    {3, 1012, QT_TRANSLATE_NOOP("Lullwood", "Night time"), "NIGHT", "chk4", 61, k11, 110250},
    {4, 1013, QT_TRANSLATE_NOOP("Lullwood", "Rain"), "RAIN", "chk5", 72, k11, 90694},
    {5, 1014, QT_TRANSLATE_NOOP("Lullwood", "Wind"), "WIND", "chk6", 83, k11, 110250},
    {6, 1015, QT_TRANSLATE_NOOP("Lullwood", "Waterfall "), "WFALL", "chk7", 92, k22Stereo, 62274},
    {7, 1016, QT_TRANSLATE_NOOP("Lullwood", "Brook"), "BROOK", "chk8", 104, k11, 110250},
    {8, 1017, QT_TRANSLATE_NOOP("Lullwood", "Heartbeat"), "HEARTB", "chk9", 115, k11, 32380},
    {9, 1018, QT_TRANSLATE_NOOP("Lullwood", "Indian drum"), "INDIAN", "chk10", 127, k11, 14105},
    {10, 1019, QT_TRANSLATE_NOOP("Lullwood", "South Am. jungle"), "SAJUNG", "chk11", 137, k11,
     90305},
    {11, 1020, QT_TRANSLATE_NOOP("Lullwood", "African jungle"), "AFJUNG", "chk12", 149, k11,
     135574},
    {12, 1021, QT_TRANSLATE_NOOP("Lullwood", "Train track"), "TTRACK", "chk13", 160, k11, 57568},
    {13, 1022, QT_TRANSLATE_NOOP("Lullwood", "Pink Noise"), "PINK", "chk14", 171, k11, 47894},
    {14, 1023, QT_TRANSLATE_NOOP("Lullwood", "Ocean Breakers"), "BREAKER", "chk15", 180, k11,
     112703},
    {15, 1024, QT_TRANSLATE_NOOP("Lullwood", "Stream"), "STREAM", "chk16", 192, k11, 96586},
    {16, 1025, QT_TRANSLATE_NOOP("Lullwood", "Rain on glass"), "RGLASS", "chk17", 203, k11, 71096},
    {17, 1026, QT_TRANSLATE_NOOP("Lullwood", "Light wind"), "LWIND", "chk18", 215, k11, 126771},
    {18, 1027, QT_TRANSLATE_NOOP("Lullwood", "Heavy wind"), "HWIND", "chk19", 226, k11, 91541},
    {19, 1028, QT_TRANSLATE_NOOP("Lullwood", "Strange wind"), "SWIND", "chk20", 237, k11, 96865},
    {20, 1029, QT_TRANSLATE_NOOP("Lullwood", "Factory"), "FACTORY", "chk21", 248, k11, 70411},
    {21, 1030, QT_TRANSLATE_NOOP("Lullwood", "Museum"), "MUSEUM", "chk22", 259, k11, 150739},
    {22, 1031, QT_TRANSLATE_NOOP("Lullwood", "Clock tick"), "TICK", "chk23", 271, k22, 44108},
}};

// The sliders stand in effect-index order except in rows 19 to 21, which hold
// the sliders of effects 21, 20 and 19; each label belongs to the row it stands in.
constexpr std::array<RandomEffect, kEffectCount> kEffects = {{
    {1, "DOGBARK", 1004, 1, 16, 1061, QT_TRANSLATE_NOOP("Lullwood", "Dog Bark"), "R1", k11, 19018,
     kPitchVaried},
    {2, "HORSE", 1008, 2, 26, 1062, QT_TRANSLATE_NOOP("Lullwood", "Horse"), "R2", k11, 17823,
     kPitchVaried},
    {3, "WOLF", 1009, 3, 36, 1063, QT_TRANSLATE_NOOP("Lullwood", "Wolves"), "R3", k11, 97036,
     kPitchVaried},
    {4, "LOON", 1032, 4, 46, 1064, QT_TRANSLATE_NOOP("Lullwood", "Loon cry"), "R4", k11, 7782,
     kSteadyPitch},
    {5, "NIGHTGALE", 1033, 5, 56, 1065, QT_TRANSLATE_NOOP("Lullwood", "Nightingale"), "R5", k11,
     91824, kSteadyPitch},
    {6, "CROW", 1034, 6, 66, 1066, QT_TRANSLATE_NOOP("Lullwood", "Crow"), "R6", k11, 25541,
     kPitchVaried},
    {7, "BIRD", 1035, 7, 76, 1067, QT_TRANSLATE_NOOP("Lullwood", "Bird"), "R7", k11, 41220,
     kSteadyPitch},
    {8, "HGLISS", 1036, 8, 86, 1068, QT_TRANSLATE_NOOP("Lullwood", "High gliss"), "R8", k11, 26528,
     kSteadyPitch},
    {9, "MGLISS", 1037, 9, 96, 1069, QT_TRANSLATE_NOOP("Lullwood", "Sea Gull"), "R9", k11, 63098,
     kSteadyPitch},
    {10, "WAVY", 1038, 10, 106, 1070, QT_TRANSLATE_NOOP("Lullwood", "Whale"), "R10", k11, 107255,
     kPitchVaried},
    {11, "OMINOUS", 1039, 11, 116, 1071, QT_TRANSLATE_NOOP("Lullwood", "Ominous note"), "R11", k11,
     47388, kPitchVaried},
    {12, "LOWOMIN", 1040, 12, 126, 1072, QT_TRANSLATE_NOOP("Lullwood", "Hawk"), "R12", k11, 18040,
     kSteadyPitch},
    {13, "SINGLEW", 1041, 13, 136, 1073, QT_TRANSLATE_NOOP("Lullwood", "Church bell"), "R13", k22,
     36310, kPitchVaried},
    {14, "GTHUNDR", 1042, 14, 146, 1074, QT_TRANSLATE_NOOP("Lullwood", "Distant thunder"), "R14",
     k11, 97963, kPitchVaried},
    {15, "THUNDR2", 1043, 15, 156, 1075, QT_TRANSLATE_NOOP("Lullwood", "Loon 2"), "R15", k11,
     103680, kSteadyPitch},
    {16, "WHISTLE", 1044, 16, 166, 1076, QT_TRANSLATE_NOOP("Lullwood", "Train whistle"), "R16", k11,
     62374, kSteadyPitch},
    {17, "SMLBIRD", 1045, 17, 176, 1077, QT_TRANSLATE_NOOP("Lullwood", "Cardinal"), "R17", k11,
     52721, kSteadyPitch},
    {18, "SHIP", 1046, 18, 186, 1078, QT_TRANSLATE_NOOP("Lullwood", "Ship's horn"), "R18", k11,
     98662, kSteadyPitch},
    {19, "PANFLUT", 1047, 21, 216, 1081, QT_TRANSLATE_NOOP("Lullwood", "Sea Lion"), "R19", k11,
     33693, kPitchVaried},
    {20, "BEAM", 1048, 20, 206, 1080, QT_TRANSLATE_NOOP("Lullwood", "Distant Gulls"), "R20", k11,
     76080, kSteadyPitch},
    {21, "OVERT", 1049, 19, 196, 1079, QT_TRANSLATE_NOOP("Lullwood", "Pan flute"), "R21", k11,
     88767, kPitchVaried},
    {22, "BIGTHUN", 1050, 22, 226, 1082, QT_TRANSLATE_NOOP("Lullwood", "Big thunder"), "R22", k11,
     43493, kPitchVaried},
    {23, "SOUND23", 1052, 23, 236, 1083, QT_TRANSLATE_NOOP("Lullwood", "RW Blackbird"), "R23", k11,
     15278, kSteadyPitch},
    {24, "SOUND24", 1053, 24, 245, 1084, QT_TRANSLATE_NOOP("Lullwood", "Wh. Crane"), "R24", k11,
     46283, kSteadyPitch},
    {25, "SOUND25", 1054, 25, 254, 1086, QT_TRANSLATE_NOOP("Lullwood", "Oceanliner"), "R25", k11,
     80598, kPitchVaried},
    {26, "SOUND26", 1087, 26, 264, 1092, QT_TRANSLATE_NOOP("Lullwood", "Cattle"), "R26", k11, 44111,
     kPitchVaried},
    {27, "SOUND27", 1089, 27, 273, 1093, QT_TRANSLATE_NOOP("Lullwood", "Robin "), "R27", k11, 36219,
     kSteadyPitch},
    {28, "SOUND28", 1091, 28, 282, 1094, QT_TRANSLATE_NOOP("Lullwood", "Woodpecker"), "R28", k11,
     89847, kSteadyPitch},
    {29, "SOUND29", 1095, 29, 291, 1101, QT_TRANSLATE_NOOP("Lullwood", "Frog"), "R29", k11, 20402,
     kPitchVaried},
    {30, "SOUND30", 1096, 30, 301, 1102, QT_TRANSLATE_NOOP("Lullwood", "Crickets"), "R30", k11,
     31634, kSteadyPitch},
    {31, "SOUND31", 1097, 31, 309, 1103, QT_TRANSLATE_NOOP("Lullwood", "High Chimes"), "R31", k11,
     80338, kSteadyPitch},
}};

}  // namespace

std::span<const BackgroundSound, kBackgroundCount> SoundCatalogue::Backgrounds() {
  return kBackgrounds;
}

std::span<const RandomEffect, kEffectCount> SoundCatalogue::Effects() {
  return kEffects;
}

const BackgroundSound* SoundCatalogue::Background(int backgroundIndex) {
  if (backgroundIndex < 0 || backgroundIndex >= kBackgroundCount) return nullptr;
  return &kBackgrounds[backgroundIndex];
}

const RandomEffect* SoundCatalogue::Effect(int effectIndex) {
  if (effectIndex < 1 || effectIndex > kEffectCount) return nullptr;
  return &kEffects[effectIndex - 1];
}

const BackgroundSound* SoundCatalogue::BackgroundByCheckBox(int controlId) {
  for (const BackgroundSound& row : kBackgrounds)
    if (row.checkBoxId == controlId) return &row;
  return nullptr;
}

const RandomEffect* SoundCatalogue::EffectBySlider(int controlId) {
  for (const RandomEffect& row : kEffects)
    if (row.sliderId == controlId) return &row;
  return nullptr;
}

const RandomEffect* SoundCatalogue::EffectInRow(int row) {
  for (const RandomEffect& effect : kEffects)
    if (effect.row == row) return &effect;
  return nullptr;
}

}  // namespace lullwood
