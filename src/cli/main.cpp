// kvt: the configuration image of KVT Series units from scripts.

#include "devicecommands.h"
#include "imagecommands.h"
#include "kvtversion.h"
#include "output.h"

#include <QCoreApplication>
#include <QStringList>

namespace kvt::cli {

namespace {

struct Command {
    const char *name;
    const char *synopsis;
    const char *summary;
    int (*run)(const QStringList &args);
};

constexpr Command Commands[] = {
    {"new", "FILE", "write the document the configurator holds right after start-up", runNew},
    {"check", "FILE...", "exit 0 when the configurator would load every FILE, else 1", runCheck},
    {"show", "[--json] FILE", "print the document of FILE (as JSON with --json)", runShow},
    {"build", "[--base TEMPLATE] JSON OUT",
     "write the configuration file that a JSON object describes", runBuild},
    {"set", "IN OUT KEY=VALUE...", "write IN with the named values changed", runSet},
    {"diff", "[--json] A B", "print the differences of two files in the windows' words", runDiff},
    {"write", "[--port PORT] FILE", "write a configuration file into a unit over a serial port",
     runWrite},
    {"read-id", "[--port PORT]", "read a unit's identity over a serial port", runReadId},
    {"ports", "[--json]", "list the serial ports and the COM names that point at them", runPorts},
};

QString mainHelp()
{
    QString text = QStringLiteral(
        "Usage: kvt COMMAND [ARGUMENTS...]\n"
        "       kvt --help | --version\n"
        "\n"
        "Prepares and inspects KVT Series configuration files (.kvt) without\n"
        "the configurator's windows, and programs units.\n"
        "\n"
        "Commands:\n");
    for (const Command &command : Commands) {
        const QString head = QStringLiteral("%1 %2").arg(QLatin1String(command.name),
                                                         QLatin1String(command.synopsis));
        // A long synopsis stands on a line of its own.
        const QString gap = head.size() < 26 ? QString(26 - head.size(), u' ')
                                             : QStringLiteral("\n") + QString(28, u' ');
        text += QStringLiteral("  ") + head + gap + QLatin1String(command.summary)
            + QLatin1Char('\n');
    }
    text += QStringLiteral(
        "\n"
        "Run 'kvt COMMAND --help' for the details of a command.\n"
        "Exit status: 0 on success, 1 on failure, 2 on wrong usage; kvt diff\n"
        "exits with 0 when the files are the same, 1 when they differ, 2 on trouble.\n");
    return text;
}

int run(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return usageError(QString(), QStringLiteral("missing command"));
    const QString first = arguments.at(1);
    if (first == QLatin1String("--help") || first == QLatin1String("-h"))
        return printResult(mainHelp()) ? ExitSuccess : ExitFailure;
    if (first == QLatin1String("--version")) {
        return printResult(QStringLiteral("kvt %1\n").arg(QCoreApplication::applicationVersion()))
            ? ExitSuccess
            : ExitFailure;
    }
    if (first.startsWith(QLatin1Char('-')))
        return usageError(QString(), QStringLiteral("unknown option '%1'").arg(first));
    for (const Command &command : Commands) {
        if (first == QLatin1String(command.name))
            return command.run(arguments.mid(1));
    }
    return usageError(QString(), QStringLiteral("unknown command '%1'").arg(first));
}

} // namespace

} // namespace kvt::cli

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(KVT_VERSION));
    return kvt::cli::run(QCoreApplication::arguments());
}
