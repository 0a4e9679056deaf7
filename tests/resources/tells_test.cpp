// Every sound's full-band rendition against the marks of a synthesiser (measure/Tells.h),
// each allowed only as far as a real recording of the same kind shows it. The figures
// below were measured on the recordings that resources/synth/REFERENCES.md names, with
// tools/sound-figures at each recording's own rate, and are copied here as facts: no
// recording is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "SoundCatalogue.h"
#include "WaveAnalysis.h"
#include "measure/Tells.h"

namespace lullwood::test {
namespace {

struct TellReference {
  const char* resource;
  double waveform, spectrogram;  // the likeness of its two most alike events
  bool alikeIsReal;              // that likeness is the real thing's, not an edit's copies
  int evenRun;                   // its longest run of events at one spacing
  double ruledSeconds;           // its longest ruled spectral line, seconds
  double riseMs, fallMs;         // its steepest onset and offset; -1 where none is clear
  double needles;                // single-sample needles a second
};

constexpr TellReference kReferences[] = {
    {"DOGBARK", 0.00, 0.00, false, 1, 0.21, 106.8, 157.6, 0},  // tuxpaint-stamps-default dog.ogg
    {"HORSE", 0.15, 0.39, false, 3, 0.49, 118.7, 92.8, 0},     // tuxpaint-stamps-default horse.ogg
    {"SOUND26", 0.00, 0.00, false, 0, 0.28, 200.5, 241.5, 0},  // tuxpaint-stamps-default cow.ogg
    {"CROW", 0.89, 0.70, false, 2, 0.26, 58.9, 158.6, 0},      // tuxpaint-stamps-default crow.ogg
    {"BIGTHUN", 0.32, 0.36, false, 3, 0.19, -1, -1, 0},        // tuxpaint lightningbolt.ogg
    {"SOUND29", 0.24, 0.11, false, 2, 0.28, 206.5, 93.8, 0},   // tuxpaint-stamps-default frog.ogg
    {"PANFLUT", 0.00, 0.00, false, 0, 0.46, -1, -1, 0},        // tuxpaint sea_lion.ogg
    {"WAVY", 0.00, 0.00, false, 0, 0.42, 200.5, -1, 0},        // tuxpaint-stamps-default whale.ogg
    {"MGLISS", 0.87, 0.62, false, 2, 0.42, -1, -1, 0},         // tuxpaint seagull.ogg (beach)
    {"BEAM", 0.87, 0.62, false, 2, 0.42, -1, -1, 0},           // the same beach
    {"DOGBARK", 0.00, 0.00, false, 1, 0.21, -1, -1, 0},        // gcompris farm animals dog.ogg
    {"HORSE", 0.03, 0.00, false, 2, 0.44, 114.7, 150.7, 0},    // gcompris farm animals horse.ogg
    {"SOUND26", 0.00, 0.00, false, 1, 0.46, -1, 89.8, 0},      // gcompris farm animals cow.ogg
    {"DOGBARK", 0.36, 0.54, false, 2, 0.21, 20.0, 44.9, 0},    // gcompris LRBark_1_LA_cut.ogg
    {"DOGBARK", 0.41, 0.62, false, 2, 0.21, 21.0, 50.9, 0},    // gcompris LRBark_3_LA_cut.ogg
    {"SHIP", 0.00, 0.00, false, 0, 0.93, -1, 242.4, 0},        // openttd-opensfx 06 "Ship horn"
    {"WHISTLE", 0.00, 0.00, false, 1, 0.37, 71.8, -1, 0},      // openttd-opensfx 04 steam horn
    {"WHISTLE", 0.00, 0.00, false, 0, 1.28, -1, 271.4, 0},     // openttd-opensfx 10 diesel horn
    {"HORSE", 0.00, 0.00, false, 1, 0.72, -1, 273.4, 0},       // openttd-opensfx 38 "Horse"
    {"SOUND26", 0.00, 0.00, false, 1, 0.63, 96.8, 56.9, 0},    // openttd-opensfx 37 "Cow"
    {"SOUND25", 0.00, 0.00, false, 1, 2.28, 180.6, 163.6, 0},  // openttd-opensfx 07 "Ferry horn"
    {"OVERT", 0.00, 0.00, false, 0, 0.67, -1, -1, 0},          // gcompris flute_traversiere.ogg
    {"HEARTB", 0.94, 0.85, false, 2, 0.02, 47.9, 54.9, 0},     // gcompris LRHeart_beat_01_LA.ogg
    {"FACTORY", 0.00, 0.00, false, 0, 0.26, -1, -1, 0},        // gcompris LRFactory_noise_01_LA
    {"TTRACK", 0.39, 0.41, false, 2, 0.26, -1, -1, 0},         // gcompris LRTrain_slowing_down
    {"GTHUNDR", 0.40, 0.32, false, 3, 0.21, 39.9, -1, 0},      // 0ad-data thunder_10.ogg
    {"GTHUNDR", 0.51, 0.37, false, 2, 0.12, 188.6, 154.6, 0},  // 0ad-data thunder_11.ogg
    {"SAJUNG", 0.16, 0.49, false, 2, 0.74, 34.9, 140.7, 0},    // 0ad-data day_tropical_10.ogg
    {"AFJUNG", 0.24, 0.61, false, 2, 0.81, 37.9, 120.7, 0},    // 0ad-data day_tropical_11.ogg
    // A clock's ticks are alike and even by nature.
    {"TICK", 0.63, 0.94, true, 17, 0.12, 14.0, 22.0, 0},  // supertuxkart-data clock.ogg
    // A played rhythm is even; the sample's strokes are copies of one loop, not allowed.
    {"INDIAN", 1.00, 1.00, false, 18, 0.63, 1.0, 131.7, 0},  // sonic-pi-samples loop_tabla.flac
    {"FACTORY", 0.72, 0.56, false, 2, 0.30, -1, -1, 0},      // scorched3d-data factoryloop1.wav
    // A game's night, itself made of a repeated piece 8.4 s long.
    {"NIGHT", 0.73, 0.34, false, 2, 3.37, -1, -1, 0.04},   // megaglest-data forest night.ogg
    {"CROW", 0.00, 0.00, false, 0, 0.39, -1, 202.5, 0},    // sonic-pi-samples misc_crow.flac
    {"LOWOMIN", 0.00, 0.00, false, 0, 0.35, -1, -1, 0},    // megaglest-data desert2 hawk.ogg
    {"BIRD", 0.00, 0.00, false, 0, 0.35, 147.7, 94.8, 0},  // widelands-data bird1_00.ogg
    {"BIRD", 0.00, 0.00, false, 1, 1.24, 28.0, 44.0, 0},   // supertuxkart exotic-birds.ogg
    // A nightingale's trills are runs of like elements at one spacing.
    {"NIGHTGALE", 0.54, 0.88, true, 7, 2.22, 11.0, 54.0, 0},  // megaglest birch_forest night.ogg
    {"WOLF", 0.00, 0.00, false, 0, 0.26, 302.3, -1, 0},       // megaglest-data forest wolf.wav
    {"WOLF", 0.00, 0.00, false, 1, 0.44, -1, -1, 0},          // widelands-data wolf_00.ogg
    {"WOLF", 0.00, 0.00, false, 2, 0.39, -1, -1, 0},          // widelands-data wolf_02.ogg
    {"WOLF", 0.10, 0.00, false, 2, 0.39, -1, -1, 0},          // scratch WolfHowl.wav
    // The crickets' recordings open on a swell of the whole chorus: what they give as an
    // onset is that swell, not a chirp's, so no onset is taken from them.
    {"SOUND30", 0.00, 0.00, false, 0, 0.09, -1, -1, 0},     // scratch Cricket.wav
    {"SOUND30", 0.00, 0.00, false, 1, 0.53, -1, -1, 0},     // scratch Crickets.wav
    {"SOUND30", 0.00, 0.00, false, 0, 1.02, -1, 265.4, 0},  // widelands-data crickets1_00.ogg
    {"SOUND25", 0.00, 0.00, false, 1, 0.53, -1, -1, 0},     // simutrans-pak64 boat-horn.wav
    {"SINGLEW", 0.00, 0.00, false, 0, 0.81, -1, -1, 0},     // unknown-horizons chapel.ogg
    {"SINGLEW", 0.00, 0.00, false, 0, 0.37, -1, -1, 0},     // scratch BellToll.wav
    // A wind chime, measured once the Ogg stream inside the WAV is cut out (from byte 66);
    // it opens on a swell of soft touches, so no onset is taken from it either.
    {"SOUND31", 0.00, 0.00, false, 1, 2.72, -1, -1, 0},  // lmms-common wind_chimes01.ogg
};

struct Allowance {
  double alike = 0.9;           // highest waveform or spectrogram likeness of two events
  int evenRun = 3;              // longest run of events at one spacing
  double ruled = 1.0;           // longest ruled line, seconds
  double rise = -1, fall = -1;  // steepest onset and offset, ms; -1 not compared
  double needles = 0.0;         // needles a second
};

Allowance AllowanceOf(const std::string& resource) {
  constexpr double kSlowest = 50.0;
  Allowance a;
  for (const TellReference& r : kReferences) {
    if (resource != r.resource) continue;
    if (r.alikeIsReal) a.alike = std::max({a.alike, r.waveform, r.spectrogram});
    a.evenRun = std::max(a.evenRun, r.evenRun);
    a.ruled = std::max(a.ruled, r.ruledSeconds);
    // The steepest of the references is what the real thing can do; one recording's
    // onset is one of many the animal or the thing makes, so half of it is allowed, and
    // never more than 50 ms is asked: a slower onset or offset reads as no switch at all.
    if (r.riseMs > 0) a.rise = std::min(a.rise < 0 ? kSlowest : a.rise, r.riseMs / 2);
    if (r.fallMs > 0) a.fall = std::min(a.fall < 0 ? kSlowest : a.fall, r.fallMs / 2);
    a.needles = std::max(a.needles, r.needles);
  }
  return a;
}

struct Sound {
  std::string resource;
  bool loops;
};

// Loops whose events stand in a near silence (a room, a body): their onsets and offsets can
// be read as a call's. In the beds, calls rise out of a texture that never falls silent,
// and the level's own flicker there is no switch.
const std::set<std::string> kEventLoops = {"HEARTB", "INDIAN", "TICK"};

std::vector<Sound> AllSounds() {
  std::vector<Sound> all;
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds())
    all.push_back({std::string(b.resourceName), true});
  for (const RandomEffect& e : SoundCatalogue::Effects())
    all.push_back({std::string(e.resourceName), false});
  return all;
}

// The tells `x` shows beyond what `a` allows, one line each; empty when none.
std::vector<std::string> TellsOf(const std::vector<float>& x, double fs, bool loops, bool gates,
                                 const Allowance& a) {
  std::vector<std::string> found;
  const auto say = [&](const std::string& what, double ours, double allowed) {
    found.push_back(what + ": " + std::to_string(ours) + " (allowed " + std::to_string(allowed) +
                    ")");
  };
  const double needles = measure::NeedlesPerSecond(x, fs);
  if (needles > a.needles) say("needles a second", needles, a.needles);
  const measure::Repetition r = measure::MeasureRepetition(x, fs, loops);
  if (r.waveform > a.alike) say("two events alike in waveform", r.waveform, a.alike);
  if (r.spectrogram > a.alike) say("two events alike in spectrogram", r.spectrogram, a.alike);
  if (r.longestEvenRun > a.evenRun)
    say("events in a row at one spacing (" + std::to_string(r.evenSpacing) + " s)",
        r.longestEvenRun, a.evenRun);
  const measure::RuledLine line = measure::LongestRuledLine(x, fs);
  if (line.seconds > a.ruled)
    say("seconds ruled at " + std::to_string(static_cast<int>(line.hz)) + " Hz", line.seconds,
        a.ruled);
  if (!gates) return found;
  const measure::Gates g = measure::MeasureGates(x, fs);
  if (a.rise > 0 && g.riseMs >= 0 && g.riseMs < a.rise) say("steepest onset, ms", g.riseMs, a.rise);
  if (a.fall > 0 && g.fallMs >= 0 && g.fallMs < a.fall)
    say("steepest offset, ms", g.fallMs, a.fall);
  return found;
}

class Tells : public ::testing::TestWithParam<Sound> {};

TEST_P(Tells, NoneBeyondWhatTheRealThingShows) {
  const Sound& sound = GetParam();
  std::string error;
  const auto wave =
      ReadWave(std::string(LULLWOOD_FULL_BAND_WAVES_DIR) + "/" + sound.resource + ".wav", error);
  ASSERT_TRUE(wave) << error;
  const std::vector<float> mono = Mono(*wave);
  const std::vector<std::string> tells =
      TellsOf(mono, wave->sampleRate, sound.loops,
              !sound.loops || kEventLoops.contains(sound.resource), AllowanceOf(sound.resource));
  std::string all;
  for (const std::string& t : tells) all += "\n  " + t;
  EXPECT_TRUE(tells.empty()) << sound.resource << ":" << all;
}

INSTANTIATE_TEST_SUITE_P(EverySound, Tells, ::testing::ValuesIn(AllSounds()),
                         [](const auto& info) { return info.param.resource; });

}  // namespace
}  // namespace lullwood::test
