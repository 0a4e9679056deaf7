// Building blocks of the one-shot effects: a source-filter harmonic voice (animal calls,
// whistles, pipes, horns), an N-wave rumble for thunder, a few echo and room helpers and
// the finishing pass that sets every effect's level and silent ends.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <vector>

#include "../Recipe.h"
#include "../kit/Envelope.h"
#include "../kit/Noise.h"
#include "../kit/Random.h"

namespace lullwood::synth::fx {

// A time curve: any callable seconds -> value. Breakpoints and lambdas both fit.
using Curve = std::function<double(double)>;

// A breakpoint curve (linear, or cosine-joined when `smooth`) as a Curve.
inline Curve Bp(std::initializer_list<Breakpoints::Point> points, bool smooth = false) {
  return [b = Breakpoints(points, smooth)](double t) { return b.At(t); };
}

// A breakpoint curve of frequencies joined in the logarithmic domain (even musical glides).
inline Curve LogBp(std::initializer_list<Breakpoints::Point> points, bool smooth = true) {
  std::vector<Breakpoints::Point> logs;
  for (const Breakpoints::Point& p : points) logs.push_back({p.t, std::log(p.v)});
  return [logs, smooth](double t) {
    if (t <= logs.front().t) return std::exp(logs.front().v);
    for (size_t i = 1; i < logs.size(); ++i) {
      if (t < logs[i].t) {
        const double u = (t - logs[i - 1].t) / (logs[i].t - logs[i - 1].t);
        return std::exp(Lerp(logs[i - 1].v, logs[i].v, smooth ? CosineRamp(u) : u));
      }
    }
    return std::exp(logs.back().v);
  };
}

// A note's envelope: raised-cosine rise over `attackSec`, hold, raised-cosine fall over
// `releaseSec` ending at `seconds`; 0 outside.
inline Curve NoteEnvelope(double seconds, double attackSec, double releaseSec) {
  return [=](double t) {
    if (t <= 0.0 || t >= seconds) return 0.0;
    return CosineRamp(t / attackSec) * CosineRamp((seconds - t) / releaseSec);
  };
}

// A resonance of the vocal tract or body that shapes a harmonic source.
struct Formant {
  double hz;         // centre
  double bandwidth;  // -3 dB width in Hz
  double gainDb;     // level at the centre, relative to the other formants
};

// A band-limited harmonic voice with a time-varying pitch. Every harmonic's amplitude is
// its source weight times the formant response at its frequency, so the formants stay put
// while the pitch glides; harmonics fade out smoothly before `maxHz` instead of folding.
struct VoiceParams {
  Curve f0;   // fundamental in Hz over the note's local time
  Curve amp;  // linear amplitude over local time (0 outside the note)
  double seconds = 1.0;
  int harmonics = 40;                          // upper bound; the band limit usually cuts sooner
  double tiltDbPerOctave = -6;                 // source slope, used when `weights` is empty
  std::vector<double> weights;                 // explicit weights, fundamental first
  bool oddOnly = false;                        // stopped pipe: odd harmonics only
  std::vector<Formant> formants;               // none: flat response
  std::vector<Formant> formantsFrom;           // optional start shape, morphing into `formants`
  Curve morph;                                 // 0 = formantsFrom .. 1 = formants, over local time
  double formantFloorDb = -30;                 // response between formants
  int formantOrder = 1;                        // 2 or more: steeper skirts
  double jitter = 0.0;                         // relative random pitch wander (e.g. 0.02)
  double jitterHz = 30.0;                      // how fast the wander moves
  double shimmerDb = 0.0;                      // random amplitude wander
  double vibratoHz = 0.0, vibratoDepth = 0.0;  // depth relative (0.01 = 1 %)
  double vibratoDelay = 0.0;                   // seconds before vibrato fades in
  double amHz = 0.0, amDepth = 0.0;            // roughness or tremolo, 0..1
  double noise = 0.0;  // aspiration relative to the harmonic part, shaped likewise
  double noiseFormantQ = 4.0;
  Curve noiseCurve;       // optional: aspiration over local time, replacing `noise`
  Curve subharmonic;      // optional: level (0..1) of period doubling over local time
  double chaosSec = 0;    // an irregular onset: this long, pitch jitter x8 fading out
  double lowPassHz = 0;   // optional: steep roll-off of the whole voice above this
  double maxHz = 5200.0;  // no partial above this
};

// Renders one voice into `out` (mono, `fs` Hz) starting at `startSec`, scaled by `gain`.
void AddVoice(std::span<float> out, double fs, double startSec, const VoiceParams& p, Rng& rng,
              double gain = 1.0);

// A voice from a larynx that does not run clean, built cycle by cycle: each glottal pulse
// has a period and a height of its own (jitter, shimmer), alternate pulses differ where the
// folds split (period doubling), and turbulent breath puffs with each opening. All of it
// passes formant resonances that may move. Above its first few harmonics such a voice blurs
// into noise gathered in the formants, as a bark, a caw or a bellow does, where a sum of
// steady sines (AddVoice) draws a clean comb.
struct RoughVoiceParams {
  Curve f0;   // mean fundamental in Hz over the call's local time
  Curve amp;  // linear amplitude over local time
  double seconds = 0.2;
  double jitter = 0.03;       // standard deviation of each period, relative to the mean
  double shimmerDb = 1.5;     // standard deviation of each pulse's height
  Curve doubling;             // optional: 0..1, how unequal alternate pulses are
  double openQuotient = 0.6;  // part of a period the glottis is open
  double closing = 0.35;      // part of the open phase it takes to close
  // Optional, over local time: how suddenly the folds meet, 1 snapping shut (bright), 0
  // gliding shut (dull); a call whose folds tire loses its highs first. Unset: 1.
  Curve snap;
  Curve breath;                       // optional: turbulent noise against the pulses (1: as strong)
  std::vector<Formant> formants;      // parallel resonances (none: the bare source)
  std::vector<Formant> formantsFrom;  // optional start shape, morphing into `formants`
  Curve morph;                        // 0 = formantsFrom .. 1 = formants
  double floorDb = -30;               // the source passed straight, under the formants
  double lowPassHz = 0;               // optional: a steep roll-off of the whole voice above this
};

// Renders one rough voice into `out` (mono, `fs` Hz) from `startSec`, scaled by `gain`.
void AddRoughVoice(std::span<float> out, double fs, double startSec, const RoughVoiceParams& p,
                   Rng& rng, double gain = 1.0);

// A whistle-like sine note: frequency and amplitude curves, optional weak upper harmonics
// (`h2`, `h3` relative), dropped above `maxHz`. Integrates the phase so glides are smooth.
void AddWhistle(std::span<float> out, double fs, double startSec, double seconds, const Curve& hz,
                const Curve& amp, double gain = 1.0, double h2 = 0.0, double h3 = 0.0,
                double maxHz = 5200.0);

// A bird's whistled note from the syrinx: like AddWhistle, but never quite clean. The
// pitch wanders (0.8 % at `roughness` 1) and the level shimmers (1.5 dB), and a little
// breath noise follows the note in a narrow band round its frequency.
void AddSyrinxNote(std::span<float> out, double fs, Rng& rng, double startSec, double seconds,
                   const Curve& hz, const Curve& amp, double gain = 1.0, double h2 = 0.0,
                   double roughness = 1.0, double maxHz = 5200.0);

// Parameters of a rolling thunder rumble built from overlapping N-wave pulses.
struct RumbleParams {
  double seconds = 6.0;
  Curve density;  // pulses per second over time
  Curve level;    // amplitude envelope over time
  double minPulseMs = 5, maxPulseMs = 50;
  int reflections = 16;        // sparse delayed copies (trees, hills)
  double spreadSeconds = 2.0;  // their delay range
  double lowPassHz = 200;
};

// Adds a thunder rumble from `startSec`. Zero-mean; the caller filters and finishes it.
void AddRumble(std::span<float> out, double fs, double startSec, const RumbleParams& p, Rng& rng,
               double gain = 1.0);

// Feedback-free multi-tap echo: each tap a delayed, low-passed, attenuated copy.
struct EchoTap {
  double delaySec, gain, lowPassHz;
};
void AddEchoes(std::vector<float>& buffer, double fs, std::span<const EchoTap> taps);

// Adds the kit reverb's wet tail at level `mix` after `preDelaySec`; the dry signal is kept.
void AddRoom(std::vector<float>& buffer, double fs, double rt60, double mix, double dampHz = 3000.0,
             double preDelaySec = 0.0, double size = 1.0);

// The place's own quiet sound under a call (air in the leaves, water lapping): pink noise
// between `lowHz` and `highHz` that swells and sags slowly, `belowDb` under the loudest
// 50 ms of what is in the buffer, from where the call begins (its first sample within
// 40 dB of its peak) to `toSec`, with soft edges. A recording is never silent between
// calls; without it the pauses would be a dead, digital hole.
void AddAmbience(std::vector<float>& buffer, double fs, Rng& rng, double belowDb, double lowHz,
                 double highHz, double toSec);

// Runs `filter` (anything with Process(double)) over the buffer in place.
template <class Filter>
void FilterInPlace(std::vector<float>& buffer, Filter filter) {
  for (float& s : buffer) s = static_cast<float>(filter.Process(s));
}

// Loudest RMS over windows of `windowSec` (hop a fifth of it), in the float scale.
double LoudestWindowRms(std::span<const float> x, double fs, double windowSec = 0.05);

// Level and edge rules shared by every effect.
struct FinishParams {
  double onsetSec = 0.015;    // where the sound begins
  double targetDbfs = -11.0;  // loudest 50 ms window (sliding), sox scale: square wave = 0 dB
  double peak = 0.885;        // ceiling of |x| in the catalogue band, before the 8-bit mapping
  double fadeOutSec = 0.25;   // cosine fade that ends the sound
  double silentTailSec = 0.008;
  double maxLimitDb = 6.0;  // most transient the limiter may take off; beyond, scale down
};

// Level for calls whose energy sits at 2-5 kHz, where the ear is most sensitive: a little
// under the default so they do not sound louder than the rest.
inline constexpr double kBrightTargetDbfs = -12.0;

// Makes `out` a finished one-shot: the sound moved to begin at `onsetSec` (never later),
// silence before 8 ms and a raised-cosine fade-in to 12 ms,
// loudness set to the target with a transparent peak limiter for the few transients that
// would pass the ceiling, a cosine fade-out ending `silentTailSec` before the end, and exact
// zeros after it.
// The loudness is that of the band the catalogue's wave of `spec`'s sound keeps.
void FinishEffect(std::vector<float>& out, const SoundSpec& spec, const FinishParams& p = {});

// Seconds -> frame index, rounded down, never negative.
int64_t Frame(double seconds, double fs);

}  // namespace lullwood::synth::fx
