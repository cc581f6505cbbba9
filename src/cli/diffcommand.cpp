// kvt diff: two configuration files compared in the windows' words.

#include "imagecommands.h"

#include "commandsupport.h"
#include "imagediff.h"
#include "output.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace kvt::cli {

namespace {

// Like diff: 0 the same, 1 different, 2 trouble.
enum DiffStatus { Same = 0, Different = 1, Trouble = 2 };

} // namespace

int runDiff(const QStringList &args)
{
    QCommandLineParser parser;
    const QString jsonOption = QStringLiteral("json");
    parser.addOption(QCommandLineOption(jsonOption));
    const QString help = QStringLiteral(
        "Usage: kvt diff [--json] A B\n"
        "\n"
        "Prints every difference between two configuration files, one a line,\n"
        "in file order and in the windows' words:\n"
        "  THA: +125°C -> +25.5°C\n"
        "  Register \"Erase SIM memory on product startup\": off -> on\n"
        "  Zone 07 Cell-ID: ~~~~ -> 1A2B\n"
        "  GPRS APN: \"internet.example\" -> \"m2m.example\"\n"
        "Stored lines that differ where no value does (bank or address digits,\n"
        "reserved bytes, a hand-edited bank 065) are named by their line:\n"
        "  Line 484 (Zone 07 Reserved245): 007245048 -> 007245049\n"
        "An empty text shows as (empty), a line one file lacks as (none), and\n"
        "control characters as visible symbols. A or B \"-\" reads standard input.\n"
        "Exit status: 0 when the files are the same, 1 when they differ, 2 on\n"
        "trouble (a file that cannot be read or loaded, wrong usage).\n"
        "\n"
        "  --json   print {\"differences\": [...]} instead, each difference an\n"
        "           object with \"line\", \"key\" (for `kvt set`; null for stored\n"
        "           lines), \"label\", \"a\" and \"b\" (null for a missing line)\n");
    const auto done = parseArguments(parser, args, {QStringLiteral("A"), QStringLiteral("B")},
                                     help);
    if (done)
        return *done == ExitSuccess ? Same : Trouble;
    const QStringList paths = parser.positionalArguments();
    if (isStandardStream(paths[0]) && isStandardStream(paths[1]))
        return usageError(args.value(0), QStringLiteral("A and B cannot both be standard input"));
    const auto a = loadImage(paths[0]);
    const auto b = a ? loadImage(paths[1]) : std::nullopt;
    if (!a || !b)
        return Trouble;

    const QList<Difference> differences = imageDifferences(*a, *b);
    bool printed; // by either form
    if (parser.isSet(jsonOption)) {
        QJsonArray list;
        for (const Difference &difference : differences)
            list.append(differenceToJson(difference));
        const QJsonObject object{{QStringLiteral("differences"), list}};
        printed = printResultBytes(QJsonDocument(object).toJson(QJsonDocument::Indented));
    } else {
        QString text;
        for (const Difference &difference : differences)
            text += visible(differenceText(difference)) + QLatin1Char('\n');
        printed = text.isEmpty() || printResult(text);
    }
    if (!printed)
        return Trouble;
    return differences.isEmpty() ? Same : Different;
}

} // namespace kvt::cli
