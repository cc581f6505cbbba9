#include "image/parametertables.h"

#include "image/codecs.h"

#include <cmath>

namespace kvt::image {

const std::array<TextBox, 2> TextBoxes = {{
    {"SimPin", "SIM Card PIN", 8, &Document::simPin},
    {"IsdnRecall", "ISDN Recall number", 16, &Document::isdnRecall},
}};

const std::array<ValueBox, 6> ValueBoxes = {{
    {"TempLA", "TLA", &Document::tempLowAlert, temperatureText, "TempLowAlert"},
    {"TempHA", "THA", &Document::tempHighAlert, temperatureText, "TempHighAlert"},
    {"TrackSeqText", "Tracking counter", &Document::trackingCounter, trackingCounterText,
     "TrackingCounter"},
    {"RtcIntUnit", "RTC Interval unit", &Document::rtcIntervalUnit, rtcUnitBoxText,
     "RtcIntervalUnit"},
    {"RtcIntCounter", "RTC Interval counter", &Document::rtcIntervalCounter, rtcCounterText,
     "RtcIntervalCounter"},
    {"SmsCatchText", "SMS Catch Alert Timer", &Document::smsCatchAlertTimer, smsCatchText,
     "SmsCatchAlertTimer"},
}};

QString rtcUnitBoxText(double code)
{
    const QString word = rtcUnitText(code);
    return word.isEmpty() ? QStringLiteral("Unit %1").arg(formatNumber(code)) : word;
}

const std::array<StepButton, 12> StepButtons = {{
    {"Command3", TempLA, -0.5, -55},
    {"Command4", TempLA, +0.5, 125},
    {"Command1", TempHA, -0.5, -55},
    {"Command2", TempHA, +0.5, 125},
    {"Command5", TrackSeqText, -1, 1},
    {"Command6", TrackSeqText, +1, 255},
    {"Command16", RtcIntUnit, -1, 4},
    {"Command15", RtcIntUnit, +1, 7},
    {"Command14", RtcIntCounter, -1, 1},
    {"Command13", RtcIntCounter, +1, 255},
    {"Command7", SmsCatchText, -1, 1},
    {"Command8", SmsCatchText, +1, 255},
}};

const std::array<const char *, CheckCount> CheckCaptions = {
    "Battery ID notification on product startup",
    "Battery change ID notification on product startup",
    "Erase SIM memory on product startup",
    "Enable Temperature check procedure",
    "Unconditional temperature check notification",
    "Tracking base in continuous mode",
    "Online SMS on product startup and wake-up",
    "Store events in LOG memory",
    "Enable Cell-ID Geofencing function",
    "Enable GPS Geofencing function",
    "Turn the GPS receiver ON on product startup",
    "Enable Led  indication",
    "Offline notification on product sleep",
    "Enable device vibration wake-up",
    "Add ZMT prefix on RX Format messages",
    "Reserved",
    "Store GPS UTC time",
    "Store GPS Signal quality indicator",
    "Store GPS Latitude",
    "Store GPS N/S Indicator",
    "Store GPS Longitude",
    "Store GPS E/W Indicator",
    "Store GPS Course over ground",
    "Store GPS Date",
    "Store GPS Speed (in knots)",
    "Store GPS Satellites in view",
    "Store GPS Altitude in meters",
    "Store Current Temperature",
    "Add a Carriage return character",
    "Add a Line feed character",
    "Reserved",
    "Reserved",
};

const std::array<int, 16> LogFieldSizes = {6, 1, 9, 1, 10, 1, 3, 6, 3, 2, 5, 2, 1, 1, 0, 0};

int logRecordSize(const std::array<int, CheckCount> &checks)
{
    int size = 0;
    for (int check = FirstLogCheck - 1; const int fieldSize : LogFieldSizes) {
        if (checks[check++] == Ticked)
            size += fieldSize;
    }
    return size;
}

int logRecordCount(int recordSize)
{
    if (recordSize <= 0)
        return 0;
    // nearbyint rounds in the current mode, which is to-nearest-even.
    return int(std::nearbyint(double(LogMemorySize) / recordSize));
}

QString logMemoryCaption(int recordCount)
{
    if (recordCount == 0)
        return QStringLiteral("LOG memory configuration - (N/A)");
    return QStringLiteral("LOG memory configuration (%1)").arg(recordCount);
}

} // namespace kvt::image
