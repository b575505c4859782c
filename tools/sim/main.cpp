#include "COstrelSimulator.h"
#include "CUniqueFd.h"
#include "ConverterModel.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <optional>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

struct CommandLine
{
    SimOptions options;
    QString linkPath;
};

const QList<QCommandLineOption>& optionList()
{
    static const QList<QCommandLineOption> list{
        {"model", "Converter model: A, B or X (default X).", "A|B|X", "X"},
        {"turnaround", "Pause in ms between a request and its reply (default 2).", "ms", "2"},
        {"no-pacing", "Reply at once instead of at the model's bit rate."},
        {"link", "Also make PATH a symbolic link to the pty (removed on exit).", "path"},
        {"log", "Write one hex line per frame received and sent to FILE.", "file"},
        {"state",
         "Load the blocks from FILE at start and save them after acknowledging each write "
         "(written to a temporary file, then renamed).",
         "file"},
        {"silent", "Never answer."},
        {"drop", "Ignore the first N requests.", "n", "0"},
        {"bad-check", "Send data replies with a wrong check byte."},
        {"wrong-ack", "Acknowledge with another command code."},
        {"split", "Send each reply in two parts MS ms apart.", "ms", "0"},
        {"trickle", "Send each reply one byte every MS ms.", "ms", "0"},
        {"trailing", "Send N junk bytes after each reply.", "n", "0"},
        {"truncate", "Drop the last N bytes of data replies.", "n", "0"},
        {"no-can-config", "Never answer the CAN configuration block read."},
        {"garbage-first", "Send junk bytes before the first reply."},
        {"keep-sending",
         "Stop the CAN configuration reply halfway, as if its reader went, and send the rest "
         "ahead of the answer to the next request."},
    };
    return list;
}

bool readCount(const QCommandLineParser& parser, const QString& name, int& target)
{
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < 0) {
        std::fprintf(stderr, "ostrel-sim: --%s wants a number of 0 or more\n", qPrintable(name));
        return false;
    }
    target = value;
    return true;
}

std::optional<CommandLine> parseCommandLine(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Simulates an Ostrel converter's configuration port on a pseudo-terminal.\n"
        "Prints the pty's path as the first line and runs until SIGINT or SIGTERM.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions(optionList());
    // Unknown options are usage errors like bad values, not Qt's generic failure status.
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "ostrel-sim: %s\n", qPrintable(parser.errorText()));
        return std::nullopt;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();

    CommandLine line;
    SimOptions& options = line.options;
    const std::optional<ConverterModel> model = ConverterModels::FromLetter(parser.value("model"));
    if (!model) {
        std::fprintf(stderr, "ostrel-sim: --model wants A, B or X\n");
        return std::nullopt;
    }
    options.model = *model;
    if (!readCount(parser, "turnaround", options.turnaroundMs) ||
        !readCount(parser, "drop", options.drop) || !readCount(parser, "split", options.splitMs) ||
        !readCount(parser, "trickle", options.trickleMs) ||
        !readCount(parser, "trailing", options.trailing) ||
        !readCount(parser, "truncate", options.truncate))
        return std::nullopt;
    options.pacing = !parser.isSet("no-pacing");
    options.silent = parser.isSet("silent");
    options.badCheck = parser.isSet("bad-check");
    options.wrongAck = parser.isSet("wrong-ack");
    options.noCanConfig = parser.isSet("no-can-config");
    options.garbageFirst = parser.isSet("garbage-first");
    options.keepSending = parser.isSet("keep-sending");
    options.logFile = parser.value("log");
    options.stateFile = parser.value("state");
    line.linkPath = parser.value("link");
    return line;
}

// Replaces a stale link left by an earlier run, but nothing else.
bool makeLink(const QString& linkPath, const QString& target)
{
    const QByteArray link = QFile::encodeName(linkPath);
    if (QFileInfo(linkPath).isSymLink() && ::unlink(link.constData()) != 0)
        return false;
    return ::symlink(QFile::encodeName(target).constData(), link.constData()) == 0;
}

void removeLink(const QString& linkPath, const QString& target)
{
    const QFileInfo info(linkPath);
    if (info.isSymLink() && info.symLinkTarget() == target)
        ::unlink(QFile::encodeName(linkPath).constData());
}

int waitForTermination(const sigset_t& signals)
{
    const CUniqueFd signalFd(::signalfd(-1, &signals, SFD_CLOEXEC));
    if (!signalFd.isValid())
        return -1;
    signalfd_siginfo info{};
    for (;;) {
        const ssize_t count = ::read(signalFd.get(), &info, sizeof info);
        if (count == sizeof info)
            return int(info.ssi_signo);
        if (count < 0 && errno != EINTR)
            return -1;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // Blocked before any thread exists, so only signalfd ever sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("ostrel-sim");
    QCoreApplication::setApplicationVersion(KELVANE_VERSION);
    const auto commandLine = parseCommandLine(app);
    if (!commandLine)
        return 2;

    COstrelSimulator simulator(commandLine->options);
    if (!simulator.start()) {
        std::fprintf(stderr, "ostrel-sim: cannot open a pseudo-terminal\n");
        return 1;
    }
    const QString slavePath = simulator.slavePath();
    const QString& linkPath = commandLine->linkPath;
    if (!linkPath.isEmpty() && !makeLink(linkPath, slavePath)) {
        std::fprintf(stderr, "ostrel-sim: cannot create the link %s\n", qPrintable(linkPath));
        return 1;
    }
    std::printf("%s\n", qPrintable(slavePath));
    std::fflush(stdout);

    const int result = waitForTermination(signals) < 0 ? 1 : 0;
    if (!linkPath.isEmpty())
        removeLink(linkPath, slavePath);
    simulator.stop();
    return result;
}
