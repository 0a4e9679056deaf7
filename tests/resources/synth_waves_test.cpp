// Checks every generated wave image against the catalogue and against what a listener
// needs: exact format, clean layout, reproducible bytes, seamless loops, sane levels,
// silent effect ends and no two sounds alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "SoundCatalogue.h"
#include "WaveAnalysis.h"
#include "kit/Resample.h"
#include "measure/Bands.h"

namespace lullwood::test {
namespace {

struct CatalogueWave {
  std::string resource, label;
  SoundFormat format;
  uint32_t dataBytes;
  bool loops;
};

std::vector<CatalogueWave> AllSounds() {
  std::vector<CatalogueWave> all;
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds())
    all.push_back({std::string(b.resourceName), std::string(b.label), b.format, b.dataBytes, true});
  for (const RandomEffect& e : SoundCatalogue::Effects())
    all.push_back(
        {std::string(e.resourceName), std::string(e.label), e.format, e.dataBytes, false});
  return all;
}

std::string PathOf(const std::string& dir, const std::string& resource) {
  return dir + "/" + resource + ".wav";
}

// Every catalogue sound's image in `dir`, parsed (those missing or unreadable left out).
std::map<std::string, ParsedWave> ReadAll(const std::string& dir) {
  std::map<std::string, ParsedWave> m;
  for (const CatalogueWave& s : AllSounds()) {
    auto bytes = ReadFileBytes(PathOf(dir, s.resource));
    std::string error;
    if (bytes)
      if (auto w = ParseWave(*bytes, error)) m.emplace(s.resource, std::move(*w));
  }
  return m;
}

// Parsed images of both renditions, read once for the whole test program.
const std::map<std::string, ParsedWave>& Waves() {
  static const std::map<std::string, ParsedWave> waves = ReadAll(LULLWOOD_WAVES_DIR);
  return waves;
}
const std::map<std::string, ParsedWave>& FullBandWaves() {
  static const std::map<std::string, ParsedWave> waves = ReadAll(LULLWOOD_FULL_BAND_WAVES_DIR);
  return waves;
}

// Loudness families of the loops (RMS above 100 Hz, dBFS): most beds sit at -21 dB; the
// quiet-by-nature ones lower, the roaring ones higher. The breakers crash as loud as the
// roaring ones but murmur between crashes, as real breakers do (a recording's average
// lies 21 dB under its peaks), so under the loops' peak ceiling their average lies lower.
double BedTargetDb(const std::string& resource) {
  static const std::map<std::string, double> special = {
      {"LWIND", -26},  {"NIGHT", -26}, {"MUSEUM", -26}, {"TICK", -26},
      {"RGLASS", -26}, {"HWIND", -19}, {"WFALL", -19},  {"BREAKER", -23}};
  auto it = special.find(resource);
  return it == special.end() ? -21.0 : it->second;
}

// Loops whose nature is a rhythm with gaps: no continuous bed underneath.
bool HasGaps(const std::string& resource) {
  return resource == "TICK" || resource == "HEARTB" || resource == "INDIAN";
}

TEST(GeneratedWaves, EveryCatalogueSoundIsPresentWithItsExactFormatAndLayout) {
  for (const CatalogueWave& s : AllSounds()) {
    SCOPED_TRACE(s.resource);
    auto bytes = ReadFileBytes(PathOf(LULLWOOD_WAVES_DIR, s.resource));
    ASSERT_TRUE(bytes.has_value()) << "missing image";
    std::string error;
    auto w = ParseWave(*bytes, error);
    ASSERT_TRUE(w.has_value()) << error;
    EXPECT_EQ(w->formatTag, 1);
    EXPECT_EQ(w->channels, s.format.channels);
    EXPECT_EQ(w->sampleRate, s.format.samplesPerSecond);
    EXPECT_EQ(w->bitsPerSample, 8);
    EXPECT_EQ(w->blockAlign, s.format.channels);
    EXPECT_EQ(w->byteRate, s.format.samplesPerSecond * s.format.channels);
    EXPECT_EQ(w->data.size(), s.dataBytes);
    const std::vector<std::string> order = {"fmt ", "data", "LIST"};
    EXPECT_EQ(w->chunks, order);
    EXPECT_EQ(w->name, s.label);
    EXPECT_EQ(w->software, "Lullwood");
    // Header, data with its pad byte, and nothing but the INFO list after it.
    const size_t padded = s.dataBytes + (s.dataBytes & 1u);
    EXPECT_GT(bytes->size(), 44 + padded);
    EXPECT_EQ(std::string(bytes->begin() + 36, bytes->begin() + 40), "data");
    EXPECT_EQ(std::string(bytes->begin() + 44 + static_cast<long>(padded),
                          bytes->begin() + 48 + static_cast<long>(padded)),
              "LIST");
  }
}

TEST(GeneratedWaves, GeneratingAgainGivesTheSameBytes) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("lullwood-synth-" + std::to_string(::getpid()));
  const std::string command = std::string("\"") + LULLWOOD_SYNTH_EXE + "\" \"" + dir.string() +
                              "\" --full-band \"" + (dir / "full").string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0);
  for (const CatalogueWave& s : AllSounds()) {
    SCOPED_TRACE(s.resource);
    auto again = ReadFileBytes(PathOf(dir.string(), s.resource));
    auto built = ReadFileBytes(PathOf(LULLWOOD_WAVES_DIR, s.resource));
    ASSERT_TRUE(again && built);
    EXPECT_TRUE(*again == *built) << "bytes differ between two runs";
    auto wideAgain = ReadFileBytes(PathOf((dir / "full").string(), s.resource));
    auto wideBuilt = ReadFileBytes(PathOf(LULLWOOD_FULL_BAND_WAVES_DIR, s.resource));
    ASSERT_TRUE(wideAgain && wideBuilt);
    EXPECT_TRUE(*wideAgain == *wideBuilt) << "full-band bytes differ between two runs";
    const std::string flacName = "/" + s.resource + ".flac";
    auto flacAgain = ReadFileBytes((dir / "full").string() + flacName);
    auto flacBuilt = ReadFileBytes(LULLWOOD_FULL_BAND_WAVES_DIR + flacName);
    ASSERT_TRUE(flacAgain && flacBuilt);
    EXPECT_TRUE(*flacAgain == *flacBuilt) << "FLAC bytes differ between two runs";
  }
  std::filesystem::remove_all(dir);
}

