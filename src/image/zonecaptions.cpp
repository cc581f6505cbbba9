#include "image/zonecaptions.h"

namespace kvt::image {

const std::array<const char *, FlagCount> ZoneFlagCaptions = {
    "Enable Cell-ID geofencing",
    "Alert if attached to Cell-ID",
    "Reserved",
    "Reserved",
    "Reserved",
    "Reserved",
    "Reserved",
    "Reserved",
    "Enable GPS geofencing",
    "Enable Position fix check",
    "Enable Time check",
    "Enable Speed check",
    "Process if inside Time",
    "Reserved",
    "Reserved",
    "Reserved",
};

const std::array<const char *, BoundaryCount> BoundaryTitles = {
    "TOP LINE LATITUDE",
    "BOTTOM LINE LATITUDE",
    "LEFT LINE LONGITUDE",
    "RIGHT LINE LONGITUDE",
};

int digitsBeforeComma(Boundary boundary)
{
    return isLatitude(boundary) ? 4 : 5;
}

QString coordinateText(const CoordinateLine &line, Boundary boundary)
{
    const int leading = digitsBeforeComma(boundary);
    QString digits = line.digits;
    if (digits.size() == leading + 5)
        digits.insert(leading, QLatin1Char(','));
    return digits + line.hemisphere;
}

} // namespace kvt::image
