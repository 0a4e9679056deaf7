#include "SoundServerClient.h"

#include <SDL.h>

#include <cctype>
#include <cstdlib>

#include "OutputBuffering.h"

namespace lullwood {
namespace {

bool IsSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Whether `text` has `key` as a whole word followed, after optional spaces, by one of
// `separators`. Quoted values are not told apart from keys: a value that spells the
// key only keeps the default from being added.
bool NamesKey(std::string_view text, std::string_view key, std::string_view separators) {
  for (size_t at = text.find(key); at != std::string_view::npos; at = text.find(key, at + 1)) {
    const bool startsWord = at == 0 || IsSpace(text[at - 1]) || text[at - 1] == '{' ||
                            text[at - 1] == ',' || text[at - 1] == '"';
    if (!startsWord) continue;
    size_t next = at + key.size();
    if (next < text.size() && text[next] == '"') ++next;
    while (next < text.size() && IsSpace(text[next])) ++next;
    if (next < text.size() && separators.find(text[next]) != std::string_view::npos) return true;
  }
  return false;
}

using AddProperty = std::string (*)(std::string_view, std::string_view, std::string_view);

void AddToEnvironment(const char* name, AddProperty add, std::string_view key,
                      std::string_view value) {
  const char* now = std::getenv(name);
  setenv(name, add(now != nullptr ? now : "", key, value).c_str(), 1);
}

}  // namespace

std::string WithPulseProperty(std::string_view list, std::string_view key, std::string_view value) {
  if (NamesKey(list, key, "=")) return std::string(list);
  std::string result(list);
  if (!result.empty() && !IsSpace(result.back())) result += ' ';
  result.append(key).append("=").append(value);
  return result;
}

std::string WithPipeWireProperty(std::string_view object, std::string_view key,
                                 std::string_view value) {
  if (NamesKey(object, key, "=:")) return std::string(object);
  const std::string pair = std::string(key) + " = " + std::string(value);
  std::string result(object);
  const size_t close = result.rfind('}');
  if (result.find('{') != std::string::npos && close != std::string::npos) {
    result.insert(close, " " + pair + " ");
  } else {
    if (!result.empty() && !IsSpace(result.back())) result += ' ';
    result += pair;
  }
  return result;
}

void PrepareSoundServerClients(bool sdlBuffering) {
  // Hints set here give way to the same names in the environment.
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, std::string(kStreamApplicationName).c_str());
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, std::string(kStreamName).c_str());
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, std::string(kStreamRole).c_str());
  // SDL passes no icon on, and its PulseAudio output no role; both client libraries read
  // these when they connect, and the server gives the client's properties to its streams.
  AddToEnvironment("PULSE_PROP", &WithPulseProperty, "application.icon_name", kStreamIconName);
  AddToEnvironment("PULSE_PROP", &WithPulseProperty, "media.role", kStreamRole);
  AddToEnvironment("PIPEWIRE_PROPS", &WithPipeWireProperty, "application.icon-name",
                   kStreamIconName);
  // PipeWire takes its node latency from the callback size, as SDL asks.
  if (sdlBuffering)
    setenv("PULSE_LATENCY_MSEC", std::string(OutputBuffering{}.sdlPulseTargetMs).c_str(), 0);
}

}  // namespace lullwood
