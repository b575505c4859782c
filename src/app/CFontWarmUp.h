#pragma once

#include <thread>

// Reads the system's font configuration on a thread of its own while Qt
// starts and reaches the display. The window's first text needs it, and
// reading it (some fifty files of settings, then the font caches) costs the
// start a few milliseconds that it would otherwise spend waiting. Made
// before the application object; where the platform keeps no such
// configuration it does nothing.
class CFontWarmUp
{
public:
    CFontWarmUp();
    ~CFontWarmUp();
    CFontWarmUp(const CFontWarmUp&) = delete;
    CFontWarmUp& operator=(const CFontWarmUp&) = delete;

private:
    std::thread m_thread;
};
