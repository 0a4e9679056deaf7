#include "WaveAnalysis.h"

#include "measure/Figures.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <fstream>
#include <iterator>
#include <numbers>

namespace lullwood::test {
namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
std::string Tag(const std::vector<uint8_t>& b, size_t at) {
  return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
}

double ToDb(double rms) {
  return 20.0 * std::log10(std::max(rms, 1e-9));
}

// RBJ high-pass, Q = 1/sqrt(2).
struct HighPass {
  double b0, b1, b2, a1, a2, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  HighPass(double fs, double hz) {
    const double w = 2.0 * std::numbers::pi * hz / fs;
    const double alpha = std::sin(w) / std::sqrt(2.0), c = std::cos(w), a0 = 1.0 + alpha;
    b0 = (1.0 + c) / 2.0 / a0;
    b1 = -(1.0 + c) / a0;
    b2 = b0;
    a1 = -2.0 * c / a0;
    a2 = (1.0 - alpha) / a0;
  }
  double Run(double x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

using measure::Fft;

}  // namespace

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::optional<ParsedWave> ReadWave(const std::string& path, std::string& error) {
  const auto bytes = ReadFileBytes(path);
  if (!bytes) {
    error = "cannot read " + path;
    return std::nullopt;
  }
  return ParseWave(*bytes, error);
}

std::optional<ParsedWave> ParseWave(const std::vector<uint8_t>& b, std::string& error) {
  ParsedWave w;
  if (b.size() < 12 || Tag(b, 0) != "RIFF" || Tag(b, 8) != "WAVE") {
    error = "not a RIFF/WAVE image";
    return std::nullopt;
  }
  w.riffSize = U32(b, 4);
  if (w.riffSize != b.size() - 8) {
    error = "RIFF size is not the image length - 8";
    return std::nullopt;
  }
  size_t at = 12;
  while (at < b.size()) {
    if (at + 8 > b.size()) {
      error = "truncated chunk header";
      return std::nullopt;
    }
    const std::string id = Tag(b, at);
    const uint32_t size = U32(b, at + 4);
    const size_t body = at + 8, padded = size + (size & 1u);
    if (body + padded > b.size()) {
      error = "chunk " + id + " runs past the end";
      return std::nullopt;
    }
    w.chunks.push_back(id);
    if (id == "fmt ") {
      if (size != 16) {
        error = "fmt chunk is not 16 bytes";
        return std::nullopt;
      }
      w.formatTag = U16(b, body);
      w.channels = U16(b, body + 2);
      w.sampleRate = U32(b, body + 4);
      w.byteRate = U32(b, body + 8);
      w.blockAlign = U16(b, body + 12);
      w.bitsPerSample = U16(b, body + 14);
    } else if (id == "data") {
      w.data.assign(b.begin() + static_cast<long>(body),
                    b.begin() + static_cast<long>(body + size));
      if ((size & 1u) && b[body + size] != 0) {
        error = "pad byte after odd data is not zero";
        return std::nullopt;
      }
    } else if (id == "LIST") {
      if (size < 4 || Tag(b, body) != "INFO") {
        error = "LIST chunk is not INFO";
        return std::nullopt;
      }
      size_t sub = body + 4;
      while (sub < body + size) {
        const std::string subId = Tag(b, sub);
        const uint32_t len = U32(b, sub + 4);
        if (len == 0 || sub + 8 + len > body + size || b[sub + 8 + len - 1] != 0) {
          error = "malformed INFO entry " + subId;
          return std::nullopt;
        }
        std::string text(b.begin() + static_cast<long>(sub + 8),
                         b.begin() + static_cast<long>(sub + 8 + len - 1));
        if (subId == "INAM") w.name = text;
        if (subId == "ISFT") w.software = text;
        sub += 8 + len + (len & 1u);
      }
      if (sub != body + size) {
        error = "INFO entries do not fill the LIST chunk";
        return std::nullopt;
      }
    }
    at = body + padded;
  }
  if (at != b.size()) {
    error = "chunks do not end at the end of the image";
    return std::nullopt;
  }
  return w;
}

std::vector<double> Channel(const ParsedWave& wave, int channel) {
  std::vector<double> x;
  if (wave.bitsPerSample == 16) {
    const size_t step = 2u * wave.channels;
    for (size_t i = 2u * static_cast<size_t>(channel); i + 1 < wave.data.size(); i += step) {
      const auto word = static_cast<int16_t>(wave.data[i] | (wave.data[i + 1] << 8));
      x.push_back(word / 32768.0);
    }
    return x;
  }
  for (size_t i = static_cast<size_t>(channel); i < wave.data.size(); i += wave.channels)
    x.push_back((static_cast<int>(wave.data[i]) - 128) / 128.0);
  return x;
}

std::vector<float> Mono(const ParsedWave& wave) {
  std::vector<float> mono(wave.blockAlign ? wave.data.size() / wave.blockAlign : 0, 0.0f);
  for (int c = 0; c < wave.channels; ++c) {
    const std::vector<double> x = Channel(wave, c);
    for (size_t i = 0; i < mono.size() && i < x.size(); ++i)
      mono[i] += static_cast<float>(x[i] / wave.channels);
  }
  return mono;
}

double RmsDb(const std::vector<double>& x) {
  double s = 0.0;
  for (double v : x) s += v * v;
  return ToDb(std::sqrt(s / static_cast<double>(std::max<size_t>(x.size(), 1))));
}

std::vector<double> HighPassed(const std::vector<double>& x, double sampleRate, double hz) {
  HighPass hp(sampleRate, hz);
  for (double v : x) hp.Run(v);  // one lap to reach the loop's steady state
  std::vector<double> y(x.size());
  for (size_t i = 0; i < x.size(); ++i) y[i] = hp.Run(x[i]);
  return y;
}

double RmsAbove100HzDb(const std::vector<double>& x, double sampleRate, bool loop) {
  if (loop) return RmsDb(HighPassed(x, sampleRate, 100.0));
  HighPass hp(sampleRate, 100.0);
  std::vector<double> y(x.size());
  for (size_t i = 0; i < x.size(); ++i) y[i] = hp.Run(x[i]);
  return RmsDb(y);
}

double WindowRmsDb(const std::vector<double>& x, int64_t start, int64_t frames) {
  const int64_t n = static_cast<int64_t>(x.size());
  double s = 0.0;
  for (int64_t i = 0; i < frames; ++i) {
    const double v = x[static_cast<size_t>(((start + i) % n + n) % n)];
    s += v * v;
  }
  return ToDb(std::sqrt(s / static_cast<double>(frames)));
}

WindowRange WindowRmsRange(const std::vector<double>& x, int64_t frames) {
  WindowRange r{1e9, -1e9};
  const int64_t n = static_cast<int64_t>(x.size());
  for (int64_t start = 0; start < n; start += std::max<int64_t>(1, frames / 2)) {
    const double db = WindowRmsDb(x, start, frames);
    r.lowestDb = std::min(r.lowestDb, db);
    r.highestDb = std::max(r.highestDb, db);
  }
  return r;
}

std::vector<double> WindowLevelsDb(const std::vector<double>& x, int64_t frames) {
  std::vector<double> levels;
  for (int64_t start = 0; start + frames <= static_cast<int64_t>(x.size()); start += frames)
    levels.push_back(std::max(WindowRmsDb(x, start, frames), -80.0));
  return levels;
}

std::vector<double> LevelQuantilesDb(const std::vector<double>& x, int64_t frames) {
  std::vector<double> levels = WindowLevelsDb(x, frames);
  std::sort(levels.begin(), levels.end());
  auto at = [&](double q) { return levels[static_cast<size_t>(q * (levels.size() - 1))]; };
  const double median = at(0.5);
  return {at(0.1) - median, at(0.25) - median, at(0.75) - median, at(0.9) - median};
}

double SeamRatio(const std::vector<double>& x) {
  const size_t n = x.size();
  double s = 0.0;
  for (size_t i = 2; i < n; ++i) {
    const double e = x[i] - 2 * x[i - 1] + x[i - 2];
    s += e * e;
  }
  const double rms = std::sqrt(s / static_cast<double>(n - 2));
  const double a = std::fabs(x[0] - 2 * x[n - 1] + x[n - 2]);
  const double b = std::fabs(x[1] - 2 * x[0] + x[n - 1]);
  const double worst = std::max(a, b);
  if (rms == 0.0) return worst == 0.0 ? 0.0 : 1e9;
  return worst / rms;
}

double StepQuantile(const std::vector<double>& x, double quantile) {
  std::vector<double> steps;
  for (size_t i = 1; i < x.size(); ++i) steps.push_back(std::fabs(x[i] - x[i - 1]));
  if (steps.empty()) return 0.0;
  const size_t k = std::min(steps.size() - 1, static_cast<size_t>(quantile * steps.size()));
  std::nth_element(steps.begin(), steps.begin() + static_cast<long>(k), steps.end());
  return steps[k];
}

std::vector<double> BandProfileDb(const std::vector<double>& x, double sampleRate) {
  constexpr size_t kFrame = 1024;
  std::vector<double> power(kFrame / 2 + 1, 0.0);
  std::vector<std::complex<double>> buf(kFrame);
  for (size_t start = 0; start + kFrame <= x.size(); start += kFrame / 2) {
    for (size_t i = 0; i < kFrame; ++i) {
      const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kFrame);
      buf[i] = {x[start + i] * w, 0.0};
    }
    Fft(buf);
    for (size_t k = 0; k < power.size(); ++k) power[k] += std::norm(buf[k]);
  }
  std::vector<double> bands;
  for (double centre = 63.0; centre <= 5100.0; centre *= std::pow(2.0, 1.0 / 3.0)) {
    const double lo = centre / std::pow(2.0, 1.0 / 6.0), hi = centre * std::pow(2.0, 1.0 / 6.0);
    double e = 1e-12;
    for (size_t k = 0; k < power.size(); ++k) {
      const double f = k * sampleRate / kFrame;
      if (f >= lo && f < hi) e += power[k];
    }
    bands.push_back(10.0 * std::log10(e / (hi - lo)));
  }
  double mean = 0.0;
  for (double b : bands) mean += b;
  mean /= static_cast<double>(bands.size());
  for (double& b : bands) b = std::max(b - mean, -60.0);
  return bands;
}

}  // namespace lullwood::test
