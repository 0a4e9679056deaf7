// Figures of a recorded or synthesised call, for comparing our effects with real sounds:
// call count, length and rate; pitch range and contour; harmonic-to-noise ratio; spectral
// centroid, flatness, the band holding the energy and the strongest spectral peaks.
// One analysis serves the comparison tool and the tests, so both read a sound the same
// way. It is not part of the generator: plain libm is fine here.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <numeric>
#include <span>
#include <vector>

namespace lullwood::measure {

inline constexpr double kPi = 3.14159265358979323846;

struct Figures {
  double seconds = 0;           // whole signal
  int calls = 0;                // sounding pieces (see FindCalls)
  double callSeconds = 0;       // mean length of a call
  double longestCall = 0;       // longest call
  double callRate = 0;          // calls per second from the first onset to the last (0 for one)
  double activeSeconds = 0;     // first onset to last offset
  double voicedFraction = 0;    // of the active frames, those with a clear pitch
  double pitchLow = 0;          // 10th percentile of the voiced pitch (Hz), 0 if unvoiced
  double pitchMedian = 0;       // median
  double pitchHigh = 0;         // 90th percentile
  std::vector<double> contour;  // pitch of the longest call at 0, 25, 50, 75, 100 % (0: none)
  double hnrDb = 0;             // median harmonic-to-noise ratio over the active frames
  double centroidHz = 0;        // power-weighted mean frequency of the active frames
  double flatnessDb = 0;        // mean per-frame spectral flatness (100 Hz..5 kHz), dB
  double band10Hz = 0;          // 10 % of the active power lies below this frequency
  double band90Hz = 0;          // 90 % below this
  std::vector<double> peaksHz;  // up to three strongest peaks of the smoothed spectrum
};

// In-place radix-2 FFT; the size must be a power of two.
inline void Fft(std::vector<std::complex<double>>& a) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const double angle = -2.0 * kPi / static_cast<double>(len);
    // Each twiddle factor once per stage, for all the butterflies that use it.
    for (size_t k = 0; k < len / 2; ++k) {
      const std::complex<double> w(std::cos(angle * k), std::sin(angle * k));
      for (size_t i = 0; i < n; i += len) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
}

// The analysis frame: 512 samples at 11025 Hz (46 ms), scaled with the rate; hop a quarter.
inline size_t FrameSize(double fs) {
  size_t n = 512;
  while (static_cast<double>(n) < 0.04 * fs) n *= 2;
  return n;
}

struct Call {
  double start, end;  // seconds
};

// Sounding pieces: stretches where the 10 ms RMS stays within `rangeDb` of the loudest
// 10 ms, gaps shorter than 60 ms bridged, pieces shorter than 30 ms dropped.
inline std::vector<Call> FindCalls(std::span<const float> x, double fs, double rangeDb = 20.0) {
  const size_t hop = std::max<size_t>(1, static_cast<size_t>(0.01 * fs));
  std::vector<double> level;
  for (size_t i = 0; i + hop <= x.size(); i += hop) {
    double s = 0.0;
    for (size_t j = i; j < i + hop; ++j) s += static_cast<double>(x[j]) * x[j];
    level.push_back(s / static_cast<double>(hop));
  }
  std::vector<Call> calls;
  if (level.empty()) return calls;
  const double top = *std::max_element(level.begin(), level.end());
  if (top <= 0.0) return calls;
  const double threshold = top * std::pow(10.0, -rangeDb / 10.0);
  const double step = static_cast<double>(hop) / fs;
  for (size_t i = 0; i < level.size();) {
    if (level[i] < threshold) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < level.size() && level[j] >= threshold) ++j;
    const Call c{static_cast<double>(i) * step, static_cast<double>(j) * step};
    if (!calls.empty() && c.start - calls.back().end < 0.06)
      calls.back().end = c.end;
    else
      calls.push_back(c);
    i = j;
  }
  std::erase_if(calls, [](const Call& c) { return c.end - c.start < 0.03; });
  return calls;
}

