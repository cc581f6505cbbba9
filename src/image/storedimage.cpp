#include "image/storedimage.h"

#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/gprs.h"
#include "image/memoryline.h"

namespace kvt::image {

namespace {

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

} // namespace

std::optional<StoredImage> StoredImage::fromBytes(const QByteArray &bytes)
{
    if (!checkConfigurationBytes(bytes))
        return std::nullopt;
    auto doc = decodeParameters(bytes);
    if (!doc)
        return std::nullopt;

    StoredImage image;
    image.m_bytes = bytes;
    image.m_document = std::move(*doc);
    image.m_lines = lineBounds(bytes);

    // The decoder found a GPRS line after the zones; the bound keeps a
    // change of the decoder from reading past the end.
    const qsizetype bankStart = ParameterLineCount + ZoneCount * ZoneLineCount;
    qsizetype gprs = bankStart;
    while (gprs < image.lineCount() && !image.line(gprs).startsWith("GPRS"))
        ++gprs;
    image.m_spans[Parameters] = {0, ParameterLineCount};
    image.m_spans[Zones] = {ParameterLineCount, ZoneCount * ZoneLineCount};
    image.m_spans[GprsBank] = {bankStart, gprs - bankStart};
    image.m_spans[GprsLines] = {gprs, GprsFieldCount};
    image.m_spans[Tail] = {gprs + GprsFieldCount, image.lineCount() - gprs - GprsFieldCount};
    return image;
}

QByteArray StoredImage::line(qsizetype i) const
{
    return m_bytes.sliced(m_lines[i].start, m_lines[i].end - m_lines[i].start);
}

StoredImage::Span StoredImage::zoneSpan(int zone) const
{
    return {m_spans[Zones].first + (zone - 1) * ZoneLineCount, ZoneLineCount};
}

QByteArray StoredImage::rawLines(qsizetype first, qsizetype count) const
{
    if (count <= 0)
        return {};
    const qsizetype last = first + count - 1;
    const qsizetype start = m_lines[first].start;
    const qsizetype end = last + 1 < lineCount() ? m_lines[last + 1].start : m_bytes.size();
    return m_bytes.sliced(start, end - start);
}

bool StoredImage::gprsBankAgrees() const
{
    const Span bank = m_spans[GprsBank];
    if (bank.count != GprsBankLineCount)
        return false;
    const QString expected = gprsBankText(m_document);
    for (qsizetype k = 0; k < bank.count; ++k) {
        if (line(bank.first + k) != QStringView(expected).sliced(11 * k, 9).toLatin1())
            return false;
    }
    return true;
}

QString StoredImage::storedGprsString() const
{
    QString text;
    const Span bank = m_spans[GprsBank];
    for (qsizetype k = 0; k < bank.count; ++k) {
        if (const auto memory = memoryLineFields(line(bank.first + k)))
            text += charFromCode(memory->value);
    }
    while (text.endsWith(QLatin1Char('?')))
        text.chop(1);
    return text;
}

std::optional<QByteArray> StoredImage::withDocument(const Document &changed,
                                                    bool *bankReplaced) const
{
    bool encodable = true;
    const auto encoded = [&encodable](const QString &text) {
        const auto bytes = toWindows1252(text);
        encodable = encodable && bytes.has_value();
        return bytes.value_or(QByteArray());
    };
    if (bankReplaced)
        *bankReplaced = false;
    QByteArray out;
    out.reserve(m_bytes.size());

    const auto before = parameterBytes(m_document);
    const auto after = parameterBytes(changed);
    for (const ParameterField &field : ParameterFields) {
        const auto first = before.begin() + field.firstLine;
        if (std::equal(first, first + field.lineCount, after.begin() + field.firstLine)) {
            out += rawLines(field.firstLine, field.lineCount);
            continue;
        }
        for (int i = field.firstLine; i < field.firstLine + field.lineCount; ++i) {
            encodable = encodable && after[i] >= 0; // -1: a character without a code
            out += memoryLine(1, i + 1, after[i]).toLatin1() + LineEnd;
        }
    }

    for (int zone = 1; zone <= ZoneCount; ++zone) {
        const QString &text = changed.zoneTexts[zone - 1];
        out += text == m_document.zoneTexts[zone - 1]
            ? rawLines(zoneSpan(zone).first, ZoneLineCount)
            : encoded(text);
    }

    const Span bank = m_spans[GprsBank];
    if (composeGprsString(changed.gprs) == composeGprsString(m_document.gprs)) {
        out += rawLines(bank.first, bank.count);
    } else {
        if (bankReplaced)
            *bankReplaced = !gprsBankAgrees();
        out += encoded(gprsBankText(changed));
    }

    const Span gprs = m_spans[GprsLines];
    for (int i = 0; i < GprsFieldCount; ++i) {
        out += changed.gprs[i] == m_document.gprs[i]
            ? rawLines(gprs.first + i, 1)
            : encoded(QStringLiteral("GPRS:") + changed.gprs[i]) + LineEnd;
    }
    out += rawLines(m_spans[Tail].first, m_spans[Tail].count);
    if (!encodable)
        return std::nullopt;
    return out;
}

} // namespace kvt::image
