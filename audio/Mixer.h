// The software mixer: a fixed array of voices, each reading one sound's samples,
// rendered into interleaved float stereo at the output rate. One Render serves the
// live output and offline rendering alike.
//
// Voices are summed at the rate they play at wherever that is one of the mixer's
// stages: an 11025 Hz and a 22050 Hz bus and the output itself. A voice at a stage's
// rate is summed sample for sample; any other (a changed frequency) is interpolated
// by a band-limited kernel into the lowest stage that holds its band. Each bus is
// resampled once into the next stage up by a polyphase Kaiser-windowed sinc, so no
// sound leaves images above its own band. The master sum goes through a look-ahead
// limiter instead of a clamp.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "AudioClock.h"
#include "AudioUnits.h"
#include "Limiter.h"
#include "OutputStage.h"
#include "Resampler.h"

namespace lullwood {

// Linear gain of an attenuation in hundredths of a decibel: 10^(v/2000); exactly 0 at
// or below kSilence, and never above 1. Any thread.
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

  // `outputRate` in frames per second; 0 or less means kDefaultOutputRate. A live output
  // that keeps time by a clock of its own passes it as `clock` (see FollowTheClock);
  // without one the mixer reads the steady clock.
  explicit Mixer(int outputRate, std::shared_ptr<const AudioClock> clock = nullptr);
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
  // Hands voice `from` over to a new voice of `source` playing at `rateHz` (another
  // rendition of the same sound): the new one stands at the same place in the sound
  // (its position scaled by the ratio of the two sources' lengths), playing, looping and
  // at the gains `from` had. When `from` is playing, the two cross-fade over
  // kHandoverFade and then `from` stops; the caller removes it (RemoveVoice) once
  // IsPlaying says so. A stopped `from` just stays stopped. kNoVoice, changing
  // nothing, when every voice is taken or `from` is not in use.
  VoiceId Handover(VoiceId from, const VoiceSource& source, uint32_t rateHz);
  static constexpr std::chrono::milliseconds kHandoverFade{40};
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

  // Output side: the audio callback or the offline caller, never two at once (the
  // mixer serialises them with CatchUp). Writes `frames` frames of left/right floats,
  // every playing voice summed and the sum limited below full scale. A one-shot voice
  // that passes its end stops and rewinds to 0; a looping one continues from frame 0
  // with no gap.
  void Render(float* interleavedStereo, size_t frames);

  // The gains over the whole output, applied at the end of every Render block.
  OutputStage& outputStage() { return outputStage_; }

  // While no output asks for samples (a lost device), keeps time going: renders,
  // unheard, every frame the output would have taken since the end of the last Render
  // or CatchUp, by the mixer's clock. Until the next Render, the control calls that move
  // voices (Play, Stop, SetRate) catch up first too, so each takes effect at its own
  // moment, and so does that Render before it mixes. Any thread but the output's.
  void CatchUp();

  // For a mixer that feeds a live output: from now on an output that stops asking for
  // samples without being lost (a suspended sink, a frozen server) is caught up as a
  // lost one is. Once nothing has been asked for kStallAfter beyond what the last Render
  // lasts, the control calls catch up first, and so does the next Render before it
  // mixes: effects that fell due meanwhile do not all start together when the output
  // asks again, and what was sounding is heard from where it would stand by then. An
  // offline mixer never does this: its time is the frames it renders. Before the output
  // starts.
  void FollowTheClock();
  static constexpr std::chrono::milliseconds kStallAfter{500};
  // Whether a live output has stopped asking for samples, as above. Any thread.
  bool Stalled() const;

  // Resting. While nothing is audible and nothing will be for a while, a live output can
  // stop asking for samples, so that the program, the sound server and the sink all
  // sleep; the device stays open. The output rests only when its backend can and the
  // control side has said when the next sound may start on its own (ExpectStartIn):
  // an offline mixer never rests.

  // Control side: no voice will start by itself sooner than `delay` from now (the
  // scheduler's next possible firing). The output does not rest while that start is
  // within kRestLead. A rest is not ended ahead of the start: the Play that starts it
  // wakes the output, whose buffer was dropped at the rest, so the sound is mixed in the
  // first block asked for and reaches the sink sooner than on an output that plays.
  void ExpectStartIn(std::chrono::steady_clock::duration delay);
  static constexpr std::chrono::milliseconds kRestLead{1000};
  // What wakes the live output from a rest. Called on the control side (from Play),
  // never holding the mixer's locks. Before the output starts.
  void SetWaker(std::function<void()> wake);
  // Output side, after a Render: true when the output may rest now (the mixer then
  // counts as resting until the waker is called): no voice has sounded for
  // kQuietBeforeRest, none plays, and no start is expected within kRestLead. A resting
  // mixer is never Stalled, and time it rested through is not caught up: nothing
  // played. The quiet must outlast what the output buffers ahead of its sink, since a
  // rest drops that: every backend that rests buffers less.
  bool Rest();
  static constexpr std::chrono::milliseconds kQuietBeforeRest{600};
  // Whether the output rests now. Any thread.
  bool Resting() const { return resting_; }

  // Frames every sound reaches the output later than it is mixed: the limiter's
  // look-ahead.
  size_t limiterDelayFrames() const { return limiter_.delayFrames(); }
  // For measuring the limiter: off, the sum is only delayed, never limited. Output side.
  void SetLimiterEnabled(bool enabled) { limiter_.SetEnabled(enabled); }
  // Frames rendered so far with the limiter's gain below 1. Output side.
  uint64_t limitedFrames() const { return limiter_.reducedFrames(); }

 private:
  struct Voice {
    const float* samples = nullptr;
    uint32_t frames = 0;
    uint32_t channels = 1;
    uint32_t rateHz = 0;
    uint64_t position = 0;  // source frames, 32.32 fixed point
    float gainLeft = 1.0f;
    float gainRight = 1.0f;
    bool inUse = false;
    bool playing = false;
    bool looping = false;
    bool wrapped = false;  // has looped: the frames before 0 are the loop's end
    int stage = 0;         // where it is summed, by its rate
    // A gain ramp from `from*` to the gains above over `rampTotal` frames of its stage's
    // rate, `rampLeft` of them still to go; a voice handed over stops at its end.
    uint32_t rampDelay = 0;  // frames at the `from*` gains before the ramp starts
    uint32_t rampLeft = 0;
    uint32_t rampTotal = 0;
    float fromLeft = 0.0f;
    float fromRight = 0.0f;
    bool stopAtRampEnd = false;
  };

  // A rate the voices are summed at: the output (stage 0) or a bus resampled into the
  // next stage up. Left and right apart.
  struct Stage {
    int rate = 0;
    // The band it keeps flat; the output keeps whatever reaches it.
    double passHz = 1e300;
    int next = -1;  // the stage this one feeds; -1 for the output
    int band = -1;  // its row of the buses' bands; -1 for the output
    std::unique_ptr<KernelTable> kernel;
    uint64_t step = 0;        // input frames per frame of `next`, 32.32
    uint64_t position = 0;    // of the next output frame, in the buffer, 32.32
    size_t filled = 0;        // buffered input frames
    size_t soundedUntil = 0;  // frames before this may hold sound; after it, silence
    std::vector<float> left, right;
  };

