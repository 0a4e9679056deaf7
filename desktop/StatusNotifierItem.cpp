#include "StatusNotifierItem.h"

#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QImage>
#include <QPixmap>
#include <QTimer>
#include <QtEndian>
#include <utility>

#include "DBusMenuExporter.h"

namespace lullwood {

namespace {

const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

// Several items may live in one process (tests make them); each needs a name of its own.
int nextItemNumber = 1;

}  // namespace

QDBusArgument& operator<<(QDBusArgument& arg, const StatusIconPixmap& pixmap) {
  arg.beginStructure();
  arg << pixmap.width << pixmap.height << pixmap.pixels;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, StatusIconPixmap& pixmap) {
  arg.beginStructure();
  arg >> pixmap.width >> pixmap.height >> pixmap.pixels;
  arg.endStructure();
  return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const StatusToolTip& tip) {
  arg.beginStructure();
  arg << tip.iconName << tip.pixmaps << tip.title << tip.text;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, StatusToolTip& tip) {
  arg.beginStructure();
  arg >> tip.iconName >> tip.pixmaps >> tip.title >> tip.text;
  arg.endStructure();
  return arg;
}

void RegisterStatusNotifierTypes() {
  qDBusRegisterMetaType<StatusIconPixmap>();
  qDBusRegisterMetaType<StatusIconPixmapList>();
  qDBusRegisterMetaType<StatusToolTip>();
}

StatusIconPixmapList StatusIconPixmapsOf(const QIcon& icon) {
  StatusIconPixmapList list;
  for (const int size : {16, 22, 24, 32, 48, 64}) {
    const QImage image = icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) continue;
    StatusIconPixmap pixmap{image.width(), image.height(), {}};
    pixmap.pixels.resize(static_cast<qsizetype>(image.width()) * image.height() * 4);
    auto* out = reinterpret_cast<uchar*>(pixmap.pixels.data());
    for (int y = 0; y < image.height(); ++y) {
      const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x, out += 4) qToBigEndian(row[x], out);
    }
    list.append(pixmap);
  }
  return list;
}

std::unique_ptr<StatusNotifierItem> StatusNotifierItem::Create(QDBusConnection bus,
                                                               const QIcon& icon,
                                                               const QString& id) {
  if (!bus.isConnected() || !bus.interface() ||
      !bus.interface()->isServiceRegistered(QLatin1String(kStatusNotifierWatcher))) {
    return nullptr;
  }
  return std::unique_ptr<StatusNotifierItem>(new StatusNotifierItem(std::move(bus), icon, id));
}

StatusNotifierItem::StatusNotifierItem(QDBusConnection bus, const QIcon& icon, const QString& id)
    : bus_(std::move(bus)),
      id_(id),
      service_(
          QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(getpid()).arg(nextItemNumber++)),
      pixmaps_(StatusIconPixmapsOf(icon)) {
  RegisterStatusNotifierTypes();
  // A watcher that restarts (the panel crashed, the shell was reloaded) has forgotten
  // every item: tell the new one.
  watcherWatch_ = new QDBusServiceWatcher(QLatin1String(kStatusNotifierWatcher), bus_,
                                          QDBusServiceWatcher::WatchForRegistration, this);
  connect(watcherWatch_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
    if (shown_) RegisterWithWatcher();
  });
}

StatusNotifierItem::~StatusNotifierItem() {
  Withdraw();
}

void StatusNotifierItem::SetToolTip(const QString& tip) {
  const qsizetype newline = tip.indexOf(u'\n');
  QString title = (newline < 0 ? tip : tip.left(newline)).trimmed();
  QString text = newline < 0 ? QString() : tip.mid(newline + 1);
  if (title == title_ && text == text_) return;
  const bool newTitle = title != title_;
  title_ = std::move(title);
  text_ = std::move(text);
  if (newTitle) Q_EMIT NewTitle();
  Q_EMIT NewToolTip();
}

void StatusNotifierItem::SetContextMenu(QMenu* menu) {
  if (menuExporter_ && menu == menu_) return;
  menuExporter_.reset();
  menu_ = menu;
  if (menu_) menuExporter_ = std::make_unique<DBusMenuExporter>(bus_, kMenuPath, menu_);
  Q_EMIT NewMenu();
}

QDBusObjectPath StatusNotifierItem::menu() const {
  // "/NO_DBUSMENU" is how an item says it has none.
  return QDBusObjectPath(
      menuExporter_ && menuExporter_->registered() ? kMenuPath : QStringLiteral("/NO_DBUSMENU"));
}

void StatusNotifierItem::SetShown(bool shown) {
  if (shown == shown_) return;
  if (shown) {
    shown_ = Publish();
  } else {
    Withdraw();
  }
}

bool StatusNotifierItem::Publish() {
  if (!bus_.registerObject(kItemPath, this, QDBusConnection::ExportAllContents)) return false;
  if (!bus_.registerService(service_)) {
    bus_.unregisterObject(kItemPath);
    return false;
  }
  shown_ = true;
  RegisterWithWatcher();
  return true;
}

void StatusNotifierItem::Withdraw() {
  if (!shown_) return;
  shown_ = false;
  // The host drops the item when its name leaves the bus.
  bus_.unregisterService(service_);
  bus_.unregisterObject(kItemPath);
}

void StatusNotifierItem::RegisterWithWatcher() {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QLatin1String(kStatusNotifierWatcher), kWatcherPath, QLatin1String(kStatusNotifierWatcher),
      QStringLiteral("RegisterStatusNotifierItem"));
  call << service_;
  // Unanswered: a watcher that refuses leaves nothing to do but wait for the next one.
  bus_.asyncCall(call);
}

bool StatusNotifierItem::hostPresent() const {
  if (!bus_.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QLatin1String(kStatusNotifierWatcher), kWatcherPath,
      QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  call << QLatin1String(kStatusNotifierWatcher) << QStringLiteral("IsStatusNotifierHostRegistered");
  const QDBusMessage reply = bus_.call(call, QDBus::Block, 2000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

void StatusNotifierItem::Activate(int /*x*/, int /*y*/) {
  // The token is for this click only.
  const QByteArray token = std::exchange(token_, {}).toUtf8();
  QTimer::singleShot(0, this, [this, token] {
    if (!token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token);
    Deliver(Click::kPrimary);
  });
}

void StatusNotifierItem::SecondaryActivate(int /*x*/, int /*y*/) {
  QTimer::singleShot(0, this, [this] { Deliver(Click::kSecondary); });
}

void StatusNotifierItem::ContextMenu(int /*x*/, int /*y*/) {
  // Hosts that draw the exported menu themselves never ask; the others get the popup.
  QTimer::singleShot(0, this, [this] { Deliver(Click::kContext); });
}

void StatusNotifierItem::Scroll(int /*delta*/, const QString& /*orientation*/) {}

void StatusNotifierItem::ProvideXdgActivationToken(const QString& token) {
  token_ = token;
}

void StatusNotifierItem::Deliver(Click click) {
  // A copy: the click may remove the icon, and this item with it.
  const std::function<void(Click)> onClick = onClick_;
  if (onClick) onClick(click);
}

}  // namespace lullwood
