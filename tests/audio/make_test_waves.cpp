// Writes the wave files the audio tests embed: make_test_waves <output folder>.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "WaveBuilder.h"

using namespace lullwood::test;

namespace {

Bytes Filled(size_t bytes, uint8_t value) {
  return Bytes(bytes, value);
}

bool Write(const std::string& folder, const char* name, const Bytes& image) {
  std::ofstream out(folder + "/" + name + ".wav", std::ios::binary);
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_test_waves <output folder>\n");
    return 2;
  }
  const std::string dir = argv[1];

  Bytes ramp;  // 100 distinct levels, for sample-exact checks
  for (int i = 0; i < 100; ++i) ramp.push_back(static_cast<uint8_t>(28 + 2 * i));
  Bytes sine;  // 441 whole periods in one second at 22050 Hz
  for (int i = 0; i < 22050; ++i) {
    sine.push_back(static_cast<uint8_t>(128 + std::lround(100 * std::sin(2 * M_PI * i / 50.0))));
  }
  Bytes stereo;  // left +0.5, right -0.25
  for (int i = 0; i < 2205; ++i) stereo.insert(stereo.end(), {192, 96});
  Bytes pcm16;  // +0.5
  for (int i = 0; i < 1000; ++i) PutU16(pcm16, 16384);

  const Bytes fmt8 = FormatBody(1, 1, 11025, 8);
  const Bytes level = Filled(11025, 228);  // +100/128 for one second at 11025 Hz
  const struct {
    const char* name;
    Bytes image;
  } waves[] = {
      {"DC8", PcmWave(1, 11025, 8, level)},
      {"NEGDC8", PcmWave(1, 11025, 8, Filled(11025, 28))},
      {"RAMP8", PcmWave(1, 11025, 8, ramp)},
      {"SINE8", PcmWave(1, 22050, 8, sine)},
      {"STEREO8", PcmWave(2, 22050, 8, stereo)},
      {"PCM16", PcmWave(1, 22050, 16, pcm16)},
      {"MixedCase", PcmWave(1, 11025, 8, Filled(100, 228))},
      {"DATAFIRST", Riff({{"data", level}, {"fmt ", fmt8}})},
      {"ODDPAD", Riff({{"junk", Filled(3, 7)}, {"fmt ", fmt8}, {"data", level}})},
      {"FMT12", Riff({{"fmt ", FormatBody(1, 1, 11025, 8, 12)}, {"fmt ", fmt8}, {"data", level}})},
      {"NODATA", Riff({{"fmt ", fmt8}, {"LIST", Filled(10, 0)}})},
      {"EMPTYDATA", Riff({{"fmt ", fmt8}, {"data", {}}})},
      {"FLOAT32", Riff({{"fmt ", FormatBody(3, 1, 11025, 32)}, {"data", Filled(400, 0)}})},
      {"BITS24", Riff({{"fmt ", FormatBody(1, 1, 11025, 24)}, {"data", Filled(300, 0)}})},
      {"CHAN3", Riff({{"fmt ", FormatBody(1, 3, 11025, 8)}, {"data", Filled(300, 0)}})},
      {"RATE50", Riff({{"fmt ", FormatBody(1, 1, 50, 8)}, {"data", level}})},
      {"HALFFRAME16", Riff({{"fmt ", FormatBody(1, 1, 22050, 16)}, {"data", Filled(1, 0)}})},
      {"NOTWAVE", Riff({{"fmt ", fmt8}, {"data", level}}, {}, "RIFF", "AVI ")},
  };
  for (const auto& wave : waves) {
    if (!Write(dir, wave.name, wave.image)) {
      std::fprintf(stderr, "make_test_waves: cannot write %s in %s\n", wave.name, dir.c_str());
      return 1;
    }
  }
  return 0;
}
