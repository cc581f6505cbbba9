#include "showtext.h"

#include "image/codecs.h"
#include "image/gprs.h"
#include "zones/zonerecord.h"

#include <QStringList>

#include <cmath>

namespace kvt::cli {

namespace {

using image::Document;
using zones::ZoneRecord;

struct CheckBox {
    const char *caption;
    int recordCharacters;   // what a LOG field adds to one LOG record
};

// Check1..Check32, as the two frames of the main window list them.
constexpr CheckBox CheckBoxes[image::CheckCount] = {
    {"Battery ID notification on product startup", 0},
    {"Battery change ID notification on product startup", 0},
    {"Erase SIM memory on product startup", 0},
    {"Enable Temperature check procedure", 0},
    {"Unconditional temperature check notification", 0},
    {"Tracking base in continuous mode", 0},
    {"Online SMS on product startup and wake-up", 0},
    {"Store events in LOG memory", 0},
    {"Enable Cell-ID Geofencing function", 0},
    {"Enable GPS Geofencing function", 0},
    {"Turn the GPS receiver ON on product startup", 0},
    {"Enable Led  indication", 0},
    {"Offline notification on product sleep", 0},
    {"Enable device vibration wake-up", 0},
    {"Add ZMT prefix on RX Format messages", 0},
    {"Reserved", 0},
    {"Store GPS UTC time", 6},
    {"Store GPS Signal quality indicator", 1},
    {"Store GPS Latitude", 9},
    {"Store GPS N/S Indicator", 1},
    {"Store GPS Longitude", 10},
    {"Store GPS E/W Indicator", 1},
    {"Store GPS Course over ground", 3},
    {"Store GPS Date", 6},
    {"Store GPS Speed (in knots)", 3},
    {"Store GPS Satellites in view", 2},
    {"Store GPS Altitude in meters", 5},
    {"Store Current Temperature", 2},
    {"Add a Carriage return character", 1},
    {"Add a Line feed character", 1},
    {"Reserved", 0},
    {"Reserved", 0},
};

constexpr int RegisterBoxCount = 16;
constexpr int LogMemoryCharacters = 32700;

// Texts come from the file and may hold any of the 256 codes. Control
// characters are shown as their symbols (U+2400..U+2421), so that a
// carriage return, a line feed or an escape sequence in a PIN or a GPRS
// box can neither break the lines nor act on the terminal.
QString visible(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
        else if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

class Lines {
public:
    void heading(const QString &text) { m_lines << text; }
    void value(const QString &label, const QString &text)
    {
        const QString caption = label + QLatin1Char(':');
        m_lines << (text.isEmpty() ? QStringLiteral("  ") + caption
                                   : QStringLiteral("  ") + caption.leftJustified(LabelWidth) + visible(text));
    }
    void plain(const QString &text) { m_lines << QStringLiteral("  ") + visible(text); }
    QString text() const { return m_lines.join(QLatin1Char('\n')) + QLatin1Char('\n'); }

private:
    static constexpr int LabelWidth = 39;
    QStringList m_lines;
};

void checkLines(Lines &out, const Document &doc, int first, int last)
{
    for (int n = first; n <= last; ++n) {
        const QLatin1String mark(doc.check(n) == image::Ticked ? "[x]" : "[ ]");
        out.plain(QStringLiteral("%1 %2").arg(mark, QLatin1String(CheckBoxes[n - 1].caption)));
    }
}

QString rtcUnit(double code)
{
    const QString text = image::rtcUnitText(code);
    return text.isEmpty() ? QStringLiteral("(code %1)").arg(image::formatNumber(code)) : text;
}

// "ddddddddd" + "N" shown as the zone editor does: "dddd,dddddN" or
// "ddddd,dddddE"; digits of another count are shown as they are.
QString coordinateText(const zones::CoordinateLine &line, int leading)
{
    QString digits = line.digits;
    if (digits.size() == leading + 5)
        digits.insert(leading, QLatin1Char(','));
    return digits + line.hemisphere;
}

QString timeText(const QString &hhmm)
{
    return hhmm.size() == 4 ? hhmm.left(2) + QLatin1Char(':') + hhmm.mid(2) : hhmm;
}

QString zoneLine(int number, const ZoneRecord &zone)
{
    const auto area = zones::areaOfAlertOptions(zone.alertOptions);
    const QString areaText = area ? zones::areaCaption(*area)
                                  : QStringLiteral("(pattern ")
                                        + image::decimalToByte(zone.alertOptions).mid(3, 4)
                                        + QLatin1Char(')');
    const bool speedAlert = zone.alertOptions & 0x20;
    // Built by joining, not by arg(): the fields may hold any character.
    const QStringList parts = {
        QStringLiteral("Cell-ID ") + zone.cellId,
        QStringLiteral("Cell-ID flags ") + image::decimalToByte(zone.cellIdFlags),
        QStringLiteral("GPS flags ") + image::decimalToByte(zone.gpsFlags),
        QStringLiteral("speed limit ") + zone.speedLimit + QStringLiteral(" knots (")
            + (speedAlert ? QStringLiteral("Alert") : QStringLiteral("No alert")) + QLatin1Char(')'),
        timeText(zone.startTime) + QStringLiteral(" to ") + timeText(zone.stopTime) + QStringLiteral(" UTC"),
        QStringLiteral("top ") + coordinateText(zone.topLatitude, 4),
        QStringLiteral("bottom ") + coordinateText(zone.bottomLatitude, 4),
        QStringLiteral("left ") + coordinateText(zone.leftLongitude, 5),
        QStringLiteral("right ") + coordinateText(zone.rightLongitude, 5),
        QStringLiteral("no alert if ") + areaText,
    };
    return QStringLiteral("Zone %1: ").arg(number, 2, 10, QLatin1Char('0')) + parts.join(QStringLiteral(", "));
}

} // namespace

QString logMemoryCaption(const image::Document &doc)
{
    int recordSize = 0;
    for (int n = RegisterBoxCount + 1; n <= image::CheckCount; ++n) {
        if (doc.check(n) == image::Ticked)
            recordSize += CheckBoxes[n - 1].recordCharacters;
    }
    if (recordSize == 0)
        return QStringLiteral("LOG memory configuration - (N/A)");
    // Halves go to the even neighbour (the default rounding mode).
    const auto records = qint64(std::nearbyint(double(LogMemoryCharacters) / recordSize));
    return QStringLiteral("LOG memory configuration (%1)").arg(records);
}

QString documentText(const image::Document &doc)
{
    Lines out;
    out.heading(QStringLiteral("Device parameters"));
    out.value(QStringLiteral("SIM Card PIN"), doc.simPin);
    out.value(QStringLiteral("ISDN Recall number"), doc.isdnRecall);
    out.value(QStringLiteral("TLA"), image::temperatureText(doc.tempLowAlert));
    out.value(QStringLiteral("THA"), image::temperatureText(doc.tempHighAlert));
    out.value(QStringLiteral("Tracking counter"), image::trackingCounterText(doc.trackingCounter));
    out.value(QStringLiteral("RTC Interval unit"), rtcUnit(doc.rtcIntervalUnit));
    out.value(QStringLiteral("RTC Interval counter"), image::rtcCounterText(doc.rtcIntervalCounter));
    out.value(QStringLiteral("SMS Catch Alert Timer"), image::smsCatchText(doc.smsCatchAlertTimer));

    out.heading(QStringLiteral("Configuration registers"));
    checkLines(out, doc, 1, RegisterBoxCount);
    out.heading(logMemoryCaption(doc));
    checkLines(out, doc, RegisterBoxCount + 1, image::CheckCount);

    out.heading(QStringLiteral("GPRS parameters"));
    for (int i = 0; i < image::GprsFieldCount; ++i)
        out.value(image::gprsFieldLabel(image::GprsField(i)), doc.gprs[i]);
    const QString format = image::composeGprsString(doc.gprs);
    out.value(QStringLiteral("String Length"), QString::number(format.size()));
    out.value(QStringLiteral("Formatted string (255 characters max)"), format);

    out.heading(QStringLiteral("Geofencing"));
    for (int i = 0; i < image::ZoneCount; ++i)
        out.plain(zoneLine(i + 1, ZoneRecord::fromZoneText(doc.zoneTexts[i])));
    return out.text();
}

} // namespace kvt::cli
