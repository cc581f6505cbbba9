// The serial ports of the machine and the COM names linked to them.

#include "portlist.h"

#include "image/charset.h"
#include "programmer/serialsettings.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPortInfo>

namespace kvt::cli {

namespace {

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

Port *find(QList<Port> &ports, const QString &device)
{
    for (Port &p : ports) {
        if (p.device == device || (!p.canonical.isEmpty() && p.canonical == canonical(device)))
            return &p;
    }
    return nullptr;
}

QJsonValue orNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

} // namespace

QString usbId(quint16 vendor, quint16 product)
{
    return QStringLiteral("%1:%2")
        .arg(vendor, 4, 16, QLatin1Char('0'))
        .arg(product, 4, 16, QLatin1Char('0'));
}

QList<Port> collectPorts(const QString &byIdFolder)
{
    QList<Port> ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        Port p;
        p.device = info.systemLocation();
        p.canonical = canonical(p.device);
        p.listed = true;
        p.description = info.description();
        p.manufacturer = info.manufacturer();
        p.serialNumber = info.serialNumber();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            p.usb = usbId(info.vendorIdentifier(), info.productIdentifier());
        ports << p;
    }
    // The COM names: a link's target wherever it leads (the simulator's
    // pseudo-terminal, an adapter not plugged in); without a link, the
    // /dev/ttyS port it falls back to, when the system has it.
    for (int n = 1; n <= 4; ++n) {
        const programmer::PortTarget target = programmer::portTarget(programmer::portName(n));
        Port *port = find(ports, target.device);
        if (!port && !target.linked)
            continue;
        if (!port) {
            Port p;
            p.device = canonical(target.device).isEmpty() ? target.device
                                                          : canonical(target.device);
            p.canonical = canonical(target.device);
            ports << p;
            port = &ports.last();
        }
        port->com << ComName{target.name, target.linked ? target.link : QString(), target.device};
    }
    addLinks(ports, byIdFolder);
    return ports;
}

void addLinks(QList<Port> &ports, const QString &byIdFolder)
{
    const QDir byId(byIdFolder);
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
        if (Port *port = find(ports, link.absoluteFilePath()))
            port->byId << link.absoluteFilePath();
    }
}

QByteArray portsJson(const QList<Port> &ports)
{
    QJsonArray array;
    for (const Port &p : ports) {
        QJsonArray com;
        for (const ComName &c : p.com)
            com.append(QJsonObject{{QStringLiteral("name"), c.name},
                                   {QStringLiteral("link"), orNull(c.link)},
                                   {QStringLiteral("target"), c.target}});
        array.append(QJsonObject{
            {QStringLiteral("device"), p.device},
            {QStringLiteral("present"), !p.canonical.isEmpty()},
            {QStringLiteral("listed"), p.listed},
            {QStringLiteral("description"), orNull(p.description)},
            {QStringLiteral("manufacturer"), orNull(p.manufacturer)},
            {QStringLiteral("serialNumber"), orNull(p.serialNumber)},
            {QStringLiteral("usb"), p.usb ? QJsonValue(*p.usb) : QJsonValue()},
            {QStringLiteral("byId"), QJsonArray::fromStringList(p.byId)},
            {QStringLiteral("com"), com},
        });
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

// Texts from USB descriptors and links may hold anything: shown visibly.
QString portsText(const QList<Port> &ports)
{
    if (ports.isEmpty())
        return QStringLiteral("No serial ports found.\n");
    QString out;
    const auto field = [&out](const QString &label, const QString &value) {
        if (!value.isEmpty())
            out += QStringLiteral("  ") + (label + QLatin1Char(':')).leftJustified(15)
                + image::visible(value) + QLatin1Char('\n');
    };
    for (const Port &p : ports) {
        out += image::visible(p.device);
        if (p.canonical.isEmpty())
            out += QStringLiteral("  (missing: is it plugged in?)");
        else if (!p.listed)
            out += QStringLiteral("  (not a port the system lists)");
        out += QLatin1Char('\n');
        field(QStringLiteral("description"), p.description);
        field(QStringLiteral("manufacturer"), p.manufacturer);
        field(QStringLiteral("serial number"), p.serialNumber);
        field(QStringLiteral("USB"), p.usb.value_or(QString()));
        for (const QString &link : p.byId)
            field(QStringLiteral("by-id"), link);
        for (const ComName &c : p.com)
            field(c.name,
                  c.link.isEmpty() ? QStringLiteral("no link, so %1 is this port").arg(c.name)
                                   : QStringLiteral("%1 -> %2").arg(c.link, c.target));
    }
    return out;
}

} // namespace kvt::cli
