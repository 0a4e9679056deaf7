// The user's language: English loads nothing and stays exact; every shipped language is
// found from its locale, translates the window, and fits the fixed layout at the units
// English has (the window grows its units for a caption that does not fit, so units no
// larger than English's mean every translated caption fits where the English does).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>
#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "ControlIds.h"
#include "DialogFixture.h"
#include "MainWindowLayout.h"
#include "QtText.h"
#include "Translations.h"

namespace lullwood::testing {
namespace {

// The languages compiled in, as lullwood_<language>.qm under :/i18n.
QStringList ShippedLanguages() {
  QStringList languages;
  for (const QString& file : QDir(":/i18n").entryList({"lullwood_*.qm"}, QDir::Files)) {
    languages << file.mid(9, file.size() - 9 - 3);
  }
  return languages;
}

void RemoveTranslations() {
  for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(t);
    delete t;
  }
}

class Translations : public DialogFixture<> {
 protected:
  void TearDown() override {
    DialogFixture::TearDown();
    RemoveTranslations();
  }
  void Remake() {
    if (dialog) {
      dialog->CloseDown();
      dialog.reset();
    }
    Make();
  }
  QString Caption(int id) {
    if (auto* button = qobject_cast<QPushButton*>(dialog->Control(id))) return button->text();
    return {};
  }
};

TEST_F(Translations, EnglishAndUnknownLanguagesLoadNothingAndStayExact) {
  // English is the texts themselves: not even Qt's own is loaded.
  for (const char* name : {"C", "en_US", "en_GB"}) {
    EXPECT_FALSE(InstallTranslations(*qApp, QLocale(name))) << name;
  }
  EXPECT_TRUE(qApp->findChildren<QTranslator*>().isEmpty());
  // A language Lullwood does not speak leaves its texts English (Qt's own dialogs may
  // still speak it).
  for (const char* name : {"ja_JP", "zz"}) {
    EXPECT_FALSE(InstallTranslations(*qApp, QLocale(name))) << name;
  }
  Make();
  EXPECT_EQ(Caption(ids::kMute), "Mute");
  EXPECT_EQ(Caption(ids::kClearAll), "Clear all audio settings");
  EXPECT_EQ(dialog->windowTitle(), "Quillor Lullwood");
  EXPECT_EQ(UiText("Never         Rarely       Occasionally      Frequently"),
            "Never         Rarely       Occasionally      Frequently");
}

TEST_F(Translations, EveryShippedLanguageTranslatesTheWindowAndFitsItsLayout) {
  const QStringList languages = ShippedLanguages();
  EXPECT_GE(languages.size(), 5) << languages.join(' ').toStdString();
  Make();
  const DialogUnits english = dialog->units();

  for (const QString& language : languages) {
    SCOPED_TRACE(language.toStdString());
    // From the locale as the session gives it, with its country.
    const QLocale locale(language.contains('_') ? language : language + "_" + language.toUpper());
    ASSERT_TRUE(InstallTranslations(*qApp, locale));
    Remake();
    EXPECT_NE(Caption(ids::kClearAll), "Clear all audio settings");
    EXPECT_NE(UiText("Dog Bark"), "Dog Bark");
    // Qt's own, for its standard dialogs and buttons.
    EXPECT_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Cancel");
    // Names stay names.
    EXPECT_EQ(dialog->windowTitle(), "Quillor Lullwood");
    const DialogUnits units = dialog->units();
    // Where the units grew, the captions that fill their control more than any English
    // caption of the same kind fills its own are where to look.
    std::string crowded;
    if (units.baseWidth > english.baseWidth) {
      const QFontMetrics fm(dialog->font());
      std::map<ControlKind, double> fullest;
      for (const LayoutRow& row : MainWindowLayout()) {
        if (row.rect.w <= 0) continue;
        const double fill = fm.horizontalAdvance(ToQString(row.caption)) / double(row.rect.w);
        fullest[row.kind] = std::max(fullest[row.kind], fill);
      }
      for (const LayoutRow& row : MainWindowLayout()) {
        if (row.rect.w <= 0) continue;
        const QString now = UiText(row.caption);
        if (fm.horizontalAdvance(now) / double(row.rect.w) > fullest[row.kind] + 1e-9) {
          crowded += " \"" + now.toStdString() + "\"";
        }
      }
    }
    EXPECT_LE(units.baseWidth, english.baseWidth + 1e-9)
        << "fuller than any English caption:" << crowded;
    EXPECT_LE(units.baseHeight, english.baseHeight + 1e-9);
    dialog->CloseDown();
    dialog.reset();
    RemoveTranslations();
  }
}

TEST_F(Translations, TheLanguageChangesNothingStored) {
  ASSERT_TRUE(InstallTranslations(*qApp, QLocale("de_DE")));
  Make().forward = true;
  Start();
  const std::string source = WriteFile("in.lwd", "[Backgrounds]\r\nchk2=Y\r\nR4=4\r\nV2=3\r\n");
  dialog->openAnswer = source;
  dialog->OpenScenario();
  Get<QAbstractButton>(ids::kDynamicRandom)->click();
  Get<QAbstractButton>(ids::kBoostPriority)->click();
  EXPECT_EQ(settings.values["DYNAMIC"], "Y");
  EXPECT_EQ(settings.values["BOOST"], "Y");

  const std::string target = (dir_ / "out.lwd").string();
  dialog->saveAnswer = target;
  dialog->SaveScenarioAs();
  std::ifstream in(target, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  for (const char* line : {"[Backgrounds]\r\n", "chk2=Y\r\n", "R4=4\r\n", "V2=3\r\n"}) {
    EXPECT_NE(bytes.str().find(line), std::string::npos) << line << " in " << bytes.str();
  }
}

}  // namespace
}  // namespace lullwood::testing
