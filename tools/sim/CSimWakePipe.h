#pragma once

#include "CUniqueFd.h"

// Lets another thread interrupt the simulator's poll(): a byte written to the
// pipe makes its read end readable.
class CSimWakePipe
{
public:
    bool open();
    void close();
    int readFd() const { return m_read.get(); }
    void wake() const;
    void drain() const;

private:
    CUniqueFd m_read;
    CUniqueFd m_write;
};
