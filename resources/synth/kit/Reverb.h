// A small feedback-delay-network reverb: two input all-pass diffusers, four delay lines
// mixed by a Householder matrix, each with a one-pole damping low-pass. Returns the wet
// signal only. For loops, run it inside RunCircular with enough warm-up passes to let the
// tail die away (RT60 / loop length + 1).
#pragma once

#include <array>
#include <vector>

#include "Filters.h"
#include "Math.h"

namespace lullwood::synth {

class Reverb {
 public:
  // `size` scales the delay lengths (1 = a large room, 29..47 ms); `dampHz` is the
  // corner of the in-loop low-pass.
  Reverb(double sampleRate, double rt60Seconds, double size = 1.0, double dampHz = 3500.0) {
    static constexpr std::array<double, 4> kDelayMs = {29.7, 37.1, 41.9, 47.3};
    static constexpr std::array<double, 2> kDiffuseMs = {5.3, 1.7};
    for (size_t i = 0; i < 4; ++i) {
      const size_t d = static_cast<size_t>(kDelayMs[i] * size * 1e-3 * sampleRate) | 1u;
      lines_[i].assign(d, 0.0);
      gains_[i] = std::pow(10.0, -3.0 * static_cast<double>(d) / (rt60Seconds * sampleRate));
      damp_[i].Set(sampleRate, dampHz);
    }
    for (size_t i = 0; i < 2; ++i)
      diffusers_[i].assign(static_cast<size_t>(kDiffuseMs[i] * 1e-3 * sampleRate) | 1u, 0.0);
  }

  double Process(double x) {
    // Diffuse the input with two Schroeder all-passes (g = 0.6).
    for (size_t i = 0; i < 2; ++i) {
      std::vector<double>& buf = diffusers_[i];
      size_t& at = diffuseAt_[i];
      const double delayed = buf[at];
      const double v = x + 0.6 * delayed;
      buf[at] = v;
      x = delayed - 0.6 * v;
      if (++at == buf.size()) at = 0;
    }
    std::array<double, 4> outs;
    double sum = 0.0;
    for (size_t i = 0; i < 4; ++i) {
      outs[i] = lines_[i][at_[i]];
      sum += outs[i];
    }
    for (size_t i = 0; i < 4; ++i) {
      const double fed = outs[i] - 0.5 * sum;  // Householder reflection, lossless
      lines_[i][at_[i]] = damp_[i].Process(gains_[i] * fed) + 0.5 * x;
      if (++at_[i] == lines_[i].size()) at_[i] = 0;
    }
    return 0.5 * (outs[0] - outs[1] + outs[2] - outs[3]);
  }

 private:
  std::array<std::vector<double>, 4> lines_;
  std::array<size_t, 4> at_{};
  std::array<double, 4> gains_{};
  std::array<OnePoleLowPass, 4> damp_;
  std::array<std::vector<double>, 2> diffusers_;
  std::array<size_t, 2> diffuseAt_{};
};

}  // namespace lullwood::synth
