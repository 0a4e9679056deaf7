// The generator's building blocks, all header-only and deterministic (no libm sine, no
// unseeded randomness; build with -ffp-contract=off and without -ffast-math):
//   Math.h       Sin2Pi/Cos2Pi (polynomial, libm-free), LoopPhase, CyclesPerLoop, dB, SoftClip
//   Random.h     Rng (splitmix64: Uniform, Bipolar, Gaussian, Int, Chance, GainJitter),
//                SeedFromName
//   Noise.h      PinkNoise (Kellett refined), BrownNoise
//   Filters.h    Biquad (RBJ LP/HP/BP/peaking/high shelf), OnePoleLowPass/HighPass,
//                DcBlocker, Resonator res(f, T60)
//   Envelope.h   CosineRamp, Decay60, DecayStep, Adsr, Breakpoints
//   Modulators.h LoopSines (k cycles per loop), CircularValueNoise (periodic Catmull-Rom)
//   Events.h     AddCircular, AddClipped, RunCircular (periodic steady state),
//                ScatterEvents, Bubble (van den Doel), NoiseClick, Mode + ModalVoice
//   Reverb.h     Reverb (2 all-pass diffusers + 4-line Householder FDN, damped)
//   Level.h      Rms, Peak, RmsAbove100Hz, RmsDb, Scale, RemoveDc, NormalizeLoudness,
//                SmoothGain, LimitPeaks (smooth, optionally circular), FadeEnds
//   Resample.h   Decimate (windowed-sinc, optional circular)
//   TruePeak.h   TruePeakMeter (4x oversampled), HoldTruePeak (smooth, optionally circular)
#pragma once

#include "Envelope.h"
#include "Events.h"
#include "Filters.h"
#include "Level.h"
#include "Math.h"
#include "Modulators.h"
#include "Noise.h"
#include "Random.h"
#include "Resample.h"
#include "Reverb.h"
