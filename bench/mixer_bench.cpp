// The cost of mixing a busy soundscape: 3 looping backgrounds and 8 one-shot effects
// at 11025/22050 Hz into 48000 Hz stereo, rendered in callback-sized blocks; and the
// parts of it apart: a quiet bed of backgrounds at their own rate (the buses, the
// limiter idle), effects all at changed pitches (the per-voice interpolator), and a sum
// the limiter must hold down. The busy soundscape once more in the full band: every sound
// at 44100 Hz, into a 48000 Hz output (through the full-band bus) and a 44100 Hz one
// (summed as it is).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "Mixer.h"

namespace lullwood {
namespace {

constexpr int kOutputRate = 48000;
constexpr size_t kBlockFrames = 1024;

struct DecodedSound {
  std::vector<float> samples;
  uint32_t frames;
  uint32_t channels;
  uint32_t rate;
};

// Deterministic noise with a tone in it, like the program's 8-bit sounds.
DecodedSound MakeSound(uint32_t rate, double seconds, uint32_t channels, uint32_t seed) {
  DecodedSound sound{{}, static_cast<uint32_t>(rate * seconds), channels, rate};
  sound.samples.resize(size_t{sound.frames} * channels);
  uint32_t state = seed;
  for (size_t i = 0; i < sound.samples.size(); ++i) {
    state = state * 214013u + 2531011u;
    const float noise = static_cast<float>((state >> 16) & 0x7FFF) / 32768.0f - 0.5f;
    const auto byte = std::lround(128 + 60 * std::sin(i * 0.05) + 60 * noise);
    sound.samples[i] = (byte - 128) / 128.0f;
  }
  return sound;
}

// The sounds' rates: the catalogue's, or all at 44100 Hz for the full band.
enum class Band { kOriginal, kFull };

class BusySoundscape {
 public:
  explicit BusySoundscape(Band band = Band::kOriginal, int outputRate = kOutputRate)
      : mixer_(outputRate) {
    const auto rate = [band](uint32_t original) { return band == Band::kFull ? 44100 : original; };
    sounds_.push_back(MakeSound(rate(22050), 12, 1, 1));
    sounds_.push_back(MakeSound(rate(11025), 9, 1, 2));
    sounds_.push_back(MakeSound(rate(22050), 6, 2, 3));  // the stereo background
    for (uint32_t i = 0; i < 8; ++i) {
      sounds_.push_back(MakeSound(rate(i % 2 ? 22050 : 11025), 1.5 + 0.5 * i, 1, 10 + i));
    }
    for (size_t i = 0; i < sounds_.size(); ++i) {
      const DecodedSound& s = sounds_[i];
      const auto voice = mixer_.AddVoice({s.samples.data(), s.frames, s.channels}, s.rate);
      const int32_t pan = (i % 3 == 0) ? 0 : (i % 3 == 1 ? -10000 : 10000);
      mixer_.SetGain(voice, VolumePanToGains(-static_cast<int32_t>(i) * 150, pan));
      // Dynamic Random pitch: some effects play raised, by the same ratio to the wave's
      // rate in either band, up to 2043 Hz on an 11025 Hz wave (Dynamic Random raises by
      // at most 2047 Hz).
      if (i >= 3 && i % 2) {
        const uint32_t original = 11025;
        mixer_.SetRate(voice, static_cast<uint32_t>(uint64_t{original + uint32_t(i) * 227} *
                                                    s.rate / original));
      }
      mixer_.Play(voice, i < 3);
      voices_.push_back(voice);
    }
  }

  // One callback's worth, then the ended effects fire again, as the scheduler would.
  void RenderBlock(float* out) {
    mixer_.Render(out, kBlockFrames);
    for (size_t i = 3; i < voices_.size(); ++i) {
      if (!mixer_.IsPlaying(voices_[i])) mixer_.Play(voices_[i], false);
    }
  }

  int voiceCount() const { return static_cast<int>(voices_.size()); }

