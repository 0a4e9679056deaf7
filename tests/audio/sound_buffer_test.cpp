// The laws of a sound buffer, measured on rendered output of embedded test waves.
//
// The mixer resamples through band-limited filters and delays the sum by its limiter's
// look-ahead, so levels are read once the filters have settled, durations where a
// sound crosses half its level, and sample-exact checks at the output rate a wave's own
// rate allows (where no filter runs) a look-ahead later.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "OfflineOutput.h"
#include "SoundBuffer.h"
#include "WaveResources.h"

namespace lullwood {
namespace {

constexpr float kLevel = 100.0f / 128.0f;  // the level of DC8
// Frames after which every filter has settled on a new level.
constexpr size_t kSettle = 2048;
// Rows of a resampling kernel each sum to 1 in double precision; as floats, a level
// passes within this much.
constexpr float kFilterTolerance = 2e-6f;

// The buffers are measured without the master limiter, which the step at the start of
// a sound at full level can make act for a moment (the filters overshoot a step by a few
// per cent); it is measured on its own below and in the limiter's tests.
class BufferLaws : public ::testing::Test {
 protected:
  BufferLaws() { UseRate(48000); }
  void UseRate(int rate) {
    device_ = std::make_unique<OfflineSoundDevice>(rate);
    device_->mixer().SetLimiterEnabled(false);
  }
  std::unique_ptr<SoundBuffer> Make(std::string_view name) {
    return CreateBufferFromResource(device_.get(), name);
  }
  std::vector<float> Render(size_t frames) { return device_->Render(frames); }
  size_t Delay() const { return device_->mixer().limiterDelayFrames(); }
  // The left and right level once the filters have settled.
  std::pair<float, float> Level() {
    const auto out = Render(kSettle);
    return {out[out.size() - 2], out.back()};
  }
  // Frames louder than half of `level` on either side: where a filtered sound starts
  // and ends, its edge crosses half its level.
  static size_t LoudFrames(const std::vector<float>& stereo, float level) {
    size_t count = 0;
    for (size_t i = 0; i < stereo.size(); i += 2)
      count += std::abs(stereo[i]) > level / 2 || std::abs(stereo[i + 1]) > level / 2;
    return count;
  }
  // Renders `frames` frames and keeps their left channel in one stream, in order.
  void Mix(size_t frames) {
    const auto left = Channel(Render(frames), 0);
    stream_.insert(stream_.end(), left.begin(), left.end());
  }
  // Frames [from, to) of the stream as mixed, heard a look-ahead later. The test mixes
  // the look-ahead's frames last, once it has made every change.
  std::vector<float> Heard(size_t from, size_t to) {
    EXPECT_GE(stream_.size(), to + Delay()) << "not yet heard";
    if (stream_.size() < to + Delay()) return {};
    return std::vector<float>(stream_.begin() + long(from + Delay()),
                              stream_.begin() + long(to + Delay()));
  }
  static std::vector<float> Channel(const std::vector<float>& stereo, int channel) {
    std::vector<float> out;
    for (size_t i = channel; i < stereo.size(); i += 2) out.push_back(stereo[i]);
    return out;
  }
  static size_t SoundingFrames(const std::vector<float>& stereo) {
    size_t count = 0;
    for (size_t i = 0; i < stereo.size(); i += 2) count += stereo[i] != 0 || stereo[i + 1] != 0;
    return count;
  }
  // The samples of an embedded 8-bit wave, read straight from its bytes.
  static std::vector<float> Samples8(std::string_view name) {
    const WaveImage wave = *FindWaveResource(name);
    std::vector<float> out;
    for (uint32_t i = 0; i < wave.dataBytes; ++i) out.push_back((wave.data[i] - 128) / 128.0f);
    return out;
  }

