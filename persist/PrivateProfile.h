// Private-profile text files: sections in square brackets, then "key=value" lines.
// Reads and writes single keys of a section; a save replaces the whole file atomically.
// All functions may be called from any thread, on distinct objects.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace lullwood {

// The most bytes a profile file is read for. A Scenario is well under 1 KiB; anything
// larger is read up to here for lookups and cannot be saved over (the rest would be lost).
inline constexpr std::size_t kProfileReadLimitBytes = std::size_t{1} << 20;

// A capacity that cuts nothing.
inline constexpr std::size_t kNoCapacityLimit = std::numeric_limits<std::size_t>::max();

// What Load found at the path.
enum class ProfileSource {
  kMissing,     // no such file (or an empty path): an empty profile that a save creates
  kWhole,       // a regular file, read completely
  kTruncated,   // a regular file longer than kProfileReadLimitBytes, read up to it
  kUnreadable,  // exists but is no regular file, or could not be opened or read
};

// The bytes of one profile file, held in memory. Lookups follow the reading rules; writes
// change only the bytes of the one key they write. Files need not be text: any bytes,
// NUL included, are kept and never misread as a line end.
class PrivateProfileFile {
 public:
  // An empty profile, as for a missing file.
  PrivateProfileFile() = default;

  // Reads the file at path (relative names resolve against the current directory).
  // Never blocks on a FIFO or device, never reads more than kProfileReadLimitBytes.
  static PrivateProfileFile Load(const std::string& path);
  // A profile of these bytes, as if read whole from a file.
  static PrivateProfileFile FromBytes(std::string bytes);

  const std::string& Bytes() const { return bytes_; }
  ProfileSource Source() const { return source_; }

  // The value of key in the first section named section (names compared ASCII
  // case-insensitively after trimming blanks), or defaultValue with its trailing blanks
  // removed when the section or key is missing. The result is cut to capacity - 1 bytes,
  // as a caller's buffer of capacity bytes with its terminator would hold it.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue,
                        std::size_t capacity = kNoCapacityLimit) const;

  // Sets key to value in the first section named section: replaces an existing key's line
  // where it stands (keeping the key's spelling), else adds "key=value" after the
  // section's last non-blank line, else adds the section at the end of the file.
  // Returns false and changes nothing when the names or the value cannot be written as
  // one line that reads back as this key (a line break in any of them, a key that holds
  // "=" or begins with ";" or "[", an empty key or section name).
  bool WriteString(std::string_view section, std::string_view key, std::string_view value,
                   std::string* error = nullptr);

  // Replaces the file at path with Bytes() in one step: a temporary file beside it is
  // written, flushed and renamed over it, so the file is always either the old bytes or
  // the new ones, whole. A symbolic link is followed and its target replaced; the old
  // file's permission bits are kept. Fails, leaving the old file untouched, when the
  // folder is missing or not writable, the path is no regular file, the target is
  // read-only, the disk fills, or this profile was not read whole (kTruncated,
  // kUnreadable: saving would lose bytes). error, when given, receives the reason.
  bool Save(const std::string& path, std::string* error = nullptr) const;

 private:
  std::string bytes_;
  ProfileSource source_ = ProfileSource::kMissing;
};

// One lookup in the file at path, which is read afresh: GetString's rules, and the
// default for a missing or unreadable file or an empty path.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::size_t capacity,
                                    const std::string& path);

// One write to the file at path: Load, WriteString, Save. The file and the section are
// created when needed. Returns false, leaving the file as it was, when any step fails.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& path,
                               std::string* error = nullptr);

}  // namespace lullwood
