#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "Scenario.h"

namespace lullwood {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Keys of the [Desktop Entry] group.
std::map<std::string, std::string> DesktopEntry() {
  std::map<std::string, std::string> keys;
  std::istringstream lines(ReadText(LULLWOOD_DESKTOP_DIR "/lullwood.desktop"));
  std::string line;
  bool inGroup = false;
  while (std::getline(lines, line)) {
    if (line.starts_with('[')) {
      inGroup = line == "[Desktop Entry]";
    } else if (inGroup && line.find('=') != std::string::npos) {
      keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    }
  }
  return keys;
}

TEST(DesktopEntry, StartsLullwoodWithTheDoubleClickedFile) {
  auto keys = DesktopEntry();
  ASSERT_FALSE(keys.empty());
  EXPECT_EQ(keys["Type"], "Application");
  // One file path: the program reads its arguments as one Scenario file name.
  EXPECT_EQ(keys["Exec"], "lullwood %f");
  EXPECT_EQ(keys["Icon"], "lullwood");
  EXPECT_NE(keys["Categories"].find("AudioVideo;"), std::string::npos);
  EXPECT_NE(keys["Categories"].find("Audio;"), std::string::npos);
}

TEST(DesktopEntry, ClaimsTheTypeThatScenarioFilesAreGiven) {
  const std::string mime = ReadText(LULLWOOD_DESKTOP_DIR "/lullwood-scenario.xml");
  std::smatch type;
  ASSERT_TRUE(std::regex_search(mime, type, std::regex(R"(<mime-type type="([^"]+)\")")));
  std::smatch glob;
  ASSERT_TRUE(std::regex_search(mime, glob, std::regex(R"(<glob pattern="([^"]+)\")")));
  EXPECT_EQ(glob[1].str(), "*." + std::string(kScenarioExtension));

  auto keys = DesktopEntry();
  EXPECT_NE(keys["MimeType"].find(type[1].str() + ";"), std::string::npos)
      << keys["MimeType"] << " does not list " << type[1].str();
}

}  // namespace
}  // namespace lullwood
