#pragma once

#include <linux/serial.h>

namespace kvt::programmer {

// The driver's serial settings (TIOCGSERIAL and TIOCSSERIAL) and modem
// lines (TIOCMBIS and TIOCMBIC, `line` a TIOCM_ bit) of an open device;
// tests put a double in place of the system's.
struct SerialDriver {
    int (*get)(int fd, serial_struct *info);
    int (*set)(int fd, const serial_struct *info);
    int (*setLine)(int fd, int line, bool on);
};
SerialDriver &serialDriver();
SerialDriver systemSerialDriver();

// While it lives, asks the driver of an open serial device for low latency
// (ASYNC_LOW_LATENCY, as `setserial low_latency` does): USB adapters then
// pass each received byte on at once instead of holding it until their
// latency timer runs out, which matters for a protocol that waits for a
// one-byte echo 4389 times. The previous setting comes back when it goes.
// A driver without the setting (a pseudo-terminal answers ENOTTY) or one
// that refuses it is left as it is.
class LowLatency {
public:
    explicit LowLatency(int fd);
    ~LowLatency(); // the device must still be open
    LowLatency(const LowLatency &) = delete;
    LowLatency &operator=(const LowLatency &) = delete;

    bool isRequested() const { return m_changed; }

private:
    int m_fd;
    bool m_changed = false;
};

} // namespace kvt::programmer
