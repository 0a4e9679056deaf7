#include "Mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace lullwood {
namespace {

constexpr uint64_t kOne = uint64_t{1} << 32;

// A bus keeps its sounds' band: flat (well within 0.5 dB) to `pass` of its rate, and
// every image above `stop` of its rate at least kStageAttenuationDb down, on its way
// up to the next stage.
struct BusBand {
  int rate;
  double pass;
  double stop;
  bool onTheWayUpOnly = false;  // only below a faster output
};
constexpr double kPassFraction = 0.408;  // 4.5 kHz at 11025 Hz, 9 kHz at 22050 Hz
constexpr double kFullBandPass = 0.42;   // 18.5 kHz at 44100 Hz
constexpr BusBand kBuses[] = {
    // The rates the catalogue's waves are made at. The 11025 Hz bus's images start at
    // 5.6 kHz.
    {11025, kPassFraction, 0.508},
    // The 22050 Hz bus carries the 11025 Hz bus's sounds too, whose images that stage
    // already removed; for the few sounds made at 22050 Hz its stopband starts at 13 kHz.
    // Pass and stop lie evenly about its half rate: a half-band filter, whose
    // whole-frame row is a single tap, so doubling it computes only every other frame.
    {22050, kPassFraction, 1.0 - kPassFraction},
    // Only between the 22050 Hz bus and a faster output: what the bus below holds (to
    // 13 kHz), whose images then start at 31 kHz, leaves a short kernel for the stage
    // at the output rate.
    {44100, (1.0 - kPassFraction) / 2, 1.0 - (1.0 - kPassFraction) / 2, true},
    // The full-band renditions, made at 44100 Hz, on their way to an output at another
    // rate: flat to 18.5 kHz, their images (from 25.6 kHz) removed; what little the
    // sounds hold above 18.5 kHz is let through only in part. Listed after the
    // bus above, which carries the narrower band of the same rate more cheaply.
    {44100, kFullBandPass, 1.0 - kFullBandPass},
};
constexpr double kStageAttenuationDb = 75;
// Exact phases for ratios that need at most this many; the nearest of this many else.
constexpr uint32_t kMaxPhases = 1024;

// A voice whose frequency differs from every stage's rate: its band kept flat to 0.408
// of its rate (as a bus keeps its own), its images from 0.592 of its rate on at least
// kVoiceAttenuationDb down: 58 dB is what 20 taps reach, where 60 would take 24.
constexpr double kVoiceTransition = 0.184;
constexpr double kVoiceAttenuationDb = 58;
// The nearest of this many delays stands in for the exact one. Its error lies about as
// far down as the stopband (56 dB at the top of the band, 60 dB below it), and the
// table (20 KB) stays in the first-level cache beside the voices it reads: with 1024
// rows it did not, and the busy mix took a tenth longer.
constexpr uint32_t kVoicePhases = 256;
// The stretches tabulated for voices read faster than their stage's rate: Dynamic
// Random raises a sound made at 44100 Hz by up to 19 %, which is at most 1.09 times a
// 48000 Hz output's rate. Each kernel's stopband starts at the stage's half rate for the
// most stretch it is listed with, a little below it for less, so nothing raised past
// the stage's band folds back into it; its transition (0.168 of the stage's rate) keeps
// the band flat to 0.33 of that rate (15.9 kHz at 48000 Hz, 14.6 kHz at 44100 Hz). The
// stretches and the transition are chosen so that every raise into a 48000 Hz output
// takes 24 taps, three full rows of eight for the inner loop, and 28 at most into 44100.
constexpr double kStretches[] = {1.05, 1.1, 1.1875, 1.25, 1.5, 2.0};
constexpr double kStretchedTransition = 0.168;

uint64_t StepOf(uint64_t fromRate, uint64_t toRate) {
  return ((fromRate << 32) + toRate / 2) / toRate;
}

// Reads source frame `j` of a voice's channel `c` for a kernel reaching past its ends:
// silence before a first pass and after a one-shot's end, the loop's other end else.
inline float Tap(const float* samples, uint32_t frames, uint32_t channels, uint32_t c, int64_t j,
                 bool looping, bool wrapped) {
  if (j < 0) {
    if (!(looping && wrapped)) return 0.0f;
  } else if (j >= int64_t{frames}) {
    if (!looping) return 0.0f;
  } else {
    return samples[size_t(j) * channels + c];
  }
  const int64_t n = frames;
  return samples[size_t(((j % n) + n) % n) * channels + c];
}

}  // namespace

