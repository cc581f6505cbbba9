#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace kvt::image {

// The configuration files and the unit use the 8-bit Windows-1252 set.
// Text that has no code there is refused, never written as a wider number.
bool isEncodable(QStringView text);
std::optional<QByteArray> toWindows1252(QStringView text);
QString fromWindows1252(QByteArrayView bytes);

// Code of one character in the 8-bit set, or -1 when it has none.
int charCode(QChar c);
// Character of an 8-bit code 0..255.
QChar charFromCode(int code);

// Text from a file or a unit, safe to show on one line of a terminal or in
// a window: control characters become their symbols (U+2400..U+2421), so
// that a carriage return, a line feed, an escape sequence or a NUL can
// neither break the line, act on a terminal nor cut what a screen reader
// reads; other non-printing controls become U+FFFD.
QString visible(QString text);

} // namespace kvt::image
