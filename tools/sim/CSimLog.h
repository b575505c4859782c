#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// One line per frame the simulator hears or sends, in hex, flushed at once so
// it can be followed while the simulator runs. A log without a path writes nothing.
class CSimLog
{
public:
    // Opens a new log when the path differs from the current one.
    void setPath(const QString& path);
    void write(const char* tag, const QByteArray& bytes);

    static QByteArray HexLine(const char* tag, const QByteArray& bytes);

private:
    QString m_path;
    QFile m_file;
};