Mixer::Mixer(int outputRate, std::shared_ptr<const AudioClock> clock)
    : outputRate_(outputRate > 0 ? outputRate : kDefaultOutputRate),
      clock_(std::move(clock)),
      voiceKernel_(0.5, kVoiceTransition, kVoiceAttenuationDb, kVoicePhases, 4),
      stereoLoop_(loops::BestStereoLoop()),
      monoLoop_(loops::BestMonoLoop()),
      exactLoop_(loops::BestExactLoop()),
      mixLeft_(kBlockFrames),
      mixRight_(kBlockFrames),
      scratch_(2 * kBlockFrames),
      limiter_(outputRate_),
      renderedUntil_(Now().time_since_epoch().count()),
      coveredUntil_(renderedUntil_.load()) {
  stages_.resize(1);
  stages_[0].rate = outputRate_;
  for (size_t b = 0; b < std::size(kBuses); ++b) {
    const BusBand& band = kBuses[b];
    if (band.rate == outputRate_) continue;
    // The bus at twice the highest wave rate only shortens the way up.
    if (band.onTheWayUpOnly && outputRate_ < band.rate) continue;
    Stage bus;
    bus.rate = band.rate;
    bus.passHz = band.pass * band.rate;
    bus.band = int(b);
    stages_.push_back(std::move(bus));
  }
  // Each bus feeds the lowest stage above it (of two at one rate, the first listed), or
  // the output when none is.
  for (size_t s = 1; s < stages_.size(); ++s) {
    Stage& bus = stages_[s];
    bus.next = -1;
    for (size_t t = 0; t < stages_.size(); ++t) {
      if (stages_[t].rate <= bus.rate) continue;
      if (bus.next < 0 || stages_[t].rate < stages_[bus.next].rate) bus.next = int(t);
    }
    if (bus.next < 0) bus.next = 0;
    const double from = bus.rate;
    const double to = stages_[bus.next].rate;
    const BusBand& band = kBuses[bus.band];
    // Upward the bus's own band is kept; downward the band the next stage can hold.
    const double pass = to > from ? band.pass * from : kPassFraction * to;
    const double stop = to > from ? band.stop * from : 0.5 * to;
    const uint64_t lcmPhases = uint64_t(to) / std::gcd(uint64_t(from), uint64_t(to));
    const uint32_t phases = static_cast<uint32_t>(std::min<uint64_t>(lcmPhases, kMaxPhases));
    bus.kernel = std::make_unique<KernelTable>((pass + stop) / 2 / from, (stop - pass) / from,
                                               kStageAttenuationDb, phases);
    bus.step = StepOf(bus.rate, stages_[bus.next].rate);
  }
  for (const double stretch : kStretches) {
    stretchedKernels_.emplace_back(
        stretch, std::make_unique<KernelTable>((0.5 - kStretchedTransition / 2) / stretch,
                                               kStretchedTransition / stretch, kVoiceAttenuationDb,
                                               kVoicePhases, 4));
  }
  uint32_t mostTaps = voiceKernel_.taps();
  for (const auto& [stretch, kernel] : stretchedKernels_)
    mostTaps = std::max(mostTaps, kernel->taps());
  window_.assign(2 * size_t{mostTaps}, 0.0f);
  // Buffers for the most any block asks of each bus, from the output down.
  std::vector<size_t> asked(stages_.size(), 0);
  asked[0] = kBlockFrames;
  for (size_t round = 0; round < stages_.size(); ++round) {
    for (size_t s = 1; s < stages_.size(); ++s) {
      const Stage& bus = stages_[s];
      const size_t taken = asked[bus.next];
      if (taken == 0) continue;
      const size_t needs =
          static_cast<size_t>((uint64_t(taken) * bus.step >> 32) + 2) + bus.kernel->taps() + 2;
      asked[s] = std::max(asked[s], needs);
    }
  }
  for (size_t s = 1; s < stages_.size(); ++s) {
    Stage& bus = stages_[s];
    bus.left.assign(asked[s] + bus.kernel->taps(), 0.0f);
    bus.right.assign(bus.left.size(), 0.0f);
    // The output's time 0 stands at the bus's frame 0, after the silence before it.
    bus.filled = bus.kernel->before();
    bus.position = uint64_t{bus.kernel->before()} << 32;
  }
  size_t longest = kBlockFrames;
  for (const Stage& stage : stages_) longest = std::max(longest, stage.left.size());
  rampLeft_.assign(longest, 0.0f);
  rampRight_.assign(longest, 0.0f);
}

