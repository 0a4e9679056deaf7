// Claiming and releasing the device, and buffers changed while the output renders.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "OfflineOutput.h"
#include "SoundBuffer.h"
#include "SoundDevice.h"
#include "WaveResources.h"

namespace lullwood {
namespace {

TEST(AudioDevice, ClaimAndReleaseOpenAndCloseTheOutput) {
  OfflineOutputFactory outputs(22050);
  AudioDevice device;
  EXPECT_EQ(outputs.current(), nullptr);
  ASSERT_TRUE(ClaimDevice(device, outputs));
  ASSERT_TRUE(device.directSound);
  EXPECT_EQ(outputs.current(), device.directSound.get());
  EXPECT_EQ(device.directSound->outputRate(), 22050);

  // A second claim keeps the device it has.
  SoundDevice* first = device.directSound.get();
  EXPECT_TRUE(ClaimDevice(device, outputs));
  EXPECT_EQ(device.directSound.get(), first);
  EXPECT_EQ(outputs.opened(), 1);

  ReleaseDevice(device);
  EXPECT_FALSE(device.directSound);
  EXPECT_EQ(outputs.current(), nullptr);
  ReleaseDevice(device);
}

TEST(AudioDevice, FailedClaimLeavesTheRecordAsItWas) {
  OfflineOutputFactory outputs;
  outputs.SetFailing(true);
  AudioDevice device;
  EXPECT_FALSE(ClaimDevice(device, outputs));
  EXPECT_FALSE(device.directSound);
  EXPECT_EQ(outputs.current(), nullptr);
  EXPECT_FALSE(CreateBufferFromResource(device.directSound.get(), "DC8"));
  outputs.SetFailing(false);
  EXPECT_TRUE(ClaimDevice(device, outputs));
  EXPECT_TRUE(CreateBufferFromResource(device.directSound.get(), "DC8"));
}

TEST(AudioDevice, FactoryMayGoBeforeItsDevice) {
  auto outputs = std::make_unique<OfflineOutputFactory>();
  std::unique_ptr<SoundDevice> device = outputs->OpenDefaultOutput();
  ASSERT_TRUE(device);
  auto* offline = dynamic_cast<OfflineSoundDevice*>(device.get());
  ASSERT_NE(offline, nullptr);
  std::unique_ptr<SoundBuffer> buffer = CreateBufferFromResource(device.get(), "DC8");
  ASSERT_TRUE(buffer);
  outputs.reset();
  buffer->Play(/*looping=*/true);
  const std::vector<float> out = offline->Render(256);
  EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](float x) { return x != 0.0f; }))
      << "the device plays on without its factory";
  ReleaseSoundBuffer(buffer);
  // Closing must not reach the factory that is gone; the sanitized build sees it if it does.
  device.reset();
}

// Buffers made, changed and released on this thread while another renders: the
// sanitized and race-detecting builds check the sharing; here the render must go on
// beside the changes and the mixer must come out of them whole.
TEST(AudioDevice, BuffersChangeSafelyWhileTheOutputRenders) {
  OfflineSoundDevice device;
  std::atomic<bool> done{false};
  std::atomic<long> blocks{0};
  std::thread output([&] {
    std::vector<float> block(2 * 256);
    while (!done.load()) {
      device.Render(block.data(), 256);
      ++blocks;
    }
  });
  // Lets the output render at least one more block, so the two threads interleave.
  const auto awaitBlock = [&] {
    const long seen = blocks.load();
    while (blocks.load() == seen) std::this_thread::yield();
  };
  std::unique_ptr<SoundBuffer> slots[4];
  for (int i = 0; i < 3000; ++i) {
    if (i % 250 == 0) awaitBlock();
    auto& slot = slots[i % 4];
    if (slot) {
      ReleaseSoundBuffer(slot);
      continue;
    }
    slot = CreateBufferFromResource(&device, i % 3 ? "RAMP8" : "STEREO8");
    ASSERT_TRUE(slot);
    slot->SetVolume(-(i % 5000));
    slot->SetPan(i % 2 ? 3000 : -3000);
    slot->SetFrequency(100 + (i * 37) % 90000);
    slot->Play(i % 2 == 0);
  }
  for (auto& slot : slots) ReleaseSoundBuffer(slot);
  EXPECT_EQ(device.mixer().ActiveVoices(), 0);
  done = true;
  output.join();
  EXPECT_GE(blocks.load(), 12) << "rendered beside the changes";

  // Whole afterwards: silence with nothing playing (once the resampling filters and the
  // limiter's look-ahead have let out what they still held), then a new sound is heard.
  device.Render(8192);
  const std::vector<float> quiet = device.Render(256);
  EXPECT_TRUE(std::all_of(quiet.begin(), quiet.end(), [](float x) { return x == 0.0f; }));
  std::unique_ptr<SoundBuffer> dc = CreateBufferFromResource(&device, "DC8");
  ASSERT_TRUE(dc);
  dc->Play(/*looping=*/true);
  const std::vector<float> heard = device.Render(256);
  EXPECT_TRUE(std::any_of(heard.begin(), heard.end(), [](float x) { return x != 0.0f; }));
  ReleaseSoundBuffer(dc);
}

}  // namespace
}  // namespace lullwood
