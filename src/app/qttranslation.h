#pragma once

class QCoreApplication;

// Qt's own dialogs and buttons (the file dialog, the context menus of the fields) in Italian, like
// the rest of the program, whatever the desktop's language. Without Debian's translations
// (qt6-translations-l10n) they stay in English.
void installItalianQtTranslation(QCoreApplication &app);