const KernelTable* Mixer::KernelFor(double stretch) const {
  if (stretch <= 1.0) return &voiceKernel_;
  for (const auto& [most, kernel] : stretchedKernels_) {
    if (stretch <= most) return kernel.get();
  }
  return nullptr;
}

int Mixer::StageFor(uint32_t rateHz) const {
  const auto holds = [&](const Stage& stage) { return kPassFraction * rateHz <= stage.passHz + 1; };
  int best = -1;
  for (size_t s = 0; s < stages_.size(); ++s) {
    const Stage& stage = stages_[s];
    if (!holds(stage)) continue;
    const auto rate = static_cast<uint32_t>(stage.rate);
    if (rate == rateHz) return int(s);
    if (rate > rateHz && (best < 0 || stage.rate < stages_[best].rate)) best = int(s);
  }
  // Faster than every stage: straight into the output, filtered to its band.
  return best < 0 ? 0 : best;
}

namespace {

// Adds `count` frames of a voice at a stage's own rate: one source frame a frame.
void MixExact(loops::ExactLoop add, const float* samples, uint32_t channels, uint32_t frameCount,
              uint64_t& position, bool looping, bool& playing, bool& wrapped, float gainLeft,
              float gainRight, float* left, float* right, size_t count) {
  size_t at = static_cast<size_t>(position >> 32);
  size_t done = 0;
  while (done < count) {
    if (at >= frameCount) {
      if (!looping) break;
      at = 0;
      wrapped = true;
    }
    const size_t n = std::min<size_t>(frameCount - at, count - done);
    add(samples + at * channels, channels, n, gainLeft, gainRight, left + done, right + done);
    at += n;
    done += n;
  }
  // A one-shot whose last frame was just mixed ends now.
  if (!looping && at >= frameCount) {
    playing = false;
    at = 0;
  }
  position = uint64_t{at} << 32;
}

}  // namespace

bool Mixer::Fill(int s, float* left, float* right, size_t frames) {
  const Stage& stage = stages_[s];
  bool sounded = false;
  for (Voice& v : voices_) {
    if (!v.playing || v.stage != s) continue;
    sounded = true;
    if (v.rampLeft > 0) {
      MixRamped(v, stage.rate, left, right, frames);
    } else {
      MixVoice(v, stage.rate, v.gainLeft, v.gainRight, left, right, frames);
    }
  }
  for (size_t b = 1; b < stages_.size(); ++b) {
    if (stages_[b].next == s) sounded = Pull(int(b), left, right, frames) || sounded;
  }
  return sounded;
}

void Mixer::MixVoice(Voice& v, int stageRate, float gainLeft, float gainRight, float* left,
                     float* right, size_t frames) {
  if (v.rateHz != static_cast<uint32_t>(stageRate)) {
    MixInterpolated(v, stageRate, gainLeft, gainRight, left, right, frames);
  } else {
    MixExact(exactLoop_, v.samples, v.channels, v.frames, v.position, v.looping, v.playing,
             v.wrapped, gainLeft, gainRight, left, right, frames);
  }
}

