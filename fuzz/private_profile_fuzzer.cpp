// Reads any bytes as a profile, writes a key into them and reads it back.
// Checks: lookups respect the capacity and the default; a refused write changes nothing;
// an accepted write reads back by the reading rules, leaves other keys' values alone,
// changes one stretch of bytes only, and is idempotent.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "PrivateProfile.h"

namespace {

using lullwood::PrivateProfileFile;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "private profile property broken: %s\n", what);
    std::abort();
  }
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// What a value written as `value` must read back as.
std::string ReadBackOf(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

// Names are drawn mostly from the Scenario's own, so that writes meet existing keys.
std::string PickName(FuzzedDataProvider& input, bool section) {
  static constexpr const char* kSections[] = {"Backgrounds", "backgrounds", " BACKGROUNDS ", "S"};
  static constexpr const char* kKeys[] = {"chk1", "CHK1", "R7", " r7", "V1", "DYNAMIC", "k"};
  switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
      return section ? kSections[input.ConsumeIntegralInRange<std::size_t>(0, 3)]
                     : kKeys[input.ConsumeIntegralInRange<std::size_t>(0, 6)];
    default:
      return input.ConsumeRandomLengthString(16);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string section = PickName(input, true);
  const std::string key = PickName(input, false);
  const std::string otherSection = PickName(input, true);
  const std::string otherKey = PickName(input, false);
  const std::string value = input.ConsumeRandomLengthString(32);
  const std::size_t capacity = input.ConsumeIntegralInRange<std::size_t>(0, 8);
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  PrivateProfileFile profile = PrivateProfileFile::FromBytes(bytes);
  constexpr std::string_view kDefault = "\x01missing  ";
  const std::string cut = profile.GetString(section, key, kDefault, capacity);
  Check(capacity == 0 ? cut.empty() : cut.size() <= capacity - 1, "capacity");
  const std::string before = profile.GetString(otherSection, otherKey, kDefault);

  if (!profile.WriteString(section, key, value)) {
    Check(profile.Bytes() == bytes, "a refused write changed the bytes");
    return 0;
  }
  Check(profile.GetString(section, key, kDefault) == ReadBackOf(value), "read back");
  if (!(SameName(section, otherSection) && SameName(key, otherKey))) {
    Check(profile.GetString(otherSection, otherKey, kDefault) == before, "another key changed");
  }

  // One stretch replaced: what is kept before and after covers every old byte but it.
  const std::string& after = profile.Bytes();
  std::size_t head = 0;
  while (head < bytes.size() && head < after.size() && bytes[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < bytes.size() - head && tail < after.size() - head &&
         bytes[bytes.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  // The replaced stretch lies within one old line: no line end inside it but its last.
  std::string_view removed = std::string_view(bytes).substr(head, bytes.size() - head - tail);
  if (removed.ends_with("\r\n")) {
    removed.remove_suffix(2);
  } else if (removed.ends_with('\n') || removed.ends_with('\r')) {
    removed.remove_suffix(1);
  }
  Check(removed.find_first_of("\r\n") == std::string_view::npos, "more than one line replaced");

  PrivateProfileFile again = PrivateProfileFile::FromBytes(after);
  Check(again.WriteString(section, key, value), "a second identical write refused");
  Check(again.Bytes() == after, "a second identical write changed the bytes");
  return 0;
}
