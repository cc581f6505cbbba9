#pragma once

#include "image/document.h"

#include <QString>

namespace kvt::image {

inline constexpr int ParameterLineCount = 37;
inline constexpr int ZoneLineCount = 64;
inline constexpr int GprsBankLineCount = 256;
inline constexpr int ImageLineCount = 4404;        // without the final empty line
inline constexpr int ImageMemoryLineCount = 4389;

// The configuration image of a document: 37 parameter lines, the 64 zone
// texts verbatim, 256 bank-065 lines and 15 GPRS lines, each ended by
// CR LF. The document must hold only encodable text (see charset.h).
QString encodeParameters(const Document &doc);

// The 37 bank-001 parameter bytes, address 001 first.
std::array<int, ParameterLineCount> parameterBytes(const Document &doc);

// One memory line "BBBAAAVVV" without its line end.
QString memoryLine(int bank, int address, int value);

} // namespace kvt::image
