#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A mounted FUSE file system whose one file a sleeping process holds open;
// once stalled, every look at that file's attributes waits until it is
// resumed (or the fixture goes), as with a stale network mount. Whoever
// follows the sleeper's descriptor to its file then waits with it, in a
// state that kill -9 cannot end.
class CStalledFileSystem
{
public:
    CStalledFileSystem();
    ~CStalledFileSystem();
    CStalledFileSystem(const CStalledFileSystem&) = delete;
    CStalledFileSystem& operator=(const CStalledFileSystem&) = delete;

    // Empty once mounted and held, else why not (for QSKIP).
    QString Unavailable() const { return m_unavailable; }
    qint64 SleeperPid() const { return m_sleeper.processId(); }
    void Stall();
    void Resume();

private:
    bool Mount();
    bool Hold();
    QString FlagPath() const;
    QString MountPath() const;

    QTemporaryDir m_dir;
    QProcess m_server;
    QProcess m_sleeper;
    bool m_mounted = false;
    QString m_unavailable;
};
