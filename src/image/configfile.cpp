#include "image/configfile.h"

#include "image/memoryline.h"

#include "image/charset.h"
#include "image/codecs.h"
#include "image/encoder.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kvt::image {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads the lines of a configuration file one by one, in file order.
class LineReader {
public:
    explicit LineReader(const QList<QByteArray> &lines) : m_lines(lines) {}

    bool atEnd() const { return m_next >= m_lines.size(); }
    const QByteArray &next() { return m_lines[m_next++]; }

private:
    const QList<QByteArray> &m_lines;
    qsizetype m_next = 0;
};

// The value field of a memory line as a byte; nothing when it is no
// number. Memory lines always hold a byte there; a GPRS line standing
// where a memory line belongs may hold a larger number ("GPRS:X999"),
// which no box can take and no file can store, so it is refused too.
std::optional<int> wholeValue(const QByteArray &line)
{
    const QByteArray field = line.mid(6, 3).trimmed();
    if (field.isEmpty() || !std::all_of(field.cbegin(), field.cend(), isDigit))
        return std::nullopt;
    const int value = field.toInt();
    if (value > 255)
        return std::nullopt;
    return value;
}

// The leading number of a value field, 0 when it has none; nothing when
// it is no byte (see wholeValue).
std::optional<int> leadingNumber(const QByteArray &line)
{
    const QByteArray field = line.mid(6, 3).trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < field.size() && (field[i] == '-' || field[i] == '+'))
        negative = field[i++] == '-';
    int value = 0;
    while (i < field.size() && isDigit(field[i]))
        value = value * 10 + (field[i++] - '0');
    if (negative && value != 0)
        return std::nullopt;
    if (value > 255)
        return std::nullopt;
    return value;
}

// The value of the next line; nothing at the end of the file or when it
// is no byte.
std::optional<int> nextValue(LineReader &in)
{
    return in.atEnd() ? std::nullopt : wholeValue(in.next());
}

// Characters of a padded text field; code 088 ("X") is padding wherever
// it stands.
bool readPaddedText(LineReader &in, int count, QString &text)
{
    for (int i = 0; i < count; ++i) {
        if (in.atEnd())
            return false;
        const QByteArray &line = in.next();
        const auto code = wholeValue(line);
        if (!code)
            return false;
        if (line.mid(6, 3) != "088")
            text += charFromCode(*code);
    }
    return true;
}

// Two value lines, low byte first, into a temperature.
bool readTemperature(LineReader &in, double &celsius)
{
    const auto low = nextValue(in);
    const auto high = low ? nextValue(in) : std::nullopt;
    if (high)
        celsius = wordToTemperature(*high * 256 + *low);
    return high.has_value();
}

bool readNumber(LineReader &in, double &value)
{
    const auto v = nextValue(in);
    if (v)
        value = *v;
    return v.has_value();
}

QString gprsText(const QByteArray &line)
{
    return fromWindows1252(QByteArrayView(line).sliced(std::min<qsizetype>(5, line.size())));
}

} // namespace

QList<LineBounds> lineBounds(QByteArrayView bytes)
{
    QList<LineBounds> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes[i] != '\r')
            continue;
        lines.append({start, i});
        if (i + 1 < n && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append({start, n});
    return lines;
}

QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    for (const LineBounds &line : lineBounds(bytes))
        lines.append(bytes.sliced(line.start, line.end - line.start));
    return lines;
}

bool isValidLine(const QByteArray &line)
{
    if (line.isEmpty())
        return true;
    if (line.startsWith("GPRS:"))
        return line.size() - 5 <= MaxGprsTextLength;
    return memoryLineFields(line).has_value();
}

