// The mixer's control side and its clock: gains of volume and pan, the voices the UI
// thread adds, starts, stops and removes, and the catching up of time while no output
// asks for samples. The render path is in Mixer.cpp.
#include "Mixer.h"

#include <algorithm>
#include <cmath>

namespace lullwood {

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

Mixer::VoiceId Mixer::AddVoice(const VoiceSource& source, uint32_t rateHz) {
  if (source.samples == nullptr || source.frames == 0 ||
      (source.channels != 1 && source.channels != 2) || rateHz == 0) {
    return kNoVoice;
  }
  std::lock_guard guard(lock_);
  for (int i = 0; i < kVoiceCount; ++i) {
    Voice& voice = voices_[i];
    if (voice.inUse) continue;
    voice = Voice{};
    voice.samples = source.samples;
    voice.frames = source.frames;
    voice.channels = source.channels;
    voice.rateHz = rateHz;
    voice.stage = StageFor(rateHz);
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
  if (unattended_ || Stalled()) CatchUp();
  std::lock_guard guard(lock_);
  Voice& v = voices_[voice];
  if (!v.inUse) return;
  v.looping = looping;
  v.playing = true;
}

void Mixer::Stop(VoiceId voice) {
  if (voice < 0 || voice >= kVoiceCount) return;
  if (unattended_ || Stalled()) CatchUp();
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
  if (unattended_ || Stalled()) CatchUp();
  const int stage = StageFor(rateHz);
  std::lock_guard guard(lock_);
  voices_[voice].rateHz = rateHz;
  voices_[voice].stage = stage;
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

void Mixer::CatchUp() {
  std::lock_guard render(renderLock_);
  unattended_ = true;
  CatchUpTo(Now());
}

void Mixer::FollowTheClock() {
  followsClock_ = true;
}

bool Mixer::Stalled() const {
  return followsClock_ && StalledAt(Now());
}

bool Mixer::StalledAt(std::chrono::steady_clock::time_point now) const {
  if (!followsClock_) return false;
  return now.time_since_epoch().count() - renderedUntil_.load() >
         std::chrono::duration_cast<std::chrono::steady_clock::duration>(kStallAfter).count();
}

void Mixer::CatchUpTo(std::chrono::steady_clock::time_point now) {
  const std::chrono::steady_clock::time_point covered{
      std::chrono::steady_clock::duration(coveredUntil_.load())};
  const double elapsed = std::chrono::duration<double>(now - covered).count();
  if (elapsed <= 0) return;
  coveredUntil_ = now.time_since_epoch().count();
  double frames = elapsed * outputRate_ + clockRemainder_;
  const auto whole = static_cast<uint64_t>(frames);
  clockRemainder_ = frames - double(whole);
  for (uint64_t done = 0; done < whole;) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(kBlockFrames, whole - done));
    RenderBlock(scratch_.data(), count);
    done += count;
  }
}

}  // namespace lullwood
