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

} // namespace kvt::image