// Each sound's full-band rendition: 44100 Hz, 16 bits, the original's channels, duration
// and name; audible, unclipped and under the true-peak ceiling's sample peak; and holding
// at least the original's loudness, since it keeps the original's band at the same level
// and adds what lies above it.
TEST(GeneratedWaves, EverySoundHasAFullBandRenditionOfTheSameLengthAndName) {
  for (const CatalogueWave& s : AllSounds()) {
    SCOPED_TRACE(s.resource);
    ASSERT_TRUE(FullBandWaves().count(s.resource)) << "missing or unreadable full-band wave";
    const ParsedWave& wide = FullBandWaves().at(s.resource);
    const ParsedWave& original = Waves().at(s.resource);
    EXPECT_EQ(wide.formatTag, 1);
    EXPECT_EQ(wide.sampleRate, 44100u);
    EXPECT_EQ(wide.bitsPerSample, 16);
    EXPECT_EQ(wide.channels, original.channels);
    EXPECT_EQ(wide.blockAlign, 2 * original.channels);
    EXPECT_EQ(wide.byteRate, 44100u * wide.blockAlign);
    const uint32_t factor = 44100 / original.sampleRate;
    EXPECT_EQ(wide.data.size(), original.data.size() * 2 * factor) << "the same duration";
    EXPECT_EQ(wide.name, original.name);
    for (int c = 0; c < wide.channels; ++c) {
      const std::vector<double> x = Channel(wide, c);
      double peak = 0.0;
      for (double v : x) peak = std::max(peak, std::fabs(v));
      EXPECT_LE(20.0 * std::log10(peak), -1.5) << "channel " << c;
      const double narrow = RmsAbove100HzDb(Channel(original, c), original.sampleRate, s.loops);
      EXPECT_GT(RmsAbove100HzDb(x, 44100, s.loops), narrow - 1.5) << "channel " << c;
    }
  }
}

std::vector<float> Floats(const std::vector<double>& x) {
  return {x.begin(), x.end()};
}

