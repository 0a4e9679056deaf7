#include <array>

#include "Backgrounds.h"

namespace lullwood::synth {
namespace {

constexpr std::array<NamedRecipe, 23> kBackgrounds = {{
    {"SURF", Surf},
    {"RIVER", River},
    {"WHITE", WhiteNoise},
    {"NIGHT", NightTime},
    {"RAIN", Rain},
    {"WIND", Wind},
    {"WFALL", Waterfall},
    {"BROOK", Brook},
    {"HEARTB", Heartbeat},
    {"INDIAN", IndianDrum},
    {"SAJUNG", SouthAmericanJungle},
    {"AFJUNG", AfricanJungle},
    {"TTRACK", TrainTrack},
    {"PINK", PinkNoiseLoop},
    {"BREAKER", Breakers},
    {"STREAM", Stream},
    {"RGLASS", RainOnGlass},
    {"LWIND", LightWind},
    {"HWIND", HeavyWind},
    {"SWIND", StrangeWind},
    {"FACTORY", Factory},
    {"MUSEUM", Museum},
    {"TICK", ClockTick},
}};

}  // namespace

std::span<const NamedRecipe> BackgroundRecipes() {
  return kBackgrounds;
}

}  // namespace lullwood::synth
