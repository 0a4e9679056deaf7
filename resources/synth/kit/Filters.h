// Filters: RBJ-cookbook biquads, one-pole low/high-pass, DC blocker and the two-pole
// resonator res(f, T60). Coefficients may be reset every sample (time-varying filters);
// the state is kept.
#pragma once

#include "Math.h"

namespace lullwood::synth {

class Biquad {
 public:
  double Process(double x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
  }
  void Reset() { x1_ = x2_ = y1_ = y2_ = 0.0; }

  // Low-pass at `hz` with quality `q` (0.7071 = Butterworth).
  void SetLowPass(double sampleRate, double hz, double q) {
    const Pre p = Prepare(sampleRate, hz, q);
    Set((1 - p.c) / 2, 1 - p.c, (1 - p.c) / 2, 1 + p.alpha, -2 * p.c, 1 - p.alpha);
  }
  void SetHighPass(double sampleRate, double hz, double q) {
    const Pre p = Prepare(sampleRate, hz, q);
    Set((1 + p.c) / 2, -(1 + p.c), (1 + p.c) / 2, 1 + p.alpha, -2 * p.c, 1 - p.alpha);
  }
  // Band-pass with 0 dB gain at the centre `hz`.
  void SetBandPass(double sampleRate, double hz, double q) {
    const Pre p = Prepare(sampleRate, hz, q);
    Set(p.alpha, 0, -p.alpha, 1 + p.alpha, -2 * p.c, 1 - p.alpha);
  }
  // Peaking equaliser: `gainDb` at `hz`, width set by `q`.
  void SetPeaking(double sampleRate, double hz, double q, double gainDb) {
    const Pre p = Prepare(sampleRate, hz, q);
    const double a = std::pow(10.0, gainDb / 40.0);
    Set(1 + p.alpha * a, -2 * p.c, 1 - p.alpha * a, 1 + p.alpha / a, -2 * p.c, 1 - p.alpha / a);
  }
  // High shelf with slope 1: `gainDb` above `hz`.
  void SetHighShelf(double sampleRate, double hz, double gainDb) {
    const double a = std::pow(10.0, gainDb / 40.0);
    const Pre p = Prepare(sampleRate, hz, 0.7071067811865476);
    const double s = 2 * std::sqrt(a) * p.alpha;
    Set(a * ((a + 1) + (a - 1) * p.c + s), -2 * a * ((a - 1) + (a + 1) * p.c),
        a * ((a + 1) + (a - 1) * p.c - s), (a + 1) - (a - 1) * p.c + s,
        2 * ((a - 1) - (a + 1) * p.c), (a + 1) - (a - 1) * p.c - s);
  }

  static Biquad LowPass(double fs, double hz, double q = 0.7071067811865476) {
    Biquad b;
    b.SetLowPass(fs, hz, q);
    return b;
  }
  static Biquad HighPass(double fs, double hz, double q = 0.7071067811865476) {
    Biquad b;
    b.SetHighPass(fs, hz, q);
    return b;
  }
  static Biquad BandPass(double fs, double hz, double q) {
    Biquad b;
    b.SetBandPass(fs, hz, q);
    return b;
  }
  static Biquad Peaking(double fs, double hz, double q, double gainDb) {
    Biquad b;
    b.SetPeaking(fs, hz, q, gainDb);
    return b;
  }
  static Biquad HighShelf(double fs, double hz, double gainDb) {
    Biquad b;
    b.SetHighShelf(fs, hz, gainDb);
    return b;
  }

 private:
  struct Pre {
    double c, alpha;
  };
  // The cutoff is kept below 0.49 fs so a modulated filter never turns unstable.
  static Pre Prepare(double sampleRate, double hz, double q) {
    const double f = Clamp(hz, 1.0, 0.49 * sampleRate) / sampleRate;
    return {Cos2Pi(f), Sin2Pi(f) / (2.0 * q)};
  }
  void Set(double b0, double b1, double b2, double a0, double a1, double a2) {
    b0_ = b0 / a0;
    b1_ = b1 / a0;
    b2_ = b2 / a0;
    a1_ = a1 / a0;
    a2_ = a2 / a0;
  }
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// One-pole low-pass y += a (x - y) with its -3 dB corner near `hz`.
// The Q that gives a band-pass (or peaking filter) at `sampleRate` the width in hertz that
// `q` gives it at `tunedRate`: the cookbook's band narrows as it nears the top of a low
// rate's range (its width goes as sin(w0) / Q), so a recipe tuned at 11025 Hz keeps its
// bands' widths rendered at 44100 Hz. `q` itself at `tunedRate` and for bands at or above
// the top of its range.
inline double QAsAt(double sampleRate, double hz, double q, double tunedRate = kCatalogueRate) {
  if (sampleRate == tunedRate || hz >= 0.49 * tunedRate) return q;
  return q * (Sin2Pi(hz / sampleRate) * sampleRate) / (Sin2Pi(hz / tunedRate) * tunedRate);
}

class OnePoleLowPass {
 public:
  OnePoleLowPass() = default;
  OnePoleLowPass(double sampleRate, double hz) { Set(sampleRate, hz); }
  void Set(double sampleRate, double hz) { a_ = 1.0 - std::exp(-kTwoPi * hz / sampleRate); }
  // Direct coefficient: the fraction of the gap closed per sample (0..1).
  void SetCoefficient(double a) { a_ = a; }
  double Process(double x) { return y_ += a_ * (x - y_); }

 private:
  double a_ = 1.0, y_ = 0.0;
};

// One-pole high-pass: the input minus its one-pole low-pass.
class OnePoleHighPass {
 public:
  OnePoleHighPass() = default;
  OnePoleHighPass(double sampleRate, double hz) : lp_(sampleRate, hz) {}
  double Process(double x) { return x - lp_.Process(x); }

 private:
  OnePoleLowPass lp_;
};

// DC blocker y = x - x1 + R y1, corner near `hz`.
class DcBlocker {
 public:
  explicit DcBlocker(double sampleRate, double hz = 10.0) : r_(1.0 - kTwoPi * hz / sampleRate) {}
  double Process(double x) {
    const double y = x - x1_ + r_ * y1_;
    x1_ = x;
    y1_ = y;
    return y;
  }

 private:
  double r_, x1_ = 0, y1_ = 0;
};

// Two-pole resonator res(f, T60): pole radius 10^(-3/(T60 fs)). A unit impulse rings as
// a sine of amplitude 1 that falls by 60 dB in T60 seconds.
class Resonator {
 public:
  Resonator() = default;
  Resonator(double sampleRate, double hz, double t60Seconds) { Set(sampleRate, hz, t60Seconds); }
  void Set(double sampleRate, double hz, double t60Seconds) {
    const double r = std::pow(10.0, -3.0 / (t60Seconds * sampleRate));
    const double f = Clamp(hz, 1.0, 0.49 * sampleRate) / sampleRate;
    a1_ = -2.0 * r * Cos2Pi(f);
    a2_ = r * r;
    b0_ = Sin2Pi(f);
  }
  double Process(double x) {
    const double y = b0_ * x - a1_ * y1_ - a2_ * y2_;
    y2_ = y1_;
    y1_ = y;
    return y;
  }

 private:
  double b0_ = 0, a1_ = 0, a2_ = 0, y1_ = 0, y2_ = 0;
};

}  // namespace lullwood::synth
