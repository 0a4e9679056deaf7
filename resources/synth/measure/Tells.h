// The marks that give a sound away as synthesised, measured so that a test can keep them
// out and a recording can say how much of each the real thing has:
// - needles: single-sample spikes far above the sound round them;
// - events: onsets found by the rise of the sound's band levels, with how alike any two
//   of them are (waveform and log-spectrogram correlation) and whether four or more
//   follow each other at one spacing;
// - ruled lines: a spectral peak that holds its frequency within 0.5 % for a long time;
// - gates: how fast calls switch on and off.
// Header-only beside Figures.h, for the tools and the tests; not part of the generator.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "Figures.h"

namespace lullwood::measure {

inline std::vector<double> Hann(size_t n) {
  std::vector<double> w(n);
  for (size_t i = 0; i < n; ++i)
    w[i] = 0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / static_cast<double>(n));
  return w;
}

// Samples more than 6 times the RMS of the 10 ms round them whose neighbours both stay
// under twice it, per second of `x`. Stretches quieter than -80 dBFS are left out: there
// the floor's dither is all there is.
inline double NeedlesPerSecond(std::span<const float> x, double fs) {
  const size_t n = x.size();
  if (n < 3 || fs <= 0.0) return 0.0;
  std::vector<double> energy(n + 1, 0.0);
  for (size_t i = 0; i < n; ++i) energy[i + 1] = energy[i] + static_cast<double>(x[i]) * x[i];
  const size_t half = std::max<size_t>(2, static_cast<size_t>(0.005 * fs));
  size_t needles = 0;
  for (size_t i = 1; i + 1 < n; ++i) {
    const size_t lo = i > half ? i - half : 0, hi = std::min(n, i + half + 1);
    const double rms = std::sqrt((energy[hi] - energy[lo]) / static_cast<double>(hi - lo));
    if (rms < 1e-4) continue;
    if (std::abs(x[i]) > 6.0 * rms && std::abs(x[i - 1]) < 2.0 * rms &&
        std::abs(x[i + 1]) < 2.0 * rms)
      ++needles;
  }
  return static_cast<double>(needles) / (static_cast<double>(n) / fs);
}

// Band levels in dB over time: frames of about 23 ms every 5.8 ms, in log-spaced bands
// from 100 Hz to 16 kHz or the rate's Nyquist frequency, each held above the loudest
// cell less 60 dB. Row t is the frame centred at t * hop.
struct BandLevels {
  double hopSeconds = 0;
  std::vector<std::vector<double>> db;  // [frame][band]
};

inline BandLevels MeasureBandLevels(std::span<const float> x, double fs, int bands = 24) {
  BandLevels out;
  size_t n = 256;
  while (static_cast<double>(n) < 0.02 * fs) n *= 2;
  const size_t hop = n / 4;
  out.hopSeconds = static_cast<double>(hop) / fs;
  const double top = std::min(16000.0, 0.95 * fs / 2.0);
  std::vector<size_t> edge;
  for (int b = 0; b <= bands; ++b) {
    const double hz = 100.0 * std::pow(top / 100.0, static_cast<double>(b) / bands);
    edge.push_back(std::max<size_t>(1, static_cast<size_t>(hz * n / fs)));
  }
  std::vector<std::complex<double>> buf(n);
  const std::vector<double> window = Hann(n);
  double loudest = -300.0;
  for (size_t at = 0; at + n <= x.size() + n / 2; at += hop) {
    for (size_t i = 0; i < n; ++i) {
      const size_t j = at + i;
      const double s = j >= n / 2 && j - n / 2 < x.size() ? x[j - n / 2] : 0.0;
      buf[i] = s * window[i];
    }
    Fft(buf);
    std::vector<double> row(static_cast<size_t>(bands));
    for (int b = 0; b < bands; ++b) {
      double s = 0.0;
      const size_t k1 =
          std::max(edge[static_cast<size_t>(b) + 1], edge[static_cast<size_t>(b)] + 1);
      for (size_t k = edge[static_cast<size_t>(b)]; k < k1 && k <= n / 2; ++k)
        s += std::norm(buf[k]);
      row[static_cast<size_t>(b)] = 10.0 * std::log10(s + 1e-20);
      loudest = std::max(loudest, row[static_cast<size_t>(b)]);
    }
    out.db.push_back(std::move(row));
  }
  for (auto& row : out.db)
    for (double& v : row) v = std::max(v, loudest - 60.0);
  return out;
}

