#include "Voices.h"

#include <algorithm>
#include <cmath>

#include "../kit/Filters.h"
#include "../kit/Math.h"
#include "../kit/Noise.h"
#include "../kit/Resample.h"
#include "../kit/Reverb.h"

namespace lullwood::synth::fx {
namespace {

// Random values on [-1, 1] joined by cosine segments, `hz` new values per second.
class SmoothRandom {
 public:
  SmoothRandom(Rng& rng, double fs, double hz)
      : rng_(rng), step_(hz / fs), a_(rng.Bipolar()), b_(rng.Bipolar()) {}
  double Next() {
    const double v = Lerp(a_, b_, CosineRamp(pos_));
    pos_ += step_;
    if (pos_ >= 1.0) {
      pos_ -= 1.0;
      a_ = b_;
      b_ = rng_.Bipolar();
    }
    return v;
  }

 private:
  Rng& rng_;
  double step_, a_, b_, pos_ = 0.0;
};

// Gain that takes a partial smoothly to zero between 85 % of `maxHz` and `maxHz`.
double BandLimit(double hz, double maxHz) {
  const double knee = 0.85 * maxHz;
  if (hz <= knee) return 1.0;
  if (hz >= maxHz) return 0.0;
  return 1.0 - CosineRamp((hz - knee) / (maxHz - knee));
}

// Each formant a resonance of `order` cascaded sections (1: a plain resonance; 2 and more
// fall off faster away from the centre, as in a long narrow tube).
double FormantResponse(const std::vector<Formant>& formants, double floor, double hz, int order) {
  if (formants.empty()) return 1.0;
  double h = floor;
  for (const Formant& f : formants) {
    const double x = (hz - f.hz) / (0.5 * f.bandwidth);
    double r = 1.0 / std::sqrt(1.0 + x * x);
    for (int o = 1; o < order; ++o) r /= std::sqrt(1.0 + x * x);
    h += DbToGain(f.gainDb) * r;
  }
  return h;
}

}  // namespace

int64_t Frame(double seconds, double fs) {
  return std::max<int64_t>(0, static_cast<int64_t>(std::floor(seconds * fs)));
}

void AddVoice(std::span<float> out, double fs, double startSec, const VoiceParams& p, Rng& rng,
              double gain) {
  constexpr int kBlock = 16;  // harmonic weights are updated at this control rate
  const int64_t start = Frame(startSec, fs);
  const int64_t frames = static_cast<int64_t>(p.seconds * fs);
  const int count = std::max(1, p.harmonics);

  std::vector<double> source(count + 1, 0.0);
  for (int k = 1; k <= count; ++k) {
    double w = p.weights.empty()
                   ? std::pow(static_cast<double>(k), p.tiltDbPerOctave / 6.020599913279624)
                   : (k <= static_cast<int>(p.weights.size()) ? p.weights[k - 1] : 0.0);
    if (p.oddOnly && k % 2 == 0) w = 0.0;
    source[k] = w;
  }
  std::vector<double> amps(count + 1, 0.0);
  int top = 0;
  double norm = 1.0;

  std::vector<Biquad> bands;
  std::vector<double> bandGains;
  if (p.noise > 0.0 || p.noiseCurve) {
    for (const Formant& f : p.formants) {
      const double q = std::max(0.7, p.noiseFormantQ * f.hz / 1000.0);
      bands.push_back(Biquad::BandPass(fs, f.hz, QAsAt(fs, f.hz, q)));
      bandGains.push_back(DbToGain(f.gainDb));
    }
    if (bands.empty()) {
      bands.push_back(Biquad::BandPass(fs, 1500.0, 0.6));
      bandGains.push_back(1.0);
    }
  }
  Biquad noiseLimit = Biquad::LowPass(fs, std::min(p.maxHz, 0.45 * fs));

  SmoothRandom jitter(rng, fs, p.jitterHz);
  SmoothRandom shimmer(rng, fs, 0.5 * p.jitterHz);
  const double floor = DbToGain(p.formantFloorDb);
  double phase = 0.0, half = 0.0;
  Biquad roll1 = Biquad::LowPass(fs, p.lowPassHz > 0 ? p.lowPassHz : 1000.0, 0.7071);
  Biquad roll2 = roll1;
  for (int64_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / fs;
    double f = p.f0(t);
    if (p.vibratoDepth > 0.0)
      f *= 1.0 + p.vibratoDepth * CosineRamp((t - p.vibratoDelay) / 0.25) * Sin2Pi(p.vibratoHz * t);
    if (p.jitter > 0.0) {
      // A chaotic onset: the folds vibrate irregularly before they settle.
      const double chaos = p.chaosSec > 0.0 ? 1.0 + 7.0 * (1.0 - CosineRamp(t / p.chaosSec)) : 1.0;
      f *= 1.0 + std::min(0.6, chaos * p.jitter) * jitter.Next();
    }
    if (i % kBlock == 0) {
      // The harmonics are scaled together by the energy of those within the band an
      // 11025 Hz wave keeps, so rendered at a higher rate the voice keeps its level there
      // and the harmonics above that band come on top.
      double energy = 0.0, inBand = 0.0;
      top = 0;
      for (int k = 1; k <= count; ++k) {
        const double hz = k * f;
        if (hz >= p.maxHz || hz >= 0.48 * fs) break;
        double shape = FormantResponse(p.formants, floor, hz, p.formantOrder);
        if (!p.formantsFrom.empty() && p.morph) {
          const double m = Clamp(p.morph(t), 0.0, 1.0);
          shape = Lerp(FormantResponse(p.formantsFrom, floor, hz, p.formantOrder), shape, m);
        }
        amps[k] = source[k] * BandLimit(hz, p.maxHz) * shape;
        energy += amps[k] * amps[k];
        if (hz < 0.48 * kCatalogueRate) inBand += amps[k] * amps[k];
        top = k;
      }
      if (inBand > 0.0) energy = inBand;
      norm = energy > 0.0 ? 1.0 / std::sqrt(energy) : 0.0;
    }
    double a = p.amp(t);
    if (p.shimmerDb > 0.0) a *= DbToGain(p.shimmerDb * shimmer.Next());
    if (p.amDepth > 0.0) a *= 1.0 - p.amDepth * (0.5 + 0.5 * Sin2Pi(p.amHz * t));

    double acc = 0.0;
    const double sub = p.subharmonic ? Clamp(p.subharmonic(t), 0.0, 1.0) : 0.0;
    if (p.subharmonic) {
      // Period doubling: on the half-rate phase, even multiples are the harmonics and odd
      // ones the subharmonics between them, at `sub` times their neighbours' mean level.
      const double s1 = Sin2Pi(half), c2 = 2.0 * Cos2Pi(half);
      double prev = 0.0, cur = s1;
      for (int m = 1; m <= 2 * top; ++m) {
        const int k = m / 2;
        const double w =
            m % 2 == 0
                ? amps[k]
                : sub * 0.5 *
                      ((k >= 1 ? amps[k] : 0.5 * amps[1]) + (k + 1 <= top ? amps[k + 1] : 0.0));
        acc += w * cur;
        const double next = c2 * cur - prev;
        prev = cur;
        cur = next;
      }
      half += 0.5 * f / fs;
      half -= std::floor(half);
    } else {
      // sin(k x) by the Chebyshev recurrence from sin x and cos x.
      const double s1 = Sin2Pi(phase), c2 = 2.0 * Cos2Pi(phase);
      double prev = 0.0, cur = s1;
      for (int k = 1; k <= top; ++k) {
        acc += amps[k] * cur;
        const double next = c2 * cur - prev;
        prev = cur;
        cur = next;
      }
    }
    phase += f / fs;
    phase -= std::floor(phase);

    double breath = 0.0;
    if (!bands.empty()) {
      const double w = 1.7320508 * WhiteDensityGain(fs) * rng.Bipolar();
      for (size_t b = 0; b < bands.size(); ++b) breath += bandGains[b] * bands[b].Process(w);
      breath = noiseLimit.Process(breath);
    }
    const int64_t at = start + i;
    if (at >= static_cast<int64_t>(out.size())) break;
    const double noise = p.noiseCurve ? p.noiseCurve(t) : p.noise;
    double y = a * (acc * norm + noise * breath);
    if (p.lowPassHz > 0.0) y = roll2.Process(roll1.Process(y));
    out[static_cast<size_t>(at)] += static_cast<float>(gain * y);
  }
}

void AddRoughVoice(std::span<float> out, double fs, double startSec, const RoughVoiceParams& p,
                   Rng& rng, double gain) {
  constexpr int kBlock = 16;  // moving formants are retuned at this control rate
  const int64_t start = Frame(startSec, fs);
  const int64_t frames = static_cast<int64_t>(p.seconds * fs);
  std::vector<Biquad> resonators(p.formants.size());
  std::vector<double> formantGains(p.formants.size());
  const double floor = DbToGain(p.floorDb);
  // The breath is tuned rendered at 44100 Hz; at another rate it keeps its power per hertz.
  const double density = WhiteDensityGain(fs, 44100.0);
  const double opening = p.openQuotient * (1.0 - p.closing);
  const double closing = p.openQuotient * p.closing;
  double snap = 1.0;
  // The formants' skirts fall only 6 dB an octave; the roll-off, where asked, falls 24.
  Biquad roll1 = Biquad::LowPass(fs, p.lowPassHz > 0.0 ? p.lowPassHz : 1000.0, 0.7071);
  Biquad roll2 = roll1;
  // The glottal flow over one period (Rosenberg's pulse): a cosine opening, a faster
  // quarter-cosine closing that ends on a corner (the closure, where the highs come from),
  // then shut. Less snap blends in a half-cosine closing, which meets zero smoothly.
  auto flow = [&](double x) {
    if (x < opening) return 0.5 - 0.5 * std::cos(kPi * x / opening);
    if (x < opening + closing) {
      const double u = (x - opening) / closing;
      return snap * std::cos(0.5 * kPi * u) + (1.0 - snap) * (0.5 + 0.5 * std::cos(kPi * u));
    }
    return 0.0;
  };
  double position = 0.0, period = 0.0, height = 0.0, lastFlow = 0.0;
  bool odd = false;
  for (int64_t i = 0; i < frames; ++i) {
    const int64_t at = start + i;
    if (at >= static_cast<int64_t>(out.size())) break;
    const double t = static_cast<double>(i) / fs;
    if (position >= period) {
      // A new glottal cycle: its own length and strength.
      position = period > 0.0 ? position - period : 0.0;
      const double split = p.doubling ? Clamp(p.doubling(t), 0.0, 1.0) : 0.0;
      const double drawn = Clamp(rng.Gaussian(), -3.0, 3.0);
      period = fs / std::max(20.0, p.f0(t)) * (1.0 + p.jitter * drawn);
      if (split > 0.0) period *= odd ? 1.0 + 0.12 * split : 1.0 - 0.12 * split;
      height = p.amp(t) * DbToGain(p.shimmerDb * Clamp(rng.Gaussian(), -3.0, 3.0));
      if (odd) height *= 1.0 - 0.7 * split;
      snap = p.snap ? Clamp(p.snap(t), 0.0, 1.0) : 1.0;
      odd = !odd;
    }
    if (i % kBlock == 0) {
      const double m = p.morph && !p.formantsFrom.empty() ? Clamp(p.morph(t), 0.0, 1.0) : 1.0;
      for (size_t k = 0; k < p.formants.size(); ++k) {
        Formant f = p.formants[k];
        if (k < p.formantsFrom.size() && m < 1.0) {
          const Formant& from = p.formantsFrom[k];
          f = {Lerp(from.hz, f.hz, m), Lerp(from.bandwidth, f.bandwidth, m),
               Lerp(from.gainDb, f.gainDb, m)};
        }
        resonators[k].SetBandPass(fs, f.hz, f.hz / std::max(1.0, f.bandwidth));
        // A resonance the rate cannot hold is left out rather than piled up at the top.
        formantGains[k] = f.hz < 0.45 * fs ? DbToGain(f.gainDb) : 0.0;
      }
    }
    // The flow's slope as the lips radiate it, per cycle rather than per sample, so the
    // source keeps its level whatever the pitch.
    const double g = flow(position / period);
    const double pulse = height * (g - lastFlow) * period;
    lastFlow = g;
    position += 1.0;
    // Breath: white noise, strongest while the glottis is open.
    const double breath = p.breath ? p.breath(t) : 0.0;
    const double noise =
        breath > 0.0 ? 3.0 * density * breath * p.amp(t) * (0.3 + 0.7 * g) * rng.Gaussian() : 0.0;
    const double excitation = pulse + noise;
    double y = floor * excitation;
    for (size_t k = 0; k < resonators.size(); ++k)
      y += formantGains[k] * resonators[k].Process(excitation);
    if (p.lowPassHz > 0.0) y = roll2.Process(roll1.Process(y));
    out[static_cast<size_t>(at)] += static_cast<float>(gain * y);
  }
}

void AddWhistle(std::span<float> out, double fs, double startSec, double seconds, const Curve& hz,
                const Curve& amp, double gain, double h2, double h3, double maxHz) {
  const int64_t start = Frame(startSec, fs);
  const int64_t frames = static_cast<int64_t>(seconds * fs);
  double phase = 0.0;
  for (int64_t i = 0; i < frames; ++i) {
    const int64_t at = start + i;
    if (at >= static_cast<int64_t>(out.size())) break;
    const double t = static_cast<double>(i) / fs;
    const double f = hz(t);
    double v = Sin2Pi(phase);
    if (h2 > 0.0) v += h2 * BandLimit(2.0 * f, maxHz) * Sin2Pi(2.0 * phase);
    if (h3 > 0.0) v += h3 * BandLimit(3.0 * f, maxHz) * Sin2Pi(3.0 * phase);
    out[static_cast<size_t>(at)] += static_cast<float>(gain * amp(t) * BandLimit(f, maxHz) * v);
    phase += f / fs;
    phase -= std::floor(phase);
  }
}

void AddSyrinxNote(std::span<float> out, double fs, Rng& rng, double startSec, double seconds,
                   const Curve& hz, const Curve& amp, double gain, double h2, double roughness,
                   double maxHz) {
  constexpr int kBlock = 16;  // the breath band follows the note at this control rate
  const int64_t start = Frame(startSec, fs);
  const int64_t frames = static_cast<int64_t>(seconds * fs);
  SmoothRandom wander(rng, fs, 35.0);
  SmoothRandom shimmer(rng, fs, 20.0);
  // Two band-passes in a row: one alone lets its skirts through, and its white noise would
  // stand as a faint full-band box behind every note, switched on and off with it.
  Biquad breathBand, breathBand2;
  double phase = 0.0;
  for (int64_t i = 0; i < frames; ++i) {
    const int64_t at = start + i;
    if (at >= static_cast<int64_t>(out.size())) break;
    const double t = static_cast<double>(i) / fs;
    const double f = hz(t) * (1.0 + 0.008 * roughness * wander.Next());
    if (i % kBlock == 0) {
      const double centre = std::min(f, 0.45 * fs);
      breathBand.SetBandPass(fs, centre, QAsAt(fs, centre, 6.0));
      breathBand2.SetBandPass(fs, centre, QAsAt(fs, centre, 6.0));
    }
    double v = Sin2Pi(phase);
    if (h2 > 0.0) v += h2 * BandLimit(2.0 * f, maxHz) * Sin2Pi(2.0 * phase);
    const double breath =
        1.25 *
        breathBand2.Process(breathBand.Process(1.7320508 * WhiteDensityGain(fs) * rng.Bipolar()));
    const double a = amp(t) * DbToGain(1.5 * roughness * shimmer.Next());
    out[static_cast<size_t>(at)] +=
        static_cast<float>(gain * a * BandLimit(f, maxHz) * (v + 0.22 * roughness * breath));
    phase += f / fs;
    phase -= std::floor(phase);
  }
}

void AddRumble(std::span<float> out, double fs, double startSec, const RumbleParams& p, Rng& rng,
               double gain) {
  const size_t frames = static_cast<size_t>(p.seconds * fs);
  std::vector<double> dry(frames, 0.0);
  const double logMin = std::log(p.minPulseMs), logMax = std::log(p.maxPulseMs);
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / fs;
    if (rng.Uniform() >= p.density(t) / fs) continue;
    // One N-wave: pressure rises, falls through zero and returns, parabolic in shape.
    const double ms = std::exp(Lerp(logMin, logMax, rng.Uniform()));
    const size_t len = std::max<size_t>(4, static_cast<size_t>(ms * 1e-3 * fs));
    // One draw per statement: the order of draws inside an expression is unspecified.
    const double size = rng.Uniform(0.3, 1.0);
    const double sign = rng.Chance(0.5) ? 1.0 : -1.0;
    const double a = p.level(t) * size * sign;
    for (size_t j = 0; j < len && i + j < frames; ++j) {
      const double u = (static_cast<double>(j) + 0.5) / static_cast<double>(len);
      dry[i + j] += a * (1.0 - 2.0 * u) * 6.0 * u * (1.0 - u);
    }
  }
  // Sparse reflections from the landscape instead of a smooth reverb.
  std::vector<double> wet = dry;
  for (int r = 0; r < p.reflections; ++r) {
    const double delay = p.spreadSeconds * std::pow(rng.Uniform(), 1.3);
    const size_t d = static_cast<size_t>(delay * fs);
    const double size = rng.Uniform(0.4, 1.0);
    const double sign = rng.Chance(0.3) ? -1.0 : 1.0;
    const double g = 0.75 * std::exp(-1.2 * delay / p.spreadSeconds) * size * sign;
    for (size_t i = d; i < frames; ++i) wet[i] += g * dry[i - d];
  }
  Biquad lp1 = Biquad::LowPass(fs, p.lowPassHz, 0.6);
  Biquad lp2 = Biquad::LowPass(fs, p.lowPassHz * 1.3, 0.7);
  DcBlocker dc(fs, 15.0);
  const int64_t start = Frame(startSec, fs);
  for (size_t i = 0; i < frames; ++i) {
    const double y = dc.Process(lp2.Process(lp1.Process(wet[i])));
    const int64_t at = start + static_cast<int64_t>(i);
    if (at >= static_cast<int64_t>(out.size())) break;
    out[static_cast<size_t>(at)] += static_cast<float>(gain * y);
  }
}

