// Text between the Qt-free core (UTF-8 in std::string) and Qt (QString).
#pragma once

#include <QString>
#include <string_view>

namespace lullwood {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace lullwood
