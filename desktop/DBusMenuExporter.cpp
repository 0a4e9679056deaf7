#include "DBusMenuExporter.h"

#include <QAction>
#include <QActionGroup>
#include <QDBusMetaType>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>

namespace lullwood {

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& item) {
  arg.beginStructure();
  arg << item.id << item.properties;
  arg.beginArray(qMetaTypeId<QDBusVariant>());
  for (const DBusMenuLayoutItem& child : item.children) {
    arg << QDBusVariant(QVariant::fromValue(child));
  }
  arg.endArray();
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& item) {
  item = {};
  arg.beginStructure();
  arg >> item.id >> item.properties;
  arg.beginArray();
  while (!arg.atEnd()) {
    QDBusVariant child;
    arg >> child;
    item.children.append(qdbus_cast<DBusMenuLayoutItem>(child.variant()));
  }
  arg.endArray();
  arg.endStructure();
  return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemProperties& item) {
  arg.beginStructure();
  arg << item.id << item.properties;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemProperties& item) {
  arg.beginStructure();
  arg >> item.id >> item.properties;
  arg.endStructure();
  return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& event) {
  arg.beginStructure();
  arg << event.id << event.eventId << event.data << event.timestamp;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& event) {
  arg.beginStructure();
  arg >> event.id >> event.eventId >> event.data >> event.timestamp;
  arg.endStructure();
  return arg;
}

void RegisterDBusMenuTypes() {
  qDBusRegisterMetaType<DBusMenuLayoutItem>();
  qDBusRegisterMetaType<DBusMenuItemProperties>();
  qDBusRegisterMetaType<DBusMenuItemPropertiesList>();
  qDBusRegisterMetaType<DBusMenuEvent>();
  qDBusRegisterMetaType<DBusMenuEventList>();
}

QString DBusMenuLabelOf(const QString& text) {
  QString label;
  label.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'_') {
      label += QStringLiteral("__");
    } else if (c == u'&') {
      // "&&" is a plain ampersand; a lone one marks the next letter.
      if (i + 1 < text.size() && text[i + 1] == u'&') {
        label += u'&';
        ++i;
      } else {
        label += u'_';
      }
    } else {
      label += c;
    }
  }
  return label;
}

namespace {

// Whether a property is asked for: GetLayout and GetGroupProperties ask for all with none.
bool Wanted(const QStringList& names, const char* name) {
  return names.isEmpty() || names.contains(QLatin1String(name));
}

}  // namespace

DBusMenuExporter::DBusMenuExporter(QDBusConnection bus, const QString& path, QMenu* menu,
                                   QObject* parent)
    : QObject(parent), bus_(std::move(bus)), path_(path), menu_(menu) {
  RegisterDBusMenuTypes();
  if (menu_) Watch(menu_);
  registered_ =
      bus_.registerObject(path_, this,
                          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                              QDBusConnection::ExportAllProperties);
}

DBusMenuExporter::~DBusMenuExporter() {
  if (registered_) bus_.unregisterObject(path_);
  for (const QPointer<QMenu>& menu : std::as_const(watched_)) {
    if (menu) menu->removeEventFilter(this);
  }
}

QString DBusMenuExporter::textDirection() const {
  return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                               : QStringLiteral("ltr");
}

int DBusMenuExporter::IdOf(QAction* action) {
  if (const auto found = ids_.constFind(action); found != ids_.cend()) return *found;
  const int id = nextId_++;
  ids_.insert(action, id);
  actions_.insert(id, action);
  connect(action, &QObject::destroyed, this, [this, action, id] {
    ids_.remove(action);
    actions_.remove(id);
  });
  return id;
}

QAction* DBusMenuExporter::ActionOf(int id) const {
  return actions_.value(id);
}

QMenu* DBusMenuExporter::MenuOf(int id) const {
  if (id == 0) return menu_;
  QAction* action = ActionOf(id);
  return action ? action->menu<QMenu*>() : nullptr;
}

QVariantMap DBusMenuExporter::PropertiesOf(int id, const QStringList& names) const {
  QVariantMap properties;
  if (id == 0) {
    if (Wanted(names, "children-display")) {
      properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    }
    return properties;
  }
  const QAction* action = ActionOf(id);
  if (!action) return properties;
  // Only what differs from dbusmenu's defaults (a visible, enabled, plain entry) is sent.
  if (action->isSeparator()) {
    if (Wanted(names, "type"))
      properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
  } else if (Wanted(names, "label")) {
    properties.insert(QStringLiteral("label"), DBusMenuLabelOf(action->text()));
  }
  if (!action->isEnabled() && Wanted(names, "enabled")) {
    properties.insert(QStringLiteral("enabled"), false);
  }
  if (!action->isVisible() && Wanted(names, "visible")) {
    properties.insert(QStringLiteral("visible"), false);
  }
  if (action->isCheckable()) {
    const QActionGroup* group = action->actionGroup();
    const bool radio = group && group->exclusionPolicy() != QActionGroup::ExclusionPolicy::None;
    if (Wanted(names, "toggle-type")) {
      properties.insert(QStringLiteral("toggle-type"),
                        radio ? QStringLiteral("radio") : QStringLiteral("checkmark"));
    }
    if (Wanted(names, "toggle-state")) {
      properties.insert(QStringLiteral("toggle-state"), action->isChecked() ? 1 : 0);
    }
  }
  if (action->menu<QMenu*>() && Wanted(names, "children-display")) {
    properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
  }
  return properties;
}

