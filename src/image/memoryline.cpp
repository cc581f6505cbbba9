#include "image/memoryline.h"

namespace kvt::image {

namespace {

int codeOf(QChar c)
{
    return c.unicode();
}
int codeOf(char c)
{
    return static_cast<unsigned char>(c);
}

template <typename Text> std::optional<int> digitsAt(const Text &text, qsizetype pos)
{
    if (pos < 0 || pos + 3 > text.size())
        return std::nullopt;
    int value = 0;
    for (qsizetype i = pos; i < pos + 3; ++i) {
        const int c = codeOf(text[i]);
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Appends a field of three digits; a number outside 0..999 (no field of a
// memory line, which the line check then refuses) as it is written.
void appendField(QString &text, int value)
{
    if (value < 0 || value > 999) {
        text += QString::number(value);
        return;
    }
    text += QChar(u'0' + value / 100);
    text += QChar(u'0' + value / 10 % 10);
    text += QChar(u'0' + value % 10);
}

} // namespace

QString threeDigits(int value)
{
    QString text;
    appendField(text, value);
    return text;
}

std::optional<int> threeDigitField(QStringView text, qsizetype pos)
{
    return digitsAt(text, pos);
}

std::optional<int> threeDigitField(QByteArrayView text, qsizetype pos)
{
    return digitsAt(text, pos);
}

QString memoryLine(int bank, int address, int value)
{
    QString line;
    for (int field : {bank, address, value})
        appendField(line, field);
    return line;
}

QString memoryLine(const MemoryLineFields &fields)
{
    return memoryLine(fields.bank, fields.address, fields.value);
}

std::optional<MemoryLineFields> memoryLineFields(QByteArrayView line)
{
    if (line.size() != MemoryLineLength)
        return std::nullopt;
    int fields[3];
    for (int f = 0; f < 3; ++f) {
        const std::optional<int> field = threeDigitField(line, 3 * f);
        if (!field || *field > 255)
            return std::nullopt;
        fields[f] = *field;
    }
    return MemoryLineFields{fields[0], fields[1], fields[2]};
}

} // namespace kvt::image
