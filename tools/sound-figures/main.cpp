// sound-figures: prints the figures of one or more PCM wave files side by side (call
// count, length and rate, pitch range and contour, harmonic-to-noise ratio, centroid,
// flatness, energy band, spectral peaks, the share of power above 5.5 and 11 kHz and the
// slope from 5.5 to 16 kHz, measured at the file's own rate) and, for two or more, the
// spectral correlation of each with the first and their band levels below 5 kHz against
// the first's (mean and worst difference, dB; an 8-bit first wave's bands in its dither
// floor left out). Then the tells of a synthesiser: single-sample needles a second, the
// onsets compared (how many, the highest waveform and log-spectrogram correlation of two,
// the longest run at one spacing), the longest ruled spectral line and the steepest
// onset and offset of a call. With --loop, onset runs are also counted round the seam
// of each file, as for a loop. Reads 8-bit unsigned and 16-bit signed PCM,
// mixing channels down.
// With --texture, prints instead the texture statistics of each file (measure/Texture.h):
// per file the averages over the bands that carry the sound (envelope depth and skew,
// modulation power in seven octaves from 0.5 to 64 Hz, the correlation of bands a quarter
// of an octave, an octave and two octaves apart), the first file whole (round its seam
// with --loop), the others in 10 s pieces with the least and most of the pieces, and a
// line each as the texture test's table takes them; with --bands, every band's too.
//   sound-figures [--loop] [--texture [--bands]] OURS.wav [REFERENCE.wav ...]
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "measure/Bands.h"
#include "measure/Figures.h"
#include "measure/Tells.h"
#include "measure/Texture.h"

namespace {

struct Wave {
  std::string name;
  double rate = 0;
  int bits = 0;
  std::vector<float> samples;
};

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

bool Read(const std::string& path, Wave& w, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open";
    return false;
  }
  const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
  if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
      std::string(b.begin() + 8, b.begin() + 12) != "WAVE") {
    error = "not a RIFF/WAVE file";
    return false;
  }
  int channels = 0, bits = 0;
  for (size_t at = 12; at + 8 <= b.size();) {
    const std::string id(b.begin() + at, b.begin() + at + 4);
    const size_t size = Le32(b, at + 4);
    const size_t body = at + 8;
    if (body + size > b.size() && id != "data") break;
    if (id == "fmt " && size >= 16) {
      if (Le16(b, body) != 1 && Le16(b, body) != 0xFFFE) {
        error = "not PCM";
        return false;
      }
      channels = Le16(b, body + 2);
      w.rate = Le32(b, body + 4);
      bits = Le16(b, body + 14);
      w.bits = bits;
    } else if (id == "data") {
      if (channels <= 0 || (bits != 8 && bits != 16)) {
        error = "only 8- and 16-bit PCM are read (convert with sox first)";
        return false;
      }
      const size_t bytes = std::min(size, b.size() - body);
      const size_t width = static_cast<size_t>(bits / 8) * channels;
      for (size_t f = 0; f + width <= bytes; f += width) {
        double s = 0.0;
        for (int c = 0; c < channels; ++c) {
          const size_t p = body + f + static_cast<size_t>(c * bits / 8);
          s += bits == 8 ? (b[p] - 128) / 128.0 : static_cast<int16_t>(Le16(b, p)) / 32768.0;
        }
        w.samples.push_back(static_cast<float>(s / channels));
      }
      return true;
    }
    at = body + size + (size & 1);
  }
  error = "no data chunk";
  return false;
}

// The values rounded to whole hertz and joined with '/', or "-" when there are none.
std::string Joined(const std::vector<double>& values) {
  std::string s;
  for (double v : values) {
    if (!s.empty()) s += '/';
    s += std::to_string(static_cast<int>(v + 0.5));
  }
  return s.empty() ? "-" : s;
}

namespace m = lullwood::measure;

// The figures a texture is compared by, in one order: depth, skew, the seven modulation
// octaves (dB), the three correlations.
std::vector<double> TextureFigures(const m::Texture& t) {
  std::vector<double> v = {t.meanDepth, t.meanSkew};
  v.insert(v.end(), t.meanModulationDb.begin(), t.meanModulationDb.end());
  v.insert(v.end(), {t.correlationNear, t.correlationOctave, t.correlationFar});
  return v;
}

void PrintTextureHeader() {
  std::printf("%-28s %5s %6s %6s", "file (piece)", "bands", "depth", "skew");
  for (int o = 0; o < m::kModulationOctaves; ++o)
    std::printf(" %5s",
                (std::to_string(static_cast<int>(m::ModulationOctaveHz(o) * 2)) + "Hz").c_str());
  std::printf(" %6s %6s %6s\n", "r1/4", "r1", "r2");
}

