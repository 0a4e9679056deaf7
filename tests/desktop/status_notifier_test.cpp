// The status-area icon served on a private session bus as a StatusNotifierItem, read and
// clicked as a desktop's host does (a fake watcher stands in for the panel): its
// properties, the activation token a click hands over, its menu as dbusmenu, and the
// tray icon switching to it.
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QMenu>
#include <QMutex>
#include <QPixmap>
#include <QSignalSpy>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "DBusMenuExporter.h"
#include "EventWaits.h"
#include "PrivateBus.h"
#include "ShellCommands.h"
#include "StatusNotifierItem.h"
#include "TrayIcon.h"

namespace lullwood::testing {
namespace {

// The part of a panel's watcher the item talks to, and the host's ear for the menu's
// announcements. It runs in a thread of its own, as a panel runs in a process of its own:
// the item asks it questions while the window's thread waits for the answer.
class FakeWatcher : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)
  Q_PROPERTY(int ProtocolVersion READ protocolVersion)

 public:
  std::atomic<bool> hostRegisteredValue = true;
  bool hostRegistered() const { return hostRegisteredValue; }
  int protocolVersion() const { return 0; }
  QStringList registered() const {
    const QMutexLocker lock(&mutex_);
    return registered_;
  }
  std::vector<uint> layoutRevisions() const {
    const QMutexLocker lock(&mutex_);
    return layoutRevisions_;
  }

 public Q_SLOTS:
  void RegisterStatusNotifierItem(const QString& service) {
    const QMutexLocker lock(&mutex_);
    registered_ << service;
  }
  void OnLayoutUpdated(uint revision, int /*parent*/) {
    const QMutexLocker lock(&mutex_);
    layoutRevisions_.push_back(revision);
  }

 private:
  mutable QMutex mutex_;
  QStringList registered_;
  std::vector<uint> layoutRevisions_;
};

QIcon RedIcon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(QColor(255, 0, 0));
  return QIcon(pixmap);
}

class StatusNotifierOnABus : public ::testing::Test {
 protected:
  void SetUp() override {
    if (bus_.address().empty()) GTEST_SKIP() << "dbus-daemon could not be started";
    RegisterStatusNotifierTypes();
    RegisterDBusMenuTypes();
    const QString address = QString::fromStdString(bus_.address());
    panel_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "panel"));
    app_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "app"));
    ASSERT_TRUE(panel_->isConnected());
    ASSERT_TRUE(app_->isConnected());
    panelThread_.start();
    watcher.moveToThread(&panelThread_);
    ASSERT_TRUE(panel_->registerObject(
        "/StatusNotifierWatcher", &watcher,
        QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
  }
  void TearDown() override {
    item_.reset();
    if (panel_) panel_->unregisterObject("/StatusNotifierWatcher");
    panelThread_.quit();
    panelThread_.wait();
    if (panel_) QDBusConnection::disconnectFromBus("panel");
    if (app_) QDBusConnection::disconnectFromBus("app");
    qunsetenv("XDG_ACTIVATION_TOKEN");
  }
  void ServeWatcher() { ASSERT_TRUE(panel_->registerService(kStatusNotifierWatcher)); }

  // An item whose clicks are recorded with the token set when each came.
  void MakeItem() {
    item_ = StatusNotifierItem::Create(*app_, RedIcon(), "lullwood");
    ASSERT_TRUE(item_);
    service_ = item_->serviceName();
    item_->SetClickHandler([this](StatusArea::Click c) {
      clicks.push_back(c);
      tokens.push_back(qgetenv("XDG_ACTIVATION_TOKEN"));
    });
  }

  // A call from the panel to the item, answered with the event loop running.
  QDBusMessage Call(const QString& interface, const QString& method, const QVariantList& args,
                    const QString& path = "/StatusNotifierItem") {
    QDBusMessage call = QDBusMessage::createMethodCall(service_, path, interface, method);
    call.setArguments(args);
    return panel_->call(call, QDBus::BlockWithGui, 3000);
  }
  QVariant Property(const QString& name) {
    const QDBusMessage reply =
        Call("org.freedesktop.DBus.Properties", "Get", {"org.kde.StatusNotifierItem", name});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << name.toStdString();
    if (reply.arguments().isEmpty()) return {};
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant();
  }
  QDBusMessage Menu(const QString& method, const QVariantList& args) {
    return Call("com.canonical.dbusmenu", method, args, "/MenuBar");
  }
  DBusMenuLayoutItem Layout(int parent, int depth, const QStringList& names = {}) {
    const QDBusMessage reply = Menu("GetLayout", {parent, depth, names});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    if (reply.arguments().size() != 2) return {};
    return qdbus_cast<DBusMenuLayoutItem>(reply.arguments().at(1));
  }
  bool ServiceOnBus(const QString& name) {
    return panel_->interface()->isServiceRegistered(name).value();
  }

  PrivateBus bus_;
  QThread panelThread_;
  FakeWatcher watcher;
  std::unique_ptr<QDBusConnection> panel_, app_;
  std::unique_ptr<StatusNotifierItem> item_;
  QString service_;
  std::vector<StatusArea::Click> clicks;
  std::vector<QByteArray> tokens;
};