  std::unique_ptr<OfflineSoundDevice> device_;
  std::vector<float> stream_;
};

TEST_F(BufferLaws, NewBufferIsStoppedAtDefaultsAndItsWavesRate) {
  for (auto [name, rate] : {std::pair{"DC8", 11025u}, {"sine8", 22050u}, {"PCM16", 22050u}}) {
    auto buffer = Make(name);
    ASSERT_TRUE(buffer) << name;
    EXPECT_FALSE(buffer->IsPlaying());
    EXPECT_FALSE(buffer->IsLooping());
    EXPECT_EQ(buffer->GetVolume(), 0);
    EXPECT_EQ(buffer->GetPan(), 0);
    EXPECT_EQ(buffer->GetFrequency(), rate);
  }
  EXPECT_EQ(SoundingFrames(Render(4800)), 0u);
}

TEST_F(BufferLaws, LoaderFailsSilentlyOnWhatItCannotPlay) {
  EXPECT_FALSE(CreateBufferFromResource(nullptr, "DC8"));
  for (const char* name : {"NOSUCH", "FMT12", "NODATA", "EMPTYDATA", "FLOAT32", "BITS24", "CHAN3",
                           "RATE50", "HALFFRAME16", "NOTWAVE", ""}) {
    EXPECT_FALSE(Make(name)) << name;
  }
  for (const char* name : {"DATAFIRST", "ODDPAD", "mixedcase", "MIXEDCASE", "Stereo8"}) {
    EXPECT_TRUE(Make(name)) << name;
  }
  EXPECT_EQ(device_->mixer().ActiveVoices(), 0);
}

TEST_F(BufferLaws, VolumeIsAttenuationInHundredthsOfADecibel) {
  auto buffer = Make("DC8");
  buffer->Play(true);
  auto [left, right] = Level();
  EXPECT_NEAR(left, kLevel, kFilterTolerance);
  EXPECT_NEAR(right, kLevel, kFilterTolerance);
  ASSERT_TRUE(buffer->SetVolume(-2000));
  std::tie(left, right) = Level();
  EXPECT_NEAR(left, kLevel * 0.1f, kFilterTolerance);
  EXPECT_NEAR(right, kLevel * 0.1f, kFilterTolerance);
  ASSERT_TRUE(buffer->SetVolume(-600));
  EXPECT_NEAR(Level().first, kLevel * std::pow(10.0, -0.3), kFilterTolerance);
  ASSERT_TRUE(buffer->SetVolume(-10000));
  Render(kSettle);  // what was mixed before the change rings out
  EXPECT_EQ(SoundingFrames(Render(480)), 0u);
  EXPECT_TRUE(buffer->IsPlaying());
}

TEST_F(BufferLaws, PanAttenuatesOneSideAndAddsToVolume) {
  auto buffer = Make("DC8");
  buffer->Play(true);
  ASSERT_TRUE(buffer->SetPan(kPanLeft));
  Render(kSettle);
  auto out = Render(16);
  EXPECT_NEAR(out[0], kLevel, kFilterTolerance);
  EXPECT_EQ(out[1], 0.0f) << "a silenced side is exactly silent";
  ASSERT_TRUE(buffer->SetPan(kPanRight));
  Render(kSettle);
  out = Render(16);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_NEAR(out[1], kLevel, kFilterTolerance);
  ASSERT_TRUE(buffer->SetPan(-2000));
  auto [left, right] = Level();
  EXPECT_NEAR(left, kLevel, kFilterTolerance);
  EXPECT_NEAR(right, kLevel * 0.1f, kFilterTolerance);

  ASSERT_TRUE(buffer->SetVolume(-1000));
  ASSERT_TRUE(buffer->SetPan(1000));
  std::tie(left, right) = Level();
  EXPECT_NEAR(left, kLevel * 0.1, kFilterTolerance);
  EXPECT_NEAR(right, kLevel * std::pow(10.0, -0.5), kFilterTolerance);
  // Together beyond silence is silence, not a wrap.
  ASSERT_TRUE(buffer->SetVolume(-6000));
  ASSERT_TRUE(buffer->SetPan(-6000));
  Render(kSettle);
  out = Render(16);
  EXPECT_NEAR(out[0], kLevel * 0.001, 1e-7);
  EXPECT_EQ(out[1], 0.0f);
}

TEST_F(BufferLaws, RefusedValuesChangeNothing) {
  // Two buffers set up alike on two devices; only one is sent the refused values.
  OfflineSoundDevice twin(48000);
  twin.mixer().SetLimiterEnabled(false);
  auto buffer = Make("DC8");
  auto reference = CreateBufferFromResource(&twin, "DC8");
  for (SoundBuffer* b : {buffer.get(), reference.get()}) {
    b->Play(true);
    ASSERT_TRUE(b->SetVolume(-300));
    ASSERT_TRUE(b->SetPan(400));
    ASSERT_TRUE(b->SetFrequency(8000));
  }
  EXPECT_EQ(Render(480), twin.Render(480));

  EXPECT_FALSE(buffer->SetVolume(1));
  EXPECT_FALSE(buffer->SetVolume(-10001));
  EXPECT_FALSE(buffer->SetPan(10001));
  EXPECT_FALSE(buffer->SetPan(-10001));
  EXPECT_FALSE(buffer->SetFrequency(99));
  EXPECT_FALSE(buffer->SetFrequency(100001));
  EXPECT_FALSE(buffer->SetFrequency(1));
  EXPECT_EQ(buffer->GetVolume(), -300);
  EXPECT_EQ(buffer->GetPan(), 400);
  EXPECT_EQ(buffer->GetFrequency(), 8000u);
  EXPECT_EQ(Render(4800), twin.Render(4800));

  EXPECT_TRUE(buffer->SetFrequency(kFrequencyMin));
  EXPECT_TRUE(buffer->SetFrequency(kFrequencyMax));
  EXPECT_TRUE(buffer->SetFrequency(kFrequencyOriginal));
  EXPECT_EQ(buffer->GetFrequency(), 11025u);
}

TEST_F(BufferLaws, DoublingTheFrequencyHalvesTheDuration) {
  auto buffer = Make("DC8");  // one second at 11025 Hz
  buffer->Play(false);
  const size_t normal = LoudFrames(Render(60000), kLevel);
  EXPECT_FALSE(buffer->IsPlaying());
  ASSERT_TRUE(buffer->SetFrequency(22050));
  buffer->Play(false);
  const size_t doubled = LoudFrames(Render(60000), kLevel);
  EXPECT_NEAR(double(normal), 48000, 2);
  EXPECT_NEAR(double(doubled), 24000, 2);
  ASSERT_TRUE(buffer->SetFrequency(5513));
  buffer->Play(false);
  EXPECT_NEAR(double(LoudFrames(Render(120000), kLevel)), 48000.0 * 11025 / 5513, 3);
}

TEST_F(BufferLaws, OneShotEndsRewindsAndPlaysAgain) {
  UseRate(11025);  // one output frame per source frame: output equals the samples
  const auto ramp = Samples8("RAMP8");
  auto buffer = Make("RAMP8");
  buffer->Play(false);
  Mix(150);
  EXPECT_FALSE(buffer->IsPlaying());
  buffer->Play(false);
  EXPECT_TRUE(buffer->IsPlaying());
  Mix(100);
  EXPECT_FALSE(buffer->IsPlaying());  // ended with its last frame
  Mix(Delay());
  EXPECT_EQ(Heard(0, 100), ramp);
  const auto after = Heard(100, 150);
  EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](float x) { return x == 0; }));
  EXPECT_EQ(Heard(150, 250), ramp) << "played again from the start";
}

