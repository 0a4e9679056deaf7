#include "Mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lullwood {
namespace {

constexpr int32_t kSilence = -10000;
// The fraction of a 32.32 position, from its top 24 bits: exact in a float, and the
// same in the scalar and vector paths, so block boundaries never change the output.
constexpr float kFractionScale = 1.0f / 16777216.0f;  // 2^-24

inline float Fraction(uint64_t position) {
  return static_cast<float>(static_cast<int32_t>(static_cast<uint32_t>(position) >> 8)) *
         kFractionScale;
}

// Adds one output frame of a voice at `position`, interpolating toward `next`.
template <uint32_t Channels>
inline void MixFrame(const float* here, const float* next, uint64_t position, float gainLeft,
                     float gainRight, float* out) {
  const float f = Fraction(position);
  const float left = here[0] + f * (next[0] - here[0]);
  const float right = Channels == 1 ? left : here[1] + f * (next[1] - here[1]);
  out[0] += left * gainLeft;
  out[1] += right * gainRight;
}

// Adds `count` output frames of one voice at `position`, all of whose interpolation
// points lie inside the samples. Returns the position after them.
template <uint32_t Channels>
uint64_t MixInside(const float* samples, uint64_t position, uint64_t step, float gainLeft,
                   float gainRight, float* out, size_t count) {
  size_t k = 0;
#if defined(__SSE2__)
  // Four frames at a time. Each frame's two interpolation points are adjacent in memory
  // and come in with one load; the fractions advance in integer lanes.
  const __m128 scale = _mm_set1_ps(kFractionScale);
  const auto low = [](uint64_t p) { return static_cast<int32_t>(static_cast<uint32_t>(p)); };
  __m128i fractions = _mm_setr_epi32(low(position), low(position + step), low(position + 2 * step),
                                     low(position + 3 * step));
  const __m128i fractionStep = _mm_set1_epi32(low(4 * step));
  if constexpr (Channels == 1) {
    const __m128 gains = _mm_setr_ps(gainLeft, gainRight, gainLeft, gainRight);
    for (; k + 4 <= count; k += 4) {
      const auto pair = [&](uint64_t p) {
        double both;  // two adjacent floats; memcpy keeps the load free of aliasing
        std::memcpy(&both, samples + static_cast<size_t>(p >> 32), sizeof both);
        return _mm_castpd_ps(_mm_set_sd(both));
      };
      const __m128 p01 = _mm_movelh_ps(pair(position), pair(position + step));
      const __m128 p23 = _mm_movelh_ps(pair(position + 2 * step), pair(position + 3 * step));
      position += 4 * step;
      const __m128 a = _mm_shuffle_ps(p01, p23, _MM_SHUFFLE(2, 0, 2, 0));
      const __m128 b = _mm_shuffle_ps(p01, p23, _MM_SHUFFLE(3, 1, 3, 1));
      const __m128 f = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(fractions, 8)), scale);
      fractions = _mm_add_epi32(fractions, fractionStep);
      const __m128 x = _mm_add_ps(a, _mm_mul_ps(f, _mm_sub_ps(b, a)));
      float* o = out + 2 * k;
      const __m128 x01 = _mm_unpacklo_ps(x, x);
      const __m128 x23 = _mm_unpackhi_ps(x, x);
      _mm_storeu_ps(o, _mm_add_ps(_mm_loadu_ps(o), _mm_mul_ps(x01, gains)));
      _mm_storeu_ps(o + 4, _mm_add_ps(_mm_loadu_ps(o + 4), _mm_mul_ps(x23, gains)));
    }
  } else {
    const __m128 gains = _mm_setr_ps(gainLeft, gainRight, gainLeft, gainRight);
    for (; k + 4 <= count; k += 4) {
      // left, right, next left, next right
      const auto frame = [&](uint64_t p) {
        return _mm_loadu_ps(samples + 2 * static_cast<size_t>(p >> 32));
      };
      const __m128 v0 = frame(position);
      const __m128 v1 = frame(position + step);
      const __m128 v2 = frame(position + 2 * step);
      const __m128 v3 = frame(position + 3 * step);
      position += 4 * step;
      const __m128 f = _mm_mul_ps(_mm_cvtepi32_ps(_mm_srli_epi32(fractions, 8)), scale);
      fractions = _mm_add_epi32(fractions, fractionStep);
      const __m128 f01 = _mm_unpacklo_ps(f, f);
      const __m128 f23 = _mm_unpackhi_ps(f, f);
      const __m128 a01 = _mm_movelh_ps(v0, v1);
      const __m128 b01 = _mm_movehl_ps(v1, v0);
      const __m128 a23 = _mm_movelh_ps(v2, v3);
      const __m128 b23 = _mm_movehl_ps(v3, v2);
      const __m128 x01 = _mm_add_ps(a01, _mm_mul_ps(f01, _mm_sub_ps(b01, a01)));
      const __m128 x23 = _mm_add_ps(a23, _mm_mul_ps(f23, _mm_sub_ps(b23, a23)));
      float* o = out + 2 * k;
      _mm_storeu_ps(o, _mm_add_ps(_mm_loadu_ps(o), _mm_mul_ps(x01, gains)));
      _mm_storeu_ps(o + 4, _mm_add_ps(_mm_loadu_ps(o + 4), _mm_mul_ps(x23, gains)));
    }
  }
