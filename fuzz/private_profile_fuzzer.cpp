// Reads any bytes as a profile, looks up two keys, writes one and reads it back, and holds
// every answer and every byte the engine gives against a model of the file format. The
// model is written from the format's rules alone, as plainly as they can be put:
//
// Reading
// - A file is a list of lines. A line ends at CR LF, at LF or at a CR not followed by LF;
//   the last line may have no line end. Every other byte, NUL included, is text.
// - A UTF-8 byte-order mark at the very start of the file is skipped when it is read.
// - Blanks are spaces and tabs; trimming removes them, and only them, from both ends.
// - A line is blank when its trimmed text is empty, and a comment when that text begins
//   with ";". It is a section header when the text begins with "[" and holds a "]" after
//   it: the section's name lies between the "[" and the last "]", trimmed. Any other line
//   holding "=" is a key line: the key lies before its first "=", the value after it,
//   both trimmed. Other lines mean nothing.
// - Names match when they are equal after trimming, ASCII letters compared without case.
// - A section runs from its header to the next header. Only the first section of a name
//   counts, and in it only the first key line of a name.
// - A lookup gives the value of that key line, without one pair of like quotes (" or ')
//   around it; when there is no such line, the default without its trailing blanks.
//   The answer is cut to capacity - 1 bytes (nothing at all for capacity 0).
//
// Writing
// - A write trims the section and key names. It is refused, changing nothing, when either
//   is then empty, when a name or the value holds a CR or an LF, or when the key holds
//   "=" or begins with ";" or "[".
// - Where the key has its line (as a lookup finds it), that line, its line end included,
//   becomes NAME=VALUE CR LF, NAME spelled as it was in the line.
// - Else, where the section exists, KEY=VALUE CR LF goes after the section's last
//   non-blank line (its header when it has no other), which gets a CR LF first if it
//   had no line end.
// - Else [SECTION] CR LF KEY=VALUE CR LF goes at the end of the file, after a CR LF if
//   the file ends in a line without one.
// - No other byte changes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "PrivateProfile.h"

namespace {

using lullwood::PrivateProfileFile;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "the engine and the model of the format disagree: %s\n", what);
    std::abort();
  }
}

// ---------------------------------------------------------------- the model

std::string Trimmed(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
  while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) --last;
  return std::string(text.substr(first, last - first));
}

std::string WithoutTrailingBlanks(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  const std::string x = Trimmed(a);
  const std::string y = Trimmed(b);
  if (x.size() != y.size()) return false;
  for (std::size_t i = 0; i < x.size(); ++i) {
    char p = x[i];
    char q = y[i];
    if (p >= 'A' && p <= 'Z') p = static_cast<char>(p + ('a' - 'A'));
    if (q >= 'A' && q <= 'Z') q = static_cast<char>(q + ('a' - 'A'));
    if (p != q) return false;
  }
  return true;
}

struct ModelLine {
  std::string text;
  std::string end;  // "\r\n", "\n", "\r", or "" for a last line without one
};

std::vector<ModelLine> SplitIntoLines(std::string_view bytes) {
  std::vector<ModelLine> lines;
  ModelLine line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
      line.end = "\r\n";
      ++i;
    } else if (c == '\r' || c == '\n') {
      line.end = std::string(1, c);
    } else {
      line.text += c;
      continue;
    }
    lines.push_back(line);
    line = ModelLine{};
  }
  if (!line.text.empty()) lines.push_back(line);
  return lines;
}

std::string JoinLines(const std::vector<ModelLine>& lines) {
  std::string bytes;
  for (const ModelLine& line : lines) bytes += line.text + line.end;
  return bytes;
}

enum class Kind { kBlank, kComment, kHeader, kKey, kNothing };

struct Meaning {
  Kind kind = Kind::kNothing;
  std::string name;   // a header's section or a key line's key, trimmed
  std::string value;  // a key line's value, trimmed
};

Meaning MeaningOf(std::string_view text) {
  const std::string trimmed = Trimmed(text);
  if (trimmed.empty()) return {Kind::kBlank, "", ""};
  if (trimmed[0] == ';') return {Kind::kComment, "", ""};
  if (trimmed[0] == '[') {
    const std::size_t close = trimmed.find_last_of(']');
    if (close != std::string::npos && close >= 1) {
      return {Kind::kHeader, Trimmed(std::string_view(trimmed).substr(1, close - 1)), ""};
    }
  }
  const std::size_t equals = trimmed.find('=');
  if (equals == std::string::npos) return {Kind::kNothing, "", ""};
  return {Kind::kKey, Trimmed(std::string_view(trimmed).substr(0, equals)),
          Trimmed(std::string_view(trimmed).substr(equals + 1))};
}

// A profile as the model reads it: its lines and what each means.
struct ModelProfile {
  std::vector<ModelLine> lines;
  std::vector<Meaning> meanings;

