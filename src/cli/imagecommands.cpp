#include "imagecommands.h"

#include "documentjson.h"
#include "output.h"
#include "showtext.h"

#include "image/configfile.h"
#include "image/encoder.h"
#include "image/gprs.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace kvt::cli {

namespace {

using image::LoadResult;

const QString HelpOption = QStringLiteral("help");
const QString JsonOption = QStringLiteral("json");

// Parses a command's arguments. Returns an exit status when the command
// is done (help shown, wrong usage), nothing when it should go on.
std::optional<int> parseArguments(QCommandLineParser &parser, const QStringList &args,
                                  const QStringList &positionalNames, const QString &help)
{
    const QString command = args.value(0);
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), HelpOption}));
    if (!parser.parse(args))
        return usageError(command, parser.errorText());
    if (parser.isSet(HelpOption))
        return printResult(help) ? ExitSuccess : ExitFailure;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < positionalNames.size())
        return usageError(command, QStringLiteral("missing %1").arg(positionalNames[positional.size()]));
    if (positional.size() > positionalNames.size())
        return usageError(command, QStringLiteral("unexpected argument '%1'").arg(positional[positionalNames.size()]));
    return std::nullopt;
}

// Reads a whole file, or standard input for "-".
std::optional<QByteArray> readInput(const QString &path, QString *error)
{
    QFile file;
    const bool opened = path == QLatin1String("-")
        ? file.open(stdin, QIODevice::ReadOnly)
        : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        *error = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

// Loads a configuration file as the configurator's Open does; says why on
// stderr when it would not be loaded.
std::optional<image::Document> loadDocument(const QString &path)
{
    LoadResult result;
    if (path == QLatin1String("-")) {
        QString error;
        const auto bytes = readInput(path, &error);
        if (!bytes) {
            result.status = LoadResult::Unreadable;
        } else if (image::checkConfigurationBytes(*bytes)) {
            if (auto doc = image::decodeParameters(*bytes)) {
                result.status = LoadResult::Loaded;
                result.document = *doc;
            }
        }
    } else {
        result = image::loadConfigurationFile(path);
    }
    switch (result.status) {
    case LoadResult::Loaded:
        return result.document;
    case LoadResult::Unreadable:
        printError(QStringLiteral("%1: %2").arg(path, image::UnreadableFileText));
        break;
    case LoadResult::Invalid:
        printError(QStringLiteral("%1: %2").arg(path, image::InvalidFileText));
        break;
    }
    return std::nullopt;
}

bool saveDocument(const image::Document &doc, const QString &path)
{
    QString reason;
    if (image::writeConfigurationFile(path, image::encodeParameters(doc), &reason))
        return true;
    printError(QStringLiteral("%1: %2").arg(path, image::SaveFailedText));
    if (!reason.isEmpty())
        printError(QStringLiteral("%1: %2").arg(path, reason));
    return false;
}

// What a built file will not give back as it was written.
void warnAboutLosses(const image::Document &doc)
{
    if (doc.simPin.contains(QLatin1Char('X')))
        printError(QStringLiteral("warning: SimPin: every \"X\" is dropped when the file is loaded"));
    if (doc.isdnRecall.contains(QLatin1Char('X')))
        printError(QStringLiteral("warning: IsdnRecall: every \"X\" is dropped when the file is loaded"));
    if (doc.isdnRecall.size() > 16)
        printError(QStringLiteral("warning: IsdnRecall: only the first 16 characters are stored"));
    QString format;
    for (int i = 0; i < image::GprsFieldCount; ++i)
        format += doc.gprs[i];
    const qsizetype length = format.size() + 14;   // the 14 separators
    if (length > image::GprsStringLimit) {
        printError(QStringLiteral("warning: the GPRS string has %1 characters; the unit takes at most "
                                  "%2 and only the first %3 are stored")
                       .arg(length).arg(image::GprsStringLimit).arg(image::GprsFormatMax));
    }
}

} // namespace

