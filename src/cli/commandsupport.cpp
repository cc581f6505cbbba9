#include "commandsupport.h"

#include "output.h"

#include "image/configfile.h"

#include <QFile>
#include <QFileInfo>

namespace kvt::cli {

namespace {

// The bytes of standard input ("-") or a file, read no further than just
// past the size limit: standard input may never end.
std::optional<QByteArray> readBounded(const QString &path, QString *error)
{
    QFile file;
    const bool opened = isStandardStream(path)
        ? file.open(stdin, QIODevice::ReadOnly)
        : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        *error = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes;
    while (bytes.size() <= image::MaxConfigurationFileSize) {
        const QByteArray chunk = file.read(64 * 1024);
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

} // namespace

std::optional<int> parseArguments(QCommandLineParser &parser, const QStringList &args,
                                  const QStringList &positionalNames, const QString &help,
                                  bool repeatLast)
{
    const QString command = args.value(0);
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    if (!parser.parse(args))
        return usageError(command, parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        return printResult(help) ? ExitSuccess : ExitFailure;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < positionalNames.size())
        return usageError(command,
                          QStringLiteral("missing %1").arg(positionalNames[positional.size()]));
    if (!repeatLast && positional.size() > positionalNames.size())
        return usageError(
            command,
            QStringLiteral("unexpected argument '%1'").arg(positional[positionalNames.size()]));
    return std::nullopt;
}

std::optional<QByteArray> readInput(const QString &path, QString *error)
{
    if (!isStandardStream(path)) {
        const QFileInfo info(path);
        if (info.exists() && !info.isFile()) {
            *error = QStringLiteral("not a regular file (give - to read standard input)");
            return std::nullopt;
        }
    }
    auto bytes = readBounded(path, error);
    if (bytes && bytes->size() > image::MaxConfigurationFileSize) {
        *error = QStringLiteral("larger than %1 MiB, far more than any configuration")
                     .arg(image::MaxConfigurationFileSize / (1024 * 1024));
        return std::nullopt;
    }
    return bytes;
}

std::optional<image::StoredImage> loadImage(const QString &path)
{
    // Standard input past the limit is refused below, as a large file is.
    QString error;
    const auto bytes = isStandardStream(path) ? readBounded(path, &error)
                                              : image::readConfigurationBytes(path);
    if (!bytes) {
        printError(QStringLiteral("%1: %2").arg(path, image::UnreadableFileText));
        return std::nullopt;
    }
    auto image = image::StoredImage::fromBytes(*bytes);
    if (!image)
        printError(QStringLiteral("%1: %2").arg(path, image::InvalidFileText));
    return image;
}

bool writeImage(const QByteArray &bytes, const QString &path)
{
    if (isStandardStream(path)) {
        // What a file would refuse is not printed either.
        if (image::checkConfigurationBytes(bytes))
            return printResultBytes(bytes);
        printError(QStringLiteral("%1: %2").arg(path, image::SaveFailedText));
        return false;
    }
    QString reason;
    if (image::writeConfigurationBytes(path, bytes, &reason))
        return true;
    printError(QStringLiteral("%1: %2").arg(path, image::SaveFailedText));
    if (!reason.isEmpty())
        printError(QStringLiteral("%1: %2").arg(path, reason));
    return false;
}

} // namespace kvt::cli
