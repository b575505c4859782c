#include "CStalledFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kStartMs = 10000;

dev_t DeviceOf(const QString& path)
{
    struct stat status
    {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_dev : 0;
}

} // namespace

CStalledFileSystem::CStalledFileSystem()
{
    const QString server = QStringLiteral(KELVANE_STALLING_FS_PATH);
    if (server.isEmpty())
        m_unavailable = QStringLiteral("built without fuse3 (scripts/setup installs it)");
    else if (!QFileInfo::exists(QStringLiteral("/dev/fuse")))
        m_unavailable = QStringLiteral("no /dev/fuse here");
    else if (!Mount())
        m_unavailable = QStringLiteral("the FUSE file system could not be mounted");
    else if (!Hold())
        m_unavailable = QStringLiteral("no process could hold the FUSE file open");
}

CStalledFileSystem::~CStalledFileSystem()
{
    Resume();
    if (m_sleeper.state() != QProcess::NotRunning) {
        m_sleeper.kill();
        m_sleeper.waitForFinished(kStartMs);
    }
    if (m_mounted)
        QProcess::execute(QStringLiteral("fusermount3"), {QStringLiteral("-u"), MountPath()});
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(kStartMs))
            m_server.kill();
        m_server.waitForFinished(kStartMs);
    }
}

void CStalledFileSystem::Stall()
{
    QFile flag(FlagPath());
    flag.open(QIODevice::WriteOnly);
}

void CStalledFileSystem::Resume()
{
    QFile::remove(FlagPath());
}

bool CStalledFileSystem::Mount()
{
    if (!m_dir.isValid() || !QDir(m_dir.path()).mkdir(QStringLiteral("mnt")))
        return false;
    const dev_t outside = DeviceOf(m_dir.path());
    m_server.start(QStringLiteral(KELVANE_STALLING_FS_PATH), {FlagPath(), MountPath()});
    if (!m_server.waitForStarted(kStartMs))
        return false;
    m_mounted = QTest::qWaitFor(
        [&] { return m_server.state() == QProcess::Running && DeviceOf(MountPath()) != outside; },
        kStartMs);
    return m_mounted;
}

bool CStalledFileSystem::Hold()
{
    const QString held = MountPath() + QStringLiteral("/held");
    m_sleeper.start(QStringLiteral("sh"),
                    {QStringLiteral("-c"), QStringLiteral("exec sleep 600 < \"$0\""), held});
    if (!m_sleeper.waitForStarted(kStartMs))
        return false;
    const QByteArray link = QStringLiteral("/proc/%1/fd/0").arg(m_sleeper.processId()).toUtf8();
    return QTest::qWaitFor(
        [&] {
            char target[4096];
            const ssize_t length = ::readlink(link.constData(), target, sizeof target);
            return length > 0 && QByteArray(target, length) == QFile::encodeName(held);
        },
        kStartMs);
}

QString CStalledFileSystem::FlagPath() const
{
    return m_dir.filePath(QStringLiteral("stalled"));
}

QString CStalledFileSystem::MountPath() const
{
    return m_dir.filePath(QStringLiteral("mnt"));
}
