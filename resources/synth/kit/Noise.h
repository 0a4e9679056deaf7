// Noise colours. Each generator takes its randomness from a caller's Rng so a sound's
// streams stay reproducible.
#pragma once

#include "Filters.h"
#include "Math.h"
#include "Random.h"

namespace lullwood::synth {

// The gain for white noise drawn sample by sample at `sampleRate` that keeps its power per
// hertz what it is at `bandRate`: the same variance spread over a band four times as wide
// is a quarter as dense in each hertz, and a recipe rendered at 44100 Hz would otherwise
// lose 6 dB of every noise it filters into the catalogue wave's band. 1 at `bandRate`.
inline double WhiteDensityGain(double sampleRate, double bandRate = kCatalogueRate) {
  return std::sqrt(sampleRate / bandRate);
}

// Uniform white noise on -1..1 as a recipe tuned at `bandRate` drew it sample by sample:
// as dense in each hertz (WhiteDensityGain), and at a higher rate kept to that rate's
// band by two low-passes at its top, so roughness or breath made of it does not spread
// as a hiss up the whole full band.
class BandWhite {
 public:
  explicit BandWhite(double sampleRate, double bandRate = kCatalogueRate)
      : gain_(WhiteDensityGain(sampleRate, bandRate)),
        limit_(sampleRate > bandRate),
        lp1_(Biquad::LowPass(sampleRate, std::min(0.5 * bandRate, 0.45 * sampleRate), 0.7071)),
        lp2_(lp1_) {}
  double Next(Rng& rng) {
    const double w = gain_ * rng.Bipolar();
    return limit_ ? lp2_.Process(lp1_.Process(w)) : w;
  }

 private:
  double gain_;
  bool limit_;
  Biquad lp1_, lp2_;
};

// Pink noise by Paul Kellett's refined filter (+-0.05 dB from 2.3 Hz at 11025 Hz),
// fed with Gaussian white noise; output RMS about 3 for unit input.
class PinkNoise {
 public:
  double Process(double w) {
    b0_ = 0.99886 * b0_ + w * 0.0555179;
    b1_ = 0.99332 * b1_ + w * 0.0750759;
    b2_ = 0.96900 * b2_ + w * 0.1538520;
    b3_ = 0.86650 * b3_ + w * 0.3104856;
    b4_ = 0.55000 * b4_ + w * 0.5329522;
    b5_ = -0.7616 * b5_ - w * 0.0168980;
    const double pink = b0_ + b1_ + b2_ + b3_ + b4_ + b5_ + b6_ + w * 0.5362;
    b6_ = w * 0.115926;
    return pink;
  }
  double Next(Rng& rng) { return Process(rng.Gaussian()); }

 private:
  double b0_ = 0, b1_ = 0, b2_ = 0, b3_ = 0, b4_ = 0, b5_ = 0, b6_ = 0;
};

// Brown (red) noise: white noise through a one-pole low-pass at `cornerHz`, then a DC
// blocker at `dcHz`. Output RMS is roughly independent of the corner (normalised).
class BrownNoise {
 public:
  BrownNoise(double sampleRate, double cornerHz = 30.0, double dcHz = 12.0)
      : a_(1.0 - std::exp(-kTwoPi * cornerHz / sampleRate)),
        norm_(std::sqrt(2.0 / a_)),
        r_(1.0 - kTwoPi * dcHz / sampleRate) {}
  double Process(double w) {
    lp_ += a_ * (w - lp_);
    const double y = lp_ - x1_ + r_ * y1_;
    x1_ = lp_;
    y1_ = y;
    return y * norm_;
  }
  double Next(Rng& rng) { return Process(rng.Gaussian()); }

 private:
  double a_, norm_, r_;
  double lp_ = 0, x1_ = 0, y1_ = 0;
};

}  // namespace lullwood::synth
