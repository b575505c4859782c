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

void Install(QCoreApplication& app)
{
    const QLocale system = QLocale::system();
    if (!PrefersEnglish(system))
        return;
    const QLocale english(QLocale::English);
    Load(app, QStringLiteral("kelvane"), QString::fromLatin1(kTranslationFolder), english);
    Load(app, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath), system);
}

} // namespace UiLanguage
