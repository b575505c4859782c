// Times one kelvane-cli command that writes and verifies a document on N
// simulated Ostrel-X converters at once, each on its own pseudo-terminal,
// and sets each N against N = 1; then the window's batch dialog doing the
// same for 1 and 32 converters, offscreen. The exchanges mostly wait for the
// wire and the converter, so served side by side the ports should cost
// little more than one.
#include "CBatchDialog.h"
#include "CMessageSink.h"
#include "COstrelSimulator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRuns = 3;
constexpr int kRunLimitMs = 60000;
constexpr double kGoalRatio = 1.15;
constexpr int kWindowPorts = 32;
constexpr double kWindowGoalRatio = 1.05;

// Filtering on with a spread of entries, so that the full CAN configuration
// block goes out and comes back.
const char* const kDocument = R"({"SerialBaudrate": 9, "TranMode": 1, "TranSpace": 6,
    "ArmCanBaud": 3850242, "ArmFrameType": 1, "ArmCanID": "1ABCDEF0", "Filtering": true,
    "Filters": [{"kind": 0, "start": "0x123", "end": "0x123"},
                {"kind": 1, "start": "0x200", "end": "0x2ff"},
                {"kind": 2, "start": "0x1abcdef0", "end": "0x1abcdef0"},
                {"kind": 3, "start": "0x10000", "end": "0x1ffff"}]})";

double MedianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Wall time of one write --verify over every simulator; negative when the
// command did not succeed.
double ProvisionMs(const std::vector<std::unique_ptr<COstrelSimulator>>& simulators)
{
    QStringList arguments{QStringLiteral("-d"), QStringLiteral("X")};
    for (const auto& simulator : simulators)
        arguments << QStringLiteral("-p") << simulator->slavePath();
    arguments << QStringLiteral("write") << QStringLiteral("-i") << QStringLiteral("-")
              << QStringLiteral("--verify");
    QProcess cli;
    QElapsedTimer clock;
    clock.start();
    cli.start(QStringLiteral(KELVANE_CLI_PATH), arguments);
    if (!cli.waitForStarted())
        return -1;
    cli.write(kDocument);
    cli.closeWriteChannel();
    const bool finished = cli.waitForFinished(kRunLimitMs);
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    if (!finished || cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0) {
        std::fprintf(stderr, "provisioning: %s", cli.readAllStandardOutput().constData());
        return -1;
    }
    return elapsed;
}

// Any message would stand for a failed port.
class CCountingSink : public CMessageSink
{
public:
    int m_count = 0;

protected:
    void Show(const UserMessage&) override { ++m_count; }
};

bool StartSimulators(std::vector<std::unique_ptr<COstrelSimulator>>& simulators, int count)
{
    for (int index = 0; index < count; ++index) {
        simulators.push_back(std::make_unique<COstrelSimulator>());
        if (!simulators.back()->start())
            return false;
    }
    return true;
}

// Wall time of one batch run over every simulator, from the click to the
// last port's end; negative when a port did not succeed.
double BatchMs(const std::vector<std::unique_ptr<COstrelSimulator>>& simulators)
{
    QList<DetectedPort> adapters;
    for (const auto& simulator : simulators) {
        DetectedPort port;
        port.path = simulator->slavePath();
        port.adapter = true;
        adapters << port;
    }
    CCountingSink messages;
    CBatchDialog dialog(
        ConverterModel::OstrelX, {}, adapters, {},
        [] { return std::optional<QByteArray>(kDocument); }, messages);
    dialog.findChild<QAbstractButton*>(QStringLiteral("selectAllButton"))->click();
    QEventLoop loop;
    QObject::connect(&dialog, &CBatchDialog::RunFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kRunLimitMs, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    dialog.findChild<QAbstractButton*>(QStringLiteral("startButton"))->click();
    if (dialog.IsRunning())
        loop.exec();
    if (dialog.IsRunning())
        return -1;
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    for (const PortOutcome& outcome : dialog.Outcomes())
        if (outcome.result != PortOutcome::Result::Ok)
            return -1;
    return dialog.Outcomes().size() == int(simulators.size()) ? elapsed : -1;
}

// The window's rows; false when a run failed or missed its goal.
bool MeasureWindow()
{
    double single = 0;
    double ratio = 0;
    for (const int count : {1, kWindowPorts}) {
        std::vector<std::unique_ptr<COstrelSimulator>> simulators;
        if (!StartSimulators(simulators, count)) {
            std::fprintf(stderr, "provisioning: cannot open a pseudo-terminal\n");
            return false;
        }
        std::vector<double> samples;
        for (int run = 0; run < kRuns; ++run) {
            const double elapsed = BatchMs(simulators);
            if (elapsed < 0) {
                std::fprintf(stderr, "provisioning: the window's batch failed for N = %d\n", count);
                return false;
            }
            samples.push_back(elapsed);
        }
        const double median = MedianMs(samples);
        if (count == 1)
            single = median;
        ratio = median / single;
        std::printf("%3d %10.0f %7.3f  window\n", count, median, ratio);
    }
    std::printf("window: the batch dialog's write and verify over N simulated converters,\n"
                "from the click to the last port's end; goal for N = %d: at most %.2f.\n",
                kWindowPorts, kWindowGoalRatio);
    return ratio <= kWindowGoalRatio;
}

} // namespace

int main(int argc, char* argv[])
{
    // The batch dialog reads the port map of a profile of its own.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("%3s %10s %7s\n", "N", "wall ms", "ratio");
    double single = 0;
    double ratioAtEight = 0;
    for (const int count : {1, 4, 8}) {
        std::vector<std::unique_ptr<COstrelSimulator>> simulators;
        for (int index = 0; index < count; ++index) {
            simulators.push_back(std::make_unique<COstrelSimulator>());
            if (!simulators.back()->start()) {
                std::fprintf(stderr, "provisioning: cannot open a pseudo-terminal\n");
                return 1;
            }
        }
        std::vector<double> samples;
        for (int run = 0; run < kRuns; ++run) {
            const double elapsed = ProvisionMs(simulators);
            if (elapsed < 0) {
                std::fprintf(stderr, "provisioning: write --verify failed for N = %d\n", count);
                return 1;
            }
            samples.push_back(elapsed);
        }
        const double median = MedianMs(samples);
        if (count == 1)
            single = median;
        const double ratio = median / single;
        if (count == 8)
            ratioAtEight = ratio;
        std::printf("%3d %10.0f %7.3f\n", count, median, ratio);
    }
    std::printf("wall ms: median of %d runs of one kelvane-cli write --verify over N simulated\n"
                "Ostrel-X converters (57600 bit/s, one pty each); ratio = wall(N) / wall(1),\n"
                "goal for N = 8: at most %.2f.\n",
                kRuns, kGoalRatio);
    const bool window = MeasureWindow();
    return ratioAtEight <= kGoalRatio && window ? 0 : 2;
}
