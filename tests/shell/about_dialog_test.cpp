#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <vector>

#include "AboutDialog.h"
#include "EventWaits.h"

namespace lullwood {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

using testing::WhenModalOpens;
using testing::WhenReadyOrAfter;

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
  EXPECT_EQ(version->text(), Text(kVersion));
  EXPECT_GE(version->width(), QFontMetrics(version->font()).horizontalAdvance(version->text()));

  auto* ok = box.findChild<QPushButton*>("okButton");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "OK");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(ok->property("controlId").toInt(), 1);
  EXPECT_GE(ok->width(), QFontMetrics(ok->font()).horizontalAdvance("OK"));
}

TEST(AboutBox, TellsWhatLullwoodIsWhoHoldsItWhereItsSoundsComeFromAndWhereTheHelpIs) {
  QWidget owner;
  CAboutDialog box(&owner);
  auto* text = box.findChild<QLabel*>(Text(kAboutTextRow.name));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->textFormat(), Qt::PlainText);
  const QString shown = text->text();
  for (const char* part :
       {"ambient-sound generator", "synthesised by Lullwood itself", "Help > Using Lullwood..."}) {
    EXPECT_TRUE(shown.contains(part)) << part << " in " << shown.toStdString();
  }
  EXPECT_TRUE(shown.contains(Text(kCopyright)));
  EXPECT_TRUE(shown.contains(Text(kLicenceNotice)));
  EXPECT_TRUE(shown.contains("free software") &&
              shown.contains("GNU General Public License, version 3 or later"))
      << shown.toStdString();
  EXPECT_EQ(shown, AboutParagraphs().join("\n\n"));

  // In the box's own font, in the field between the logo and OK, clear of every control.
  EXPECT_EQ(text->font(), box.font());
  EXPECT_EQ(text->geometry(),
            box.ToPixels(kAboutTextRow.x, kAboutTextRow.y, kAboutTextRow.w, kAboutTextRow.h));
  EXPECT_TRUE(box.rect().contains(text->geometry()));
  for (const AboutRow& row : AboutLayout()) {
    const QRect other = box.findChild<QWidget*>(Text(row.name))->geometry();
    EXPECT_FALSE(text->geometry().intersects(other)) << row.name;
  }
  const QRect need = QFontMetrics(text->font())
                         .boundingRect(QRect(0, 0, text->width(), 100000),
                                       Qt::AlignCenter | Qt::TextWordWrap, shown);
  EXPECT_LE(need.width(), text->width());
  EXPECT_LE(need.height(), text->height());
}

// The ink of one line of text in a picture: its rows and its leftmost and rightmost column.
struct InkLine {
  int top, bottom, left, right;
};

// Lines of ink inside `area`, where ink is any pixel whose grey level differs from
// `paper` by more than a third of the range (the body of a glyph, not its smoothing).
std::vector<InkLine> InkLines(const QImage& shot, const QRect& area, QColor paper) {
  const int paperGrey = qGray(paper.rgb());
  std::vector<InkLine> lines;
  bool inLine = false;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    int left = area.right() + 1;
    int right = area.left() - 1;
    for (int x = area.left(); x <= area.right(); ++x) {
      if (std::abs(qGray(shot.pixel(x, y)) - paperGrey) > 85) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
    if (left > right) {
      inLine = false;
      continue;
    }
    if (!inLine) lines.push_back({y, y, left, right});
    InkLine& line = lines.back();
    line.bottom = y;
    line.left = std::min(line.left, left);
    line.right = std::max(line.right, right);
    inLine = true;
  }
  return lines;
}

TEST(AboutBox, ItsPictureShowsTheTextCentredWholeAndReadable) {
  QWidget owner;
  CAboutDialog box(&owner);
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  const QImage shot = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shot.size(), box.size());
  if (const char* folder = std::getenv("LULLWOOD_SCREENSHOT_DIR")) {
    shot.save(QString::fromLocal8Bit(folder) + "/about.png");
  }
  auto* text = box.findChild<QLabel*>(Text(kAboutTextRow.name));
  ASSERT_NE(text, nullptr);
  const QRect area = text->geometry();
  const QColor paper = box.palette().color(QPalette::Window);
  const QFontMetrics fm(text->font());

  // Whole: nothing is cut at the edges of the field.
  for (int x = area.left(); x <= area.right(); ++x) {
    EXPECT_EQ(shot.pixel(x, area.top()), paper.rgb()) << "top edge, x " << x;
    EXPECT_EQ(shot.pixel(x, area.bottom()), paper.rgb()) << "bottom edge, x " << x;
  }
  for (int y = area.top(); y <= area.bottom(); ++y) {
    EXPECT_EQ(shot.pixel(area.left(), y), paper.rgb()) << "left edge, y " << y;
    EXPECT_EQ(shot.pixel(area.right(), y), paper.rgb()) << "right edge, y " << y;
  }

  // Readable: one line of ink for each line of text, each of the font's height or less
  // and taller than a lower-case letter's half, with space between them.
  const std::vector<InkLine> lines = InkLines(shot, area, paper);
  const QStringList paragraphs = AboutParagraphs();
  int atLeast = 0;
  for (const QString& paragraph : paragraphs) atLeast += 1 + paragraph.count('\n');
  ASSERT_GE(static_cast<int>(lines.size()), atLeast);
  EXPECT_LE(static_cast<int>(lines.size()), atLeast + 8) << "far more lines than expected";
  for (size_t i = 0; i < lines.size(); ++i) {
    const InkLine& line = lines[i];
    const int height = line.bottom - line.top + 1;
    EXPECT_LE(height, fm.height()) << "line " << i;
    EXPECT_GE(height, fm.xHeight() / 2) << "line " << i;
    // Centred: the margins left and right of each line differ by a pixel or two of
    // glyph bearing, not by a word.
    const int leftMargin = line.left - area.left();
    const int rightMargin = area.right() - line.right;
    EXPECT_LE(std::abs(leftMargin - rightMargin), 3) << "line " << i;
    EXPECT_GT(leftMargin, 0) << "line " << i;
  }
  // The block as a whole sits in the middle of the field, top to bottom.
  const int above = lines.front().top - area.top();
  const int below = area.bottom() - lines.back().bottom;
  EXPECT_LE(std::abs(above - below), fm.height()) << above << " above, " << below << " below";
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
    WhenModalOpens<CAboutDialog>(c.close);
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
  WhenModalOpens<CAboutDialog>([&](CAboutDialog* box) {
    modalOverOwner = box->parentWidget() == &owner && box->isModal();
    // The box's own loop runs on: it closes once the ticker has ticked in it.
    const int before = ticks;
    WhenReadyOrAfter([&ticks, before] { return ticks > before; }, 5000,
                     [&, box, before] {
                       ticksWhileOpen = ticks - before;
                       box->accept();
                     });
  });
  RunAboutBox(&owner);
  EXPECT_TRUE(modalOverOwner);
  EXPECT_GT(ticksWhileOpen, 0);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the box is gone";
  EXPECT_TRUE(owner.findChildren<CAboutDialog*>().isEmpty());
}

}  // namespace
}  // namespace lullwood
