// The beds' textures against real recordings of their kinds: each bed, played round its
// loop, must have the texture statistics (measure/Texture.h) of at least one recording of
// its kind, every figure within the least and most of that recording's 10 s pieces
// widened by a margin. The recordings' figures were measured with tools/sound-figures
// --texture at their own rates (their sources are in resources/synth/REFERENCES.md) and
// are copied here as facts: no recording is read.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "WaveAnalysis.h"
#include "measure/Texture.h"

namespace lullwood::test {
namespace {

// In order: envelope depth, skew, modulation power in the octaves from 0.5-1 to 32-64 Hz
// (dB over the envelope's mean squared), and the correlation of band envelopes a quarter
// of an octave, an octave and two octaves apart.
constexpr int kFigures = 12;
const char* const kFigureNames[kFigures] = {"depth",
                                            "skew",
                                            "modulation 0.5-1 Hz",
                                            "modulation 1-2 Hz",
                                            "modulation 2-4 Hz",
                                            "modulation 4-8 Hz",
                                            "modulation 8-16 Hz",
                                            "modulation 16-32 Hz",
                                            "modulation 32-64 Hz",
                                            "correlation 1/4 octave",
                                            "correlation 1 octave",
                                            "correlation 2 octaves"};

struct Span {
  double least, most;
};

struct Recording {
  const char* name;
  Span figures[kFigures];
};

const Recording kRecordings[] = {
    // 0ad-data audio/ambient/water/wave_21.ogg
    {"wave_21",
     {{0.282, 0.384},
      {0.263, 0.744},
      {-23.9, -21.6},
      {-27.6, -25},
      {-28.9, -26.2},
      {-28.1, -26.5},
      {-26.6, -26},
      {-25, -24.8},
      {-24.5, -24.2},
      {0.783, 0.869},
      {0.7, 0.819},
      {0.684, 0.806}}},
    // 0ad-data audio/ambient/water/waverocky_21.ogg
    {"waverocky_21",
     {{0.281, 0.369},
      {0.703, 1.42},
      {-19.5, -17.9},
      {-25, -23.5},
      {-27.8, -27},
      {-27.6, -27.2},
      {-26.4, -26},
      {-24.9, -24.4},
      {-24.3, -24},
      {0.829, 0.89},
      {0.739, 0.835},
      {0.686, 0.799}}},
    // 0ad-data audio/ambient/water/wavecrash_21.ogg
    {"wavecrash_21",
     {{0.441, 0.461},
      {1.01, 1.24},
      {-20.4, -18.4},
      {-25.6, -24.3},
      {-28.2, -27.8},
      {-28.1, -27.8},
      {-26.2, -26},
      {-24.6, -24.3},
      {-24, -23.8},
      {0.912, 0.916},
      {0.87, 0.875},
      {0.842, 0.85}}},
    // 0ad-data audio/ambient/weather/rain_11.ogg
    {"rain_11",
     {{0.137, 0.14},
      {-0.0247, 0.000273},
      {-36.9, -36.4},
      {-34.5, -34},
      {-31.6, -31.3},
      {-29.1, -28.8},
      {-26.7, -26.4},
      {-24.8, -24.7},
      {-24.1, -24},
      {0.373, 0.388},
      {0.0812, 0.099},
      {0.0215, 0.0427}}},
    // 0ad-data audio/ambient/weather/rain_12.ogg
    {"rain_12",
     {{0.139, 0.141},
      {-0.0347, -0.00793},
      {-36.5, -36},
      {-34.2, -33.6},
      {-31.3, -31},
      {-28.8, -28.5},
      {-26.4, -26.2},
      {-24.7, -24.6},
      {-24.2, -24.1},
      {0.368, 0.382},
      {0.0751, 0.0954},
      {0.0168, 0.0412}}},
    // gcompris-qt-data memory-sound LRRain_in_garden_01_LA_cut.ogg
    {"LRRain_in_garden_01_LA_cut",
     {{0.146, 0.146},
      {0.609, 0.609},
      {-34, -34},
      {-31.4, -31.4},
      {-29.2, -29.2},
      {-26.9, -26.9},
      {-25, -25},
      {-23.8, -23.8},
      {-23.8, -23.8},
      {0.428, 0.428},
      {0.156, 0.156},
      {0.0802, 0.0802}}},
    // megaglest-data tilesets/birch_forest/sounds/rain.ogg
    {"mg_birch_forest_rain",
     {{0.176, 0.181},
      {0.699, 1.07},
      {-29.4, -28.9},
      {-27.9, -27.3},
      {-27, -26.1},
      {-25.4, -25.2},
      {-24, -23.9},
      {-23.2, -23.1},
      {-23.4, -23.2},
      {0.441, 0.464},
      {0.0756, 0.0997},
      {0.0307, 0.031}}},
    // megaglest-data tilesets/dark_forest/sounds/rain.ogg
    {"mg_dark_forest_rain",
     {{0.138, 0.138},
      {-0.0715, -0.0715},
      {-35.5, -35.5},
      {-34.3, -34.3},
      {-31.8, -31.8},
      {-28.8, -28.8},
      {-26.3, -26.3},
      {-24.6, -24.6},
      {-24.4, -24.4},
      {0.332, 0.332},
      {0.0514, 0.0514},
      {0.00488, 0.00488}}},
    // megaglest-data tilesets/autumn/sounds/rain.ogg
    {"mg_autumn_rain",
     {{0.162, 0.162},
      {0.233, 0.233},
      {-31.7, -31.7},
      {-30.3, -30.3},
      {-28.9, -28.9},
      {-27.3, -27.3},
      {-25.8, -25.8},
      {-24.8, -24.8},
      {-24.6, -24.6},
      {0.478, 0.478},
      {0.194, 0.194},
      {0.119, 0.119}}},
    // megaglest-data tilesets/desert2/sounds/rain.wav
    {"mg_desert2_rain",
     {{0.156, 0.315},
      {-0.056, 0.252},
      {-32.4, -28.1},
      {-31, -29.1},
      {-29.8, -28.6},
      {-28, -27.4},
      {-26.4, -26},
      {-25.1, -24.5},
      {-24.8, -24.3},
      {0.46, 0.86},
      {0.185, 0.789},
      {0.103, 0.767}}},
    // 0ad-data audio/ambient/water/river_slow_21.ogg
    {"river_slow_21",
     {{0.164, 0.168},
      {0.486, 0.564},
      {-33.5, -32.9},
      {-31, -30.5},
      {-28.5, -28.5},
      {-25.9, -25.6},
      {-23.9, -23.3},
      {-22.3, -22},
      {-22.4, -22.2},
      {0.492, 0.506},
      {0.0971, 0.12},
      {0.044, 0.0544}}},
    // 0ad-data audio/ambient/water/river_med_21.ogg
    {"river_med_21",
     {{0.173, 0.174},
      {0.611, 0.654},
      {-32.3, -31.8},
      {-29.9, -29.4},
      {-27.2, -27.1},
      {-25, -24.8},
      {-23, -23},
      {-21.8, -21.7},
      {-22.1, -21.9},
      {0.492, 0.495},
      {0.0977, 0.0992},
      {0.022, 0.0321}}},
    // 0ad-data audio/ambient/water/river_fast_21.ogg
    {"river_fast_21",
     {{0.151, 0.154},
      {0.195, 0.2},
      {-34.8, -34.7},
      {-31.7, -31.5},
      {-29.2, -28.7},
      {-26.6, -26.4},
      {-24.6, -24.4},
      {-23.3, -23.1},
      {-23.3, -23.2},
      {0.414, 0.432},
      {0.0618, 0.0663},
      {0.00625, 0.0191}}},
    // 0ad-data audio/ambient/water/river_raging_21.ogg
    {"river_raging_21",
     {{0.144, 0.145},
      {-0.00435, -0.00119},
      {-37, -36.7},
      {-33.8, -33.5},
      {-30.7, -30.5},
      {-27.8, -27.7},
      {-25.6, -25.5},
      {-23.8, -23.8},
      {-23.6, -23.5},
      {0.391, 0.4},
      {0.103, 0.103},
      {0.0381, 0.0463}}},
    // 0ad-data audio/ambient/water/waterfall_31.ogg
    {"waterfall_31",
     {{0.148, 0.148},
      {0.0949, 0.107},
      {-36.2, -35.8},
      {-32.8, -32.4},
      {-29.9, -29.5},
      {-27.1, -27},
      {-25.1, -25.1},
      {-23.7, -23.7},
      {-23.7, -23.6},
      {0.413, 0.419},
      {0.0997, 0.102},
      {0.0313, 0.0398}}},
    // 0ad-data audio/ambient/weather/wind_11.ogg
    {"wind_11",
     {{0.2, 0.742},
      {-0.171, 0.833},
      {-30.1, -20.4},
      {-32.7, -25.3},
      {-31, -27.4},
      {-29.5, -26.9},
      {-27, -24.7},
      {-25.2, -22.8},
      {-24.8, -22.4},
      {0.751, 0.969},
      {0.639, 0.953},
      {0.594, 0.945}}},
    // 0ad-data audio/ambient/weather/windgust_11.ogg
    {"windgust_11",
     {{0.503, 0.503},
      {0.192, 0.192},
      {-19.4, -19.4},
      {-25.3, -25.3},
      {-27.3, -27.3},
      {-27.1, -27.1},
      {-25.3, -25.3},
      {-23.9, -23.9},
      {-23.2, -23.2},
      {0.946, 0.946},
      {0.92, 0.92},
      {0.91, 0.91}}},
    // 0ad-data audio/ambient/weather/windleaves_10.ogg
    {"windleaves_10",
     {{0.294, 0.294},
      {-0.423, -0.423},
      {-21.5, -21.5},
      {-26.3, -26.3},
      {-29.5, -29.5},
      {-28.7, -28.7},
      {-26.8, -26.8},
      {-24.9, -24.9},
      {-24.1, -24.1},
      {0.807, 0.807},
      {0.751, 0.751},
      {0.733, 0.733}}},
    // 0ad-data audio/ambient/weather/windleaves_11.ogg
    {"windleaves_11",
     {{0.326, 0.326},
      {-0.246, -0.246},
      {-21.9, -21.9},
      {-26.2, -26.2},
      {-29.2, -29.2},
      {-28.5, -28.5},
      {-26.7, -26.7},
      {-24.8, -24.8},
      {-23.9, -23.9},
      {0.843, 0.843},
      {0.793, 0.793},
      {0.78, 0.78}}},
    // 0ad-data audio/ambient/weather/windstorm_11.ogg
    {"windstorm_11",
     {{0.136, 0.292},
      {-0.665, 1.54},
      {-36.6, -27.5},
      {-35.3, -30.4},
      {-31.8, -30.5},
      {-29.4, -28.9},
      {-27.4, -26.6},
      {-25.5, -24.9},
      {-24.7, -24.2},
      {0.433, 0.845},
      {0.137, 0.78},
      {0.0865, 0.768}}},
    // megaglest-data tilesets/forest/sounds/night.ogg
    {"forest_night",
     {{0.148, 0.222},
      {0.297, 1.6},
      {-33, -26},
      {-31.2, -26.3},
      {-29.7, -26.4},
      {-27.8, -25.7},
      {-26, -25.1},
      {-24.8, -24.5},
      {-24.5, -24},
      {0.385, 0.566},
      {0.0425, 0.234},
      {0.0553, 0.0765}}},
    // megaglest-data tilesets/fernland/sounds/night.ogg
    {"mg_fernland_night",
     {{0.175, 0.218},
      {0.435, 0.667},
      {-28.6, -26.3},
      {-27.9, -25.6},
      {-26.6, -24.4},
      {-25.4, -23.7},
      {-24.4, -23},
      {-23.6, -22.7},
      {-23.6, -23.2},
      {0.449, 0.507},
      {0.0353, 0.0932},
      {-0.00479, 0.0267}}},
    // megaglest-data tilesets/mediterran/sounds/night.ogg
    {"mg_mediterran_night",
     {{0.143, 0.15},
      {-0.206, 0.0395},
      {-36.1, -34.6},
      {-34.1, -33.7},
      {-31.8, -31.4},
      {-29.2, -29.1},
      {-27, -26.8},
      {-25.2, -25.1},
      {-24.6, -24.5},
      {0.37, 0.444},
      {0.0608, 0.195},
      {0.045, 0.176}}},
    // megaglest-data tilesets/desert2/sounds/night.ogg
    {"mg_desert2_night",
     {{0.179, 0.179},
      {0.263, 0.263},
      {-28.5, -28.5},
      {-26.4, -26.4},
      {-24.5, -24.5},
      {-25, -25},
      {-24.6, -24.6},
      {-23.5, -23.5},
      {-23, -23},
      {0.552, 0.552},
      {0.268, 0.268},
      {0.12, 0.12}}},
    // megaglest-data tilesets/autumn/sounds/nightime.ogg
    {"mg_autumn_nightime",
     {{0.155, 0.159},
      {-0.0266, 0.0762},
      {-32.9, -32},
      {-30.9, -30.1},
      {-29.4, -28.3},
      {-27.4, -26.8},
      {-25.3, -25.2},
      {-24.2, -24.2},
      {-24.3, -24.2},
      {0.448, 0.484},
      {0.00586, 0.0874},
      {-0.00913, 0.0667}}},
    // megaglest-data tilesets/birch_forest/sounds/night.ogg
    {"mg_birch_forest_night",
     {{0.317, 0.424},
      {0.963, 1.54},
      {-23.6, -20.8},
      {-22.6, -20.3},
      {-21, -17.9},
      {-20.1, -17.2},
      {-18.9, -17.5},
      {-19.9, -17.9},
      {-22, -19.9},
      {0.589, 0.626},
      {0.207, 0.294},
      {0.00436, 0.154}}},
    // 0ad-data audio/ambient/dayscape/day_tropical_10.ogg
    {"day_tropical_10",
     {{0.341, 0.435},
      {1.13, 2.75},
      {-16.2, -15.1},
      {-19.7, -15.4},
      {-19, -16},
      {-20.2, -16.3},
      {-21.6, -18.3},
      {-22.1, -20.7},
      {-23, -22.3},
      {0.722, 0.841},
      {0.512, 0.689},
      {0.399, 0.583}}},
    // 0ad-data audio/ambient/dayscape/day_tropical_11.ogg
    {"day_tropical_11",
     {{0.308, 0.397},
      {0.846, 2.83},
      {-20.2, -15.1},
      {-20.3, -16.3},
      {-20.1, -16.4},
      {-21.2, -16.9},
      {-22.4, -19},
      {-22.8, -21},
      {-23.4, -22.2},
      {0.689, 0.828},
      {0.46, 0.663},
      {0.343, 0.551}}},
    // scorched3d-data globalmods/apoc/data/wav/misc/factoryloop1.wav
    {"factoryloop1",
     {{0.189, 0.216},
      {0.381, 0.574},
      {-25.6, -22.8},
      {-23.9, -23.1},
      {-24.4, -23.6},
      {-24.5, -24.3},
      {-24.2, -24},
      {-23.4, -23.2},
      {-23.3, -23.3},
      {0.558, 0.63},
      {0.312, 0.396},
      {0.188, 0.278}}},
    // gcompris-qt-data memory-sound LRTrain_slowing_down_01_LA_cut.ogg
    {"LRTrain_slowing_down_01_LA_cut",
     {{0.223, 0.223},
      {-0.00661, -0.00661},
      {-24.2, -24.2},
      {-26.2, -26.2},
      {-24.8, -24.8},
      {-21.9, -21.9},
      {-20.6, -20.6},
      {-22, -22},
      {-23.5, -23.5},
      {0.706, 0.706},
      {0.546, 0.546},
      {0.494, 0.494}}},
};

// The recordings each bed is held beside.
const std::map<std::string, std::vector<std::string>> kKinds = {
    {"SURF", {"wave_21", "waverocky_21"}},
    {"BREAKER", {"wavecrash_21", "waverocky_21"}},
    {"RAIN",
     {"rain_11", "rain_12", "LRRain_in_garden_01_LA_cut", "mg_birch_forest_rain",
      "mg_dark_forest_rain", "mg_autumn_rain", "mg_desert2_rain"}},
    {"BROOK", {"river_slow_21", "river_med_21"}},
    {"STREAM", {"river_med_21", "river_slow_21"}},
    {"RIVER", {"river_fast_21", "river_raging_21", "river_med_21"}},
    {"WFALL", {"waterfall_31"}},
    {"WIND", {"wind_11", "windgust_11"}},
    {"LWIND", {"windleaves_10", "windleaves_11", "wind_11"}},
    {"HWIND", {"windstorm_11", "wind_11"}},
    {"NIGHT",
     {"forest_night", "mg_fernland_night", "mg_mediterran_night", "mg_desert2_night",
      "mg_autumn_nightime", "mg_birch_forest_night"}},
    {"SAJUNG", {"day_tropical_10", "day_tropical_11"}},
    {"AFJUNG", {"day_tropical_11", "day_tropical_10"}},
    {"FACTORY", {"factoryloop1"}},
    {"TTRACK", {"LRTrain_slowing_down_01_LA_cut"}},
};

// How far past a recording's own spread a figure may lie: one recording is one of many
// rivers or rains, and a loop of a few seconds is measured over less than the recording.
constexpr std::array<double, kFigures> kMargin = {0.03, 0.3, 2.5, 2.5, 2.5, 2.5,
                                                  2.5,  2.5, 2.5, 0.1, 0.1, 0.1};

std::array<double, kFigures> FiguresOf(const measure::Texture& t) {
  std::array<double, kFigures> v{};
  v[0] = t.meanDepth;
  v[1] = t.meanSkew;
  for (int m = 0; m < measure::kModulationOctaves; ++m) v[2 + m] = t.meanModulationDb[m];
  v[9] = t.correlationNear;
  v[10] = t.correlationOctave;
  v[11] = t.correlationFar;
  return v;
}

// The figures of `ours` outside recording `r`'s widened spread, one line each.
std::vector<std::string> Misses(const std::array<double, kFigures>& ours, const Recording& r) {
  std::vector<std::string> misses;
  for (int k = 0; k < kFigures; ++k) {
    const Span s = r.figures[k];
    if (ours[k] >= s.least - kMargin[k] && ours[k] <= s.most + kMargin[k]) continue;
    char line[160];
    std::snprintf(line, sizeof line, "%s %.3f, %s has %.3f to %.3f", kFigureNames[k], ours[k],
                  r.name, s.least, s.most);
    misses.push_back(line);
  }
  return misses;
}

const Recording* Find(const std::string& name) {
  for (const Recording& r : kRecordings)
    if (name == r.name) return &r;
  return nullptr;
}

class Texture : public ::testing::TestWithParam<std::string> {};

TEST_P(Texture, LikeARecordingOfItsKind) {
  const std::string& bed = GetParam();
  std::string error;
  const auto wave = ReadWave(std::string(LULLWOOD_FULL_BAND_WAVES_DIR) + "/" + bed + ".wav", error);
  ASSERT_TRUE(wave) << error;
  const std::vector<float> mono = Mono(*wave);
  const std::vector<measure::Texture> texture =
      measure::MeasureTexture(mono, wave->sampleRate, true);
  ASSERT_EQ(texture.size(), 1u);
  ASSERT_GE(texture[0].activeBands, 10) << bed << " carries too few bands to be a texture";
  const std::array<double, kFigures> ours = FiguresOf(texture[0]);
  // The recording it comes nearest to, by the number of figures missed.
  std::vector<std::string> nearest;
  bool matched = false;
  for (const std::string& name : kKinds.at(bed)) {
    const Recording* r = Find(name);
    ASSERT_NE(r, nullptr) << name;
    const std::vector<std::string> misses = Misses(ours, *r);
    if (misses.empty()) matched = true;
    if (nearest.empty() || misses.size() < nearest.size()) nearest = misses;
  }
  std::string all;
  for (const std::string& m : nearest) all += "\n  " + m;
  EXPECT_TRUE(matched) << bed << ", beside the nearest recording:" << all;
}

std::vector<std::string> Beds() {
  std::vector<std::string> beds;
  for (const auto& [bed, recordings] : kKinds) beds.push_back(bed);
  return beds;
}

INSTANTIATE_TEST_SUITE_P(EveryBed, Texture, ::testing::ValuesIn(Beds()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace lullwood::test
