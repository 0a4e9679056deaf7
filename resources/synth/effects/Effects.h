// The 31 effect recipes, grouped by family in their own sources. Each fills `out` with
// spec.frames mono samples and finishes them with FinishEffect.
#pragma once

#include <vector>

#include "../Recipe.h"

namespace lullwood::synth::fx {

// Mammals.cpp
void DogBark(const SoundSpec& spec, std::vector<float>& out);
void Horse(const SoundSpec& spec, std::vector<float>& out);
void Wolves(const SoundSpec& spec, std::vector<float>& out);
void Whale(const SoundSpec& spec, std::vector<float>& out);
void SeaLion(const SoundSpec& spec, std::vector<float>& out);
void Cattle(const SoundSpec& spec, std::vector<float>& out);

// Birds.cpp
void LoonCry(const SoundSpec& spec, std::vector<float>& out);
void LoonWail(const SoundSpec& spec, std::vector<float>& out);
void Nightingale(const SoundSpec& spec, std::vector<float>& out);
void Crow(const SoundSpec& spec, std::vector<float>& out);
void Bird(const SoundSpec& spec, std::vector<float>& out);
void SeaGull(const SoundSpec& spec, std::vector<float>& out);
void DistantGulls(const SoundSpec& spec, std::vector<float>& out);
void Hawk(const SoundSpec& spec, std::vector<float>& out);
void Cardinal(const SoundSpec& spec, std::vector<float>& out);
void RedWingedBlackbird(const SoundSpec& spec, std::vector<float>& out);
void WhoopingCrane(const SoundSpec& spec, std::vector<float>& out);
void Robin(const SoundSpec& spec, std::vector<float>& out);

// Critters.cpp
void Woodpecker(const SoundSpec& spec, std::vector<float>& out);
void Frog(const SoundSpec& spec, std::vector<float>& out);
void Crickets(const SoundSpec& spec, std::vector<float>& out);

// Thunder.cpp
void DistantThunder(const SoundSpec& spec, std::vector<float>& out);
void BigThunder(const SoundSpec& spec, std::vector<float>& out);

// Tonal.cpp
void HighGliss(const SoundSpec& spec, std::vector<float>& out);
void OminousNote(const SoundSpec& spec, std::vector<float>& out);
void ChurchBell(const SoundSpec& spec, std::vector<float>& out);
void HighChimes(const SoundSpec& spec, std::vector<float>& out);
void PanFlute(const SoundSpec& spec, std::vector<float>& out);

// Horns.cpp
void TrainWhistle(const SoundSpec& spec, std::vector<float>& out);
void ShipsHorn(const SoundSpec& spec, std::vector<float>& out);
void OceanLiner(const SoundSpec& spec, std::vector<float>& out);

}  // namespace lullwood::synth::fx