void Mixer::MixRamped(Voice& v, int stageRate, float* left, float* right, size_t frames) {
  float* const l = rampLeft_.data();
  float* const r = rampRight_.data();
  std::fill_n(l, frames, 0.0f);
  std::fill_n(r, frames, 0.0f);
  MixVoice(v, stageRate, 1.0f, 1.0f, l, r, frames);
  size_t k = 0;
  for (; k < frames && v.rampDelay > 0; ++k, --v.rampDelay) {
    left[k] += l[k] * v.fromLeft;
    right[k] += r[k] * v.fromRight;
  }
  const float total = static_cast<float>(v.rampTotal);
  for (; k < frames && v.rampLeft > 0; ++k, --v.rampLeft) {
    const float t = static_cast<float>(v.rampTotal - v.rampLeft + 1) / total;
    left[k] += l[k] * (v.fromLeft + (v.gainLeft - v.fromLeft) * t);
    right[k] += r[k] * (v.fromRight + (v.gainRight - v.fromRight) * t);
  }
  for (; k < frames; ++k) {
    left[k] += l[k] * v.gainLeft;
    right[k] += r[k] * v.gainRight;
  }
  if (v.rampLeft == 0 && v.stopAtRampEnd) v.playing = false;
}

double Mixer::LeadSeconds(int s) const {
  double lead = 0;
  for (; s > 0; s = stages_[s].next) {
    const Stage& bus = stages_[s];
    lead += (double(bus.filled) - double(bus.position) / double(kOne)) / bus.rate;
  }
  return lead;
}

void Mixer::MixInterpolated(Voice& v, int stageRate, float gainLeft, float gainRight, float* left,
                            float* right, size_t frames) {
  const uint64_t step = StepOf(v.rateHz, static_cast<uint64_t>(stageRate));
  const uint64_t end = uint64_t{v.frames} << 32;
  // Reading faster than the stage's rate: the kernel is narrowed, so the band is cut at
  // the stage's half rate instead of the voice's; tabulated for the stretches that occur,
  // computed tap by tap for any other.
  const double stretch = double(v.rateHz) / stageRate;
  const KernelTable* const tabulated = KernelFor(stretch);
  const bool stretched = tabulated == nullptr;
  const KernelTable& kernel = stretched ? voiceKernel_ : *tabulated;
  const uint32_t taps = kernel.taps();
  const int64_t before = kernel.before();
  float* const window[2] = {window_.data(), window_.data() + taps};
  for (size_t k = 0; k < frames; ++k) {
    if (v.position >= end) {
      if (!v.looping) {
        v.playing = false;
        v.position = 0;
        return;
      }
      v.position %= end;
      v.wrapped = true;
    }
    const int64_t i = static_cast<int64_t>(v.position >> 32);
    // A run of frames whose every kernel window lies inside the samples, at once.
    if (!stretched && v.channels == 1 && i >= before && v.frames > kernel.after()) {
      const uint64_t limit = uint64_t{v.frames - kernel.after()} << 32;
      if (v.position < limit) {
        const uint64_t inside = (limit - v.position + step - 1) / step;
        const size_t count = static_cast<size_t>(std::min<uint64_t>(inside, frames - k));
        const loops::Kernel view = kernel.view();
        v.position = monoLoop_(v.samples, view, v.position, step, count, gainLeft, gainRight,
                               left + k, right + k);
        k += count - 1;
        continue;
      }
    }
    float sample[2] = {0.0f, 0.0f};
    if (!stretched) {
      const float* row = kernel.RowFor(v.position);
      if (v.channels == 1 && i >= before && i + kernel.after() < v.frames) {
        sample[0] = Dot(v.samples + (i - before), row, taps);
        sample[1] = sample[0];
      } else {
        for (uint32_t c = 0; c < v.channels; ++c) {
          for (uint32_t t = 0; t < taps; ++t) {
            window[c][t] =
                Tap(v.samples, v.frames, v.channels, c, i - before + t, v.looping, v.wrapped);
          }
          sample[c] = Dot(window[c], row, taps);
        }
        if (v.channels == 1) sample[1] = sample[0];
      }
    } else {
      const double t = double(v.position) / double(kOne);
      const double reach = kernel.after() * stretch;
      const int64_t first = static_cast<int64_t>(std::ceil(t - reach));
      const int64_t last = static_cast<int64_t>(std::floor(t + reach));
      double sums[2] = {0, 0}, weights = 0;
      for (int64_t j = first; j <= last; ++j) {
        const double w = kernel.At((double(j) - t) / stretch);
        weights += w;
        for (uint32_t c = 0; c < v.channels; ++c) {
          sums[c] += w * Tap(v.samples, v.frames, v.channels, c, j, v.looping, v.wrapped);
        }
      }
      const double norm = weights != 0 ? 1.0 / weights : 0.0;
      sample[0] = static_cast<float>(sums[0] * norm);
      sample[1] = v.channels == 1 ? sample[0] : static_cast<float>(sums[1] * norm);
    }
    left[k] += sample[0] * gainLeft;
    right[k] += sample[1] * gainRight;
    v.position += step;
  }
  // A one-shot whose last frame was just rendered ends now, not a block later.
  if (!v.looping && v.position >= end) {
    v.playing = false;
    v.position = 0;
  }
}

