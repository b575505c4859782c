#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <vector>

// What the command-line benches share: a median, and one timed run of
// kelvane-cli with its own profile folder.
namespace CliRunTiming {

inline double MedianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// Milliseconds from start to end; negative unless the command ended with
// expectedExit (its standard error printed under the bench's name).
inline double RunMs(const char* bench, const QStringList& arguments, const QString& configHome,
                    int expectedExit, int limitMs = 30000)
{
    QProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    cli.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    cli.start(QStringLiteral(KELVANE_CLI_PATH), arguments);
    const bool finished = cli.waitForFinished(limitMs);
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    if (!finished || cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != expectedExit) {
        std::fprintf(stderr, "%s: %s", bench, cli.readAllStandardError().constData());
        return -1;
    }
    return elapsed;
}

} // namespace CliRunTiming
