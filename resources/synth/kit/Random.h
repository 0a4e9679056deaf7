// Seeded deterministic random source (splitmix64). Never use std::*_distribution here:
// its output differs between standard libraries. Draw at most once per function-call
// argument list: C++ leaves the order of arguments unspecified, and compilers differ.
#pragma once

#include <cstdint>
#include <string_view>

#include "Math.h"

namespace lullwood::synth {

class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}

  uint64_t NextU64() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform on [0, 1).
  double Uniform() { return static_cast<double>(NextU64() >> 11) * 0x1.0p-53; }
  double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
  // Uniform on [-1, 1).
  double Bipolar() { return 2.0 * Uniform() - 1.0; }
  // Approximately standard normal (sum of 12 uniforms - 6): mean 0, variance 1, |x| <= 6.
  double Gaussian() {
    double s = 0.0;
    for (int i = 0; i < 12; ++i) s += Uniform();
    return s - 6.0;
  }
  // Integer uniform on [lo, hi], both included.
  int Int(int lo, int hi) {
    return lo + static_cast<int>(NextU64() % static_cast<uint64_t>(hi - lo + 1));
  }
  bool Chance(double probability) { return Uniform() < probability; }
  // Log-normal gain: 1 scaled by a normal spread of `sigmaDb` decibels.
  double GainJitter(double sigmaDb) { return DbToGain(sigmaDb * Gaussian()); }
  // A relative jitter of +-fraction, uniform: 1 +- fraction.
  double Jitter(double fraction) { return 1.0 + fraction * Bipolar(); }

 private:
  uint64_t state_;
};

// A stable 64-bit seed from a name (FNV-1a), so each sound owns its own stream.
inline uint64_t SeedFromName(std::string_view name, uint64_t salt = 0) {
  uint64_t h = 0xCBF29CE484222325ull ^ salt;
  for (char c : name) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001B3ull;
  }
  return h;
}

}  // namespace lullwood::synth
