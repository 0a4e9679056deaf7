#include "WaveWriter.h"

#include <cmath>

#include "kit/Random.h"

namespace lullwood::synth {
namespace {

void PutTag(std::vector<uint8_t>& out, std::string_view tag) {
  out.insert(out.end(), tag.begin(), tag.end());
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

// An INFO sub-chunk holding `text` and its terminating NUL, padded to an even size.
void PutInfoText(std::vector<uint8_t>& out, std::string_view id, std::string_view text) {
  PutTag(out, id);
  PutU32(out, static_cast<uint32_t>(text.size() + 1));
  PutTag(out, text);
  out.push_back(0);
  if ((text.size() + 1) % 2 != 0) out.push_back(0);
}

}  // namespace

std::vector<uint8_t> QuantiseTo8Bit(std::span<const float> signal, uint64_t seed,
                                    QuantiseReport* report) {
  // A sample is part of the sound when some sample within kReach of it rises above
  // kSilence (about -98 dBFS); elsewhere the output is exact silence, undithered.
  constexpr double kSilence = 1e-5;
  constexpr size_t kReach = 32;
  const size_t n = signal.size();
  std::vector<bool> sounding(n, false);
  size_t sinceActive = kReach + 1;
  for (size_t i = 0; i < n; ++i) {
    sinceActive = std::fabs(signal[i]) > kSilence ? 0 : sinceActive + 1;
    sounding[i] = sinceActive <= kReach;
  }
  sinceActive = kReach + 1;
  for (size_t i = n; i-- > 0;) {
    sinceActive = std::fabs(signal[i]) > kSilence ? 0 : sinceActive + 1;
    if (sinceActive <= kReach) sounding[i] = true;
  }

  Rng rng(seed);
  std::vector<uint8_t> out(n);
  uint32_t clamped = 0;
  for (size_t i = 0; i < n; ++i) {
    const double x = signal[i];
    // Both dither draws happen for every sample, so silence does not shift the dither of
    // what follows it.
    const double d = rng.Uniform() - rng.Uniform();
    if (!sounding[i]) {
      out[i] = 128;
      continue;
    }
    double q = std::floor(x * 127.0 + 128.0 + d + 0.5);
    if (q < 0.0 || q > 255.0 || std::isnan(q)) {
      ++clamped;
      q = std::isnan(q) ? 128.0 : (q < 0.0 ? 0.0 : 255.0);
    }
    out[i] = static_cast<uint8_t>(q);
  }
  if (report) report->clamped = clamped;
  return out;
}

std::vector<uint8_t> BuildWaveImage(uint32_t sampleRate, uint16_t channels,
                                    std::span<const uint8_t> data, std::string_view label,
                                    std::string_view software) {
  std::vector<uint8_t> info;
  PutTag(info, "INFO");
  PutInfoText(info, "INAM", label);
  PutInfoText(info, "ISFT", software);

  std::vector<uint8_t> out;
  out.reserve(data.size() + info.size() + 64);
  PutTag(out, "RIFF");
  PutU32(out, 0);  // patched below
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, channels);
  PutU32(out, sampleRate);
  PutU32(out, sampleRate * channels);  // bytes per second at 8 bits
  PutU16(out, channels);               // block align
  PutU16(out, 8);
  PutTag(out, "data");
  PutU32(out, static_cast<uint32_t>(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  if (data.size() % 2 != 0) out.push_back(0);
  PutTag(out, "LIST");
  PutU32(out, static_cast<uint32_t>(info.size()));
  out.insert(out.end(), info.begin(), info.end());

  const uint32_t riffSize = static_cast<uint32_t>(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
  return out;
}

}  // namespace lullwood::synth
