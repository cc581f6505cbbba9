#include "image/charset.h"

#include <QHash>
#include <QStringDecoder>

#include <array>

namespace kvt::image {

namespace {

// Both directions of the 8-bit set, built once from the system's converter.
// The five codes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) stand for the C1 controls of the same number, so any byte a file
// may hold reads back and writes out unchanged.
struct CodeTables {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, uchar> fromUnicode;

    CodeTables()
    {
        QStringDecoder decoder("windows-1252");
        for (int code = 0; code < 256; ++code) {
            char16_t u = char16_t(code);
            if (decoder.isValid() && (code < 0x20 || code >= 0x7F)) {
                const char byte = char(code);
                const QString s = decoder.decode(QByteArrayView(&byte, 1));
                if (!decoder.hasError() && s.size() == 1 && s.at(0) != QChar::ReplacementCharacter)
                    u = s.at(0).unicode();
                decoder.resetState();
            }
            toUnicode[code] = u;
        }
        if (!decoder.isValid())
            fillUpperHalfByHand();
        uchar code = 0;
        for (const char16_t u : toUnicode)
            fromUnicode.insert(u, code++);
    }

    // Used only where the converter is missing: the printable characters
    // Windows-1252 places at 0x80..0x9F.
    void fillUpperHalfByHand()
    {
        static constexpr char16_t upper[32] = {
            0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
            0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
            0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
        };
        for (int i = 0; i < 32; ++i)
            toUnicode[0x80 + i] = upper[i];
    }
};

const CodeTables &tables()
{
    static const CodeTables t;
    return t;
}

} // namespace

int charCode(QChar c)
{
    const auto &map = tables().fromUnicode;
    const auto it = map.constFind(c.unicode());
    return it == map.cend() ? -1 : int(*it);
}

QChar charFromCode(int code)
{
    if (code < 0 || code > 255)
        return QChar::ReplacementCharacter;
    return QChar(tables().toUnicode[code]);
}

bool isEncodable(QStringView text)
{
    for (QChar c : text) {
        if (charCode(c) < 0)
            return false;
    }
    return true;
}

std::optional<QByteArray> toWindows1252(QStringView text)
{
    QByteArray bytes;
    bytes.resize(text.size());
    char *out = bytes.data();
    for (QChar c : text) {
        const int code = charCode(c);
        if (code < 0)
            return std::nullopt;
        *out++ = char(code);
    }
    return bytes;
}

QString fromWindows1252(QByteArrayView bytes)
{
    const auto &table = tables().toUnicode;
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (char b : bytes)
        *out++ = QChar(table[uchar(b)]);
    return text;
}

QString visible(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
        else if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace kvt::image
