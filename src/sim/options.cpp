#include "sim/options.h"

#include "image/charset.h"
#include "programmer/identity.h"

#include <QCommandLineParser>

#include <climits>
#include <cstdio>

namespace kvt::sim {

namespace {

using programmer::IdentityField;

struct TextOption {
    const char *name;
    const char *help; // %1 the length, %2 and %3 the first and last address
    IdentityField field;
    QByteArray Options::*value;
};
const TextOption TextOptions[] = {
    {"identifier", "Identifier, %1 characters (bank 0, addresses %2-%3).",
     programmer::IdentifierField, &Options::identifier},
    {"serial", "Serial number, %1 characters (addresses %2-%3).", programmer::SerialNumberField,
     &Options::serialNumber},
    {"firmware", "Firmware version, %1 characters, e.g. 0312 (addresses %2-%3).",
     programmer::FirmwareField, &Options::firmware},
    {"date", "Manufacturing month and year, %1 characters, e.g. 0607 (addresses %2-%3).",
     programmer::DateField, &Options::date},
};

struct CountOption {
    const char *name;
    const char *help;
    long minimum;
    std::optional<long> Options::*value;
};
const CountOption CountOptions[] = {
    {"silent-after", "Answer the first N requests, then nothing.", 0, &Options::silentAfter},
    {"wrong-echo-at", "Answer request N with a wrong byte.", 1, &Options::wrongEchoAt},
    {"double-echo-at", "Answer request N with its byte twice, in one write.", 1,
     &Options::doubleEchoAt},
    {"hangup-after",
     "Hang up (close the line and exit) after answering N requests, when the "
     "next request comes or the line has been idle for 0.1 s.",
     0, &Options::hangupAfter},
    {"units",
     "Play N units one after the other, the number at the end of the serial number "
     "counting up: once a unit has been written it leaves the line (at the first request "
     "that is not a write, or after --pause of silence), and the next one answers "
     "--pause later.",
     1, &Options::units},
};

QCommandLineOption option(const char *name, const QString &help, const char *valueName = nullptr)
{
    return QCommandLineOption(QString::fromLatin1(name), help,
                              valueName ? QString::fromLatin1(valueName) : QString());
}

// Reads the options as the parser found them; false after saying on
// stderr what is wrong with any of them.
class Reader {
public:
    explicit Reader(const QCommandLineParser &parser) : m_parser(parser) {}
    bool ok() const { return m_ok; }

    // The unit holds its identity in the Windows-1252 set, as the
    // programmer reads it.
    void text(const TextOption &t, Options &o)
    {
        const QString name = QString::fromLatin1(t.name);
        if (!m_parser.isSet(name))
            return;
        const std::optional<QByteArray> value = image::toWindows1252(m_parser.value(name));
        if (!value || value->size() != t.field.length) {
            std::fprintf(stderr, "kvt-unit-sim: --%s needs %d characters of the Windows-1252 set\n",
                         t.name, t.field.length);
            m_ok = false;
            return;
        }
        o.*t.value = *value;
    }

    std::optional<long> count(const char *name, long minimum, long maximum = LONG_MAX)
    {
        const QString option = QString::fromLatin1(name);
        if (!m_parser.isSet(option))
            return std::nullopt;
        bool isNumber; // set by toLong()
        const long n = m_parser.value(option).toLong(&isNumber);
        if (isNumber && n >= minimum && n <= maximum)
            return n;
        if (maximum == LONG_MAX)
            std::fprintf(stderr, "kvt-unit-sim: --%s needs a number from %ld\n", name, minimum);
        else
            std::fprintf(stderr, "kvt-unit-sim: --%s needs a number from %ld to %ld\n", name,
                         minimum, maximum);
        m_ok = false;
        return std::nullopt;
    }

private:
    const QCommandLineParser &m_parser;
    bool m_ok = true;
};

void addOptions(QCommandLineParser &parser)
{
    parser.addOption(option("link",
                            QStringLiteral("Make a symbolic link to the device (e.g. "
                                           "~/.config/kvt/com1)."),
                            "path"));
    parser.addOption(option("save",
                            QStringLiteral("On exit, write the memory written as memory "
                                           "lines, in the order the addresses were first "
                                           "written."),
                            "file"));
    parser.addOption(option("log",
                            QStringLiteral("Write one line per request received (\"W bbb "
                                           "aaa vvv\", \"R bbb aaa\")."),
                            "file"));
    for (const TextOption &t : TextOptions) {
        const QString help = QString::fromLatin1(t.help)
                                 .arg(t.field.length)
                                 .arg(t.field.first)
                                 .arg(t.field.first + t.field.length - 1);
        parser.addOption(option(t.name, help, "text"));
    }
    parser.addOption(option(
        "delay", QStringLiteral("Wait this long before each reply, up to %1.").arg(MaxDelayMs),
        "ms"));
    parser.addOption(option("pause",
                            QStringLiteral("With --units: how long a written unit waits "
                                           "for more, and the line stays empty between "
                                           "two units (default 2000, up to %1).")
                                .arg(MaxDelayMs),
                            "ms"));
    parser.addOption(option("paced",
                            QStringLiteral("Behave like a 9600-baud line: ten bit times "
                                           "per byte, both directions.")));
    for (const CountOption &c : CountOptions)
        parser.addOption(option(c.name, QString::fromLatin1(c.help), "N"));
}

} // namespace

std::optional<Options> parseOptions(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated KVT Series tracking unit on a pseudo-terminal. Prints the device path as\n"
        "its first line, answers write requests with the echo of the value and read requests\n"
        "of bank 0 with its identity, until SIGTERM, SIGINT or a requested hang-up."));
    parser.addHelpOption();
    parser.addVersionOption();
    addOptions(parser);
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "kvt-unit-sim: %s\n", qPrintable(parser.errorText()));
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "kvt-unit-sim: unexpected argument %s\n",
                     qPrintable(parser.positionalArguments().first()));
        return std::nullopt;
    }

    Options o;
    Reader read(parser);
    for (const TextOption &t : TextOptions)
        read.text(t, o);
    o.linkPath = parser.value(QStringLiteral("link"));
    o.savePath = parser.value(QStringLiteral("save"));
    o.logPath = parser.value(QStringLiteral("log"));
    o.delayMs = int(read.count("delay", 0, MaxDelayMs).value_or(o.delayMs));
    o.pauseMs = int(read.count("pause", 0, MaxDelayMs).value_or(o.pauseMs));
    o.paced = parser.isSet(QStringLiteral("paced"));
    for (const CountOption &c : CountOptions)
        o.*c.value = read.count(c.name, c.minimum);
    if (!read.ok())
        return std::nullopt;
    return o;
}

} // namespace kvt::sim
