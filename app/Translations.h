// The user's language: the program's own translation and Qt's (its standard dialogs and
// buttons), loaded from the locale the session gives (LANGUAGE, LC_ALL, LC_MESSAGES, LANG).
// With no translation for that language, or with LANG=C, every text stays English.
#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace lullwood {

// Installs the translations for `locale` into `app`; the program's own come from the
// compiled-in resources (":/i18n"), Qt's from `qtDirectory`. Returns whether the
// program's own was found.
bool InstallTranslations(QCoreApplication& app, const QLocale& locale = QLocale(),
                         const QString& qtDirectory = {});

}  // namespace lullwood