void PrintTextureLine(const std::string& label, int bands, const std::vector<double>& v) {
  std::printf("%-28s %5d %6.3f %6.2f", label.substr(0, 28).c_str(), bands, v[0], v[1]);
  for (int o = 0; o < m::kModulationOctaves; ++o) std::printf(" %5.1f", v[2 + o]);
  std::printf(" %6.3f %6.3f %6.3f\n", v[9], v[10], v[11]);
}

void PrintTextureBands(const m::Texture& t) {
  std::printf("  %7s %7s %6s %6s  modulation dB by octave from 0.5 Hz\n", "Hz", "level", "depth",
              "skew");
  for (int b = 0; b < m::kTextureBands; ++b) {
    if (!t.active[b]) continue;
    std::printf("  %7.0f %7.1f %6.3f %6.2f ", t.centreHz[b], t.levelDb[b], t.depth[b], t.skew[b]);
    for (double d : t.modulationDb[b]) std::printf(" %5.1f", d);
    std::printf("\n");
  }
}

// The texture figures of every wave: the first whole, the others in pieces.
void PrintTextures(const std::vector<Wave>& waves, bool loop, bool bands) {
  PrintTextureHeader();
  for (size_t i = 0; i < waves.size(); ++i) {
    const Wave& w = waves[i];
    const std::string base = w.name.substr(w.name.find_last_of('/') + 1);
    const std::vector<m::Texture> pieces = i == 0
                                               ? m::MeasureTexture(w.samples, w.rate, loop)
                                               : m::MeasureTexture(w.samples, w.rate, false, 10.0);
    if (pieces.empty()) {
      std::printf("%-28s too short to measure\n", base.substr(0, 28).c_str());
      continue;
    }
    std::vector<double> least = TextureFigures(pieces[0]), most = least;
    for (size_t p = 0; p < pieces.size(); ++p) {
      const std::vector<double> v = TextureFigures(pieces[p]);
      PrintTextureLine(pieces.size() == 1 ? base : base + " (" + std::to_string(p + 1) + ")",
                       pieces[p].activeBands, v);
      for (size_t k = 0; k < v.size(); ++k) {
        least[k] = std::min(least[k], v[k]);
        most[k] = std::max(most[k], v[k]);
      }
      if (bands) PrintTextureBands(pieces[p]);
    }
    if (pieces.size() > 1) {
      PrintTextureLine("  least", 0, least);
      PrintTextureLine("  most", 0, most);
    }
    // The least and the most of each figure, as the texture test's table takes them.
    std::printf("  table: {");
    for (size_t k = 0; k < least.size(); ++k)
      std::printf("%s{%.3g, %.3g}", k ? ", " : "", least[k], most[k]);
    std::printf("}\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool loop = false, texture = false, bands = false;
  int first = 1;
  for (; first < argc; ++first) {
    const std::string flag = argv[first];
    if (flag == "--loop")
      loop = true;
    else if (flag == "--texture")
      texture = true;
    else if (flag == "--bands")
      bands = true;
    else
      break;
  }
  if (argc <= first || (bands && !texture)) {
    std::fprintf(stderr, "usage: %s [--loop] [--texture [--bands]] OURS.wav [REFERENCE.wav ...]\n",
                 argv[0]);
    return 2;
  }
  std::vector<Wave> waves;
  for (int i = first; i < argc; ++i) {
    Wave w;
    w.name = argv[i];
    std::string error;
    if (!Read(argv[i], w, error)) {
      std::fprintf(stderr, "%s: %s\n", argv[i], error.c_str());
      return 1;
    }
    waves.push_back(std::move(w));
  }
  if (texture) {
    PrintTextures(waves, loop, bands);
    return 0;
  }
  std::vector<lullwood::measure::Figures> figures;
  for (const Wave& w : waves) figures.push_back(lullwood::measure::Measure(w.samples, w.rate));

  // One line: the label, then `value` of each file's item.
  auto rowOf = [](const char* label, const auto& items, auto value) {
    std::printf("%-22s", label);
    for (const auto& item : items) std::printf(" %24s", value(item).c_str());
    std::printf("\n");
  };
  auto row = [&](const char* label, auto value) { rowOf(label, figures, value); };
  auto num = [](double v, const char* fmt) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return std::string(buf);
  };
  std::printf("%-22s", "file");
  for (const Wave& w : waves) {
    const std::string base = w.name.substr(w.name.find_last_of('/') + 1);
    std::printf(" %24s", base.substr(0, 24).c_str());
  }
  std::printf("\n");
  using F = lullwood::measure::Figures;
  row("seconds", [&](const F& f) { return num(f.seconds, "%.3f"); });
  row("calls", [&](const F& f) { return num(f.calls, "%.0f"); });
  row("call length s", [&](const F& f) { return num(f.callSeconds, "%.3f"); });
  row("longest call s", [&](const F& f) { return num(f.longestCall, "%.3f"); });
  row("call rate /s", [&](const F& f) { return num(f.callRate, "%.2f"); });
  row("active span s", [&](const F& f) { return num(f.activeSeconds, "%.3f"); });
  row("voiced fraction", [&](const F& f) { return num(f.voicedFraction, "%.2f"); });
  row("pitch p10 Hz", [&](const F& f) { return num(f.pitchLow, "%.0f"); });
  row("pitch median Hz", [&](const F& f) { return num(f.pitchMedian, "%.0f"); });
  row("pitch p90 Hz", [&](const F& f) { return num(f.pitchHigh, "%.0f"); });
  row("contour Hz", [&](const F& f) { return Joined(f.contour); });
  row("HNR dB", [&](const F& f) { return num(f.hnrDb, "%.1f"); });
  row("centroid Hz", [&](const F& f) { return num(f.centroidHz, "%.0f"); });
  row("flatness dB", [&](const F& f) { return num(f.flatnessDb, "%.1f"); });
  row("band 10-90% Hz",
      [&](const F& f) { return num(f.band10Hz, "%.0f") + "-" + num(f.band90Hz, "%.0f"); });
  row("spectral peaks Hz", [&](const F& f) { return Joined(f.peaksHz); });
  std::vector<lullwood::measure::HighBand> high;
  for (const Wave& w : waves) high.push_back(lullwood::measure::MeasureHighBand(w.samples, w.rate));
  using H = lullwood::measure::HighBand;
  rowOf("above 5.5 kHz %", high, [&](const H& h) { return num(100.0 * h.above5k5, "%.1f"); });
  rowOf("above 11 kHz %", high, [&](const H& h) {
    return h.above11k < 0.0 ? std::string("-") : num(100.0 * h.above11k, "%.1f");
  });
  rowOf("slope 5.5-16k dB/oct", high, [&](const H& h) {
    return h.slopeMeasured ? num(h.slopeDbPerOctave, "%.1f") : std::string("-");
  });
  rowOf("needles /s", waves,
        [&](const Wave& w) { return num(m::NeedlesPerSecond(w.samples, w.rate), "%.2f"); });
  std::vector<m::Repetition> repetition;
  for (const Wave& w : waves) repetition.push_back(m::MeasureRepetition(w.samples, w.rate, loop));
  rowOf("events compared", repetition,
        [&](const m::Repetition& r) { return num(r.events, "%.0f"); });
  rowOf("alike: wave/spectr.", repetition, [&](const m::Repetition& r) {
    return num(r.waveform, "%.2f") + "/" + num(r.spectrogram, "%.2f");
  });
  rowOf("even run (spacing s)", repetition, [&](const m::Repetition& r) {
    return num(r.longestEvenRun, "%.0f") + " (" + num(r.evenSpacing, "%.3f") + ")";
  });
  rowOf("ruled line s @ Hz", waves, [&](const Wave& w) {
    const m::RuledLine l = m::LongestRuledLine(w.samples, w.rate);
    return num(l.seconds, "%.2f") + " @ " + num(l.hz, "%.0f");
  });
  rowOf("steepest on/off ms", waves, [&](const Wave& w) {
    const m::Gates g = m::MeasureGates(w.samples, w.rate);
    return num(g.riseMs, "%.1f") + "/" + num(g.fallMs, "%.1f");
  });
  if (waves.size() > 1) {
    std::printf("%-22s %24s", "bands <5k vs 1st dB", "-");
    for (size_t i = 1; i < waves.size(); ++i) {
      // An 8-bit first wave's bands in its own dither floor are left out.
      const double floor =
          waves[0].bits == 8 ? lullwood::measure::EightBitFloorPerHz(waves[0].rate) : 0.0;
      const std::vector<double> d = lullwood::measure::BandDifferencesDb(
          waves[0].samples, waves[0].rate, waves[i].samples, waves[i].rate, floor);
      double mean = 0.0, worst = 0.0;
      for (double v : d) {
        mean += v / static_cast<double>(d.size());
        if (std::fabs(v) > std::fabs(worst)) worst = v;
      }
      std::printf(" %24s",
                  d.empty() ? "-" : (num(mean, "%+.1f") + "/" + num(worst, "%+.1f")).c_str());
    }
    std::printf("\n");
    std::printf("%-22s", "colour corr. with 1st");
    for (const Wave& w : waves)
      std::printf(" %24.3f", lullwood::measure::SpectralCorrelation(waves[0].samples, waves[0].rate,
                                                                    w.samples, w.rate));
    std::printf("\n");
  }
  return 0;
}