// Pitch and periodicity of one frame: the highest normalised autocorrelation at lags for
// 70 Hz .. 4.5 kHz, refined by a parabola; the first peak within 95 % of the best is
// taken so octave errors downwards are rare. HNR follows as 10 log10(r / (1 - r)).
struct Periodicity {
  double hz = 0, r = 0;
};
inline Periodicity FramePeriodicity(std::span<const float> frame, double fs) {
  const size_t n = frame.size();
  const size_t minLag = std::max<size_t>(2, static_cast<size_t>(fs / 4500.0));
  const size_t maxLag = std::min(n / 2, static_cast<size_t>(fs / 70.0));
  const size_t w = n - maxLag;
  std::vector<double> r(maxLag + 2, 0.0);
  double e0 = 0.0;
  for (size_t i = 0; i < w; ++i) e0 += static_cast<double>(frame[i]) * frame[i];
  if (e0 <= 0.0) return {};
  for (size_t lag = minLag - 1; lag <= maxLag + 1 && lag + w <= n; ++lag) {
    double c = 0.0, e1 = 0.0;
    for (size_t i = 0; i < w; ++i) {
      c += static_cast<double>(frame[i]) * frame[i + lag];
      e1 += static_cast<double>(frame[i + lag]) * frame[i + lag];
    }
    r[lag] = e1 > 0.0 ? c / std::sqrt(e0 * e1) : 0.0;
  }
  // Skip the main lobe round lag 0: a low, dull sound correlates with itself at short
  // lags without being periodic. The search starts after the first local minimum.
  size_t first = minLag;
  while (first < maxLag && r[first + 1] < r[first]) ++first;
  double best = -1.0;
  for (size_t lag = first; lag <= maxLag; ++lag) best = std::max(best, r[lag]);
  for (size_t lag = first; lag <= maxLag; ++lag) {
    if (r[lag] < 0.95 * best || r[lag] < r[lag - 1] || r[lag] < r[lag + 1]) continue;
    const double a = r[lag - 1], b = r[lag], c = r[lag + 1];
    const double den = a - 2.0 * b + c;
    const double shift = den < 0.0 ? std::clamp(0.5 * (a - c) / den, -0.5, 0.5) : 0.0;
    const double peak = b - 0.25 * (a - c) * shift;
    return {fs / (static_cast<double>(lag) + shift), std::min(peak, 0.9999)};
  }
  return {0.0, std::max(best, 0.0)};
}

inline double Percentile(std::vector<double> v, double q) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const double at = q * static_cast<double>(v.size() - 1);
  const size_t i = static_cast<size_t>(at);
  const double f = at - static_cast<double>(i);
  return i + 1 < v.size() ? v[i] * (1.0 - f) + v[i + 1] * f : v[i];
}

// Averaged power spectrum of the frames that sound (within 20 dB of the loudest frame),
// bin k at k * fs / FrameSize(fs). Also used to compare two sounds' colour.
inline std::vector<double> ActiveSpectrum(std::span<const float> x, double fs);

// The calls' figures: their mean and longest length, the span from the first to the
// last and the rate they come at. Returns the index of the longest.
inline size_t MeasureCalls(const std::vector<Call>& calls, Figures& f) {
  double sum = 0.0;
  size_t longest = 0;
  for (size_t i = 0; i < calls.size(); ++i) {
    const double d = calls[i].end - calls[i].start;
    sum += d;
    if (d > calls[longest].end - calls[longest].start) longest = i;
  }
  f.callSeconds = sum / static_cast<double>(calls.size());
  f.longestCall = calls[longest].end - calls[longest].start;
  f.activeSeconds = calls.back().end - calls.front().start;
  f.callRate = calls.size() > 1 ? static_cast<double>(calls.size() - 1) /
                                      (calls.back().start - calls.front().start)
                                : 0.0;
  return longest;
}

