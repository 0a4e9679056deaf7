// The live audio output: the default device through SDL2, in callback mode, fed by
// the mixer. The only part of the program that sees SDL.
#pragma once

#include <memory>

#include "SoundDevice.h"

namespace lullwood {

// UI thread only. Every device it opened must be destroyed before it is.
class SdlOutputFactory : public AudioOutputFactory {
 public:
  SdlOutputFactory() = default;
  ~SdlOutputFactory() override;
  SdlOutputFactory(const SdlOutputFactory&) = delete;
  SdlOutputFactory& operator=(const SdlOutputFactory&) = delete;

  // Opens the default output for 48000 Hz float stereo, accepting the rate the device
  // gives, and starts it. Destroying the device closes it, so other programs can have
  // it. nullptr when SDL audio cannot start or the device cannot be opened.
  std::unique_ptr<SoundDevice> OpenDefaultOutput() override;

 private:
  bool initialised_ = false;
};

}  // namespace lullwood
