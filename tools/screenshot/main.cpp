#include "CFontWarmUp.h"
#include "CScreenshotRun.h"
#include "ConverterModel.h"
#include "UiLanguage.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>

namespace {

struct Arguments
{
    QString outDir;
    QString portPath;
    QString profileDir;
    QList<ConverterModel> models;
};

// Parsed before the application exists: the profile folder has to be in the
// environment before anything reads settings.
std::optional<Arguments> Parse(int argc, char* argv[])
{
    QStringList words;
    for (int index = 0; index < argc; ++index)
        words.append(QString::fromLocal8Bit(argv[index]));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Saves a picture of every tab of the Kelvane window, disconnected and after a read.");
    parser.addHelpOption();
    parser.addPositionalArgument("outdir", "Folder for the PNG files.");
    parser.addOptions({
        {"models", "Converter models to show, comma-separated (default A,X).", "list", "A,X"},
        {"port", "Connect to this pty instead of a simulator started here.", "path"},
        {"profile-dir",
         "Keep the profile under this folder (as XDG_CONFIG_HOME) instead of a temporary one.",
         "dir"},
    });
    if (!parser.parse(words) || parser.isSet("help") || parser.positionalArguments().size() != 1) {
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return std::nullopt;
    }
    Arguments arguments;
    arguments.outDir = parser.positionalArguments().constFirst();
    arguments.portPath = parser.value("port");
    arguments.profileDir = parser.value("profile-dir");
    for (const QString& model : parser.value("models").split(QLatin1Char(','))) {
        const std::optional<ConverterModel> known = ConverterModels::FromLetter(model.trimmed());
        if (!known) {
            std::fprintf(stderr, "kelvane-screenshot: unknown model %s\n", qPrintable(model));
            return std::nullopt;
        }
        arguments.models.append(*known);
    }
    return arguments;
}

} // namespace

int main(int argc, char* argv[])
{
    const auto arguments = Parse(argc, argv);
    if (!arguments)
        return 2;
    // Never the user's own profile.
    QTemporaryDir scratch;
    const QString profileDir =
        arguments->profileDir.isEmpty() ? scratch.path() : arguments->profileDir;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(profileDir));

    // Drawn as the tool draws itself.
    CFontWarmUp fonts;
    QApplication app(argc, argv);
    // The same profile file as the tool itself.
    QApplication::setApplicationName(QStringLiteral("kelvane"));
    UiLanguage::Install(app);
    fonts.ApplyTo(app);

    const QDir outDir(arguments->outDir);
    if (!outDir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kelvane-screenshot: cannot create %s\n",
                     qPrintable(arguments->outDir));
        return 1;
    }
    bool ok = true;
    for (const ConverterModel model : arguments->models)
        ok = CScreenshotRun(outDir, arguments->portPath).Shoot(model) && ok;
    return ok ? 0 : 1;
}
