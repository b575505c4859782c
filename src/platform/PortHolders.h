#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <chrono>
#include <functional>

// A process other than this one that has a serial port open.
struct PortHolder
{
    qint64 pid = 0;
    QString name;
};

// What a search found; incomplete when it stopped before every process was
// looked at (its time was up, or it was told to stop), so that a holder may
// be missing from the list.
struct PortHolderSearch
{
    QList<PortHolder> holders;
    bool complete = true;
};

// Which programs compete for a port, as far as the system shows them to this
// user; empty where it shows nothing. A search asks the system about the
// processes alone, never about the files they have open, so a file system
// that does not answer cannot hold it up, and it gives up after kBudget.
namespace PortHolders {
constexpr std::chrono::milliseconds kBudget{200};
// Asked between processes; true ends the search at once.
using StopCheck = std::function<bool()>;

// Every other process with the port open.
PortHolderSearch Open(const QString& devicePath, const StopCheck& stopped = {});
// The living holder of the port's lock, else every process with it open (the
// lock may have passed to one of them when the process that took it ended).
PortHolderSearch Find(const QString& devicePath, const StopCheck& stopped = {});
} // namespace PortHolders
