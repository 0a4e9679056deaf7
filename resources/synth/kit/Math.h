// Deterministic math for the sound generator: a polynomial sine that does not depend on
// libm, decibel conversions and small helpers. Everything here gives the same bits on
// every IEEE-754 machine when built without -ffast-math and with -ffp-contract=off.
#pragma once

#include <cmath>
#include <cstdint>

namespace lullwood::synth {

// The rate of most catalogue waves, at which the recipes were first written and tuned.
inline constexpr double kCatalogueRate = 11025.0;

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 6.28318530717958647692;
// ln(1000): an exponential decay falls by 60 dB after t = T60 when scaled by this.
inline constexpr double kLn1000 = 6.90775527898213705205;

// sin(2*pi*cycles) for any finite `cycles`; absolute error below 1e-11.
inline double Sin2Pi(double cycles) {
  double r = cycles - std::floor(cycles);  // [0, 1)
  if (r >= 0.5) r -= 1.0;                  // [-0.5, 0.5)
  if (r > 0.25) r = 0.5 - r;               // fold to [-0.25, 0.25]
  if (r < -0.25) r = -0.5 - r;
  const double x = kTwoPi * r;
  const double x2 = x * x;
  // Taylor series to x^17, Horner form; the remainder at pi/2 is below 1e-11.
  double p = -1.0 / 355687428096000.0;
  p = p * x2 + 1.0 / 1307674368000.0;
  p = p * x2 - 1.0 / 6227020800.0;
  p = p * x2 + 1.0 / 39916800.0;
  p = p * x2 - 1.0 / 362880.0;
  p = p * x2 + 1.0 / 5040.0;
  p = p * x2 - 1.0 / 120.0;
  p = p * x2 + 1.0 / 6.0;
  // p approximates (x - sin x) / x^3.
  const double s = x - x * x2 * p;
  // The series overshoots 1 by a few ulps near the peaks; hold it to [-1, 1] so fades
  // built from it start and end exactly at 0 and 1.
  return s > 1.0 ? 1.0 : (s < -1.0 ? -1.0 : s);
}

inline double Cos2Pi(double cycles) {
  return Sin2Pi(cycles + 0.25);
}
inline double SinRad(double radians) {
  return Sin2Pi(radians / kTwoPi);
}
inline double CosRad(double radians) {
  return Sin2Pi(radians / kTwoPi + 0.25);
}

// Exact fraction of a cycle of a k-cycles-per-loop oscillator at frame n of an N-frame loop.
inline double LoopPhase(uint64_t k, uint64_t n, uint64_t loopFrames) {
  return static_cast<double>((k * n) % loopFrames) / static_cast<double>(loopFrames);
}

// The frequency, in Hz, closest to `hz` that completes a whole number of cycles per loop.
inline uint64_t CyclesPerLoop(double hz, uint32_t sampleRate, uint64_t loopFrames) {
  const double k = std::floor(hz * static_cast<double>(loopFrames) / sampleRate + 0.5);
  return k < 1.0 ? 1 : static_cast<uint64_t>(k);
}

inline double DbToGain(double db) {
  return std::pow(10.0, db / 20.0);
}
inline double GainToDb(double gain) {
  return 20.0 * std::log10(gain);
}

inline double Clamp(double x, double lo, double hi) {
  return x < lo ? lo : (x > hi ? hi : x);
}
inline double Lerp(double a, double b, double t) {
  return a + (b - a) * t;
}

// Rounded-rational soft saturation: odd, monotonic, |out| < 1, slope 1 at 0.
inline double SoftClip(double x) {
  const double ax = std::fabs(x);
  return x / (1.0 + ax + 0.28 * ax * ax) * (1.0 + 0.28 * ax);
}

}  // namespace lullwood::synth
