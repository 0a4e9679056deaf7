// The desktop's dark preference: the palettes' contrast, and the window following a
// portal served on a private session bus, at start and when the setting changes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>

#include "ColorScheme.h"
#include "EventWaits.h"
#include "PrivateBus.h"

namespace lullwood::testing {
namespace {

// The portal's Settings interface as xdg-desktop-portal serves it: Read returns the value
// wrapped in a variant of its own; SettingChanged carries it plain.
class FakePortalSettings : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

 public:
  uint32_t colorScheme = 0;
  bool knowsAppearance = true;

 public Q_SLOTS:
  QDBusVariant Read(const QString& group, const QString& key) {
    if (!knowsAppearance || group != "org.freedesktop.appearance" || key != "color-scheme") {
      sendErrorReply("org.freedesktop.portal.Error.NotFound", "Requested setting not found");
      return {};
    }
    return QDBusVariant(QVariant::fromValue(QDBusVariant(colorScheme)));
  }

 Q_SIGNALS:
  void SettingChanged(const QString& group, const QString& key, const QDBusVariant& value);
};

bool IsDark(const QPalette& p) {
  return p.color(QPalette::Window).lightness() < 80;
}

// Every text colour against the backgrounds it is drawn on, in every group.
void ExpectLegible(const QPalette& p, const char* what) {
  const struct {
    QPalette::ColorRole text, background;
  } pairs[] = {{QPalette::WindowText, QPalette::Window},
               {QPalette::ButtonText, QPalette::Button},
               {QPalette::Text, QPalette::Base},
               {QPalette::WindowText, QPalette::Button},
               {QPalette::HighlightedText, QPalette::Highlight},
               {QPalette::ToolTipText, QPalette::ToolTipBase}};
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    for (const auto& pair : pairs) {
      if (group == QPalette::Disabled && pair.text == QPalette::HighlightedText) continue;
      EXPECT_GE(ContrastRatio(p.color(group, pair.text), p.color(group, pair.background)), 4.5)
          << what << ", group " << group << ", " << pair.text << " on " << pair.background;
    }
  }
}

TEST(ColorScheme, PortalValuesAndContrastRatios) {
  EXPECT_EQ(SchemeOf(0), ColorScheme::kLight);
  EXPECT_EQ(SchemeOf(1), ColorScheme::kDark);
  EXPECT_EQ(SchemeOf(2), ColorScheme::kLight);
  EXPECT_EQ(SchemeOf(7), ColorScheme::kLight);
  EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(Qt::white, Qt::black), 21.0, 1e-9);
  EXPECT_NEAR(ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
}

TEST(ColorScheme, BothPalettesKeepEveryTextLegibleAndDarkIsDark) {
  const QPalette light = PaletteFor(ColorScheme::kLight);
  const QPalette dark = PaletteFor(ColorScheme::kDark);
  EXPECT_FALSE(IsDark(light));
  EXPECT_TRUE(IsDark(dark));
  ExpectLegible(light, "light");
  ExpectLegible(dark, "dark");
  // Disabled text still looks disabled: greyer than enabled text, in both.
  for (const QPalette* p : {&light, &dark}) {
    EXPECT_NE(p->color(QPalette::Disabled, QPalette::WindowText),
              p->color(QPalette::Active, QPalette::WindowText));
  }
}

class ColorSchemeOnABus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (bus_.address().empty()) GTEST_SKIP() << "dbus-daemon could not be started";
    portalBus_ = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(QString::fromStdString(bus_.address()), "portal"));
    ASSERT_TRUE(portalBus_->isConnected());
    ASSERT_TRUE(portalBus_->registerObject(
        "/org/freedesktop/portal/desktop", &portal,
        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
    appBus_ = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(QString::fromStdString(bus_.address()), "app"));
    ASSERT_TRUE(appBus_->isConnected());
  }
  void Serve() { ASSERT_TRUE(portalBus_->registerService("org.freedesktop.portal.Desktop")); }
  void Change(uint32_t value) {
    Q_EMIT portal.SettingChanged("org.freedesktop.appearance", "color-scheme", QDBusVariant(value));
  }
  void TearDown() override {
    QApplication::setPalette(PaletteFor(ColorScheme::kLight));
    if (portalBus_) QDBusConnection::disconnectFromBus("portal");
    if (appBus_) QDBusConnection::disconnectFromBus("app");
  }

  PrivateBus bus_;
  FakePortalSettings portal;
  std::unique_ptr<QDBusConnection> portalBus_, appBus_;
};

TEST_F(ColorSchemeOnABus, FollowsTheDesktopAtStartAndWhenItChanges) {
  portal.colorScheme = 1;
  Serve();
  ColorSchemeFollower follower(*appBus_);
  ASSERT_TRUE(RunUntil([&] { return follower.scheme() == ColorScheme::kDark; }));
  EXPECT_TRUE(IsDark(QApplication::palette()));
  ExpectLegible(QApplication::palette(), "applied dark");

  QSignalSpy changed(&follower, &ColorSchemeFollower::changed);
  Change(2);
  ASSERT_TRUE(RunUntil([&] { return follower.scheme() == ColorScheme::kLight; }));
  EXPECT_FALSE(IsDark(QApplication::palette()));
  // Another setting changing leaves the palette alone.
  Q_EMIT portal.SettingChanged("org.freedesktop.appearance", "accent-color", QDBusVariant(1u));
  Change(1);
  ASSERT_TRUE(RunUntil([&] { return follower.scheme() == ColorScheme::kDark; }));
  EXPECT_EQ(changed.count(), 2);
}

TEST_F(ColorSchemeOnABus, WithoutAPortalOrItsSettingTheWindowStaysLight) {
  {
    ColorSchemeFollower follower(*appBus_);
    QTest::qWait(300);
    EXPECT_EQ(follower.scheme(), ColorScheme::kLight);
    EXPECT_FALSE(IsDark(QApplication::palette()));
  }
  portal.knowsAppearance = false;
  Serve();
  ColorSchemeFollower follower(*appBus_);
  QTest::qWait(300);
  EXPECT_EQ(follower.scheme(), ColorScheme::kLight);
  ExpectLegible(QApplication::palette(), "light without a portal");
}

}  // namespace
}  // namespace lullwood::testing

#include "color_scheme_test.moc"
