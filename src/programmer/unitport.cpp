#include "programmer/unitport.h"

#include "programmer/messages.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

namespace kvt::programmer {

namespace {

// The group that may open the device, when its mode lets a group in.
QString accessGroup(const QString &device)
{
    struct stat st {};
    if (::stat(QFile::encodeName(device).constData(), &st) != 0 || st.st_gid == 0
        || (st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return {};
    const group *g = ::getgrgid(st.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString();
}

} // namespace

UnitPort::UnitPort() : m_serial(new QSerialPort) {}

UnitPort::~UnitPort()
{
    close();
}

std::unique_ptr<UnitPort> UnitPort::open(const QString &port, const SerialSettings &settings,
                                         QString *failure)
{
    const PortTarget target = portTarget(port);
    // The device itself, not a link to it: lock files name devices.
    const QString device = QFileInfo(target.device).canonicalFilePath();
    if (device.isEmpty()) {
        struct stat st {};
        // Why it is not there: a file on the way, a folder that may not be searched.
        const int error = ::stat(QFile::encodeName(target.device).constData(), &st) == -1 ? errno
                                                                                          : ENOENT;
        *failure = messages::openFailureDetail(target, messages::systemReason(error));
        return nullptr;
    }
    std::unique_ptr<UnitPort> unit(new UnitPort);
    if (const auto refusal = unit->m_lock.acquire(device)) {
        *failure = messages::openFailureDetail(
            target, messages::systemReason(refusal->error, refusal->holder, accessGroup(device)));
        return nullptr;
    }
    // QSerialPort's defaults are the unit's line: 9600 baud, 8 data bits,
    // no parity, one stop bit, no flow control.
    QSerialPort *serial = unit->m_serial;
    serial->setPortName(device);
    // QSerialPort makes the device exclusive (TIOCEXCL) while it is open.
    if (!serial->open(QIODevice::ReadWrite)) {
        *failure = messages::openFailureDetail(target, serial->errorString());
        return nullptr;
    }
    unit->m_latency.emplace(serial->handle());
    // A device without modem lines refuses these, which is harmless. The
    // end-of-file switch has no counterpart here and changes nothing.
    serialDriver().setLine(serial->handle(), TIOCM_DTR, settings.dtr);
    serialDriver().setLine(serial->handle(), TIOCM_RTS, settings.rts);
    // The unit's earlier replies to another program are no reply to us.
    serial->clear(QSerialPort::Input);
    return unit;
}

void UnitPort::close()
{
    if (!m_serial)
        return;
    QSerialPort *serial = std::exchange(m_serial, nullptr);
    if (serial->isOpen()) {
        m_latency.reset();
        serial->close();
    }
    serial->deleteLater(); // the lock goes with this object, after the device closed
}

bool isPortFailure(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::UnsupportedOperationError:
    case QSerialPort::TimeoutError: return false;
    default: return true;
    }
}

} // namespace kvt::programmer
