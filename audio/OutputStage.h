// The last stage of every render, after the voices are summed and limited: gains over the
// whole output that neither the master bars nor the Scenario know of. Today one: the
// output volume (the desktop's media controls). The control side sets it from any
// thread; the output side applies it, moving from the old gain to the new one across
// one block so that a change never clicks.
#pragma once

#include <atomic>
#include <cstddef>

namespace lullwood {

class OutputStage {
 public:
  // Linear gain 0..1 (values outside are clamped); 1 at start. Any thread.
  void SetVolume(float gain);
  float volume() const { return volume_.load(std::memory_order_relaxed); }

  // Output side only: scales `frames` frames of left/right floats in place.
  void Apply(float* interleavedStereo, size_t frames);

 private:
  // Shared: written by the control side, read by the output side.
  std::atomic<float> volume_{1.0f};
  // Output side only: the gain the last block ended on; below 0 before the first block,
  // which starts at the volume set so far instead of ramping to it.
  float appliedVolume_ = -1.0f;
};

}  // namespace lullwood
