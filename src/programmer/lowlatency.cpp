#include "programmer/lowlatency.h"

#include <sys/ioctl.h>

namespace kvt::programmer {

SerialDriver systemSerialDriver()
{
    return {[](int fd, serial_struct *info) { return ::ioctl(fd, TIOCGSERIAL, info); },
            [](int fd, const serial_struct *info) { return ::ioctl(fd, TIOCSSERIAL, info); },
            [](int fd, int line, bool on) { return ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line); }};
}

SerialDriver &serialDriver()
{
    static SerialDriver driver = systemSerialDriver();
    return driver;
}

LowLatency::LowLatency(int fd) : m_fd(fd)
{
    serial_struct info{};
    if (serialDriver().get(m_fd, &info) != 0 || (info.flags & ASYNC_LOW_LATENCY))
        return;
    info.flags |= ASYNC_LOW_LATENCY;
    m_changed = serialDriver().set(m_fd, &info) == 0;
}

// The setting as it now stands, with the one flag put back: whatever else
// changed meanwhile stays.
LowLatency::~LowLatency()
{
    serial_struct info{};
    if (!m_changed || serialDriver().get(m_fd, &info) != 0)
        return;
    info.flags &= ~ASYNC_LOW_LATENCY;
    serialDriver().set(m_fd, &info);
}

} // namespace kvt::programmer
