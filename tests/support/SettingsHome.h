// The settings folders of a test executable that uses QSettings: temporary folders set
// as XDG_CONFIG_HOME and XDG_CONFIG_DIRS before the first QSettings, so tests never touch
// the user's own settings nor read the machine's.
#pragma once

#include <QString>

namespace lullwood::testing {

// The temporary configuration folder; valid for the whole test run.
QString SettingsHome();
// The temporary system-wide configuration folder (XDG_CONFIG_DIRS).
QString SystemSettingsHome();

}  // namespace lullwood::testing
