// A fresh folder under the system's temporary folder for one test, removed afterwards,
// and the sorted names in it (to show that a failed write left no temporary behind).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace lullwood::testing {

inline std::vector<std::string> SortedEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "lullwood-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::vector<std::string> Entries() const { return SortedEntries(dir_); }

  std::filesystem::path dir_;
};

}  // namespace lullwood::testing
