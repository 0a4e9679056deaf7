// Marks a text of the Qt-free core for the translators without changing it:
// QT_TRANSLATE_NOOP("Lullwood", "Hide"). Qt's lupdate collects every such mark from the
// sources into the translation files (it reads the name, so the mark is always spelled
// out); the window looks the English text up (UiText, in the context "Lullwood") where it
// shows it, so the core and everything it stores stay English whatever the user's
// language. Where Qt is included the macro is Qt's own, which is the same.
#pragma once

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif
