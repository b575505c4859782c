// Times `kelvane-cli read` of an Ostrel-X right after a read that was
// interrupted while the converter sent its CAN configuration block, against
// an undisturbed read. The simulator's keep-sending mode makes the converter
// still be sending the abandoned block when the next read opens the port,
// every time. The next read must succeed and cost at most one quiet wait more
// than an undisturbed one: the longest reply's wire time at the model's rate,
// the most the link waits for the line to fall quiet.
#include "COstrelSimulator.h"
#include "CliRunTiming.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr int kRunLimitMs = 30000;
constexpr double kBitRate = 57600;
constexpr int kLongestReply = 2085;

QStringList ReadArguments(const COstrelSimulator& simulator)
{
    return {QStringLiteral("-d"), QStringLiteral("X"), QStringLiteral("-p"), simulator.slavePath(),
            QStringLiteral("read")};
}

// Starts a read and interrupts it once the converter has been asked for its
// CAN configuration block; false when that never happened.
bool InterruptRead(COstrelSimulator& simulator, const QString& configHome)
{
    SimOptions options = simulator.options();
    options.keepSending = true;
    simulator.setOptions(options);
    const int asked = simulator.requestCount(0x05);
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    cli.setProcessEnvironment(environment);
    cli.start(QStringLiteral(KELVANE_CLI_PATH), ReadArguments(simulator));
    bool reached = false;
    for (int waited = 0; cli.waitForStarted() && !reached && waited < kRunLimitMs; waited += 2)
        reached = simulator.requestCount(0x05) > asked || cli.waitForFinished(2);
    if (cli.state() != QProcess::NotRunning)
        ::kill(pid_t(cli.processId()), SIGINT);
    cli.waitForFinished(kRunLimitMs);
    // The rest of the block stays held for the next request.
    options.keepSending = false;
    simulator.setOptions(options);
    return reached && simulator.requestCount(0x05) > asked;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    COstrelSimulator simulator;
    const QTemporaryDir configHome;
    if (!simulator.start() || !configHome.isValid()) {
        std::fprintf(stderr, "recovery: cannot start the simulator\n");
        return 1;
    }
    std::vector<double> plain;
    std::vector<double> after;
    for (int run = 0; run < kRuns; ++run) {
        const double undisturbed = CliRunTiming::RunMs("recovery", ReadArguments(simulator),
                                                       configHome.path(), 0, kRunLimitMs);
        if (undisturbed < 0)
            return 1;
        plain.push_back(undisturbed);
        if (!InterruptRead(simulator, configHome.path())) {
            std::fprintf(stderr, "recovery: the read was not interrupted in its CAN block\n");
            return 1;
        }
        const double next = CliRunTiming::RunMs("recovery", ReadArguments(simulator),
                                                configHome.path(), 0, kRunLimitMs);
        if (next < 0) {
            std::fprintf(stderr, "recovery: the read after the interrupted one failed\n");
            return 1;
        }
        after.push_back(next);
    }
    const double plainMs = CliRunTiming::MedianMs(plain);
    const double afterMs = CliRunTiming::MedianMs(after);
    const double quietMs = kLongestReply * 10.0 * 1000.0 / kBitRate;
    const double extraInQuietWaits = (afterMs - plainMs) / quietMs;
    std::printf("%-34s %9s\n", "read", "wall ms");
    std::printf("%-34s %9.1f\n", "undisturbed", plainMs);
    std::printf("%-34s %9.1f\n", "right after an interrupted read", afterMs);
    std::printf("extra: %.1f ms = %.2f quiet waits of %.1f ms (%d bytes at %.0f bit/s)\n",
                afterMs - plainMs, extraInQuietWaits, quietMs, kLongestReply, kBitRate);
    std::printf("wall ms: median of %d whole runs against a paced simulator; every read after\n"
                "an interrupted one succeeded. Goal: extra at most 1 quiet wait.\n",
                kRuns);
    return extraInQuietWaits <= 1.0 ? 0 : 2;
}