void AddEchoes(std::vector<float>& buffer, double fs, std::span<const EchoTap> taps) {
  const std::vector<float> dry = buffer;
  for (const EchoTap& tap : taps) {
    const size_t d = static_cast<size_t>(tap.delaySec * fs);
    OnePoleLowPass lp(fs, tap.lowPassHz);
    for (size_t i = d; i < buffer.size(); ++i)
      buffer[i] += static_cast<float>(tap.gain * lp.Process(dry[i - d]));
  }
}

void AddRoom(std::vector<float>& buffer, double fs, double rt60, double mix, double dampHz,
             double preDelaySec, double size) {
  Reverb reverb(fs, rt60, size, dampHz);
  const size_t pre = static_cast<size_t>(preDelaySec * fs);
  const std::vector<float> dry = buffer;
  for (size_t i = 0; i < buffer.size(); ++i) {
    const double in = i >= pre ? dry[i - pre] : 0.0;
    buffer[i] += static_cast<float>(mix * reverb.Process(in));
  }
}

double LoudestWindowRms(std::span<const float> x, double fs, double windowSec) {
  const size_t w = std::max<size_t>(1, static_cast<size_t>(windowSec * fs));
  if (x.size() < w) {
    double s = 0.0;
    for (float v : x) s += static_cast<double>(v) * v;
    return x.empty() ? 0.0 : std::sqrt(s / static_cast<double>(x.size()));
  }
  std::vector<double> sums(x.size() + 1, 0.0);
  for (size_t i = 0; i < x.size(); ++i) sums[i + 1] = sums[i] + static_cast<double>(x[i]) * x[i];
  const size_t hop = std::max<size_t>(1, w / 5);
  double best = 0.0;
  for (size_t i = 0; i + w <= x.size(); i += hop) best = std::max(best, sums[i + w] - sums[i]);
  return std::sqrt(best / static_cast<double>(w));
}

