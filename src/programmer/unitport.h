#pragma once

#include "programmer/lowlatency.h"
#include "programmer/portlock.h"
#include "programmer/serialsettings.h"

#include <QSerialPort>

#include <memory>
#include <optional>

namespace kvt::programmer {

// The port to a unit for one operation: 9600 baud, 8 data bits, no
// parity, one stop bit, no flow control, the modem lines of the settings
// and an empty input. It is never shared: the device is refused while
// another program holds it (see PortLock), and while open it is held with
// an exclusive flock, TIOCEXCL and a lock file, and asked for low latency.
class UnitPort {
public:
    // `port` is COM1..COM4 or a device path (see portTarget()). Null when
    // it cannot be opened; `failure` then names the device and the
    // system's reason, with the fix for the common cases.
    static std::unique_ptr<UnitPort> open(const QString &port, const SerialSettings &settings,
                                          QString *failure);
    ~UnitPort();

    QSerialPort *serial() const { return m_serial; }
    // Gives back the latency setting, closes the device and lets go of its
    // locks. The QSerialPort is deleted from the event loop, as this may
    // run inside one of its signals.
    void close();

private:
    UnitPort();

    QSerialPort *m_serial;
    PortLock m_lock;
    std::optional<LowLatency> m_latency;
};

// Errors that mean the line is gone or broken.
bool isPortFailure(QSerialPort::SerialPortError error);

} // namespace kvt::programmer
