// Profiles on disk: what Load makes of hostile files, bounded reads, and what a save
// refuses. How a replacement itself fails (a full disk, a locked folder, a killed saver)
// is ReplacingFile's to test; here one case shows that such a failure reaches the caller.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "OrdinaryUser.h"
#include "PrivateProfile.h"
#include "Sanitizers.h"
#include "TempFolder.h"

namespace lullwood {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class PrivateProfileFileTest : public testing::TempFolderTest {
 protected:
  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
};

// Holds this process, while it lives, to `headroomMiB` more address space than it has,
// so that a load that tried to hold a whole huge file fails (std::bad_alloc) instead of
// passing. AddressSanitizer reserves its shadow memory up front, so under it the cap is
// not set.
class AddressSpaceCap {
 public:
  explicit AddressSpaceCap(long headroomMiB) {
#if !defined(LULLWOOD_ASAN)
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    statm >> pages;
    EXPECT_GT(pages, 0);
    EXPECT_EQ(getrlimit(RLIMIT_AS, &previous_), 0);
    rlimit cap = previous_;
    cap.rlim_cur = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + (headroomMiB << 20));
    EXPECT_LE(cap.rlim_cur, previous_.rlim_max);
    set_ = setrlimit(RLIMIT_AS, &cap) == 0;
    EXPECT_TRUE(set_);
#else
    (void)headroomMiB;
#endif
  }
  ~AddressSpaceCap() {
    if (set_) setrlimit(RLIMIT_AS, &previous_);
  }
  AddressSpaceCap(const AddressSpaceCap&) = delete;
  AddressSpaceCap& operator=(const AddressSpaceCap&) = delete;

 private:
  rlimit previous_{};
  bool set_ = false;
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
  WriteBytes(PathOf("a.lwd"), kScenario);
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
  EXPECT_EQ(ReadBytes(PathOf("relative.lwd")), "[Backgrounds]\r\nV1=7\r\n");
}

