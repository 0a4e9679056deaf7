// The settings folder of a test executable that uses QSettings: a temporary folder set
// as XDG_CONFIG_HOME before the first QSettings, so tests never touch the user's own.
#pragma once

#include <QString>

namespace lullwood::testing {

// The temporary configuration folder; valid for the whole test run.
QString SettingsHome();

}  // namespace lullwood::testing
