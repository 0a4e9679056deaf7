// What the soundscape sounds like through the mixer: the catalogue's sounds leave no
// images above their band, the loudest Scenario never reaches full scale and the
// limiter leaves quieter passages untouched, and a sound starts at its own level even
// while the audio thread renders.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "ControlIds.h"
#include "FakePorts.h"
#include "OfflineOutput.h"
#include "Sanitizers.h"
#include "Soundscape.h"
#include "Spectrum.h"

namespace lullwood {
namespace {

constexpr int kRate = 48000;

// A soundscape on an offline output, claimed and ticking as the window starts it.
struct Scape {
  ProcessState state;
  testing::FakePanel panel;
  testing::FakeTimer timer;
  testing::FakeSettings settings;
  OfflineOutputFactory outputs{kRate};
  Soundscape core{state, panel, timer, outputs, settings};

  explicit Scape(uint32_t seed) {
    EXPECT_TRUE(core.ClaimDevice());
    core.ResetTables();
    core.SeedRandom(seed);
    core.StartTimer(1000);
  }
  OfflineSoundDevice& device() { return *outputs.current(); }
  void Background(int b) {
    panel.TickBox(b, true);
    core.OnBackgroundClicked(b);
  }
  void EveryEffectAt(int level) {
    for (int i = 1; i <= kEffectCount; ++i) {
      panel.sliders[i] = level;
      core.OnMixerScroll(1, level, SoundCatalogue::Effect(i)->sliderId);
    }
  }
};

TEST(MixFidelity, OceanSurfAndRainLeaveNothingAboveTheirBand) {
  // Both are 11025 Hz sounds: nothing of them belongs above 5.5 kHz. Linear
  // interpolation left the 5.6-11 kHz band 18 dB and 11-24 kHz 29 dB below 0-5.5 kHz.
  Scape scape(7);
  scape.Background(0);  // Ocean Surf
  scape.Background(4);  // Rain
  const auto stereo = scape.device().Render(size_t{kRate} * 20);
  const auto left = testing::Left(stereo, kRate, size_t{kRate} * 19);
  const double band = testing::BandPower(left, kRate, 20, 5500);
  const double above = testing::BandPower(left, kRate, 5600, 11000);
  const double high = testing::BandPower(left, kRate, 11000, 24000);
  EXPECT_LT(10 * std::log10(above / band), -60);
  EXPECT_LT(10 * std::log10(high / band), -70);
  RecordProperty("above_db", static_cast<int>(10 * std::log10(above / band)));
  RecordProperty("high_db", static_cast<int>(10 * std::log10(high / band)));
}

// What a Scenario's render shows of the limiter, rendered twice alike: once as heard
// and once with the limiter only delaying.
struct LimiterReport {
  long fullScale = 0;       // heard samples at full scale
  float peak = 0.0f;        // the loudest heard sample
  long limitedSeconds = 0;  // seconds in which the two differ at all
  long quiet = 0;           // frames judged quiet (below)
  long changed = 0;         // quiet frames in which the two differ
};

// `setUp` makes the Scenario on each of the twins. A frame is quiet when the unlimited
// mix stayed below the ceiling for the release before it (1.5 s) and stays so for the
// look-ahead after it; there the limiter must change nothing, bit for bit.
template <typename SetUp>
LimiterReport RenderTwice(int seconds, SetUp setUp) {
  Scape heard(2026), plain(2026);
  plain.device().mixer().SetLimiterEnabled(false);
  setUp(heard);
  setUp(plain);
  const size_t ahead = heard.device().mixer().limiterDelayFrames() + Limiter::kChunk;
  const long release = kRate * 3 / 2;
  std::vector<float> a(2 * kRate), b(2 * kRate);
  std::vector<long> nextLoud(kRate);
  long lastLoud = -release - 1;  // frame number of the latest loud unlimited frame
  LimiterReport report;
  for (int s = 0; s < seconds; ++s) {
    heard.core.Tick();
    plain.core.Tick();
    heard.device().Render(a.data(), kRate);
    plain.device().Render(b.data(), kRate);
    const long base = long{s} * kRate;
    // The next loud frame at or after each frame of this second (kRate * 2: none).
    long next = long{kRate} * 2;
    for (long f = kRate - 1; f >= 0; --f) {
      const float loudest = std::max(std::abs(b[2 * f]), std::abs(b[2 * f + 1]));
      if (loudest > Limiter::kCeiling * (1.0f - 1.0f / 65536.0f)) next = f;
      nextLoud[f] = next;
    }
    bool limited = false;
    for (long f = 0; f < kRate; ++f) {
      const float left = a[2 * f], right = a[2 * f + 1];
      report.peak = std::max({report.peak, std::abs(left), std::abs(right)});
      report.fullScale += std::abs(left) >= 1.0f || std::abs(right) >= 1.0f;
      if (nextLoud[f] == f) lastLoud = base + f;
      const bool differs = left != b[2 * f] || right != b[2 * f + 1];
      limited = limited || differs;
      // Judged only where the look-ahead still lies within this second.
      if (f + long(ahead) >= kRate) continue;
      if (base + f - lastLoud > release && nextLoud[f] > f + long(ahead)) {
        ++report.quiet;
        report.changed += differs;
      }
    }
    report.limitedSeconds += limited;
  }
  return report;
}

// Every sound alone at full volume, through the mixer at both usual output rates, its
// own pitch and, for the effects Dynamic Random re-pitches, the highest and lowest it
// can be given: its true peak, the band-limited wave between its samples, stays at or
// under -1.5 dBFS, so the limiter never touches a lone sound.
TEST(MixFidelity, NoSoundAloneAtFullVolumeMeetsTheLimiter) {
  const float ceiling = static_cast<float>(std::pow(10.0, -1.5 / 20));
  struct Sound {
    std::string_view resource;
    double seconds;
    bool loops;
    bool pitchVaried;
  };
  const auto seconds = [](const auto& row) {
    return double(row.dataBytes) / row.format.channels / row.format.samplesPerSecond;
  };
  std::vector<Sound> sounds;
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds())
    sounds.push_back({b.resourceName, seconds(b), true, false});
  for (const RandomEffect& e : SoundCatalogue::Effects())
    sounds.push_back({e.resourceName, seconds(e), false, e.pitchVaried});
  ASSERT_EQ(sounds.size(), 54u);
  for (const int rate : {48000, 44100}) {
    for (const Sound& sound : sounds) {
      std::vector<int> offsets = {0};
      if (sound.pitchVaried) offsets = {0, 2000, -1500};
      for (const int offset : offsets) {
        OfflineSoundDevice device(rate);
        auto buffer = CreateBufferFromResource(&device, sound.resource);
        ASSERT_NE(buffer, nullptr) << sound.resource;
        const uint32_t own = buffer->GetFrequency();
        buffer->SetFrequency(static_cast<uint32_t>(int(own) + offset));
        buffer->Play(sound.loops);
        // The whole sound, and for a loop its seam.
        const double length =
            sound.seconds * own / buffer->GetFrequency() + (sound.loops ? 0.2 : 0.05);
        const auto out = device.Render(static_cast<size_t>(length * rate));
        float peak = 0;
        for (float v : out) peak = std::max(peak, std::fabs(v));
        EXPECT_LE(peak, ceiling) << sound.resource << " at " << rate << " Hz, pitch " << offset
                                 << ": " << 20 * std::log10(peak) << " dBFS";
        EXPECT_EQ(device.mixer().limitedFrames(), 0u) << sound.resource << " at " << rate;
        ReleaseSoundBuffer(buffer);
      }
    }
  }
}

// The loudest Scenario there is, for an hour: never a sample at full scale.
TEST(MixFidelity, TheLoudestScenarioNeverReachesFullScale) {
#ifdef LULLWOOD_ASAN
  constexpr int kSeconds = 300;
#else
  constexpr int kSeconds = 3600;
#endif
  const LimiterReport report = RenderTwice(kSeconds, [](Scape& s) {
    for (int b : {0, 6, 14}) s.Background(b);  // step 10 is where the volume bars start
    s.EveryEffectAt(4);                        // Frequently; Dynamic Random stays off
    EXPECT_FALSE(s.state.mixer.dynamicRandom);
    EXPECT_EQ(s.state.mixer.backgroundVolumeStep, 10);
    EXPECT_EQ(s.state.mixer.randomVolumeStep, 10);
  });
  EXPECT_EQ(report.fullScale, 0);
  EXPECT_LE(report.peak, Limiter::kCeiling);
  EXPECT_GT(report.limitedSeconds, kSeconds / 2) << "not loud enough to need the limiter";
  EXPECT_EQ(report.changed, 0) << "of " << report.quiet << " quiet frames";
  RecordProperty("limited_seconds", static_cast<int>(report.limitedSeconds));
}

// Quieter, with effects that now and then reach the ceiling: between those peaks the
// limiter leaves every sample as it is, so nothing pumps.
TEST(MixFidelity, BetweenPeaksTheLimiterChangesNothing) {
  const int seconds = 20 * 60;
  const LimiterReport report = RenderTwice(seconds, [](Scape& s) {
    for (int b : {0, 6, 14}) s.Background(b);
    s.state.mixer.backgroundVolumeStep = 4;  // -15 dB
    s.core.ApplyBackgroundVolume();
    s.EveryEffectAt(2);  // Rarely, at full Random volume
  });
  EXPECT_EQ(report.fullScale, 0);
  EXPECT_GT(report.limitedSeconds, 0) << "no peak to limit";
  EXPECT_GT(report.quiet, long{kRate} * seconds / 2) << "too few quiet passages to judge";
  EXPECT_EQ(report.changed, 0) << "of " << report.quiet << " quiet frames";
  RecordProperty("limited_seconds", static_cast<int>(report.limitedSeconds));
  RecordProperty("quiet_seconds", static_cast<int>(report.quiet / kRate));
}

// A background starts at the Backgrnd volume and a preview at the Random volume, from
// their first sample on, while the audio thread renders all along: the loudest sample
// ever rendered stays at what step 1 (-22.5 dB) allows.
TEST(MixFidelity, SoundsStartAtTheirOwnVolumeWhileTheAudioThreadRenders) {
  Scape scape(3);
  scape.state.mixer.backgroundVolumeStep = 1;
  scape.state.mixer.randomVolumeStep = 1;
  const double step1 = std::pow(10.0, -2250 / 2000.0);
  std::atomic<bool> quit{false};
  std::atomic<float> loudest{0.0f};
  std::atomic<long> blocks{0};
  OfflineSoundDevice& device = scape.device();
  std::thread audio([&] {
    std::vector<float> out(2 * 64);
    while (!quit) {
      device.Render(out.data(), 64);
      float block = 0.0f;
      for (float x : out) block = std::max(block, std::abs(x));
      if (block > loudest) loudest = block;
      ++blocks;
    }
  });
  for (int round = 0; round < 200; ++round) {
    const int b = round % 3 == 0 ? 2 : 13;  // White noise, Pink Noise: loud from frame 0
    scape.panel.TickBox(b, true);
    scape.core.OnBackgroundClicked(b);
    const RandomEffect* effect = SoundCatalogue::Effect(1 + round % kEffectCount);
    scape.core.PreviewEffect(effect->resourceName);
    const long seen = blocks;
    while (blocks < seen + 2) std::this_thread::yield();
    scape.panel.TickBox(b, false);
    scape.core.OnBackgroundClicked(b);
  }
  quit = true;
  audio.join();
  // Two sounds at step 1 together, with room for the filters' overshoot; a single
  // block at 0 dB would reach the limiter's ceiling.
  EXPECT_LT(loudest.load(), 2 * step1 * 1.1);
  EXPECT_GT(loudest.load(), 0.2 * step1) << "nothing was heard at all";
}

}  // namespace
}  // namespace lullwood
