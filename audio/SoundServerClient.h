// What the sound server is told through its client library, beyond what SDL's calls
// say: who plays, what the stream is, its icon and its role, for the desktop's volume
// mixer and its policies; and, on PulseAudio, how much buffer the stream wants.
#pragma once

#include <string>
#include <string_view>

namespace lullwood {

inline constexpr std::string_view kStreamApplicationName = "Lullwood";
inline constexpr std::string_view kStreamName = "Soundscape";
inline constexpr std::string_view kStreamRole = "music";
// The installed icon's name in the desktop's icon theme.
inline constexpr std::string_view kStreamIconName = "lullwood";
// `list`, a property list as libpulse reads it from PULSE_PROP (whitespace-separated
// key=value pairs), with key=value added unless the list names the key already.
std::string WithPulseProperty(std::string_view list, std::string_view key, std::string_view value);
// The same for PipeWire's PIPEWIRE_PROPS, an object of key = value pairs whose braces
// may be left out.
std::string WithPipeWireProperty(std::string_view object, std::string_view key,
                                 std::string_view value);

// Tells the audio library the application and stream names and the role; adds the icon
// name (and for PulseAudio the role) to the properties that libpulse and PipeWire take
// from the environment; with `sdlBuffering`, sets the PulseAudio target buffer for SDL's
// output (an output that asks for its own buffer leaves it). What a user has set
// already (SDL's hints in the environment, PULSE_PROP, PIPEWIRE_PROPS,
// PULSE_LATENCY_MSEC) wins. UI thread, before the audio library is started and before
// other threads run.
void PrepareSoundServerClients(bool sdlBuffering = true);

}  // namespace lullwood