// Both renditions are one sound: below 5 kHz their long-term spectra agree within 1 dB
// band by band (where the 8-bit wave is not its own dither), and the full band, taken
// down to the original's band and rate, follows the original's envelope window by window.
TEST(GeneratedWaves, BothRenditionsAreOneSoundInTheOriginalsBand) {
  for (const CatalogueWave& s : AllSounds()) {
    SCOPED_TRACE(s.resource);
    ASSERT_TRUE(FullBandWaves().count(s.resource)) << "missing or unreadable full-band wave";
    const ParsedWave& wide = FullBandWaves().at(s.resource);
    const ParsedWave& original = Waves().at(s.resource);
    const double rate = original.sampleRate;
    for (int c = 0; c < original.channels; ++c) {
      const std::vector<float> narrow = Floats(Channel(original, c));
      const std::vector<float> full = Floats(Channel(wide, c));
      const std::vector<double> bands = measure::BandDifferencesDb(
          narrow, rate, full, 44100.0, measure::EightBitFloorPerHz(rate));
      EXPECT_GE(bands.size(), 3u) << "channel " << c;
      for (double d : bands) EXPECT_NEAR(d, 0.0, 1.0) << "channel " << c;

      const std::vector<float> inBand = synth::InOriginalBand(full, 1, 44100.0, rate, s.loops);
      ASSERT_EQ(inBand.size(), narrow.size());
      const int64_t window = static_cast<int64_t>(0.05 * rate);
      const std::vector<double> a(narrow.begin(), narrow.end()), b(inBand.begin(), inBand.end());
      double loudest = -200.0;
      for (int64_t at = 0; at + window <= static_cast<int64_t>(a.size()); at += window)
        loudest = std::max(loudest, WindowRmsDb(a, at, window));
      int compared = 0;
      for (int64_t at = 0; at + window <= static_cast<int64_t>(a.size()); at += window) {
        const double level = WindowRmsDb(a, at, window);
        if (level < loudest - 20.0) continue;
        ++compared;
        EXPECT_NEAR(WindowRmsDb(b, at, window), level, 1.0) << "channel " << c << " at " << at;
      }
      EXPECT_GT(compared, 0);
    }
  }
}

TEST(GeneratedWaves, EverySoundIsAudibleUnclippedAndCentred) {
  for (const CatalogueWave& s : AllSounds()) {
    SCOPED_TRACE(s.resource);
    ASSERT_TRUE(Waves().count(s.resource));
    const ParsedWave& w = Waves().at(s.resource);
    size_t extremes = 0;
    double sum = 0.0;
    for (uint8_t b : w.data) {
      extremes += (b == 0 || b == 255);
      sum += b;
    }
    EXPECT_LE(extremes, w.data.size() / 10000) << "clipped samples";
    EXPECT_NEAR(sum / static_cast<double>(w.data.size()), 128.0, 0.5) << "DC offset";
    for (int c = 0; c < w.channels; ++c) EXPECT_GT(RmsDb(Channel(w, c)), -40.0) << "nearly silent";
  }
}

TEST(GeneratedWaves, LoopsSitInTheirLoudnessFamilyWithHeadroom) {
  for (const CatalogueWave& s : AllSounds()) {
    if (!s.loops) continue;
    SCOPED_TRACE(s.resource);
    const ParsedWave& w = Waves().at(s.resource);
    for (int c = 0; c < w.channels; ++c) {
      const std::vector<double> x = Channel(w, c);
      EXPECT_NEAR(RmsAbove100HzDb(x, w.sampleRate, true), BedTargetDb(s.resource), 3.0);
      double peak = 0.0;
      for (double v : x) peak = std::max(peak, std::fabs(v));
      EXPECT_LE(20.0 * std::log10(peak), -5.5) << "loops keep 6 dB of headroom for mixing";
      if (!HasGaps(s.resource)) {
        EXPECT_GT(WindowRmsRange(x, w.sampleRate / 20).lowestDb, -45.0) << "the bed drops out";
      }
    }
  }
}

TEST(GeneratedWaves, EffectsStandOutWithoutStartling) {
  for (const CatalogueWave& s : AllSounds()) {
    if (s.loops) continue;
    SCOPED_TRACE(s.resource);
    const ParsedWave& w = Waves().at(s.resource);
    const std::vector<double> x = Channel(w, 0);
    const WindowRange r = WindowRmsRange(x, w.sampleRate / 20);
    EXPECT_NEAR(r.highestDb, -12.0, 3.5) << "loudest 50 ms";
    int worst = 0;
    for (uint8_t b : w.data) worst = std::max(worst, std::abs(static_cast<int>(b) - 128));
    EXPECT_LE(worst, 113) << "peak above -1 dBFS";
  }
}

