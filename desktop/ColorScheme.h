// The desktop's light or dark preference and the window's palette for each. The
// preference comes from the freedesktop portal's Settings interface on the session bus
// (org.freedesktop.appearance, color-scheme: 0 no preference, 1 prefer dark, 2 prefer
// light), read at start and followed while the program runs; Debian 12's Qt 6.4 does
// not follow it by itself. UI thread only.
#pragma once

#include <QColor>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <QPalette>
#include <cstdint>
#include <initializer_list>

class QDBusPendingCallWatcher;

namespace lullwood {

enum class ColorScheme { kLight, kDark };

// The scheme of a portal color-scheme value: dark for 1, light for anything else.
ColorScheme SchemeOf(uint32_t portalValue);

// The contrast ratio of two colours as WCAG defines it: 1 (the same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

// The application's palette in `scheme`: light is the style's own, dark is the program's.
// In both, every text colour (disabled ones too) stands at least 4.5:1 against the
// backgrounds it is drawn on.
QPalette PaletteFor(ColorScheme scheme);

// Applies the desktop's preference to the application's palette at once and whenever it
// changes. Without a portal the palette stays light.
class ColorSchemeFollower : public QObject {
  Q_OBJECT

 public:
  explicit ColorSchemeFollower(QDBusConnection bus, QObject* parent = nullptr);

  ColorScheme scheme() const { return scheme_; }

 Q_SIGNALS:
  // After the palette has changed.
  void changed(ColorScheme scheme);

 public Q_SLOTS:
  // The portal's SettingChanged signal (QtDBus calls only public slots).
  void OnSettingChanged(const QString& group, const QString& key, const QDBusVariant& value);

 private:
  void OnRead(QDBusPendingCallWatcher* call);
  void Apply(ColorScheme scheme);

  QDBusConnection bus_;
  ColorScheme scheme_ = ColorScheme::kLight;
};

}  // namespace lullwood
