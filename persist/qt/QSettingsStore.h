// The per-user settings store on QSettings: organisation "Quillor", application
// "Lullwood", native format (~/.config/Quillor/Lullwood.conf). Every call opens the store
// afresh and keeps nothing between calls. UI thread only.
#pragma once

#include <QString>

#include "Ports.h"

namespace lullwood {

class QSettingsStore : public SettingsStore {
 public:
  // The user's own store.
  QSettingsStore() = default;
  // A store in this INI file instead, for tests and tools that must not touch the user's.
  explicit QSettingsStore(QString iniFilePath);

  // The value's whole text (any length), or nothing when it is missing or is no text.
  std::optional<std::string> Read(std::string_view name) override;
  // Sets the value and writes it out; false when the store could not be written.
  bool Write(std::string_view name, std::string_view text) override;

 private:
  QString iniFilePath_;  // empty: the user's store
};

}  // namespace lullwood