// The colour figures of an averaged power spectrum of frames of `n` at `fs`: centroid,
// the 10 % and 90 % points of its energy and its three strongest peaks.
inline void MeasureSpectrum(const std::vector<double>& power, double fs, size_t n, Figures& f) {
  double total = 0.0, moment = 0.0;
  for (size_t b = 1; b <= n / 2; ++b) {
    total += power[b];
    moment += power[b] * static_cast<double>(b) * fs / n;
  }
  f.centroidHz = total > 0.0 ? moment / total : 0.0;
  double run = 0.0;
  for (size_t b = 1; b <= n / 2; ++b) {
    const double before = run;
    run += power[b];
    const double hz = static_cast<double>(b) * fs / n;
    if (before < 0.1 * total && run >= 0.1 * total) f.band10Hz = hz;
    if (before < 0.9 * total && run >= 0.9 * total) f.band90Hz = hz;
  }
  // Peaks of the spectrum smoothed over +-100 Hz, at least 300 Hz apart, strongest first.
  const int half = std::max(1, static_cast<int>(100.0 * n / fs));
  std::vector<double> smooth(power.size(), 0.0);
  for (int b = 1; b < static_cast<int>(power.size()); ++b) {
    double s = 0.0;
    int c = 0;
    for (int d = -half; d <= half; ++d) {
      const int j = b + d;
      if (j >= 1 && j < static_cast<int>(power.size())) {
        s += power[static_cast<size_t>(j)];
        ++c;
      }
    }
    smooth[static_cast<size_t>(b)] = s / c;
  }
  std::vector<std::pair<double, double>> peaks;
  for (size_t b = 2; b + 1 < smooth.size(); ++b)
    if (smooth[b] > smooth[b - 1] && smooth[b] >= smooth[b + 1])
      peaks.emplace_back(smooth[b], static_cast<double>(b) * fs / n);
  std::sort(peaks.begin(), peaks.end(), [](auto& a, auto& b) { return a.first > b.first; });
  for (const auto& [pw, hz] : peaks) {
    if (f.peaksHz.size() == 3 || pw < 0.03 * peaks.front().first) break;
    bool apart = true;
    for (double h : f.peaksHz) apart = apart && std::fabs(h - hz) >= 300.0;
    if (apart) f.peaksHz.push_back(hz);
  }
}

// A frame that sounds with a pitch: its centre, in seconds, and the pitch.
struct VoicedFrame {
  double t, hz;
};

// The pitch contour of a call: the median pitch of its voiced frames in each fifth of it.
inline void MeasureContour(const Call& c, const std::vector<VoicedFrame>& voiced, Figures& f) {
  for (int q = 0; q < 5; ++q) {
    const double a = c.start + (c.end - c.start) * (q == 0 ? 0.0 : (q - 0.5) / 4.0);
    const double b = c.start + (c.end - c.start) * (q == 4 ? 1.0 : (q + 0.5) / 4.0);
    std::vector<double> in;
    for (const VoicedFrame& v : voiced)
      if (v.t >= a && v.t <= b) in.push_back(v.hz);
    f.contour.push_back(Percentile(in, 0.5));
  }
}

inline Figures Measure(std::span<const float> x, double fs) {
  Figures f;
  f.seconds = static_cast<double>(x.size()) / fs;
  const std::vector<Call> calls = FindCalls(x, fs);
  f.calls = static_cast<int>(calls.size());
  if (calls.empty()) return f;
  const size_t longest = MeasureCalls(calls, f);

  const size_t n = FrameSize(fs), hop = n / 4;
  std::vector<double> energies;
  for (size_t i = 0; i + n <= x.size(); i += hop) {
    double s = 0.0;
    for (size_t j = i; j < i + n; ++j) s += static_cast<double>(x[j]) * x[j];
    energies.push_back(s);
  }
  if (energies.empty()) return f;
  const double top = *std::max_element(energies.begin(), energies.end());
  const double floor = top * 0.01;  // -20 dB
  std::vector<double> pitches, hnrs, flatness;
  std::vector<double> power(n / 2 + 1, 0.0);
  std::vector<std::complex<double>> buf(n);
  std::vector<VoicedFrame> voiced;
  size_t active = 0;
  const size_t lo = static_cast<size_t>(std::ceil(100.0 * n / fs));
  const size_t hi = std::min(n / 2, static_cast<size_t>(5000.0 * n / fs));
  for (size_t k = 0; k < energies.size(); ++k) {
    if (energies[k] < floor || top <= 0.0) continue;
    ++active;
    const std::span<const float> frame = x.subspan(k * hop, n);
    const Periodicity p = FramePeriodicity(frame, fs);
    const double r = std::clamp(p.r, 0.01, 0.999);
    hnrs.push_back(10.0 * std::log10(r / (1.0 - r)));
    if (p.hz > 0.0 && p.r >= 0.5) {
      pitches.push_back(p.hz);
      voiced.push_back({(static_cast<double>(k * hop) + 0.5 * n) / fs, p.hz});
    }
    for (size_t i = 0; i < n; ++i)
      buf[i] = frame[i] * (0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / n));
    Fft(buf);
    double framePeak = 0.0;
    for (size_t b = 0; b <= n / 2; ++b) {
      const double pw = std::norm(buf[b]);
      power[b] += pw;
      if (b >= lo && b <= hi) framePeak = std::max(framePeak, pw);
    }
    double logSum = 0.0, linSum = 0.0;
    for (size_t b = lo; b <= hi; ++b) {
      const double pw = std::max(std::norm(buf[b]), framePeak * 1e-8);
      logSum += std::log(pw);
      linSum += pw;
    }
    const double bins = static_cast<double>(hi - lo + 1);
    if (linSum > 0.0)
      flatness.push_back(10.0 * std::log10(std::exp(logSum / bins) / (linSum / bins)));
  }
  f.voicedFraction = active ? static_cast<double>(pitches.size()) / active : 0.0;
  f.pitchLow = Percentile(pitches, 0.1);
  f.pitchMedian = Percentile(pitches, 0.5);
  f.pitchHigh = Percentile(pitches, 0.9);
  f.hnrDb = Percentile(hnrs, 0.5);
  f.flatnessDb = flatness.empty() ? 0.0
                                  : std::accumulate(flatness.begin(), flatness.end(), 0.0) /
                                        static_cast<double>(flatness.size());

  MeasureSpectrum(power, fs, n, f);

  MeasureContour(calls[longest], voiced, f);
  return f;
}

