#pragma once

#include "image/zonerecord.h"

#include <QString>
#include <QStringView>

namespace kvt::image {

// The edits the zone editor's controls make to a zone record, and the
// texts it shows for it. Each edit returns false and leaves the record
// alone where the rules refuse it (a step at a limit).

// Flag f (0..15): bits 0..7 of CellIdFlags, then bits 0..7 of GpsFlags.
inline constexpr int FlagCount = 16;
bool flag(const ZoneRecord &record, int f);
void setFlag(ZoneRecord &record, int f, bool on);

// The square-area option a record shows (Inside when its pattern matches
// none) and its speed alert; setting either keeps the other.
Area shownArea(const ZoneRecord &record);
bool speedAlert(const ZoneRecord &record);
void setArea(ZoneRecord &record, Area area);
void setSpeedAlert(ZoneRecord &record, bool alert);

// The four lines of the square, in the order they are stored.
enum class Boundary { Top, Bottom, Left, Right };
inline constexpr int BoundaryCount = 4;

CoordinateLine &boundaryLine(ZoneRecord &record, Boundary boundary);
const CoordinateLine &boundaryLine(const ZoneRecord &record, Boundary boundary);
bool isLatitude(Boundary boundary);

// Counts digit `index` (0-based) up by one; "9" becomes "0" without carry.
// A character that is no digit counts as 0.
void advanceDigit(CoordinateLine &line, int index);
// N <-> S on a latitude, W <-> E on a longitude; any other letter stays.
void toggleHemisphere(CoordinateLine &line, Boundary boundary);

// Speed in knots by -10, -1, +1 or +10, kept within 0..999: "<<" stops at
// 1 and ">>" at 998.
bool stepSpeed(ZoneRecord &record, int delta);

enum class Clock { Start, Stop };
enum class TimePart { Hour, Minute };
// One part of the START or STOP time by -1 or +1: hours 0..23, minutes
// 0..59, no carry, no wrap past midnight.
bool stepTime(ZoneRecord &record, Clock clock, TimePart part, int delta);

// "30 (55.6 KM/H)": knots, then km/h to one decimal, a half to the even.
QString speedText(const ZoneRecord &record);
// "09:00:00" for "0900".
QString timeText(const ZoneRecord &record, Clock clock);

} // namespace kvt::image
