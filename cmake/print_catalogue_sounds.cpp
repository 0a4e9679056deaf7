// Built and run when the project is configured (cmake/CatalogueSounds.cmake): prints the
// resource name of every sound in the catalogue, backgrounds then effects, one a line,
// so that the build's list of wave files is read from the catalogue itself.
#include <cstdio>
#include <string>

#include "SoundCatalogue.h"

int main() {
  for (const lullwood::BackgroundSound& b : lullwood::SoundCatalogue::Backgrounds())
    std::printf("%s\n", std::string(b.resourceName).c_str());
  for (const lullwood::RandomEffect& e : lullwood::SoundCatalogue::Effects())
    std::printf("%s\n", std::string(e.resourceName).c_str());
  return 0;
}
