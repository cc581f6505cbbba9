#include "devicecommands.h"

#include "deviceterminal.h"
#include "output.h"
#include "writesession.h"

#include "programmer/engine.h"
#include "programmer/serialsettings.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QRegularExpression>

namespace kvt::cli {

namespace {

using programmer::Outcome;
using programmer::ProgrammingEngine;
using programmer::SerialSettings;

const QString WriteHelp = QStringLiteral(
    "Usage: kvt write [--port PORT] [--log FILE.csv] [--identify] [--repeat] FILE\n"
    "\n"
    "Writes the memory lines of the configuration file FILE into a tracking unit,\n"
    "one write request per line, each answered by the unit's echo. The file is\n"
    "checked first; nothing is sent when it fails the check.\n"
    "\n"
    "Options:\n"
    "  --port PORT     COM1..COM4 or a device path such as /dev/ttyUSB0; without\n"
    "                  it, the port chosen in the programmer window. COMn is the\n"
    "                  device that ~/.config/kvt/comn links to, else /dev/ttyS(n-1).\n"
    "                  'kvt ports' lists the ports.\n"
    "  --log FILE.csv  Append a row per unit: time, port, identifier, serial number,\n"
    "                  file, its SHA-256, result, bytes written, seconds.\n"
    "  --identify      Read the unit's identity first; a unit that does not answer\n"
    "                  is not written.\n"
    "  --repeat        Unit after unit until Ctrl+C: write a unit, wait until it\n"
    "                  stops answering and the next one answers (an identity\n"
    "                  request once a second), write it, and so on. One line per\n"
    "                  unit with a running count.\n"
    "  -h, --help      Show this help.\n"
    "\n"
    "On a terminal a progress bar shows the count. The summary goes to stdout\n"
    "(exit 0), a failure to stderr (exit 1); Ctrl+C stops cleanly (exit 130,\n"
    "143 on SIGTERM), which is how --repeat ends.\n");

const QString ReadIdHelp = QStringLiteral(
    "Usage: kvt read-id [--port PORT]\n"
    "\n"
    "Reads a tracking unit's identifier, serial number, firmware version and\n"
    "manufacturing date and prints them on one line (control characters the\n"
    "unit sends are shown as symbols such as \u240d).\n"
    "\n"
    "Options:\n"
    "  --port PORT  COM1..COM4 or a device path such as /dev/ttyUSB0; without it,\n"
    "               the port chosen in the programmer window.\n"
    "  -h, --help   Show this help.\n"
    "\n"
    "The identity goes to stdout (exit 0), a failure to stderr (exit 1);\n"
    "Ctrl+C stops cleanly (exit 130, 143 on SIGTERM).\n");

struct PortChoice {
    SerialSettings settings;
    QString port;
};

// PORT is COM1..COM4 (the settings' port number changes with it) or a
// device path; without it the port of the settings file.
PortChoice choosePort(const QString &port)
{
    PortChoice choice;
    choice.settings = programmer::readSerialSettings(programmer::settingsFilePath(),
                                                     SerialSettings{});
    if (port.isEmpty()) {
        choice.port = programmer::portName(choice.settings.port);
        return choice;
    }
    static const QRegularExpression comPort(QStringLiteral("^COM([1-4])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comPort.match(port);
    if (match.hasMatch())
        choice.settings.port = match.captured(1).toInt();
    choice.port = port;
    return choice;
}

struct Parsed {
    std::optional<int> exitStatus; // set when done (help, usage error)
    QString port;
    QStringList positional;
    QString log;
    bool identify = false;
    bool repeat = false;
};

Parsed parse(const QString &command, const QStringList &args, bool write)
{
    Parsed result;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption portOption(QStringLiteral("port"), QString(), QStringLiteral("PORT"));
    const QCommandLineOption logOption(QStringLiteral("log"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption identifyOption(QStringLiteral("identify"));
    const QCommandLineOption repeatOption(QStringLiteral("repeat"));
    parser.addOption(helpOption);
    parser.addOption(portOption);
    if (write)
        parser.addOptions({logOption, identifyOption, repeatOption});
    if (!parser.parse(args)) {
        result.exitStatus = usageError(command, parser.errorText());
        return result;
    }
    if (parser.isSet(helpOption)) {
        result.exitStatus = printResult(write ? WriteHelp : ReadIdHelp) ? ExitSuccess : ExitFailure;
        return result;
    }
    result.port = parser.value(portOption);
    if (parser.isSet(portOption) && result.port.isEmpty()) {
        result.exitStatus = usageError(command, QStringLiteral("--port needs a port name"));
        return result;
    }
    if (write) {
        result.log = parser.value(logOption);
        if (parser.isSet(logOption) && result.log.isEmpty()) {
            result.exitStatus = usageError(command, QStringLiteral("--log needs a file name"));
            return result;
        }
        result.identify = parser.isSet(identifyOption);
        result.repeat = parser.isSet(repeatOption);
    }
    result.positional = parser.positionalArguments();
    const qsizetype positionalCount = write ? 1 : 0;
    if (result.positional.size() < positionalCount) {
        result.exitStatus = usageError(command, QStringLiteral("missing FILE"));
    } else if (result.positional.size() > positionalCount) {
        result.exitStatus = usageError(
            command,
            QStringLiteral("unexpected argument '%1'").arg(result.positional.at(positionalCount)));
    }
    return result;
}

} // namespace

int runWrite(const QStringList &args)
{
    const Parsed parsed = parse(QStringLiteral("write"), args, true);
    if (parsed.exitStatus)
        return *parsed.exitStatus;
    const PortChoice choice = choosePort(parsed.port);
    WriteJob job;
    job.file = parsed.positional.first();
    job.port = choice.port;
    job.settings = choice.settings;
    job.logPath = parsed.log;
    job.identify = parsed.identify;
    job.repeat = parsed.repeat;
    return runWriteJob(job);
}

int runReadId(const QStringList &args)
{
    const Parsed parsed = parse(QStringLiteral("read-id"), args, false);
    if (parsed.exitStatus)
        return *parsed.exitStatus;
    const PortChoice choice = choosePort(parsed.port);
    ProgrammingEngine engine;
    QEventLoop loop;
    Outcome outcome;
    QObject::connect(&engine, &ProgrammingEngine::finished, &loop, [&](const Outcome &o) {
        outcome = o;
        loop.quit();
    });
    Interruption interruption([&engine] { engine.cancel(); });
    engine.startReadId(choice.settings, choice.port);
    loop.exec();
    return report(outcome, true, interruption.signal());
}

} // namespace kvt::cli
