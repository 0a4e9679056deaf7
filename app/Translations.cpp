#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace lullwood {

namespace {

// Loads `name`_<language>.qm for `locale` from `directory` into a translator owned by
// `app`; false when there is none for that language.
bool Install(QCoreApplication& app, const QLocale& locale, const QString& name,
             const QString& directory) {
  auto* translator = new QTranslator(&app);
  // Tries each of the locale's languages in turn: "pt_BR", then "pt".
  if (!translator->load(locale, name, QStringLiteral("_"), directory)) {
    delete translator;
    return false;
  }
  QCoreApplication::installTranslator(translator);
  return true;
}

}  // namespace

bool InstallTranslations(QCoreApplication& app, const QLocale& locale, const QString& qtDirectory) {
  // English is the texts themselves: nothing to load, and nothing of Qt's either.
  if (locale.language() == QLocale::C || locale.language() == QLocale::English) return false;
  const bool own = Install(app, locale, QStringLiteral("lullwood"), QStringLiteral(":/i18n"));
  Install(app, locale, QStringLiteral("qtbase"),
          qtDirectory.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : qtDirectory);
  return own;
}

}  // namespace lullwood
