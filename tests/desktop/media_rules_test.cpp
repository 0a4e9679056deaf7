// The media controls' rules without a bus: what the properties show, how URIs and a
// second instance's command line become paths, and the output volume on every device.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "MediaPlayerRules.h"
#include "MediaVolumeOutputFactory.h"
#include "Mixer.h"
#include "OfflineOutput.h"
#include "TempFolder.h"

namespace lullwood::media {
namespace {

TEST(MediaRules, StatusAndTitleFollowTheMutedStateAndTheScenario) {
  EXPECT_EQ(PlaybackStatusOf(false), "Playing");
  EXPECT_EQ(PlaybackStatusOf(true), "Paused");
  EXPECT_EQ(ScenarioTitleOf(std::nullopt), "Lullwood");
  EXPECT_EQ(ScenarioTitleOf("/home/me/night.lwd"), "night.lwd");
  EXPECT_EQ(ScenarioTitleOf("my  night.lwd --x"), "my  night.lwd --x");
  EXPECT_EQ(ScenarioTitleOf(""), "Lullwood");  // start-up load of no name
  EXPECT_EQ(ScenarioTitleOf("/home/me/"), "Lullwood");
}

TEST(MediaRules, VolumeIsClampedAndNaNChangesNothing) {
  EXPECT_EQ(ClampVolume(0.5, 1.0), 0.5);
  EXPECT_EQ(ClampVolume(3.0, 0.2), 1.0);
  EXPECT_EQ(ClampVolume(-0.5, 0.2), 0.0);
  EXPECT_EQ(ClampVolume(INFINITY, 0.2), 1.0);
  EXPECT_EQ(ClampVolume(NAN, 0.2), 0.2);
}

TEST(MediaRules, FileUrisGiveTheirLocalPath) {
  std::string why;
  EXPECT_EQ(LocalPathOfFileUri("file:///home/me/night.lwd", why), "/home/me/night.lwd");
  EXPECT_EQ(LocalPathOfFileUri("FILE://localhost/a%20b/n%C3%A4cht.lwd", why),
            "/a b/n\xC3\xA4"
            "cht.lwd");
  EXPECT_EQ(LocalPathOfFileUri("file:/tmp/x.lwd", why), "/tmp/x.lwd");
  EXPECT_EQ(LocalPathOfFileUri("file:///tmp/%23hash.lwd", why), "/tmp/#hash.lwd");
}

TEST(MediaRules, EveryOtherUriIsRefusedWithAReason) {
  for (const char* uri :
       {"http://example.org/x.lwd", "night.lwd", "", "file:", "file://", "file:relative.lwd",
        "file://otherhost/x.lwd", "file://localhostx/x.lwd", "file:///x.lwd#part",
        "file:///x.lwd?q=1", "file:///bad%2", "file:///bad%zz", "file:///nul%00.lwd",
        "file:///latin%FF.lwd", "file:///overlong%C0%AF.lwd", "file:///surrogate%ED%A0%80"}) {
    std::string why;
    EXPECT_EQ(LocalPathOfFileUri(uri, why), std::nullopt) << uri;
    EXPECT_FALSE(why.empty()) << uri;
  }
}

TEST(MediaRules, AHandedOverNameIsMadeAbsoluteInTheSecondProcess) {
  EXPECT_EQ(AbsoluteHandOverPath("", "/home/me"), "");
  EXPECT_EQ(AbsoluteHandOverPath("/abs/night.lwd", "/home/me"), "/abs/night.lwd");
  EXPECT_EQ(AbsoluteHandOverPath("night.lwd", "/home/me"), "/home/me/night.lwd");
  EXPECT_EQ(AbsoluteHandOverPath("../x y.lwd --z", "/"), "/../x y.lwd --z");
  EXPECT_EQ(AbsoluteHandOverPath("\"q.lwd\"", "/d/"), "/d/\"q.lwd\"");
}

class MediaFiles : public testing::TempFolderTest {};

TEST_F(MediaFiles, OnlyAReadableFileIsAScenarioFile) {
  const std::string file = (dir_ / "night.lwd").string();
  std::ofstream(file) << "[Backgrounds]\n";
  EXPECT_EQ(ScenarioFileProblem(file), std::nullopt);
  EXPECT_NE(ScenarioFileProblem((dir_ / "missing.lwd").string()), std::nullopt);
  EXPECT_NE(ScenarioFileProblem(dir_.string()), std::nullopt);
  if (geteuid() != 0) {  // root reads everything
    chmod(file.c_str(), 0);
    EXPECT_NE(ScenarioFileProblem(file), std::nullopt);
  }
}

TEST_F(MediaFiles, TheIconIsFoundInTheFirstDataFolderThatHasIt) {
  const auto empty = dir_ / "empty", png = dir_ / "png", svg = dir_ / "svg";
  std::filesystem::create_directories(png / "icons/hicolor/256x256/apps");
  std::filesystem::create_directories(svg / "icons/hicolor/scalable/apps");
  std::filesystem::create_directories(empty);
  std::ofstream(png / "icons/hicolor/256x256/apps/lullwood.png") << "png";
  std::ofstream(svg / "icons/hicolor/scalable/apps/lullwood.svg") << "svg";
  EXPECT_EQ(FindInstalledIcon({empty.string()}), std::nullopt);
  EXPECT_EQ(FindInstalledIcon({}), std::nullopt);
  EXPECT_EQ(FindInstalledIcon({"", empty.string(), svg.string(), png.string()}),
            (svg / "icons/hicolor/scalable/apps/lullwood.svg").string());
  EXPECT_EQ(FindInstalledIcon({png.string(), svg.string()}),
            (png / "icons/hicolor/256x256/apps/lullwood.png").string());
}

TEST(MediaVolumeOutputFactory, IsOnTheDeviceHeldNowAndOnEveryDeviceClaimedLater) {
  OfflineOutputFactory offline;
  AudioDevice device;
  MediaVolumeOutputFactory volume(offline, device);
  EXPECT_EQ(volume.volume(), 1.0);
  EXPECT_FALSE(volume.SetVolume(1.0));
  EXPECT_TRUE(volume.SetVolume(0.25));  // no device yet: kept for the next one
  ASSERT_TRUE(ClaimDevice(device, volume));
  EXPECT_FLOAT_EQ(device.directSound->mixer().outputStage().volume(), 0.25f);
  EXPECT_TRUE(volume.SetVolume(7.0));
  EXPECT_EQ(volume.volume(), 1.0);
  EXPECT_FLOAT_EQ(device.directSound->mixer().outputStage().volume(), 1.0f);
  EXPECT_TRUE(volume.SetVolume(-2.0));
  EXPECT_FALSE(volume.SetVolume(NAN));
  EXPECT_EQ(volume.volume(), 0.0);
  ReleaseDevice(device);
  ASSERT_TRUE(ClaimDevice(device, volume));
  EXPECT_EQ(offline.opened(), 2);
  EXPECT_FLOAT_EQ(device.directSound->mixer().outputStage().volume(), 0.0f);
  offline.SetFailing(true);
  ReleaseDevice(device);
  EXPECT_FALSE(ClaimDevice(device, volume));  // a failed claim leaves nothing to set
  EXPECT_TRUE(volume.SetVolume(0.5));
}

}  // namespace
}  // namespace lullwood::media
