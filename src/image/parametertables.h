#pragma once

#include "image/document.h"

#include <QString>

#include <array>

// The tables the main window builds its controls from, and the LOG memory
// arithmetic. No widgets here.
namespace kvt::image {

// The free text boxes of the device frame; the file keeps at most
// maxLength characters of each, and the box holds no more.
struct TextBox {
    const char *name;
    const char *label;
    int maxLength;
    QString Document::*text;
};
extern const std::array<TextBox, 2> TextBoxes;

// A read-only value box: its label, the document value it shows, the
// form it shows it in and the value's key in `kvt show --json`.
struct ValueBox {
    const char *name;
    const char *label;
    double Document::*value;
    QString (*form)(double);
    const char *key;
};

enum ValueBoxIndex { TempLA, TempHA, TrackSeqText, RtcIntUnit, RtcIntCounter, SmsCatchText };
extern const std::array<ValueBox, 6> ValueBoxes;

// The form of the RTC Interval unit box: the unit's word for 4..7, and a
// neutral "Unit N" for a code the unit has no word for (only a file can
// hold one).
QString rtcUnitBoxText(double code);

// A step button: it changes its box's value by `step` unless the value is
// already at or beyond `limit` (a down step stops at or below the limit,
// an up step at or above it).
struct StepButton {
    const char *name;
    int box; // index into ValueBoxes
    double step;
    double limit;

    bool increases() const { return step > 0; }
    bool allows(double value) const { return increases() ? value < limit : value > limit; }
};

// In layout order: each box's "<" then its ">".
extern const std::array<StepButton, 12> StepButtons;

// The step from 19 down to 18 (180 seconds) warns about sleep mode.
inline const QString SmsCatchWarningText = QStringLiteral(
    "Too short SMS catch alert timing can result in PERMANENT Tracking device Sleep mode!, "
    "please refer to the ZMT Protocol definition for more information...");

// Captions of Check1..Check32.
extern const std::array<const char *, CheckCount> CheckCaptions;
inline constexpr int FirstLogCheck = 17;

// Characters one LOG record gains from each of Check17..Check32.
extern const std::array<int, 16> LogFieldSizes;
inline constexpr int LogMemorySize = 32700;

// Characters of one LOG record for the ticked fields (only state 1 counts).
int logRecordSize(const std::array<int, CheckCount> &checks);
// Records that fit: LogMemorySize / size rounded half to even; 0 for size 0.
int logRecordCount(int recordSize);
// "LOG memory configuration (N)", or "... - (N/A)" for no record.
QString logMemoryCaption(int recordCount);

} // namespace kvt::image