TEST_F(BufferLaws, PlayWhilePlayingGoesOnAndStopKeepsThePosition) {
  UseRate(11025);
  const auto ramp = Samples8("RAMP8");
  auto buffer = Make("RAMP8");
  buffer->Play(false);
  Mix(30);
  buffer->Play(false);
  Mix(20);
  buffer->Stop();
  EXPECT_FALSE(buffer->IsPlaying());
  Mix(40);
  buffer->Play(true);  // resumes at 50, now looping
  EXPECT_TRUE(buffer->IsLooping());
  Mix(100);
  buffer->Play(false);  // only the flag changes: plays out to the end
  Mix(60);
  EXPECT_FALSE(buffer->IsPlaying());
  Mix(Delay());

  EXPECT_EQ(Heard(0, 50), std::vector<float>(ramp.begin(), ramp.begin() + 50));
  const auto stopped = Heard(50, 90);
  EXPECT_TRUE(std::all_of(stopped.begin(), stopped.end(), [](float x) { return x == 0; }));
  const auto looped = Heard(90, 190);
  for (size_t n = 0; n < looped.size(); ++n) ASSERT_EQ(looped[n], ramp[(50 + n) % 100]) << n;
  const auto played = Heard(190, 250);
  EXPECT_EQ(std::vector<float>(played.begin(), played.begin() + 50),
            std::vector<float>(ramp.begin() + 50, ramp.end()));
  EXPECT_EQ(played[50], 0.0f);
}