struct Onset {
  double seconds = 0;
  double strength = 0;  // mean rise over the bands, dB
};

// Onsets: frames where the bands' levels rise together (the mean of each band's rise over
// the last two frames, falls counted as nothing) by at least `minRiseDb` more than is
// usual round them (the median over the second either side), and stay risen, at least
// 50 ms apart.
inline std::vector<Onset> FindOnsets(std::span<const float> x, double fs, double minRiseDb = 3.0) {
  const BandLevels levels = MeasureBandLevels(x, fs);
  const size_t frames = levels.db.size();
  std::vector<double> rise(frames, 0.0);
  for (size_t t = 2; t < frames; ++t) {
    double s = 0.0;
    for (size_t b = 0; b < levels.db[t].size(); ++b)
      s += std::max(0.0, levels.db[t][b] - std::min(levels.db[t - 1][b], levels.db[t - 2][b]));
    rise[t] = s / static_cast<double>(levels.db[t].size());
  }
  const size_t near = std::max<size_t>(1, static_cast<size_t>(0.05 / levels.hopSeconds));
  const size_t wide = std::max<size_t>(1, static_cast<size_t>(1.0 / levels.hopSeconds));
  std::vector<Onset> onsets;
  const double floor = minRiseDb;  // no onset rises less than this, whatever is usual
  for (size_t t = 2; t < frames; ++t) {
    if (rise[t] < floor) continue;
    const size_t lo = t > near ? t - near : 0, hi = std::min(frames, t + near + 1);
    if (*std::max_element(rise.begin() + static_cast<std::ptrdiff_t>(lo),
                          rise.begin() + static_cast<std::ptrdiff_t>(hi)) > rise[t])
      continue;
    const size_t wlo = t > wide ? t - wide : 0, whi = std::min(frames, t + wide + 1);
    const double usual =
        Percentile(std::vector<double>(rise.begin() + static_cast<std::ptrdiff_t>(wlo),
                                       rise.begin() + static_cast<std::ptrdiff_t>(whi)),
                   0.5);
    if (rise[t] < usual + minRiseDb) continue;
    // And the sound must stay up: in its three most risen bands, the 25 ms after the
    // onset at least 6 dB over the 35 ms before it on average. A steady sound's flicker
    // (a horn's shimmer, the grain of noise) rises for a frame and falls back.
    if (t < 8 || t + 5 > frames) continue;
    std::vector<double> held(levels.db[t].size());
    for (size_t b = 0; b < held.size(); ++b) {
      double after = 0.0, before = 0.0;
      for (size_t k = t; k < t + 5; ++k) after += levels.db[k][b] / 5.0;
      for (size_t k = t - 8; k < t - 1; ++k) before += levels.db[k][b] / 7.0;
      held[b] = after - before;
    }
    std::partial_sort(held.begin(), held.begin() + 3, held.end(), std::greater<>());
    if ((held[0] + held[1] + held[2]) / 3.0 < 6.0) continue;
    if (!onsets.empty() &&
        static_cast<double>(t) * levels.hopSeconds - onsets.back().seconds < 0.05)
      continue;
    onsets.push_back({static_cast<double>(t) * levels.hopSeconds, rise[t] - usual});
  }
  return onsets;
}

// An onset's time read to a quarter of a millisecond: where the level of the sound's
// first difference (its slope, so that a low rumble under the attack counts for little),
// over 2 ms, rises most against 3 ms before, from 12 ms before the onset's frame to 17 ms
// after it (a frame's rise peaks as the attack enters its window, ahead of the attack
// itself). A frame (5.8 ms at 44.1 kHz) is a tenth of the spacing of a fast roll, too
// coarse to tell an even run from a hurrying one.
inline double AttackTime(std::span<const float> x, double fs, double onsetSeconds) {
  const auto samples = [fs](double s) { return static_cast<std::ptrdiff_t>(std::llround(s * fs)); };
  const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(x.size());
  const std::ptrdiff_t width = std::max<std::ptrdiff_t>(2, samples(0.002)), lag = samples(0.003),
                       step = std::max<std::ptrdiff_t>(1, samples(0.00025));
  // Mean square slope over `width` samples centred on `c`, in dB.
  const auto level = [&](std::ptrdiff_t c) {
    double e = 0.0;
    for (std::ptrdiff_t i = std::max<std::ptrdiff_t>(1, c - width / 2);
         i < std::min(n, c + width / 2); ++i) {
      const double d =
          static_cast<double>(x[static_cast<size_t>(i)]) - x[static_cast<size_t>(i - 1)];
      e += d * d;
    }
    return 10.0 * std::log10(e / static_cast<double>(width) + 1e-20);
  };
  double steepest = -1e300, at = onsetSeconds;
  for (std::ptrdiff_t c = samples(onsetSeconds - 0.012); c <= samples(onsetSeconds + 0.017);
       c += step) {
    const double rise = level(c) - level(c - lag);
    if (rise > steepest) {
      steepest = rise;
      at = static_cast<double>(c) / fs;
    }
  }
  return at;
}

