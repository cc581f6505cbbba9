#pragma once

#include "image/document.h"
#include "image/memoryline.h"

#include <QString>

namespace kvt::image {

inline constexpr int ParameterLineCount = 37;
inline constexpr int ZoneLineCount = 64;
inline constexpr int GprsBankLineCount = 256;
inline constexpr int ImageLineCount = 4404; // without the final empty line
inline constexpr int ImageMemoryLineCount = 4389;

// The configuration image of a document: 37 parameter lines, the 64 zone
// texts verbatim, 256 bank-065 lines and 15 GPRS lines, each ended by
// CR LF. The document must hold only encodable text (see charset.h).
QString encodeParameters(const Document &doc);

// The parameter lines of each value in file order: the value's key in
// `kvt show --json` ("Reserved015" for the reserved byte, "Checks" for
// each of the four register bytes, Check1..Check8 first), its first line
// (0-based) and its number of lines.
struct ParameterField {
    const char *name;
    int firstLine;
    int lineCount;
};
inline constexpr std::array<ParameterField, 13> ParameterFields = {{
    {"SimPin", 0, 8},
    {"TempHighAlert", 8, 2},
    {"TempLowAlert", 10, 2},
    {"TrackingCounter", 12, 1},
    {"SmsCatchAlertTimer", 13, 1},
    {"Reserved015", 14, 1},
    {"IsdnRecall", 15, 16},
    {"RtcIntervalUnit", 31, 1},
    {"RtcIntervalCounter", 32, 1},
    {"Checks", 33, 1},
    {"Checks", 34, 1},
    {"Checks", 35, 1},
    {"Checks", 36, 1},
}};
inline constexpr int FirstRegisterField = 9;

// The 256 bank-065 lines that carry a document's GPRS string, "?" after
// its end, each ended by CR LF.
QString gprsBankText(const Document &doc);

// The 37 bank-001 parameter bytes, address 001 first.
std::array<int, ParameterLineCount> parameterBytes(const Document &doc);

} // namespace kvt::image
