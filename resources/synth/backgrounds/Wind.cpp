// Wind loops: gusty wind with a whistle, light breeze with leaves, storm, eerie moaning.
#include <array>

#include "Backgrounds.h"
#include "Loops.h"

namespace lullwood::synth {

using namespace loops;

namespace {

// Wind speed 0..1 round the loop: circular value noise with `points` gusts plus a slow
// k = 1 (and optionally k = 2) swell.
std::vector<double> WindSpeed(Rng& rng, size_t n, int points, std::initializer_list<int> swellKs,
                              double swellShare) {
  CircularValueNoise gusts(rng, n, points, 0.0, 1.0);
  LoopSines swell(rng, n, swellKs, 1.0);
  std::vector<double> g(n);
  for (size_t i = 0; i < n; ++i)
    g[i] =
        Clamp((1.0 - swellShare) * gusts.At(i) + swellShare * (0.5 + 0.5 * swell.At(i)), 0.0, 1.0);
  return g;
}

// Two low-passes in a row, 24 dB an octave above `hz`: the wind's parts end in a slope,
// not in a band-pass's skirt that carries the noise on to the top.
void SteepLowPass(std::vector<float>& x, double fs, double hz) {
  FilterLoop(x, Biquad::LowPass(fs, hz, 0.7));
  FilterLoop(x, Biquad::LowPass(fs, hz, 0.7));
}

// Noise through a band-pass whose centre, Q and gain follow the callables of the frame.
template <class Hz, class Gain>
std::vector<float> SweptBand(std::vector<float> noise, double fs, double q, Hz&& hz, Gain&& gain) {
  Biquad bp;
  RunCircular(noise, 3, [&](double in, size_t i) {
    bp.SetBandPass(fs, hz(i), q);
    return gain(i) * bp.Process(in);
  });
  NormalizeRms(noise);
  return noise;
}

}  // namespace

void Wind(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  const std::vector<double> g = WindSpeed(rng, n, 10, {1}, 0.25);
  // Flurries within the gusts, a few a second. Gusts and flurries lift every part of the
  // wind at once, as a gust does: recorded wind's bands rise and fall together.
  CircularValueNoise flurry(rng, n, std::max(4, static_cast<int>(3.0 * n / fs)), 0.0, 1.0);
  std::vector<double> push(n);
  for (size_t i = 0; i < n; ++i) push[i] = 0.03 + g[i] * g[i] * (0.7 + 0.6 * flurry.At(i));
  auto gain = [&](size_t i) { return push[i]; };
  auto low = SweptBand(
      PinkLoop(rng, n, fs), fs, 1.5, [&](size_t i) { return 350.0 * (1.0 + 0.5 * g[i]); }, gain);
  auto high = SweptBand(
      PinkLoop(rng, n, fs), fs, 3.0, [&](size_t i) { return 800.0 * (1.0 + 0.3 * g[i]); }, gain);
  // Wind lives below about 800 Hz: above it the recorded wind falls some 17 dB an octave.
  for (auto* band : {&low, &high}) {
    FilterLoop(*band, Biquad::LowPass(fs, 800.0));
    FilterLoop(*band, Biquad::LowPass(fs, 800.0));
    NormalizeRms(*band);
  }
  // A thin whistle appears only at the gust peaks.
  const auto whistle = SweptBand(
      WhiteLoop(rng, n), fs, 30.0, [&](size_t i) { return 600.0 + 500.0 * g[i]; },
      [&](size_t i) {
        const double over = std::max(0.0, g[i] - 0.55);
        return over * over;
      });
  std::vector<float> rumble = BrownLoop(rng, n, fs, 40.0);
  FilterLoop(rumble, Biquad::LowPass(fs, 150.0));
  for (size_t i = 0; i < n; ++i) rumble[i] = static_cast<float>(rumble[i] * (0.1 + push[i]));
  NormalizeRmsInBand(rumble, spec);

  out = Silence(spec);
  Mix(out, low, 1.0);
  Mix(out, high, 0.35);
  Mix(out, whistle, 0.35);
  Mix(out, rumble, 0.5);
  FinishLoop(out, spec, kBedDb);
}

void LightWind(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  const std::vector<double> g = WindSpeed(rng, n, 6, {1}, 0.35);
  // Each breath of the breeze lifts the air, the leaves and the body of the sound
  // together, as recorded wind in leaves does: its bands rise and fall as one.
  CircularValueNoise flurry(rng, n, std::max(4, static_cast<int>(2.0 * n / fs)), 0.0, 1.0);
  std::vector<double> breath(n);
  for (size_t i = 0; i < n; ++i) breath[i] = DbToGain(-30.0 + 26.0 * g[i] + 6.0 * flurry.At(i));
  auto breeze = SweptBand(
      PinkLoop(rng, n, fs), fs, 0.7, [&](size_t i) { return 280.0 + 120.0 * g[i]; },
      [&](size_t i) { return breath[i]; });
  // The band-pass's upper skirt would lift the whole top with each breath.
  SteepLowPass(breeze, fs, 1500.0);
  NormalizeRms(breeze);
  // Leaves: short high grains, denser and louder as the breeze rises.
  std::vector<float> rustle(n, 0.0f);
  for (int64_t s : ScatterEvents(rng, n, fs, 45.0, [&](uint64_t i) { return g[i] * g[i]; })) {
    // One draw per statement: argument order is unspecified, the stream's order must not be.
    const double ms = rng.Uniform(5.0, 15.0);
    const double level = rng.GainJitter(4.0) * breath[static_cast<size_t>(s) % n];
    AddCircular(rustle, s, NoiseClick(rng, fs, ms, level));
  }
  // Leaves rustle between about 2 and 8 kHz: a grain's click above that would draw a
  // needle up the whole spectrum.
  FilterLoop(rustle, Biquad::HighPass(fs, 2000.0, 0.7));
  SteepLowPass(rustle, fs, 7000.0);
  NormalizeRmsInBand(rustle, spec);
  std::vector<float> body = BrownLoop(rng, n, fs, 60.0);
  FilterLoop(body, Biquad::LowPass(fs, 300.0));
  for (size_t i = 0; i < n; ++i) body[i] = static_cast<float>(body[i] * breath[i]);
  NormalizeRmsInBand(body, spec);

  // The leaves' own hiss under the grains, breathing with the breeze.
  std::vector<float> leaves = PinkLoop(rng, n, fs);
  FilterLoop(leaves, Biquad::HighPass(fs, 1500.0, 0.7));
  SteepLowPass(leaves, fs, 8000.0);
  for (size_t i = 0; i < n; ++i) leaves[i] = static_cast<float>(leaves[i] * breath[i]);
  NormalizeRmsInBand(leaves, spec);

  out = Silence(spec);
  Mix(out, breeze, 1.0);
  Mix(out, rustle, 0.08);
  Mix(out, leaves, 0.1);
  Mix(out, body, 0.3);
  FinishLoop(out, spec, kQuietBedDb);
}

void HeavyWind(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  const std::vector<double> g = WindSpeed(rng, n, 16, {1, 2}, 0.2);
  // Buffets within the gusts, a few a second and uneven: a storm's level never swells
  // smoothly, and it is the level that moves, not a filter's edge.
  CircularValueNoise buffet(rng, n, std::max(6, static_cast<int>(3.0 * n / fs)), -1.0, 1.0);
  auto gust = [&](size_t i) { return DbToGain(-4.0 + 8.0 * g[i] + 1.5 * buffet.At(i)); };

  // The roar: a steady dark band below about 1.5 kHz, steep above it. The gust lifts
  // what lies above by its level alone (the hiss), never by sweeping a cut-off.
  std::vector<float> roar = PinkLoop(rng, n, fs);
  FilterLoop(roar, Biquad::HighPass(fs, 200.0, 0.7));
  SteepLowPass(roar, fs, 1500.0);
  for (size_t i = 0; i < n; ++i) roar[i] = static_cast<float>(roar[i] * gust(i));
  NormalizeRmsInBand(roar, spec);
  std::vector<float> hiss = PinkLoop(rng, n, fs);
  FilterLoop(hiss, Biquad::HighPass(fs, 1500.0, 0.7));
  SteepLowPass(hiss, fs, 3500.0);
  for (size_t i = 0; i < n; ++i)
    hiss[i] = static_cast<float>(hiss[i] * (0.4 + 0.6 * g[i]) * gust(i));
  NormalizeRmsInBand(hiss, spec);
  std::vector<float> rumble = BrownLoop(rng, n, fs, 30.0);
  FilterLoop(rumble, Biquad::LowPass(fs, 120.0));
  for (size_t i = 0; i < n; ++i) rumble[i] = static_cast<float>(rumble[i] * (0.4 + g[i]));
  NormalizeRmsInBand(rumble, spec);
  // Two howls from stays and edges, strongest at the peaks.
  auto howlGain = [&](size_t i) { return 0.2 + g[i] * g[i]; };
  auto howl1 = SweptBand(
      WhiteLoop(rng, n), fs, 25.0, [&](size_t i) { return 400.0 + 280.0 * g[i]; }, howlGain);
  auto howl2 = SweptBand(
      WhiteLoop(rng, n), fs, 35.0, [&](size_t i) { return 610.0 + 290.0 * g[i]; }, howlGain);
  // A band-pass's skirts carry white noise up to the top, rising and falling with the
  // howl: steep low-passes keep the storm dark above its band.
  for (auto* howl : {&howl1, &howl2}) {
    SteepLowPass(*howl, fs, 1500.0);
  }
  // Rattles: quick bursts of knocks when the gusts are strongest.
  std::vector<float> rattle(n, 0.0f);
  auto starts = ScatterEvents(rng, n, fs, 9.0, [&](uint64_t i) { return g[i] > 0.7 ? 1.0 : 0.0; });
  for (int64_t s : starts) {
    const double hz = rng.Uniform(1000.0, 3000.0);
    int64_t at = s;
    for (int k = rng.Int(3, 6); k > 0; --k) {
      const Mode modes[] = {{hz * rng.Jitter(0.05), 0.03, 1.0}, {hz * 1.7, 0.02, 0.5}};
      AddCircular(rattle, at, ModalVoice(fs, modes, 0.04, 0.2, 0.47 * fs), rng.GainJitter(3.0));
      at += static_cast<int64_t>(rng.Uniform(0.015, 0.04) * fs);
    }
  }
  NormalizeRmsInBand(rattle, spec);

  out = Silence(spec);
  Mix(out, roar, 1.0);
  Mix(out, hiss, 0.25);
  Mix(out, rumble, 0.7);
  Mix(out, howl1, 0.25);
  Mix(out, howl2, 0.2);
  Mix(out, rattle, 0.12);
  FinishLoop(out, spec, kLoudBedDb);
}

void StrangeWind(const SoundSpec& spec, std::vector<float>& out) {
  const double fs = spec.sampleRate;
  const size_t n = spec.frames;
  Rng rng(SeedFromName(spec.resourceName));
  // Four narrow resonances gliding on their own slow paths, each up to half an octave.
  struct Voice {
    double baseHz, q;
    std::array<int, 2> glideKs, levelKs;
  };
  const Voice voices[] = {{220.0, 60.0, {1, 3}, {2, 5}},
                          {330.0, 70.0, {2, 1}, {3, 7}},
                          {440.0, 50.0, {3, 2}, {1, 4}},
                          {600.0, 80.0, {1, 2}, {5, 3}}};
  out = Silence(spec);
  for (const Voice& v : voices) {
    LoopSines glide(rng, n, v.glideKs, 1.0);
    LoopSines level(rng, n, v.levelKs, 1.0);
    const auto tone = SweptBand(
        PinkLoop(rng, n, fs), fs, v.q,
        [&](size_t i) { return v.baseHz * std::pow(2.0, 0.5 * glide.At(i)); },
        [&](size_t i) { return std::pow(0.5 + 0.5 * level.At(i), 2.0) + 0.05; });
    Mix(out, tone, 0.5);
  }
  std::vector<float> breath = PinkLoop(rng, n, fs);
  FilterLoop(breath, Biquad::LowPass(fs, 700.0, 0.7));
  NormalizeRmsInBand(breath, spec);
  Mix(out, breath, 0.25);
  // Flanging comb: x[n] + 0.6 x[n - d(n)], d sweeping 2..8 ms twice per loop.
  LoopSines sweep(rng, n, {2}, 1.0);
  const std::vector<float> dry = out;
  for (size_t i = 0; i < n; ++i) {
    const double d = (5.0 + 3.0 * sweep.At(i)) * 1e-3 * fs;
    const double pos = static_cast<double>(i) + static_cast<double>(n) - d;
    const size_t j = static_cast<size_t>(pos);
    const double frac = pos - static_cast<double>(j);
    const double delayed = Lerp(dry[j % n], dry[(j + 1) % n], frac);
    out[i] = static_cast<float>(dry[i] + 0.6 * delayed);
  }
  FinishLoop(out, spec, kBedDb);
}

}  // namespace lullwood::synth