// Likeness of two events: the largest normalised waveform correlation of two pieces of
// a sound with either shifted against the other by up to a few milliseconds, and the
// largest Pearson correlation of their log spectrograms (bins 100 Hz to 5 kHz, each
// piece floored 50 dB under its loudest cell and each bin taken less its mean over the
// piece) over the same shifts in steps of 1/8 frame.
struct Likeness {
  double waveform = 0;
  double spectrogram = 0;
};

// Compares pieces of one sound: `seconds` long, starting at given times, shifted by up
// to `slack` seconds. Spectra and the waveform's transforms are made once per piece.
class EventComparer {
 public:
  EventComparer(std::span<const float> x, double fs, double seconds, double slack)
      : x_(x), len_(static_cast<size_t>(seconds * fs)), shift_(static_cast<size_t>(slack * fs)) {
    size_t n = 256;
    while (static_cast<double>(n) < 0.02 * fs) n *= 2;
    frame_ = n;
    window_ = Hann(n);
    step_ = n / 8;
    k0_ = static_cast<size_t>(100.0 * n / fs) + 1;
    k1_ = std::min(n / 2, static_cast<size_t>(5000.0 * n / fs));
    fft_ = 1;
    while (fft_ < len_ + 2 * shift_) fft_ *= 2;
    energy_.assign(x.size() + 1, 0.0);
    for (size_t i = 0; i < x.size(); ++i)
      energy_[i + 1] = energy_[i] + static_cast<double>(x[i]) * x[i];
    // The log spectrogram's rows, every eighth of a frame, are made when first asked for.
    rows_.resize(x.size() >= n ? (x.size() - n) / step_ + 1 : 0);
  }

  // Whether a piece starting at `seconds` (less the slack) fits inside the sound.
  bool Fits(double seconds, double fs) const {
    const double at = seconds * fs;
    return at >= static_cast<double>(shift_) &&
           static_cast<size_t>(at) + len_ + shift_ + frame_ <= x_.size();
  }

  Likeness Compare(double a, double b, double fs) const {
    Likeness l;
    const auto ia = static_cast<size_t>(a * fs), ib = static_cast<size_t>(b * fs);
    // Waveform: a's piece against b's piece widened by the slack either side, every lag
    // at once through the transform.
    std::vector<std::complex<double>> pa(fft_), pb(fft_);
    for (size_t i = 0; i < len_; ++i) pa[i] = x_[ia + i];
    for (size_t i = 0; i < len_ + 2 * shift_; ++i) pb[i] = x_[ib - shift_ + i];
    Fft(pa);
    Fft(pb);
    for (size_t k = 0; k < fft_; ++k) pb[k] = std::conj(pa[k]) * pb[k];
    // The inverse transform as a forward one of the conjugate.
    for (auto& v : pb) v = std::conj(v);
    Fft(pb);
    const double ea = energy_[ia + len_] - energy_[ia];
    for (size_t lag = 0; lag <= 2 * shift_; ++lag) {
      const size_t from = ib - shift_ + lag;
      const double eb = energy_[from + len_] - energy_[from];
      if (ea > 0.0 && eb > 0.0)
        l.waveform =
            std::max(l.waveform, pb[lag].real() / static_cast<double>(fft_) / std::sqrt(ea * eb));
    }
    // Spectrogram: whole frames of the piece, b shifted in steps of an eighth of a frame.
    const size_t bins = k1_ - k0_ + 1;
    const size_t frames = std::max<size_t>(1, len_ / frame_ * 4);  // a frame every n / 4
    const size_t fa = ia / step_;
    const std::vector<double> sa = Piece(fa, frames, bins);
    const size_t spread = shift_ / step_;
    const size_t fb = ib / step_;
    for (size_t s = 0; s <= 2 * spread; ++s) {
      if (fb + s < spread) continue;
      const std::vector<double> sb = Piece(fb + s - spread, frames, bins);
      if (sb.size() == sa.size()) l.spectrogram = std::max(l.spectrogram, Pearson(sa, sb));
    }
    return l;
  }

