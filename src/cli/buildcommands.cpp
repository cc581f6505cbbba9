// kvt build and kvt set: a configuration file from a document changed by
// the keys of the JSON form, keeping every other byte of the file it
// starts from.

#include "imagecommands.h"

#include "commandsupport.h"
#include "documentjson.h"
#include "output.h"

#include "image/configfile.h"
#include "image/encoder.h"

#include <QJsonDocument>

namespace kvt::cli {

namespace {

// A configuration file starts with a memory line of nine digits, which no
// JSON text does.
bool looksLikeConfigurationFile(const QByteArray &bytes)
{
    return bytes.size() >= 9 && std::all_of(bytes.cbegin(), bytes.cbegin() + 9, [](char c) {
               return c >= '0' && c <= '9';
           });
}

// The file a new document is written as, for `kvt build` without a template.
std::optional<image::StoredImage> startupImage()
{
    const auto bytes = image::configurationFileBytes(
        image::encodeParameters(image::startupDocument()));
    return bytes ? image::StoredImage::fromBytes(*bytes) : std::nullopt;
}

// Writes the changed document over the lines of `base`, after the
// warnings about what it will not keep as given.
int writeEdited(const image::StoredImage &base, const DocumentEdit &edit, const QString &outPath)
{
    QStringList warnings;
    const image::Document doc = edit.result(&warnings);
    bool bankReplaced = false;
    const auto bytes = base.withDocument(doc, &bankReplaced);
    if (bankReplaced) {
        warnings << QStringLiteral(
            "bank 065 held another GPRS string than the GPRS boxes composed; "
            "it now holds the string the boxes compose");
    }
    for (const QString &warning : warnings)
        printWarning(visible(warning));
    if (!bytes) {
        printError(QStringLiteral("%1: %2").arg(outPath, image::SaveFailedText));
        return ExitFailure;
    }
    return writeImage(*bytes, outPath) ? ExitSuccess : ExitFailure;
}

} // namespace

int runBuild(const QStringList &args)
{
    QCommandLineParser parser;
    const QString baseOption = QStringLiteral("base");
    parser.addOption(QCommandLineOption(baseOption, QString(), QStringLiteral("TEMPLATE")));
    const QString help = QStringLiteral(
        "Usage: kvt build [--base TEMPLATE] JSON OUT\n"
        "\n"
        "Writes the configuration file OUT from a JSON object of the form\n"
        "`kvt show --json` prints. Keys left out keep the values of TEMPLATE,\n"
        "or without --base the start-up values; GprsFormat is ignored and\n"
        "composed again from the Gprs texts. Only the lines of the values that\n"
        "change are written anew: zones not changed, and bank 065 unless the\n"
        "GPRS string changes, stay byte for byte as TEMPLATE holds them. Text\n"
        "must be encodable in Windows-1252. Nothing is written when a key or\n"
        "value is refused. JSON or TEMPLATE \"-\" reads standard input; OUT\n"
        "\"-\" writes to standard output.\n"
        "\n"
        "  --base TEMPLATE   start from the configuration file TEMPLATE\n");
    if (const auto done = parseArguments(parser, args,
                                         {QStringLiteral("JSON"), QStringLiteral("OUT")}, help))
        return *done;
    const QString jsonPath = parser.positionalArguments().at(0);
    const QString outPath = parser.positionalArguments().at(1);
    const QString basePath = parser.value(baseOption);
    if (isStandardStream(basePath) && isStandardStream(jsonPath))
        return usageError(args.value(0),
                          QStringLiteral("TEMPLATE and JSON cannot both be standard input"));

    const auto base = parser.isSet(baseOption) ? loadImage(basePath) : startupImage();
    if (!base)
        return ExitFailure;
    QString error;
    const auto bytes = readInput(jsonPath, &error);
    if (!bytes) {
        printError(QStringLiteral("%1: %2").arg(jsonPath, error));
        return ExitFailure;
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(*bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError && looksLikeConfigurationFile(*bytes)) {
        printError(
            QStringLiteral("%1: a configuration file, not JSON: `kvt show --json %1` prints "
                           "its JSON form, and `kvt build --base %1 JSON OUT` starts from it")
                .arg(jsonPath));
        return ExitFailure;
    }
    if (parseError.error != QJsonParseError::NoError) {
        printError(
            QStringLiteral("%1: not valid JSON at offset %2: %3")
                .arg(jsonPath, QString::number(parseError.offset), parseError.errorString()));
        return ExitFailure;
    }
    if (!json.isObject()) {
        printError(QStringLiteral("%1: expected one JSON object").arg(jsonPath));
        return ExitFailure;
    }
    DocumentEdit edit(base->document());
    if (const auto refused = edit.applyJson(json.object())) {
        printError(QStringLiteral("%1: %2").arg(jsonPath, visible(*refused)));
        return ExitFailure;
    }
    return writeEdited(*base, edit, outPath);
}

int runSet(const QStringList &args)
{
    QCommandLineParser parser;
    const QString help = QStringLiteral(
        "Usage: kvt set IN OUT KEY=VALUE...\n"
        "\n"
        "Writes to OUT the configuration file IN with the named values changed.\n"
        "Keys are those of `kvt show --json`, with dots into objects and zones\n"
        "and check boxes counted from 1:\n"
        "  SimPin=1234  IsdnRecall=+15550100  TempHighAlert=25.5  Checks.3=1\n"
        "  Gprs.Apn='\"m2m.example\"'  Zones.7.CellId=1A2B  Zones.7.StartTime=0830\n"
        "VALUE is taken as it stands (the double quotes of a GPRS text are part\n"
        "of it). Only the lines of the values that change are written anew: the\n"
        "zones not named, and bank 065 unless the GPRS string changes, stay byte\n"
        "for byte as IN holds them. A value is refused as `kvt build` refuses it,\n"
        "with a message naming the key, and then nothing is written. OUT may be\n"
        "IN (it is replaced whole or not at all); IN \"-\" reads standard input,\n"
        "OUT \"-\" writes to standard output.\n");
    const QStringList names = {QStringLiteral("IN"), QStringLiteral("OUT"),
                               QStringLiteral("KEY=VALUE")};
    if (const auto done = parseArguments(parser, args, names, help, true))
        return *done;
    const QStringList settings = parser.positionalArguments().mid(2);
    for (const QString &setting : settings) {
        if (setting.indexOf(QLatin1Char('=')) <= 0)
            return usageError(
                args.value(0),
                QStringLiteral("expected KEY=VALUE, found '%1'").arg(visible(setting)));
    }
    const auto base = loadImage(parser.positionalArguments().at(0));
    if (!base)
        return ExitFailure;
    DocumentEdit edit(base->document());
    for (const QString &setting : settings) {
        const qsizetype equals = setting.indexOf(QLatin1Char('='));
        if (const auto refused = edit.applySetting(setting.left(equals), setting.mid(equals + 1))) {
            printError(visible(*refused));
            return ExitFailure;
        }
    }
    return writeEdited(*base, edit, parser.positionalArguments().at(1));
}

} // namespace kvt::cli