TEST_F(StatusNotifierOnABus, OnlyWhereAWatcherRunsAndRegisteredWhileShown) {
  EXPECT_FALSE(StatusNotifierItem::Create(*app_, RedIcon(), "lullwood"));
  ServeWatcher();
  MakeItem();
  EXPECT_FALSE(item_->shown());
  EXPECT_FALSE(ServiceOnBus(item_->serviceName()));

  item_->SetShown(true);
  EXPECT_TRUE(item_->shown());
  ASSERT_TRUE(RunUntil([&] { return watcher.registered().size() == 1; }));
  EXPECT_EQ(watcher.registered().front(), item_->serviceName());
  EXPECT_TRUE(ServiceOnBus(item_->serviceName()));
  EXPECT_TRUE(item_->hostPresent());
  watcher.hostRegisteredValue = false;
  EXPECT_FALSE(item_->hostPresent());

  // A watcher that restarts is told again; one that is gone means no host.
  ASSERT_TRUE(panel_->unregisterService(kStatusNotifierWatcher));
  EXPECT_FALSE(item_->hostPresent());
  ServeWatcher();
  ASSERT_TRUE(RunUntil([&] { return watcher.registered().size() == 2; }));

  item_->SetShown(false);
  EXPECT_FALSE(ServiceOnBus(item_->serviceName()));
  item_->SetShown(true);
  EXPECT_TRUE(ServiceOnBus(item_->serviceName()));
  ASSERT_TRUE(RunUntil([&] { return watcher.registered().size() == 3; }));
}

TEST_F(StatusNotifierOnABus, PropertiesAsAHostReadsThem) {
  ServeWatcher();
  MakeItem();
  item_->SetToolTip("Quillor Lullwood (RTCLK=options) \nSleep in 12 min");
  QMenu menu;
  menu.addAction("&Open");
  item_->SetContextMenu(&menu);
  item_->SetShown(true);

  EXPECT_EQ(Property("Id").toString(), "lullwood");
  EXPECT_EQ(Property("Category").toString(), "ApplicationStatus");
  EXPECT_EQ(Property("Status").toString(), "Active");
  EXPECT_EQ(Property("Title").toString(), "Quillor Lullwood (RTCLK=options)");
  EXPECT_FALSE(Property("ItemIsMenu").toBool());
  EXPECT_EQ(qdbus_cast<QDBusObjectPath>(Property("Menu")).path(), "/MenuBar");

  const auto tip = qdbus_cast<StatusToolTip>(Property("ToolTip"));
  EXPECT_EQ(tip.title, "Quillor Lullwood (RTCLK=options)");
  EXPECT_EQ(tip.text, "Sleep in 12 min");

  // Every size is whole, and the pixels are ARGB in network order: opaque red.
  const auto pixmaps = qdbus_cast<StatusIconPixmapList>(Property("IconPixmap"));
  ASSERT_FALSE(pixmaps.isEmpty());
  for (const StatusIconPixmap& p : pixmaps) {
    ASSERT_EQ(p.pixels.size(), qsizetype{p.width} * p.height * 4) << p.width;
    EXPECT_EQ(static_cast<uchar>(p.pixels[0]), 0xff);
    EXPECT_EQ(static_cast<uchar>(p.pixels[1]), 0xff);
    EXPECT_EQ(static_cast<uchar>(p.pixels[2]), 0x00);
    EXPECT_EQ(static_cast<uchar>(p.pixels[3]), 0x00);
  }

  // A changed tip is announced.
  QSignalSpy newTip(item_.get(), &StatusNotifierItem::NewToolTip);
  item_->SetToolTip("Quillor Lullwood (RTCLK=options) ");
  EXPECT_EQ(newTip.count(), 1);
  EXPECT_EQ(qdbus_cast<StatusToolTip>(Property("ToolTip")).text, "");
  item_->SetToolTip("Quillor Lullwood (RTCLK=options) ");
  EXPECT_EQ(newTip.count(), 1);
}

