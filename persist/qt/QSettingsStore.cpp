#include "QSettingsStore.h"

#include <QSettings>
#include <QVariant>
#include <memory>
#include <utility>

#include "QtText.h"

namespace lullwood {
namespace {

constexpr auto kOrganisation = "Quillor";
constexpr auto kApplication = "Lullwood";

// The store is the one per-user file: no value may come from a system-wide file (under
// XDG_CONFIG_DIRS, /etc/xdg) or from the organisation's file shared by its programs.
std::unique_ptr<QSettings> OpenStore(const QString& iniFilePath) {
  auto settings = iniFilePath.isEmpty()
                      ? std::make_unique<QSettings>(kOrganisation, kApplication)
                      : std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat);
  settings->setFallbacksEnabled(false);
  return settings;
}

}  // namespace

QSettingsStore::QSettingsStore(QString iniFilePath) : iniFilePath_(std::move(iniFilePath)) {}

std::optional<std::string> QSettingsStore::Read(std::string_view name) {
  const std::unique_ptr<QSettings> settings = OpenStore(iniFilePath_);
  const QVariant value = settings->value(ToQString(name));
  // A hand-edited "a,b" reads back as a list, "@ByteArray(..)" as bytes: neither is text.
  if (!value.isValid() || value.typeId() != QMetaType::QString) return std::nullopt;
  const QByteArray utf8 = value.toString().toUtf8();
  return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

bool QSettingsStore::Write(std::string_view name, std::string_view text) {
  const std::unique_ptr<QSettings> settings = OpenStore(iniFilePath_);
  if (!settings->isWritable()) return false;
  settings->setValue(ToQString(name), ToQString(text));
  settings->sync();
  return settings->status() == QSettings::NoError;
}

}  // namespace lullwood
