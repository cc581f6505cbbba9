#include "image/encoder.h"

#include "image/charset.h"
#include "image/codecs.h"
#include "image/gprs.h"

#include <algorithm>
#include <cmath>

namespace kvt::image {

namespace {

const QString lineEnd = QStringLiteral("\r\n");

// A whole number as the image stores it; the editor keeps these in range,
// and anything a file cannot hold is caught by the writer's line check.
int wholeNumber(double value)
{
    if (!std::isfinite(value))
        return 0;
    return int(std::nearbyint(std::clamp(value, -1e6, 1e6)));
}

// Codes of the first `width` characters of text padded with `fill`;
// -1 marks a character without an 8-bit code.
void putPaddedText(std::array<int, ParameterLineCount> &bytes, int first, int width,
                   const QString &text, QChar fill)
{
    for (int i = 0; i < width; ++i)
        bytes[first + i] = i < text.size() ? charCode(text.at(i)) : charCode(fill);
}

int checkByte(const Document &doc, int firstCheck)
{
    int value = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (doc.check(firstCheck + bit) == Ticked)
            value |= 1 << bit;
    }
    return value;
}

} // namespace

std::array<int, ParameterLineCount> parameterBytes(const Document &doc)
{
    std::array<int, ParameterLineCount> b{};
    const QChar x = QLatin1Char('X');
    putPaddedText(b, 0, 8, doc.simPin, x); // 001..008

    const int high = temperatureToWord(doc.tempHighAlert);
    const int low = temperatureToWord(doc.tempLowAlert);
    b[8] = high & 0xFF;                          // 009
    b[9] = high >> 8;                            // 010
    b[10] = low & 0xFF;                          // 011
    b[11] = low >> 8;                            // 012
    b[12] = wholeNumber(doc.trackingCounter);    // 013
    b[13] = wholeNumber(doc.smsCatchAlertTimer); // 014
    b[14] = 0;                                   // 015 reserved
    putPaddedText(b, 15, 16, doc.isdnRecall, x); // 016..031
    b[31] = wholeNumber(doc.rtcIntervalUnit);    // 032
    b[32] = wholeNumber(doc.rtcIntervalCounter); // 033
    for (int reg = 0; reg < 4; ++reg)            // 034..037
        b[33 + reg] = checkByte(doc, 8 * reg + 1);
    return b;
}

QString gprsBankText(const Document &doc)
{
    QString bank065 = composeGprsString(doc.gprs);
    bank065 += QString(GprsBankLineCount - bank065.size(), QLatin1Char('?'));
    QString text;
    text.reserve(GprsBankLineCount * 11);
    for (int address = 0; address < GprsBankLineCount; ++address)
        text += memoryLine(65, address, charCode(bank065.at(address))) + lineEnd;
    return text;
}

QString encodeParameters(const Document &doc)
{
    QString image;
    image.reserve(ImageLineCount * 11 + 1024);

    const auto bytes = parameterBytes(doc);
    for (int i = 0; i < ParameterLineCount; ++i)
        image += memoryLine(1, i + 1, bytes[i]) + lineEnd;

    for (const QString &zone : doc.zoneTexts)
        image += zone;

    image += gprsBankText(doc);
    for (const QString &text : doc.gprs)
        image += QStringLiteral("GPRS:") + text + lineEnd;
    return image;
}

} // namespace kvt::image
