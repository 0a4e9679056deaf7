#include "Generator.h"

#include <cmath>

#include "FlacWriter.h"
#include "SoundCatalogue.h"
#include "WaveWriter.h"
#include "kit/Math.h"
#include "kit/Random.h"
#include "kit/Resample.h"
#include "kit/TruePeak.h"

namespace lullwood::synth {
namespace {

// No sound alone at full volume may reach the mixer's limiter (-1 dBFS): its true peak,
// as the mixer's resampling reconstructs it, is held at -1.8 dBFS, which leaves room for
// the 8-bit dither and for the mixer's filters to reconstruct a little differently and
// still keeps every sound at or under -1.5 dBFS. The mixer reads an 8-bit sample b as
// (b - 128) / 128, and the generator writes x * 127 + 128.
constexpr double kTruePeakDbfs = -1.8;
constexpr double kTruePeakWindowSeconds = 0.005;

RecipeFunction FindRecipe(std::span<const NamedRecipe> table, std::string_view name, int& matches) {
  RecipeFunction found = nullptr;
  for (const NamedRecipe& r : table) {
    if (r.resourceName == name) {
      ++matches;
      found = r.recipe;
    }
  }
  return found;
}

void AddJob(std::vector<SoundJob>& jobs, std::vector<std::string>& problems,
            std::span<const NamedRecipe> table, std::string_view name, std::string_view label,
            const SoundFormat& format, uint32_t dataBytes, bool loops) {
  int matches = 0;
  const RecipeFunction recipe = FindRecipe(table, name, matches);
  if (matches != 1) {
    problems.push_back(std::string(name) + (matches == 0 ? ": no recipe" : ": several recipes"));
    return;
  }
  if (format.bitsPerSample != 8 || format.channels == 0 || dataBytes % format.channels != 0) {
    problems.push_back(std::string(name) + ": unsupported format");
    return;
  }
  const SoundSpec spec{name, format.samplesPerSecond, format.channels, dataBytes / format.channels,
                       loops};
  jobs.push_back({spec, label, dataBytes, recipe});
}

}  // namespace

std::vector<SoundJob> CollectJobs(std::vector<std::string>& problems) {
  std::vector<SoundJob> jobs;
  for (const BackgroundSound& b : SoundCatalogue::Backgrounds())
    AddJob(jobs, problems, BackgroundRecipes(), b.resourceName, b.label, b.format, b.dataBytes,
           true);
  for (const RandomEffect& e : SoundCatalogue::Effects())
    AddJob(jobs, problems, EffectRecipes(), e.resourceName, e.label, e.format, e.dataBytes, false);
  return jobs;
}

namespace {

// Runs the recipe for `spec`: nothing, and `error` filled, when it makes the wrong length
// or a non-finite sample.
std::optional<std::vector<float>> RunRecipe(const SoundJob& job, const SoundSpec& spec,
                                            std::string& error) {
  std::vector<float> signal;
  job.recipe(spec, signal);
  const size_t expected = static_cast<size_t>(spec.frames) * spec.channels;
  if (signal.size() != expected) {
    error = std::string(spec.resourceName) + ": recipe made " + std::to_string(signal.size()) +
            " samples, expected " + std::to_string(expected);
    return std::nullopt;
  }
  for (float v : signal) {
    if (!std::isfinite(v)) {
      error = std::string(spec.resourceName) + ": recipe made a non-finite sample";
      return std::nullopt;
    }
  }
  return signal;
}

}  // namespace

SoundSpec FullBandSpec(const SoundSpec& original) {
  SoundSpec full = original;
  full.sampleRate = kFullBandRate;
  full.frames = original.frames * (kFullBandRate / original.sampleRate);
  full.originalRate = original.sampleRate;
  return full;
}

std::optional<Renditions> RenderRenditions(const SoundJob& job, std::string& error,
                                           bool encodeFlac) {
  const SoundSpec& spec = job.spec;
  if (spec.sampleRate == 0 || kFullBandRate % spec.sampleRate != 0) {
    error = std::string(spec.resourceName) + ": its rate does not divide the full band's";
    return std::nullopt;
  }
  const SoundSpec full = FullBandSpec(spec);
  std::optional<std::vector<float>> signal = RunRecipe(job, full, error);
  if (!signal) return std::nullopt;
  HoldTruePeak(*signal, full.channels, full.sampleRate, DbToGain(kTruePeakDbfs) * 32768.0 / 32767.0,
               kTruePeakWindowSeconds, full.loops);

  Renditions out;
  QuantiseReport report;
  const std::vector<uint8_t> wide =
      QuantiseTo16Bit(*signal, SeedFromName(full.resourceName, 0x16B1), &report);
  out.clamped += report.clamped;
  if (encodeFlac) {
    std::optional<std::vector<uint8_t>> encoded = EncodeFlac16(
        wide, full.sampleRate, static_cast<uint16_t>(full.channels), full.resourceName, error);
    if (!encoded) {
      error = std::string(full.resourceName) + ": " + error;
      return std::nullopt;
    }
    out.flac = std::move(*encoded);
  }
  out.fullBand = BuildWaveImage(full.sampleRate, static_cast<uint16_t>(full.channels), 16, wide,
                                job.label, "Lullwood");

  // The catalogue's wave: the same signal in its band and at its rate. Taking the band
  // away rarely raises a peak, so its own ceiling seldom has anything to hold.
  std::vector<float> narrow =
      InOriginalBand(*signal, spec.channels, full.sampleRate, spec.sampleRate, spec.loops);
  HoldTruePeak(narrow, spec.channels, spec.sampleRate, DbToGain(kTruePeakDbfs) * 128.0 / 127.0,
               kTruePeakWindowSeconds, spec.loops);
  QuantiseReport narrowReport;
  const std::vector<uint8_t> bytes =
      QuantiseTo8Bit(narrow, SeedFromName(spec.resourceName, 0xD17E), &narrowReport);
  out.clamped += narrowReport.clamped;
  out.original = BuildWaveImage(spec.sampleRate, static_cast<uint16_t>(spec.channels), 8, bytes,
                                job.label, "Lullwood");
  return out;
}

std::optional<std::vector<uint8_t>> RenderImage(const SoundJob& job, std::string& error,
                                                uint32_t* clamped) {
  std::optional<Renditions> both = RenderRenditions(job, error, false);
  if (!both) return std::nullopt;
  if (clamped) *clamped = both->clamped;
  return std::move(both->original);
}

}  // namespace lullwood::synth
