#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace kvt::cli {

struct ComName {
    QString name;   // COM1
    QString link;   // its link, empty when it has none
    QString target; // where the link points
};

// One serial port of the machine as `kvt ports` lists it.
struct Port {
    QString device;
    QString canonical;   // empty when the device does not exist
    bool listed = false; // among the system's serial ports
    QString description, manufacturer, serialNumber;
    std::optional<QString> usb; // usbId()
    QStringList byId;
    QList<ComName> com;
};

// The system's serial ports, then the devices the COM names lead to, each
// with the links of `byIdFolder` (/dev/serial/by-id) that point at it.
QList<Port> collectPorts(const QString &byIdFolder);
void addLinks(QList<Port> &ports, const QString &byIdFolder);

QString usbId(quint16 vendor, quint16 product); // "0403:6001"
QString portsText(const QList<Port> &ports);
QByteArray portsJson(const QList<Port> &ports);

} // namespace kvt::cli
