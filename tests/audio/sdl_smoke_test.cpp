// The real SDL output path, written to a file by SDL's disk driver instead of a sound
// card: a looping wave must reach the file.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "LiveOutput.h"
#include "SoundBuffer.h"

namespace lullwood {
namespace {

TEST(SdlBackend, PlaysIntoTheDiskDriversFile) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("lullwood-sdl-smoke-" + std::to_string(::getpid()) + ".raw");
  std::filesystem::remove(path);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "0", 1);

  {
    LiveOutputFactory outputs;
    AudioDevice device;
    ASSERT_TRUE(ClaimDevice(device, outputs));
    EXPECT_GT(device.directSound->outputRate(), 0);
    auto buffer = CreateBufferFromResource(device.directSound.get(), "SINE8");
    ASSERT_TRUE(buffer);
    // The driver writes as fast as the mixer renders, silence too until the wave plays:
    // wait for about a second of output after the start.
    std::error_code error;
    const auto before = std::filesystem::file_size(path, error);
    const uintmax_t silence = error ? 0 : before;
    buffer->Play(true);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      if (std::filesystem::file_size(path, error) > silence + 48000 * 8) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ReleaseSoundBuffer(buffer);
    ReleaseDevice(device);
  }

  std::ifstream in(path, std::ios::binary);
  std::vector<float> samples;
  float x;
  while (in.read(reinterpret_cast<char*>(&x), sizeof x)) samples.push_back(x);
  std::filesystem::remove(path);
  ASSERT_GT(samples.size(), 48000u);
  float peak = 0;
  for (float s : samples) {
    ASSERT_TRUE(std::isfinite(s));
    peak = std::max(peak, std::abs(s));
  }
  EXPECT_GT(peak, 0.5f);
  EXPECT_LE(peak, 1.0f);
}

}  // namespace
}  // namespace lullwood
