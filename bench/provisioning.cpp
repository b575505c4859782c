// Times one kelvane-cli command that writes and verifies a document on N
// simulated Ostrel-X converters at once, each on its own pseudo-terminal and
// answering without pacing, under the usual soft limit of 1024 open files,
// and sets each N against N = 1; it also counts the command's descriptors at
// their peak, so that what one more port costs shows. Then the window's batch
// dialog does the same for 1 and 32 converters, offscreen. The exchanges
// mostly wait for the converter, so served side by side the ports should cost
// little more than one.
#include "CBatchDialog.h"
#include "CMessageSink.h"
#include "COstrelSimulator.h"
#include "OpenFileLimit.h"

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

#include <dirent.h>
#include <sys/resource.h>

namespace {

constexpr int kRuns = 3;
constexpr int kRunLimitMs = 120000;
constexpr int kCounts[] = {1, 32, 128, 256, 512};
// From this many ports on, the goal holds.
constexpr int kGoalFrom = 256;
constexpr double kGoalRatio = 1.10;
constexpr double kGoalDescriptorsPerPort = 3.0;
// What a system gives a program unless it asks for more.
constexpr rlim_t kUsualSoftLimit = 1024;
// Every port is open through the converter's 500 ms pauses.
constexpr int kSampleMs = 20;
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

struct Run
{
    double ms = -1; // negative when the command did not succeed
    int peakDescriptors = 0;
    double cpuMs = 0; // the command's own processor time, user and system
};

// Processor time of the children this process has waited for.
double ChildrenCpuMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval& time) {
        return double(time.tv_sec) * 1e3 + double(time.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Counted without looking at each one, so that counting a large table now
// and then takes little from the command it counts.
int OpenDescriptors(qint64 pid)
{
    const QByteArray path = QStringLiteral("/proc/%1/fd").arg(pid).toLatin1();
    DIR* directory = ::opendir(path.constData());
    if (directory == nullptr)
        return 0;
    int count = 0;
    while (const dirent* entry = ::readdir(directory))
        if (entry->d_name[0] != '.')
            ++count;
    ::closedir(directory);
    return count;
}

// One write --verify over every simulator, under the usual soft limit
// whatever this process was given: the command must raise it itself.
Run Provision(const std::vector<std::unique_ptr<COstrelSimulator>>& simulators)
{
    QStringList arguments{QStringLiteral("-d"), QStringLiteral("X")};
    for (const auto& simulator : simulators)
        arguments << QStringLiteral("-p") << simulator->slavePath();
    arguments << QStringLiteral("write") << QStringLiteral("-i") << QStringLiteral("-")
              << QStringLiteral("--verify");
    QProcess cli;
    cli.setChildProcessModifier([] {
        rlimit limit{};
        if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
            limit.rlim_cur = std::min(limit.rlim_max, kUsualSoftLimit);
            ::setrlimit(RLIMIT_NOFILE, &limit);
        }
    });
    Run run;
    const double cpuBefore = ChildrenCpuMs();
    QElapsedTimer clock;
    clock.start();
    cli.start(QStringLiteral(KELVANE_CLI_PATH), arguments);
    if (!cli.waitForStarted())
        return run;
    cli.write(kDocument);
    cli.closeWriteChannel();
    bool finished = false;
    while (!finished && clock.elapsed() < kRunLimitMs) {
        run.peakDescriptors = std::max(run.peakDescriptors, OpenDescriptors(cli.processId()));
        finished = cli.waitForFinished(kSampleMs);
    }
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    if (!finished || cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0) {
        const QList<QByteArray> lines = cli.readAllStandardOutput().split('\n');
        for (const QByteArray& line : lines)
            if (!line.contains("\tok\t") && !line.isEmpty()) {
                std::fprintf(stderr, "provisioning: %s\n", line.constData());
                break;
            }
        return run;
    }
    run.ms = elapsed;
    run.cpuMs = ChildrenCpuMs() - cpuBefore;
    return run;
}

// Any message would stand for a failed port.
class CCountingSink : public CMessageSink
{
public:
    int m_count = 0;

protected:
    void Show(const UserMessage&) override { ++m_count; }
};

bool StartSimulators(std::vector<std::unique_ptr<COstrelSimulator>>& simulators, int count,
                     bool paced = true)
{
    SimOptions options;
    options.pacing = paced;
    for (int index = 0; index < count; ++index) {
        simulators.push_back(std::make_unique<COstrelSimulator>(options));
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
    // Each simulator holds its pseudo-terminal here.
    OpenFileLimit::RaiseToHard();
    std::printf("%3s %10s %7s %9s %9s %8s\n", "N", "wall ms", "ratio", "peak fds", "fds/port",
                "cpu ms");
    double single = 0;
    int singlePeak = 0;
    bool met = true;
    for (const int count : kCounts) {
        std::vector<std::unique_ptr<COstrelSimulator>> simulators;
        if (!StartSimulators(simulators, count, false)) {
            std::fprintf(stderr, "provisioning: cannot open %d pseudo-terminals\n", count);
            return 1;
        }
        std::vector<double> samples;
        std::vector<double> cpu;
        int peak = 0;
        for (int run = 0; run < kRuns; ++run) {
            const Run measured = Provision(simulators);
            if (measured.ms < 0) {
                std::fprintf(stderr, "provisioning: write --verify failed for N = %d\n", count);
                return 1;
            }
            samples.push_back(measured.ms);
            cpu.push_back(measured.cpuMs);
            peak = std::max(peak, measured.peakDescriptors);
        }
        const double median = MedianMs(samples);
        if (count == 1) {
            single = median;
            singlePeak = peak;
        }
        const double ratio = median / single;
        const double perPort = count == 1 ? 0.0 : double(peak - singlePeak) / (count - 1);
        if (count >= kGoalFrom && ratio > kGoalRatio)
            met = false;
        if (perPort > kGoalDescriptorsPerPort)
            met = false;
        std::printf("%3d %10.0f %7.3f %9d %9.2f %8.0f\n", count, median, ratio, peak, perPort,
                    MedianMs(cpu));
    }
    std::printf("wall ms: median of %d runs of one kelvane-cli write --verify over N simulated\n"
                "Ostrel-X converters answering at once (no pacing), one pty each, the command\n"
                "started under a soft limit of %d open files; ratio = wall(N) / wall(1), goal\n"
                "for N >= %d: at most %.2f. peak fds: the command's open descriptors at their\n"
                "peak; fds/port: what each port beyond the first adds, goal at most %.0f.\n"
                "cpu ms: the command's processor time, user and system, median.\n",
                kRuns, int(kUsualSoftLimit), kGoalFrom, kGoalRatio, kGoalDescriptorsPerPort);
    const bool window = MeasureWindow();
    return met && window ? 0 : 2;
}
