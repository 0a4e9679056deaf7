// The settings store on QSettings, kept away from the user's own settings by pointing the
// configuration folder at a fresh temporary one before anything opens a store.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

#include "QSettingsStore.h"
#include "SettingsHome.h"

namespace lullwood {
namespace {

QString StoreFolder() {
  return testing::SettingsHome() + "/Quillor";
}
QString StoreFile() {
  return StoreFolder() + "/Lullwood.conf";
}

class QSettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QFile::remove(StoreFolder());  // when a test left a plain file in its place
    QDir(StoreFolder()).removeRecursively();
  }
};

TEST_F(QSettingsStoreTest, ValuesRoundTripWholeInTheUsersStore) {
  QSettingsStore store;
  EXPECT_FALSE(store.Read("LWD").has_value());
  std::string longPath = "/home/user/My Scenarios, \"quiet\" = rain; 100% \xC3\xA9t\xC3\xA9/";
  while (longPath.size() < 300) longPath += "deeper folder/";
  longPath += "night.lwd";
  ASSERT_TRUE(store.Write("LWD", longPath));
  ASSERT_TRUE(store.Write("AUTO", "Y"));
  EXPECT_EQ(store.Read("LWD"), longPath);
  EXPECT_EQ(store.Read("AUTO"), "Y");
  EXPECT_FALSE(store.Read("BOOST").has_value());
  EXPECT_TRUE(QFile::exists(StoreFile()));

  ASSERT_TRUE(store.Write("AUTO", "N"));
  ASSERT_TRUE(store.Write("LWD", ""));
  EXPECT_EQ(store.Read("AUTO"), "N");
  EXPECT_EQ(store.Read("LWD"), std::string());  // empty, not missing
  // A fresh store object sees what an earlier one wrote.
  EXPECT_EQ(QSettingsStore().Read("AUTO"), "N");
}

TEST_F(QSettingsStoreTest, ChangesMadeOutsideAreSeenByTheNextRead) {
  QSettingsStore store;
  ASSERT_TRUE(store.Write("AUTOHIDE", "N"));
  {
    QSettings other("Quillor", "Lullwood");
    other.setValue("AUTOHIDE", "y");
  }
  EXPECT_EQ(store.Read("AUTOHIDE"), "y");
}

TEST_F(QSettingsStoreTest, ValuesThatAreNoTextReadAsNothing) {
  QDir().mkpath(StoreFolder());
  QFile file(StoreFile());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[General]\nLWD=a, b, c\nBOOST=@ByteArray(Y)\nAUTO=Y\n");
  file.close();
  QSettingsStore store;
  EXPECT_FALSE(store.Read("LWD").has_value());
  EXPECT_FALSE(store.Read("BOOST").has_value());
  EXPECT_EQ(store.Read("AUTO"), "Y");
}

TEST_F(QSettingsStoreTest, WriteReportsAStoreThatCannotBeWritten) {
  // A plain file where the store's folder should be.
  QFile blocker(StoreFolder());
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  QSettingsStore store;
  EXPECT_FALSE(store.Write("AUTO", "Y"));
  EXPECT_FALSE(store.Read("AUTO").has_value());

  ASSERT_TRUE(QFile::remove(StoreFolder()));
  EXPECT_TRUE(store.Write("AUTO", "Y"));
  EXPECT_EQ(store.Read("AUTO"), "Y");
}

void PutFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
  file.write(bytes);
}

TEST_F(QSettingsStoreTest, NoValueComesFromASystemWideOrOrganisationFile) {
  const QString systemFile = testing::SystemSettingsHome() + "/Quillor/Lullwood.conf";
  const QString systemOrganisation = testing::SystemSettingsHome() + "/Quillor.conf";
  const QString userOrganisation = testing::SettingsHome() + "/Quillor.conf";
  PutFile(systemFile, "[General]\nAUTO=Y\nLWD=/etc/night.lwd\n");
  PutFile(systemOrganisation, "[General]\nBOOST=Y\n");
  PutFile(userOrganisation, "[General]\nAUTOHIDE=Y\n");
  {
    // The files are where QSettings looks when its fallbacks are on.
    QSettings withFallbacks("Quillor", "Lullwood");
    ASSERT_EQ(withFallbacks.value("AUTO").toString(), "Y");
    ASSERT_EQ(withFallbacks.value("BOOST").toString(), "Y");
    ASSERT_EQ(withFallbacks.value("AUTOHIDE").toString(), "Y");
  }
  QSettingsStore store;
  for (const char* name : {"AUTO", "LWD", "BOOST", "AUTOHIDE"}) {
    EXPECT_FALSE(store.Read(name).has_value()) << name;
  }
  // The user's own value is read and written in the user's file alone.
  ASSERT_TRUE(store.Write("AUTO", "N"));
  EXPECT_EQ(store.Read("AUTO"), "N");
  EXPECT_FALSE(store.Read("BOOST").has_value());
  QFile system(systemFile);
  ASSERT_TRUE(system.open(QIODevice::ReadOnly));
  EXPECT_EQ(system.readAll(), "[General]\nAUTO=Y\nLWD=/etc/night.lwd\n");

  QFile::remove(systemFile);
  QFile::remove(systemOrganisation);
  QFile::remove(userOrganisation);
}

TEST_F(QSettingsStoreTest, ExplicitFileKeepsItsOwnValues) {
  const QString path = testing::SettingsHome() + "/elsewhere/test.ini";
  QSettingsStore elsewhere(path);
  ASSERT_TRUE(elsewhere.Write("LWD", "/tmp/a.lwd"));
  EXPECT_EQ(elsewhere.Read("LWD"), "/tmp/a.lwd");
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_FALSE(QSettingsStore().Read("LWD").has_value());

  QSettingsStore unwritable(testing::SettingsHome() + "/elsewhere/test.ini/below.ini");
  EXPECT_FALSE(unwritable.Write("LWD", "/tmp/a.lwd"));
}

}  // namespace
}  // namespace lullwood
