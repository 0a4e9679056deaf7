// The 23 background recipes; each fills one loop (see Recipe.h for the contract).
#pragma once

#include <vector>

#include "Recipe.h"

namespace lullwood::synth {

// Water and sea.
void Surf(const SoundSpec& spec, std::vector<float>& out);
void Breakers(const SoundSpec& spec, std::vector<float>& out);
void River(const SoundSpec& spec, std::vector<float>& out);
void Rain(const SoundSpec& spec, std::vector<float>& out);
void Waterfall(const SoundSpec& spec, std::vector<float>& out);
void Brook(const SoundSpec& spec, std::vector<float>& out);
void Stream(const SoundSpec& spec, std::vector<float>& out);
void RainOnGlass(const SoundSpec& spec, std::vector<float>& out);
// Noise colours.
void WhiteNoise(const SoundSpec& spec, std::vector<float>& out);
void PinkNoiseLoop(const SoundSpec& spec, std::vector<float>& out);
// Wind.
void Wind(const SoundSpec& spec, std::vector<float>& out);
void LightWind(const SoundSpec& spec, std::vector<float>& out);
void HeavyWind(const SoundSpec& spec, std::vector<float>& out);
void StrangeWind(const SoundSpec& spec, std::vector<float>& out);
// Night and jungle scenes.
void NightTime(const SoundSpec& spec, std::vector<float>& out);
void SouthAmericanJungle(const SoundSpec& spec, std::vector<float>& out);
void AfricanJungle(const SoundSpec& spec, std::vector<float>& out);
// Rhythms, machines and rooms.
void Heartbeat(const SoundSpec& spec, std::vector<float>& out);
void IndianDrum(const SoundSpec& spec, std::vector<float>& out);
void TrainTrack(const SoundSpec& spec, std::vector<float>& out);
void Factory(const SoundSpec& spec, std::vector<float>& out);
void Museum(const SoundSpec& spec, std::vector<float>& out);
void ClockTick(const SoundSpec& spec, std::vector<float>& out);

}  // namespace lullwood::synth
