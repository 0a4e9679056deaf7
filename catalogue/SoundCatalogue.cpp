#include "SoundCatalogue.h"

namespace lullwood {
namespace {

constexpr SoundFormat k11 = {11025, 1, 8};
constexpr SoundFormat k22 = {22050, 1, 8};
constexpr SoundFormat k22Stereo = {22050, 2, 8};

// Whether Dynamic Random also raises or lowers an effect's pitch.
constexpr bool kPitchVaried = true;
constexpr bool kSteadyPitch = false;

constexpr std::array<BackgroundSound, kBackgroundCount> kBackgrounds = {{
    {0, 1005, "Ocean Surf", "SURF", "chk1", 29, k11, 94805},
    {1, 1006, "River", "RIVER", "chk2", 40, k11, 35190},
    {2, 1010, "White noise", "WHITE", "chk3", 50, k11, 6864},
    {3, 1012, "Night time", "NIGHT", "chk4", 61, k11, 110250},
    {4, 1013, "Rain", "RAIN", "chk5", 72, k11, 90694},
    {5, 1014, "Wind", "WIND", "chk6", 83, k11, 110250},
    {6, 1015, "Waterfall ", "WFALL", "chk7", 92, k22Stereo, 62274},
    {7, 1016, "Brook", "BROOK", "chk8", 104, k11, 110250},
    {8, 1017, "Heartbeat", "HEARTB", "chk9", 115, k11, 32380},
    {9, 1018, "Indian drum", "INDIAN", "chk10", 127, k11, 14105},
    {10, 1019, "South Am. jungle", "SAJUNG", "chk11", 137, k11, 90305},
    {11, 1020, "African jungle", "AFJUNG", "chk12", 149, k11, 135574},
    {12, 1021, "Train track", "TTRACK", "chk13", 160, k11, 57568},
    {13, 1022, "Pink Noise", "PINK", "chk14", 171, k11, 47894},
    {14, 1023, "Ocean Breakers", "BREAKER", "chk15", 180, k11, 112703},
    {15, 1024, "Stream", "STREAM", "chk16", 192, k11, 96586},
    {16, 1025, "Rain on glass", "RGLASS", "chk17", 203, k11, 71096},
    {17, 1026, "Light wind", "LWIND", "chk18", 215, k11, 126771},
    {18, 1027, "Heavy wind", "HWIND", "chk19", 226, k11, 91541},
    {19, 1028, "Strange wind", "SWIND", "chk20", 237, k11, 96865},
    {20, 1029, "Factory", "FACTORY", "chk21", 248, k11, 70411},
    {21, 1030, "Museum", "MUSEUM", "chk22", 259, k11, 150739},
    {22, 1031, "Clock tick", "TICK", "chk23", 271, k22, 44108},
}};

// The sliders stand in effect-index order except in rows 19 to 21, which hold
// the sliders of effects 21, 20 and 19; each label belongs to the row it stands in.
constexpr std::array<RandomEffect, kEffectCount> kEffects = {{
    {1, "DOGBARK", 1004, 1, 16, 1061, "Dog Bark", "R1", k11, 19018, kPitchVaried},
    {2, "HORSE", 1008, 2, 26, 1062, "Horse", "R2", k11, 17823, kPitchVaried},
    {3, "WOLF", 1009, 3, 36, 1063, "Wolves", "R3", k11, 97036, kPitchVaried},
    {4, "LOON", 1032, 4, 46, 1064, "Loon cry", "R4", k11, 7782, kSteadyPitch},
    {5, "NIGHTGALE", 1033, 5, 56, 1065, "Nightingale", "R5", k11, 91824, kSteadyPitch},
    {6, "CROW", 1034, 6, 66, 1066, "Crow", "R6", k11, 25541, kPitchVaried},
    {7, "BIRD", 1035, 7, 76, 1067, "Bird", "R7", k11, 41220, kSteadyPitch},
    {8, "HGLISS", 1036, 8, 86, 1068, "High gliss", "R8", k11, 26528, kSteadyPitch},
    {9, "MGLISS", 1037, 9, 96, 1069, "Sea Gull", "R9", k11, 63098, kSteadyPitch},
    {10, "WAVY", 1038, 10, 106, 1070, "Whale", "R10", k11, 107255, kPitchVaried},
    {11, "OMINOUS", 1039, 11, 116, 1071, "Ominous note", "R11", k11, 47388, kPitchVaried},
    {12, "LOWOMIN", 1040, 12, 126, 1072, "Hawk", "R12", k11, 18040, kSteadyPitch},
    {13, "SINGLEW", 1041, 13, 136, 1073, "Church bell", "R13", k22, 36310, kPitchVaried},
    {14, "GTHUNDR", 1042, 14, 146, 1074, "Distant thunder", "R14", k11, 97963, kPitchVaried},
    {15, "THUNDR2", 1043, 15, 156, 1075, "Loon 2", "R15", k11, 103680, kSteadyPitch},
    {16, "WHISTLE", 1044, 16, 166, 1076, "Train whistle", "R16", k11, 62374, kSteadyPitch},
    {17, "SMLBIRD", 1045, 17, 176, 1077, "Cardinal", "R17", k11, 52721, kSteadyPitch},
    {18, "SHIP", 1046, 18, 186, 1078, "Ship's horn", "R18", k11, 98662, kSteadyPitch},
    {19, "PANFLUT", 1047, 21, 216, 1081, "Sea Lion", "R19", k11, 33693, kPitchVaried},
    {20, "BEAM", 1048, 20, 206, 1080, "Distant Gulls", "R20", k11, 76080, kSteadyPitch},
    {21, "OVERT", 1049, 19, 196, 1079, "Pan flute", "R21", k11, 88767, kPitchVaried},
    {22, "BIGTHUN", 1050, 22, 226, 1082, "Big thunder", "R22", k11, 43493, kPitchVaried},
    {23, "SOUND23", 1052, 23, 236, 1083, "RW Blackbird", "R23", k11, 15278, kSteadyPitch},
    {24, "SOUND24", 1053, 24, 245, 1084, "Wh. Crane", "R24", k11, 46283, kSteadyPitch},
    {25, "SOUND25", 1054, 25, 254, 1086, "Oceanliner", "R25", k11, 80598, kPitchVaried},
    {26, "SOUND26", 1087, 26, 264, 1092, "Cattle", "R26", k11, 44111, kPitchVaried},
    {27, "SOUND27", 1089, 27, 273, 1093, "Robin ", "R27", k11, 36219, kSteadyPitch},
    {28, "SOUND28", 1091, 28, 282, 1094, "Woodpecker", "R28", k11, 89847, kSteadyPitch},
    {29, "SOUND29", 1095, 29, 291, 1101, "Frog", "R29", k11, 20402, kPitchVaried},
    {30, "SOUND30", 1096, 30, 301, 1102, "Crickets", "R30", k11, 31634, kSteadyPitch},
    {31, "SOUND31", 1097, 31, 309, 1103, "High Chimes", "R31", k11, 80338, kSteadyPitch},
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
