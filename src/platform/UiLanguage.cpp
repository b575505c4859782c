#include "UiLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace {

// Where the build puts the compiled translation among the resources.
const char* const kTranslationFolder = ":/i18n";

void Load(QCoreApplication& app, const QString& name, const QString& folder, const QLocale& locale)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, name, QStringLiteral("_"), folder))
        return;
    translator->setParent(&app);
    QCoreApplication::installTranslator(translator.release());
}

} // namespace

namespace UiLanguage {

bool PrefersEnglish(const QLocale& locale)
{
    const QStringList languages = locale.uiLanguages();
    return !languages.isEmpty() && (languages.constFirst() == QLatin1String("en") ||
                                    languages.constFirst().startsWith(QLatin1String("en-")));
}

QString TranslateEarly(const char* context, const char* sourceText)
{
    QTranslator english;
    if (PrefersEnglish(QLocale::system()) &&
        english.load(QLocale(QLocale::English), QStringLiteral("kelvane"), QStringLiteral("_"),
                     QString::fromLatin1(kTranslationFolder))) {
        const QString translated = english.translate(context, sourceText);
        if (!translated.isEmpty())
            return translated;
    }
    return QString::fromUtf8(sourceText);
}

void Install(QCoreApplication& app, const QLocale& system)
{
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!PrefersEnglish(system)) {
        // Qt speaks English by itself; its buttons and file dialog must not
        // beside the tool's Chinese, nor show English dates and sizes there.
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        QLocale::setDefault(chinese);
        Load(app, QStringLiteral("qtbase"), qtFolder, chinese);
        return;
    }
    QLocale::setDefault(system);
    const QLocale english(QLocale::English);
    Load(app, QStringLiteral("kelvane"), QString::fromLatin1(kTranslationFolder), english);
    Load(app, QStringLiteral("qtbase"), qtFolder, system);
}

} // namespace UiLanguage