 private:
  // Frames first, first + 2, ... (every n / 4) of the whole spectrogram, floored 50 dB
  // under the piece's loudest cell; empty where the piece runs past the end.
  std::vector<double> Piece(size_t first, size_t frames, size_t bins) const {
    std::vector<double> p;
    p.reserve(frames * bins);
    for (size_t f = 0; f < frames; ++f) {
      const size_t row = first + 2 * f;
      if (row >= rows_.size()) return {};
      const std::vector<double>& r = Row(row);
      p.insert(p.end(), r.begin(), r.end());
    }
    if (p.empty()) return p;
    const double top = *std::max_element(p.begin(), p.end());
    for (double& c : p) c = std::max(c, top - 50.0);
    // Each bin less its mean over the piece: what is compared is how the sound moves in
    // time and frequency, not the colour every event of a kind shares.
    for (size_t k = 0; k < bins; ++k) {
      double mean = 0.0;
      for (size_t f = 0; f < frames; ++f) mean += p[f * bins + k];
      mean /= static_cast<double>(frames);
      for (size_t f = 0; f < frames; ++f) p[f * bins + k] -= mean;
    }
    return p;
  }

  const std::vector<double>& Row(size_t row) const {
    std::vector<double>& r = rows_[row];
    if (!r.empty()) return r;
    std::vector<std::complex<double>> buf(frame_);
    for (size_t i = 0; i < frame_; ++i) buf[i] = x_[row * step_ + i] * window_[i];
    Fft(buf);
    for (size_t k = k0_; k <= k1_; ++k) r.push_back(10.0 * std::log10(std::norm(buf[k]) + 1e-20));
    return r;
  }

  std::span<const float> x_;
  size_t len_, shift_;
  size_t frame_ = 0, step_ = 0, k0_ = 0, k1_ = 0, fft_ = 0;
  std::vector<double> energy_, window_;
  mutable std::vector<std::vector<double>> rows_;
};

struct Repetition {
  int events = 0;          // onsets compared (the strongest, at most 48)
  double waveform = 0;     // the highest waveform correlation of any two
  double spectrogram = 0;  // the highest log-spectrogram correlation of any two
  int longestEvenRun = 0;  // most onsets in a row at spacings within 5 % of each other
  double evenSpacing = 0;  // that run's mean spacing, seconds
};

// Longest run of consecutive times whose spacings all lie within 5 % of each other
// (largest at most 1.05 times the smallest). `times` ascending.
inline int LongestEvenRun(const std::vector<double>& times, double* spacing = nullptr) {
  int best = times.empty() ? 0 : 1;
  for (size_t i = 0; i + 1 < times.size(); ++i) {
    double lo = times[i + 1] - times[i], hi = lo, sum = lo;
    size_t j = i + 1;
    while (j + 1 < times.size()) {
      const double d = times[j + 1] - times[j];
      const double nlo = std::min(lo, d), nhi = std::max(hi, d);
      if (nhi > 1.05 * nlo) break;
      lo = nlo;
      hi = nhi;
      sum += d;
      ++j;
    }
    const int run = static_cast<int>(j - i + 1);
    if (run > best) {
      best = run;
      if (spacing) *spacing = sum / static_cast<double>(run - 1);
    }
  }
  return best;
}

