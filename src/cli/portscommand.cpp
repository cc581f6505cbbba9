// `kvt ports`: the serial ports of the machine and the COM names linked to them.

#include "devicecommands.h"
#include "output.h"

#include "portlist.h"

#include <QCommandLineParser>

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
    const QList<Port> ports = collectPorts(QStringLiteral("/dev/serial/by-id"));
    const bool written = parser.isSet(jsonOption) ? printResultBytes(portsJson(ports))
                                                  : printResult(portsText(ports));
    return written ? ExitSuccess : ExitFailure;
}

} // namespace kvt::cli