#endif
  for (; k < count; ++k) {
    const float* here = samples + static_cast<size_t>(position >> 32) * Channels;
    MixFrame<Channels>(here, here + Channels, position, gainLeft, gainRight, out + 2 * k);
    position += step;
  }
  return position;
}

template <uint32_t Channels>
void MixVoiceFrames(const float* samples, uint32_t frameCount, uint64_t& position, uint64_t step,
                    float gainLeft, float gainRight, bool looping, bool& playing, float* out,
                    size_t frames) {
  const uint64_t endFixed = uint64_t{frameCount} << 32;
  const uint64_t lastFixed = uint64_t{frameCount - 1} << 32;
  size_t done = 0;
  while (done < frames) {
    if (position >= endFixed) {
      if (!looping) {
        playing = false;
        position = 0;
        return;
      }
      position %= endFixed;
    }
    if (position < lastFixed) {
      // Every frame before the last sample interpolates between two stored samples.
      const uint64_t inside = (lastFixed - position + step - 1) / step;
      const size_t count = static_cast<size_t>(std::min<uint64_t>(inside, frames - done));
      position =
          MixInside<Channels>(samples, position, step, gainLeft, gainRight, out + 2 * done, count);
      done += count;
    } else {
      // Between the last sample and the next: frame 0 when looping, silence otherwise.
      static constexpr float kSilentFrame[2] = {0.0f, 0.0f};
      const float* last = samples + size_t{frameCount - 1} * Channels;
      MixFrame<Channels>(last, looping ? samples : kSilentFrame, position, gainLeft, gainRight,
                         out + 2 * done);
      ++done;
      position += step;
    }
  }
  // A one-shot whose last frame was just rendered ends now, not a block later.
  if (!looping && position >= endFixed) {
    playing = false;
    position = 0;
  }
}

}  // namespace

