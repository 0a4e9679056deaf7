// The one way files are replaced: the Scenario writer and lullwood-render share it.
#include "ReplacingFile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace lullwood {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

using ReplacingFileTest = testing::TempFolderTest;

TEST_F(ReplacingFileTest, AppearsOnlyOnCommit) {
  const fs::path target = dir_ / "out.bin";
  std::ofstream(target) << "old";
  std::string error;
  auto file = ReplacingFile::Open(target.string(), error);
  ASSERT_TRUE(file) << error;
  ASSERT_TRUE(file->Write("new bytes", 9));
  EXPECT_EQ(ReadAll(target), "old");
  EXPECT_EQ(Entries().size(), 2u);  // the target and the temporary beside it
  ASSERT_TRUE(file->Commit(error)) << error;
  EXPECT_EQ(ReadAll(target), "new bytes");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.bin"});
}

TEST_F(ReplacingFileTest, DroppedUncommittedLeavesTheTargetAlone) {
  const fs::path target = dir_ / "out.bin";
  std::string error;
  {
    auto file = ReplacingFile::Open(target.string(), error);
    ASSERT_TRUE(file) << error;
    file->Write("half", 4);
  }
  EXPECT_TRUE(Entries().empty());

  std::ofstream(target) << "kept";
  {
    auto file = ReplacingFile::Open(target.string(), error);
    ASSERT_TRUE(file);
    file->Write("half", 4);
    ASSERT_TRUE(file->Close(error));
  }
  EXPECT_EQ(ReadAll(target), "kept");
  EXPECT_EQ(Entries(), std::vector<std::string>{"out.bin"});
}

TEST_F(ReplacingFileTest, KeepsPermissionsAndFollowsLinks) {
  const fs::path real = dir_ / "real.wav";
  std::ofstream(real) << "x";
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  fs::create_symlink(real, dir_ / "link.wav");
  std::string error;
  auto file = ReplacingFile::Open((dir_ / "link.wav").string(), error);
  ASSERT_TRUE(file) << error;
  file->Write("data", 4);
  ASSERT_TRUE(file->Commit(error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir_ / "link.wav"));
  EXPECT_EQ(ReadAll(real), "data");
  struct stat info {};
  ASSERT_EQ(stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(ReplacingFileTest, RefusesFoldersAndMissingFolders) {
  std::string error;
  EXPECT_FALSE(ReplacingFile::Open(dir_.string(), error));
  EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
  error.clear();
  EXPECT_FALSE(ReplacingFile::Open((dir_ / "no/such/x.wav").string(), error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  EXPECT_FALSE(ReplacingFile::Open("", error));
}

TEST(ReplacingFileDevice, WritesADeviceDirectly) {
  std::string error;
  auto file = ReplacingFile::Open("/dev/null", error, NonRegularTarget::kWriteDirectly);
  ASSERT_TRUE(file) << error;
  EXPECT_TRUE(file->TemporaryPath().empty());
  EXPECT_TRUE(file->Write("abc", 3));
  EXPECT_TRUE(file->Commit(error)) << error;
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(ReplacingFileDevice, ReportsAFullDisk) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  std::string error;
  auto file = ReplacingFile::Open("/dev/full", error, NonRegularTarget::kWriteDirectly);
  ASSERT_TRUE(file) << error;
  const std::vector<char> block(1 << 21, 'x');  // more than the stream buffer
  file->Write(block.data(), block.size());
  EXPECT_FALSE(file->Commit(error));
  EXPECT_NE(error.find("No space"), std::string::npos) << error;
}

TEST_F(ReplacingFileTest, TemporaryIsAHiddenNameBesideTheTarget) {
  std::string error;
  auto file = ReplacingFile::Open((dir_ / "night.lwd").string(), error);
  ASSERT_TRUE(file) << error;
  const fs::path temporary = file->TemporaryPath();
  EXPECT_EQ(temporary.parent_path(), dir_);
  const std::string name = temporary.filename().string();
  EXPECT_TRUE(name.starts_with(".night.lwd." + std::to_string(getpid()) + ".")) << name;
  EXPECT_TRUE(name.ends_with(".tmp")) << name;
}

TEST_F(ReplacingFileTest, ReadOnlyTargetsAreRefusedAndKept) {
  const fs::path target = dir_ / "kept.wav";
  std::ofstream(target) << "old";
  ASSERT_EQ(chmod(target.c_str(), 0444), 0);
  std::string error;
  // Refused by its mode bits, so the superuser is refused too.
  EXPECT_FALSE(ReplacingFile::Open(target.string(), error));
  EXPECT_NE(error.find("is read-only"), std::string::npos) << error;
  EXPECT_FALSE(ReplaceFile(target.string(), "new", error));
  EXPECT_EQ(ReadAll(target), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"kept.wav"});
}

TEST_F(ReplacingFileTest, NonRegularTargetsAreRefusedUnlessAskedToWriteThemDirectly) {
  const fs::path pipe = dir_ / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  std::string error;
  EXPECT_FALSE(ReplacingFile::Open(pipe.string(), error));
  EXPECT_NE(error.find("is not a regular file"), std::string::npos) << error;
  EXPECT_FALSE(ReplacingFile::Open("/dev/null", error));
  EXPECT_TRUE(fs::is_fifo(pipe));
}

TEST_F(ReplacingFileTest, ChainsOfLinksReachTheirFinalTargetWhichMayNotExistYet) {
  fs::create_symlink("second.lwd", dir_ / "first.lwd");
  fs::create_symlink(dir_ / "real.lwd", dir_ / "second.lwd");
  std::string error;
  ASSERT_TRUE(ReplaceFile((dir_ / "first.lwd").string(), "[Backgrounds]\r\n", error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir_ / "first.lwd"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "second.lwd"));
  EXPECT_EQ(ReadAll(dir_ / "real.lwd"), "[Backgrounds]\r\n");

  fs::create_symlink("loop-b", dir_ / "loop-a");
  fs::create_symlink("loop-a", dir_ / "loop-b");
  EXPECT_FALSE(ReplaceFile((dir_ / "loop-a").string(), "x", error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
}

TEST_F(ReplacingFileTest, RelativePathsAreTakenFromTheCurrentFolder) {
  const fs::path previous = fs::current_path();
  fs::current_path(dir_);
  std::string error;
  const bool saved = ReplaceFile("here.lwd", "bytes", error);
  fs::current_path(previous);
  ASSERT_TRUE(saved) << error;
  EXPECT_EQ(ReadAll(dir_ / "here.lwd"), "bytes");
}

TEST_F(ReplacingFileTest, WritesLargerThanTheBufferArriveWhole) {
  std::string bytes(3 * (1 << 20) + 17, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  std::string error;
  auto file = ReplacingFile::Open((dir_ / "big.wav").string(), error);
  ASSERT_TRUE(file) << error;
  ASSERT_TRUE(file->Write(bytes.data(), 5));
  ASSERT_TRUE(file->Write(bytes.data() + 5, bytes.size() - 5));
  ASSERT_TRUE(file->Commit(error)) << error;
  EXPECT_EQ(ReadAll(dir_ / "big.wav"), bytes);
}

}  // namespace
}  // namespace lullwood
