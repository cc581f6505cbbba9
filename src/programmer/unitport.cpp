#include "programmer/unitport.h"

namespace kvt::programmer {

std::unique_ptr<QSerialPort> openUnitPort(const QString &device, const SerialSettings &settings)
{
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(portDevice(device));
    port->setBaudRate(QSerialPort::Baud9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite))
        return nullptr;
    // A device without modem lines refuses these, which is harmless. The
    // end-of-file switch has no counterpart here and changes nothing.
    port->setDataTerminalReady(settings.dtr);
    port->setRequestToSend(settings.rts);
    // The unit's earlier replies to another program are no reply to us.
    port->clear(QSerialPort::Input);
    port->clearError();
    return port;
}

bool isPortFailure(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::UnsupportedOperationError:
    case QSerialPort::TimeoutError:
        return false;
    default:
        return true;
    }
}

} // namespace kvt::programmer
