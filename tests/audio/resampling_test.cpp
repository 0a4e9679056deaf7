// What the resampling does to a sound's spectrum, measured on rendered sines: images
// above a sound's own band, the flatness of its band, and aliasing when it is read
// faster than the output can carry.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Mixer.h"
#include "Spectrum.h"

namespace lullwood {
namespace {

using testing::Amplitude;
using testing::Db;
using testing::Left;

constexpr double kAmplitude = 0.5;  // below the limiter's ceiling
constexpr size_t kWindow = 32768;   // frames analysed, after the start has settled
constexpr size_t kSettle = 4800;

std::vector<float> Sine(double hz, double rate, uint32_t frames) {
  std::vector<float> out(frames);
  for (uint32_t i = 0; i < frames; ++i)
    out[i] = static_cast<float>(kAmplitude * std::sin(2 * M_PI * hz * i / rate));
  return out;
}

// A looping sine of `hz` made at `waveRate`, played at `playRate` into `outputRate`;
// the left channel of the settled output.
std::vector<float> Play(double hz, uint32_t waveRate, uint32_t playRate, int outputRate) {
  const auto source = Sine(hz, waveRate, waveRate);  // whole periods of every tone used
  Mixer mixer(outputRate);
  const auto voice = mixer.AddVoice({source.data(), waveRate, 1}, waveRate);
  mixer.SetRate(voice, playRate);
  mixer.Play(voice, true);
  std::vector<float> out(2 * (kSettle + kWindow));
  mixer.Render(out.data(), kSettle + kWindow);
  return Left(out, kSettle, kWindow);
}

// The loudest of the frequencies from `lowHz` to `highHz`, every 25 Hz, in dB
// below `reference`.
double LoudestBelow(const std::vector<float>& x, double rate, double lowHz, double highHz,
                    double reference) {
  double loudest = 0;
  for (double hz = lowHz; hz <= highHz; hz += 25)
    loudest = std::max(loudest, Amplitude(x, hz, rate));
  return -Db(loudest / reference);
}

TEST(Resampling, AnOwnRateSineAt11025HzLeavesNoImageWithin70Db) {
  const auto out = Play(3000, 11025, 11025, 48000);
  const double tone = Amplitude(out, 3000, 48000);
  EXPECT_NEAR(Db(tone / kAmplitude), 0.0, 0.1);
  for (double image : {11025.0 - 3000, 11025.0 + 3000, 22050.0 - 3000}) {
    EXPECT_GE(-Db(Amplitude(out, image, 48000) / tone), 70) << image << " Hz";
  }
  // Nothing else anywhere above the sound's own band either.
  EXPECT_GE(LoudestBelow(out, 48000, 5600, 23900, tone), 70);
}

TEST(Resampling, TheBandIsFlatWithinHalfADecibel) {
  for (double hz = 250; hz <= 4500; hz += 250) {
    const auto out = Play(hz, 11025, 11025, 48000);
    EXPECT_NEAR(Db(Amplitude(out, hz, 48000) / kAmplitude), 0.0, 0.5) << hz << " Hz at 11025 Hz";
  }
  for (double hz = 500; hz <= 9000; hz += 500) {
    const auto out = Play(hz, 22050, 22050, 48000);
    EXPECT_NEAR(Db(Amplitude(out, hz, 48000) / kAmplitude), 0.0, 0.5) << hz << " Hz at 22050 Hz";
  }
}

TEST(Resampling, AnOwnRateSineAt22050HzLeavesNoImageWithin70Db) {
  const auto out = Play(7000, 22050, 22050, 48000);
  const double tone = Amplitude(out, 7000, 48000);
  for (double image : {22050.0 - 7000, 22050.0 + 7000}) {
    if (image < 24000) {
      EXPECT_GE(-Db(Amplitude(out, image, 48000) / tone), 70) << image << " Hz";
    }
  }
}

TEST(Resampling, OverDynamicRandomsPitchRangeImagesStay50DbDown) {
  for (int offset : {-1535, -1000, -300, 400, 1200, 2047}) {
    const uint32_t rate = 11025 + offset;
    const double heard = 3000.0 * rate / 11025;
    const auto out = Play(3000, 11025, rate, 48000);
    const double tone = Amplitude(out, heard, 48000);
    EXPECT_NEAR(Db(tone / kAmplitude), 0.0, 0.5) << offset;
    for (double image : {rate - heard, rate + heard, 2.0 * rate - heard}) {
      if (image < 24000) {
        EXPECT_GE(-Db(Amplitude(out, image, 48000) / tone), 50) << offset << ": " << image << " Hz";
      }
    }
    EXPECT_GE(LoudestBelow(out, 48000, 0.62 * rate, 23900, tone), 50) << offset;
  }
  // The one effect made at 22050 Hz, raised as far as it goes.
  const auto out = Play(9000, 22050, 22050 + 2047, 48000);
  const double heard = 9000.0 * (22050 + 2047) / 22050;
  const double tone = Amplitude(out, heard, 48000);
  EXPECT_GE(-Db(Amplitude(out, 22050 + 2047 - heard, 48000) / tone), 50);
}

// A changed frequency reads between the table's rows: the nearest row stands in for
// the exact delay, and that error must stay as far down as the images, anywhere in the
// output's band. Worst at the top of a sound's band, so tones near it are played.
TEST(Resampling, ChangedFrequenciesLeaveNoSpurWithin50Db) {
  struct Case {
    double hz;
    uint32_t waveRate;
    int offset;
  };
  for (const Case c : {Case{4500, 11025, -1535}, Case{4500, 11025, -300}, Case{4500, 11025, 400},
                       Case{4500, 11025, 1200}, Case{4500, 11025, 2047}, Case{9000, 22050, -1535},
                       Case{9000, 22050, 2047}}) {
    const uint32_t rate = c.waveRate + c.offset;
    const double heard = c.hz * rate / c.waveRate;
    const auto out = Play(c.hz, c.waveRate, rate, 48000);
    const double tone = Amplitude(out, heard, 48000);
    const testing::Loudest spur = testing::LoudestAwayFrom(out, 48000, heard, 30);
    EXPECT_GE(-Db(spur.amplitude / tone), 50)
        << c.hz << " Hz at " << c.waveRate << " Hz played at " << rate << ": " << spur.hz << " Hz";
  }
}

TEST(Resampling, ContentRaisedAboveTheOutputsBandIsRemovedNotFolded) {
  // 9 kHz at 22050 Hz read at 100000 Hz would be heard at 40.8 kHz: above a 48 kHz
  // output's band, so it must vanish rather than fold down to 7.2 kHz.
  {
    const auto out = Play(9000, 22050, 100000, 48000);
    const double raised = 9000.0 * 100000 / 22050;
    EXPECT_GE(-Db(Amplitude(out, 48000 - raised, 48000) / kAmplitude), 50);
  }
  // Raised by Dynamic Random into an 11025 Hz output: 5 kHz becomes 5.93 kHz, above its
  // half rate; it must not fold down to 5.1 kHz.
  {
    const auto out = Play(5000, 11025, 11025 + 2047, 11025);
    const double raised = 5000.0 * (11025 + 2047) / 11025;
    EXPECT_GE(-Db(Amplitude(out, 11025 - raised, 11025) / kAmplitude), 50);
    // What lies inside the band still plays.
    const auto low = Play(2000, 11025, 11025 + 2047, 11025);
    EXPECT_NEAR(Db(Amplitude(low, 2000.0 * (11025 + 2047) / 11025, 11025) / kAmplitude), 0.0, 0.5);
  }
}

// The full-band renditions are made at 44100 Hz: at that output they are summed as
// they are; at 48000 Hz through a bus of their own that keeps their band flat to 18.5
// kHz (the recordings' slope leaves little above it) for a kernel two thirds as long.
TEST(Resampling, AFullBandSoundKeepsItsBandTo20KHzAt44100AndTo18KHzAt48000) {
  for (int outputRate : {44100, 48000}) {
    for (double hz : {1000.0, 8000.0, 14000.0, 18000.0, 20000.0}) {
      if (hz > 18000 && outputRate != 44100) continue;
      const auto out = Play(hz, 44100, 44100, outputRate);
      const double tone = Amplitude(out, hz, outputRate);
      EXPECT_NEAR(Db(tone / kAmplitude), 0.0, 0.5) << hz << " Hz into " << outputRate;
      const testing::Loudest spur = testing::LoudestAwayFrom(out, outputRate, hz, 30);
      EXPECT_GE(-Db(spur.amplitude / tone), 70)
          << hz << " Hz into " << outputRate << ": " << spur.hz << " Hz";
    }
  }
}

// Dynamic Random on a full-band sound keeps its ratio to the wave's rate: up to 19 %
// faster than a 44100 Hz output, so the sound is read faster than the output's rate.
TEST(Resampling, AFullBandSoundRaisedByDynamicRandomKeepsItsToneAndFoldsNothing) {
  for (int outputRate : {44100, 48000}) {
    for (int offset : {-1535, 400, 2047}) {
      const uint32_t rate = 4 * (11025 + offset);
      for (double hz : {3000.0, 12000.0}) {
        const double heard = hz * rate / 44100;
        const auto out = Play(hz, 44100, rate, outputRate);
        const double tone = Amplitude(out, heard, outputRate);
        EXPECT_NEAR(Db(tone / kAmplitude), 0.0, 0.5) << hz << " Hz at " << rate;
        const testing::Loudest spur = testing::LoudestAwayFrom(out, outputRate, heard, 30);
        EXPECT_GE(-Db(spur.amplitude / tone), 50)
            << hz << " Hz at " << rate << " into " << outputRate << ": " << spur.hz << " Hz";
      }
      // Raised past the output's half rate: removed, not folded back into the band.
      const double top = 20000.0 * rate / 44100;
      if (top > outputRate / 2.0) {
        const auto out = Play(20000, 44100, rate, outputRate);
        EXPECT_GE(-Db(Amplitude(out, outputRate - top, outputRate) / kAmplitude), 50)
            << rate << " into " << outputRate;
      }
    }
  }
}

}  // namespace
}  // namespace lullwood
