// The mixer's inner loops, built twice: the baseline every processor runs (SSE2 on every
// x86-64, plain loops elsewhere) and, on x86-64, AVX2 with FMA, chosen once by what the
// processor has. Plain pointers only: this header is included
// by translation units built with different instruction sets, so it must not bring in
// inline functions that the linker could merge between them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lullwood::loops {

// Rows of `taps` weights (a multiple of 8; of 4 for the mono loops), `phases` + 1 of
// them, as KernelTable holds.
// When the row for delay 0 is a single tap of 1 at `before` (a half-band kernel), a
// frame at a whole input position is that input frame itself.
struct Kernel {
  const float* rows;
  uint32_t taps;
  uint32_t phases;
  uint32_t before;
  bool wholeFrameIsTap = false;
};

// Adds `frames` frames of the two channels resampled by `kernel`: frame k reads the
// input around position + k * step (32.32, in input frames). Returns the position after.
using StereoLoop = uint64_t (*)(const float* left, const float* right, const Kernel& kernel,
                                uint64_t position, uint64_t step, size_t frames, float* outLeft,
                                float* outRight);
// The same for one mono source whose every kernel window lies inside its samples,
// adding it at two gains.
using MonoLoop = uint64_t (*)(const float* samples, const Kernel& kernel, uint64_t position,
                              uint64_t step, size_t frames, float gainLeft, float gainRight,
                              float* outLeft, float* outRight);

// Adds `frames` frames of a source read one frame a frame, at its own rate: `channels`
// 1 (the one channel at both gains) or 2 (interleaved, left then right).
using ExactLoop = void (*)(const float* samples, uint32_t channels, size_t frames, float gainLeft,
                           float gainRight, float* outLeft, float* outRight);

uint64_t StereoBaseline(const float*, const float*, const Kernel&, uint64_t, uint64_t, size_t,
                        float*, float*);
uint64_t MonoBaseline(const float*, const Kernel&, uint64_t, uint64_t, size_t, float, float, float*,
                      float*);
void ExactBaseline(const float*, uint32_t, size_t, float, float, float*, float*);
uint64_t StereoAvx2(const float*, const float*, const Kernel&, uint64_t, uint64_t, size_t, float*,
                    float*);
uint64_t MonoAvx2(const float*, const Kernel&, uint64_t, uint64_t, size_t, float, float, float*,
                  float*);
void ExactAvx2(const float*, uint32_t, size_t, float, float, float*, float*);

// The best of each this processor runs.
StereoLoop BestStereoLoop();
MonoLoop BestMonoLoop();
ExactLoop BestExactLoop();

}  // namespace lullwood::loops