TEST_F(BufferLaws, LoopIsSampleExactAcrossItsEnd) {
  UseRate(11025);
  const auto ramp = Samples8("RAMP8");
  auto buffer = Make("RAMP8");
  buffer->Play(true);
  Mix(1000);
  EXPECT_TRUE(buffer->IsPlaying());
  Mix(Delay());
  const auto left = Heard(0, 1000);
  for (size_t n = 0; n < left.size(); ++n) ASSERT_EQ(left[n], ramp[n % 100]) << n;
}

TEST_F(BufferLaws, ResampledLoopMatchesTheSineOverSeveralPasses) {
  // SINE8 holds 441 whole periods of a 441 Hz sine at 22050 Hz, quantised to 8 bits:
  // band-limited resampling gives back the sine, with no seam where the loop wraps, to
  // within the quantisation error (half a step), which the interpolation can swell by
  // up to half as much again between samples.
  auto buffer = Make("SINE8");
  ASSERT_TRUE(buffer->SetPan(-3000));
  buffer->Play(true);
  const double gainRight = std::pow(10.0, -1.5);
  const size_t frames = 48000 * 7 / 2;  // three and a half passes
  std::vector<float> out;
  for (size_t done = 0; done < frames; done += 777) {  // odd block sizes, as a callback gives
    auto block = Render(std::min<size_t>(777, frames - done));
    out.insert(out.end(), block.begin(), block.end());
  }
  double worst = 0;
  for (size_t n = Delay(); n < frames; ++n) {
    const double t = double(n - Delay()) / 48000.0;
    const double expected = 100.0 / 128.0 * std::sin(2 * M_PI * 441.0 * t);
    worst = std::max(
        {worst, std::abs(out[2 * n] - expected), std::abs(out[2 * n + 1] - expected * gainRight)});
  }
  EXPECT_LT(worst, 1.5 * 0.5 / 128 + 0.002);
}

TEST_F(BufferLaws, StereoAndSixteenBitWavesKeepTheirChannels) {
  auto stereo = Make("STEREO8");
  stereo->Play(true);
  Render(kSettle);
  auto out = Render(3000);
  for (size_t n = 0; n < 3000; ++n) {
    ASSERT_NEAR(out[2 * n], 0.5f, kFilterTolerance) << n;
    ASSERT_NEAR(out[2 * n + 1], -0.25f, kFilterTolerance) << n;
  }
  stereo->SetPan(kPanLeft);
  Render(kSettle);
  out = Render(10);
  EXPECT_NEAR(out[0], 0.5f, kFilterTolerance);
  EXPECT_EQ(out[1], 0.0f);
  ReleaseSoundBuffer(stereo);

  auto wide = Make("PCM16");
  wide->Play(true);
  auto [left, right] = Level();
  EXPECT_NEAR(left, 0.5f, kFilterTolerance);
  EXPECT_NEAR(right, 0.5f, kFilterTolerance);
}