void AddAmbience(std::vector<float>& buffer, double fs, Rng& rng, double belowDb, double lowHz,
                 double highHz, double toSec) {
  const double level = LoudestWindowRms(buffer, fs) * DbToGain(-belowDb);
  double peak = 0.0;
  for (float v : buffer) peak = std::max(peak, std::fabs(static_cast<double>(v)));
  int64_t from = 0;
  while (from < static_cast<int64_t>(buffer.size()) &&
         std::fabs(buffer[static_cast<size_t>(from)]) < 0.01 * peak)
    ++from;
  const int64_t to = std::min<int64_t>(Frame(toSec, fs), static_cast<int64_t>(buffer.size()));
  if (level <= 0.0 || to <= from) return;
  PinkNoise pink;
  Biquad hp = Biquad::HighPass(fs, lowHz, 0.7), lp = Biquad::LowPass(fs, highHz, 0.7);
  SmoothRandom swell(rng, fs, 0.4);
  std::vector<double> bed(static_cast<size_t>(to - from));
  double power = 0.0;
  for (double& x : bed) {
    x = lp.Process(hp.Process(pink.Next(rng))) * DbToGain(3.0 * swell.Next());
    power += x * x;
  }
  const double scale = level / std::sqrt(power / static_cast<double>(bed.size()));
  const double seconds = static_cast<double>(bed.size()) / fs;
  for (size_t i = 0; i < bed.size(); ++i) {
    const double t = static_cast<double>(i) / fs;
    const double edges = CosineRamp(t / 0.3) * CosineRamp((seconds - t) / 0.5);
    buffer[static_cast<size_t>(from) + i] += static_cast<float>(scale * edges * bed[i]);
  }
}