inline std::vector<double> ActiveSpectrum(std::span<const float> x, double fs) {
  const size_t n = FrameSize(fs), hop = n / 4;
  std::vector<double> power(n / 2 + 1, 0.0);
  std::vector<double> energies;
  for (size_t i = 0; i + n <= x.size(); i += hop) {
    double s = 0.0;
    for (size_t j = i; j < i + n; ++j) s += static_cast<double>(x[j]) * x[j];
    energies.push_back(s);
  }
  if (energies.empty()) return power;
  const double top = *std::max_element(energies.begin(), energies.end());
  std::vector<std::complex<double>> buf(n);
  for (size_t k = 0; k < energies.size(); ++k) {
    if (energies[k] < 0.01 * top || top <= 0.0) continue;
    for (size_t i = 0; i < n; ++i)
      buf[i] = x[k * hop + i] * (0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(i) / n));
    Fft(buf);
    for (size_t b = 0; b <= n / 2; ++b) power[b] += std::norm(buf[b]);
  }
  return power;
}

// Levels (dB) of the active spectrum in third-octave bands from 63 Hz to 5 kHz.
inline std::vector<double> ThirdOctaveDb(std::span<const float> x, double fs) {
  const std::vector<double> p = ActiveSpectrum(x, fs);
  const double n = static_cast<double>(2 * (p.size() - 1));
  std::vector<double> bands;
  for (double lo = 63.0; lo < 5000.0; lo *= std::pow(2.0, 1.0 / 3.0)) {
    const double hi = lo * std::pow(2.0, 1.0 / 3.0);
    double s = 0.0;
    for (size_t k = 1; k < p.size(); ++k) {
      const double hz = static_cast<double>(k) * fs / n;
      if (hz >= lo && hz < hi) s += p[k];
    }
    bands.push_back(10.0 * std::log10(s + 1e-12));
  }
  const double top = *std::max_element(bands.begin(), bands.end());
  for (double& b : bands) b = std::max(b - top, -60.0);
  return bands;
}

// Pearson correlation of the first min(p, q) values of two series; 0 when either is flat
// or there are fewer than two.
inline double Pearson(std::span<const double> p, std::span<const double> q) {
  const size_t n = std::min(p.size(), q.size());
  if (n < 2) return 0.0;
  double mp = 0.0, mq = 0.0;
  for (size_t i = 0; i < n; ++i) {
    mp += p[i];
    mq += q[i];
  }
  mp /= static_cast<double>(n);
  mq /= static_cast<double>(n);
  double pq = 0.0, pp = 0.0, qq = 0.0;
  for (size_t i = 0; i < n; ++i) {
    pq += (p[i] - mp) * (q[i] - mq);
    pp += (p[i] - mp) * (p[i] - mp);
    qq += (q[i] - mq) * (q[i] - mq);
  }
  return pp > 0.0 && qq > 0.0 ? pq / std::sqrt(pp * qq) : 0.0;
}

// Pearson correlation of two sounds' third-octave profiles (dB): 1 = the same colour.
inline double SpectralCorrelation(std::span<const float> a, double fsA, std::span<const float> b,
                                  double fsB) {
  return Pearson(ThirdOctaveDb(a, fsA), ThirdOctaveDb(b, fsB));
}

}  // namespace lullwood::measure