TEST_F(BufferLaws, SumIsLimitedBelowFullScaleAndSummedBeforeLimiting) {
  device_->mixer().SetLimiterEnabled(true);
  auto a = Make("DC8");
  auto b = Make("DC8");
  auto c = Make("NEGDC8");
  a->Play(true);
  b->Play(true);
  Render(48000);            // the start's overshoot is let go within a second
  auto out = Render(4800);  // twice the level of one: held just below the ceiling
  EXPECT_LE(*std::max_element(out.begin(), out.end()), Limiter::kCeiling);
  EXPECT_GE(*std::min_element(out.begin(), out.end()), 0.0f);
  EXPECT_NEAR(out.back(), Limiter::kCeiling, 1e-3);
  c->Play(true);
  Render(2 * 48000);  // the limiter lets go within a second or two
  EXPECT_NEAR(Render(1)[0], kLevel, kFilterTolerance) << "summed before limiting";
  a->Stop();
  b->Stop();
  auto d = Make("NEGDC8");
  d->Play(true);
  Render(48000);
  out = Render(4800);
  EXPECT_GE(*std::min_element(out.begin(), out.end()), -Limiter::kCeiling);
  EXPECT_NEAR(out.back(), -Limiter::kCeiling, 1e-3);
}

TEST_F(BufferLaws, ReleaseStopsFreesTheVoiceAndEmptiesThePointer) {
  auto buffer = Make("DC8");
  buffer->Play(true);
  ReleaseSoundBuffer(buffer);
  EXPECT_FALSE(buffer);
  ReleaseSoundBuffer(buffer);  // an empty owner is skipped
  EXPECT_EQ(device_->mixer().ActiveVoices(), 0);
  EXPECT_EQ(SoundingFrames(Render(100)), 0u);
}

TEST_F(BufferLaws, VoicesRunOutAndComeBack) {
  std::vector<std::unique_ptr<SoundBuffer>> buffers;
  for (int i = 0; i < Mixer::kVoiceCount; ++i) {
    buffers.push_back(Make("RAMP8"));
    ASSERT_TRUE(buffers.back()) << i;
  }
  EXPECT_FALSE(Make("RAMP8"));
  ReleaseSoundBuffer(buffers[17]);
  EXPECT_TRUE(Make("RAMP8"));
}

TEST_F(BufferLaws, BufferOutlivingItsDeviceIsStillSafeToRelease) {
  auto buffer = Make("DC8");
  buffer->Play(true);
  device_.reset();
  EXPECT_TRUE(buffer->IsPlaying());
  ReleaseSoundBuffer(buffer);
  EXPECT_FALSE(buffer);
}

// ---------------------------------------------------------------- the two renditions
// DC8's full-band rendition stands at +0.5, STEREO8's at +0.375/-0.125, so the output
// says which one plays; RAMP8's is of another length and PCM16 has none.
constexpr float kFullBandLevel = 0.5f;

TEST_F(BufferLaws, AFullBandBufferPlaysItsRenditionInTheWavesTerms) {
  auto buffer = CreateBufferFromResource(device_.get(), "DC8", Rendition::kFullBand);
  ASSERT_TRUE(buffer);
  EXPECT_EQ(buffer->rendition(), Rendition::kFullBand);
  EXPECT_EQ(buffer->GetFrequency(), 11025u);
  buffer->Play(false);
  const auto once = Render(60000);
  EXPECT_NEAR(once[2 * 20000], kFullBandLevel, kFilterTolerance);
  EXPECT_NEAR(double(LoudFrames(once, kFullBandLevel)), 48000, 2);
  // Twice the wave's rate plays the 44100 Hz samples twice as fast: half a second.
  ASSERT_TRUE(buffer->SetFrequency(22050));
  EXPECT_EQ(buffer->GetFrequency(), 22050u);
  buffer->Play(false);
  EXPECT_NEAR(double(LoudFrames(Render(60000), kFullBandLevel)), 24000, 2);

  auto stereo = CreateBufferFromResource(device_.get(), "STEREO8", Rendition::kFullBand);
  stereo->Play(true);
  EXPECT_NEAR(Level().first, 0.375f, kFilterTolerance);
  EXPECT_NEAR(Level().second, -0.125f, kFilterTolerance);
}