 private:
  Mixer mixer_;
  std::vector<DecodedSound> sounds_;
  std::vector<Mixer::VoiceId> voices_;
};

// Renders busy blocks for as long as the benchmark asks and reports the cost per
// voice-frame (printed with an n for nanoseconds) and the seconds of sound per second of
// work.
void MeasureBusy(benchmark::State& state, BusySoundscape& scape, int outputRate) {
  std::vector<float> out(2 * kBlockFrames);
  for (auto _ : state) {
    scape.RenderBlock(out.data());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  using benchmark::Counter;
  state.counters["per_voice_frame"] =
      Counter(double(kBlockFrames) * scape.voiceCount(),
              Counter::kIsIterationInvariantRate | Counter::kInvert);
  state.counters["x_realtime"] =
      Counter(double(kBlockFrames) / outputRate, Counter::kIsIterationInvariantRate);
}

void BM_BusySoundscape(benchmark::State& state) {
  BusySoundscape scape;
  MeasureBusy(state, scape, kOutputRate);
}
BENCHMARK(BM_BusySoundscape);

// The same in the full band; the argument is the output's rate.
void BM_BusySoundscapeFullBand(benchmark::State& state) {
  const int outputRate = static_cast<int>(state.range(0));
  BusySoundscape scape(Band::kFull, outputRate);
  MeasureBusy(state, scape, outputRate);
}
BENCHMARK(BM_BusySoundscapeFullBand)->Arg(48000)->Arg(44100);

void BM_BusySoundscapeOneHour(benchmark::State& state) {
  BusySoundscape scape;
  std::vector<float> out(2 * kBlockFrames);
  const size_t blocks = size_t{3600} * kOutputRate / kBlockFrames;
  for (auto _ : state) {
    for (size_t b = 0; b < blocks; ++b) scape.RenderBlock(out.data());
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_BusySoundscapeOneHour)->Iterations(1)->Unit(benchmark::kSecond);

// `count` voices of the sounds below, looping, at `volume` and their rate plus `raise`.
void RenderVoices(benchmark::State& state, const std::vector<DecodedSound>& sounds, int32_t volume,
                  uint32_t raise) {
  Mixer mixer(kOutputRate);
  for (size_t i = 0; i < sounds.size(); ++i) {
    const DecodedSound& s = sounds[i];
    const auto voice = mixer.AddVoice({s.samples.data(), s.frames, s.channels}, s.rate);
    mixer.SetGain(voice, VolumePanToGains(volume, i % 2 ? -3000 : 3000));
    if (raise != 0) mixer.SetRate(voice, s.rate + raise + 97 * static_cast<uint32_t>(i));
    mixer.Play(voice, true);
  }
  std::vector<float> out(2 * kBlockFrames);
  for (auto _ : state) {
    mixer.Render(out.data(), kBlockFrames);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.counters["x_realtime"] = benchmark::Counter(double(kBlockFrames) / kOutputRate,
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

void BM_QuietBackgrounds(benchmark::State& state) {
  RenderVoices(state,
               {MakeSound(11025, 9, 1, 2), MakeSound(11025, 7, 1, 4), MakeSound(11025, 5, 1, 5)},
               -2000, 0);
}
BENCHMARK(BM_QuietBackgrounds);

void BM_PitchedEffects(benchmark::State& state) {
  std::vector<DecodedSound> sounds;
  for (uint32_t i = 0; i < 8; ++i) sounds.push_back(MakeSound(11025, 1.5 + 0.5 * i, 1, 10 + i));
  RenderVoices(state, sounds, -1500, 1200);
}
BENCHMARK(BM_PitchedEffects);

void BM_LimitedSum(benchmark::State& state) {
  std::vector<DecodedSound> sounds;
  for (uint32_t i = 0; i < 6; ++i) sounds.push_back(MakeSound(11025, 3 + i, 1, 30 + i));
  RenderVoices(state, sounds, 0, 0);
}
BENCHMARK(BM_LimitedSum);

}  // namespace
}  // namespace lullwood

BENCHMARK_MAIN();
