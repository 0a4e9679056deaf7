#include "PrivateProfile.h"

#include "ReplacingFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

namespace lullwood {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value.remove_prefix(1);
    value.remove_suffix(1);
  }
  return value;
}

enum class LineKind { kBlank, kComment, kSection, kKey, kOther };

// One line of the file: bytes [begin, contentEnd) are its text, [contentEnd, end) its line
// end (CR LF, LF, CR, or nothing on a last line without one).
struct Line {
  std::size_t begin = 0;
  std::size_t contentEnd = 0;
  std::size_t end = 0;
  LineKind kind = LineKind::kOther;
  std::string_view name;   // section name or key, trimmed
  std::string_view value;  // key's value, trimmed, quotes still on
};

Line Classify(std::string_view bytes, std::size_t begin, std::size_t contentEnd, std::size_t end) {
  Line line;
  line.begin = begin;
  line.contentEnd = contentEnd;
  line.end = end;
  std::string_view text = bytes.substr(begin, contentEnd - begin);
  if (begin == 0 && text.starts_with(kUtf8ByteOrderMark)) {
    text.remove_prefix(kUtf8ByteOrderMark.size());
  }
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty()) {
    line.kind = LineKind::kBlank;
    return line;
  }
  if (trimmed.front() == ';') {
    line.kind = LineKind::kComment;
    return line;
  }
  if (trimmed.front() == '[') {
    const std::size_t close = trimmed.rfind(']');
    if (close != std::string_view::npos && close > 0) {
      line.kind = LineKind::kSection;
      line.name = Trim(trimmed.substr(1, close - 1));
      return line;
    }
  }
  const std::size_t equals = trimmed.find('=');
  if (equals != std::string_view::npos) {
    line.kind = LineKind::kKey;
    line.name = Trim(trimmed.substr(0, equals));
    line.value = Trim(trimmed.substr(equals + 1));
  }
  return line;
}

// Calls visit(line) for every line in order until it returns false.
template <typename Visit>
void ForEachLine(std::string_view bytes, Visit&& visit) {
  std::size_t begin = 0;
  while (begin < bytes.size()) {
    std::size_t contentEnd = begin;
    while (contentEnd < bytes.size() && bytes[contentEnd] != '\r' && bytes[contentEnd] != '\n') {
      ++contentEnd;
    }
    std::size_t end = contentEnd;
    if (end < bytes.size()) {
      if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') {
        end += 2;
      } else {
        end += 1;
      }
    }
    if (!visit(Classify(bytes, begin, contentEnd, end))) return;
    begin = end;
  }
}

// Where a key lives: the first section of the name and, inside it, the first matching key.
struct KeyLocation {
  bool sectionFound = false;
  std::optional<Line> keyLine;
  Line lastNonBlank;  // of the section, its header included
};

KeyLocation Locate(std::string_view bytes, std::string_view section, std::string_view key) {
  KeyLocation location;
  bool inSection = false;
  ForEachLine(bytes, [&](const Line& line) {
    if (line.kind == LineKind::kSection) {
      if (inSection) return false;  // only the first section of the name counts
      if (NamesEqual(line.name, section)) {
        inSection = true;
        location.sectionFound = true;
        location.lastNonBlank = line;
      }
      return true;
    }
    if (!inSection) return true;
    if (line.kind == LineKind::kKey && NamesEqual(line.name, key)) {
      location.keyLine = line;
      return false;
    }
    if (line.kind != LineKind::kBlank) location.lastNonBlank = line;
    return true;
  });
  return location;
}

std::string CutToCapacity(std::string_view text, std::size_t capacity) {
  if (capacity == 0) return {};
  return std::string(text.substr(0, capacity - 1));
}

bool Fail(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return false;
}

}  // namespace

PrivateProfileFile PrivateProfileFile::FromBytes(std::string bytes) {
  PrivateProfileFile profile;
  profile.bytes_ = std::move(bytes);
  profile.source_ = ProfileSource::kWhole;
  return profile;
}

