#pragma once

#include <QLocale>

class QCoreApplication;

// The tool speaks Chinese, its own language, unless the system's user
// interface language is English; then it loads its English translation and
// Qt's own beside it. Anything else, the C and POSIX locales included, keeps
// Chinese. The command line's JSON keys and exit statuses never change.
namespace UiLanguage {
bool PrefersEnglish(const QLocale& locale);
// Installs the translations the system's language calls for, owned by app.
void Install(QCoreApplication& app);
} // namespace UiLanguage
