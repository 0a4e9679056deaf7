// The software mixer: a fixed array of voices, each reading one sound's samples,
// rendered into interleaved float stereo at the output rate. One Render serves the
// live output and offline rendering alike.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "OutputStage.h"

namespace lullwood {

// Linear gain of an attenuation in hundredths of a decibel: 10^(v/2000); exactly 0 at
// or below -10000, and never above 1. Any thread.
float AttenuationToGain(int32_t hundredthsDb);

struct StereoGain {
  float left;
  float right;
};

// Channel gains of a buffer at `volume` and `pan`: left attenuation = volume -
// max(pan, 0), right attenuation = volume + min(pan, 0). Any thread.
StereoGain VolumePanToGains(int32_t volume, int32_t pan);

// One sound's samples as floats in -1..1, frames left then right when stereo. Owned by
// the caller, who frees them only after RemoveVoice has returned.
struct VoiceSource {
  const float* samples;
  uint32_t frames;
  uint32_t channels;  // 1 or 2
};

class Mixer : public std::enable_shared_from_this<Mixer> {
 public:
  // Room for every buffer the program holds at once (3 backgrounds, 31 effects and a
  // preview) with some to spare.
  static constexpr int kVoiceCount = 64;
  // Render holds the lock for at most this many frames at a time.
  static constexpr size_t kBlockFrames = 1024;

  using VoiceId = int;
  static constexpr VoiceId kNoVoice = -1;

  // `outputRate` in frames per second; 0 or less means 48000.
  explicit Mixer(int outputRate);
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // Any thread.
  int outputRate() const { return outputRate_; }

  // Control side: one thread at a time (the UI thread). Each takes the lock only for a
  // constant-time change of one voice.

  // Takes a free voice for `source`, stopped at position 0, full gain, playing at
  // `rateHz`. kNoVoice when every voice is taken.
  VoiceId AddVoice(const VoiceSource& source, uint32_t rateHz);
  // Frees the voice. On return Render no longer reads its source.
  void RemoveVoice(VoiceId voice);
  // Starts from the current position; a playing voice goes on, only `looping` changes.
  void Play(VoiceId voice, bool looping);
  // Stops and keeps the position.
  void Stop(VoiceId voice);
  void SetGain(VoiceId voice, StereoGain gain);
  void SetRate(VoiceId voice, uint32_t rateHz);
  bool IsPlaying(VoiceId voice) const;
  // Playback position in source frames (fraction dropped).
  uint32_t PositionFrames(VoiceId voice) const;
  int ActiveVoices() const;

  // Output side: the audio callback or the offline caller, never two at once. Writes
  // `frames` frames of left/right floats, every playing voice summed and the sum
  // limited to -1..1. A one-shot voice that passes its end stops and rewinds to 0; a
  // looping one continues from frame 0 with no gap.
  void Render(float* interleavedStereo, size_t frames);

  // The gains over the whole output, applied at the end of every Render block.
  OutputStage& outputStage() { return outputStage_; }

 private:
  struct Voice {
    const float* samples = nullptr;
    uint32_t frames = 0;
    uint32_t channels = 1;
    uint64_t position = 0;  // source frames, 32.32 fixed point
    uint64_t step = 0;      // source frames per output frame, 32.32 fixed point
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    bool inUse = false;
    bool playing = false;
    bool looping = false;
  };

  uint64_t StepFor(uint32_t rateHz) const;
  static void MixVoice(Voice& voice, float* out, size_t frames);

  // Set once at construction.
  const int outputRate_;

  // Shared: written by the control side and advanced by the output side, both only
  // while holding lock_.
  mutable std::mutex lock_;
  std::array<Voice, kVoiceCount> voices_;

  OutputStage outputStage_;
};

}  // namespace lullwood
