#pragma once

#include "CUniqueFd.h"

#include <QString>
#include <QtGlobal>

// The converter's end of a pseudo-terminal. The line is raw from the start
// (a cooked one would eat 0x03, 0x11 and 0x13 and echo), and a spare slave
// descriptor stays open so that a client closing its port never hangs the
// line up: the next client is served as if it had never gone.
class CSimPty
{
public:
    bool open(quint32 bitRate);
    void close();
    bool isOpen() const { return m_master.isValid(); }
    int master() const { return m_master.get(); }
    QString slavePath() const { return m_slavePath; }

private:
    CUniqueFd m_master;
    CUniqueFd m_spareSlave;
    QString m_slavePath;
};
