#include "image/codecs.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace kvt::image {

namespace {

int bitsToNumber(QStringView bits, int width)
{
    int result = 0;
    const int n = std::min<qsizetype>(bits.size(), width);
    for (int pos = 0; pos < n; ++pos) {
        if (bits[pos] == QLatin1Char('1'))
            result |= 1 << (width - 1 - pos);
    }
    return result;
}

QString binaryDigits(quint64 value, int minWidth)
{
    QString digits = QString::number(value, 2);
    if (digits.size() < minWidth)
        digits.prepend(QString(minWidth - digits.size(), QLatin1Char('0')));
    return digits;
}

} // namespace

int byteToDecimal(QStringView bits)
{
    return bitsToNumber(bits, 8);
}

int wordToDecimal(QStringView bits)
{
    return bitsToNumber(bits, 16);
}

QString decimalToByte(qint64 value)
{
    if (value < 0)
        return QLatin1Char('-') + binaryDigits(0 - quint64(value), 8);
    return binaryDigits(quint64(value), 8);
}

int temperatureToWord(double celsius)
{
    if (!std::isfinite(celsius))
        return 0;
    // Sixteenths of a degree, halves to even; the clamp only keeps absurd
    // inputs inside the integer type before the cut to 16 bits.
    const double sixteenths = std::nearbyint(std::clamp(celsius * 16, -1e15, 1e15));
    qint64 word = qint64(sixteenths);
    if (celsius < 0)
        word += 65536;
    return int(word & 0xFFFF);
}

QString temperatureToBits(double celsius)
{
    return binaryDigits(quint64(temperatureToWord(celsius)), 16);
}

double wordToTemperature(int word)
{
    if (word < 2048)
        return word / 16.0;
    return -((65536 - word) / 16.0);
}

QString formatNumber(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == 0)
        value = 0; // no "-0"
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QString temperatureText(double celsius)
{
    const QString number = formatNumber(celsius);
    if (celsius >= 0)
        return QLatin1Char('+') + number + QStringLiteral(u"\u00B0C");
    return number + QStringLiteral(u"\u00B0C");
}

QString trackingCounterText(double counter)
{
    return formatNumber(counter) + QStringLiteral(" SMS");
}

QString smsCatchText(double tenSeconds)
{
    return formatNumber(tenSeconds * 10) + QStringLiteral(" seconds");
}

QString rtcUnitText(double code)
{
    if (code == 4)
        return QStringLiteral("Second");
    if (code == 5)
        return QStringLiteral("Minute");
    if (code == 6)
        return QStringLiteral("Hour");
    if (code == 7)
        return QStringLiteral("Month");
    return {};
}

QString rtcCounterText(double counter)
{
    return formatNumber(counter);
}

} // namespace kvt::image
