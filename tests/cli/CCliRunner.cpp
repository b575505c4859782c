#include "CCliRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

constexpr int kRunLimitMs = 30000;

} // namespace

CCliRunner::CCliRunner() = default;

QString CCliRunner::ProfileFile() const
{
    return m_configHome.filePath(QStringLiteral("应用程序向导生成的本地应用程序/kelvane.conf"));
}

bool CCliRunner::WriteProfile(const QByteArray& contents) const
{
    QFile file(ProfileFile());
    return QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(contents) == contents.size();
}

CliResult CCliRunner::Run(const QStringList& arguments, const QByteArray& input,
                          const QStringList& prefix) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_configHome.path());
    process.setProcessEnvironment(environment);
    const QString cli = QStringLiteral(KELVANE_CLI_PATH);
    if (prefix.isEmpty())
        process.start(cli, arguments);
    else
        process.start(prefix.constFirst(), prefix.mid(1) + QStringList{cli} + arguments);
    CliResult result;
    if (!process.waitForStarted())
        return result;
    process.write(input);
    process.closeWriteChannel();
    result.finished =
        process.waitForFinished(kRunLimitMs) && process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