TEST_F(PrivateProfileFileTest, NonRegularFilesAndLinkLoopsAreUnreadableWithoutBlocking) {
  ASSERT_EQ(mkdir(PathOf("folder.lwd").c_str(), 0700), 0);
  ASSERT_EQ(mkfifo(PathOf("fifo.lwd").c_str(), 0600), 0);
  ASSERT_EQ(symlink("loop.lwd", PathOf("loop.lwd").c_str()), 0);
  // A FIFO without a writer blocks an ordinary open for ever and the devices never end:
  // each load here returns at all only if it did not wait on them (the test's timeout
  // catches one that does).
  for (const std::string& path :
       {PathOf("folder.lwd"), PathOf("fifo.lwd"), PathOf("loop.lwd"), std::string("/dev/zero"),
        std::string("/dev/urandom"), std::string("/dev/null")}) {
    SCOPED_TRACE(path);
    const PrivateProfileFile profile = PrivateProfileFile::Load(path);
    EXPECT_EQ(profile.Source(), ProfileSource::kUnreadable);
    EXPECT_TRUE(profile.Bytes().empty());
    EXPECT_EQ(GetPrivateProfileString("Backgrounds", "chk1", "N", 2, path), "N");
  }
  // Writing through them fails and leaves them what they were.
  for (const char* name : {"folder.lwd", "fifo.lwd", "loop.lwd"}) {
    std::string error;
    EXPECT_FALSE(WritePrivateProfileString("Backgrounds", "chk1", "Y", PathOf(name), &error))
        << name;
    EXPECT_FALSE(error.empty()) << name;
  }
  struct stat status {};
  ASSERT_EQ(stat(PathOf("fifo.lwd").c_str(), &status), 0);
  EXPECT_TRUE(S_ISFIFO(status.st_mode));
  ASSERT_EQ(stat(PathOf("folder.lwd").c_str(), &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
  ASSERT_EQ(lstat(PathOf("loop.lwd").c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode));
  EXPECT_EQ(Entries(), (std::vector<std::string>{"fifo.lwd", "folder.lwd", "loop.lwd"}));
}

TEST_F(PrivateProfileFileTest, FileWithoutReadPermissionGivesDefaultsAndIsNotOverwritten) {
  // The superuser reads every file: the case runs with an ordinary user's rights.
  testing::AsOrdinaryUser(dir_.string(), [&] {
    WriteBytes(PathOf("secret.lwd"), kScenario);
    ASSERT_EQ(chmod(PathOf("secret.lwd").c_str(), 0200), 0);
    EXPECT_EQ(PrivateProfileFile::Load(PathOf("secret.lwd")).Source(), ProfileSource::kUnreadable);
    EXPECT_EQ(GetPrivateProfileString("Backgrounds", "chk1", "N", 2, PathOf("secret.lwd")), "N");
    EXPECT_FALSE(WritePrivateProfileString("Backgrounds", "chk1", "N", PathOf("secret.lwd")));
    ASSERT_EQ(chmod(PathOf("secret.lwd").c_str(), 0600), 0);
    EXPECT_EQ(ReadBytes(PathOf("secret.lwd")), kScenario);
  });
  EXPECT_EQ(Entries(), std::vector<std::string>{"secret.lwd"}) << "no temporary left behind";
}

TEST_F(PrivateProfileFileTest, HugeFileIsReadUpToTheLimitAndNeverSavedOver) {
  const std::string path = PathOf("huge.lwd");
  WriteBytes(path, kScenario);
  constexpr off_t kHugeBytes = off_t{100} << 20;
  ASSERT_EQ(truncate(path.c_str(), kHugeBytes), 0);  // sparse: the tail reads as NUL bytes
  PrivateProfileFile profile;
  {
    // Room for what is read, not for the file.
    const AddressSpaceCap cap(8);
    profile = PrivateProfileFile::Load(path);
  }
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

TEST_F(PrivateProfileFileTest, LongLinesAreCutAtTheReadLimitInBoundedMemory) {
  // A line of half the limit is read whole, and the keys after it are found.
  const std::string nearLimit = std::string(kProfileReadLimitBytes / 2, 'x');
  WriteBytes(PathOf("long.lwd"), "[S]\nlong=" + nearLimit + "\nafter=1\n");
  const PrivateProfileFile whole = PrivateProfileFile::Load(PathOf("long.lwd"));
  EXPECT_EQ(whole.Source(), ProfileSource::kWhole);
  EXPECT_EQ(whole.GetString("S", "after", ""), "1");
  EXPECT_EQ(whole.GetString("S", "long", "", 2), "x");
  EXPECT_EQ(whole.GetString("S", "long", ""), nearLimit);

  // A line of 10 MB is cut where the reading stops; what follows it is never reached.
  const std::string tenMegabytes(std::size_t{10} << 20, 'y');
  WriteBytes(PathOf("line.lwd"), "[S]\nk=" + tenMegabytes + "\nafter=1\n");
  // One line of 10 MB with no line end at all, that opens no section.
  WriteBytes(PathOf("oneline.lwd"), std::string(std::size_t{10} << 20, '['));
  PrivateProfileFile cut, oneLine;
  {
    // Room for what is read, not for the files.
    const AddressSpaceCap cap(8);
    cut = PrivateProfileFile::Load(PathOf("line.lwd"));
    oneLine = PrivateProfileFile::Load(PathOf("oneline.lwd"));
  }
  EXPECT_EQ(cut.Source(), ProfileSource::kTruncated);
  EXPECT_EQ(cut.GetString("S", "k", "", 2), "y");
  EXPECT_EQ(cut.GetString("S", "k", "").size(), kProfileReadLimitBytes - 6);
  EXPECT_EQ(cut.GetString("S", "after", "-"), "-");
  EXPECT_EQ(oneLine.Source(), ProfileSource::kTruncated);
  EXPECT_EQ(oneLine.Bytes().size(), kProfileReadLimitBytes);
  EXPECT_EQ(oneLine.GetString("Backgrounds", "chk1", "N", 2), "N");
}

TEST_F(PrivateProfileFileTest, BinaryFileKeepsEveryByteThroughAWrite) {
  std::mt19937 random(20261207);
  std::string noise(64 * 1024, '\0');
  for (char& c : noise) c = static_cast<char>(random() & 0xFF);
  // A noise file whose last byte ends no line, so the appended section must start one.
  noise.back() = 'z';
  const std::string path = PathOf("noise.lwd");
  WriteBytes(path, noise);
  EXPECT_EQ(PrivateProfileFile::Load(path).GetString("Backgrounds", "chk1", "N", 2), "N");
  ASSERT_TRUE(WritePrivateProfileString("Lullwood Test Section", "chk1", "Y", path));
  const std::string after = ReadBytes(path);
  EXPECT_EQ(after, noise + "\r\n[Lullwood Test Section]\r\nchk1=Y\r\n");
  EXPECT_EQ(GetPrivateProfileString("Lullwood Test Section", "chk1", "N", 2, path), "Y");
}

TEST_F(PrivateProfileFileTest, PathVanishingDuringLoadsGivesWholeFileOrDefaults) {
  const std::string path = PathOf("flicker.lwd");
  const std::string ready = PathOf("ready.lwd");
  WriteBytes(ready, kScenario);
  // Each round starts with the file there or not (drawn with a fixed seed), then lets a
  // second thread, waiting on the spot, make it vanish (removed) or appear (linked into
  // place whole), one system call, while a load runs. The load may find the file as
  // before the change or as after it; either way it is whole: every byte, or no file and
  // the defaults, never some of the bytes.
  constexpr int kRounds = 400;
  std::mt19937 random(20261208);
  std::vector<char> presentBefore(kRounds + 1);
  for (char& present : presentBefore) present = random() % 2 == 0;
  std::atomic<int> changerWaiting{0};
  std::atomic<int> roundsStarted{0};
  std::atomic<int> changesDone{0};
  const auto awaitAtLeast = [](std::atomic<int>& counter, int wanted) {
    while (counter.load() < wanted) std::this_thread::yield();
  };
  std::thread flicker([&] {
    for (int round = 1; round <= kRounds; ++round) {
      changerWaiting = round;
      awaitAtLeast(roundsStarted, round);
      if (presentBefore[round]) {
        unlink(path.c_str());
      } else {
        link(ready.c_str(), path.c_str());
      }
      changesDone = round;
    }
  });
  int whole = 0;
  int missing = 0;
  int changed = 0;
  for (int round = 1; round <= kRounds; ++round) {
    unlink(path.c_str());
    if (presentBefore[round]) {
      EXPECT_EQ(link(ready.c_str(), path.c_str()), 0);
    }
    awaitAtLeast(changerWaiting, round);
    roundsStarted = round;
    // The load starts a varying count of steps after the change is let go, so that
    // across the rounds the change falls before the load, during it and after it.
    for (std::atomic<int> step{0}; step.fetch_add(1) < round % 40 * 25;) {
    }
    const PrivateProfileFile profile = PrivateProfileFile::Load(path);
    if ((profile.Source() == ProfileSource::kWhole) != (presentBefore[round] != 0)) ++changed;
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
    awaitAtLeast(changesDone, round);
  }
  flicker.join();
  EXPECT_GT(whole, 0) << "the file was never found whole";
  EXPECT_GT(missing, 0) << "the file was never found missing";
  RecordProperty("whole", whole);
  RecordProperty("missing", missing);
  RecordProperty("changed", changed);
}

TEST_F(PrivateProfileFileTest, OneSaveOfManyWritesEqualsSeparateWrites) {
  const std::string start = "; my notes\n[Backgrounds]\nchk2 = Y\nextra=kept\n\n[Other]\nR1=3\n";
  WriteBytes(PathOf("separate.lwd"), start);
  WriteBytes(PathOf("batch.lwd"), start);
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
  const std::string separate = ReadBytes(PathOf("separate.lwd"));
  EXPECT_EQ(ReadBytes(PathOf("batch.lwd")), separate);
  // The other section, the comment, the blank line and the extra key survive.
  EXPECT_TRUE(separate.starts_with("; my notes\n[Backgrounds]\nchk2=N\r\nextra=kept\nchk1=N\r\n"))
      << separate;
  EXPECT_TRUE(separate.ends_with("DYNAMIC=Y\r\n\n[Other]\nR1=3\n")) << separate;
  EXPECT_EQ(GetPrivateProfileString("Other", "R1", "0", 2, PathOf("batch.lwd")), "3");
}

TEST_F(PrivateProfileFileTest, AFailedReplacementFailsTheSaveWithItsReasonAndKeepsTheOldFile) {
  const std::string path = PathOf("old.lwd");
  WriteBytes(path, kScenario);
  // Refused by its mode bits, so by the replacement even for the superuser.
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  PrivateProfileFile profile = PrivateProfileFile::Load(path);
  ASSERT_EQ(profile.Source(), ProfileSource::kWhole);
  ASSERT_TRUE(profile.WriteString("Backgrounds", "V1", "1"));
  std::string error;
  EXPECT_FALSE(profile.Save(path, &error));
  EXPECT_NE(error.find("is read-only"), std::string::npos) << error;
  error.clear();
  EXPECT_FALSE(WritePrivateProfileString("Backgrounds", "V1", "1", path, &error));
  EXPECT_NE(error.find("is read-only"), std::string::npos) << error;
  EXPECT_EQ(ReadBytes(path), kScenario);
  EXPECT_EQ(Entries(), std::vector<std::string>{"old.lwd"});

  // A profile with no file name to go to is refused before any replacement.
  error.clear();
  EXPECT_FALSE(profile.Save("", &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace lullwood
