#pragma once

#include "programmer/serialsettings.h"

#include <QSerialPort>

#include <memory>

namespace kvt::programmer {

// The port to a unit, opened at 9600 baud, 8 data bits, no parity, one
// stop bit, no flow control, with the modem lines of `settings` and an
// empty input; null when it cannot be opened. `device` is a device path
// or COM1..COM4 (see portDevice()).
std::unique_ptr<QSerialPort> openUnitPort(const QString &device, const SerialSettings &settings);

// Errors that mean the line is gone or broken. Setting DTR or RTS on a
// device without modem lines (a pseudo-terminal) is no such failure.
bool isPortFailure(QSerialPort::SerialPortError error);

} // namespace kvt::programmer