  void RenderBlock(float* out, size_t frames);
  // Adds `frames` frames at stage s's rate into left/right: its voices and its buses.
  // False when nothing played into them.
  bool Fill(int s, float* left, float* right, size_t frames);
  // Adds `frames` frames of bus s, resampled to its next stage's rate. False when the
  // bus was silent for all of them.
  bool Pull(int s, float* left, float* right, size_t frames);
  // Adds `frames` frames of a voice at the given gains, summed at stage rate `stageRate`.
  void MixVoice(Voice& voice, int stageRate, float gainLeft, float gainRight, float* left,
                float* right, size_t frames);
  // The same for a voice whose gains are ramping, and the ramp moved on.
  void MixRamped(Voice& voice, int stageRate, float* left, float* right, size_t frames);
  // Adds `frames` frames of a voice whose rate is not the stage's.
  void MixInterpolated(Voice& voice, int stageRate, float gainLeft, float gainRight, float* left,
                       float* right, size_t frames);
  // How far ahead of the output stage s mixes its voices, in seconds: what its bus and
  // the buses above it hold beyond what has been read. Holding lock_.
  double LeadSeconds(int s) const;
  // The kernel for a voice reading `stretch` times faster than its stage's rate (1 or
  // less: not faster): the narrowest tabulated one that cuts at or below the stage's
  // half rate, or nullptr when none does.
  const KernelTable* KernelFor(double stretch) const;
  // Takes the first free voice for `source` at `rateHz`, summed into `stage`: stopped at
  // 0, full gain. kNoVoice when every voice is taken. Holding lock_.
  int TakeFreeVoice(const VoiceSource& source, uint32_t rateHz, int stage);
  // The stage a voice playing at `rateHz` is summed into: the slowest that holds its
  // band. Any thread: the stages never change.
  int StageFor(uint32_t rateHz) const;

  // Set once at construction.
  const int outputRate_;
  // Empty for the steady clock, read directly: Render reads the time at its start and
  // its end, and the program's output pays no call through the interface for it.
  const std::shared_ptr<const AudioClock> clock_;
  AudioClock::time_point Now() const {
    return clock_ ? clock_->Now() : std::chrono::steady_clock::now();
  }
  std::vector<Stage> stages_;
  KernelTable voiceKernel_;
  // Kernels for voices read faster than their stage's rate (Dynamic Random raising a
  // sound made at the output's rate), by the most stretch each allows.
  std::vector<std::pair<double, std::unique_ptr<KernelTable>>> stretchedKernels_;
  loops::StereoLoop stereoLoop_;
  loops::MonoLoop monoLoop_;
  loops::ExactLoop exactLoop_;

  // Output side only (Render and CatchUp, serialised by renderLock_).
  std::mutex renderLock_;
  std::vector<float> mixLeft_, mixRight_, scratch_;
  std::vector<float> rampLeft_, rampRight_;  // a ramping voice at unit gain
  std::vector<float> window_;                // a kernel's frames near a sound's ends
  Limiter limiter_;
  double clockRemainder_ = 0;  // frames not yet caught up, below one
  std::atomic<bool> unattended_{false};
  // Times by the mixer's clock, in nanoseconds: until when what the output last asked for
  // lasts (the last Render's start plus its frames), and until when the voices have
  // been taken, heard or not (the end of the last Render or CatchUp). Written by the
  // output side, read by any.
  std::atomic<int64_t> renderedUntil_;
  std::atomic<int64_t> coveredUntil_;
  std::atomic<bool> followsClock_{false};
  bool StalledAt(std::chrono::steady_clock::time_point now) const;
  // Renders, unheard, the frames from coveredUntil_ to `now`. Holding renderLock_.
  void CatchUpTo(std::chrono::steady_clock::time_point now);

  // Resting. quietFrames_: output side only, frames rendered since a voice last sounded.
  // resting_ changes only while holding lock_, so a Play either sees the rest and wakes
  // the output, or comes before it and keeps it from resting. expectedStart_: by the
  // mixer's clock in nanoseconds, the earliest start the control side expects; the
  // lowest value (nothing said yet) lets the output never rest.
  uint64_t quietFrames_ = 0;
  std::atomic<bool> resting_{false};
  std::atomic<int64_t> expectedStart_{INT64_MIN};
  std::function<void()> waker_;
  // Holding lock_: ends a rest, restarting the stall clock at `now`; true when the output
  // must be woken.
  bool EndRest(std::chrono::steady_clock::time_point now);

  // Shared: written by the control side and advanced by the output side, both only
  // while holding lock_.
  mutable std::mutex lock_;
  std::array<Voice, kVoiceCount> voices_;

  OutputStage outputStage_;
};

}  // namespace lullwood
