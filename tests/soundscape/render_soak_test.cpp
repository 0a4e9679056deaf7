// A night (eight hours) of a busy Scenario rendered offline through the soundscape's
// rules and the mixer, one tick per second of output: the output stays finite, never
// sits clipped for more than a few milliseconds, and memory does not grow.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <vector>

#include "ControlIds.h"
#include "FakePorts.h"
#include "OfflineOutput.h"
#include "Sanitizers.h"
#include "Soundscape.h"

namespace lullwood {
namespace {

constexpr int kRate = 48000;
#if defined(LULLWOOD_TSAN)
// The render runs on one thread, so the race detector has little to find here and runs
// it some twenty times slower: five minutes of the night.
constexpr int kSeconds = 300;
#elif defined(LULLWOOD_ASAN)
// The sanitized run looks for memory errors, which show within the first hours; the
// whole night is the ordinary run's.
constexpr int kSeconds = 2 * 3600;
#else
constexpr int kSeconds = 8 * 3600;
#endif
// A run of clipped frames longer than this is heard as distortion, not a passing peak.
constexpr int kLongestClipFrames = kRate * 5 / 1000;

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

TEST(RenderSoakTest, ANightOfABusyScenarioStaysFiniteUnclippedAndFlatInMemory) {
  ProcessState state;
  testing::FakePanel panel;
  testing::FakeTimer timer;
  testing::FakeSettings settings;
  OfflineOutputFactory outputs{kRate};
  Soundscape core{state, panel, timer, outputs, settings};
  ASSERT_TRUE(core.ClaimDevice());
  core.ResetTables();
  core.SeedRandom(20261207);
  core.StartTimer(1000);

  for (int b : {0, 9, 17}) {
    panel.TickBox(b, true);
    core.OnBackgroundClicked(b);
  }
  ASSERT_NE(state.backgrounds.slot[2], nullptr);
  // Most effects fire frequently, the rest at the other levels.
  for (int i = 1; i <= kEffectCount; ++i) {
    const int level = i % 5 == 0 ? 2 + i % 2 : 4;
    panel.sliders[i] = level;
    core.OnMixerScroll(1, level, SoundCatalogue::Effect(i)->sliderId);
  }
  panel.controls.m_dynamicRandom = 1;
  core.OnDynamicRandom();
  ASSERT_TRUE(state.mixer.dynamicRandom);

  long firings = 0;
  core.SetFiringObserver([&](const Firing&) { ++firings; });
  OfflineSoundDevice* device = outputs.current();
  ASSERT_NE(device, nullptr);

  std::vector<float> second(2 * kRate);
  long residentAfterHour = 0;
  long clipRun = 0, longestClipRun = 0, clippedFrames = 0, nonFinite = 0;
  float peak = 0.0f;
  for (int s = 0; s < kSeconds; ++s) {
    core.Tick();
    device->Render(second.data(), kRate);
    for (int f = 0; f < kRate; ++f) {
      const float left = second[2 * f], right = second[2 * f + 1];
      if (!std::isfinite(left) || !std::isfinite(right)) ++nonFinite;
      const float loudest = std::max(std::abs(left), std::abs(right));
      peak = std::max(peak, loudest);
      if (loudest >= 1.0f) {
        ++clippedFrames;
        longestClipRun = std::max(longestClipRun, ++clipRun);
      } else {
        clipRun = 0;
      }
    }
    if (s == 3600) residentAfterHour = ResidentKiB();
  }
  const long residentAtEnd = ResidentKiB();

  EXPECT_EQ(nonFinite, 0);
  EXPECT_LE(longestClipRun, kLongestClipFrames) << clippedFrames << " frames clipped in all";
  EXPECT_GT(peak, 0.05f) << "the night was silent";
  EXPECT_GT(firings, kSeconds / 3600.0 * 2000) << "not the busy Scenario meant";
  EXPECT_EQ(state.backgrounds.slot[0]->IsPlaying(), true);
#if !defined(LULLWOOD_ASAN) && !defined(LULLWOOD_TSAN)
  // Under AddressSanitizer freed memory is held in quarantine on purpose, and leaks are
  // its own report; ThreadSanitizer's shadow grows with the run. Elsewhere the resident
  // size after the first hour is the night's.
  EXPECT_LT(residentAtEnd - residentAfterHour, 2048) << "KiB grown after the first hour";
#endif
  RecordProperty("firings", static_cast<int>(firings));
  RecordProperty("peak_milli", static_cast<int>(peak * 1000));
  RecordProperty("clipped_frames", static_cast<int>(clippedFrames));
  RecordProperty("resident_growth_kib", static_cast<int>(residentAtEnd - residentAfterHour));
}

}  // namespace
}  // namespace lullwood
