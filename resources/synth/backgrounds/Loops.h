// Helpers shared by the background recipes: periodic noise beds, circular filtering,
// swept tones for calls, and the finishing pass that sets a loop's level.
#pragma once

#include <initializer_list>
#include <span>
#include <vector>

#include "Recipe.h"
#include "kit/Kit.h"

namespace lullwood::synth::loops {

// Loudness targets (RMS above 100 Hz, dBFS) for the background families.
inline constexpr double kBedDb = -21.0;
inline constexpr double kQuietBedDb = -26.0;
inline constexpr double kLoudBedDb = -19.0;
inline constexpr double kBedPeakDb = -6.0;
// Deepest gain reduction the finishing limiter may apply to a loop's loudest peaks.
inline constexpr double kMaxLimitingDb = 6.0;

// Gaussian white noise, one loop long.
std::vector<float> WhiteLoop(Rng& rng, size_t frames);
// Kellett pink noise in its periodic steady state, 25 Hz high-passed, RMS 1.
std::vector<float> PinkLoop(Rng& rng, size_t frames, double sampleRate);
// Brown noise (one-pole at `cornerHz` on white) in its periodic steady state, RMS 1.
std::vector<float> BrownLoop(Rng& rng, size_t frames, double sampleRate, double cornerHz = 30.0);
// A slow random control: white noise low-passed (2nd order) at `hz`, periodic, RMS 1.
std::vector<float> ControlLoop(Rng& rng, size_t frames, double sampleRate, double hz);

// Runs a fixed filter over a loop until its periodic steady state (3 warm passes).
void FilterLoop(std::span<float> x, Biquad filter, int warmPasses = 3);
// Scales `x` to RMS 1 (no-op on silence).
void NormalizeRms(std::span<float> x);
// Scales one channel of a loop of `spec`'s sound so its RMS in the catalogue wave's band
// is 1: a part with much above that band (hiss, clicks) keeps its place in the mix there
// when the recipe renders at the full band, and what lies above comes on top. NormalizeRms
// itself at the catalogue's rate.
void NormalizeRmsInBand(std::span<float> x, const SoundSpec& spec);
// dst += gain * src, element by element over the shorter length.
void Mix(std::span<float> dst, std::span<const float> src, double gain);
// Adds the room's own quiet sound to a sparse loop (a clock's ticks, a heartbeat): pink
// noise between `lowHz` and `highHz`, periodic like the loop, `belowDb` under the loop's
// RMS. A recording is never silent between its events.
// One band of noise above the catalogue wave's band: centre, Q, and level in dB against
// the loop's RMS in the catalogue band.
struct HighNoiseBand {
  double hz, q, belowDb;
};
// Adds each band to `x` (one channel of a loop of `spec`'s sound) as a looping noise whose
// level swells slowly (by `swellDb`), drawn from a stream of its own seeded by `salt`.
// With `follow` (a level for every frame of the loop), each band's level also follows it,
// so the band comes and goes with the events that make it; its RMS over the loop stays.
// A band needs its centre under 0.45 of the rate rendered; below the full band none fits,
// and the catalogue wave, its band taken from the full band, keeps none of them.
void AddHighNoiseBands(std::span<float> x, const SoundSpec& spec, uint64_t salt,
                       std::initializer_list<HighNoiseBand> bands, double swellDb = 2.0,
                       std::span<const float> follow = {});

// Reshapes what one channel of a loop of `spec`'s sound holds above the catalogue band:
// the part above that band (above 4.96 kHz for an 11025 Hz wave), split off by a
// linear-phase low-pass so the band below is left exactly as it was, falls upward with
// each of `poles` one-pole low-passes at the band's top (at 44100 Hz, each about 1 dB down
// at 6.3 kHz, 2.4 dB at 8 kHz and 7 dB at 16 kHz against the split), as water's and
// rain's hiss falls in a recording where white noise would stay flat to the top, and is
// scaled by `gainDb` (0: no step at the split). Nothing when rendered at the catalogue's
// rate.
void ShapeHighBand(std::span<float> x, const SoundSpec& spec, double gainDb, int poles);
// Adds to one channel of a loop a hiss that falls upward as ShapeHighBand shapes the band
// above and follows the loop's own loudness, its part above the catalogue band `belowDb`
// under the loop's RMS in the band, drawn from a stream of its own seeded by `salt`.
// With `joinHz` 0 it lies only above the band; else it rises from `joinHz` (two
// high-passes there), so that a loop whose own band falls away below the split meets
// its hiss without a gap. Nothing when rendered at the catalogue's rate.
void AddHighHiss(std::span<float> x, const SoundSpec& spec, uint64_t salt, double belowDb,
                 int poles, double joinHz = 0.0);

void AddRoomTone(std::span<float> x, Rng& rng, double sampleRate, double belowDb, double lowHz,
                 double highHz);
// Adds a circular reverb of the loop to itself: dry + wet * reverb.
void AddReverbLoop(std::span<float> x, double sampleRate, double rt60, double wet,
                   double size = 1.0, double dampHz = 3500.0);

// McCartney's gurgle: slowly wandering resonant high-pass on deep brown noise; the cutoff
// is centreHz + spreadHz * control (control = LP(`controlHz`) noise). RMS 1.
std::vector<float> GurgleLoop(Rng& rng, size_t frames, double sampleRate, double controlHz,
                              double centreHz, double spreadHz, double q);

// Sums the circularly placed bubbles of a stream into `out`: starts, radius range (mm,
// log-uniform), gain spread in dB, overall gain.
void AddBubbles(std::span<float> out, Rng& rng, double sampleRate, std::span<const int64_t> starts,
                double minRadiusMm, double maxRadiusMm, double xi, double gain, double sigmaDb);

// A swept tone `seconds` long: frequency hz(t) and amplitude amp(t) are callables of time
// in seconds; `harmonics` are relative amplitudes of partials 1, 2, 3, ... Partials fade
// out between 0.9 and 1.0 of `maxHz` instead of folding.
template <class Hz, class Amp>
std::vector<float> Sweep(double sampleRate, double seconds, Hz&& hz, Amp&& amp,
                         std::initializer_list<double> harmonics = {1.0}, double maxHz = 5200.0) {
  const size_t frames = static_cast<size_t>(seconds * sampleRate);
  std::vector<float> v(frames);
  double phase = 0.0;
  for (size_t i = 0; i < frames; ++i) {
    const double t = i / sampleRate;
    const double f = hz(t);
    double s = 0.0;
    int k = 1;
    for (double h : harmonics) {
      const double fk = f * k;
      const double fade = Clamp((maxHz - fk) / (0.1 * maxHz), 0.0, 1.0);
      if (fade > 0.0 && h != 0.0) s += h * fade * Sin2Pi(phase * k);
      ++k;
    }
    v[i] = static_cast<float>(amp(t) * s);
    phase += f / sampleRate;
    phase -= std::floor(phase);
  }
  return v;
}

// How a loop is finished. `limiterSeconds` is the half-width of the limiter's gain
// smoothing: long enough not to bend a single low cycle, short enough to leave the sound
// round a click alone. `maxLimitingDb` caps how deep the limiter may cut.
struct Finish {
  bool removeDc = true;  // false for loops with exact silences to keep
  double limiterSeconds = 0.015;
  double maxLimitingDb = kMaxLimitingDb;
};

// Level, DC and peak for a finished loop of `spec`'s sound: removes DC, then scales to
// `targetDb` (RMS above 100 Hz, in the band of the catalogue's wave) and limits the
// loudest peaks so none exceeds kBedPeakDb.
void FinishLoop(std::span<float> x, const SoundSpec& spec, double targetDb, const Finish& how = {});

// Allocates spec.frames * spec.channels zeros.
std::vector<float> Silence(const SoundSpec& spec);

}  // namespace lullwood::synth::loops
