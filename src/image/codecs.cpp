#include "image/codecs.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace kvt::image {

QString decimalToByte(int value)
{
    return QString::number(value, 2).rightJustified(8, QLatin1Char('0'));
}

int temperatureToWord(double celsius)
{
    if (!std::isfinite(celsius))
        return 0;
    // Sixteenths of a degree, halves to even, cut to 16 bits: below zero
    // that is the two's complement. The clamp only keeps absurd inputs
    // inside the integer type before the cut.
    const double sixteenths = std::nearbyint(std::clamp(celsius * 16, -1e15, 1e15));
    return int(qint64(sixteenths) & 0xFFFF);
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
