// Times a connect that no converter answers, `kelvane-cli connect` against a
// silent simulator, with 3,000 more processes on the machine than it found:
// after its own handshakes and one for each other model, the tool names the
// programs holding the port, which means looking at every process. Set
// against the time the protocol itself waits for acknowledgements (the
// ratio above 1 is everything else), and the search for the holders timed
// on its own.
#include "COstrelSimulator.h"
#include "CliRunTiming.h"
#include "PortHolders.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <vector>

#include <sys/prctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kExtraProcesses = 3000;
constexpr int kConnectRuns = 5;
constexpr int kSearchRuns = 21;
constexpr int kRunLimitMs = 30000;
// Four handshakes for the model chosen and one for each of the two others,
// each waiting 500 ms for its acknowledgement.
constexpr double kAckWaitsMs = 6 * 500.0;
constexpr double kGoalConnectMs = 3200.0;
constexpr double kGoalSearchMs = 100.0;

// Children that do nothing until the bench ends them, or ends itself.
std::vector<pid_t> StartIdleProcesses(int count)
{
    std::vector<pid_t> children;
    for (int index = 0; index < count; ++index) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (;;)
                ::pause();
        }
        if (child < 0)
            break;
        children.push_back(child);
    }
    return children;
}

void EndProcesses(const std::vector<pid_t>& children)
{
    for (const pid_t child : children)
        ::kill(child, SIGKILL);
    for (const pid_t child : children)
        ::waitpid(child, nullptr, 0);
}

double ConnectMs(const QString& port, const QString& configHome)
{
    return CliRunTiming::RunMs("failed_connect",
                               {QStringLiteral("-d"), QStringLiteral("X"), QStringLiteral("-p"),
                                port, QStringLiteral("connect")},
                               configHome, 4, kRunLimitMs);
}

double ThreadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Search
{
    double wallMs = 0;
    double cpuMs = 0; // what it costs where it has the processor to itself
};

// A search that gave up counts with the time it took, its whole budget.
Search SearchOnce(const QString& port, int& gaveUp)
{
    QElapsedTimer clock;
    const double cpuStart = ThreadCpuMs();
    clock.start();
    const PortHolderSearch search = PortHolders::Open(port);
    gaveUp += search.complete ? 0 : 1;
    return {double(clock.nsecsElapsed()) / 1e6, ThreadCpuMs() - cpuStart};
}

} // namespace

int main(int argc, char* argv[])
{
    // Before any thread: the children are copies of this process.
    const std::vector<pid_t> extra = StartIdleProcesses(kExtraProcesses);
    QCoreApplication app(argc, argv);
    SimOptions options;
    options.silent = true;
    COstrelSimulator simulator(options);
    const QTemporaryDir configHome;
    if (int(extra.size()) != kExtraProcesses || !simulator.start() || !configHome.isValid()) {
        std::fprintf(stderr, "failed_connect: cannot start %d processes and the simulator\n",
                     kExtraProcesses);
        EndProcesses(extra);
        return 1;
    }
    std::vector<double> searches;
    std::vector<double> searchCpu;
    int gaveUp = 0;
    for (int run = 0; run < kSearchRuns; ++run) {
        const Search search = SearchOnce(simulator.slavePath(), gaveUp);
        searches.push_back(search.wallMs);
        searchCpu.push_back(search.cpuMs);
    }
    std::vector<double> connects;
    for (int run = 0; run < kConnectRuns; ++run)
        connects.push_back(ConnectMs(simulator.slavePath(), configHome.path()));
    EndProcesses(extra);
    if (*std::min_element(connects.begin(), connects.end()) < 0)
        return 1;
    const double search = CliRunTiming::MedianMs(searches);
    const double cpu = CliRunTiming::MedianMs(searchCpu);
    const double connect = CliRunTiming::MedianMs(connects);
    std::printf("%-34s %9s %9s %6s\n", "", "wall ms", "goal ms", "ratio");
    std::printf("%-34s %9.1f %9.1f %6.3f\n", "holder search", search, kGoalSearchMs,
                search / kGoalSearchMs);
    std::printf("%-34s %9.1f %9.1f %6.3f\n", "holder search, processor time", cpu, kGoalSearchMs,
                cpu / kGoalSearchMs);
    std::printf("%-34s %9.1f %9.1f %6.3f\n", "kelvane-cli -d X -p PTY connect", connect,
                kGoalConnectMs, connect / kAckWaitsMs);
    std::printf("With %d more processes than the machine had. holder search: median of %d\n"
                "searches of the simulator's port (%d gave up at their budget), ratio to the\n"
                "goal; processor time: the same searches on the thread's own clock, what\n"
                "they take where the machine is not shared. connect: median of %d whole runs\n"
                "against a silent simulator, ratio to the %.0f ms the protocol waits for\n"
                "acknowledgements (goal <= %.3f).\n",
                kExtraProcesses, kSearchRuns, gaveUp, kConnectRuns, kAckWaitsMs,
                kGoalConnectMs / kAckWaitsMs);
    return search <= kGoalSearchMs && connect <= kGoalConnectMs ? 0 : 2;
}