TEST(GeneratedWaves, EffectsStartAndEndAtSilence) {
  for (const CatalogueWave& s : AllSounds()) {
    if (s.loops) continue;
    SCOPED_TRACE(s.resource);
    const ParsedWave& w = Waves().at(s.resource);
    EXPECT_EQ(w.data.front(), 128);
    const size_t tail = w.sampleRate / 200;  // the last 5 ms
    for (size_t i = w.data.size() - tail; i < w.data.size(); ++i)
      ASSERT_EQ(w.data[i], 128) << "sample " << i << " of the silent tail";
    // The onset fades in: nothing loud within the first millisecond.
    for (size_t i = 0; i < w.sampleRate / 1000; ++i)
      EXPECT_LE(std::abs(static_cast<int>(w.data[i]) - 128), 8) << "sample " << i;
  }
}

// A recording never falls into exact silence between its events: the place is always
// heard. Only an effect's own silent head and tail may be exact zeros.
TEST(GeneratedWaves, NoSoundFallsIntoADeadSilenceMidway) {
  for (const CatalogueWave& s : AllSounds()) {
    SCOPED_TRACE(s.resource);
    const ParsedWave& w = Waves().at(s.resource);
    const std::vector<double> x = Channel(w, 0);
    size_t first = 0, last = x.size();
    if (!s.loops) {
      while (first < x.size() && x[first] == 0.0) ++first;
      while (last > first && x[last - 1] == 0.0) --last;
    }
    size_t run = 0, longest = 0;
    for (size_t i = first; i < last; ++i) {
      run = x[i] == 0.0 ? run + 1 : 0;
      longest = std::max(longest, run);
    }
    EXPECT_LT(static_cast<double>(longest) / w.sampleRate, 0.06) << "seconds of exact silence";
  }
}

// One channel of a loop, at `rate`, wraps with no step and no click: checked at both
// renditions' rates.
void ExpectSeamless(const std::vector<double>& x, uint32_t rate) {
  const int64_t n = static_cast<int64_t>(x.size());
  EXPECT_LE(SeamRatio(x), 4.0);
  // The jump from the last sample to the first is an ordinary step of this sound.
  EXPECT_LE(std::fabs(x.front() - x.back()), StepQuantile(x, 0.999) + 1.0 / 128.0);
  // The level across the seam lies within the loop's own range (50 ms windows)...
  const int64_t win = rate / 20;
  const WindowRange range = WindowRmsRange(x, win);
  const double straddle = WindowRmsDb(x, n - win / 2, win);
  EXPECT_GE(straddle, range.lowestDb - 1.0);
  EXPECT_LE(straddle, range.highestDb + 1.0);
  // ...so does the treble across it (20 ms, above 2 kHz), where a click would show...
  const std::vector<double> hp = HighPassed(x, rate, 2000.0);
  const int64_t shortWin = rate / 50;
  EXPECT_LE(WindowRmsDb(hp, n - shortWin / 2, shortWin),
            WindowRmsRange(hp, shortWin).highestDb + 1.0);
  // ...and the change of level from the last 50 ms to the first is no bigger than the
  // loop's ordinary changes from one 50 ms to the next.
  const std::vector<double> levels = WindowLevelsDb(x, win);
  std::vector<double> changes;
  for (size_t i = 1; i < levels.size(); ++i)
    changes.push_back(std::fabs(levels[i] - levels[i - 1]));
  std::sort(changes.begin(), changes.end());
  const double ordinary = changes[changes.size() * 99 / 100];
  EXPECT_LE(std::fabs(WindowRmsDb(x, n - win, win) - WindowRmsDb(x, 0, win)), ordinary + 1.0);
}

TEST(GeneratedWaves, LoopsWrapWithoutAStepOrAClickInBothRenditions) {
  for (const CatalogueWave& s : AllSounds()) {
    if (!s.loops) continue;
    SCOPED_TRACE(s.resource);
    const ParsedWave& w = Waves().at(s.resource);
    ASSERT_TRUE(FullBandWaves().count(s.resource)) << "missing or unreadable full-band wave";
    const ParsedWave& wide = FullBandWaves().at(s.resource);
    for (int c = 0; c < w.channels; ++c) {
      SCOPED_TRACE("channel " + std::to_string(c));
      {
        SCOPED_TRACE("original");
        ExpectSeamless(Channel(w, c), w.sampleRate);
      }
      {
        SCOPED_TRACE("full band");
        ExpectSeamless(Channel(wide, c), wide.sampleRate);
      }
    }
  }
}

