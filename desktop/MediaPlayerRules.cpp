#include "MediaPlayerRules.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace lullwood::media {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    uint32_t code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2;
      code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3;
      code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4;
      code = c & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not text.
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

}  // namespace

std::string_view PlaybackStatusOf(bool muted) {
  return muted ? "Paused" : "Playing";
}

std::string ScenarioTitleOf(const std::optional<std::string>& scenarioPath) {
  if (!scenarioPath) return std::string(kIdentity);
  const std::string_view path = *scenarioPath;
  const size_t slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return name.empty() ? std::string(kIdentity) : std::string(name);
}

double ClampVolume(double requested, double current) {
  if (std::isnan(requested)) return current;
  return std::clamp(requested, 0.0, 1.0);
}

std::optional<std::string> LocalPathOfFileUri(std::string_view uri, std::string& why) {
  if (!StartsWithNoCase(uri, "file:")) {
    why = "only file: URIs can be opened";
    return std::nullopt;
  }
  std::string_view rest = uri.substr(5);
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    const size_t slash = rest.find('/');
    const std::string_view host = rest.substr(0, slash);
    const bool local = host.empty() || (host.size() == 9 && StartsWithNoCase(host, "localhost"));
    if (!local) {
      why = "the file is not on this computer";
      return std::nullopt;
    }
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  if (rest.empty() || rest.front() != '/') {
    why = "the URI names no absolute path";
    return std::nullopt;
  }
  if (rest.find_first_of("?#") != std::string_view::npos) {
    why = "a file URI has no query or fragment";
    return std::nullopt;
  }
  std::string path;
  path.reserve(rest.size());
  for (size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] != '%') {
      path.push_back(rest[i]);
      continue;
    }
    const int high = i + 2 < rest.size() ? HexValue(rest[i + 1]) : -1;
    const int low = i + 2 < rest.size() ? HexValue(rest[i + 2]) : -1;
    if (high < 0 || low < 0) {
      why = "the URI has a malformed escape";
      return std::nullopt;
    }
    path.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  if (path.find('\0') != std::string::npos || !IsValidUtf8(path)) {
    why = "the path is not valid text";
    return std::nullopt;
  }
  return path;
}

std::string AbsoluteHandOverPath(std::string_view commandLine, std::string_view currentFolder) {
  if (commandLine.empty() || commandLine.front() == '/') return std::string(commandLine);
  std::string path(currentFolder);
  if (path.empty() || path.back() != '/') path.push_back('/');
  path.append(commandLine);
  return path;
}

std::optional<std::string> ScenarioFileProblem(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (error || !std::filesystem::exists(status)) return "no such file";
  if (std::filesystem::is_directory(status)) return "a folder, not a Scenario file";
  if (access(path.c_str(), R_OK) != 0) return "the file cannot be read";
  return std::nullopt;
}

std::optional<std::string> FindInstalledIcon(const std::vector<std::string>& dataFolders) {
  for (const std::string& folder : dataFolders) {
    if (folder.empty()) continue;
    for (const char* name : {"/icons/hicolor/256x256/apps/lullwood.png",
                             "/icons/hicolor/scalable/apps/lullwood.svg"}) {
      const std::string path = folder + name;
      std::error_code error;
      if (std::filesystem::is_regular_file(path, error)) return path;
    }
  }
  return std::nullopt;
}

}  // namespace lullwood::media