// How alike the events of `x` are. Events are the onsets at least half as strong as the
// strongest tenth of them (the ones a listener picks out), at most the 48 strongest; each
// is compared with every other over `eventSeconds` (cut short where the sound ends),
// shifted by up to 8 ms. A loop's onsets are also counted round its seam for the runs.
inline Repetition MeasureRepetition(std::span<const float> x, double fs, bool loop,
                                    double eventSeconds = 0.15) {
  Repetition r;
  std::vector<Onset> onsets = FindOnsets(x, fs);
  if (onsets.empty()) return r;
  std::vector<double> strengths;
  for (const Onset& o : onsets) strengths.push_back(o.strength);
  const double salient = 0.5 * Percentile(strengths, 0.9);
  std::erase_if(onsets, [&](const Onset& o) { return o.strength < salient; });
  // Runs are judged on the attacks' times, read finer than a frame.
  std::vector<double> times;
  for (const Onset& o : onsets) times.push_back(AttackTime(x, fs, o.seconds));
  const double length = static_cast<double>(x.size()) / fs;
  if (loop) {
    const size_t count = times.size();
    for (size_t i = 0; i < count; ++i) times.push_back(times[i] + length);
  }
  r.longestEvenRun = LongestEvenRun(times, &r.evenSpacing);
  if (loop) r.longestEvenRun = std::min<int>(r.longestEvenRun, static_cast<int>(onsets.size()));

  std::sort(onsets.begin(), onsets.end(),
            [](const Onset& p, const Onset& q) { return p.strength > q.strength; });
  if (onsets.size() > 48) onsets.resize(48);
  r.events = static_cast<int>(onsets.size());
  // Pieces start 10 ms before their onset, so the attack is in them.
  const double slack = 0.008, lead = 0.01;
  const EventComparer comparer(x, fs, eventSeconds, slack);
  for (size_t i = 0; i < onsets.size(); ++i)
    for (size_t j = i + 1; j < onsets.size(); ++j) {
      const double a = onsets[i].seconds - lead, b = onsets[j].seconds - lead;
      if (!comparer.Fits(a, fs) || !comparer.Fits(b, fs) || std::abs(a - b) < eventSeconds)
        continue;
      const Likeness l = comparer.Compare(a, b, fs);
      r.waveform = std::max(r.waveform, l.waveform);
      r.spectrogram = std::max(r.spectrogram, l.spectrogram);
    }
  return r;
}

// A ruled line: a spectral peak standing 10 dB or more above the mean of the spectrum
// round it (+-1/3 octave, in dB) and within 40 dB of the frame's loudest bin, found frame after
// frame (a frame's gap bridged) with its frequency inside a 0.5 % span.
struct RuledLine {
  double hz = 0;       // mean frequency
  double seconds = 0;  // how long it holds
};

// The longest ruled line of `x` from 80 Hz to 10 kHz (frames of about 93 ms every 23 ms,
// peaks placed by a parabola through the log magnitudes).
inline RuledLine LongestRuledLine(std::span<const float> x, double fs) {
  size_t n = 1024;
  while (static_cast<double>(n) < 0.09 * fs) n *= 2;
  const size_t hop = n / 4;
  const double binHz = fs / static_cast<double>(n);
  struct Track {
    double lo, hi, sum;
    int frames, last;
    double start;
  };
  std::vector<Track> live;
  RuledLine best;
  std::vector<std::complex<double>> buf(n);
  std::vector<double> mag(n / 2 + 1);
  const std::vector<double> window = Hann(n);
  int frame = 0;
  for (size_t at = 0; at + n <= x.size(); at += hop, ++frame) {
    for (size_t i = 0; i < n; ++i) buf[i] = x[at + i] * window[i];
    Fft(buf);
    double top = -300.0;
    for (size_t k = 0; k <= n / 2; ++k) {
      mag[k] = 10.0 * std::log10(std::norm(buf[k]) + 1e-20);
      top = std::max(top, mag[k]);
    }
    // The mean log magnitude round each bin (+-1/3 octave), from running sums.
    std::vector<double> sum(n / 2 + 2, 0.0);
    for (size_t k = 0; k <= n / 2; ++k) sum[k + 1] = sum[k] + mag[k];
    std::vector<double> peaks;
    const auto last =
        std::min(n / 2 - 2, static_cast<size_t>(std::min(10000.0, 0.9 * fs / 2.0) / binHz));
    for (size_t k = std::max<size_t>(2, static_cast<size_t>(80.0 / binHz)); k < last; ++k) {
      if (mag[k] < top - 40.0 || mag[k] < mag[k - 1] || mag[k] < mag[k + 1]) continue;
      const auto lo = static_cast<size_t>(static_cast<double>(k) / 1.26);
      const auto hi = std::min(n / 2, static_cast<size_t>(static_cast<double>(k) * 1.26)) + 1;
      if (mag[k] < (sum[hi] - sum[lo]) / static_cast<double>(hi - lo) + 10.0) continue;
      const double a = mag[k - 1], b = mag[k], c = mag[k + 1];
      const double den = a - 2.0 * b + c;
      const double shift = den < 0.0 ? std::clamp(0.5 * (a - c) / den, -0.5, 0.5) : 0.0;
      peaks.push_back((static_cast<double>(k) + shift) * binHz);
    }
    std::vector<bool> used(peaks.size(), false);
    for (Track& t : live) {
      for (size_t p = 0; p < peaks.size(); ++p) {
        if (used[p]) continue;
        const double lo = std::min(t.lo, peaks[p]), hi = std::max(t.hi, peaks[p]);
        if (hi > 1.005 * lo) continue;
        t.lo = lo;
        t.hi = hi;
        t.sum += peaks[p];
        ++t.frames;
        t.last = frame;
        used[p] = true;
        break;
      }
    }
    for (size_t p = 0; p < peaks.size(); ++p)
      if (!used[p])
        live.push_back({peaks[p], peaks[p], peaks[p], 1, frame, static_cast<double>(frame)});
    // Close the tracks not seen for two frames.
    for (const Track& t : live) {
      const double seconds = static_cast<double>(t.last - static_cast<int>(t.start) + 1) * hop / fs;
      if (seconds > best.seconds) best = {t.sum / t.frames, seconds};
    }
    std::erase_if(live, [&](const Track& t) { return frame - t.last >= 2; });
  }
  return best;
}

