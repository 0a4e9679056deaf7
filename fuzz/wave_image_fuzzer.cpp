// Feeds arbitrary bytes to the wave parser as an embedded image, and plays what it
// accepts through the mixer at a rate and step taken from the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Mixer.h"
#include "WaveImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  using namespace lullwood;
  const auto wave = ParseWaveImage({bytes, size});
  if (!wave) return 0;

  // The views must lie inside the input; touching every byte lets AddressSanitizer check.
  const uint8_t* end = bytes + size;
  if (wave->format < bytes || wave->format + wave->formatBytes > end || wave->data < bytes ||
      wave->data + wave->dataBytes > end || wave->formatBytes < 14) {
    __builtin_trap();
  }
  unsigned sum = 0;
  for (uint32_t i = 0; i < wave->formatBytes; ++i) sum += wave->format[i];
  for (uint32_t i = 0; i < wave->dataBytes; ++i) sum += wave->data[i];
  volatile unsigned sink = sum;
  (void)sink;

  const PcmFormat format = DecodePcmFormat(*wave);
  const uint32_t frames = PlayableFrames(*wave, format);
  if (frames == 0 || frames > (1u << 20)) return 0;
  std::vector<float> samples(size_t{frames} * format.channels);
  DecodeSamples(*wave, format, frames, samples.data());

  // Output rate and playback rate from the format's spare fields.
  Mixer mixer(8000 + format.averageBytesPerSecond % 90000);
  const auto voice =
      mixer.AddVoice({samples.data(), frames, format.channels}, format.samplesPerSecond);
  mixer.SetGain(voice,
                VolumePanToGains(-(format.blockAlign % 10001), format.blockAlign % 20001 - 10000));
  mixer.Play(voice, format.blockAlign & 1);
  std::vector<float> out(2 * 700);
  for (int block = 0; block < 4; ++block) {
    mixer.Render(out.data(), 700);
    for (float x : out) {
      if (!(x >= -1.0f && x <= 1.0f)) __builtin_trap();
    }
    mixer.SetRate(voice, 100 + (format.averageBytesPerSecond >> (block * 4)) % 99901);
  }
  mixer.RemoveVoice(voice);
  return 0;
}
