#include "PortHolders.h"

// Windows tells no program which process holds a COM port.
QList<PortHolder> PortHolders::Open(const QString&)
{
    return {};
}

QList<PortHolder> PortHolders::Find(const QString&)
{
    return {};
}