// Gates: the steepest onset and offset of the calls of `x` (FindCalls), in ms. An onset
// is the time the level takes to climb from 10 % to 90 % of the call's early peak (the
// loudest in its first 0.3 s), read back from where it first reaches 90 %; an offset the
// time it takes to fall from 90 % of the late peak (the last 0.3 s) to 10 %, read on from
// where it last stands at 90 %. The level is the largest magnitude within 10 ms either
// side: it holds over a low voice's own cycles (down to 50 Hz), so they do not read as
// switching, and a switched box still reads as a step. Calls that start or end with the
// file are not counted; -1 when no call has either.
struct Gates {
  double riseMs = -1;
  double fallMs = -1;
};

inline Gates MeasureGates(std::span<const float> x, double fs) {
  Gates g;
  // The level: the largest magnitude within 10 ms either side, read every millisecond.
  const size_t step = std::max<size_t>(1, static_cast<size_t>(0.001 * fs));
  std::vector<double> block;
  for (size_t i = 0; i < x.size(); i += step) {
    double m = 0.0;
    for (size_t j = i; j < std::min(x.size(), i + step); ++j)
      m = std::max(m, std::fabs(static_cast<double>(x[j])));
    block.push_back(m);
  }
  std::vector<double> env(block.size());
  for (size_t k = 0; k < block.size(); ++k) {
    const size_t lo = k >= 10 ? k - 10 : 0, hi = std::min(block.size(), k + 11);
    env[k] = *std::max_element(block.begin() + static_cast<std::ptrdiff_t>(lo),
                               block.begin() + static_cast<std::ptrdiff_t>(hi));
  }
  const double stepMs = 1000.0 * static_cast<double>(step) / fs;
  const double length = static_cast<double>(x.size()) / fs;
  const auto index = [&](double seconds) {
    return std::min(env.size(), static_cast<size_t>(std::max(0.0, seconds) * fs / step));
  };
  const auto keep = [](double& slot, double ms) { slot = slot < 0 ? ms : std::min(slot, ms); };
  for (const Call& c : FindCalls(x, fs)) {
    const size_t i0 = index(c.start - 0.05), i1 = index(c.end + 0.05);
    if (i1 <= i0 + 2) continue;
    if (c.start > 0.02) {
      const size_t early = std::min(i1, index(c.start + 0.3));
      const double peak = *std::max_element(env.begin() + static_cast<std::ptrdiff_t>(i0),
                                            env.begin() + static_cast<std::ptrdiff_t>(early));
      size_t hi = i0;
      while (hi < early && env[hi] < 0.9 * peak) ++hi;
      size_t lo = hi;
      while (lo > i0 && env[lo - 1] > 0.1 * peak) --lo;
      if (lo > i0) keep(g.riseMs, static_cast<double>(hi - lo + 1) * stepMs);
    }
    if (c.end < length - 0.02) {
      const size_t late = std::max(i0, index(c.end - 0.3));
      const double peak = *std::max_element(env.begin() + static_cast<std::ptrdiff_t>(late),
                                            env.begin() + static_cast<std::ptrdiff_t>(i1));
      size_t hi = i1 - 1;
      while (hi > late && env[hi] < 0.9 * peak) --hi;
      size_t lo = hi;
      while (lo + 1 < i1 && env[lo + 1] > 0.1 * peak) ++lo;
      if (lo + 1 < i1) keep(g.fallMs, static_cast<double>(lo + 1 - hi) * stepMs);
    }
  }
  return g;
}

}  // namespace lullwood::measure
