#include "AboutDialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <array>
#include <cmath>

#include "QtText.h"

namespace lullwood {

namespace {

constexpr double kDialogFontPoints = 8.0;

// The licence notice the build states (LULLWOOD_LICENCE_NOTICE, also in the manual pages
// and the metainfo), written out here so that the translators find it; the two cannot
// drift apart.
constexpr std::string_view kLicenceNoticeText = QT_TRANSLATE_NOOP(
    "Lullwood",
    "Lullwood is free software: you may share and change it under the GNU General Public "
    "License, version 3 or later. It comes with no warranty.");
static_assert(kLicenceNoticeText == kLicenceNotice);

constexpr std::array kAboutRows = {
    AboutRow{"logo", 0, 73, 0, 71, 20},
    AboutRow{"version", 0, 198, 0, 19, 9},
    AboutRow{"okButton", 1, 87, 183, 43, 14},
};

}  // namespace

std::span<const AboutRow> AboutLayout() {
  return kAboutRows;
}

QStringList AboutParagraphs() {
  return {
      QObject::tr("Lullwood is an ambient-sound generator: up to three looping backgrounds and "
                  "31 random sound effects, mixed into one soundscape that plays for as long "
                  "as you like."),
      QObject::tr("Every sound is synthesised by Lullwood itself and built into the program; "
                  "none is recorded or downloaded."),
      ToQString(kCopyright) + "\n" + UiText(kLicenceNoticeText),
      QObject::tr("For help, choose Help > Using Lullwood... in the main window."),
  };
}

CAboutDialog::CAboutDialog(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
  setObjectName("aboutDialog");
  setWindowTitle(UiText(kAboutTitle));
  setWindowModality(Qt::ApplicationModal);
  QFont font = QApplication::font();
  font.setPointSizeF(kDialogFontPoints);
  setFont(font);

  auto* logo = new QLabel(this);
  logo->setObjectName("logo");
  logo->setAlignment(Qt::AlignCenter);

  auto* version = new QLabel(ToQString(kAboutVersion), this);
  version->setObjectName("version");

  auto* text = new QLabel(AboutParagraphs().join("\n\n"), this);
  text->setObjectName(ToQString(kAboutTextRow.name));
  text->setTextFormat(Qt::PlainText);
  text->setAlignment(Qt::AlignCenter);
  text->setWordWrap(true);

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName("okButton");
  ok->setProperty("controlId", 1);
  ok->setDefault(true);
  ok->setAutoDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  // Base units from the font, as the platform computes them, widened where a caption
  // would otherwise be clipped.
  const QFontMetrics fm(font);
  const QString alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  baseWidth_ = std::round(fm.horizontalAdvance(alphabet) / 52.0);
  baseHeight_ = fm.height();
  QStyleOptionButton option;
  option.initFrom(ok);
  const int buttonMargins = 2 * (style()->pixelMetric(QStyle::PM_ButtonMargin, &option, ok) +
                                 style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, ok));
  const AboutRow& versionRow = kAboutRows[1];
  const AboutRow& okRow = kAboutRows[2];
  baseWidth_ = std::max({baseWidth_, fm.horizontalAdvance(version->text()) * 4.0 / versionRow.w,
                         (fm.horizontalAdvance(ok->text()) + buttonMargins) * 4.0 / okRow.w});
  baseHeight_ =
      std::max({baseHeight_, fm.height() * 8.0 / versionRow.h, (fm.height() + 4) * 8.0 / okRow.h});

  for (const AboutRow& row : kAboutRows) {
    findChild<QWidget*>(ToQString(row.name))->setGeometry(ToPixels(row.x, row.y, row.w, row.h));
  }
  text->setGeometry(ToPixels(kAboutTextRow.x, kAboutTextRow.y, kAboutTextRow.w, kAboutTextRow.h));
  setFixedSize(ToPixels(0, 0, kAboutClient.w, kAboutClient.h).size());

  // A missing picture leaves the place empty.
  const QPixmap picture(ToQString(kAboutLogoPicture));
  if (!picture.isNull()) {
    logo->setPixmap(picture.scaled(logo->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
  }
}

QRect CAboutDialog::ToPixels(int x, int y, int w, int h) const {
  // Edges are rounded on their own, so rectangles that touch in dialog units touch here.
  const auto px = [this](int dlu) { return static_cast<int>(std::lround(dlu * baseWidth_ / 4)); };
  const auto py = [this](int dlu) { return static_cast<int>(std::lround(dlu * baseHeight_ / 8)); };
  return QRect(QPoint(px(x), py(y)), QPoint(px(x + w) - 1, py(y + h) - 1));
}

void RunAboutBox(QWidget* owner) {
  CAboutDialog box(owner);
  box.exec();
}

}  // namespace lullwood
