#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

// Whether the process has the device open, as /proc shows it.
inline bool ProcessHasOpen(qint64 pid, const QString& device)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        if (fd.symLinkTarget() == device)
            return true;
    return false;
}
