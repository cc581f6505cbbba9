#include "image/zoneedits.h"

#include <algorithm>

namespace kvt::image {

namespace {

constexpr int SpeedAlertBit = 0x20; // bit 5 of AlertOptions

// A part read as a number; anything that is not all digits (a damaged
// file) counts as 0.
int partValue(QStringView part)
{
    const bool digitsOnly = !part.isEmpty()
        && std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return digitsOnly ? part.toInt() : 0;
}

int knots(const ZoneRecord &record)
{
    return partValue(storedSpeed(record.speedLimit));
}

QString &timeOf(ZoneRecord &record, Clock clock)
{
    return clock == Clock::Start ? record.startTime : record.stopTime;
}

// Knots x 1.852 to one decimal, a half going to the even neighbour, in its
// shortest form. Whole numbers, so the sum is exact.
QString kilometresPerHour(int knots)
{
    const int thousandths = knots * 1852;
    int tenths = thousandths / 100;
    const int rest = thousandths % 100;
    if (rest > 50 || (rest == 50 && tenths % 2 != 0))
        ++tenths;
    const int fraction = tenths % 10;
    return fraction == 0 ? QString::number(tenths / 10)
                         : QStringLiteral("%1.%2").arg(tenths / 10).arg(fraction);
}

} // namespace

bool flag(const ZoneRecord &record, int f)
{
    return ((f < 8 ? record.cellIdFlags : record.gpsFlags) >> (f % 8)) & 1;
}

void setFlag(ZoneRecord &record, int f, bool on)
{
    int &flags = f < 8 ? record.cellIdFlags : record.gpsFlags;
    flags = on ? flags | (1 << (f % 8)) : flags & ~(1 << (f % 8));
}

Area shownArea(const ZoneRecord &record)
{
    return areaOfAlertOptions(record.alertOptions).value_or(Area::Inside);
}

bool speedAlert(const ZoneRecord &record)
{
    return record.alertOptions & SpeedAlertBit;
}

void setArea(ZoneRecord &record, Area area)
{
    record.alertOptions = alertOptionsFor(area, speedAlert(record));
}

void setSpeedAlert(ZoneRecord &record, bool alert)
{
    record.alertOptions = alertOptionsFor(shownArea(record), alert);
}

CoordinateLine &boundaryLine(ZoneRecord &record, Boundary boundary)
{
    CoordinateLine *lines[BoundaryCount] = {&record.topLatitude, &record.bottomLatitude,
                                            &record.leftLongitude, &record.rightLongitude};
    return *lines[int(boundary)];
}

const CoordinateLine &boundaryLine(const ZoneRecord &record, Boundary boundary)
{
    return boundaryLine(const_cast<ZoneRecord &>(record), boundary);
}

bool isLatitude(Boundary boundary)
{
    return boundary == Boundary::Top || boundary == Boundary::Bottom;
}

void advanceDigit(CoordinateLine &line, int index)
{
    if (index < 0 || index >= line.digits.size())
        return;
    QChar &digit = line.digits[index];
    digit = digit == u'9' ? u'0' : QChar(u'0' + partValue(QStringView(&digit, 1)) + 1);
}

void toggleHemisphere(CoordinateLine &line, Boundary boundary)
{
    const QChar one = isLatitude(boundary) ? u'N' : u'W';
    const QChar other = isLatitude(boundary) ? u'S' : u'E';
    if (line.hemisphere == one || line.hemisphere == other)
        line.hemisphere = line.hemisphere == one ? other : one;
}

bool stepSpeed(ZoneRecord &record, int delta)
{
    // "<<" and ">>" refuse where a whole step of ten would not fit.
    const int next = knots(record) + delta;
    if (next < (delta == -10 ? 1 : 0) || next > (delta == 10 ? 998 : 999))
        return false;
    record.speedLimit = storedSpeed(QString::number(next));
    return true;
}

bool stepTime(ZoneRecord &record, Clock clock, TimePart part, int delta)
{
    QString time = timeOf(record, clock).leftJustified(4, u'0', true);
    const int first = part == TimePart::Hour ? 0 : 2;
    const int next = partValue(QStringView(time).sliced(first, 2)) + delta;
    if (next < 0 || next > (part == TimePart::Hour ? 23 : 59))
        return false;
    time.replace(first, 2, QStringLiteral("%1").arg(next, 2, 10, QLatin1Char('0')));
    timeOf(record, clock) = time;
    return true;
}

QString speedText(const ZoneRecord &record)
{
    return QStringLiteral("%1 (%2 KM/H)").arg(knots(record)).arg(kilometresPerHour(knots(record)));
}

QString timeText(const ZoneRecord &record, Clock clock)
{
    const QString &time = clock == Clock::Start ? record.startTime : record.stopTime;
    return time.mid(0, 2) + QLatin1Char(':') + time.mid(2, 2) + QStringLiteral(":00");
}

} // namespace kvt::image
