#include "showtext.h"

#include "image/charset.h"
#include "image/codecs.h"
#include "image/gprs.h"
#include "image/parametertables.h"
#include "image/zonecaptions.h"
#include "image/zonerecord.h"
#include "output.h"

#include <QStringList>

namespace kvt::cli {

namespace {

using image::Document;
using image::ZoneRecord;

class Lines {
public:
    void heading(const QString &text) { m_lines << text; }
    void value(const QString &label, const QString &text)
    {
        const QString caption = label + QLatin1Char(':');
        m_lines << (text.isEmpty()
                        ? QStringLiteral("  ") + caption
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
        out.plain(QStringLiteral("%1 %2").arg(mark, QLatin1String(image::CheckCaptions[n - 1])));
    }
}

QString timeText(const QString &hhmm)
{
    return hhmm.size() == 4 ? hhmm.left(2) + QLatin1Char(':') + hhmm.mid(2) : hhmm;
}

QString zoneLine(int number, const ZoneRecord &zone)
{
    const auto area = image::areaOfAlertOptions(zone.alertOptions);
    const QString areaText = area ? image::areaCaption(*area)
                                  : QStringLiteral("(pattern ")
            + image::decimalToByte(zone.alertOptions).mid(3, 4) + QLatin1Char(')');
    const bool speedAlert = zone.alertOptions & 0x20;
    // Built by joining, not by arg(): the fields may hold any character.
    const QStringList parts = {
        QStringLiteral("Cell-ID ") + zone.cellId,
        QStringLiteral("Cell-ID flags ") + image::decimalToByte(zone.cellIdFlags),
        QStringLiteral("GPS flags ") + image::decimalToByte(zone.gpsFlags),
        QStringLiteral("speed limit ") + zone.speedLimit + QStringLiteral(" knots (")
            + (speedAlert ? QStringLiteral("Alert") : QStringLiteral("No alert"))
            + QLatin1Char(')'),
        timeText(zone.startTime) + QStringLiteral(" to ") + timeText(zone.stopTime)
            + QStringLiteral(" UTC"),
        QStringLiteral("top ") + image::coordinateText(zone.topLatitude, image::Boundary::Top),
        QStringLiteral("bottom ")
            + image::coordinateText(zone.bottomLatitude, image::Boundary::Bottom),
        QStringLiteral("left ") + image::coordinateText(zone.leftLongitude, image::Boundary::Left),
        QStringLiteral("right ")
            + image::coordinateText(zone.rightLongitude, image::Boundary::Right),
        QStringLiteral("no alert if ") + areaText,
    };
    return QStringLiteral("Zone %1: ").arg(number, 2, 10, QLatin1Char('0'))
        + parts.join(QStringLiteral(", "));
}

} // namespace

QString logMemoryCaption(const image::Document &doc)
{
    return image::logMemoryCaption(image::logRecordCount(image::logRecordSize(doc.checks)));
}

QString documentText(const image::Document &doc)
{
    Lines out;
    out.heading(QStringLiteral("Device parameters"));
    for (const image::TextBox &box : image::TextBoxes)
        out.value(QLatin1String(box.label), doc.*(box.text));
    for (const image::ValueBox &box : image::ValueBoxes)
        out.value(QLatin1String(box.label), box.form(doc.*(box.value)));

    out.heading(QStringLiteral("Configuration registers"));
    checkLines(out, doc, 1, image::FirstLogCheck - 1);
    out.heading(logMemoryCaption(doc));
    checkLines(out, doc, image::FirstLogCheck, image::CheckCount);

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