TEST_F(StatusNotifierOnABus, ClicksArriveAndATokenServesOnlyItsOwnClick) {
  ServeWatcher();
  MakeItem();
  item_->SetShown(true);
  qunsetenv("XDG_ACTIVATION_TOKEN");

  const QString sni = "org.kde.StatusNotifierItem";
  EXPECT_EQ(Call(sni, "ProvideXdgActivationToken", {QString("panel-token-9")}).type(),
            QDBusMessage::ReplyMessage);
  EXPECT_EQ(Call(sni, "Activate", {3, 4}).type(), QDBusMessage::ReplyMessage);
  ASSERT_TRUE(RunUntil([&] { return clicks.size() == 1; }));
  EXPECT_EQ(clicks[0], StatusArea::Click::kPrimary);
  EXPECT_EQ(tokens[0], "panel-token-9");

  // The next click brought no token: it does not reuse the last one.
  qunsetenv("XDG_ACTIVATION_TOKEN");
  Call(sni, "Activate", {0, 0});
  Call(sni, "SecondaryActivate", {0, 0});
  Call(sni, "ContextMenu", {10, 10});
  EXPECT_EQ(Call(sni, "Scroll", {120, QString("vertical")}).type(), QDBusMessage::ReplyMessage);
  ASSERT_TRUE(RunUntil([&] { return clicks.size() == 4; }));
  EXPECT_EQ(clicks[1], StatusArea::Click::kPrimary);
  EXPECT_EQ(tokens[1], "");
  EXPECT_EQ(clicks[2], StatusArea::Click::kSecondary);
  EXPECT_EQ(clicks[3], StatusArea::Click::kContext);
}

