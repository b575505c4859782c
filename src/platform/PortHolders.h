#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// A process other than this one that has a serial port open.
struct PortHolder
{
    qint64 pid = 0;
    QString name;
};

// Which programs compete for a port, as far as the system shows them to this
// user; empty where it shows nothing.
namespace PortHolders {
// Every other process with the port open.
QList<PortHolder> Open(const QString& devicePath);
// The living holder of the port's lock, else every process with it open (the
// lock may have passed to one of them when the process that took it ended).
QList<PortHolder> Find(const QString& devicePath);
} // namespace PortHolders
