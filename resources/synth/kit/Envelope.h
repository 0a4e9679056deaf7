// Envelopes: cosine ramps, exponential decays, ADSR and breakpoint curves. Times are in
// seconds unless a name says frames.
#pragma once

#include <initializer_list>
#include <utility>
#include <vector>

#include "Math.h"

namespace lullwood::synth {

// Raised-cosine ramp: 0 at t <= 0, 1 at t >= 1, smooth in between.
inline double CosineRamp(double t) {
  if (t <= 0.0) return 0.0;
  if (t >= 1.0) return 1.0;
  return 0.5 - 0.5 * Cos2Pi(0.5 * t);
}

// Gain of an exponential decay that falls by 60 dB in `t60` seconds, at time t >= 0.
inline double Decay60(double t, double t60) {
  return std::exp(-kLn1000 * t / t60);
}

// Per-sample multiplier of the same decay, for recursive use (g *= DecayStep(...)).
inline double DecayStep(double sampleRate, double t60) {
  return std::exp(-kLn1000 / (t60 * sampleRate));
}

// Attack-decay-sustain-release over a note of `duration` seconds (release follows it);
// linear attack, exponential-looking cosine decay and release, 0 outside.
struct Adsr {
  double attack = 0.01, decay = 0.1, sustain = 0.7, release = 0.2;
  double At(double t, double duration) const {
    if (t < 0.0) return 0.0;
    if (t < duration) return Held(t);
    return Held(duration) * (1.0 - CosineRamp((t - duration) / release));
  }
  // Level while the note is held, before any release.
  double Held(double t) const {
    if (t < attack) return t / attack;
    if (t < attack + decay) return Lerp(1.0, sustain, CosineRamp((t - attack) / decay));
    return sustain;
  }
  double Length(double duration) const { return duration + release; }
};

// Piecewise curve through (time, value) points, joined linearly or by cosine segments;
// constant before the first and after the last point.
class Breakpoints {
 public:
  struct Point {
    double t, v;
  };
  Breakpoints(std::initializer_list<Point> points, bool smooth = false)
      : points_(points), smooth_(smooth) {}
  explicit Breakpoints(std::vector<Point> points, bool smooth = false)
      : points_(std::move(points)), smooth_(smooth) {}
  double At(double t) const {
    if (points_.empty()) return 0.0;
    if (t <= points_.front().t) return points_.front().v;
    for (size_t i = 1; i < points_.size(); ++i) {
      const Point& a = points_[i - 1];
      const Point& b = points_[i];
      if (t < b.t) {
        const double u = (t - a.t) / (b.t - a.t);
        return Lerp(a.v, b.v, smooth_ ? CosineRamp(u) : u);
      }
    }
    return points_.back().v;
  }
  double End() const { return points_.empty() ? 0.0 : points_.back().t; }

 private:
  std::vector<Point> points_;
  bool smooth_;
};

}  // namespace lullwood::synth
