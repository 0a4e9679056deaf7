// Profiles on disk: hostile files, bounded reads, atomic saves and their failures.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "OrdinaryUser.h"
#include "PrivateProfile.h"
#include "SaveUntilKilled.h"

namespace lullwood {
namespace {

class PrivateProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "lullwood-profile-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    chmod(dir_.c_str(), 0700);
    std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }

  static void Put(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
  }
  static std::string Get(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }
  // Names in the folder, so that a failed save can be shown to leave no temporary behind.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    if (DIR* folder = opendir(dir_.c_str())) {
      while (const dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir_;
};

const std::string kScenario = "[Backgrounds]\r\nchk1=Y\r\nR4=4\r\nV1=8\r\n";

TEST_F(PrivateProfileFileTest, MissingFileAndEmptyPathGiveDefaults) {
  EXPECT_EQ(PrivateProfileFile::Load(PathOf("absent.lwd")).Source(), ProfileSource::kMissing);
  EXPECT_EQ(PrivateProfileFile::Load("").Source(), ProfileSource::kMissing);
  EXPECT_EQ(GetPrivateProfileString("Backgrounds", "V1", "10", 3, PathOf("absent.lwd")), "10");
  EXPECT_EQ(GetPrivateProfileString("Backgrounds", "V1", "10", 3, ""), "10");
  EXPECT_EQ(GetPrivateProfileString("Backgrounds", "V1", "10", 3, PathOf("absent/x.lwd")), "10");
}

TEST_F(PrivateProfileFileTest, RegularFileIsReadWhole) {
  Put(PathOf("a.lwd"), kScenario);
  const PrivateProfileFile profile = PrivateProfileFile::Load(PathOf("a.lwd"));
  EXPECT_EQ(profile.Source(), ProfileSource::kWhole);
  EXPECT_EQ(profile.Bytes(), kScenario);
  EXPECT_EQ(GetPrivateProfileString("backgrounds", "CHK1", "N", 2, PathOf("a.lwd")), "Y");
}

TEST_F(PrivateProfileFileTest, RelativeNamesResolveAgainstTheCurrentFolder) {
  char* previous = getcwd(nullptr, 0);
  ASSERT_NE(previous, nullptr);
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  const bool written = WritePrivateProfileString("Backgrounds", "V1", "7", "relative.lwd");
  const std::string read = GetPrivateProfileString("Backgrounds", "V1", "10", 3, "relative.lwd");
  ASSERT_EQ(chdir(previous), 0);
  free(previous);
  EXPECT_TRUE(written);
  EXPECT_EQ(read, "7");
  EXPECT_EQ(Get(PathOf("relative.lwd")), "[Backgrounds]\r\nV1=7\r\n");
}

TEST_F(PrivateProfileFileTest, NonRegularFilesAreUnreadableWithoutBlocking) {
  ASSERT_EQ(mkdir(PathOf("folder.lwd").c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(PathOf("fifo.lwd").c_str(), 0600), 0);
  for (const std::string& path : {PathOf("folder.lwd"), PathOf("fifo.lwd"),
                                  std::string("/dev/zero"), std::string("/dev/null")}) {
    SCOPED_TRACE(path);
    const auto start = std::chrono::steady_clock::now();
    const PrivateProfileFile profile = PrivateProfileFile::Load(path);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(profile.Source(), ProfileSource::kUnreadable);
    EXPECT_TRUE(profile.Bytes().empty());
    EXPECT_EQ(GetPrivateProfileString("Backgrounds", "chk1", "N", 2, path), "N");
  }
  // Writing through them fails and leaves them what they were.
  EXPECT_FALSE(WritePrivateProfileString("Backgrounds", "chk1", "Y", PathOf("folder.lwd")));
  EXPECT_FALSE(WritePrivateProfileString("Backgrounds", "chk1", "Y", PathOf("fifo.lwd")));
  struct stat status {};
  ASSERT_EQ(stat(PathOf("fifo.lwd").c_str(), &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));
  ASSERT_EQ(stat(PathOf("folder.lwd").c_str(), &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
}

TEST_F(PrivateProfileFileTest, FileWithoutReadPermissionGivesDefaultsAndIsNotOverwritten) {
  // The superuser reads every file: the case runs with an ordinary user's rights.
  testing::AsOrdinaryUser(dir_, [&] {
    Put(PathOf("secret.lwd"), kScenario);
    ASSERT_EQ(chmod(PathOf("secret.lwd").c_str(), 0200), 0);
    EXPECT_EQ(PrivateProfileFile::Load(PathOf("secret.lwd")).Source(), ProfileSource::kUnreadable);
    EXPECT_EQ(GetPrivateProfileString("Backgrounds", "chk1", "N", 2, PathOf("secret.lwd")), "N");
    EXPECT_FALSE(WritePrivateProfileString("Backgrounds", "chk1", "N", PathOf("secret.lwd")));
    ASSERT_EQ(chmod(PathOf("secret.lwd").c_str(), 0600), 0);
    EXPECT_EQ(Get(PathOf("secret.lwd")), kScenario);
  });
  EXPECT_EQ(Entries(), std::vector<std::string>{"secret.lwd"}) << "no temporary left behind";
}

TEST_F(PrivateProfileFileTest, HugeFileIsReadUpToTheLimitAndNeverSavedOver) {
  const std::string path = PathOf("huge.lwd");
  Put(path, kScenario);
  constexpr off_t kHugeBytes = off_t{100} << 20;
  ASSERT_EQ(truncate(path.c_str(), kHugeBytes), 0);  // sparse: the tail reads as NUL bytes
  const PrivateProfileFile profile = PrivateProfileFile::Load(path);
  EXPECT_EQ(profile.Source(), ProfileSource::kTruncated);
  EXPECT_EQ(profile.Bytes().size(), kProfileReadLimitBytes);
  EXPECT_EQ(profile.GetString("Backgrounds", "R4", "0", 2), "4");

  std::string error;
  EXPECT_FALSE(profile.Save(path, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(WritePrivateProfileString("Backgrounds", "R4", "1", path));
  struct stat status {};
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_size, kHugeBytes);
  EXPECT_EQ(GetPrivateProfileString("Backgrounds", "R4", "0", 2, path), "4");
  EXPECT_EQ(Entries(), std::vector<std::string>{"huge.lwd"});
}

TEST_F(PrivateProfileFileTest, LongLinesAreBoundedAndKeysAfterThemStillFound) {
  const std::string nearLimit = std::string(kProfileReadLimitBytes / 2, 'x');
  Put(PathOf("long.lwd"), "[S]\nlong=" + nearLimit + "\nafter=1\n");
  const PrivateProfileFile whole = PrivateProfileFile::Load(PathOf("long.lwd"));
  EXPECT_EQ(whole.Source(), ProfileSource::kWhole);
  EXPECT_EQ(whole.GetString("S", "after", ""), "1");
  EXPECT_EQ(whole.GetString("S", "long", "", 2), "x");
  EXPECT_EQ(whole.GetString("S", "long", ""), nearLimit);

  const std::string tenMegabytes(std::size_t{10} << 20, 'y');
  Put(PathOf("line.lwd"), "[S]\nk=" + tenMegabytes + "\n");
  const PrivateProfileFile cut = PrivateProfileFile::Load(PathOf("line.lwd"));
  EXPECT_EQ(cut.Source(), ProfileSource::kTruncated);
  EXPECT_EQ(cut.GetString("S", "k", "", 2), "y");
  EXPECT_EQ(cut.GetString("S", "k", "").size(), kProfileReadLimitBytes - 6);
}

TEST_F(PrivateProfileFileTest, BinaryFileKeepsEveryByteThroughAWrite) {
  std::mt19937 random(20261207);
  std::string noise(64 * 1024, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  // A noise file whose last byte ends no line, so the appended section must start one.
  noise.back() = 'z';
  const std::string path = PathOf("noise.lwd");
  Put(path, noise);
  (void)PrivateProfileFile::Load(path).GetString("Backgrounds", "chk1", "N", 2);
  ASSERT_TRUE(WritePrivateProfileString("Lullwood Test Section", "chk1", "Y", path));
  const std::string after = Get(path);
  EXPECT_EQ(after, noise + "\r\n[Lullwood Test Section]\r\nchk1=Y\r\n");
  EXPECT_EQ(GetPrivateProfileString("Lullwood Test Section", "chk1", "N", 2, path), "Y");
}

TEST_F(PrivateProfileFileTest, PathVanishingDuringLoadsGivesWholeFileOrDefaults) {
  const std::string path = PathOf("flicker.lwd");
  const std::string ready = PathOf("ready.lwd");
  std::atomic<bool> stop{false};
  // The file comes and goes: present while the next copy is written, then absent for
  // as long while a spare copy is written.
  std::thread flicker([&] {
    std::ofstream(ready, std::ios::binary | std::ios::trunc) << kScenario;
    while (!stop) {
      rename(ready.c_str(), path.c_str());
      std::ofstream(ready, std::ios::binary | std::ios::trunc) << kScenario;
      unlink(path.c_str());
      std::ofstream(PathOf("spare.lwd"), std::ios::binary | std::ios::trunc) << kScenario;
    }
  });
  // Loads until both outcomes have been seen, each of them whole: the file with every
  // byte, or no file and the defaults; never a part of it.
  // The bound is a time, not a count of loads: on a busy or single-core machine the
  // flicker may run seldom, and loads of an absent file are far quicker than its copies.
  int whole = 0;
  int missing = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while ((whole < 20 || missing < 20) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::yield();
    const PrivateProfileFile profile = PrivateProfileFile::Load(path);
    if (profile.Source() == ProfileSource::kWhole) {
      ++whole;
      EXPECT_EQ(profile.Bytes(), kScenario);
      EXPECT_EQ(profile.GetString("Backgrounds", "R4", "0", 2), "4");
    } else {
      ++missing;
      EXPECT_EQ(profile.Source(), ProfileSource::kMissing);
      EXPECT_TRUE(profile.Bytes().empty());
      EXPECT_EQ(profile.GetString("Backgrounds", "R4", "0", 2), "0");
    }
  }
  stop = true;
  flicker.join();
  EXPECT_GE(whole, 20) << "the file was never found whole";
  EXPECT_GE(missing, 20) << "the file was never found missing";
}

TEST_F(PrivateProfileFileTest, OneSaveOfManyWritesEqualsSeparateWrites) {
  const std::string start = "; my notes\n[Backgrounds]\nchk2 = Y\nextra=kept\n\n[Other]\nR1=3\n";
  Put(PathOf("separate.lwd"), start);
  Put(PathOf("batch.lwd"), start);
  PrivateProfileFile batch = PrivateProfileFile::Load(PathOf("batch.lwd"));
  std::vector<std::pair<std::string, std::string>> keys;
  // Appending to a named string sidesteps a false -Wrestrict of GCC 12 on "text" + string.
  for (int k = 1; k <= 23; ++k)
    keys.emplace_back(std::string("chk").append(std::to_string(k)), k % 3 ? "N" : "Y");
  for (int n = 0; n <= 31; ++n)
    keys.emplace_back(std::string("R").append(std::to_string(n)), std::to_string(n % 5));
  keys.emplace_back("V1", "8");
  keys.emplace_back("V2", "10");
  keys.emplace_back("DYNAMIC", "Y");
  for (const auto& [key, value] : keys) {
    ASSERT_TRUE(WritePrivateProfileString("Backgrounds", key, value, PathOf("separate.lwd")));
    ASSERT_TRUE(batch.WriteString("Backgrounds", key, value));
  }
  ASSERT_TRUE(batch.Save(PathOf("batch.lwd")));
  const std::string separate = Get(PathOf("separate.lwd"));
  EXPECT_EQ(Get(PathOf("batch.lwd")), separate);
  // The other section, the comment, the blank line and the extra key survive.
  EXPECT_TRUE(separate.starts_with("; my notes\n[Backgrounds]\nchk2=N\r\nextra=kept\nchk1=N\r\n"))
      << separate;
  EXPECT_TRUE(separate.ends_with("DYNAMIC=Y\r\n\n[Other]\nR1=3\n")) << separate;
  EXPECT_EQ(GetPrivateProfileString("Other", "R1", "0", 2, PathOf("batch.lwd")), "3");
}

TEST_F(PrivateProfileFileTest, SaveReplacesTheFileKeepingItsPermissions) {
  const std::string path = PathOf("kept.lwd");
  Put(path, "; mine\r\n[Other]\r\nx=1\r\n");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WritePrivateProfileString("Backgrounds", "chk1", "Y", path));
  EXPECT_EQ(Get(path), "; mine\r\n[Other]\r\nx=1\r\n[Backgrounds]\r\nchk1=Y\r\n");
  struct stat status {};
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_EQ(Entries(), std::vector<std::string>{"kept.lwd"});

  // A name near the file system's limit saves as well as a short one.
  const std::string longName = std::string(250, 'n') + ".lwd";
  ASSERT_TRUE(WritePrivateProfileString("Backgrounds", "chk1", "Y", PathOf(longName)));
  EXPECT_EQ(Get(PathOf(longName)), "[Backgrounds]\r\nchk1=Y\r\n");
  ASSERT_EQ(unlink(PathOf(longName).c_str()), 0);

  // A new file gets the usual permissions of the user's umask.
  const mode_t mask = umask(022);
  ASSERT_TRUE(WritePrivateProfileString("Backgrounds", "chk1", "Y", PathOf("new.lwd")));
  umask(mask);
  ASSERT_EQ(stat(PathOf("new.lwd").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0644u);
}

TEST_F(PrivateProfileFileTest, SaveThroughASymbolicLinkReplacesItsTarget) {
  Put(PathOf("real.lwd"), kScenario);
  ASSERT_EQ(symlink("real.lwd", PathOf("link.lwd").c_str()), 0);
  ASSERT_TRUE(WritePrivateProfileString("Backgrounds", "V1", "3", PathOf("link.lwd")));
  struct stat status {};
  ASSERT_EQ(lstat(PathOf("link.lwd").c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode));
  EXPECT_EQ(GetPrivateProfileString("Backgrounds", "V1", "10", 3, PathOf("real.lwd")), "3");

  // A link to a file not there yet creates the file.
  ASSERT_EQ(symlink(PathOf("later.lwd").c_str(), PathOf("dangling.lwd").c_str()), 0);
  ASSERT_TRUE(WritePrivateProfileString("Backgrounds", "V1", "4", PathOf("dangling.lwd")));
  EXPECT_EQ(Get(PathOf("later.lwd")), "[Backgrounds]\r\nV1=4\r\n");

  ASSERT_EQ(symlink("loop.lwd", PathOf("loop.lwd").c_str()), 0);
  EXPECT_FALSE(WritePrivateProfileString("Backgrounds", "V1", "4", PathOf("loop.lwd")));
}

TEST_F(PrivateProfileFileTest, FailedSavesLeaveTheOldFileAndNoTemporary) {
  const std::string path = PathOf("old.lwd");
  Put(path, kScenario);
  const PrivateProfileFile replacement = PrivateProfileFile::FromBytes("[Backgrounds]\r\nV1=1\r\n");
  std::string error;

  EXPECT_FALSE(replacement.Save(PathOf("no such folder/a.lwd"), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(replacement.Save(PathOf("old.lwd/below.lwd")));
  EXPECT_FALSE(replacement.Save(""));

  ASSERT_EQ(mkdir(PathOf("folder.lwd").c_str(), 0700), 0);
  EXPECT_FALSE(replacement.Save(PathOf("folder.lwd")));

  // Read-only means read-only for the superuser too.
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  error.clear();
  EXPECT_FALSE(replacement.Save(path, &error));
  EXPECT_FALSE(error.empty());
  ASSERT_EQ(chmod(path.c_str(), 0644), 0);

  EXPECT_EQ(Get(path), kScenario);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"folder.lwd", "old.lwd"}));
}

TEST_F(PrivateProfileFileTest, FolderWithoutWritePermissionFailsTheSave) {
  // The superuser writes into every folder: the case runs with an ordinary user's rights.
  const std::string path = PathOf("old.lwd");
  Put(path, kScenario);
  testing::AsOrdinaryUser(dir_, [&] {
    ASSERT_EQ(chmod(dir_.c_str(), 0500), 0);
    EXPECT_FALSE(WritePrivateProfileString("Backgrounds", "V1", "1", path));
    ASSERT_EQ(chmod(dir_.c_str(), 0700), 0);
  });
  EXPECT_EQ(Get(path), kScenario);
  EXPECT_EQ(Entries(), std::vector<std::string>{"old.lwd"});
}

TEST_F(PrivateProfileFileTest, FullDiskFailsTheSave) {
  const std::string path = PathOf("old.lwd");
  Put(path, kScenario);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The file-size limit makes writes fail as a full disk does, for any user.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1024, 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    const PrivateProfileFile big = PrivateProfileFile::FromBytes(std::string(4096, ';'));
    std::string error;
    _exit(!big.Save(path, &error) && !error.empty() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reported success";
  EXPECT_EQ(Get(path), kScenario);
  EXPECT_EQ(Entries(), std::vector<std::string>{"old.lwd"});
}

TEST_F(PrivateProfileFileTest, KilledSaverLeavesOldOrNewBytesWhole) {
  const std::string path = PathOf("contested.lwd");
  const std::string oldBytes = kScenario;
  std::string newBytes = "[Backgrounds]\r\n";
  while (newBytes.size() < 256 * 1024) newBytes += "chk1=N\r\n";
  Put(path, oldBytes);

  std::mt19937 random(7);
  int sawOld = 0;
  int sawNew = 0;
  for (int round = 0; round < 60; ++round) {
    const PrivateProfileFile profiles[2] = {PrivateProfileFile::FromBytes(newBytes),
                                            PrivateProfileFile::FromBytes(oldBytes)};
    ASSERT_NO_FATAL_FAILURE(testing::SaveUntilKilled(
        [&](unsigned i) { return profiles[i % 2].Save(path); }, random, 3000));

    const std::string now = Get(path);
    ASSERT_TRUE(now == oldBytes || now == newBytes)
        << "round " << round << ": " << now.size() << " bytes";
    (now == oldBytes ? sawOld : sawNew)++;
  }
  RecordProperty("old", sawOld);
  RecordProperty("new", sawNew);
}

}  // namespace
}  // namespace lullwood
