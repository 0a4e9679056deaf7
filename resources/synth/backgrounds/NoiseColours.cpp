// Plain noise colours: white and pink.
#include "Backgrounds.h"
#include "Loops.h"

namespace lullwood::synth {

using namespace loops;

void WhiteNoise(const SoundSpec& spec, std::vector<float>& out) {
  Rng rng(SeedFromName(spec.resourceName));
  // Independent samples need no seam treatment; tails beyond 4 sigma are folded back in
  // so no sample stands out.
  out = WhiteLoop(rng, spec.frames);
  for (float& v : out)
    if (std::fabs(v) > 4.0f) v = static_cast<float>(v > 0 ? 8.0 - v : -8.0 - v);
  FinishLoop(out, spec, kBedDb);
}

void PinkNoiseLoop(const SoundSpec& spec, std::vector<float>& out) {
  Rng rng(SeedFromName(spec.resourceName));
  out = PinkLoop(rng, spec.frames, spec.sampleRate);
  FinishLoop(out, spec, kBedDb);
}

}  // namespace lullwood::synth
