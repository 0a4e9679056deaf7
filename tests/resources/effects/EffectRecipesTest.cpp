// The 31 effect recipes against the catalogue and the rules every one-shot keeps: length,
// silent edges, level, band limit, colour, event count, determinism and distinctness.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "Analysis.h"
#include "Recipe.h"
#include "SoundCatalogue.h"
#include "effects/Voices.h"

namespace lullwood {
// Names a catalogue row in test output by its resource name.
inline void PrintTo(const RandomEffect& effect, std::ostream* out) {
  *out << effect.resourceName;
}
}  // namespace lullwood

namespace lullwood::synth::fx {
namespace {

SoundSpec SpecOf(const RandomEffect& e) {
  return {e.resourceName, e.format.samplesPerSecond, e.format.channels,
          e.dataBytes / e.format.channels, false};
}

RecipeFunction RecipeOf(std::string_view name) {
  for (const NamedRecipe& r : EffectRecipes())
    if (r.resourceName == name) return r.recipe;
  return nullptr;
}

// Each sound rendered once for the whole test program.
const std::vector<float>& Rendered(const RandomEffect& e) {
  static std::map<std::string, std::vector<float>> cache;
  const std::string key(e.resourceName);
  auto it = cache.find(key);
  if (it == cache.end()) {
    std::vector<float> out;
    if (RecipeFunction r = RecipeOf(e.resourceName)) r(SpecOf(e), out);
    it = cache.emplace(key, std::move(out)).first;
  }
  return it->second;
}

TEST(EffectTable, NamesEveryCatalogueEffectOnce) {
  std::set<std::string_view> names;
  for (const NamedRecipe& r : EffectRecipes()) {
    EXPECT_TRUE(names.insert(r.resourceName).second) << r.resourceName << " twice";
    EXPECT_NE(r.recipe, nullptr) << r.resourceName;
  }
  EXPECT_EQ(names.size(), static_cast<size_t>(kEffectCount));
  for (const RandomEffect& e : SoundCatalogue::Effects())
    EXPECT_TRUE(names.count(e.resourceName)) << e.resourceName << " has no recipe";
}

// Spectral centroid windows (Hz) by what the label promises: a bird is bright, thunder
// is low, a cricket sits near 4.5 kHz. Sounds re-made against recordings take their
// windows from them (reference_figures_test): a large dog's bark is dark, a close strike,
// a sea lion's honk and a pond frog's croak brighter than one would guess, and small
// wind chimes ring higher still (their lowest bars start near 2 kHz).
struct ColourWindow {
  std::string_view name;
  double lo, hi;
};
constexpr ColourWindow kColours[] = {
    {"DOGBARK", 350, 1000},  {"HORSE", 700, 1800},      {"WOLF", 400, 1000},
    {"LOON", 800, 1600},     {"NIGHTGALE", 2000, 3800}, {"CROW", 1000, 2200},
    {"BIRD", 2500, 4200},    {"HGLISS", 1000, 3000},    {"MGLISS", 900, 2000},
    {"WAVY", 150, 700},      {"OMINOUS", 80, 300},      {"LOWOMIN", 1800, 3200},
    {"SINGLEW", 600, 1500},  {"GTHUNDR", 40, 200},      {"THUNDR2", 700, 1300},
    {"WHISTLE", 400, 1200},  {"SMLBIRD", 2200, 4000},   {"SHIP", 150, 600},
    {"PANFLUT", 1500, 2600}, {"BEAM", 800, 1800},       {"OVERT", 500, 1200},
    {"BIGTHUN", 400, 1000},  {"SOUND23", 2000, 4000},   {"SOUND24", 900, 2200},
    {"SOUND25", 100, 400},   {"SOUND26", 200, 700},     {"SOUND27", 2000, 3500},
    {"SOUND28", 400, 1500},  {"SOUND29", 600, 1000},    {"SOUND30", 3800, 4900},
    {"SOUND31", 2000, 4500}};

class EffectRecipe : public ::testing::TestWithParam<RandomEffect> {};

TEST_P(EffectRecipe, FillsExactlyItsFramesWithFiniteSamples) {
  const RandomEffect& e = GetParam();
  const std::vector<float>& x = Rendered(e);
  ASSERT_EQ(x.size(), e.dataBytes);
  for (float v : x) ASSERT_TRUE(std::isfinite(v));
}

TEST_P(EffectRecipe, StartsAndEndsInSilence) {
  const RandomEffect& e = GetParam();
  const std::vector<float>& x = Rendered(e);
  ASSERT_EQ(x.size(), e.dataBytes);
  const double fs = e.format.samplesPerSecond;
  // The first audible sample (one 8-bit step) comes 10 to 50 ms in, after a gentle ramp.
  size_t first = 0;
  while (first < x.size() && std::fabs(x[first]) < 1.0 / 127.0) ++first;
  EXPECT_GE(first / fs, 0.010);
  EXPECT_LE(first / fs, 0.050);
  for (size_t i = 0; i < static_cast<size_t>(0.008 * fs); ++i) ASSERT_EQ(x[i], 0.0f);
  // At least the last 5 ms are exact zeros (byte 128, no dither).
  for (size_t i = x.size() - static_cast<size_t>(0.005 * fs); i < x.size(); ++i)
    ASSERT_EQ(x[i], 0.0f) << i;
  // It fades out: the 20 ms before the silent tail is far below the loudest part.
  size_t end = x.size();
  while (end > 0 && x[end - 1] == 0.0f) --end;
  const size_t w = static_cast<size_t>(0.02 * fs);
  ASSERT_GT(end, w);
  const double closing = LoudestWindowRms(std::span(x).subspan(end - w, w), fs, 0.02);
  EXPECT_LT(closing, 0.1 * LoudestWindowRms(x, fs));
}

TEST_P(EffectRecipe, LevelStandsOutWithoutClipping) {
  const RandomEffect& e = GetParam();
  const std::vector<float>& x = Rendered(e);
  ASSERT_FALSE(x.empty());
  const double fs = e.format.samplesPerSecond;
  double peak = 0.0, sum = 0.0;
  for (float v : x) {
    peak = std::max(peak, std::fabs(static_cast<double>(v)));
    sum += v;
  }
  EXPECT_LE(peak, 0.89);  // -1 dBFS
  // Loudest 50 ms within -12 +- 3 dBFS on sox's scale (8-bit byte b reads (b-128)/128).
  const double loudestDb = 20.0 * std::log10(LoudestWindowRms(x, fs) * 127.0 / 128.0);
  EXPECT_GE(loudestDb, -15.0);
  EXPECT_LE(loudestDb, -9.0);
  EXPECT_LT(std::fabs(sum / static_cast<double>(x.size())), 0.004);  // no DC offset
}

TEST_P(EffectRecipe, StaysBelowTheBandLimitAndHasItsColour) {
  const RandomEffect& e = GetParam();
  const std::vector<float>& x = Rendered(e);
  ASSERT_FALSE(x.empty());
  const double fs = e.format.samplesPerSecond;
  // No partial above 5.2 kHz at 11025 Hz, none above 10.5 kHz at 22050 Hz.
  const double limit = fs > 20000 ? 10600.0 : 5300.0;
  EXPECT_LT(test::PowerFractionAbove(x, fs, limit), 1e-4);
  const ColourWindow* window = nullptr;
  for (const ColourWindow& c : kColours)
    if (c.name == e.resourceName) window = &c;
  ASSERT_NE(window, nullptr);
  const double centroid = test::Centroid(x, fs);
  EXPECT_GE(centroid, window->lo) << e.label;
  EXPECT_LE(centroid, window->hi) << e.label;
}

TEST_P(EffectRecipe, IsTheSameOnEveryRun) {
  const RandomEffect& e = GetParam();
  std::vector<float> again;
  RecipeOf(e.resourceName)(SpecOf(e), again);
  EXPECT_EQ(again, Rendered(e));
}

TEST_P(EffectRecipe, FillsAnyRequestedLengthSafely) {
  // The recipe must honour the frame count it is given, however short, and never write
  // outside it (run under the sanitizers this also proves no stray writes).
  const RandomEffect& e = GetParam();
  for (uint32_t frames : {0u, 1u, 37u, 600u, 5000u}) {
    SoundSpec spec = SpecOf(e);
    spec.frames = frames;
    std::vector<float> out(3, 1.0f);  // stale content must not survive
    RecipeOf(e.resourceName)(spec, out);
    ASSERT_EQ(out.size(), frames) << e.label;
    for (float v : out) ASSERT_TRUE(std::isfinite(v)) << e.label;
    if (frames >= 600) {
      EXPECT_EQ(out.back(), 0.0f) << e.label;  // still ends in silence
      EXPECT_LE(*std::max_element(out.begin(), out.end()), 0.89f) << e.label;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllEffects, EffectRecipe,
                         ::testing::ValuesIn(SoundCatalogue::Effects().begin(),
                                             SoundCatalogue::Effects().end()),
                         [](const ::testing::TestParamInfo<RandomEffect>& info) {
                           return std::string(info.param.resourceName);
                         });

const RandomEffect& ByName(std::string_view name) {
  for (const RandomEffect& e : SoundCatalogue::Effects())
    if (e.resourceName == name) return e;
  throw std::runtime_error("no effect " + std::string(name));
}

TEST(EffectRecipes, DiscreteCallsCountAsTheLabelSays) {
  // Barks, caws, croaks and blasts are separate events a listener can count.
  const std::pair<std::string_view, int> expected[] = {
      {"DOGBARK", 3}, {"CROW", 3}, {"PANFLUT", 3}, {"SOUND29", 2}, {"SOUND26", 2},
      {"WHISTLE", 2}, {"SHIP", 1}, {"SOUND25", 1}, {"SOUND28", 3}};
  for (const auto& [name, count] : expected) {
    const RandomEffect& e = ByName(name);
    EXPECT_EQ(test::CountEvents(Rendered(e), e.format.samplesPerSecond), count) << e.label;
  }
}

TEST(EffectRecipes, NoTwoSoundAlike) {
  // Third-octave profiles: every pair differs by at least a few dB on average.
  std::vector<std::pair<std::string_view, std::vector<double>>> profiles;
  for (const RandomEffect& e : SoundCatalogue::Effects())
    profiles.emplace_back(e.label,
                          test::BandLevelsBelowLoudestDb(Rendered(e), e.format.samplesPerSecond));
  for (size_t a = 0; a < profiles.size(); ++a) {
    for (size_t b = a + 1; b < profiles.size(); ++b) {
      double d = 0.0;
      for (size_t k = 0; k < profiles[a].second.size(); ++k) {
        const double diff = profiles[a].second[k] - profiles[b].second[k];
        d += diff * diff;
      }
      d = std::sqrt(d / static_cast<double>(profiles[a].second.size()));
      EXPECT_GT(d, 3.0) << profiles[a].first << " vs " << profiles[b].first;
    }
  }
}

}  // namespace
}  // namespace lullwood::synth::fx
