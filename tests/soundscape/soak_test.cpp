// Drives the soundscape's rules across more than ten million ticks, past the tick-count
// wrap, with a seeded stream of user actions between ticks, and checks after every
// action what must always hold.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "ControlIds.h"
#include "FakePorts.h"
#include "OfflineOutput.h"
#include "Scenario.h"
#include "Soundscape.h"

namespace lullwood {
namespace {

using testing::FakePanel;
using testing::FakeSettings;
using testing::FakeTimer;

class Soak {
 public:
  ProcessState state;
  FakePanel panel;
  FakeTimer timer;
  FakeSettings settings;
  OfflineOutputFactory outputs{48000};
  Soundscape core{state, panel, timer, outputs, settings};
  std::mt19937 rng{20261207};
  std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("lullwood-soak-" + std::to_string(getpid()));

  ~Soak() { std::filesystem::remove(file); }

  int Pick(int from, int to) { return std::uniform_int_distribution<int>(from, to)(rng); }

  void RandomAction() {
    switch (Pick(0, 11)) {
      case 0:
      case 1: {
        const int b = Pick(0, kBackgroundCount - 1);
        panel.TickBox(b, !panel.controls.m_backgroundOn[b]);
        core.OnBackgroundClicked(b);
        break;
      }
      case 2:
      case 3: {
        const int i = Pick(1, kEffectCount);
        panel.sliders[i] = Pick(1, 4);
        core.OnMixerScroll(Pick(0, 8), panel.sliders[i], SoundCatalogue::Effect(i)->sliderId);
        break;
      }
      case 4: {
        const int bar = Pick(0, 1) ? ids::kBackgroundVolumeBar : ids::kRandomVolumeBar;
        core.OnMixerScroll(Pick(0, 8), Pick(1, 10), bar);
        break;
      }
      case 5:
        core.OnMute();
        break;
      case 6:
        outputs.SetFailing(Pick(0, 4) == 0);
        core.OnPlay();
        outputs.SetFailing(false);
        break;
      case 7:
        if (Pick(0, 3) == 0) core.OnClearAll();
        break;
      case 8:
        panel.controls.m_dynamicRandom = !panel.controls.m_dynamicRandom;
        core.OnDynamicRandom();
        break;
      case 9:
        SaveScenarioAs(core, file.string());
        break;
      case 10:
        LoadScenario(core, file.string());
        break;
      case 11: {
        // Every table entry at a random level, as a hand-edited Scenario could leave it.
        std::ofstream out(file, std::ios::binary);
        out << "[Backgrounds]\n";
        for (int n = 0; n < kEffectTableSize; ++n) out << "R" << n << "=" << Pick(0, 9) << "\n";
        out << "V1=" << Pick(-5, 99) << "\nV2=" << Pick(-5, 99) << "\n";
        out.close();
        LoadScenario(core, file.string());
        break;
      }
    }
  }

  void CheckInvariants() {
    const auto& slots = state.backgrounds.slot;
    std::array<int, kSlotCount> holders{};
    for (int b = 0; b < kBackgroundCount; ++b) {
      const int k = state.backgrounds.slotNumber[b];
      ASSERT_GE(k, 0);
      ASSERT_LE(k, kSlotCount);
      if (k > 0) {
        ASSERT_NE(slots[k - 1], nullptr) << "background " << b;
        ++holders[k - 1];
      }
    }
    for (int k = 0; k < kSlotCount; ++k)
      ASSERT_EQ(holders[k], slots[k] ? 1 : 0) << "slot " << k + 1;

    const bool muted = state.audioDevice.muted;
    ASSERT_EQ(state.audioDevice.directSound == nullptr, muted);
    if (muted) {
      for (auto& s : slots) ASSERT_EQ(s, nullptr);
      for (auto& e : state.scheduler.effectBuffer) ASSERT_EQ(e, nullptr);
      ASSERT_EQ(state.mixer.previewBuffer, nullptr);
    }
    const double ticks = state.scheduler.tickCount;
    for (int i = 0; i < kEffectTableSize; ++i) {
      const int32_t level = state.scheduler.frequencyLevel[i];
      ASSERT_GE(level, 0);
      ASSERT_LE(level, 4);
      const double fire = state.scheduler.nextFireTick[i];
      const bool idle = fire == 0.0 || fire < ticks;
      const bool pending = fire >= 1 && fire <= kTickWrap && fire == static_cast<int>(fire);
      ASSERT_TRUE(idle || pending || fire == kRescheduleMarker) << "entry " << i << ": " << fire;
    }
    ASSERT_GE(state.mixer.backgroundVolumeStep, 1);
    ASSERT_LE(state.mixer.backgroundVolumeStep, 10);
    ASSERT_GE(state.mixer.randomVolumeStep, 1);
    ASSERT_LE(state.mixer.randomVolumeStep, 10);
  }
};

TEST(SoakTest, TenMillionTicksWithUserActionsKeepEveryInvariant) {
  Soak soak;
  ASSERT_TRUE(soak.core.ClaimDevice());
  soak.core.SeedRandom(99);
  for (int n = 0; n < kEffectTableSize; ++n) {
    soak.state.scheduler.frequencyLevel[n] = soak.Pick(0, 4);
    soak.state.scheduler.nextFireTick[n] = kRescheduleMarker;
  }
  std::vector<float> block(2 * 64);
  long ticks = 0;
  bool wrapped = false;
  long firings = 0;
  soak.core.SetFiringObserver([&](const Firing&) { ++firings; });
  while (ticks < 10'100'000 || !wrapped) {
    const double before = soak.state.scheduler.tickCount;
    soak.core.Tick();
    if (soak.state.scheduler.tickCount < before) wrapped = true;
    ++ticks;
    if (ticks % 4093 == 0) {
      soak.RandomAction();
      ASSERT_NO_FATAL_FAILURE(soak.CheckInvariants()) << "after tick " << ticks;
      if (auto* device = soak.outputs.current()) device->Render(block.data(), 64);
    }
    if (soak.state.audioDevice.muted && ticks % 50000 == 0) soak.core.OnPlay();
  }
  EXPECT_TRUE(wrapped);
  EXPECT_GT(firings, 100000);
}

}  // namespace
}  // namespace lullwood