PrivateProfileFile PrivateProfileFile::Load(const std::string& path) {
  PrivateProfileFile profile;
  if (path.empty()) return profile;
  // Non-blocking, so that opening a FIFO without a writer returns at once.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    profile.source_ = (errno == ENOENT || errno == ENOTDIR) ? ProfileSource::kMissing
                                                            : ProfileSource::kUnreadable;
    return profile;
  }
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    profile.source_ = ProfileSource::kUnreadable;
    return profile;
  }
  // One byte past the limit tells a file of exactly the limit from a longer one.
  const std::size_t wanted = kProfileReadLimitBytes + 1;
  std::size_t expected = status.st_size > 0 ? static_cast<std::size_t>(status.st_size) : 0;
  profile.bytes_.resize(std::min(std::max<std::size_t>(expected, 4096), wanted));
  std::size_t filled = 0;
  bool failed = false;
  while (filled < wanted) {
    if (filled == profile.bytes_.size()) profile.bytes_.resize(std::min(filled * 2, wanted));
    const ssize_t got = read(fd, profile.bytes_.data() + filled, profile.bytes_.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      failed = true;
      break;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  close(fd);
  if (failed) {
    profile.source_ = ProfileSource::kUnreadable;
  } else if (filled > kProfileReadLimitBytes) {
    filled = kProfileReadLimitBytes;
    profile.source_ = ProfileSource::kTruncated;
  } else {
    profile.source_ = ProfileSource::kWhole;
  }
  profile.bytes_.resize(filled);
  profile.bytes_.shrink_to_fit();
  return profile;
}

std::string PrivateProfileFile::GetString(std::string_view section, std::string_view key,
                                          std::string_view defaultValue,
                                          std::size_t capacity) const {
  const KeyLocation location = Locate(bytes_, Trim(section), Trim(key));
  if (!location.keyLine) {
    while (!defaultValue.empty() && IsBlank(defaultValue.back())) defaultValue.remove_suffix(1);
    return CutToCapacity(defaultValue, capacity);
  }
  return CutToCapacity(Unquote(location.keyLine->value), capacity);
}

bool PrivateProfileFile::WriteString(std::string_view section, std::string_view key,
                                     std::string_view value, std::string* error) {
  section = Trim(section);
  key = Trim(key);
  const auto hasLineBreak = [](std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
  };
  if (section.empty() || key.empty()) return Fail(error, "empty section or key name");
  if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value)) {
    return Fail(error, "a name or value holds a line break");
  }
  if (key.find('=') != std::string_view::npos || key.front() == ';' || key.front() == '[') {
    return Fail(error, "the key cannot be written as a key line");
  }

  const KeyLocation location = Locate(bytes_, section, key);
  std::string line;
  if (location.keyLine) {
    const Line& old = *location.keyLine;
    line.append(old.name).append("=").append(value).append(kLineEnd);
    bytes_.replace(old.begin, old.end - old.begin, line);
    return true;
  }
  line.append(key).append("=").append(value).append(kLineEnd);
  if (location.sectionFound) {
    const Line& after = location.lastNonBlank;
    if (after.end == after.contentEnd) line.insert(0, kLineEnd);  // last line had no line end
    bytes_.insert(after.end, line);
    return true;
  }
  std::string header;
  if (!bytes_.empty() && bytes_.back() != '\n' && bytes_.back() != '\r') header.append(kLineEnd);
  header.append("[").append(section).append("]").append(kLineEnd);
  bytes_.append(header).append(line);
  return true;
}

bool PrivateProfileFile::Save(const std::string& path, std::string* error) const {
  if (path.empty()) return Fail(error, "no file name");
  if (source_ == ProfileSource::kTruncated) {
    return Fail(error, "the file is too large to be rewritten without losing its end");
  }
  if (source_ == ProfileSource::kUnreadable) {
    return Fail(error, "the file could not be read, so rewriting it would lose its contents");
  }
  std::string reason;
  if (!ReplaceFile(path, bytes_, reason)) return Fail(error, std::move(reason));
  return true;
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t capacity,
                                    const std::string& path) {
  return PrivateProfileFile::Load(path).GetString(section, key, defaultValue, capacity);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path,
                               std::string* error) {
  PrivateProfileFile profile = PrivateProfileFile::Load(path);
  return profile.WriteString(section, key, value, error) && profile.Save(path, error);
}

}  // namespace lullwood
