#include "CSimPty.h"

#include <array>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t speedOf(quint32 bitRate)
{
    return bitRate == 19200 ? B19200 : B57600;
}

bool setDescriptorFlags(int fd, int fdFlags, int statusFlags)
{
    const int oldFd = ::fcntl(fd, F_GETFD);
    const int oldStatus = ::fcntl(fd, F_GETFL);
    return oldFd >= 0 && oldStatus >= 0 && ::fcntl(fd, F_SETFD, oldFd | fdFlags) == 0 &&
           ::fcntl(fd, F_SETFL, oldStatus | statusFlags) == 0;
}

} // namespace

bool CSimPty::open(quint32 bitRate)
{
    close();
    termios settings{};
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    ::cfsetispeed(&settings, speedOf(bitRate));
    ::cfsetospeed(&settings, speedOf(bitRate));

    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, &settings, nullptr) != 0)
        return false;
    CUniqueFd masterFd(master);
    CUniqueFd slaveFd(slave);

    std::array<char, 256> name{};
    if (::ttyname_r(slaveFd.get(), name.data(), name.size()) != 0 ||
        !setDescriptorFlags(masterFd.get(), FD_CLOEXEC, O_NONBLOCK) ||
        !setDescriptorFlags(slaveFd.get(), FD_CLOEXEC, 0))
        return false;

    m_master = std::move(masterFd);
    m_spareSlave = std::move(slaveFd);
    m_slavePath = QString::fromLocal8Bit(name.data());
    return true;
}

void CSimPty::close()
{
    m_master.reset();
    m_spareSlave.reset();
    m_slavePath.clear();
}
