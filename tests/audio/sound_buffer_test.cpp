// The laws of a sound buffer, measured on rendered output of embedded test waves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "OfflineOutput.h"
#include "SoundBuffer.h"
#include "WaveResources.h"

namespace lullwood {
namespace {

constexpr float kLevel = 100.0f / 128.0f;  // the level of DC8

class BufferLaws : public ::testing::Test {
 protected:
  void UseRate(int rate) { device_ = std::make_unique<OfflineSoundDevice>(rate); }
  std::unique_ptr<SoundBuffer> Make(std::string_view name) {
    return CreateBufferFromResource(device_.get(), name);
  }
  std::vector<float> Render(size_t frames) { return device_->Render(frames); }
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

  std::unique_ptr<OfflineSoundDevice> device_ = std::make_unique<OfflineSoundDevice>(48000);
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
  EXPECT_FLOAT_EQ(Render(1)[0], kLevel);
  ASSERT_TRUE(buffer->SetVolume(-2000));
  auto out = Render(64);
  EXPECT_FLOAT_EQ(out[0], kLevel * 0.1f);
  EXPECT_FLOAT_EQ(out[1], kLevel * 0.1f);
  ASSERT_TRUE(buffer->SetVolume(-600));
  EXPECT_NEAR(Render(1)[0], kLevel * std::pow(10.0, -0.3), 1e-6);
  ASSERT_TRUE(buffer->SetVolume(-10000));
  EXPECT_EQ(SoundingFrames(Render(480)), 0u);
  EXPECT_TRUE(buffer->IsPlaying());
}

TEST_F(BufferLaws, PanAttenuatesOneSideAndAddsToVolume) {
  auto buffer = Make("DC8");
  buffer->Play(true);
  ASSERT_TRUE(buffer->SetPan(kPanLeft));
  auto out = Render(16);
  EXPECT_FLOAT_EQ(out[0], kLevel);
  EXPECT_EQ(out[1], 0.0f);
  ASSERT_TRUE(buffer->SetPan(kPanRight));
  out = Render(16);
  EXPECT_EQ(out[0], 0.0f);
  EXPECT_FLOAT_EQ(out[1], kLevel);
  ASSERT_TRUE(buffer->SetPan(-2000));
  out = Render(16);
  EXPECT_FLOAT_EQ(out[0], kLevel);
  EXPECT_FLOAT_EQ(out[1], kLevel * 0.1f);

  ASSERT_TRUE(buffer->SetVolume(-1000));
  ASSERT_TRUE(buffer->SetPan(1000));
  out = Render(16);
  EXPECT_NEAR(out[0], kLevel * 0.1, 1e-6);
  EXPECT_NEAR(out[1], kLevel * std::pow(10.0, -0.5), 1e-6);
  // Together beyond silence is silence, not a wrap.
  ASSERT_TRUE(buffer->SetVolume(-6000));
  ASSERT_TRUE(buffer->SetPan(-6000));
  out = Render(16);
  EXPECT_NEAR(out[0], kLevel * 0.001, 1e-7);
  EXPECT_EQ(out[1], 0.0f);
}

TEST_F(BufferLaws, RefusedValuesChangeNothing) {
  auto buffer = Make("DC8");
  buffer->Play(true);
  ASSERT_TRUE(buffer->SetVolume(-300));
  ASSERT_TRUE(buffer->SetPan(400));
  ASSERT_TRUE(buffer->SetFrequency(8000));
  const auto before = Render(480);

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
  EXPECT_EQ(Render(480), before);

  EXPECT_TRUE(buffer->SetFrequency(kFrequencyMin));
  EXPECT_TRUE(buffer->SetFrequency(kFrequencyMax));
  EXPECT_TRUE(buffer->SetFrequency(kFrequencyOriginal));
  EXPECT_EQ(buffer->GetFrequency(), 11025u);
}

TEST_F(BufferLaws, DoublingTheFrequencyHalvesTheDuration) {
  auto buffer = Make("DC8");  // one second at 11025 Hz
  buffer->Play(false);
  const size_t normal = SoundingFrames(Render(60000));
  EXPECT_FALSE(buffer->IsPlaying());
  ASSERT_TRUE(buffer->SetFrequency(22050));
  buffer->Play(false);
  const size_t doubled = SoundingFrames(Render(60000));
  EXPECT_NEAR(double(normal), 48000, 1);
  EXPECT_NEAR(double(doubled), 24000, 1);
  ASSERT_TRUE(buffer->SetFrequency(5513));
  buffer->Play(false);
  EXPECT_NEAR(double(SoundingFrames(Render(120000))), 48000.0 * 11025 / 5513, 2);
}

TEST_F(BufferLaws, OneShotEndsRewindsAndPlaysAgain) {
  UseRate(11025);  // one output frame per source frame: output equals the samples
  const auto ramp = Samples8("RAMP8");
  auto buffer = Make("RAMP8");
  buffer->Play(false);
  auto left = Channel(Render(150), 0);
  EXPECT_EQ(std::vector<float>(left.begin(), left.begin() + 100), ramp);
  EXPECT_TRUE(std::all_of(left.begin() + 100, left.end(), [](float x) { return x == 0; }));
  EXPECT_FALSE(buffer->IsPlaying());

  buffer->Play(false);
  EXPECT_TRUE(buffer->IsPlaying());
  left = Channel(Render(100), 0);
  EXPECT_EQ(left, ramp);
  EXPECT_FALSE(buffer->IsPlaying());  // ended with its last frame
}

TEST_F(BufferLaws, PlayWhilePlayingGoesOnAndStopKeepsThePosition) {
  UseRate(11025);
  const auto ramp = Samples8("RAMP8");
  auto buffer = Make("RAMP8");
  buffer->Play(false);
  Render(30);
  buffer->Play(false);
  auto left = Channel(Render(20), 0);
  EXPECT_EQ(left, std::vector<float>(ramp.begin() + 30, ramp.begin() + 50));

  buffer->Stop();
  EXPECT_FALSE(buffer->IsPlaying());
  EXPECT_EQ(SoundingFrames(Render(40)), 0u);
  buffer->Play(true);  // resumes at 50, now looping
  EXPECT_TRUE(buffer->IsLooping());
  left = Channel(Render(100), 0);
  for (size_t n = 0; n < left.size(); ++n) ASSERT_EQ(left[n], ramp[(50 + n) % 100]) << n;
  buffer->Play(false);  // only the flag changes: plays out to the end
  left = Channel(Render(60), 0);
  EXPECT_EQ(std::vector<float>(left.begin(), left.begin() + 50),
            std::vector<float>(ramp.begin() + 50, ramp.end()));
  EXPECT_EQ(left[50], 0.0f);
  EXPECT_FALSE(buffer->IsPlaying());
}

TEST_F(BufferLaws, LoopIsSampleExactAcrossItsEnd) {
  UseRate(11025);
  const auto ramp = Samples8("RAMP8");
  auto buffer = Make("RAMP8");
  buffer->Play(true);
  const auto left = Channel(Render(1000), 0);
  for (size_t n = 0; n < left.size(); ++n) ASSERT_EQ(left[n], ramp[n % 100]) << n;
  EXPECT_TRUE(buffer->IsPlaying());
}

TEST_F(BufferLaws, ResampledLoopMatchesAModelOverSeveralPasses) {
  const auto sine = Samples8("SINE8");  // 22050 frames at 22050 Hz
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
  for (size_t n = 0; n < frames; ++n) {
    const double position = n * 22050.0 / 48000.0;
    const size_t i = static_cast<size_t>(position);
    const double f = position - i;
    const double a = sine[i % sine.size()];
    const double b = sine[(i + 1) % sine.size()];
    const double expected = a + f * (b - a);
    worst = std::max(
        {worst, std::abs(out[2 * n] - expected), std::abs(out[2 * n + 1] - expected * gainRight)});
  }
  EXPECT_LT(worst, 1e-4);
}

TEST_F(BufferLaws, StereoAndSixteenBitWavesKeepTheirChannels) {
  auto stereo = Make("STEREO8");
  stereo->Play(true);
  auto out = Render(3000);
  for (size_t n = 0; n < 3000; ++n) {
    ASSERT_EQ(out[2 * n], 0.5f) << n;
    ASSERT_EQ(out[2 * n + 1], -0.25f) << n;
  }
  stereo->SetPan(kPanLeft);
  out = Render(10);
  EXPECT_EQ(out[0], 0.5f);
  EXPECT_EQ(out[1], 0.0f);
  ReleaseSoundBuffer(stereo);

  auto wide = Make("PCM16");
  wide->Play(true);
  out = Render(10);
  EXPECT_EQ(out[0], 0.5f);
  EXPECT_EQ(out[1], 0.5f);
}

TEST_F(BufferLaws, SumIsLimitedToFullScale) {
  auto a = Make("DC8");
  auto b = Make("DC8");
  auto c = Make("NEGDC8");
  a->Play(true);
  b->Play(true);
  auto out = Render(100);
  EXPECT_EQ(*std::max_element(out.begin(), out.end()), 1.0f);
  EXPECT_EQ(*std::min_element(out.begin(), out.end()), 1.0f);
  c->Play(true);
  EXPECT_FLOAT_EQ(Render(1)[0], kLevel);  // summed before limiting
  a->Stop();
  b->Stop();
  auto d = Make("NEGDC8");
  d->Play(true);
  out = Render(100);
  EXPECT_EQ(*std::max_element(out.begin(), out.end()), -1.0f);
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

}  // namespace
}  // namespace lullwood
