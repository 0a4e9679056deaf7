// The last stage of every render, after the voices are summed and limited: gains over the
// whole output that neither the master bars nor the Scenario know of: the output volume
// (the desktop's media controls), moving from the old gain to the new one across one
// block so that a change never clicks; and the sleep fade, an envelope counted in output
// frames so that it is the same on every output. The control side sets them from any
// thread; the output side applies them without allocating or locking.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace lullwood {

// Where the sleep fade's straight line in decibels ends; silence follows.
inline constexpr double kFadeFloorDb = -60.0;

class OutputStage {
 public:
  // Linear gain 0..1 (values outside are clamped); 1 at start. Any thread.
  void SetVolume(float gain);
  float volume() const { return volume_.load(std::memory_order_relaxed); }

  // The sleep fade: from the next block on, the gain falls linearly in decibels from
  // 0 dB at the fade's first frame towards kFadeFloorDb at frame `durationFrames`, and
  // is 0 from there on. A fade already running starts again from full. Any thread.
  void StartFade(uint64_t durationFrames);
  // Ends a fade, running or finished: full gain again from the next block. Any thread.
  void CancelFade();
  // True once every frame of a fade has been output (the output is silent since).
  bool fadeFinished() const { return fadeFinished_.load(std::memory_order_acquire); }
  bool fading() const { return fadeFrames_.load(std::memory_order_relaxed) != 0; }

  // The fade's gain at frame `position` of a fade of `durationFrames` frames.
  static double FadeGain(uint64_t position, uint64_t durationFrames);

  // Output side only: scales `frames` frames of left/right floats in place.
  void Apply(float* interleavedStereo, size_t frames);

 private:
  // Shared: written by the control side, read by the output side.
  std::atomic<float> volume_{1.0f};
  // Shared: the fade asked for (0: none) and a count of requests, so that the output
  // side sees a new fade even when it is as long as the last one.
  std::atomic<uint64_t> fadeFrames_{0};
  std::atomic<uint64_t> fadeRequest_{0};
  std::atomic<bool> fadeFinished_{false};
  // Output side only: the gain the last block ended on (below 0 before the first block,
  // which starts at the volume set so far instead of ramping to it), the fade request it
  // is following and the frames of that fade already output.
  float appliedVolume_ = -1.0f;
  uint64_t appliedRequest_ = 0;
  uint64_t fadeDuration_ = 0;
  uint64_t fadePosition_ = 0;
  void ApplyFade(float* interleavedStereo, size_t frames);
  void ApplyVolume(float* interleavedStereo, size_t frames);
};

}  // namespace lullwood
