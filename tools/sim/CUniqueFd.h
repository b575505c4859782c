#pragma once

// Owns one POSIX file descriptor and closes it when done.
class CUniqueFd
{
public:
    CUniqueFd() = default;
    explicit CUniqueFd(int fd) noexcept : m_fd(fd) {}
    ~CUniqueFd() { reset(); }
    CUniqueFd(CUniqueFd&& other) noexcept : m_fd(other.release()) {}
    CUniqueFd& operator=(CUniqueFd&& other) noexcept;
    CUniqueFd(const CUniqueFd&) = delete;
    CUniqueFd& operator=(const CUniqueFd&) = delete;

    int get() const noexcept { return m_fd; }
    bool isValid() const noexcept { return m_fd >= 0; }
    int release() noexcept;
    void reset(int fd = -1) noexcept;

private:
    int m_fd = -1;
};
