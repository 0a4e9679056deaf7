#include "OutputStage.h"

#include <algorithm>
#include <cmath>

namespace lullwood {

void OutputStage::SetVolume(float gain) {
  // NaN compares false both ways and would pass a clamp: it means silence here.
  if (!(gain >= 0.0f)) gain = 0.0f;
  volume_.store(std::min(gain, 1.0f), std::memory_order_relaxed);
}

void OutputStage::Apply(float* interleavedStereo, size_t frames) {
  if (frames == 0) return;
  ApplyFade(interleavedStereo, frames);
  ApplyVolume(interleavedStereo, frames);
}

void OutputStage::ApplyVolume(float* interleavedStereo, size_t frames) {
  const float target = volume_.load(std::memory_order_relaxed);
  if (appliedVolume_ < 0.0f) appliedVolume_ = target;
  if (target == appliedVolume_) {
    if (target == 1.0f) return;
    for (size_t i = 0; i < 2 * frames; ++i) interleavedStereo[i] *= target;
    return;
  }
  const float start = appliedVolume_;
  const float step = (target - start) / static_cast<float>(frames);
  for (size_t f = 0; f < frames; ++f) {
    const float gain = start + step * static_cast<float>(f + 1);
    interleavedStereo[2 * f] *= gain;
    interleavedStereo[2 * f + 1] *= gain;
  }
  appliedVolume_ = target;
}

void OutputStage::StartFade(uint64_t durationFrames) {
  if (durationFrames == 0) durationFrames = 1;
  // The finished flag is cleared before the new request is visible, so a reader never
  // takes the old fade's end for the new one's.
  fadeFinished_.store(false, std::memory_order_release);
  fadeFrames_.store(durationFrames, std::memory_order_relaxed);
  fadeRequest_.fetch_add(1, std::memory_order_release);
}

void OutputStage::CancelFade() {
  fadeFinished_.store(false, std::memory_order_release);
  fadeFrames_.store(0, std::memory_order_relaxed);
  fadeRequest_.fetch_add(1, std::memory_order_release);
}

double OutputStage::FadeGain(uint64_t position, uint64_t durationFrames) {
  if (position >= durationFrames) return 0.0;
  const double db =
      kFadeFloorDb * static_cast<double>(position) / static_cast<double>(durationFrames);
  return std::pow(10.0, db / 20.0);
}

void OutputStage::ApplyFade(float* interleavedStereo, size_t frames) {
  const uint64_t request = fadeRequest_.load(std::memory_order_acquire);
  if (request != appliedRequest_) {
    appliedRequest_ = request;
    fadeDuration_ = fadeFrames_.load(std::memory_order_relaxed);
    fadePosition_ = 0;
  }
  if (fadeDuration_ == 0) return;
  size_t f = 0;
  if (fadePosition_ < fadeDuration_) {
    const size_t inFade =
        static_cast<size_t>(std::min<uint64_t>(frames, fadeDuration_ - fadePosition_));
    // A constant ratio per frame is the straight line in decibels; the start of every
    // block is computed afresh so that rounding cannot build up over a long fade.
    double gain = FadeGain(fadePosition_, fadeDuration_);
    const double ratio = std::pow(10.0, kFadeFloorDb / 20.0 / static_cast<double>(fadeDuration_));
    for (; f < inFade; ++f) {
      interleavedStereo[2 * f] = static_cast<float>(interleavedStereo[2 * f] * gain);
      interleavedStereo[2 * f + 1] = static_cast<float>(interleavedStereo[2 * f + 1] * gain);
      gain *= ratio;
    }
    fadePosition_ += inFade;
  }
  if (f < frames) std::fill(interleavedStereo + 2 * f, interleavedStereo + 2 * frames, 0.0f);
  if (fadePosition_ >= fadeDuration_ && !fadeFinished_.load(std::memory_order_relaxed)) {
    // Only if no newer request came meanwhile: a cancel must not be answered "finished".
    if (fadeRequest_.load(std::memory_order_acquire) == appliedRequest_)
      fadeFinished_.store(true, std::memory_order_release);
  }
}

}  // namespace lullwood
