// A QMenu served on the session bus as com.canonical.dbusmenu (version 3), the menu a
// status-notifier host draws for the status-area icon itself. The host reads the tree
// (GetLayout), and clicks come back as events that trigger the actions. Every change
// to the menus (an action added, removed, renamed, checked, enabled) bumps the layout's
// revision and is announced once per turn of the event loop. UI thread only.
#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

class QAction;
class QMenu;

namespace lullwood {

// One entry and, to the depth asked for, its children: D-Bus (ia{sv}av), each child a
// variant holding another entry.
struct DBusMenuLayoutItem {
  int id = 0;
  QVariantMap properties;
  QList<DBusMenuLayoutItem> children;
};

// One entry's properties: (ia{sv}).
struct DBusMenuItemProperties {
  int id = 0;
  QVariantMap properties;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;

// One event of a group: (isvu).
struct DBusMenuEvent {
  int id = 0;
  QString eventId;
  QDBusVariant data;
  uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& event);

// Registers the types above with Qt's D-Bus; done by the exporter, needed by clients.
void RegisterDBusMenuTypes();

// A label as dbusmenu writes it: the mnemonic is marked by '_' rather than '&'.
QString DBusMenuLabelOf(const QString& text);

class DBusMenuExporter : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version READ version)
  Q_PROPERTY(QString TextDirection READ textDirection)
  Q_PROPERTY(QString Status READ status)
  Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

 public:
  // Serves `menu` (not owned; nothing is served once it is gone) at `path` on `bus`.
  // registered() says whether the bus took it.
  DBusMenuExporter(QDBusConnection bus, const QString& path, QMenu* menu,
                   QObject* parent = nullptr);
  ~DBusMenuExporter() override;

  bool registered() const { return registered_; }
  uint revision() const { return revision_; }

  uint version() const { return 3; }
  QString textDirection() const;
  QString status() const { return QStringLiteral("normal"); }
  QStringList iconThemePath() const { return {}; }

 public Q_SLOTS:
  // The types are spelled out in full: Qt's D-Bus finds a slot's argument types by name.
  uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                 lullwood::DBusMenuLayoutItem& layout);
  QList<lullwood::DBusMenuItemProperties> GetGroupProperties(const QList<int>& ids,
                                                             const QStringList& propertyNames);
  QDBusVariant GetProperty(int id, const QString& name);
  void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
  QList<int> EventGroup(const QList<lullwood::DBusMenuEvent>& events);
  bool AboutToShow(int id);
  QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

 Q_SIGNALS:
  void LayoutUpdated(uint revision, int parent);
  void ItemActivationRequested(int id, uint timestamp);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The id of `action`, given on first sight and kept while it lives.
  int IdOf(QAction* action);
  QAction* ActionOf(int id) const;
  // The menu whose entries are the children of `id` (0: the top), or null.
  QMenu* MenuOf(int id) const;
  QVariantMap PropertiesOf(int id, const QStringList& names) const;
  DBusMenuLayoutItem LayoutOf(int id, int depth, const QStringList& names);
  // Follows `menu` and its submenus for changes.
  void Watch(QMenu* menu);
  void LayoutChanged();
  void ReplyUnknownId(int id);
  // Triggers the entry a "clicked" event names, after the call has been answered: an
  // action may open a dialog or end the program.
  bool Click(int id, const QString& eventId);

  QDBusConnection bus_;
  QString path_;
  QPointer<QMenu> menu_;
  bool registered_ = false;
  uint revision_ = 1;
  bool announcing_ = false;
  int nextId_ = 1;
  QHash<QAction*, int> ids_;
  QHash<int, QPointer<QAction>> actions_;
  QList<QPointer<QMenu>> watched_;
};

}  // namespace lullwood

Q_DECLARE_METATYPE(lullwood::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(lullwood::DBusMenuItemProperties)
Q_DECLARE_METATYPE(lullwood::DBusMenuEvent)
