#pragma once

#include <QString>
#include <QStringView>

namespace kvt::image {

// Base-2 digits of a whole number from 0, most significant first,
// left-padded with "0" to at least 8 characters (256 gives nine).
QString decimalToByte(int value);

// Temperatures travel as a 16-bit word of sixteenths of a degree:
// 16 T for T >= 0, 65536 + 16 T below (two's complement).
int temperatureToWord(double celsius);
// The decoding rule kept by stored files: below 2048 positive, else
// negative (so 2048 gives -3968, not a large positive value).
double wordToTemperature(int word);

// Shortest decimal form: 125, 25.5, -0.5, 127.9375.
QString formatNumber(double value);

// Display forms of the value boxes.
QString temperatureText(double celsius);     // "+125°C", "-0.5°C", "+0°C"
QString trackingCounterText(double counter); // "5 SMS"
QString smsCatchText(double tenSeconds);     // "400 seconds"
QString rtcUnitText(double code);            // "Second".."Month"; empty outside 4..7
QString rtcCounterText(double counter);      // "4"

} // namespace kvt::image
