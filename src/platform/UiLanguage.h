#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

// The tool speaks Chinese, its own language, unless the system's user
// interface language is English; then it loads its English translation and
// Qt's own beside it. Anything else, the C and POSIX locales included, keeps
// Chinese, with Qt's Chinese catalogue for Qt's own buttons and dialogs. The
// command line's JSON keys and exit statuses never change.
namespace UiLanguage {
bool PrefersEnglish(const QLocale& locale);
// A text of the tool in the system's language before any application
// object exists, when no translator can be installed yet.
QString TranslateEarly(const char* context, const char* sourceText);
// Installs the translations the system's language calls for, owned by app,
// and makes that language's locale the default one, which Qt's dialogs use
// for their dates and sizes.
void Install(QCoreApplication& app, const QLocale& system = QLocale::system());
} // namespace UiLanguage