TEST(GeneratedWaves, TheStereoWaterfallHasDecorrelatedChannels) {
  const ParsedWave& w = Waves().at("WFALL");
  ASSERT_EQ(w.channels, 2);
  const std::vector<double> left = Channel(w, 0), right = Channel(w, 1);
  double lr = 0.0, ll = 0.0, rr = 0.0;
  for (size_t i = 0; i < left.size(); ++i) {
    lr += left[i] * right[i];
    ll += left[i] * left[i];
    rr += right[i] * right[i];
  }
  const double correlation = lr / std::sqrt(ll * rr);
  // Partly shared so the roar holds together, mostly independent so it sounds wide.
  EXPECT_GT(correlation, 0.05);
  EXPECT_LT(correlation, 0.6);
  EXPECT_NEAR(RmsDb(left), RmsDb(right), 1.0);
}

TEST(GeneratedWaves, TheClockTicksEvenlyRoundTheLoop) {
  const ParsedWave& w = Waves().at("TICK");
  const std::vector<double> x = Channel(w, 0);
  // Onsets: the first sample above a quarter of the peak after at least 50 ms below a
  // tenth of it (the room's murmur lies far lower), read round the loop.
  double peak = 0.0;
  for (double v : x) peak = std::max(peak, std::fabs(v));
  const size_t n = x.size(), quiet = w.sampleRate / 20;
  std::vector<size_t> onsets;
  size_t quietRun = 0;
  for (size_t k = 0; k < 2 * n; ++k) {
    const double level = std::fabs(x[k % n]);
    if (level < 0.1 * peak) {
      ++quietRun;
      continue;
    }
    if (level >= 0.25 * peak && quietRun >= quiet && k >= n) onsets.push_back(k % n);
    if (level >= 0.25 * peak) quietRun = 0;
  }
  std::sort(onsets.begin(), onsets.end());
  ASSERT_EQ(onsets.size(), 2u) << "a tick and a tock per loop";
  // The tock is softer, and the escapement's drop, the first loud part of each, is a
  // spray of noise of its own: its first loud sample may come up to a millisecond into
  // it. A millisecond is far below what an ear hears as uneven (a few milliseconds in a
  // steady beat).
  const double gap = static_cast<double>(onsets[1] - onsets[0]);
  EXPECT_NEAR(gap, n / 2.0, 0.001 * w.sampleRate);
}

// Sounds differ when their long-term spectra differ or, for sounds of similar colour,
// when the way their level moves differs (quantiles of 50 ms levels round the median).
TEST(GeneratedWaves, NoTwoSoundsAreAlike) {
  struct Profile {
    std::string resource;
    std::vector<double> spectrum, dynamics;
  };
  std::vector<Profile> profiles;
  for (const CatalogueWave& s : AllSounds()) {
    const ParsedWave& w = Waves().at(s.resource);
    const std::vector<double> x = Channel(w, 0);
    profiles.push_back(
        {s.resource, BandProfileDb(x, w.sampleRate), LevelQuantilesDb(x, w.sampleRate / 20)});
  }
  auto distance = [](const std::vector<double>& a, const std::vector<double>& b) {
    double s = 0.0;
    for (size_t k = 0; k < a.size(); ++k) s += (a[k] - b[k]) * (a[k] - b[k]);
    return std::sqrt(s / static_cast<double>(a.size()));
  };
  for (size_t a = 0; a < profiles.size(); ++a) {
    for (size_t b = a + 1; b < profiles.size(); ++b) {
      const double spectral = distance(profiles[a].spectrum, profiles[b].spectrum);
      const double dynamic = distance(profiles[a].dynamics, profiles[b].dynamics);
      EXPECT_TRUE(spectral > 2.0 || dynamic > 3.0)
          << profiles[a].resource << " and " << profiles[b].resource << " are alike: spectra "
          << spectral << " dB apart, dynamics " << dynamic << " dB apart";
    }
  }
}

}  // namespace
}  // namespace lullwood::test
