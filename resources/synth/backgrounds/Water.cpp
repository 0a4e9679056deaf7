// Water and sea loops: surf, breakers, river, rain, waterfall, brook, stream, rain on glass.
#include "Backgrounds.h"
#include "Loops.h"

namespace lullwood::synth {

using namespace loops;

namespace {

// A one-shot voice filtered through a fresh band-pass (with a short ring-out tail).
std::vector<float> BandPassed(std::vector<float> v, double sampleRate, double hz, double q,
                              double tailSeconds) {
  v.resize(v.size() + static_cast<size_t>(tailSeconds * sampleRate), 0.0f);
  Biquad bp = Biquad::BandPass(sampleRate, hz, q);
  for (float& s : v) s = static_cast<float>(bp.Process(s));
  return v;
}

// Crackle of small raindrops: short noise clicks, each through a band-pass at a random
// centre, scattered with `density(n)`.
template <class Density>
std::vector<float> DropCrackle(Rng& rng, size_t frames, double fs, double rate, double loHz,
                               double hiHz, Density&& density) {
  std::vector<float> out(frames, 0.0f);
  for (int64_t s : ScatterEvents(rng, frames, fs, rate, density)) {
    const double ms = rng.Uniform(0.3, 1.0);
    const double hz = loHz * std::pow(hiHz / loHz, rng.Uniform());
    auto click = BandPassed(NoiseClick(rng, fs, ms, 1.0), fs, hz, 2.0, 0.004);
    AddCircular(out, s, click, rng.GainJitter(4.0));
  }
  NormalizeRms(out);
  return out;
}

}  // namespace

void Surf(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  const std::vector<float> pink = PinkLoop(rng, n, fs);
  const std::vector<float> brown = BrownLoop(rng, n, fs, 40.0);
  std::vector<float> bed(n);
  for (size_t i = 0; i < n; ++i) bed[i] = 0.6f * pink[i] + 0.4f * brown[i];

  // Two waves per loop of unequal height: swell (2.0 s), crest (0.4 s), wash (1.9 s).
  const size_t half = n / 2;
  struct Wave {
    double intensity, wash;
  };
  auto wave = [&](size_t i) -> Wave {
    const bool first = i < half;
    const double u = first ? static_cast<double>(i) / half
                           : static_cast<double>(i - half) / static_cast<double>(n - half);
    const double height = first ? 1.0 : 0.75;
    const double swellEnd = 2.0 / 4.3, crestEnd = 2.4 / 4.3;
    if (u < swellEnd) return {height * std::pow(CosineRamp(u / swellEnd), 1.6), 0.0};
    const double fizzIn = CosineRamp((u - swellEnd) / (0.35 / 4.3));
    if (u < crestEnd) return {height, height * fizzIn};
    const double d = (u - crestEnd) / (1.0 - crestEnd);
    return {height * (1.0 - CosineRamp(d)), height * fizzIn * std::pow(1.0 - d, 1.5)};
  };
  LoopSines levelDetail(rng, n, {5, 7, 11}, 1.0);
  LoopSines cutoffDetail(rng, n, {7, 11, 5}, 1.0);

  Biquad lp1, lp2;
  RunCircular(bed, 3, [&](double in, size_t i) {
    const Wave w = wave(i);
    const double hz = (400.0 + 2200.0 * w.intensity) * (1.0 + 0.1 * cutoffDetail.At(i));
    lp1.SetLowPass(fs, hz, 0.6);
    lp2.SetLowPass(fs, hz * 1.3, 0.6);
    const double gain = (0.12 + 0.88 * w.intensity) * DbToGain(1.5 * levelDetail.At(i));
    return gain * lp2.Process(lp1.Process(in));
  });
  NormalizeRmsInBand(bed, spec);

  // Wash fizz: high hiss and a spray of tiny bubbles following each wave's wash.
  std::vector<float> fizz = WhiteLoop(rng, n);
  FilterLoop(fizz, Biquad::HighPass(fs, 2500.0, 0.7));
  // The hiss rides on the wave as well as on its wash, so the high bands rise with the
  // low ones as a recorded sea's do.
  // Its top falls as the wash spreads and sinks, from far up at the crest to a few
  // kilohertz, as in a recorded wave.
  Biquad fizzTop;
  RunCircular(fizz, 3, [&](double in, size_t i) {
    const Wave w = wave(i);
    fizzTop.SetLowPass(fs, std::min(0.45 * fs, 3500.0 + 14000.0 * w.wash), 0.7);
    return (0.06 + 0.3 * w.intensity + w.wash) * fizzTop.Process(in);
  });
  std::vector<float> bubbles(n, 0.0f);
  auto starts = ScatterEvents(rng, n, fs, 650.0, [&](uint64_t i) { return wave(i).wash; });
  AddBubbles(bubbles, rng, fs, starts, 0.75, 1.5, 0.1, 1.0, 4.0);
  NormalizeRmsInBand(fizz, spec);
  NormalizeRmsInBand(bubbles, spec);

  out = Silence(spec);
  Mix(out, bed, 1.0);
  Mix(out, fizz, 0.48);
  Mix(out, bubbles, 0.25);
  // Where the full band reaches, the fizz's hiss falls away upward as a recorded sea's
  // does (0ad-data's wave: 6 % of its power above 5.5 kHz, 0.1 % above 11 kHz), instead
  // of running on to the top.
  ShapeHighBand(out, spec, 0.0, 4);
  FinishLoop(out, spec, kBedDb);
}

void Breakers(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  const double loop = n / fs;
  Rng rng(SeedFromName(spec.resourceName));
  // Two waves a loop, a big one and a smaller one after it. Each rears up over a second
  // or so, breaks, and falls away fast and then slowly as its foam spreads and sinks, into
  // a lull that is a murmur: a recorded breaker's level is mostly that lull and the long
  // fall, the crash a short peak above them (its bands' envelopes skewed 1.0-1.2), and
  // every band rises and falls with it (neighbouring bands' envelopes correlate 0.91).
  struct Wave {
    double start, rise, height, decay;
  };
  const std::array<Wave, 2> waves = {{{2.0, 1.44, 1.0, 1.25}, {6.9, 0.88, 0.4, 0.95}}};
  std::vector<double> level(n, 0.03);
  for (size_t i = 0; i < n; ++i) {
    const double t = static_cast<double>(i) / fs;
    for (const Wave& w : waves)
      for (double lap : {-loop, 0.0}) {  // the last wave's fall runs on round the seam
        const double u = t - w.start - lap;
        if (u < 0.0) continue;
        const double d = u - w.rise;
        level[i] += w.height * (u < w.rise ? std::pow(CosineRamp(u / w.rise), 2.0)
                                           : 0.7 * std::exp(-d / (0.3 * w.decay)) +
                                                 0.3 * std::exp(-d / (1.5 * w.decay)));
      }
  }
  LoopSines detail(rng, n, {5, 7, 11}, 1.0);
  // The rumble of the falling water towers with each crash and sinks to a murmur.
  std::vector<float> rumble = BrownLoop(rng, n, fs, 40.0);
  Mix(rumble, PinkLoop(rng, n, fs), 0.3);
  FilterLoop(rumble, Biquad::LowPass(fs, 500.0, 0.7));
  for (size_t i = 0; i < n; ++i)
    rumble[i] = static_cast<float>(rumble[i] * std::pow(level[i], 2.2) * DbToGain(detail.At(i)));
  NormalizeRmsInBand(rumble, spec);
  // The wash's hiss is always there, louder as each wave breaks. Its top reaches far up
  // with the spray, stays up a moment and comes down more slowly than the roar, in a
  // dome, as a recorded crash's does; in the lull it lies below a few kilohertz.
  std::vector<double> spray(n, 0.0);
  const double keep = std::exp(-1.0 / (1.2 * fs));
  const auto hold = static_cast<size_t>(0.4 * fs);  // the spray hangs before it falls
  double held = 0.0;
  size_t since = 0;                        // frames since the top was last raised
  for (int round = 0; round < 2; ++round)  // twice round, so the seam holds as it plays
    for (size_t i = 0; i < n; ++i, ++since) {
      if (level[i] >= held) {
        held = level[i];
        since = 0;
      } else if (since > hold) {
        held = std::max(level[i], held * keep);
      }
      spray[i] = held;
    }
  std::vector<float> wash = PinkLoop(rng, n, fs);
  FilterLoop(wash, Biquad::HighPass(fs, 400.0, 0.7));
  const double top = std::min(0.45 * fs, 16000.0);
  Biquad lp1, lp2;
  RunCircular(wash, 3, [&](double in, size_t i) {
    const double hz = std::min(top, 2000.0 + 12000.0 * spray[i]);
    lp1.SetLowPass(fs, hz, 0.6);
    lp2.SetLowPass(fs, std::min(top, hz * 1.3), 0.6);
    return std::pow(0.05 + level[i], 1.5) * lp2.Process(lp1.Process(in));
  });
  NormalizeRmsInBand(wash, spec);
  out = Silence(spec);
  Mix(out, rumble, 1.0);
  Mix(out, wash, 0.4);
  // The crash's hiss falls away upward, as in Surf.
  ShapeHighBand(out, spec, 0.0, 2);
  // Its crashes are as loud as a waterfall's roar, but between them it murmurs: aimed at
  // the roaring beds' level, its peaks would be limited flat. A recorded breaker's average
  // lies 21 dB under its peaks, this one's 18 dB.
  FinishLoop(out, spec, kBedDb);
}

void River(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  std::vector<float> bed = PinkLoop(rng, n, fs);
  Mix(bed, BrownLoop(rng, n, fs, 60.0), 0.7);
  FilterLoop(bed, Biquad::HighPass(fs, 150.0, 0.7));
  FilterLoop(bed, Biquad::LowPass(fs, 1500.0, 0.7));
  FilterLoop(bed, Biquad::LowPass(fs, 2200.0, 0.7));
  NormalizeRmsInBand(bed, spec);
  const std::vector<float> gurgle = GurgleLoop(rng, n, fs, 8.0, 350.0, 110.0, 20.0);
  const std::vector<float> gurgle2 = GurgleLoop(rng, n, fs, 11.0, 620.0, 160.0, 25.0);
  LoopSines swell(rng, n, {1, 2}, 1.0);
  out = Silence(spec);
  for (size_t i = 0; i < n; ++i)
    out[i] =
        static_cast<float>(DbToGain(swell.At(i)) * (bed[i] + 0.4 * gurgle[i] + 0.25 * gurgle2[i]));
  // Where the full band reaches, the water's hiss above 5 kHz (a recorded river keeps
  // about 7 % of its power there), falling away steeply upward: the recorded rivers of
  // 0ad-data keep next to nothing above 11 kHz, falling 25-31 dB an octave.
  AddHighHiss(out, spec, 0x5171, 11.0, 6, 3000.0);
  FinishLoop(out, spec, kBedDb);
}

void Rain(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  LoopSines densityMod(rng, n, {1, 2}, 0.25);
  auto density = [&](uint64_t i) { return 1.0 + densityMod.At(i); };

  const std::vector<float> crackle = DropCrackle(rng, n, fs, 450.0, 2000.0, 5000.0, density);
  std::vector<float> plinks(n, 0.0f);
  AddBubbles(plinks, rng, fs, ScatterEvents(rng, n, fs, 45.0, density), 1.0, 3.0, 0.1, 1.0, 4.0);
  NormalizeRmsInBand(plinks, spec);
  // Gutter drips: a few louder, lower plinks at irregular places.
  std::vector<float> drips(n, 0.0f);
  for (int k = 0; k < 5; ++k) {
    const int64_t start = static_cast<int64_t>((k + rng.Uniform(0.1, 0.9)) * n / 5.0);
    const double radiusMm = rng.Uniform(4.0, 6.0);
    const double level = rng.GainJitter(2.0);
    AddCircular(drips, start, Bubble(fs, radiusMm, 0.1, 1.0, 0.46 * fs), level);
  }
  std::vector<float> bed = PinkLoop(rng, n, fs);
  FilterLoop(bed, Biquad::HighPass(fs, 400.0, 0.7));
  FilterLoop(bed, Biquad::LowPass(fs, 5000.0, 0.7));
  NormalizeRmsInBand(bed, spec);

  out = Silence(spec);
  Mix(out, crackle, 1.0);
  Mix(out, plinks, 0.45);
  Mix(out, drips, 0.35);
  Mix(out, bed, 0.5);
  // The drops' hiss on up the full band (recorded rains keep 2-40 % of their power above
  // 5.5 kHz), falling away steeply above it: they keep 1 % or less above 11 kHz.
  AddHighHiss(out, spec, 0x5174, 6.0, 6);
  FinishLoop(out, spec, kBedDb);
}

void Waterfall(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  // Each channel: 0.7 of its own noise power plus 0.3 shared, so the channels correlate
  // only weakly (about 0.3) and the roar sounds wide.
  // A fall's roar is strongest low down and thins upward: recorded falls have most of
  // their power below a kilohertz and little above 5 kHz.
  auto brightPink = [&]() {
    std::vector<float> x = PinkLoop(rng, n, fs);
    FilterLoop(x, Biquad::HighShelf(fs, 1500.0, -7.0));
    NormalizeRmsInBand(x, spec);
    return x;
  };
  const std::vector<float> common = brightPink();
  std::vector<float> rumbleCommon = BrownLoop(rng, n, fs, 40.0);
  FilterLoop(rumbleCommon, Biquad::LowPass(fs, 120.0));
  NormalizeRmsInBand(rumbleCommon, spec);
  const double own = std::sqrt(0.7), shared = std::sqrt(0.3);
  // The falling water comes in lumps, a few a second, that lift the whole roar at once
  // in both ears: a recorded fall's bands swell together, where plain noise's do not.
  // Their rate lies between 2 and 8 a second: slower, the roar would seem to surge.
  const double seconds = static_cast<double>(n) / fs;
  std::vector<int> lumpKs;
  for (int k = std::max(1, static_cast<int>(2.5 * seconds)); k <= 8.0 * seconds; ++k)
    lumpKs.push_back(k);
  LoopSines lumps(rng, n, lumpKs, 1.0);

  std::vector<float> channels[2];
  for (auto& ch : channels) {
    const std::vector<float> priv = brightPink();
    std::vector<float> bubbles(n, 0.0f);
    AddBubbles(bubbles, rng, fs, ScatterEvents(rng, n, fs, 2400.0), 0.4, 2.0, 0.1, 1.0, 3.0);
    NormalizeRmsInBand(bubbles, spec);
    std::vector<float> rumble = BrownLoop(rng, n, fs, 40.0);
    FilterLoop(rumble, Biquad::LowPass(fs, 120.0));
    NormalizeRmsInBand(rumble, spec);
    LoopSines level(rng, n, {1, 2, 3}, 1.0);
    ch.assign(n, 0.0f);
    for (size_t i = 0; i < n; ++i) {
      const double roar = own * priv[i] + shared * common[i];
      const double low = own * rumble[i] + shared * rumbleCommon[i];
      ch[i] = static_cast<float>(DbToGain(0.3 * level.At(i) + 4.5 * lumps.At(i)) *
                                 (roar + 0.5 * low + 0.5 * bubbles[i]));
    }
    RemoveDc(ch);
  }
  // Where the full band reaches, the fall's roar thins out steeply upward as a recorded
  // one does, instead of running on to the top.
  for (std::vector<float>& c : channels) ShapeHighBand(c, spec, 0.0, 6);
  // One gain for both channels, from their mean loudness and their joint peak.
  const double loud = std::sqrt(
      0.5 * (std::pow(LoudnessInOriginalBand(channels[0], fs, OriginalRate(spec), true), 2) +
             std::pow(LoudnessInOriginalBand(channels[1], fs, OriginalRate(spec), true), 2)));
  double gain = DbToGain(kLoudBedDb) / loud;
  // The lumps' loudest moments are held down, by at most the limiter's usual depth,
  // rather than the whole fall made quieter for them.
  const double peak = std::max(Peak(channels[0]), Peak(channels[1])) * gain;
  const double ceiling = DbToGain(kBedPeakDb + kMaxLimitingDb);
  if (peak > ceiling) gain *= ceiling / peak;
  for (std::vector<float>& c : channels) {
    Scale(c, gain);
    LimitPeaks(c, fs, DbToGain(kBedPeakDb), 0.015, true);
  }
  out.assign(2 * n, 0.0f);
  for (size_t i = 0; i < n; ++i) {
    out[2 * i] = channels[0][i];
    out[2 * i + 1] = channels[1][i];
  }
}

void Brook(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  const std::vector<float> g1 = GurgleLoop(rng, n, fs, 14.0, 500.0, 200.0, 33.0);
  const std::vector<float> g2 = GurgleLoop(rng, n, fs, 20.0, 1000.0, 400.0, 33.0);

  // Bubbles come in clusters of 3..10; cluster rate swells on k = 2 and 3.
  LoopSines clusterMod(rng, n, {2, 3}, 0.6);
  std::vector<float> bubbles(n, 0.0f);
  for (int64_t c :
       ScatterEvents(rng, n, fs, 5.0, [&](uint64_t i) { return 1.0 + clusterMod.At(i); })) {
    const int count = rng.Int(3, 10);
    int64_t at = c;
    for (int b = 0; b < count; ++b) {
      const double r = 0.9 * std::pow(4.0, rng.Uniform());
      const double a = (r / 3.6) * rng.GainJitter(3.0);
      AddCircular(bubbles, at, Bubble(fs, r, 0.1, a, 0.46 * fs));
      at += static_cast<int64_t>(rng.Uniform(0.006, 0.03) * fs);
    }
  }
  NormalizeRmsInBand(bubbles, spec);
  std::vector<float> bed = PinkLoop(rng, n, fs);
  FilterLoop(bed, Biquad::HighPass(fs, 500.0, 0.7));
  FilterLoop(bed, Biquad::LowPass(fs, 4000.0, 0.7));
  NormalizeRmsInBand(bed, spec);

  out = Silence(spec);
  // The flow's hiss carries the brook and the bubbles ride on it: recorded gentle water
  // flickers less than a chain of bubbles alone would.
  Mix(out, g1, 0.5);
  Mix(out, g2, 0.6);
  Mix(out, bubbles, 0.55);
  Mix(out, bed, 0.85);
  // The water's hiss above 5 kHz, as in River.
  AddHighHiss(out, spec, 0x5173, 11.0, 6, 3000.0);
  FinishLoop(out, spec, kBedDb);
}

void Stream(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  std::vector<float> bed = PinkLoop(rng, n, fs);
  FilterLoop(bed, Biquad::HighPass(fs, 300.0, 0.7));
  FilterLoop(bed, Biquad::LowPass(fs, 3000.0, 0.7));
  NormalizeRmsInBand(bed, spec);
  const std::vector<float> g1 = GurgleLoop(rng, n, fs, 14.0, 350.0, 150.0, 25.0);
  const std::vector<float> g2 = GurgleLoop(rng, n, fs, 20.0, 800.0, 300.0, 25.0);
  LoopSines densityMod(rng, n, {2, 5}, 0.5);
  std::vector<float> bubbles(n, 0.0f);
  AddBubbles(bubbles, rng, fs,
             ScatterEvents(rng, n, fs, 300.0, [&](uint64_t i) { return 1.0 + densityMod.At(i); }),
             0.8, 3.0, 0.1, 1.0, 4.0);
  NormalizeRmsInBand(bubbles, spec);
  LoopSines level(rng, n, {1, 3}, 1.0);

  out = Silence(spec);
  for (size_t i = 0; i < n; ++i)
    out[i] = static_cast<float>(DbToGain(level.At(i)) *
                                (bed[i] + 0.45 * g1[i] + 0.45 * g2[i] + 0.6 * bubbles[i]));
  // The water's hiss above 5 kHz, as in River.
  AddHighHiss(out, spec, 0x5172, 11.0, 6, 3000.0);
  FinishLoop(out, spec, kBedDb);
}

void RainOnGlass(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  // The pane's modes are fixed; where a drop lands changes how strongly each rings.
  static constexpr double kModesHz[] = {1100.0, 1900.0, 2700.0, 3600.0, 4400.0};
  LoopSines densityMod(rng, n, {1}, 0.3);
  std::vector<float> taps(n, 0.0f);
  for (int64_t s :
       ScatterEvents(rng, n, fs, 13.0, [&](uint64_t i) { return 1.0 + densityMod.At(i); })) {
    std::vector<Mode> modes;
    const double pane = rng.Uniform(0.9, 1.1);  // drops land on different panes
    for (double hz : kModesHz)
      modes.push_back({hz * pane * rng.Jitter(0.02), rng.Uniform(0.008, 0.022),
                       rng.Uniform(0.2, 1.0), rng.Uniform()});
    std::vector<float> tap = ModalVoice(fs, modes, 0.04, 0.15, 0.47 * fs);
    const std::vector<float> click = NoiseClick(rng, fs, rng.Uniform(0.3, 1.0), 1.5);
    Mix(tap, click, 1.0);
    AddCircular(taps, s, tap, rng.GainJitter(4.0));
  }
  NormalizeRmsInBand(taps, spec);

  // Rivulets: three chains of tiny bubbles rising in pitch as they run down the glass.
  std::vector<float> rivulets(n, 0.0f);
  for (int k = 0; k < 3; ++k) {
    int64_t at = static_cast<int64_t>((k + rng.Uniform(0.15, 0.85)) * n / 3.0);
    const int count = rng.Int(8, 14);
    for (int b = 0; b < count; ++b) {
      const double r = Lerp(2.2, 1.1, static_cast<double>(b) / (count - 1)) * rng.Jitter(0.05);
      AddCircular(rivulets, at, Bubble(fs, r, 0.1, rng.GainJitter(2.0), 0.46 * fs));
      at += static_cast<int64_t>(rng.Uniform(0.04, 0.09) * fs);
    }
  }
  NormalizeRmsInBand(rivulets, spec);
  std::vector<float> outside = PinkLoop(rng, n, fs);
  FilterLoop(outside, Biquad::LowPass(fs, 800.0, 0.7));
  NormalizeRmsInBand(outside, spec);

  out = Silence(spec);
  Mix(out, taps, 1.0);
  Mix(out, rivulets, 0.45);
  Mix(out, outside, 0.22);
  FinishLoop(out, spec, kQuietBedDb);
}

}  // namespace lullwood::synth
