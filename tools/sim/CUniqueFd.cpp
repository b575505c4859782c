#include "CUniqueFd.h"

#include <unistd.h>

CUniqueFd& CUniqueFd::operator=(CUniqueFd&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

int CUniqueFd::release() noexcept
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void CUniqueFd::reset(int fd) noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}
