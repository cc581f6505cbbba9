#pragma once

#include "image/zoneedits.h"

#include <QString>

#include <array>

// The captions of the zone editor's controls and the forms it shows a
// zone's fields in: the window builds its controls from them and `kvt diff`
// names a zone's differences with them.
namespace kvt::image {

// Check01..Check08 (frame "Cell-ID"), then Check09..Check16 (frame "GPS").
extern const std::array<const char *, FlagCount> ZoneFlagCaptions;
inline constexpr const char *CellIdFrameTitle = "Cell-ID";
inline constexpr const char *GpsFrameTitle = "GPS";

// Labels over the boxes of the frame "Setup".
inline constexpr const char *StartTimeLabel = "START UTC Time";
inline constexpr const char *StopTimeLabel = "STOP UTC Time";
inline constexpr const char *SpeedLimitLabel = "Max Speed Limit (Knots)";
inline constexpr const char *CellIdLabel = "Cell-ID";

// The square-area options' frame (captions: areaCaption) and the speed
// alert's frame with its two options.
inline constexpr const char *AreaFrameTitle = "Square Area - no alert if";
inline constexpr const char *SpeedAlertFrameTitle = "Speed Limit";
inline constexpr const char *NoAlertCaption = "No alert";
inline constexpr const char *AlertCaption = "Alert";

// The titles of the four coordinate rows and the digits before their fixed
// comma, indexed by Boundary.
extern const std::array<const char *, BoundaryCount> BoundaryTitles;
int digitsBeforeComma(Boundary boundary);

// A coordinate line as its row shows it: "4512,34567N", "00012,50000E";
// digits of another count are shown as they are, without the comma.
QString coordinateText(const CoordinateLine &line, Boundary boundary);

} // namespace kvt::image
