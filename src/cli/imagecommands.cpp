#include "imagecommands.h"

#include "commandsupport.h"
#include "documentjson.h"
#include "output.h"
#include "showtext.h"

#include "image/configfile.h"
#include "image/encoder.h"
#include "image/gprs.h"

#include <QJsonDocument>

namespace kvt::cli {

namespace {

// What `kvt check` tells about a file that loads but whose GPRS string
// the unit will not take as the boxes show it.
void warnAboutGprsString(const QString &path, const image::StoredImage &image)
{
    const qsizetype length = image::composedGprsLength(image.document().gprs);
    if (length > image::GprsStringLimit) {
        printWarning(
            QStringLiteral("%1: the GPRS string has %2 characters; the unit takes at most %3")
                .arg(path)
                .arg(length)
                .arg(image::GprsStringLimit));
    }
    if (!image.gprsBankAgrees()) {
        printWarning(QStringLiteral("%1: bank 065 holds another GPRS string than the GPRS boxes "
                                    "compose; the unit receives the one in bank 065")
                         .arg(path));
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
        "as a configuration file. An existing FILE is replaced; FILE \"-\" is\n"
        "standard output.\n");
    if (const auto done = parseArguments(parser, args, {QStringLiteral("FILE")}, help))
        return *done;
    const auto bytes = image::configurationFileBytes(
        image::encodeParameters(image::startupDocument()));
    return bytes && writeImage(*bytes, parser.positionalArguments().at(0)) ? ExitSuccess
                                                                           : ExitFailure;
}

int runCheck(const QStringList &args)
{
    QCommandLineParser parser;
    const QString help = QStringLiteral(
        "Usage: kvt check FILE...\n"
        "\n"
        "Exits with status 0 when the configurator would load every FILE, with 1\n"
        "when it would refuse one; each refused file gets one line on stderr.\n"
        "A file that loads but whose GPRS string has more than 255 characters,\n"
        "or whose bank 065 holds another GPRS string than its GPRS boxes\n"
        "compose, gets a warning on stderr (the status stays 0). FILE \"-\"\n"
        "reads standard input.\n");
    if (const auto done = parseArguments(parser, args, {QStringLiteral("FILE")}, help, true))
        return *done;
    bool allLoad = true;
    for (const QString &path : parser.positionalArguments()) {
        if (const auto image = loadImage(path))
            warnAboutGprsString(path, *image);
        else
            allLoad = false;
    }
    return allLoad ? ExitSuccess : ExitFailure;
}

int runShow(const QStringList &args)
{
    QCommandLineParser parser;
    const QString jsonOption = QStringLiteral("json");
    parser.addOption(QCommandLineOption(jsonOption));
    const QString help = QStringLiteral(
        "Usage: kvt show [--json] FILE\n"
        "\n"
        "Prints the document of a configuration file as the configurator's\n"
        "windows show it. FILE \"-\" reads standard input.\n"
        "\n"
        "  --json   print one JSON object instead, the form `kvt build` reads\n");
    if (const auto done = parseArguments(parser, args, {QStringLiteral("FILE")}, help))
        return *done;
    const auto image = loadImage(parser.positionalArguments().at(0));
    if (!image)
        return ExitFailure;
    const image::Document &doc = image->document();
    const bool printed = parser.isSet(jsonOption)
        ? printResultBytes(QJsonDocument(documentToJson(doc)).toJson(QJsonDocument::Indented))
        : printResult(documentText(doc));
    return printed ? ExitSuccess : ExitFailure;
}

} // namespace kvt::cli
