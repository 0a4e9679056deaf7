// The status-area icon as a StatusNotifierItem on the session bus, its menu served beside
// it as dbusmenu. Used in place of Qt's own icon wherever a StatusNotifierWatcher runs
// (Plasma, GNOME with the AppIndicator extension, waybar, sway's bars): Qt's icon lets
// go of the activation token the host hands over with a click
// (ProvideXdgActivationToken), without which a Wayland compositor will not bring the
// window forward. This one puts the token where Qt's Wayland platform takes it
// (XDG_ACTIVATION_TOKEN) just before the click shows the window. UI thread only.
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "StatusArea.h"

class QDBusServiceWatcher;

namespace lullwood {

class DBusMenuExporter;

// One size of the icon: width, height and ARGB32 pixels in network byte order, (iiay).
struct StatusIconPixmap {
  int width = 0;
  int height = 0;
  QByteArray pixels;
};
using StatusIconPixmapList = QList<StatusIconPixmap>;

// The tip: icon name, icon pixmaps, title and text, (sa(iiay)ss).
struct StatusToolTip {
  QString iconName;
  StatusIconPixmapList pixmaps;
  QString title;
  QString text;
};

QDBusArgument& operator<<(QDBusArgument& arg, const StatusIconPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& arg, StatusIconPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& arg, const StatusToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& arg, StatusToolTip& tip);

// Registers the types above with Qt's D-Bus; done by the item, needed by clients.
void RegisterStatusNotifierTypes();

// The icon at the sizes hosts draw, as the item sends it.
StatusIconPixmapList StatusIconPixmapsOf(const QIcon& icon);

inline constexpr char kStatusNotifierWatcher[] = "org.kde.StatusNotifierWatcher";

class StatusNotifierItem : public QObject, public StatusArea, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ category)
  Q_PROPERTY(QString Id READ id)
  Q_PROPERTY(QString Title READ title)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(int WindowId READ windowId)
  Q_PROPERTY(QString IconName READ iconName)
  Q_PROPERTY(lullwood::StatusIconPixmapList IconPixmap READ iconPixmap)
  Q_PROPERTY(QString OverlayIconName READ overlayIconName)
  Q_PROPERTY(lullwood::StatusIconPixmapList OverlayIconPixmap READ overlayIconPixmap)
  Q_PROPERTY(QString AttentionIconName READ attentionIconName)
  Q_PROPERTY(lullwood::StatusIconPixmapList AttentionIconPixmap READ attentionIconPixmap)
  Q_PROPERTY(QString AttentionMovieName READ attentionMovieName)
  Q_PROPERTY(lullwood::StatusToolTip ToolTip READ toolTip)
  Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ menu)

 public:
  // An item on `bus` when a watcher runs there, else null (Qt's own icon is used then).
  // `id` is the program's desktop-file name.
  static std::unique_ptr<StatusNotifierItem> Create(QDBusConnection bus, const QIcon& icon,
                                                    const QString& id);
  ~StatusNotifierItem() override;

  // StatusArea.
  void SetClickHandler(std::function<void(Click)> onClick) override {
    onClick_ = std::move(onClick);
  }
  void SetToolTip(const QString& tip) override;
  void SetContextMenu(QMenu* menu) override;
  void SetShown(bool shown) override;
  bool shown() const override { return shown_; }
  bool hostPresent() const override;

  // The bus name the item is served under while shown.
  QString serviceName() const { return service_; }

  QString category() const { return QStringLiteral("ApplicationStatus"); }
  QString id() const { return id_; }
  QString title() const { return title_; }
  QString status() const { return QStringLiteral("Active"); }
  int windowId() const { return 0; }
  QString iconName() const { return {}; }
  StatusIconPixmapList iconPixmap() const { return pixmaps_; }
  QString overlayIconName() const { return {}; }
  StatusIconPixmapList overlayIconPixmap() const { return {}; }
  QString attentionIconName() const { return {}; }
  StatusIconPixmapList attentionIconPixmap() const { return {}; }
  QString attentionMovieName() const { return {}; }
  StatusToolTip toolTip() const { return {{}, {}, title_, text_}; }
  bool itemIsMenu() const { return false; }
  QDBusObjectPath menu() const;

 public Q_SLOTS:
  void Activate(int x, int y);
  void SecondaryActivate(int x, int y);
  void ContextMenu(int x, int y);
  void Scroll(int delta, const QString& orientation);
  // Sent by the host just before Activate: the token the compositor gave it for this click.
  void ProvideXdgActivationToken(const QString& token);

 Q_SIGNALS:
  void NewTitle();
  void NewIcon();
  void NewAttentionIcon();
  void NewOverlayIcon();
  void NewToolTip();
  void NewStatus(const QString& status);
  void NewMenu();

 private:
  StatusNotifierItem(QDBusConnection bus, const QIcon& icon, const QString& id);
  bool Publish();
  void Withdraw();
  // Tells the watcher the item is there (again: after the watcher itself restarted).
  void RegisterWithWatcher();
  void Deliver(Click click);

  QDBusConnection bus_;
  QString id_;
  QString service_;
  QString title_;
  QString text_;
  StatusIconPixmapList pixmaps_;
  std::function<void(Click)> onClick_;
  QString token_;
  bool shown_ = false;
  QDBusServiceWatcher* watcherWatch_ = nullptr;
  std::unique_ptr<DBusMenuExporter> menuExporter_;
  QMenu* menu_ = nullptr;
};

}  // namespace lullwood

Q_DECLARE_METATYPE(lullwood::StatusIconPixmap)
Q_DECLARE_METATYPE(lullwood::StatusToolTip)
