// Text between the Qt-free core (UTF-8 in std::string) and Qt (QString), and the core's
// texts in the user's language.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <string>
#include <string_view>

namespace lullwood {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A text of the core, marked QT_TRANSLATE_NOOP("Lullwood", ...), in the user's language
// where a translation is loaded; the English text itself otherwise.
inline QString UiText(std::string_view english) {
  if (english.empty()) return {};
  const std::string key(english);
  return QCoreApplication::translate("Lullwood", key.c_str());
}

}  // namespace lullwood