int runNew(const QStringList &args)
{
    QCommandLineParser parser;
    const QString help = QStringLiteral(
        "Usage: kvt new FILE\n"
        "\n"
        "Writes the document the configurator holds right after start-up\n"
        "(default values, Check1 ticked, default GPRS texts, 64 default zones)\n"
        "as a configuration file. An existing FILE is replaced.\n");
    if (const auto done = parseArguments(parser, args, {QStringLiteral("FILE")}, help))
        return *done;
    return saveDocument(image::startupDocument(), parser.positionalArguments().at(0))
        ? ExitSuccess : ExitFailure;
}

int runCheck(const QStringList &args)
{
    QCommandLineParser parser;
    const QString help = QStringLiteral(
        "Usage: kvt check FILE\n"
        "\n"
        "Exits with status 0 when the configurator would load FILE, with 1\n"
        "and a message on stderr when it would refuse it. FILE \"-\" reads\n"
        "standard input.\n");
    if (const auto done = parseArguments(parser, args, {QStringLiteral("FILE")}, help))
        return *done;
    return loadDocument(parser.positionalArguments().at(0)) ? ExitSuccess : ExitFailure;
}

int runShow(const QStringList &args)
{
    QCommandLineParser parser;
    parser.addOption(QCommandLineOption(JsonOption));
    const QString help = QStringLiteral(
        "Usage: kvt show [--json] FILE\n"
        "\n"
        "Prints the document of a configuration file as the configurator's\n"
        "windows show it. FILE \"-\" reads standard input.\n"
        "\n"
        "  --json   print one JSON object instead, the form `kvt build` reads\n");
    if (const auto done = parseArguments(parser, args, {QStringLiteral("FILE")}, help))
        return *done;
    const auto doc = loadDocument(parser.positionalArguments().at(0));
    if (!doc)
        return ExitFailure;
    const bool printed = parser.isSet(JsonOption)
        ? printResultBytes(QJsonDocument(documentToJson(*doc)).toJson(QJsonDocument::Indented))
        : printResult(documentText(*doc));
    return printed ? ExitSuccess : ExitFailure;
}

int runBuild(const QStringList &args)
{
    QCommandLineParser parser;
    const QString help = QStringLiteral(
        "Usage: kvt build JSON OUT\n"
        "\n"
        "Writes the configuration file OUT from a JSON object of the form\n"
        "`kvt show --json` prints. Keys left out keep their start-up values;\n"
        "GprsFormat is ignored and composed again from the Gprs texts. Zones\n"
        "are stored by the zone store rules. JSON \"-\" reads standard input.\n"
        "Text must be encodable in Windows-1252. Nothing is written when a\n"
        "key or value is refused.\n");
    if (const auto done = parseArguments(parser, args, {QStringLiteral("JSON"), QStringLiteral("OUT")}, help))
        return *done;
    const QString jsonPath = parser.positionalArguments().at(0);
    const QString outPath = parser.positionalArguments().at(1);

    QString error;
    const auto bytes = readInput(jsonPath, &error);
    if (!bytes) {
        printError(QStringLiteral("%1: %2").arg(jsonPath, error));
        return ExitFailure;
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(*bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        printError(QStringLiteral("%1: not valid JSON at offset %2: %3")
                       .arg(jsonPath, QString::number(parseError.offset), parseError.errorString()));
        return ExitFailure;
    }
    if (!json.isObject()) {
        printError(QStringLiteral("%1: expected one JSON object").arg(jsonPath));
        return ExitFailure;
    }
    const auto doc = documentFromJson(json.object(), &error);
    if (!doc) {
        printError(QStringLiteral("%1: %2").arg(jsonPath, error));
        return ExitFailure;
    }
    warnAboutLosses(*doc);
    return saveDocument(*doc, outPath) ? ExitSuccess : ExitFailure;
}

} // namespace kvt::cli
