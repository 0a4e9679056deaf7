// The effect recipes by resource name. Several names are historical and say nothing of
// the sound: the comment beside each gives what the user reads.
#include <array>

#include "../Recipe.h"
#include "Effects.h"

namespace lullwood::synth {

std::span<const NamedRecipe> EffectRecipes() {
  static constexpr std::array<NamedRecipe, 31> kRecipes = {{
      {"DOGBARK", fx::DogBark},             // Dog Bark
      {"HORSE", fx::Horse},                 // Horse
      {"WOLF", fx::Wolves},                 // Wolves
      {"LOON", fx::LoonCry},                // Loon cry
      {"NIGHTGALE", fx::Nightingale},       // Nightingale
      {"CROW", fx::Crow},                   // Crow
      {"BIRD", fx::Bird},                   // Bird
      {"HGLISS", fx::HighGliss},            // High gliss
      {"MGLISS", fx::SeaGull},              // Sea Gull
      {"WAVY", fx::Whale},                  // Whale
      {"OMINOUS", fx::OminousNote},         // Ominous note
      {"LOWOMIN", fx::Hawk},                // Hawk
      {"SINGLEW", fx::ChurchBell},          // Church bell
      {"GTHUNDR", fx::DistantThunder},      // Distant thunder
      {"THUNDR2", fx::LoonWail},            // Loon 2
      {"WHISTLE", fx::TrainWhistle},        // Train whistle
      {"SMLBIRD", fx::Cardinal},            // Cardinal
      {"SHIP", fx::ShipsHorn},              // Ship's horn
      {"PANFLUT", fx::SeaLion},             // Sea Lion
      {"BEAM", fx::DistantGulls},           // Distant Gulls
      {"OVERT", fx::PanFlute},              // Pan flute
      {"BIGTHUN", fx::BigThunder},          // Big thunder
      {"SOUND23", fx::RedWingedBlackbird},  // RW Blackbird
      {"SOUND24", fx::WhoopingCrane},       // Wh. Crane
      {"SOUND25", fx::OceanLiner},          // Oceanliner
      {"SOUND26", fx::Cattle},              // Cattle
      {"SOUND27", fx::Robin},               // Robin
      {"SOUND28", fx::Woodpecker},          // Woodpecker
      {"SOUND29", fx::Frog},                // Frog
      {"SOUND30", fx::Crickets},            // Crickets
      {"SOUND31", fx::HighChimes},          // High Chimes
  }};
  return kRecipes;
}

}  // namespace lullwood::synth