float AttenuationToGain(int32_t hundredthsDb) {
  if (hundredthsDb <= kSilence) return 0.0f;
  if (hundredthsDb >= 0) return 1.0f;
  return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

StereoGain VolumePanToGains(int32_t volume, int32_t pan) {
  // 64-bit sums: no pair of int32 arguments can overflow.
  const int64_t left = int64_t{volume} - std::max(pan, 0);
  const int64_t right = int64_t{volume} + std::min(pan, 0);
  auto gain = [](int64_t attenuation) {
    return AttenuationToGain(static_cast<int32_t>(std::clamp<int64_t>(attenuation, kSilence, 0)));
  };
  return {gain(left), gain(right)};
}

Mixer::Mixer(int outputRate) : outputRate_(outputRate > 0 ? outputRate : 48000) {}

uint64_t Mixer::StepFor(uint32_t rateHz) const {
  const uint64_t rate = static_cast<uint64_t>(outputRate_);
  return ((uint64_t{rateHz} << 32) + rate / 2) / rate;
}

Mixer::VoiceId Mixer::AddVoice(const VoiceSource& source, uint32_t rateHz) {
  if (source.samples == nullptr || source.frames == 0 ||
      (source.channels != 1 && source.channels != 2) || rateHz == 0) {
    return kNoVoice;
  }
  const uint64_t step = StepFor(rateHz);
  std::lock_guard guard(lock_);
  for (int i = 0; i < kVoiceCount; ++i) {
    Voice& voice = voices_[i];
    if (voice.inUse) continue;
    voice = Voice{};
    voice.samples = source.samples;
    voice.frames = source.frames;
    voice.channels = source.channels;
    voice.step = step;
    voice.inUse = true;
    return i;
  }
  return kNoVoice;
}

void Mixer::RemoveVoice(VoiceId voice) {
  if (voice < 0 || voice >= kVoiceCount) return;
  std::lock_guard guard(lock_);
  voices_[voice] = Voice{};
}

void Mixer::Play(VoiceId voice, bool looping) {
  if (voice < 0 || voice >= kVoiceCount) return;
  std::lock_guard guard(lock_);
  Voice& v = voices_[voice];
  if (!v.inUse) return;
  v.looping = looping;
  v.playing = true;
}

void Mixer::Stop(VoiceId voice) {
  if (voice < 0 || voice >= kVoiceCount) return;
  std::lock_guard guard(lock_);
  voices_[voice].playing = false;
}

void Mixer::SetGain(VoiceId voice, StereoGain gain) {
  if (voice < 0 || voice >= kVoiceCount) return;
  std::lock_guard guard(lock_);
  voices_[voice].gainLeft = gain.left;
  voices_[voice].gainRight = gain.right;
}

void Mixer::SetRate(VoiceId voice, uint32_t rateHz) {
  if (voice < 0 || voice >= kVoiceCount || rateHz == 0) return;
  const uint64_t step = StepFor(rateHz);
  std::lock_guard guard(lock_);
  voices_[voice].step = step;
}

bool Mixer::IsPlaying(VoiceId voice) const {
  if (voice < 0 || voice >= kVoiceCount) return false;
  std::lock_guard guard(lock_);
  return voices_[voice].playing;
}

uint32_t Mixer::PositionFrames(VoiceId voice) const {
  if (voice < 0 || voice >= kVoiceCount) return 0;
  std::lock_guard guard(lock_);
  return static_cast<uint32_t>(voices_[voice].position >> 32);
}

int Mixer::ActiveVoices() const {
  std::lock_guard guard(lock_);
  return static_cast<int>(
      std::count_if(voices_.begin(), voices_.end(), [](const Voice& v) { return v.inUse; }));
}

void Mixer::MixVoice(Voice& v, float* out, size_t frames) {
  if (v.channels == 1) {
    MixVoiceFrames<1>(v.samples, v.frames, v.position, v.step, v.gainLeft, v.gainRight, v.looping,
                      v.playing, out, frames);
  } else {
    MixVoiceFrames<2>(v.samples, v.frames, v.position, v.step, v.gainLeft, v.gainRight, v.looping,
                      v.playing, out, frames);
  }
}

void Mixer::Render(float* interleavedStereo, size_t frames) {
  for (size_t start = 0; start < frames; start += kBlockFrames) {
    const size_t count = std::min(kBlockFrames, frames - start);
    float* out = interleavedStereo + 2 * start;
    std::fill(out, out + 2 * count, 0.0f);
    {
      std::lock_guard guard(lock_);
      for (Voice& voice : voices_) {
        if (voice.playing) MixVoice(voice, out, count);
      }
    }
    for (size_t i = 0; i < 2 * count; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
    outputStage_.Apply(out, count);
  }
}

}  // namespace lullwood
