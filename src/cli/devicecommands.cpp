#include "devicecommands.h"

#include "output.h"

#include "programmer/engine.h"
#include "programmer/messages.h"
#include "programmer/serialsettings.h"
#include "programmer/stopsignals.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <functional>

#include <unistd.h>

namespace kvt::cli {

namespace {

using programmer::Outcome;
using programmer::ProgrammingEngine;
using programmer::SerialSettings;

const QString WriteHelp = QStringLiteral(
    "Usage: kvt write [--port PORT] FILE\n"
    "\n"
    "Writes the memory lines of the configuration file FILE into a tracking unit,\n"
    "one write request per line, each answered by the unit's echo. The file is\n"
    "checked first; nothing is sent when it fails the check.\n"
    "\n"
    "Options:\n"
    "  --port PORT  COM1..COM4 or a device path such as /dev/ttyUSB0; without it,\n"
    "               the port chosen in the programmer window. COMn is the device\n"
    "               that ~/.config/kvt/comn links to, else /dev/ttyS(n-1).\n"
    "  -h, --help   Show this help.\n"
    "\n"
    "On a terminal a progress bar shows the count. The summary goes to stdout\n"
    "(exit 0), a failure to stderr (exit 1); Ctrl+C stops cleanly (exit 130,\n"
    "143 on SIGTERM).\n");

const QString ReadIdHelp = QStringLiteral(
    "Usage: kvt read-id [--port PORT]\n"
    "\n"
    "Reads a tracking unit's identifier, serial number, firmware version and\n"
    "manufacturing date and prints them on one line.\n"
    "\n"
    "Options:\n"
    "  --port PORT  COM1..COM4 or a device path such as /dev/ttyUSB0; without it,\n"
    "               the port chosen in the programmer window.\n"
    "  -h, --help   Show this help.\n"
    "\n"
    "The identity goes to stdout (exit 0), a failure to stderr (exit 1);\n"
    "Ctrl+C stops cleanly (exit 130, 143 on SIGTERM).\n");

void printLine(FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// Ctrl+C or SIGTERM while a unit is being talked to: the event loop hears
// of it through the signals' pipe and cancels the operation, so that the
// port is closed by the engine and not left to the kernel.
class Interruption {
public:
    explicit Interruption(std::function<void()> onInterrupt)
        : m_signals({SIGINT, SIGTERM})
    {
        if (!m_signals.isValid())
            return;
        m_notifier = std::make_unique<QSocketNotifier>(m_signals.fd(), QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                         [this, onInterrupt = std::move(onInterrupt)] {
                             if (m_signals.take() != 0 && !m_cancelled) {
                                 m_cancelled = true;
                                 onInterrupt();
                             }
                         });
    }

    // The first stop signal received, 0 when none came.
    int signal() { return m_signals.isValid() ? m_signals.take() : 0; }

private:
    programmer::StopSignals m_signals;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_cancelled = false;
};

// "[#########.........]  1234 of 4389 bytes successfully programmed" on
// one terminal line, redrawn at most ten times a second.
class ProgressBar {
public:
    void show(int done, int total, const QString &statusText)
    {
        if (m_clock.isValid() && m_clock.elapsed() < 100 && done < total)
            return;
        m_clock.start();
        constexpr int Width = 30;
        const int filled = total > 0 ? int(qint64(done) * Width / total) : 0;
        const QString bar = QStringLiteral("\r[") + QString(filled, QLatin1Char('#'))
            + QString(Width - filled, QLatin1Char('.')) + QStringLiteral("]  ") + statusText;
        const QByteArray bytes = bar.toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fflush(stdout);
        m_drawn = true;
    }

    void clear()
    {
        if (!m_drawn)
            return;
        std::fputs("\r\x1b[K", stdout);
        std::fflush(stdout);
        m_drawn = false;
    }

private:
    QElapsedTimer m_clock;
    bool m_drawn = false;
};

struct PortChoice {
    SerialSettings settings;
    QString device;
};

// PORT is COM1..COM4 (the settings' port number changes with it) or a
// device path; without it the port of the settings file.
PortChoice choosePort(const QString &port)
{
    PortChoice choice;
    choice.settings = programmer::readSerialSettings(programmer::settingsFilePath(),
                                                     SerialSettings{});
    if (port.isEmpty()) {
        choice.device = programmer::portName(choice.settings.port);
        return choice;
    }
    static const QRegularExpression comPort(QStringLiteral("^COM([1-4])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comPort.match(port);
    if (match.hasMatch())
        choice.settings.port = match.captured(1).toInt();
    choice.device = port;
    return choice;
}

struct Parsed {
    std::optional<int> exitStatus;   // set when done (help, usage error)
    QString port;
    QStringList positional;
};

Parsed parse(const QString &command, QStringList args, const QString &help,
             qsizetype positionalCount)
{
    // The caller may pass the command's own name first.
    if (!args.isEmpty() && args.first() == command)
        args.removeFirst();
    args.prepend(command);

    Parsed result;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption portOption(QStringLiteral("port"), QString(), QStringLiteral("PORT"));
    parser.addOption(helpOption);
    parser.addOption(portOption);
    if (!parser.parse(args)) {
        result.exitStatus = usageError(command, parser.errorText());
        return result;
    }
    if (parser.isSet(helpOption)) {
        result.exitStatus = printResult(help) ? ExitSuccess : ExitFailure;
        return result;
    }
    result.port = parser.value(portOption);
    if (parser.isSet(portOption) && result.port.isEmpty()) {
        result.exitStatus = usageError(command, QStringLiteral("--port needs a port name"));
        return result;
    }
    result.positional = parser.positionalArguments();
    if (result.positional.size() < positionalCount) {
        result.exitStatus = usageError(command, QStringLiteral("missing FILE"));
    } else if (result.positional.size() > positionalCount) {
        result.exitStatus = usageError(
            command,
            QStringLiteral("unexpected argument '%1'").arg(result.positional.at(positionalCount)));
    }
    return result;
}

// Prints the result (stdout) or the failure (stderr) of an ended
// operation; its exit status. `signal`: the stop signal that cancelled it.
int report(const Outcome &outcome, bool write, int signal)
{
    switch (outcome.kind) {
    case Outcome::Programmed:
    case Outcome::Identified:
        return printResult(outcome.text + QLatin1Char('\n')) ? ExitSuccess : ExitFailure;
    case Outcome::EndedSilently:
        // The file had no GPRS line: every memory line went out, no summary.
        return printResult(programmer::messages::progress(outcome.bytesProgrammed,
                                                          outcome.memoryLineCount)
                           + QLatin1Char('\n'))
            ? ExitSuccess
            : ExitFailure;
    case Outcome::Cancelled:
        printLine(stderr, write ? QStringLiteral("Interrupted, programming aborted...")
                                : QStringLiteral("Interrupted, Reading aborted..."));
        // As a shell reports a command ended by the signal.
        return signal != 0 ? 128 + signal : ExitFailure;
    default:
        printLine(stderr, outcome.text);
        return ExitFailure;
    }
}

// Runs one engine operation to its end in a local event loop.
int runOperation(const std::function<void(ProgrammingEngine &)> &start, bool write)
{
    ProgrammingEngine engine;
    QEventLoop loop;
    Outcome outcome;
    ProgressBar bar;
    if (write && ::isatty(STDOUT_FILENO) == 1) {
        QObject::connect(&engine, &ProgrammingEngine::progressed, &loop,
                         [&bar](int done, int total, const QString &text) {
                             bar.show(done, total, text);
                         });
    }
    QObject::connect(&engine, &ProgrammingEngine::finished, &loop, [&](const Outcome &o) {
        outcome = o;
        loop.quit();
    });
    Interruption interruption([&engine] { engine.cancel(); });

    start(engine);
    loop.exec();
    bar.clear();
    return report(outcome, write, interruption.signal());
}

// `kvt write` (write: true) or `kvt read-id`.
int runDeviceCommand(const QStringList &args, bool write)
{
    const QString command = write ? QStringLiteral("write") : QStringLiteral("read-id");
    const Parsed parsed = parse(command, args, write ? WriteHelp : ReadIdHelp, write ? 1 : 0);
    if (parsed.exitStatus)
        return *parsed.exitStatus;
    const PortChoice port = choosePort(parsed.port);
    return runOperation(
        [&](ProgrammingEngine &engine) {
            if (write)
                engine.startWrite(parsed.positional.first(), port.settings, port.device);
            else
                engine.startReadId(port.settings, port.device);
        },
        write);
}

} // namespace

int runWrite(const QStringList &args)
{
    return runDeviceCommand(args, true);
}

int runReadId(const QStringList &args)
{
    return runDeviceCommand(args, false);
}

} // namespace kvt::cli
