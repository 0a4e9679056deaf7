#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "AboutDialog.h"

namespace lullwood {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Runs `act` on the About box once it is the active modal window.
void WhenAboutOpens(std::function<void(CAboutDialog*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* box = qobject_cast<CAboutDialog*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    act(box);
  });
  timer->start();
}

TEST(AboutBox, IsLaidOutInItsOwnDialogUnits) {
  QWidget owner;
  CAboutDialog box(&owner);
  EXPECT_EQ(box.windowTitle(), "About Lullwood");
  EXPECT_EQ(box.size(), box.ToPixels(0, 0, 217, 210).size());
  EXPECT_EQ(box.minimumSize(), box.maximumSize()) << "fixed size";
  for (const AboutRow& row : AboutLayout()) {
    auto* widget = box.findChild<QWidget*>(Text(row.name));
    ASSERT_NE(widget, nullptr) << row.name;
    EXPECT_EQ(widget->geometry(), box.ToPixels(row.x, row.y, row.w, row.h)) << row.name;
    EXPECT_TRUE(box.rect().contains(widget->geometry())) << row.name;
  }
  // Dialog units follow the font: 217 units are wider than 217 pixels at any size.
  EXPECT_GT(box.width(), 217);
}

TEST(AboutBox, ShowsLogoVersionAndADefaultOk) {
  QWidget owner;
  CAboutDialog box(&owner);
  auto* logo = box.findChild<QLabel*>("logo");
  ASSERT_NE(logo, nullptr);
  EXPECT_FALSE(logo->pixmap().isNull());
  EXPECT_LE(logo->pixmap().width(), logo->width());
  EXPECT_LE(logo->pixmap().height(), logo->height());

  auto* version = box.findChild<QLabel*>("version");
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->text(), "2.2");
  EXPECT_GE(version->width(), QFontMetrics(version->font()).horizontalAdvance("2.2"));

  auto* ok = box.findChild<QPushButton*>("okButton");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(ok->property("controlId").toInt(), 1);
  EXPECT_GE(ok->width(), QFontMetrics(ok->font()).horizontalAdvance("OK"));
}

TEST(AboutBox, ClosesByOkEscapeAndItsCloseBox) {
  QWidget owner;
  owner.show();
  const struct {
    const char* how;
    std::function<void(CAboutDialog*)> close;
    int result;
  } cases[] = {
      {"OK",
       [](CAboutDialog* box) {
         QTest::mouseClick(box->findChild<QPushButton*>("okButton"), Qt::LeftButton);
       },
       QDialog::Accepted},
      {"Enter", [](CAboutDialog* box) { QTest::keyClick(box, Qt::Key_Return); }, QDialog::Accepted},
      {"Escape", [](CAboutDialog* box) { QTest::keyClick(box, Qt::Key_Escape); },
       QDialog::Rejected},
      {"close box", [](CAboutDialog* box) { box->close(); }, QDialog::Rejected},
  };
  for (const auto& c : cases) {
    CAboutDialog box(&owner);
    WhenAboutOpens(c.close);
    EXPECT_EQ(box.exec(), c.result) << c.how;
    EXPECT_FALSE(box.isVisible()) << c.how;
  }
}

TEST(AboutBox, RunsModallyOverItsOwnerWhileTimersGoOn) {
  QWidget owner;
  owner.show();
  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(5);

  bool modalOverOwner = false;
  int ticksWhileOpen = 0;
  WhenAboutOpens([&](CAboutDialog* box) {
    modalOverOwner = box->parentWidget() == &owner && box->isModal();
    const int before = ticks;
    QTest::qWait(60);  // a nested loop, as the box's own
    ticksWhileOpen = ticks - before;
    box->accept();
  });
  RunAboutBox(&owner);
  EXPECT_TRUE(modalOverOwner);
  EXPECT_GT(ticksWhileOpen, 0);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the box is gone";
  EXPECT_TRUE(owner.findChildren<CAboutDialog*>().isEmpty());
}

}  // namespace
}  // namespace lullwood
