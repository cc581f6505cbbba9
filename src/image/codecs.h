#pragma once

#include <QString>
#include <QStringView>

namespace kvt::image {

// Bit strings: "0"/"1" characters, most significant bit first.
// Any character other than "1", and a position past the end, counts as 0;
// characters past position 8 (16) are ignored.
int byteToDecimal(QStringView bits);
int wordToDecimal(QStringView bits);

// Base-2 digits of a whole number, left-padded with "0" to at least 8
// characters (256 gives nine characters).
QString decimalToByte(qint64 value);

// Temperatures travel as a 16-bit word of sixteenths of a degree:
// 16 T for T >= 0, 65536 + 16 T below (two's complement).
int temperatureToWord(double celsius);
QString temperatureToBits(double celsius); // 16 characters
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
