#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace kvt::image {

inline constexpr int FirstZoneAddress = 183;
inline constexpr int LastZoneAddress = 246;
inline constexpr int ZoneTextLength = 704; // 64 lines of 9 characters and CR LF

// The square-area options, in the order of Option1..Option9.
enum class Area { Inside, North, NorthEast, East, SouthEast, South, SouthWest, West, NorthWest };
inline constexpr int AreaCount = 9;

QString areaPattern(Area area);   // "1111", "1110", ...
QString areaCaption(Area area);   // "Inside", "North/East", ...
QString areaShapeName(Area area); // "Inside", "NorthEast", ...

// The area whose pattern bits 4..1 of an AlertOptions byte hold, or none.
std::optional<Area> areaOfAlertOptions(int alertOptions);
// AlertOptions for an area and the speed alert: "00", speed bit, pattern, "0".
int alertOptionsFor(Area area, bool speedAlert);

// One coordinate line: digits as stored (characters, never a number) and
// its hemisphere letter.
struct CoordinateLine {
    QString digits;   // 9 (latitude) or 10 (longitude) characters
    QChar hemisphere; // 'N'/'S' or 'E'/'W'

    bool operator==(const CoordinateLine &) const = default;
};

// The fields of a zone record in stored order, with the first of their
// lines (0-based) and how many lines they take. The name is also the key
// of the field in `kvt show --json`. Reserved242, AlertOptionsCopy,
// Reserved245 and Reserved246 have no value of their own: the store rules
// write them.
struct ZoneField {
    const char *name;
    int firstLine;
    int lineCount;
};
enum ZoneFieldIndex {
    CellIdFlagsField,
    CellIdField,
    GpsFlagsField,
    SpeedLimitField,
    StartTimeField,
    StopTimeField,
    TopLatitudeField,
    BottomLatitudeField,
    LeftLongitudeField,
    RightLongitudeField,
    Reserved242Field,
    AlertOptionsField,
    AlertOptionsCopyField,
    Reserved245Field,
    Reserved246Field,
    ZoneFieldCount
};
extern const std::array<ZoneField, ZoneFieldCount> ZoneFields;

// One geofencing zone as the zone editor sees it. Character fields hold
// the characters of the stored codes; they are not checked to be digits.
struct ZoneRecord {
    int cellIdFlags = 0;
    QString cellId = QStringLiteral("~~~~");
    int gpsFlags = 0;
    QString speedLimit = QStringLiteral("999"); // 3 characters, knots
    QString startTime = QStringLiteral("0900"); // HHMM
    QString stopTime = QStringLiteral("1700");
    CoordinateLine topLatitude{QStringLiteral("000000000"), QLatin1Char('N')};
    CoordinateLine bottomLatitude{QStringLiteral("000000000"), QLatin1Char('S')};
    CoordinateLine leftLongitude{QStringLiteral("0000000000"), QLatin1Char('W')};
    CoordinateLine rightLongitude{QStringLiteral("0000000000"), QLatin1Char('E')};
    int alertOptions = 30;

    bool operator==(const ZoneRecord &) const = default;

    // Reads a zone text by position (value fields only). A field that
    // cannot be read - text too short, a value that is no number or
    // above 255 - takes its default.
    static ZoneRecord fromZoneText(QStringView zoneText);

    // Writes the record as the 64 memory lines of zone `zone` (1..64)
    // with the store rules: bank = zone, addresses 183..246,
    // Reserved242 = 0, AlertOptionsCopy = AlertOptions, Reserved245/246
    // = 48, bits 7, 6 and 0 of AlertOptions cleared, an unmatched area
    // pattern stored as Inside, a CellId that is not four characters
    // stored as "~~~~", the speed written with three digits.
    QString toZoneText(int zone) const;

    // The stored zone text with the lines of each field whose value here
    // differs from the one `stored` holds written anew by the store rules
    // (AlertOptions together with its copy); every other line stays as it
    // is, hand-edited bank, address or reserved bytes included. A text whose
    // lines do not stand where the zone editor reads them is written anew as
    // a whole, and `wholeZone`, when given, tells so.
    QString patchedZoneText(QStringView stored, int zone, bool *wholeZone = nullptr) const;

    // Whether field f (ZoneFieldIndex) holds the same value in both records;
    // always true for the fields that have no value of their own.
    bool sameField(const ZoneRecord &other, int f) const;
};

// The default record of zone n, as InitZoneDefaults writes it.
QString defaultZoneText(int zone);

// Three-digit speed as EncodeZone stores it: "7" -> "007"; text that is
// no number counts as 0.
QString storedSpeed(QStringView speedText);

} // namespace kvt::image
