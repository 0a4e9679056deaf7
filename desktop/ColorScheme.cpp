#include "ColorScheme.h"

#include <QApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QStyle>
#include <algorithm>
#include <cmath>

namespace lullwood {
namespace {

constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
constexpr char kSettingsInterface[] = "org.freedesktop.portal.Settings";
constexpr char kAppearance[] = "org.freedesktop.appearance";
constexpr char kColorScheme[] = "color-scheme";
constexpr double kLegible = 4.5;

double Channel(double c) {
  return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c) {
  return 0.2126 * Channel(c.redF()) + 0.7152 * Channel(c.greenF()) + 0.0722 * Channel(c.blueF());
}

// `text` moved away from the backgrounds' lightness, a step at a time, until it stands at
// least 4.5:1 against each of them (black or white at the end if need be).
QColor Legible(QColor text, std::initializer_list<QColor> backgrounds, bool darken) {
  const auto worst = [&](const QColor& c) {
    double least = 21;
    for (const QColor& b : backgrounds) least = std::min(least, ContrastRatio(c, b));
    return least;
  };
  for (int step = 0; step < 64 && worst(text) < kLegible; ++step) {
    text = darken ? text.darker(106) : text.lighter(106);
    if (!darken && text.lightness() >= 250) text = Qt::white;
  }
  if (worst(text) < kLegible) text = darken ? QColor(Qt::black) : QColor(Qt::white);
  return text;
}

// Disabled texts (the grey hint, the effects' labels while muted) keep their grey look but
// are moved until they read against the window, the buttons and the edit fields.
void MakeDisabledTextLegible(QPalette& palette, bool darken) {
  const QColor window = palette.color(QPalette::Disabled, QPalette::Window);
  const QColor button = palette.color(QPalette::Disabled, QPalette::Button);
  const QColor base = palette.color(QPalette::Disabled, QPalette::Base);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    palette.setColor(
        QPalette::Disabled, role,
        Legible(palette.color(QPalette::Disabled, role), {window, button, base}, darken));
  }
}

QPalette DarkPalette() {
  QPalette p;
  const QColor window(0x2b, 0x2b, 0x2b), text(0xe6, 0xe6, 0xe6), button(0x3a, 0x3a, 0x3a),
      base(0x1e, 0x1e, 0x1e);
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    p.setColor(group, QPalette::Window, window);
    p.setColor(group, QPalette::WindowText, text);
    p.setColor(group, QPalette::Base, base);
    p.setColor(group, QPalette::AlternateBase, QColor(0x33, 0x33, 0x33));
    p.setColor(group, QPalette::Text, text);
    p.setColor(group, QPalette::PlaceholderText, QColor(0xa6, 0xa6, 0xa6));
    p.setColor(group, QPalette::Button, button);
    p.setColor(group, QPalette::ButtonText, text);
    p.setColor(group, QPalette::BrightText, Qt::white);
    p.setColor(group, QPalette::Highlight, QColor(0x2f, 0x65, 0xa8));
    p.setColor(group, QPalette::HighlightedText, Qt::white);
    p.setColor(group, QPalette::ToolTipBase, button);
    p.setColor(group, QPalette::ToolTipText, text);
    p.setColor(group, QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
    p.setColor(group, QPalette::LinkVisited, QColor(0xc5, 0x8a, 0xf9));
    // The shades the style draws frames and bevels with.
    p.setColor(group, QPalette::Light, QColor(0x55, 0x55, 0x55));
    p.setColor(group, QPalette::Midlight, QColor(0x48, 0x48, 0x48));
    p.setColor(group, QPalette::Mid, QColor(0x30, 0x30, 0x30));
    p.setColor(group, QPalette::Dark, QColor(0x20, 0x20, 0x20));
    p.setColor(group, QPalette::Shadow, QColor(0x10, 0x10, 0x10));
  }
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, QColor(0x9a, 0x9a, 0x9a));
  p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x45, 0x45, 0x45));
  MakeDisabledTextLegible(p, false);
  return p;
}

}  // namespace

ColorScheme SchemeOf(uint32_t portalValue) {
  return portalValue == 1 ? ColorScheme::kDark : ColorScheme::kLight;
}

double ContrastRatio(const QColor& a, const QColor& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette PaletteFor(ColorScheme scheme) {
  if (scheme == ColorScheme::kDark) return DarkPalette();
  QPalette light = QApplication::style()->standardPalette();
  MakeDisabledTextLegible(light, true);
  // A selection's white text on the style's light blue reads at under 4:1: the blue is
  // deepened until it reads at 4.5:1 (contrast is the same either way round).
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    light.setColor(group, QPalette::Highlight,
                   Legible(light.color(group, QPalette::Highlight),
                           {light.color(group, QPalette::HighlightedText)}, true));
  }
  return light;
}

ColorSchemeFollower::ColorSchemeFollower(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
  // The light palette, legible, until the portal answers otherwise.
  QApplication::setPalette(PaletteFor(ColorScheme::kLight));
  if (!bus_.isConnected()) return;
  // QtDBus finds the slot by its parameters' registered types; the first connection in a
  // process may come before QDBusVariant's registration, and then finds none.
  qRegisterMetaType<QDBusVariant>();
  bus_.connect(kPortalService, kPortalPath, kSettingsInterface, QStringLiteral("SettingChanged"),
               this, SLOT(OnSettingChanged(QString, QString, QDBusVariant)));
  QDBusMessage read = QDBusMessage::createMethodCall(kPortalService, kPortalPath,
                                                     kSettingsInterface, QStringLiteral("Read"));
  read << QString::fromLatin1(kAppearance) << QString::fromLatin1(kColorScheme);
  // Asynchronous: a portal that starts slowly must not hold up the window.
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(read), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this](QDBusPendingCallWatcher* call) { OnRead(call); });
}

namespace {

// The portal's Read wraps the value in a variant of its own (a variant in a variant).
uint32_t UnwrapScheme(QVariant value) {
  while (value.userType() == qMetaTypeId<QDBusVariant>())
    value = value.value<QDBusVariant>().variant();
  bool ok = false;
  const uint32_t scheme = value.toUInt(&ok);
  return ok ? scheme : 0;
}

}  // namespace

void ColorSchemeFollower::OnRead(QDBusPendingCallWatcher* call) {
  const QDBusPendingReply<QDBusVariant> reply = *call;
  call->deleteLater();
  // No portal, or none that knows the setting: the light palette stays.
  if (reply.isError()) return;
  Apply(SchemeOf(UnwrapScheme(reply.value().variant())));
}

void ColorSchemeFollower::OnSettingChanged(const QString& group, const QString& key,
                                           const QDBusVariant& value) {
  if (group != QLatin1String(kAppearance) || key != QLatin1String(kColorScheme)) return;
  Apply(SchemeOf(UnwrapScheme(value.variant())));
}

void ColorSchemeFollower::Apply(ColorScheme scheme) {
  if (scheme == scheme_) return;
  scheme_ = scheme;
  QApplication::setPalette(PaletteFor(scheme));
  Q_EMIT changed(scheme);
}

}  // namespace lullwood