  explicit ModelProfile(std::string_view bytes) : lines(SplitIntoLines(bytes)) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      std::string_view text = lines[i].text;
      if (i == 0 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
      meanings.push_back(MeaningOf(text));
    }
  }

  std::optional<std::size_t> FirstHeaderOf(std::string_view section) const {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (meanings[i].kind == Kind::kHeader && SameName(meanings[i].name, section)) return i;
    }
    return std::nullopt;
  }
  // The line after the last one of the section whose header is line `header`.
  std::size_t EndOfSection(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines.size() && meanings[i].kind != Kind::kHeader) ++i;
    return i;
  }
  std::optional<std::size_t> KeyLineOf(std::string_view section, std::string_view key) const {
    const std::optional<std::size_t> header = FirstHeaderOf(section);
    if (!header) return std::nullopt;
    for (std::size_t i = *header + 1; i < EndOfSection(*header); ++i) {
      if (meanings[i].kind == Kind::kKey && SameName(meanings[i].name, key)) return i;
    }
    return std::nullopt;
  }
};

std::string WithoutQuotes(std::string value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

std::string ModelLookup(std::string_view bytes, std::string_view section, std::string_view key,
                        std::string_view defaultValue, std::size_t capacity) {
  const ModelProfile profile(bytes);
  const std::optional<std::size_t> line = profile.KeyLineOf(section, key);
  std::string answer = line ? WithoutQuotes(profile.meanings[*line].value)
                            : WithoutTrailingBlanks(std::string(defaultValue));
  if (capacity == 0) return "";
  if (answer.size() > capacity - 1) answer.resize(capacity - 1);
  return answer;
}

// The bytes after the write, or nothing when the write is refused.
std::optional<std::string> ModelWrite(std::string_view bytes, std::string_view sectionAsGiven,
                                      std::string_view keyAsGiven, std::string_view value) {
  const std::string section = Trimmed(sectionAsGiven);
  const std::string key = Trimmed(keyAsGiven);
  const auto breaksALine = [](std::string_view text) {
    return text.find('\r') != std::string_view::npos || text.find('\n') != std::string_view::npos;
  };
  if (section.empty() || key.empty()) return std::nullopt;
  if (breaksALine(section) || breaksALine(key) || breaksALine(value)) return std::nullopt;
  if (key.find('=') != std::string::npos || key[0] == ';' || key[0] == '[') return std::nullopt;

  ModelProfile profile(bytes);
  std::vector<ModelLine>& lines = profile.lines;
  if (const std::optional<std::size_t> line = profile.KeyLineOf(section, key)) {
    lines[*line] = {profile.meanings[*line].name + "=" + std::string(value), "\r\n"};
  } else if (const std::optional<std::size_t> header = profile.FirstHeaderOf(section)) {
    std::size_t last = *header;
    for (std::size_t i = *header + 1; i < profile.EndOfSection(*header); ++i) {
      if (profile.meanings[i].kind != Kind::kBlank) last = i;
    }
    if (lines[last].end.empty()) lines[last].end = "\r\n";
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last) + 1,
                 {key + "=" + std::string(value), "\r\n"});
  } else {
    if (!lines.empty() && lines.back().end.empty()) lines.back().end = "\r\n";
    lines.push_back({"[" + section + "]", "\r\n"});
    lines.push_back({key + "=" + std::string(value), "\r\n"});
  }
  return JoinLines(lines);
}

// ---------------------------------------------------------------- the inputs

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
  constexpr std::string_view kDefault = "\x01missing \t ";
  constexpr std::size_t kWhole = lullwood::kNoCapacityLimit;

  PrivateProfileFile profile = PrivateProfileFile::FromBytes(bytes);
  Check(profile.GetString(section, key, kDefault, capacity) ==
            ModelLookup(bytes, section, key, kDefault, capacity),
        "a lookup");
  Check(profile.GetString(otherSection, otherKey, kDefault, kWhole) ==
            ModelLookup(bytes, otherSection, otherKey, kDefault, kWhole),
        "a lookup of another key");

  const std::optional<std::string> expected = ModelWrite(bytes, section, key, value);
  const bool written = profile.WriteString(section, key, value);
  Check(written == expected.has_value(), "whether a write is refused");
  Check(profile.Bytes() == expected.value_or(bytes), "the bytes after a write");
  if (!written) return 0;

  // What was written reads back as the value, trimmed and without one pair of quotes;
  // the other key reads as the model reads it in the new bytes.
  const std::string& after = profile.Bytes();
  Check(profile.GetString(section, key, kDefault, kWhole) == WithoutQuotes(Trimmed(value)),
        "a written value read back");
  Check(ModelLookup(after, section, key, kDefault, kWhole) == WithoutQuotes(Trimmed(value)),
        "a written value read back by the model");
  Check(profile.GetString(otherSection, otherKey, kDefault, kWhole) ==
            ModelLookup(after, otherSection, otherKey, kDefault, kWhole),
        "a lookup of another key after a write");

  // Writing the same again is a write like any other.
  const std::optional<std::string> again = ModelWrite(after, section, key, value);
  Check(profile.WriteString(section, key, value) && again && profile.Bytes() == *again,
        "the bytes after a second write");
  return 0;
}
