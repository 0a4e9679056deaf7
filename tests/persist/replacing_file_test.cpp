// The one way files are replaced: the Scenario writer and lullwood-render share it.
#include "ReplacingFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "OrdinaryUser.h"
#include "TempFolder.h"

namespace lullwood {
namespace {

namespace fs = std::filesystem;

using ReplacingFileTest = testing::TempFolderTest;
using testing::ReadBytes;

TEST_F(ReplacingFileTest, AppearsOnlyOnCommit) {
  const fs::path target = dir_ / "out.bin";
  std::ofstream(target) << "old";
  std::string error;
  auto file = ReplacingFile::Open(target.string(), error);
  ASSERT_TRUE(file) << error;
  ASSERT_TRUE(file->Write("new bytes", 9));
  EXPECT_EQ(ReadBytes(target), "old");
  EXPECT_EQ(Entries().size(), 2u);  // the target and the temporary beside it
  ASSERT_TRUE(file->Commit(error)) << error;
  EXPECT_EQ(ReadBytes(target), "new bytes");
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
  EXPECT_EQ(ReadBytes(target), "kept");
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
  EXPECT_EQ(ReadBytes(real), "data");
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

  // A path that goes on below a regular file.
  std::ofstream(dir_ / "file.lwd") << "kept";
  EXPECT_FALSE(ReplaceFile((dir_ / "file.lwd" / "below.lwd").string(), "x", error));
  EXPECT_NE(error.find(std::strerror(ENOTDIR)), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(dir_ / "file.lwd"), "kept");
  EXPECT_EQ(Entries(), std::vector<std::string>{"file.lwd"});
}

TEST_F(ReplacingFileTest, ANewFileGetsTheUsualPermissionsOfTheUmask) {
  const mode_t previous = umask(027);
  std::string error;
  const bool saved = ReplaceFile((dir_ / "new.lwd").string(), "x", error);
  umask(previous);
  ASSERT_TRUE(saved) << error;
  struct stat info {};
  ASSERT_EQ(stat((dir_ / "new.lwd").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(ReplacingFileTest, AFolderWithoutWritePermissionFailsAndKeepsTheOldFile) {
  // The superuser writes into every folder: the case runs with an ordinary user's rights.
  testing::AsOrdinaryUser(dir_.string(), [&] {
    std::ofstream(dir_ / "old.lwd") << "old";  // the user's own, writable file
    ASSERT_EQ(chmod(dir_.c_str(), 0500), 0);
    std::string error;
    EXPECT_FALSE(ReplaceFile((dir_ / "old.lwd").string(), "new", error));
    EXPECT_NE(error.find(std::strerror(EACCES)), std::string::npos) << error;
    ASSERT_EQ(chmod(dir_.c_str(), 0700), 0);
  });
  EXPECT_EQ(ReadBytes(dir_ / "old.lwd"), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"old.lwd"});
}

TEST_F(ReplacingFileTest, AFullDiskFailsTheReplacementAndKeepsTheOldFile) {
  const fs::path target = dir_ / "old.lwd";
  std::ofstream(target) << "old";
  testing::InChild([&] {
    // Writes past the file-size limit fail as they do on a full disk, for any user.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    std::string error;
    // Failing when Close writes out what is buffered...
    EXPECT_FALSE(ReplaceFile(target.string(), std::string(4096, 'x'), error));
    EXPECT_NE(error.find(std::strerror(EFBIG)), std::string::npos) << error;
    EXPECT_NE(error.find(target.string()), std::string::npos) << error;
    // ... and when Write has to write out a full buffer: Write says so at once.
    auto file = ReplacingFile::Open(target.string(), error);
    ASSERT_TRUE(file) << error;
    const std::vector<char> block(3 << 20, 'y');
    EXPECT_FALSE(file->Write(block.data(), block.size()));
    EXPECT_FALSE(file->Write("z", 1)) << "a failed file takes no more bytes";
    error.clear();
    EXPECT_FALSE(file->Commit(error));
    EXPECT_NE(error.find(std::strerror(EFBIG)), std::string::npos) << error;
  });
  EXPECT_EQ(ReadBytes(target), "old");
  EXPECT_EQ(Entries(), std::vector<std::string>{"old.lwd"});
}

// The moments of one replacement, in order, at which a saver can be killed.
enum SaveStep {
  kBeforeOpen,
  kOpened,       // the temporary exists, empty
  kFirstWrite,   // bytes buffered, none written
  kSecondWrite,  // a full buffer written out to the temporary
  kThirdWrite,   // more buffered behind it
  kClosed,       // written out, flushed to disk and closed; the target is untouched
  kCommitted,    // renamed over the target
  kStepCount,
};

// Forks a child that replaces `target` with `pieces` and, at each SaveStep, reports on a
// pipe and waits to be told to go on. The parent lets it pass the steps before `killAt`
// and kills it with SIGKILL at `killAt`: a kill at a moment chosen exactly, not by a
// sleep.
void ReplaceAndKillAt(SaveStep killAt, const fs::path& target,
                      const std::vector<std::string>& pieces) {
  int report[2], proceed[2];
  ASSERT_EQ(pipe(report), 0);
  ASSERT_EQ(pipe(proceed), 0);
  const pid_t child = testing::StartChild([&] {
    close(report[0]);
    close(proceed[1]);
    const auto pause = [&] {
      char byte = 0;
      if (write(report[1], "s", 1) != 1 || read(proceed[0], &byte, 1) != 1) _exit(5);
    };
    std::string error;
    pause();  // kBeforeOpen
    auto file = ReplacingFile::Open(target.string(), error);
    if (!file) _exit(2);
    pause();  // kOpened
    for (const std::string& piece : pieces) {
      if (!file->Write(piece.data(), piece.size())) _exit(2);
      pause();  // kFirstWrite, kSecondWrite, kThirdWrite
    }
    if (!file->Close(error)) _exit(2);
    pause();  // kClosed
    if (!file->Commit(error)) _exit(2);
    pause();  // kCommitted
    _exit(0);
  });
  close(report[1]);
  close(proceed[0]);
  ASSERT_GT(child, 0);
  int reached = -1;  // the last step the saver reported
  for (int step = kBeforeOpen; step <= killAt; ++step) {
    char byte = 0;
    if (read(report[0], &byte, 1) != 1) break;
    reached = step;
    if (step < killAt && write(proceed[1], "g", 1) != 1) break;
  }
  kill(child, SIGKILL);
  close(report[0]);
  close(proceed[1]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_EQ(reached, killAt) << "the saver stopped by itself, status " << status;
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
}

TEST_F(ReplacingFileTest, ASaverKilledAtAnyStepLeavesTheOldOrTheNewFileWhole) {
  const fs::path target = dir_ / "contested.lwd";
  const std::string oldBytes = "[Backgrounds]\r\nV1=3\r\n";
  // Three pieces, the second of which fills the write buffer (1 MiB) and so is written out.
  std::vector<std::string> pieces = {std::string(512 << 10, 'a'), std::string(768 << 10, 'b'),
                                     std::string(64 << 10, 'c')};
  const std::string newBytes = pieces[0] + pieces[1] + pieces[2];
  for (int step = kBeforeOpen; step < kStepCount; ++step) {
    SCOPED_TRACE("killed at step " + std::to_string(step));
    testing::WriteBytes(target, oldBytes);
    ASSERT_NO_FATAL_FAILURE(ReplaceAndKillAt(static_cast<SaveStep>(step), target, pieces));
    const std::string now = ReadBytes(target);
    // The target changes only with the rename, all at once.
    if (step < kCommitted) {
      EXPECT_EQ(now, oldBytes) << now.size() << " bytes";
    } else {
      EXPECT_TRUE(now == newBytes) << now.size() << " bytes";
    }
    // What else is there is the killed saver's hidden temporary, never a visible file.
    for (const std::string& name : Entries()) {
      if (name == "contested.lwd") continue;
      EXPECT_TRUE(name.starts_with(".contested.lwd.") && name.ends_with(".tmp")) << name;
      fs::remove(dir_ / name);
    }
  }
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

  // A name near the file system's limit gets a temporary whose name still fits.
  const std::string longName = std::string(250, 'n') + ".lwd";
  auto longFile = ReplacingFile::Open((dir_ / longName).string(), error);
  ASSERT_TRUE(longFile) << error;
  EXPECT_LE(fs::path(longFile->TemporaryPath()).filename().string().size(), 255u);
  longFile->Write("x", 1);
  ASSERT_TRUE(longFile->Commit(error)) << error;
  EXPECT_EQ(ReadBytes(dir_ / longName), "x");
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
  EXPECT_EQ(ReadBytes(target), "old");
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
  EXPECT_EQ(ReadBytes(dir_ / "real.lwd"), "[Backgrounds]\r\n");

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
  EXPECT_EQ(ReadBytes(dir_ / "here.lwd"), "bytes");
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
  EXPECT_EQ(ReadBytes(dir_ / "big.wav"), bytes);
}

}  // namespace
}  // namespace lullwood