DBusMenuLayoutItem DBusMenuExporter::LayoutOf(int id, int depth, const QStringList& names) {
  DBusMenuLayoutItem item{.id = id, .properties = PropertiesOf(id, names), .children = {}};
  QMenu* menu = MenuOf(id);
  if (!menu || depth == 0) return item;
  for (QAction* action : menu->actions()) {
    item.children.append(LayoutOf(IdOf(action), depth < 0 ? -1 : depth - 1, names));
  }
  return item;
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                 lullwood::DBusMenuLayoutItem& layout) {
  if (parentId != 0 && !ActionOf(parentId)) {
    ReplyUnknownId(parentId);
    return 0;
  }
  layout = LayoutOf(parentId, recursionDepth, propertyNames);
  return revision_;
}

DBusMenuItemPropertiesList DBusMenuExporter::GetGroupProperties(const QList<int>& ids,
                                                                const QStringList& propertyNames) {
  DBusMenuItemPropertiesList list;
  for (const int id : ids) {
    if (id == 0 || ActionOf(id)) list.append({id, PropertiesOf(id, propertyNames)});
  }
  return list;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name) {
  if (id != 0 && !ActionOf(id)) {
    ReplyUnknownId(id);
    return {};
  }
  const QVariantMap properties = PropertiesOf(id, {name});
  if (!properties.contains(name)) {
    if (calledFromDBus())
      sendErrorReply(QDBusError::InvalidArgs,
                     QStringLiteral("Menu item %1 has no property %2").arg(id).arg(name));
    return {};
  }
  return QDBusVariant(properties.value(name));
}

bool DBusMenuExporter::Click(int id, const QString& eventId) {
  QAction* action = ActionOf(id);
  if (!action) return false;
  if (eventId != QLatin1String("clicked")) return true;
  if (!action->isEnabled() || action->isSeparator() || action->menu<QMenu*>()) return true;
  QTimer::singleShot(0, action, [action] { action->trigger(); });
  return true;
}

void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant& /*data*/,
                             uint /*timestamp*/) {
  if (!Click(id, eventId)) ReplyUnknownId(id);
}

QList<int> DBusMenuExporter::EventGroup(const QList<DBusMenuEvent>& events) {
  QList<int> unknown;
  for (const DBusMenuEvent& event : events) {
    if (!Click(event.id, event.eventId)) unknown.append(event.id);
  }
  if (!events.isEmpty() && unknown.size() == events.size() && calledFromDBus()) {
    sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu item with any of the ids"));
  }
  return unknown;
}

bool DBusMenuExporter::AboutToShow(int id) {
  QMenu* menu = MenuOf(id);
  if (!menu) {
    if (!ActionOf(id)) ReplyUnknownId(id);
    return false;
  }
  // What fills a menu as it opens on screen fills it here too; say whether that changed it.
  const uint before = revision_;
  Q_EMIT menu->aboutToShow();
  return revision_ != before || announcing_;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
  QList<int> updated;
  for (const int id : ids) {
    QMenu* menu = MenuOf(id);
    if (!menu) {
      if (!ActionOf(id)) idErrors.append(id);
      continue;
    }
    const uint before = revision_;
    Q_EMIT menu->aboutToShow();
    if (revision_ != before || announcing_) updated.append(id);
  }
  return updated;
}

bool DBusMenuExporter::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
    case QEvent::ActionChanged:
      LayoutChanged();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void DBusMenuExporter::Watch(QMenu* menu) {
  watched_.removeAll(QPointer<QMenu>());
  if (!watched_.contains(menu)) {
    watched_.append(menu);
    menu->installEventFilter(this);
  }
  for (QAction* action : menu->actions()) {
    if (QMenu* submenu = action->menu<QMenu*>()) Watch(submenu);
  }
}

void DBusMenuExporter::LayoutChanged() {
  ++revision_;
  if (announcing_) return;
  // One announcement for a burst of changes (a menu refilled entry by entry).
  announcing_ = true;
  QTimer::singleShot(0, this, [this] {
    announcing_ = false;
    // Submenus added since are followed from now on.
    if (menu_) Watch(menu_);
    Q_EMIT LayoutUpdated(revision_, 0);
  });
}

void DBusMenuExporter::ReplyUnknownId(int id) {
  if (!calledFromDBus()) return;
  sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu item with id %1").arg(id));
}

}  // namespace lullwood
