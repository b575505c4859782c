// Times a whole `kelvane-cli read` of an Ostrel-X against the simulator,
// process start and exit included, and sets it against the least time its
// three exchanges take on the wire: whatever the process adds besides them
// (start-up, the profile, asking the system for its ports) shows as the
// ratio above 1.
#include "COstrelSimulator.h"
#include "CliRunTiming.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 9;
constexpr int kRunLimitMs = 30000;
constexpr double kGoalRatio = 1.03;
constexpr ConverterModel kModel = ConverterModel::OstrelX;
constexpr double kBitRate = 57600;

double WireMs(int bytes)
{
    return bytes * 10.0 * 1000.0 / kBitRate;
}

// Handshake, parameter block read, CAN configuration block read (whose
// mandated 500 ms pause overlaps the converter's turn and reply).
double MinimumMs(int turnaroundMs)
{
    const double handshake = WireMs(9) + turnaroundMs + WireMs(5);
    const double parameters = WireMs(6) + turnaroundMs + WireMs(33);
    const double canConfig = WireMs(6) + std::max(500.0, turnaroundMs + WireMs(2085));
    return handshake + parameters + canConfig;
}

double ReadMs(const QString& port, const QString& configHome)
{
    return CliRunTiming::RunMs("cli_read",
                               {QStringLiteral("-d"), QStringLiteral("X"), QStringLiteral("-p"),
                                port, QStringLiteral("read")},
                               configHome, 0, kRunLimitMs);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    SimOptions options;
    options.model = kModel;
    options.pacing = true;
    COstrelSimulator simulator(options);
    const QTemporaryDir configHome;
    if (!simulator.start() || !configHome.isValid()) {
        std::fprintf(stderr, "cli_read: cannot start the simulator\n");
        return 1;
    }
    std::vector<double> samples;
    for (int run = 0; run < kRuns; ++run) {
        const double elapsed = ReadMs(simulator.slavePath(), configHome.path());
        if (elapsed < 0)
            return 1;
        samples.push_back(elapsed);
    }
    const double median = CliRunTiming::MedianMs(samples);
    const double minimum = MinimumMs(options.turnaroundMs);
    const double ratio = median / minimum;
    std::printf("%-28s %9s %9s %6s\n", "command", "wall ms", "minimum", "ratio");
    std::printf("%-28s %9.1f %9.1f %6.3f\n", "kelvane-cli -d X -p PTY read", median, minimum,
                ratio);
    std::printf("wall ms: median of %d whole runs against the simulator (57600 bit/s). minimum:\n"
                "handshake, parameter block and CAN configuration block at 10 bit times per byte\n"
                "plus the simulator's turnaround, the mandated 500 ms pause overlapping the\n"
                "last reply. Goal: ratio <= %.2f.\n",
                kRuns, kGoalRatio);
    return ratio <= kGoalRatio ? 0 : 2;
}
