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

// Which samples are part of the sound: those with some sample within kReach of them above
// about -98 dBFS. Elsewhere a quantiser writes exact silence, undithered.
std::vector<bool> Sounding(std::span<const float> signal) {
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
  return sounding;
}

// Rounds x * scale + offset with +-1 LSB triangular dither into lowest..highest; counts
// what had to be clamped.
template <class Put>
uint32_t Quantise(std::span<const float> signal, uint64_t seed, double scale, double offset,
                  double lowest, double highest, Put put) {
  const std::vector<bool> sounding = Sounding(signal);
  Rng rng(seed);
  uint32_t clamped = 0;
  for (size_t i = 0; i < signal.size(); ++i) {
    // Both dither draws happen for every sample, so silence does not shift the dither of
    // what follows it.
    const double d = rng.Uniform() - rng.Uniform();
    if (!sounding[i]) {
      put(i, offset);
      continue;
    }
    double q = std::floor(signal[i] * scale + offset + d + 0.5);
    if (q < lowest || q > highest || std::isnan(q)) {
      ++clamped;
      q = std::isnan(q) ? offset : (q < lowest ? lowest : highest);
    }
    put(i, q);
  }
  return clamped;
}

}  // namespace

std::vector<uint8_t> QuantiseTo8Bit(std::span<const float> signal, uint64_t seed,
                                    QuantiseReport* report) {
  std::vector<uint8_t> out(signal.size());
  const uint32_t clamped = Quantise(signal, seed, 127.0, 128.0, 0.0, 255.0,
                                    [&](size_t i, double q) { out[i] = static_cast<uint8_t>(q); });
  if (report) report->clamped = clamped;
  return out;
}

std::vector<uint8_t> QuantiseTo16Bit(std::span<const float> signal, uint64_t seed,
                                     QuantiseReport* report) {
  std::vector<uint8_t> out(2 * signal.size());
  const uint32_t clamped =
      Quantise(signal, seed, 32767.0, 0.0, -32768.0, 32767.0, [&](size_t i, double q) {
        const auto word = static_cast<uint16_t>(static_cast<int16_t>(q));
        out[2 * i] = static_cast<uint8_t>(word);
        out[2 * i + 1] = static_cast<uint8_t>(word >> 8);
      });
  if (report) report->clamped = clamped;
  return out;
}

std::vector<uint8_t> BuildWaveImage(uint32_t sampleRate, uint16_t channels, uint16_t bitsPerSample,
                                    std::span<const uint8_t> data, std::string_view label,
                                    std::string_view software) {
  const uint16_t blockAlign = static_cast<uint16_t>(channels * (bitsPerSample / 8));
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
  PutU32(out, sampleRate * blockAlign);  // bytes per second
  PutU16(out, blockAlign);
  PutU16(out, bitsPerSample);
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
