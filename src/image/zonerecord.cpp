#include "image/zonerecord.h"

#include "image/memoryline.h"

#include "image/charset.h"

namespace kvt::image {

namespace {

constexpr int LineCount = LastZoneAddress - FirstZoneAddress + 1; // 64
using ZoneBytes = std::array<int, LineCount>;

struct AreaInfo {
    int pattern; // AlertOptions bits 4..1
    const char *caption;
    const char *shape;
};

// Indexed by Area (Option1..Option9).
constexpr AreaInfo areas[AreaCount] = {
    {0b1111, "Inside", "Inside"},        {0b1110, "North", "North"},
    {0b0110, "North/East", "NorthEast"}, {0b0111, "East", "East"},
    {0b0101, "South/East", "SouthEast"}, {0b1101, "South", "South"},
    {0b1001, "South/West", "SouthWest"}, {0b1011, "West", "West"},
    {0b1010, "North/West", "NorthWest"},
};

constexpr int SpeedAlertBit = 0x20;

// Line numbers (0-based) of the record's fields.
enum Line {
    CellIdFlagsLine = 0,
    CellIdLine = 1,
    GpsFlagsLine = 5,
    SpeedLine = 6,
    StartLine = 9,
    StopLine = 13,
    TopLine = 17,
    BottomLine = 27,
    LeftLine = 37,
    RightLine = 48,
    Reserved242Line = 59,
    AlertLine = 60,
    AlertCopyLine = 61,
    Reserved245Line = 62,
    Reserved246Line = 63,
};

// Codes of `width` characters of text; a character that is missing or has
// no 8-bit code takes the one of `fallback` at the same place.
void putChars(ZoneBytes &bytes, int first, int width, QStringView text, QStringView fallback)
{
    for (int i = 0; i < width; ++i) {
        const int code = i < text.size() ? charCode(text[i]) : -1;
        bytes[first + i] = code >= 0 ? code : charCode(fallback[i]);
    }
}

void putLine(ZoneBytes &bytes, int first, int digits, const CoordinateLine &line,
             const CoordinateLine &fallback)
{
    putChars(bytes, first, digits, line.digits, fallback.digits);
    putChars(bytes, first + digits, 1, QStringView(&line.hemisphere, 1),
             QStringView(&fallback.hemisphere, 1));
}

// The 64 bytes the store rules write for a record.
ZoneBytes storedBytes(const ZoneRecord &r)
{
    static const ZoneRecord defaults;
    ZoneBytes b{};
    b[CellIdFlagsLine] = r.cellIdFlags & 0xFF;
    const bool cellIdStorable = r.cellId.size() == 4 && isEncodable(r.cellId);
    putChars(b, CellIdLine, 4, cellIdStorable ? r.cellId : defaults.cellId, defaults.cellId);
    b[GpsFlagsLine] = r.gpsFlags & 0xFF;
    putChars(b, SpeedLine, 3, storedSpeed(r.speedLimit), defaults.speedLimit);
    putChars(b, StartLine, 4, r.startTime, defaults.startTime);
    putChars(b, StopLine, 4, r.stopTime, defaults.stopTime);
    putLine(b, TopLine, 9, r.topLatitude, defaults.topLatitude);
    putLine(b, BottomLine, 9, r.bottomLatitude, defaults.bottomLatitude);
    putLine(b, LeftLine, 10, r.leftLongitude, defaults.leftLongitude);
    putLine(b, RightLine, 10, r.rightLongitude, defaults.rightLongitude);
    b[Reserved242Line] = 0;
    const Area area = areaOfAlertOptions(r.alertOptions).value_or(Area::Inside);
    const bool speedAlert = r.alertOptions >= 0 && (r.alertOptions & SpeedAlertBit);
    b[AlertLine] = b[AlertCopyLine] = alertOptionsFor(area, speedAlert);
    b[Reserved245Line] = b[Reserved246Line] = 48;
    return b;
}

const ZoneBytes &defaultBytes()
{
    static const ZoneBytes bytes = storedBytes(ZoneRecord{});
    return bytes;
}

// Value field of line k (0-based) at its fixed place in the text, or -1
// when it is missing, no number or no byte.
int valueAt(QStringView text, int k)
{
    const std::optional<int> value = threeDigitField(text, 11 * qsizetype(k) + 6);
    return value && *value <= 255 ? *value : -1;
}

QString charsOf(const ZoneBytes &bytes, int first, int width)
{
    QString text;
    for (int i = 0; i < width; ++i)
        text += charFromCode(bytes[first + i]);
    return text;
}

CoordinateLine lineOf(const ZoneBytes &bytes, int first, int digits)
{
    return {charsOf(bytes, first, digits), charFromCode(bytes[first + digits])};
}

// A zone text of 64 lines of nine characters, each ended by CR LF.
bool hasZoneLines(QStringView text)
{
    if (text.size() != ZoneTextLength)
        return false;
    for (int k = 0; k < LineCount; ++k) {
        if (text[11 * k + 9] != u'\r' || text[11 * k + 10] != u'\n')
            return false;
    }
    return true;
}

} // namespace

const std::array<ZoneField, ZoneFieldCount> ZoneFields = {{
    {"CellIdFlags", CellIdFlagsLine, 1},
    {"CellId", CellIdLine, 4},
    {"GpsFlags", GpsFlagsLine, 1},
    {"SpeedLimit", SpeedLine, 3},
    {"StartTime", StartLine, 4},
    {"StopTime", StopLine, 4},
    {"TopLatitude", TopLine, 10},
    {"BottomLatitude", BottomLine, 10},
    {"LeftLongitude", LeftLine, 11},
    {"RightLongitude", RightLine, 11},
    {"Reserved242", Reserved242Line, 1},
    {"AlertOptions", AlertLine, 1},
    {"AlertOptionsCopy", AlertCopyLine, 1},
    {"Reserved245", Reserved245Line, 1},
    {"Reserved246", Reserved246Line, 1},
}};

QString areaPattern(Area area)
{
    return QString::number(areas[static_cast<int>(area)].pattern, 2)
        .rightJustified(4, QLatin1Char('0'));
}

QString areaCaption(Area area)
{
    return QLatin1String(areas[static_cast<int>(area)].caption);
}

QString areaShapeName(Area area)
{
    return QLatin1String(areas[static_cast<int>(area)].shape);
}

std::optional<Area> areaOfAlertOptions(int alertOptions)
{
    if (alertOptions < 0 || alertOptions > 255)
        return std::nullopt;
    const int pattern = (alertOptions >> 1) & 0xF;
    for (int i = 0; i < AreaCount; ++i) {
        if (areas[i].pattern == pattern)
            return static_cast<Area>(i);
    }
    return std::nullopt;
}

int alertOptionsFor(Area area, bool speedAlert)
{
    return (speedAlert ? SpeedAlertBit : 0) | (areas[static_cast<int>(area)].pattern << 1);
}

ZoneRecord ZoneRecord::fromZoneText(QStringView zoneText)
{
    ZoneBytes b;
    for (int k = 0; k < LineCount; ++k) {
        const int value = valueAt(zoneText, k);
        b[k] = value >= 0 ? value : defaultBytes()[k];
    }

    ZoneRecord r;
    r.cellIdFlags = b[CellIdFlagsLine];
    r.cellId = charsOf(b, CellIdLine, 4);
    r.gpsFlags = b[GpsFlagsLine];
    r.speedLimit = charsOf(b, SpeedLine, 3);
    r.startTime = charsOf(b, StartLine, 4);
    r.stopTime = charsOf(b, StopLine, 4);
    r.topLatitude = lineOf(b, TopLine, 9);
    r.bottomLatitude = lineOf(b, BottomLine, 9);
    r.leftLongitude = lineOf(b, LeftLine, 10);
    r.rightLongitude = lineOf(b, RightLine, 10);
    r.alertOptions = b[AlertLine];
    return r;
}

QString ZoneRecord::toZoneText(int zone) const
{
    const ZoneBytes b = storedBytes(*this);
    QString text;
    text.reserve(ZoneTextLength);
    for (int k = 0; k < LineCount; ++k) {
        text += memoryLine(zone, FirstZoneAddress + k, b[k]);
        text += QLatin1String("\r\n");
    }
    return text;
}

bool ZoneRecord::sameField(const ZoneRecord &other, int f) const
{
    switch (f) {
    case CellIdFlagsField: return cellIdFlags == other.cellIdFlags;
    case CellIdField: return cellId == other.cellId;
    case GpsFlagsField: return gpsFlags == other.gpsFlags;
    case SpeedLimitField: return speedLimit == other.speedLimit;
    case StartTimeField: return startTime == other.startTime;
    case StopTimeField: return stopTime == other.stopTime;
    case TopLatitudeField: return topLatitude == other.topLatitude;
    case BottomLatitudeField: return bottomLatitude == other.bottomLatitude;
    case LeftLongitudeField: return leftLongitude == other.leftLongitude;
    case RightLongitudeField: return rightLongitude == other.rightLongitude;
    case AlertOptionsField: return alertOptions == other.alertOptions;
    default: return true;
    }
}

QString ZoneRecord::patchedZoneText(QStringView stored, int zone, bool *wholeZone) const
{
    const bool lines = hasZoneLines(stored);
    if (wholeZone)
        *wholeZone = !lines;
    if (!lines)
        return toZoneText(zone);
    const ZoneRecord before = fromZoneText(stored);
    const QString written = toZoneText(zone);
    QString text = stored.toString();
    for (int f = 0; f < ZoneFieldCount; ++f) {
        if (sameField(before, f))
            continue;
        const ZoneField &field = ZoneFields[f];
        // The copy of AlertOptions goes with it.
        const int count = f == AlertOptionsField ? 2 : field.lineCount;
        text.replace(11 * field.firstLine, 11 * count,
                     written.mid(11 * field.firstLine, 11 * count));
    }
    return text;
}

QString defaultZoneText(int zone)
{
    return ZoneRecord{}.toZoneText(zone);
}

QString storedSpeed(QStringView speedText)
{
    const QStringView digits = speedText.trimmed();
    int knots = 0;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            knots = 0;
            break;
        }
        knots = std::min(knots * 10 + (c.unicode() - '0'), 999);
    }
    return threeDigits(knots);
}

} // namespace kvt::image
