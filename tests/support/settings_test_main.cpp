#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>

#include "SettingsHome.h"

namespace lullwood::testing {
namespace {
QTemporaryDir* home = nullptr;
QTemporaryDir* system = nullptr;
}  // namespace

QString SettingsHome() {
  return home->path();
}

QString SystemSettingsHome() {
  return system->path();
}

}  // namespace lullwood::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QTemporaryDir home;
  QTemporaryDir system;
  if (!home.isValid() || !system.isValid()) return 2;
  // Before the first QSettings: it fixes its folders then.
  setenv("XDG_CONFIG_HOME", home.path().toLocal8Bit().constData(), 1);
  setenv("XDG_CONFIG_DIRS", system.path().toLocal8Bit().constData(), 1);
  lullwood::testing::home = &home;
  lullwood::testing::system = &system;
  return RUN_ALL_TESTS();
}
