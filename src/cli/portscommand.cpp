// `kvt ports`: the serial ports of the machine and the COM names linked to them.

#include "devicecommands.h"
#include "output.h"

#include "image/charset.h"
#include "programmer/serialsettings.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPortInfo>

#include <optional>

namespace kvt::cli {

namespace {

const QString PortsHelp = QStringLiteral(
    "Usage: kvt ports [--json]\n"
    "\n"
    "Lists the serial ports of the machine: device, description, manufacturer,\n"
    "serial number, USB vendor:product, its /dev/serial/by-id names, and the\n"
    "COM names that point at it. COMn is the device that ~/.config/kvt/comn\n"
    "links to (ln -sfn /dev/serial/by-id/... ~/.config/kvt/com1), else\n"
    "/dev/ttyS(n-1). A linked device the system does not list as a serial port\n"
    "(such as the simulator's pseudo-terminal) is listed as well.\n"
    "\n"
    "Options:\n"
    "  --json      One JSON array, an object per port.\n"
    "  -h, --help  Show this help.\n");

struct ComName {
    QString name;   // COM1
    QString link;   // its link, empty when it has none
    QString target; // where the link points
};

struct Port {
    QString device;
    QString canonical;   // empty when the device does not exist
    bool listed = false; // among the system's serial ports
    QString description, manufacturer, serialNumber;
    std::optional<QString> usb; // "0403:6001"
    QStringList byId;
    QList<ComName> com;
};

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

QList<Port> collectPorts()
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
            p.usb = QStringLiteral("%1:%2")
                        .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                        .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
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
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo &link : byId.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
        if (Port *port = find(ports, link.absoluteFilePath()))
            port->byId << link.absoluteFilePath();
    }
    return ports;
}

QJsonValue orNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QByteArray json(const QList<Port> &ports)
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
QString text(const QList<Port> &ports)
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

} // namespace

int runPorts(const QStringList &args)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    parser.addOptions({helpOption, jsonOption});
    if (!parser.parse(args))
        return usageError(QStringLiteral("ports"), parser.errorText());
    if (parser.isSet(helpOption))
        return printResult(PortsHelp) ? ExitSuccess : ExitFailure;
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("ports"),
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    const QList<Port> ports = collectPorts();
    const bool written = parser.isSet(jsonOption) ? printResultBytes(json(ports))
                                                  : printResult(text(ports));
    return written ? ExitSuccess : ExitFailure;
}

} // namespace kvt::cli