bool Mixer::Pull(int s, float* left, float* right, size_t frames) {
  Stage& bus = stages_[s];
  const KernelTable& kernel = *bus.kernel;
  const size_t before = kernel.before();
  // The input the last of these frames reaches, mixed now.
  const uint64_t lastPosition = bus.position + (frames - 1) * bus.step;
  const size_t needed = static_cast<size_t>(lastPosition >> 32) + kernel.after() + 1;
  if (needed > bus.filled) {
    const size_t count = needed - bus.filled;
    std::fill_n(bus.left.data() + bus.filled, count, 0.0f);
    std::fill_n(bus.right.data() + bus.filled, count, 0.0f);
    if (Fill(s, bus.left.data() + bus.filled, bus.right.data() + bus.filled, count)) {
      bus.soundedUntil = needed;
    }
    bus.filled = needed;
  }
  // A bus silent across every frame these outputs read adds nothing.
  const bool sounded = bus.soundedUntil > (bus.position >> 32) - before;
  uint64_t position = bus.position;
  if (sounded) {
    position = stereoLoop_(bus.left.data(), bus.right.data(), kernel.view(), position, bus.step,
                           frames, left, right);
  } else {
    position += frames * bus.step;
  }
  // Keep only what later frames still read.
  const size_t drop = static_cast<size_t>(position >> 32) - before;
  std::memmove(bus.left.data(), bus.left.data() + drop, (bus.filled - drop) * sizeof(float));
  std::memmove(bus.right.data(), bus.right.data() + drop, (bus.filled - drop) * sizeof(float));
  bus.filled -= drop;
  bus.soundedUntil = bus.soundedUntil > drop ? bus.soundedUntil - drop : 0;
  bus.position = position - (uint64_t{drop} << 32);
  return sounded;
}

void Mixer::RenderBlock(float* out, size_t frames) {
  std::fill_n(mixLeft_.data(), frames, 0.0f);
  std::fill_n(mixRight_.data(), frames, 0.0f);
  bool sounded = false;
  {
    std::lock_guard guard(lock_);
    sounded = Fill(0, mixLeft_.data(), mixRight_.data(), frames);
  }
  quietFrames_ = sounded ? 0 : quietFrames_ + frames;
  limiter_.Process(mixLeft_.data(), mixRight_.data(), frames, out);
  outputStage_.Apply(out, frames);
}

void Mixer::Render(float* interleavedStereo, size_t frames) {
  std::lock_guard render(renderLock_);
  // An output that asks is awake, whatever woke it (one opened afresh after a loss).
  if (resting_) {
    std::lock_guard guard(lock_);
    resting_ = false;
  }
  const auto now = Now();
  // Back from a stall or a loss: what would have played since the last catch-up plays
  // out unheard first. The output's watchdog keeps that to the few seconds since it
  // last looked.
  if (unattended_ || StalledAt(now)) CatchUpTo(now);
  unattended_ = false;
  for (size_t start = 0; start < frames; start += kBlockFrames) {
    RenderBlock(interleavedStereo + 2 * start, std::min(kBlockFrames, frames - start));
  }
  const auto lasts = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(double(frames) / outputRate_));
  renderedUntil_ = (now + lasts).time_since_epoch().count();
  // Time is taken up from when the output last asked: what it was given then may never
  // be heard (a lost output drops it).
  coveredUntil_ = Now().time_since_epoch().count();
  clockRemainder_ = 0;
}

}  // namespace lullwood
