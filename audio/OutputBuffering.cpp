#include "OutputBuffering.h"

namespace lullwood {

OutputBuffering BufferingForServer(std::string_view serverName) {
  if (serverName.find("PipeWire") != std::string_view::npos) {
    return {std::chrono::milliseconds(260), std::chrono::milliseconds(86)};
  }
  return {};
}

}  // namespace lullwood