std::optional<QByteArray> readConfigurationBytes(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes;
    while (bytes.size() <= MaxConfigurationFileSize) {
        const QByteArray chunk = file.read(64 * 1024);
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool checkConfigurationBytes(const QByteArray &bytes)
{
    if (bytes.size() > MaxConfigurationFileSize)
        return false;
    const QList<QByteArray> lines = splitLines(bytes);
    return std::all_of(lines.cbegin(), lines.cend(), isValidLine);
}

std::optional<Document> decodeParameters(const QByteArray &bytes)
{
    const QList<QByteArray> lines = splitLines(bytes);
    LineReader in(lines);
    Document doc; // every field is set below, the texts from empty

    if (!readPaddedText(in, 8, doc.simPin) || !readTemperature(in, doc.tempHighAlert)
        || !readTemperature(in, doc.tempLowAlert) || !readNumber(in, doc.trackingCounter)
        || !readNumber(in, doc.smsCatchAlertTimer))
        return std::nullopt;
    if (in.atEnd())
        return std::nullopt;
    in.next(); // address 015, reserved
    if (!readPaddedText(in, 16, doc.isdnRecall))
        return std::nullopt;

    for (double *value : {&doc.rtcIntervalUnit, &doc.rtcIntervalCounter}) {
        if (in.atEnd())
            return std::nullopt;
        const auto number = leadingNumber(in.next());
        if (!number)
            return std::nullopt;
        *value = *number;
    }

    for (int reg = 0; reg < 4; ++reg) {
        const auto value = nextValue(in);
        if (!value)
            return std::nullopt;
        for (int b = 0; b < 8; ++b)
            doc.check(8 * reg + b + 1) = (*value >> b) & 1 ? Ticked : Clear;
    }

    for (QString &zone : doc.zoneTexts) {
        for (int k = 0; k < ZoneLineCount; ++k) {
            if (in.atEnd())
                return std::nullopt;
            zone += fromWindows1252(in.next());
            zone += QLatin1String("\r\n");
        }
    }

    // Bank 065 is not read back: the string is recomposed from the boxes.
    const QByteArray *apnLine = nullptr;
    while (!in.atEnd()) {
        const QByteArray &line = in.next();
        if (line.startsWith("GPRS")) {
            apnLine = &line;
            break;
        }
    }
    if (!apnLine)
        return std::nullopt;
    doc.gprs[0] = gprsText(*apnLine);
    for (int i = 1; i < GprsFieldCount; ++i) {
        if (in.atEnd())
            return std::nullopt;
        doc.gprs[i] = gprsText(in.next());
    }
    return doc;
}

QString loadFailureText(LoadResult::Status status)
{
    return status == LoadResult::Unreadable ? UnreadableFileText : InvalidFileText;
}

LoadResult loadConfigurationFile(const QString &path)
{
    LoadResult result;
    const auto bytes = readConfigurationBytes(path);
    if (!bytes) {
        result.status = LoadResult::Unreadable;
        return result;
    }
    if (!checkConfigurationBytes(*bytes)) {
        result.status = LoadResult::Invalid;
        return result;
    }
    auto doc = decodeParameters(*bytes);
    if (!doc) {
        result.status = LoadResult::Invalid;
        return result;
    }
    result.status = LoadResult::Loaded;
    result.document = std::move(*doc);
    return result;
}

LoadResult::Status checkConfigurationFile(const QString &path)
{
    const auto bytes = readConfigurationBytes(path);
    if (!bytes)
        return LoadResult::Unreadable;
    if (!checkConfigurationBytes(*bytes))
        return LoadResult::Invalid;
    return LoadResult::Loaded;
}

namespace {

bool fail(QString *errorString, const QString &why)
{
    if (errorString)
        *errorString = why;
    return false;
}

QString refusedLineText()
{
    return QStringLiteral("The configuration holds a line that is neither a memory line nor a "
                          "GPRS line of at most %1 characters.")
        .arg(MaxGprsTextLength);
}

} // namespace

std::optional<QByteArray> configurationFileBytes(const QString &imageText, QString *errorString)
{
    auto bytes = toWindows1252(QString(imageText + QLatin1String("\r\n")));
    if (!bytes) {
        fail(errorString,
             QStringLiteral("The configuration holds characters that have no code in "
                            "the Windows-1252 character set."));
        return std::nullopt;
    }
    // Never write a file the configurator would refuse to load (a carriage
    // return inside a GPRS text, a value that is no byte).
    if (!checkConfigurationBytes(*bytes)) {
        fail(errorString, refusedLineText());
        return std::nullopt;
    }
    return bytes;
}

bool writeConfigurationFile(const QString &path, const QString &imageText, QString *errorString)
{
    const auto bytes = configurationFileBytes(imageText, errorString);
    return bytes && writeConfigurationBytes(path, *bytes, errorString);
}

bool writeConfigurationBytes(const QString &path, const QByteArray &bytes, QString *errorString)
{
    if (!checkConfigurationBytes(bytes))
        return fail(errorString, refusedLineText());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(errorString, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(errorString, why);
    }
    if (!file.commit())
        return fail(errorString, file.errorString());
    return true;
}

} // namespace kvt::image
