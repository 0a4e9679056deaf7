// True peaks: how loud a band-limited wave gets between its samples, once an output that
// resamples it (the program's mixer, a sound card) reconstructs it. A sample peak just
// under full scale can hide an inter-sample peak a dB or more above it.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "Level.h"
#include "Math.h"

namespace lullwood::synth {

// Reconstructs the points a quarter, a half and three quarters of the way between
// samples with a Blackman-windowed sinc of 32 taps, as a 4x-oversampling true-peak meter
// does (ITU-R BS.1770 annex 2).
class TruePeakMeter {
 public:
  static constexpr int kHalfTaps = 16;

  TruePeakMeter() {
    for (int p = 1; p < 4; ++p) {
      const double f = p / 4.0;
      for (int k = 0; k < 2 * kHalfTaps; ++k) {
        // Tap k weighs sample i + k - kHalfTaps + 1 for the point at i + f.
        const double t = static_cast<double>(k - kHalfTaps + 1) - f;
        const double sinc = Sin2Pi(t / 2) / (kPi * t);
        const double u = t / (kHalfTaps + 1);  // within -1..1
        const double window = 0.42 + 0.5 * Cos2Pi(u / 2) + 0.08 * Cos2Pi(u);
        taps_[p - 1][k] = sinc * window;
      }
    }
  }

  // Per frame of `x` (`channels` interleaved), the largest magnitude of any channel's
  // reconstructed wave from the frame before it to the frame after it. With `circular`
  // the wave is one period of a loop; else it is silent beyond its ends.
  std::vector<double> PeakAround(std::span<const float> x, int channels, bool circular) const {
    const int64_t frames = static_cast<int64_t>(x.size()) / channels;
    auto at = [&](int64_t i, int c) -> double {
      if (i < 0 || i >= frames) {
        if (!circular) return 0.0;
        i = ((i % frames) + frames) % frames;
      }
      return x[static_cast<size_t>(i * channels + c)];
    };
    // Between frame i and i + 1: the loudest of the two samples and the three points.
    std::vector<double> between(static_cast<size_t>(frames), 0.0);
    for (int c = 0; c < channels; ++c) {
      for (int64_t i = 0; i < frames; ++i) {
        double most = std::max(std::fabs(at(i, c)), std::fabs(at(i + 1, c)));
        for (const auto& row : taps_) {
          double v = 0.0;
          for (int k = 0; k < 2 * kHalfTaps; ++k) v += row[k] * at(i + k - kHalfTaps + 1, c);
          most = std::max(most, std::fabs(v));
        }
        between[static_cast<size_t>(i)] = std::max(between[static_cast<size_t>(i)], most);
      }
    }
    std::vector<double> around(between.size());
    for (int64_t i = 0; i < frames; ++i) {
      const int64_t before = i > 0 ? i - 1 : (circular ? frames - 1 : i);
      around[static_cast<size_t>(i)] =
          std::max(between[static_cast<size_t>(i)], between[static_cast<size_t>(before)]);
    }
    return around;
  }

 private:
  std::array<std::array<double, 2 * kHalfTaps>, 3> taps_{};
};

// Lowers the loudest moments of `x` (`channels` interleaved) so that its true peak stays
// at or under `limit`: the gain each frame needs is spread over +-`windowSeconds`
// (SmoothGain), the same for every channel, a few rounds since lowering one frame moves
// the reconstruction beside it; whatever is still over after them is met by scaling the
// whole sound.
inline void HoldTruePeak(std::span<float> x, int channels, double sampleRate, double limit,
                         double windowSeconds, bool circular) {
  const TruePeakMeter meter;
  const int64_t w = std::max<int64_t>(1, static_cast<int64_t>(windowSeconds * sampleRate));
  const size_t frames = x.size() / static_cast<size_t>(channels);
  for (int round = 0; round < 4; ++round) {
    const std::vector<double> peak = meter.PeakAround(x, channels, circular);
    const double most = frames == 0 ? 0.0 : *std::max_element(peak.begin(), peak.end());
    if (most <= limit) return;
    std::vector<double> need(frames);
    for (size_t i = 0; i < frames; ++i) need[i] = peak[i] > limit ? limit / peak[i] : 1.0;
    const std::vector<double> smooth = SmoothGain(need, w, circular);
    for (size_t i = 0; i < frames; ++i) {
      const double gain = std::min(smooth[i], need[i]);
      for (int c = 0; c < channels; ++c) {
        float& v = x[i * static_cast<size_t>(channels) + static_cast<size_t>(c)];
        v = static_cast<float>(v * gain);
      }
    }
  }
  const std::vector<double> peak = meter.PeakAround(x, channels, circular);
  const double most = frames == 0 ? 0.0 : *std::max_element(peak.begin(), peak.end());
  if (most > limit) Scale(x, limit / most);
}

}  // namespace lullwood::synth