void FinishEffect(std::vector<float>& out, const SoundSpec& spec, const FinishParams& p) {
  const double fs = spec.sampleRate;
  const size_t n = out.size();
  if (n == 0) return;
  // Bring the onset (the first sample within 60 dB of the peak) to `onsetSec`, so every
  // effect is heard promptly whatever its recipe's timeline.
  double rawPeak = 0.0;
  for (float v : out) rawPeak = std::max(rawPeak, std::fabs(static_cast<double>(v)));
  if (rawPeak <= 0.0) return;
  size_t onset = 0;
  while (onset < n && std::fabs(static_cast<double>(out[onset])) < 1e-3 * rawPeak) ++onset;
  const size_t wanted = static_cast<size_t>(p.onsetSec * fs);
  if (onset > wanted) {
    const size_t shift = onset - wanted;
    std::copy(out.begin() + static_cast<std::ptrdiff_t>(shift), out.end(), out.begin());
    std::fill(out.end() - static_cast<std::ptrdiff_t>(shift), out.end(), 0.0f);
  }
  // Leading silence, then a short raised-cosine opening.
  const double gateEnd = 0.008 * fs, rampLen = 0.004 * fs;
  for (size_t i = 0; i < n && i < static_cast<size_t>(gateEnd + rampLen) + 1; ++i)
    out[i] = static_cast<float>(out[i] * CosineRamp((static_cast<double>(i) - gateEnd) / rampLen));

  // Loudness, peaks and the limiter all judge the sound in the catalogue wave's band: a
  // full-band rendering's transients peak higher above it, and limiting by them would
  // leave it quieter there than its catalogue wave.
  const double originalRate = OriginalRate(spec);
  const size_t factor = static_cast<size_t>(fs / originalRate + 0.5);
  const std::vector<float> heard = InOriginalBand(out, 1, fs, originalRate, false);
  // The sample as heard in that band, before the gain below (frame i of `out` lies in
  // frame i / factor of `heard`).
  auto heardAt = [&](size_t i) {
    return static_cast<double>(heard[std::min(i / factor, heard.size() - 1)]);
  };
  const double loudest = LoudestWindowRms(heard, originalRate);
  if (loudest <= 0.0) return;
  // sox reads byte b as (b - 128) / 128 while the generator writes x * 127 + 128.
  double gain = DbToGain(p.targetDbfs) * (128.0 / 127.0) / loudest;
  double peak = 0.0;
  for (size_t i = 0; i < n; ++i) peak = std::max(peak, std::fabs(heardAt(i)) * gain);
  // Limit at most `maxLimitDb` of transient; beyond that lower the whole sound instead.
  const double most = DbToGain(p.maxLimitDb) * p.peak;
  if (peak > most) gain *= most / peak;
  for (float& v : out) v = static_cast<float>(v * gain);

  // Peak limiter: the gain each sample needs, smoothed backwards (attack before the peak)
  // and forwards (release after it); both passes only lower it, so no sample passes.
  std::vector<double> g(n, 1.0);
  bool limiting = false;
  for (size_t i = 0; i < n; ++i) {
    const double a = std::fabs(heardAt(i)) * gain;
    if (a > p.peak) {
      g[i] = p.peak / a;
      limiting = true;
    }
  }
  if (limiting) {
    const double attack = 1.0 - std::exp(-1.0 / (0.002 * fs));
    const double release = 1.0 - std::exp(-1.0 / (0.060 * fs));
    for (size_t i = n - 1; i-- > 0;) g[i] = std::min(g[i], g[i + 1] + (1.0 - g[i + 1]) * attack);
    for (size_t i = 1; i < n; ++i) g[i] = std::min(g[i], g[i - 1] + (1.0 - g[i - 1]) * release);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<float>(out[i] * g[i]);
  }

  // Closing fade and the exactly silent tail.
  const double tail = std::ceil(p.silentTailSec * fs);
  const double end = static_cast<double>(n) - tail;
  const double fadeLen = std::max(1.0, p.fadeOutSec * fs);
  for (size_t i = 0; i < n; ++i) {
    const double toEnd = end - static_cast<double>(i);
    if (toEnd <= 0.0) {
      out[i] = 0.0f;
    } else if (toEnd < fadeLen) {
      out[i] = static_cast<float>(out[i] * CosineRamp(toEnd / fadeLen));
    }
    // In the catalogue's own band the limiter has already kept every sample within the
    // peak, and this only catches rounding. Rendered over the full band, the sound above
    // that band may peak higher: clamping it here would flatten those peaks' tops into
    // corners, each a click up the whole band; the generator holds the full band's true
    // peak smoothly instead.
    if (factor == 1) out[i] = static_cast<float>(Clamp(out[i], -p.peak, p.peak));
  }
}

}  // namespace lullwood::synth::fx
