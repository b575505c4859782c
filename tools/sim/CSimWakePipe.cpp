#include "CSimWakePipe.h"

#include <array>
#include <fcntl.h>
#include <unistd.h>

bool CSimWakePipe::open()
{
    std::array<int, 2> fds{};
    if (::pipe2(fds.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    m_read.reset(fds[0]);
    m_write.reset(fds[1]);
    return true;
}

void CSimWakePipe::close()
{
    m_read.reset();
    m_write.reset();
}

void CSimWakePipe::wake() const
{
    // A full pipe already wakes the reader, so a failed write loses nothing.
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(m_write.get(), &byte, 1);
}

void CSimWakePipe::drain() const
{
    std::array<char, 64> buffer{};
    while (::read(m_read.get(), buffer.data(), buffer.size()) > 0) {
    }
}