TEST_F(StatusNotifierOnABus, TheMenuAsDBusMenuAndItsClicks) {
  ServeWatcher();
  MakeItem();
  QMenu menu;
  QAction* open = menu.addAction("&Open a file_x");
  menu.addSeparator();
  QMenu* timer = menu.addMenu("&Timer");
  auto* group = new QActionGroup(timer);
  QAction* off = timer->addAction("Off");
  QAction* hour = timer->addAction("1 hour");
  for (QAction* a : {off, hour}) {
    a->setCheckable(true);
    group->addAction(a);
  }
  off->setChecked(true);
  QAction* awake = timer->addAction("Keep awake");
  awake->setCheckable(true);
  QAction* gone = menu.addAction("Disabled && hidden");
  gone->setEnabled(false);
  gone->setVisible(false);
  int opened = 0;
  QObject::connect(open, &QAction::triggered, [&] { ++opened; });
  QSignalSpy timerOpens(timer, &QMenu::aboutToShow);
  item_->SetContextMenu(&menu);
  item_->SetShown(true);

  const DBusMenuLayoutItem root = Layout(0, -1);
  EXPECT_EQ(root.id, 0);
  EXPECT_EQ(root.properties.value("children-display").toString(), "submenu");
  ASSERT_EQ(root.children.size(), 4);
  const DBusMenuLayoutItem& first = root.children[0];
  EXPECT_EQ(first.properties.value("label").toString(), "_Open a file__x");
  EXPECT_FALSE(first.properties.contains("toggle-type"));
  EXPECT_EQ(root.children[1].properties.value("type").toString(), "separator");
  const DBusMenuLayoutItem& sub = root.children[2];
  EXPECT_EQ(sub.properties.value("label").toString(), "_Timer");
  EXPECT_EQ(sub.properties.value("children-display").toString(), "submenu");
  ASSERT_EQ(sub.children.size(), 3);
  EXPECT_EQ(sub.children[0].properties.value("toggle-type").toString(), "radio");
  EXPECT_EQ(sub.children[0].properties.value("toggle-state").toInt(), 1);
  EXPECT_EQ(sub.children[1].properties.value("toggle-state").toInt(), 0);
  EXPECT_EQ(sub.children[2].properties.value("toggle-type").toString(), "checkmark");
  const DBusMenuLayoutItem& last = root.children[3];
  EXPECT_EQ(last.properties.value("label").toString(), "Disabled & hidden");
  EXPECT_FALSE(last.properties.value("enabled").toBool());
  EXPECT_FALSE(last.properties.value("visible").toBool());

  // Depth and names limit what comes back; ids stay the same between calls.
  EXPECT_TRUE(Layout(0, 0).children.isEmpty());
  const DBusMenuLayoutItem labels = Layout(sub.id, 1, {"label"});
  ASSERT_EQ(labels.children.size(), 3);
  EXPECT_EQ(labels.children[2].id, sub.children[2].id);
  EXPECT_EQ(labels.children[2].properties.keys(), QStringList{"label"});
  EXPECT_EQ(Menu("GetLayout", {9999, -1, QStringList{}}).type(), QDBusMessage::ErrorMessage);
  const QDBusMessage group_props =
      Menu("GetGroupProperties",
           {QVariant::fromValue(QList<int>{first.id, 9999}), QStringList{"label"}});
  ASSERT_EQ(group_props.type(), QDBusMessage::ReplyMessage);
  const auto props = qdbus_cast<DBusMenuItemPropertiesList>(group_props.arguments().at(0));
  ASSERT_EQ(props.size(), 1);
  EXPECT_EQ(props[0].properties.value("label").toString(), "_Open a file__x");
  const QDBusMessage one = Menu("GetProperty", {first.id, QString("label")});
  ASSERT_EQ(one.type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(qvariant_cast<QDBusVariant>(one.arguments().at(0)).variant().toString(),
            "_Open a file__x");

  // Opening a submenu fills it as on screen; clicks trigger, after the call is answered.
  EXPECT_EQ(Menu("AboutToShow", {sub.id}).type(), QDBusMessage::ReplyMessage);
  EXPECT_EQ(timerOpens.count(), 1);
  const QDBusVariant nothing(QVariant::fromValue(0));
  EXPECT_EQ(Menu("Event", {first.id, QString("clicked"), QVariant::fromValue(nothing), 0u}).type(),
            QDBusMessage::ReplyMessage);
  Menu("Event", {sub.children[2].id, QString("clicked"), QVariant::fromValue(nothing), 0u});
  Menu("Event", {sub.children[1].id, QString("hovered"), QVariant::fromValue(nothing), 0u});
  EXPECT_EQ(Menu("Event", {9999, QString("clicked"), QVariant::fromValue(nothing), 0u}).type(),
            QDBusMessage::ErrorMessage);
  ASSERT_TRUE(RunUntil([&] { return opened == 1 && awake->isChecked(); }));
  EXPECT_FALSE(hour->isChecked());
  const DBusMenuEventList events{{sub.children[1].id, "clicked", nothing, 0}};
  const QDBusMessage grouped = Menu("EventGroup", {QVariant::fromValue(events)});
  EXPECT_EQ(grouped.type(), QDBusMessage::ReplyMessage) << grouped.errorMessage().toStdString();
  ASSERT_TRUE(RunUntil([&] { return hour->isChecked(); }));
  EXPECT_FALSE(off->isChecked());

  // A burst of changes in any menu is announced once, with a newer revision, and shows in
  // the layout. (The clicks above were announced too, perhaps only now: only what is newer
  // than the revision read before the burst counts.)
  RunUntil([] { return false; }, 100);
  ASSERT_TRUE(panel_->connect(item_->serviceName(), "/MenuBar", "com.canonical.dbusmenu",
                              "LayoutUpdated", &watcher, SLOT(OnLayoutUpdated(uint, int))));
  const uint before = Menu("GetLayout", {0, 0, QStringList{}}).arguments().at(0).toUInt();
  const auto newer = [&] {
    std::vector<uint> revisions;
    for (const uint r : watcher.layoutRevisions()) {
      if (r > before) revisions.push_back(r);
    }
    return revisions;
  };
  timer->addAction("2 hours");
  hour->setText("One hour");
  ASSERT_TRUE(RunUntil([&] { return !newer().empty(); }));
  RunUntil([] { return false; }, 200);
  ASSERT_EQ(newer().size(), 1u);
  const uint after = Menu("GetLayout", {0, 0, QStringList{}}).arguments().at(0).toUInt();
  EXPECT_EQ(after, newer()[0]);
  ASSERT_EQ(Layout(sub.id, 1).children.size(), 4);
  EXPECT_EQ(Layout(sub.id, 1).children[1].properties.value("label").toString(), "One hour");
}

TEST_F(StatusNotifierOnABus, TheTrayIconShowsThroughTheItemOnceGivenIt) {
  ServeWatcher();
  MakeItem();
  StatusNotifierItem* item = item_.get();
  QMenu menu;
  std::vector<std::uintptr_t> trayClicks;
  TrayIcon tray(RedIcon(), [&](std::uintptr_t click) { trayClicks.push_back(click); });
  tray.SetContextMenu(&menu);
  tray.SetStatusLine("Sleep in 5 min");
  tray.Add();
  tray.UseStatusArea(std::move(item_));
  item_.reset();
  EXPECT_EQ(tray.statusArea(), item);
  EXPECT_FALSE(tray.icon().isVisible());
  EXPECT_TRUE(item->shown());
  EXPECT_TRUE(tray.added());
  EXPECT_EQ(item->toolTip().text, "Sleep in 5 min");
  EXPECT_EQ(item->menu().path(), "/MenuBar");

  // The host's clicks come as the Qt icon's would.
  const QString sni = "org.kde.StatusNotifierItem";
  Call(sni, "Activate", {0, 0});
  Call(sni, "SecondaryActivate", {0, 0});
  Call(sni, "ContextMenu", {0, 0});
  ASSERT_TRUE(RunUntil([&] { return trayClicks.size() == 3; }));
  EXPECT_EQ(trayClicks,
            (std::vector<std::uintptr_t>{tray::kClick, tray::kMiddleClick, tray::kContextClick}));

  tray.SetStatusLine({});
  EXPECT_EQ(item->toolTip().text, "");
  EXPECT_TRUE(tray.StatusAreaPresent());
  watcher.hostRegisteredValue = false;
  EXPECT_FALSE(tray.StatusAreaPresent());
  tray.Remove();
  EXPECT_FALSE(tray.added());
  EXPECT_FALSE(tray.icon().isVisible());
  tray.Add();
  EXPECT_TRUE(item->shown());
  EXPECT_FALSE(tray.icon().isVisible());
}

TEST(DBusMenuLabel, MnemonicsAndUnderscores) {
  EXPECT_EQ(DBusMenuLabelOf("&Open"), "_Open");
  EXPECT_EQ(DBusMenuLabelOf("Save && &Quit"), "Save & _Quit");
  EXPECT_EQ(DBusMenuLabelOf("snake_case"), "snake__case");
  EXPECT_EQ(DBusMenuLabelOf("trailing&"), "trailing_");
  EXPECT_EQ(DBusMenuLabelOf(""), "");
}

}  // namespace
}  // namespace lullwood::testing

#include "status_notifier_test.moc"
