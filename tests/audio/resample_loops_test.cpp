// The resampling loops exist twice, for processors with and without AVX2; both must
// give the same sound, whichever shortcut each takes for a kernel.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "Resampler.h"

namespace lullwood {
namespace {

std::vector<float> Noise(size_t n, uint32_t seed) {
  std::vector<float> x(n);
  for (float& v : x) {
    seed = seed * 1664525u + 1013904223u;
    v = static_cast<float>(seed >> 8) / float(1u << 24) - 0.5f;
  }
  return x;
}

struct Design {
  const char* name;
  double cutoff, transition;
  uint32_t phases;
  uint64_t step;  // 32.32 input frames per output frame
  double attenuationDb = 80;
  uint32_t multiple = 8;
};

#if defined(LULLWOOD_AVX2_LOOPS)
TEST(ResampleLoops, BothInstructionSetsGiveTheSameSound) {
  if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) {
    GTEST_SKIP() << "this processor runs only the SSE2 loops";
  }
  const uint64_t half = uint64_t{1} << 31;
  for (const Design d :
       {Design{"doubling", 0.458, 0.1, 2, half}, Design{"half-band doubling", 0.5, 0.184, 2, half},
        Design{"44100 to 48000", 0.5, 0.408, 160, (44100ull << 32) / 48000},
        Design{"a changed pitch", 0.5, 0.184, 256, (13072ull << 32) / 22050},
        // The mixer's own per-voice kernels: 20 taps, and those of a full-band sound read
        // 1.05 to 2 times faster than its stage (24 to 48 taps).
        Design{"the per-voice kernel", 0.5, 0.184, 256, (13072ull << 32) / 22050, 58, 4},
        Design{"raised 1.1 times", 0.416 / 1.1, 0.168 / 1.1, 256, (52272ull << 32) / 48000, 58, 4},
        Design{"raised 1.19 times", 0.416 / 1.1875, 0.168 / 1.1875, 256, (52288ull << 32) / 44100,
               58, 4},
        Design{"raised 1.25 times", 0.416 / 1.25, 0.168 / 1.25, 256, (55125ull << 32) / 44100, 58,
               4},
        Design{"raised 1.5 times", 0.416 / 1.5, 0.168 / 1.5, 256, (66150ull << 32) / 44100, 58, 4},
        Design{"raised 2 times", 0.416 / 2, 0.168 / 2, 256, (88200ull << 32) / 44100, 58, 4}}) {
    const KernelTable kernel(d.cutoff, d.transition, d.attenuationDb, d.phases, d.multiple);
    const loops::Kernel view = kernel.view();
    SCOPED_TRACE(std::string(d.name) + ", " + std::to_string(kernel.taps()) + " taps");
    const auto left = Noise(4096, 1), right = Noise(4096, 2);
    // Starting off a whole frame too, and with counts that leave the groups a remainder.
    for (const uint64_t start : {uint64_t{40} << 32, (uint64_t{40} << 32) + half}) {
      for (size_t frames : {size_t{1}, size_t{7}, size_t{1001}}) {
        // The stereo loops take only kernels of a multiple of 8 taps (the buses' own).
        if (kernel.taps() % 8 == 0) {
          std::vector<float> sseL(frames, 0.25f), sseR(frames, -0.25f);
          std::vector<float> avxL = sseL, avxR = sseR;
          const uint64_t endBaseline = loops::StereoBaseline(
              left.data(), right.data(), view, start, d.step, frames, sseL.data(), sseR.data());
          const uint64_t endAvx = loops::StereoAvx2(left.data(), right.data(), view, start, d.step,
                                                    frames, avxL.data(), avxR.data());
          EXPECT_EQ(endBaseline, endAvx);
          for (size_t k = 0; k < frames; ++k) {
            ASSERT_NEAR(sseL[k], avxL[k], 1e-5f) << d.name << ", frame " << k;
            ASSERT_NEAR(sseR[k], avxR[k], 1e-5f) << d.name << ", frame " << k;
          }
        }
        std::vector<float> monoBaseline(frames, 0.0f), monoBaselineR(frames, 0.0f);
        std::vector<float> monoAvx(frames, 0.0f), monoAvxR(frames, 0.0f);
        loops::MonoBaseline(left.data(), view, start, d.step, frames, 0.5f, 0.25f,
                            monoBaseline.data(), monoBaselineR.data());
        loops::MonoAvx2(left.data(), view, start, d.step, frames, 0.5f, 0.25f, monoAvx.data(),
                        monoAvxR.data());
        for (size_t k = 0; k < frames; ++k) {
          ASSERT_NEAR(monoBaseline[k], monoAvx[k], 1e-5f) << d.name << ", frame " << k;
          ASSERT_NEAR(monoBaselineR[k], monoAvxR[k], 1e-5f) << d.name << ", frame " << k;
        }
      }
    }
  }
}

// A source at its stage's own rate, mono and stereo, over counts that leave the groups
// of eight a remainder.
TEST(ResampleLoops, BothInstructionSetsAddASourceAtItsOwnRateAlike) {
  if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("fma")) {
    GTEST_SKIP() << "this processor runs only the SSE2 loops";
  }
  const auto samples = Noise(2 * 1100, 5);
  for (const uint32_t channels : {1u, 2u}) {
    for (const size_t frames : {size_t{0}, size_t{5}, size_t{8}, size_t{1027}}) {
      std::vector<float> baseL(frames, 0.125f), baseR(frames, -0.5f);
      std::vector<float> avxL = baseL, avxR = baseR;
      // Starting one frame in, so no load is aligned to a vector.
      const float* from = samples.data() + channels;
      loops::ExactBaseline(from, channels, frames, 0.75f, -0.3f, baseL.data(), baseR.data());
      loops::ExactAvx2(from, channels, frames, 0.75f, -0.3f, avxL.data(), avxR.data());
      for (size_t k = 0; k < frames; ++k) {
        // Each channel where it belongs, at its own gain.
        const float left = from[k * channels];
        const float right = from[k * channels + channels - 1];
        ASSERT_NEAR(baseL[k], 0.125f + 0.75f * left, 1e-6f) << channels << " channels, " << k;
        ASSERT_NEAR(baseR[k], -0.5f - 0.3f * right, 1e-6f) << channels << " channels, " << k;
        ASSERT_NEAR(avxL[k], baseL[k], 1e-6f) << channels << " channels, " << k;
        ASSERT_NEAR(avxR[k], baseR[k], 1e-6f) << channels << " channels, " << k;
      }
    }
  }
}

#endif

// The half-band kernel's row for a whole frame is one tap of exactly 1, so the doubled
// bus carries its input frames unchanged between the new ones.
TEST(ResampleLoops, AHalfBandKernelPassesWholeFramesExactly) {
  const KernelTable halfBand(0.5, 0.184, 80, 2);
  ASSERT_TRUE(halfBand.wholeFrameIsTap());
  EXPECT_FALSE(KernelTable(0.458, 0.1, 80, 2).wholeFrameIsTap());
  const auto left = Noise(512, 3), right = Noise(512, 4);
  std::vector<float> outL(300, 0.0f), outR(300, 0.0f);
  loops::BestStereoLoop()(left.data(), right.data(), halfBand.view(), uint64_t{50} << 32,
                          uint64_t{1} << 31, 300, outL.data(), outR.data());
  for (size_t k = 0; k < 300; k += 2) {
    ASSERT_EQ(outL[k], left[50 + k / 2]) << k;
    ASSERT_EQ(outR[k], right[50 + k / 2]) << k;
  }
}

}  // namespace
}  // namespace lullwood
