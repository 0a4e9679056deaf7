// Writes the full-band renditions the audio tests embed beside their waves, as FLAC:
// make_test_full_band <output folder>. Each is told apart from its wave by its level.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "FlacWriter.h"

namespace {

// Frames of `channels` 16-bit values, `value(frame, channel)` in -1..1.
template <typename Value>
std::vector<uint8_t> Pcm16(uint32_t frames, uint16_t channels, Value value) {
  std::vector<uint8_t> out;
  for (uint32_t i = 0; i < frames; ++i) {
    for (uint16_t c = 0; c < channels; ++c) {
      const auto v = static_cast<int16_t>(std::lround(value(i, c) * 32767.0));
      out.push_back(static_cast<uint8_t>(v & 0xFF));
      out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_test_full_band <output folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  const struct {
    const char* name;
    uint32_t rate;
    uint16_t channels;
    std::vector<uint8_t> data;
  } sounds[] = {
      // DC8: a second at 11025 Hz; here a second at 44100 Hz at +0.5.
      {"DC8", 44100, 1, Pcm16(44100, 1, [](uint32_t, int) { return 0.5; })},
      // SINE8: 441 Hz for a second at 22050 Hz; here the same sine at 44100 Hz.
      {"SINE8", 44100, 1,
       Pcm16(44100, 1,
             [](uint32_t i, int) { return 100.0 / 128 * std::sin(2 * M_PI * i / 100.0); })},
      // STEREO8: left +0.5, right -0.25 for 2205 frames at 22050 Hz.
      {"STEREO8", 44100, 2,
       Pcm16(4410, 2, [](uint32_t, int c) { return c == 0 ? 0.375 : -0.125; })},
      // RAMP8 is 100 frames at 11025 Hz: a rendition of another length is not the same
      // sound, and is refused.
      {"RAMP8", 44100, 1, Pcm16(100, 1, [](uint32_t, int) { return 0.25; })},
  };
  for (const auto& sound : sounds) {
    std::string error;
    const auto flac =
        lullwood::synth::EncodeFlac16(sound.data, sound.rate, sound.channels, sound.name, error);
    std::ofstream out(dir + "/" + sound.name + ".flac", std::ios::binary);
    if (flac) out.write(reinterpret_cast<const char*>(flac->data()), std::streamsize(flac->size()));
    if (!flac || !out) {
      std::fprintf(stderr, "make_test_full_band: cannot write %s: %s\n", sound.name, error.c_str());
      return 1;
    }
  }
  return 0;
}
