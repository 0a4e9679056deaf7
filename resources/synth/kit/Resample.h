// Decimation by an integer factor with a Blackman-windowed sinc low-pass (cutoff
// 0.45 of the output rate), for sounds synthesised oversampled (clipping, waveshaping).
#pragma once

#include <span>
#include <vector>

#include "Math.h"

namespace lullwood::synth {

// Returns in.size() / factor samples. With `circular` the filter wraps round the ends
// (for loops); otherwise samples outside `in` count as zero.
inline std::vector<float> Decimate(std::span<const float> in, int factor, bool circular,
                                   int halfTaps = 48) {
  std::vector<double> taps(2 * halfTaps + 1);
  const double fc = 0.45 / factor;  // cycles per input sample
  double sum = 0.0;
  for (int i = -halfTaps; i <= halfTaps; ++i) {
    const double sinc = i == 0 ? 2.0 * fc : Sin2Pi(fc * i) / (kPi * i);
    const double w = 0.42 + 0.5 * Cos2Pi(0.5 * i / (halfTaps + 1)) +
                     0.08 * Cos2Pi(static_cast<double>(i) / (halfTaps + 1));
    taps[i + halfTaps] = sinc * w;
    sum += sinc * w;
  }
  const int64_t n = static_cast<int64_t>(in.size());
  std::vector<float> out(in.size() / factor);
  for (size_t o = 0; o < out.size(); ++o) {
    const int64_t centre = static_cast<int64_t>(o) * factor;
    double acc = 0.0;
    for (int i = -halfTaps; i <= halfTaps; ++i) {
      int64_t at = centre + i;
      if (circular) {
        at = ((at % n) + n) % n;
      } else if (at < 0 || at >= n) {
        continue;
      }
      acc += taps[i + halfTaps] * in[static_cast<size_t>(at)];
    }
    out[o] = static_cast<float>(acc / sum);
  }
  return out;
}

}  // namespace lullwood::synth
