// Claiming and releasing the device, and buffers changed while the output renders.
#include <gtest/gtest.h>

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
  auto device = outputs->OpenDefaultOutput();
  outputs.reset();
  device.reset();
}

TEST(AudioDevice, BuffersChangeSafelyWhileTheOutputRenders) {
  OfflineSoundDevice device;
  std::atomic<bool> done{false};
  std::atomic<bool> inRange{true};
  std::thread output([&] {
    std::vector<float> block(2 * 256);
    while (!done.load()) {
      device.Render(block.data(), 256);
      for (float x : block) {
        if (!(x >= -1.0f && x <= 1.0f)) inRange = false;
      }
    }
  });
  std::unique_ptr<SoundBuffer> slots[4];
  for (int i = 0; i < 3000; ++i) {
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
  done = true;
  output.join();
  EXPECT_TRUE(inRange);
  for (auto& slot : slots) ReleaseSoundBuffer(slot);
  EXPECT_EQ(device.mixer().ActiveVoices(), 0);
}

}  // namespace
}  // namespace lullwood