TEST_F(BufferLaws, WithoutAMatchingRenditionABufferPlaysTheOriginal) {
  for (const char* name : {"RAMP8", "PCM16"}) {
    auto buffer = CreateBufferFromResource(device_.get(), name, Rendition::kFullBand);
    ASSERT_TRUE(buffer) << name;
    EXPECT_EQ(buffer->rendition(), Rendition::kOriginal) << name;
    EXPECT_FALSE(buffer->UseRendition(Rendition::kFullBand)) << name;
    EXPECT_EQ(buffer->rendition(), Rendition::kOriginal) << name;
    EXPECT_TRUE(buffer->UseRendition(Rendition::kOriginal)) << name;
  }
  EXPECT_EQ(device_->mixer().ActiveVoices(), 0);
}

// A playing loop turns over at once, from the same place, cross-faded: its level moves
// smoothly from one rendition's to the other's, and volume, pan and frequency carry over.
TEST_F(BufferLaws, ALoopTurnsOverAtOnceWithoutAStep) {
  for (int rate : {44100, 48000}) {
    UseRate(rate);
    stream_.clear();
    auto buffer = Make("DC8");
    ASSERT_TRUE(buffer->SetPan(-600));  // right at -6 dB
    ASSERT_TRUE(buffer->SetFrequency(12000));
    buffer->Play(true);
    Mix(kSettle);
    ASSERT_TRUE(buffer->UseRendition(Rendition::kFullBand));
    EXPECT_EQ(buffer->rendition(), Rendition::kFullBand);
    EXPECT_EQ(buffer->GetFrequency(), 12000u);
    EXPECT_EQ(buffer->GetPan(), -600);
    Mix(rate / 5 + Delay());
    const auto left = Heard(kSettle / 2, kSettle + size_t(rate) / 5);
    EXPECT_NEAR(left.front(), kLevel, kFilterTolerance);
    EXPECT_NEAR(left.back(), kFullBandLevel, kFilterTolerance);
    for (size_t n = 1; n < left.size(); ++n) {
      ASSERT_LE(std::abs(left[n] - left[n - 1]), 0.001f) << rate << ": " << n;
    }
    const auto [l, r] = Level();
    EXPECT_NEAR(r / l, std::pow(10.0, -0.3), 1e-3);
    // Back again; once the fade is over, each turn has let go of the voice it left.
    ASSERT_TRUE(buffer->UseRendition(Rendition::kOriginal));
    EXPECT_EQ(device_->mixer().ActiveVoices(), 2);
    Render(rate / 10);
    EXPECT_NEAR(Level().first, kLevel, kFilterTolerance);
    EXPECT_TRUE(buffer->UseRendition(Rendition::kOriginal));
    EXPECT_EQ(device_->mixer().ActiveVoices(), 1);
  }
}

// A one-shot sounding when the rendition changes finishes as it started; its next Play
// is in the new one. A stopped buffer turns over at once and keeps its place.
TEST_F(BufferLaws, ASoundingOneShotFinishesAsItIsAndTheNextPlayTurnsOver) {
  auto shot = Make("DC8");
  shot->Play(false);
  Render(kSettle);
  EXPECT_TRUE(shot->UseRendition(Rendition::kFullBand));
  EXPECT_EQ(shot->rendition(), Rendition::kOriginal);
  const auto rest = Render(60000);
  EXPECT_NEAR(rest[2 * 20000], kLevel, kFilterTolerance);
  EXPECT_NEAR(double(LoudFrames(rest, kLevel)), 48000 - kSettle + Delay(), 2);
  EXPECT_FALSE(shot->IsPlaying());
  shot->Play(false);
  EXPECT_EQ(shot->rendition(), Rendition::kFullBand);
  EXPECT_NEAR(double(LoudFrames(Render(60000), kFullBandLevel)), 48000, 2);

  // Stopped, it turns over at once (the mixer's own tests hold the place it keeps).
  shot->Play(false);
  Render(1000);
  shot->Stop();
  EXPECT_TRUE(shot->UseRendition(Rendition::kOriginal));
  EXPECT_EQ(shot->rendition(), Rendition::kOriginal);
  EXPECT_EQ(device_->mixer().ActiveVoices(), 1);
  shot->Play(false);
  EXPECT_NEAR(Level().first, kLevel, kFilterTolerance);
}

}  // namespace
}  // namespace lullwood
