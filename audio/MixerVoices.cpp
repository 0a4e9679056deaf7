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

namespace {

bool Playable(const VoiceSource& source, uint32_t rateHz) {
  return source.samples != nullptr && source.frames != 0 &&
         (source.channels == 1 || source.channels == 2) && rateHz != 0;
}

}  // namespace

int Mixer::TakeFreeVoice(const VoiceSource& source, uint32_t rateHz, int stage) {
  for (int i = 0; i < kVoiceCount; ++i) {
    Voice& voice = voices_[i];
    if (voice.inUse) continue;
    voice = Voice{};
    voice.samples = source.samples;
    voice.frames = source.frames;
    voice.channels = source.channels;
    voice.rateHz = rateHz;
    voice.stage = stage;
    voice.inUse = true;
    return i;
  }
  return kNoVoice;
}

Mixer::VoiceId Mixer::AddVoice(const VoiceSource& source, uint32_t rateHz) {
  if (!Playable(source, rateHz)) return kNoVoice;
  std::lock_guard guard(lock_);
  return TakeFreeVoice(source, rateHz, StageFor(rateHz));
}

Mixer::VoiceId Mixer::Handover(VoiceId from, const VoiceSource& source, uint32_t rateHz) {
  if (from < 0 || from >= kVoiceCount || !Playable(source, rateHz)) return kNoVoice;
  if (unattended_ || Stalled()) CatchUp();
  const int stage = StageFor(rateHz);
  std::lock_guard guard(lock_);
  Voice& old = voices_[from];
  if (!old.inUse) return kNoVoice;
  const int i = TakeFreeVoice(source, rateHz, stage);
  if (i == kNoVoice) return kNoVoice;
  Voice& voice = voices_[i];
  // The same place in the sound, the fraction of a frame included. Each stage mixes
  // ahead of the output by what its buses hold: a playing voice's place is moved by
  // the difference, and both fades start when the later of the two is heard.
  const double oldLead = old.playing ? LeadSeconds(old.stage) : 0.0;
  const double newLead = old.playing ? LeadSeconds(stage) : 0.0;
  const auto shift =
      static_cast<int64_t>(std::llround((newLead - oldLead) * old.rateHz * 4294967296.0));
  const auto oldEnd = static_cast<int64_t>(uint64_t{old.frames} << 32);
  int64_t place = static_cast<int64_t>(old.position) + shift;
  bool wrapped = old.wrapped;
  if (place >= oldEnd) {
    place = old.looping ? place - oldEnd : oldEnd - 1;
    wrapped = wrapped || old.looping;
  } else if (place < 0) {
    place = old.looping && old.wrapped ? place + oldEnd : 0;
  }
  const auto scaled = static_cast<unsigned __int128>(place) * source.frames / old.frames;
  voice.position =
      std::min<uint64_t>(static_cast<uint64_t>(scaled), (uint64_t{source.frames} << 32) - 1);
  voice.wrapped = wrapped;
  voice.looping = old.looping;
  voice.playing = old.playing;
  voice.gainLeft = old.gainLeft;
  voice.gainRight = old.gainRight;
  if (old.playing) {
    const double start = std::max(oldLead, newLead);
    const auto framesOf = [&](int s) {
      return static_cast<uint32_t>(
          std::max<int64_t>(1, int64_t{stages_[s].rate} * kHandoverFade.count() / 1000));
    };
    const auto delayOf = [&](int s, double lead) {
      return static_cast<uint32_t>(std::lround((start - lead) * stages_[s].rate));
    };
    voice.fromLeft = voice.fromRight = 0.0f;
    voice.rampTotal = voice.rampLeft = framesOf(stage);
    voice.rampDelay = delayOf(stage, newLead);
    // The old voice fades from where its gains stand now, even mid-ramp.
    if (old.rampLeft > 0) {
      const float t = old.rampDelay > 0 ? 0.0f : 1.0f - float(old.rampLeft) / float(old.rampTotal);
      old.fromLeft += (old.gainLeft - old.fromLeft) * t;
      old.fromRight += (old.gainRight - old.fromRight) * t;
    } else {
      old.fromLeft = old.gainLeft;
      old.fromRight = old.gainRight;
    }
    old.gainLeft = old.gainRight = 0.0f;
    old.rampTotal = old.rampLeft = framesOf(old.stage);
    old.rampDelay = delayOf(old.stage, oldLead);
    old.stopAtRampEnd = true;
  }
  return i;
}

void Mixer::RemoveVoice(VoiceId voice) {
  if (voice < 0 || voice >= kVoiceCount) return;
  std::lock_guard guard(lock_);
  voices_[voice] = Voice{};
}

void Mixer::Play(VoiceId voice, bool looping) {
  if (voice < 0 || voice >= kVoiceCount) return;
  if (unattended_ || Stalled()) CatchUp();
  bool wake = false;
  {
    std::lock_guard guard(lock_);
    Voice& v = voices_[voice];
    if (!v.inUse) return;
    v.looping = looping;
    v.playing = true;
    wake = EndRest(Now());
  }
  if (wake) waker_();
}

void Mixer::ExpectStartIn(std::chrono::steady_clock::duration delay) {
  using Duration = std::chrono::steady_clock::duration;
  const auto now = Now();
  const Duration headroom = std::chrono::steady_clock::time_point::max() - now;
  expectedStart_ = delay >= headroom
                       ? INT64_MAX
                       : (now + std::max(delay, Duration::zero())).time_since_epoch().count();
}

void Mixer::SetWaker(std::function<void()> wake) {
  waker_ = std::move(wake);
}

bool Mixer::Rest() {
  if (!waker_ || !followsClock_) return false;
  const auto quietNeeded =
      static_cast<uint64_t>(std::chrono::duration<double>(kQuietBeforeRest).count() * outputRate_);
  if (quietFrames_ < quietNeeded) return false;
  const int64_t expected = expectedStart_;
  if (expected == INT64_MIN) return false;
  if (expected - Now().time_since_epoch().count() <=
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(kRestLead).count()) {
    return false;
  }
  std::lock_guard guard(lock_);
  if (std::any_of(voices_.begin(), voices_.end(), [](const Voice& v) { return v.playing; })) {
    return false;
  }
  resting_ = true;
  return true;
}

bool Mixer::EndRest(std::chrono::steady_clock::time_point now) {
  if (!resting_) return false;
  resting_ = false;
  // Nothing played while the output rested: the time it slept needs no catching up,
  // and the stall clock starts again now, giving the output its usual grace to ask.
  renderedUntil_ = now.time_since_epoch().count();
  coveredUntil_ = now.time_since_epoch().count();
  return true;
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
  Voice& v = voices_[voice];
  // A voice fading out after a handover keeps fading to silence.
  if (v.stopAtRampEnd) return;
  // Mid-ramp, the ramp goes on to the new gains from where it stands.
  if (v.rampLeft > 0) {
    const float t = v.rampDelay > 0 ? 0.0f : 1.0f - float(v.rampLeft) / float(v.rampTotal);
    v.fromLeft += (v.gainLeft - v.fromLeft) * t;
    v.fromRight += (v.gainRight - v.fromRight) * t;
    v.rampTotal = v.rampLeft;
  }
  v.gainLeft = gain.left;
  v.gainRight = gain.right;
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
  if (!followsClock_ || resting_) return false;
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
