// Reading 8-bit and 16-bit wave images and measuring them, independently of the
// generator's code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lullwood::test {

struct ParsedWave {
  uint32_t riffSize = 0;
  uint16_t formatTag = 0, channels = 0, blockAlign = 0, bitsPerSample = 0;
  uint32_t sampleRate = 0, byteRate = 0;
  std::vector<uint8_t> data;
  std::string name, software;       // INAM and ISFT, without their terminating NUL
  std::vector<std::string> chunks;  // top-level chunk ids in file order
};

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path);

// Walks the RIFF image strictly: "RIFF" size must equal length - 8, chunks must be
// word-aligned and end exactly at the end of the image. Returns nothing and sets `error`
// on any violation.
std::optional<ParsedWave> ParseWave(const std::vector<uint8_t>& image, std::string& error);
// The wave file at `path`, read and parsed; nothing, with the reason in `error`, when it
// cannot be read or is not a well-formed wave.
std::optional<ParsedWave> ReadWave(const std::string& path, std::string& error);

// One channel of interleaved data as -1..1: 8-bit (128 = 0, 128 steps = full scale) or
// 16-bit signed (32768 steps = full scale).
std::vector<double> Channel(const ParsedWave& wave, int channel);
// All channels mixed down to one, as floats.
std::vector<float> Mono(const ParsedWave& wave);

double RmsDb(const std::vector<double>& x);
// RMS (dB) after a 2nd-order Butterworth high-pass at 100 Hz; a loop is filtered twice
// round so the filter starts in its steady state.
double RmsAbove100HzDb(const std::vector<double>& x, double sampleRate, bool loop);
// RMS (dB) of `frames` samples starting at `start`, reading round the end of a loop.
double WindowRmsDb(const std::vector<double>& x, int64_t start, int64_t frames);
// Highest and lowest RMS (dB) over windows of `frames`, hopped by half a window.
struct WindowRange {
  double lowestDb, highestDb;
};
WindowRange WindowRmsRange(const std::vector<double>& x, int64_t frames);
// RMS (dB) of consecutive, non-overlapping windows of `frames` (a partial last one dropped).
std::vector<double> WindowLevelsDb(const std::vector<double>& x, int64_t frames);
// The 10th, 25th, 75th and 90th percentiles of those levels, relative to their median.
std::vector<double> LevelQuantilesDb(const std::vector<double>& x, int64_t frames);
// The same signal high-passed (2nd order) at `hz`, filtered round the loop.
std::vector<double> HighPassed(const std::vector<double>& x, double sampleRate, double hz);

// Second difference across the wrap over its RMS inside the loop.
double SeamRatio(const std::vector<double>& x);
// The `quantile` (0..1) of |x[n] - x[n-1]| inside the loop.
double StepQuantile(const std::vector<double>& x, double quantile);

// Relative energy (dB, mean removed) in third-octave bands from 63 Hz to 5 kHz, from an
// averaged Hann-windowed power spectrum.
std::vector<double> BandProfileDb(const std::vector<double>& x, double sampleRate);

}  // namespace lullwood::test
