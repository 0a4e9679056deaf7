// Feeds arbitrary bytes to the FLAC decoder as an embedded stream, and checks what it
// accepts: the layout it promises, every sample in -1..1, and the same result twice.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FlacImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  using namespace lullwood;
  std::string error;
  const auto sound = DecodeFlac({bytes, size}, error);
  if (!sound) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  if (sound->channels < 1 || sound->channels > 2 || sound->rate < 100 || sound->rate > 100000 ||
      sound->frames < 1 || sound->frames > kMaxFlacFrames ||
      sound->samples.size() != size_t{sound->frames} * sound->channels) {
    __builtin_trap();
  }
  for (float v : sound->samples) {
    if (!(v >= -1.0f && v < 1.0f)) __builtin_trap();
  }
  std::string again;
  const auto second = DecodeFlac({bytes, size}, again);
  if (!second || second->samples != sound->samples) __builtin_trap();
  return 0;
}
