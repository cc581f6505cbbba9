#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace kvt::image {

// A memory line: bank, address and value, each three decimal digits with
// leading zeros, one after the other ("001005065" is value 65 at address
// 5 of bank 1).
inline constexpr int MemoryLineLength = 9;

struct MemoryLineFields {
    int bank = 0;
    int address = 0;
    int value = 0;
};

// "007" for 7: a number 0..999 as a field of three digits.
QString threeDigits(int value);

// The number in the three characters at `pos`; nothing when the text is
// too short there or one of them is no decimal digit.
std::optional<int> threeDigitField(QStringView text, qsizetype pos);
std::optional<int> threeDigitField(QByteArrayView text, qsizetype pos);

// The memory line of three fields 0..999 ("001005065").
QString memoryLine(int bank, int address, int value);
QString memoryLine(const MemoryLineFields &fields);

// The fields of a memory line: nine decimal digits, each field at most
// 255 (a byte); nothing for anything else.
std::optional<MemoryLineFields> memoryLineFields(QByteArrayView line);

} // namespace kvt::image
