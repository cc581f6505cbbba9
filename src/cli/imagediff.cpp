#include "imagediff.h"

#include "image/charset.h"
#include "image/encoder.h"
#include "image/gprs.h"
#include "image/parametertables.h"
#include "image/zonecaptions.h"

namespace kvt::cli {

namespace {

using image::Document;
using image::StoredImage;
using image::ZoneRecord;

// A value that a group of lines holds, as both files show it.
struct Item {
    QString key;
    QString label;
    QString a;
    QString b;
};

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

// `frame "caption"`, with the box's name where the caption is not unique.
QString checkLabel(const QString &frame, const char *caption, const QString &box)
{
    const QString text = frame + QStringLiteral(" \"") + QLatin1String(caption) + QLatin1Char('"');
    return qstrcmp(caption, "Reserved") == 0 ? text + QStringLiteral(" (") + box + QLatin1Char(')')
                                             : text;
}

class Comparison {
public:
    Comparison(const StoredImage &a, const StoredImage &b) : m_a(a), m_b(b) {}

    // Lines that hold values: the values that differ or, when none does,
    // the lines that differ, each named `name`. True when a value differs.
    bool group(StoredImage::Span a, StoredImage::Span b, const QList<Item> &items,
               const QString &name)
    {
        bool valueDiffers = false;
        for (const Item &item : items) {
            if (item.a == item.b)
                continue;
            m_result.append({a.first + 1, item.key, item.label, item.a, item.b});
            valueDiffers = true;
        }
        if (!valueDiffers)
            lines(a, b, name);
        return valueDiffers;
    }

    // Lines compared one by one, position by position.
    void lines(StoredImage::Span a, StoredImage::Span b, const QString &name)
    {
        for (qsizetype k = 0; k < std::max(a.count, b.count); ++k) {
            const auto lineA = k < a.count ? std::optional(m_a.line(a.first + k)) : std::nullopt;
            const auto lineB = k < b.count ? std::optional(m_b.line(b.first + k)) : std::nullopt;
            if (lineA == lineB)
                continue;
            const auto text = [](const std::optional<QByteArray> &line) {
                return line ? std::optional(image::fromWindows1252(*line)) : std::nullopt;
            };
            m_result.append(
                {(lineA ? a.first : b.first) + k + 1, QString(), name, text(lineA), text(lineB)});
        }
    }

    void add(Difference difference) { m_result.append(std::move(difference)); }
    const QList<Difference> &result() const { return m_result; }

private:
    const StoredImage &m_a;
    const StoredImage &m_b;
    QList<Difference> m_result;
};

// The values of one parameter field (image::ParameterFields[index]) and
// the name of its lines.
QList<Item> parameterItems(int index, const Document &a, const Document &b, QString *name)
{
    const QString key = QLatin1String(image::ParameterFields[index].name);
    for (const image::TextBox &box : image::TextBoxes) {
        if (key == QLatin1String(box.name)) {
            *name = QLatin1String(box.label);
            return {{key, *name, a.*box.text, b.*box.text}};
        }
    }
    for (const image::ValueBox &box : image::ValueBoxes) {
        if (key == QLatin1String(box.key)) {
            *name = QLatin1String(box.label);
            return {{key, *name, box.form(a.*box.value), box.form(b.*box.value)}};
        }
    }
    if (index < image::FirstRegisterField) {
        *name = QStringLiteral("reserved");
        return {};
    }
    const int first = 8 * (index - image::FirstRegisterField) + 1;
    const bool log = first >= image::FirstLogCheck;
    *name = QStringLiteral("Check%1 to Check%2").arg(first).arg(first + 7);
    QList<Item> items;
    for (int n = first; n < first + 8; ++n) {
        const QString label = checkLabel(
            log ? QStringLiteral("LOG memory") : QStringLiteral("Register"),
            image::CheckCaptions[n - 1], QStringLiteral("Check%1").arg(n));
        items.append({QStringLiteral("Checks.%1").arg(n), label, onOff(a.check(n) == image::Ticked),
                      onOff(b.check(n) == image::Ticked)});
    }
    return items;
}

// The values of one field (image::ZoneFieldIndex) of zone `zone`.
QList<Item> zoneItems(int zone, int field, const ZoneRecord &a, const ZoneRecord &b)
{
    const QString prefix = QStringLiteral("Zone %1 ").arg(zone, 2, 10, QLatin1Char('0'));
    const QString key =
        QStringLiteral("Zones.%1.%2").arg(zone).arg(QLatin1String(image::ZoneFields[field].name));
    const auto item = [&](const char *label, const QString &textA, const QString &textB) {
        return Item{key, prefix + QLatin1String(label), textA, textB};
    };
    const auto flags = [&](int first) {
        QList<Item> items;
        for (int f = first; f < first + 8; ++f) {
            const QString label = checkLabel(
                prefix.chopped(1), image::ZoneFlagCaptions[f],
                QStringLiteral("Check%1").arg(f + 1, 2, 10, QLatin1Char('0')));
            items.append({key, label, onOff(image::flag(a, f)), onOff(image::flag(b, f))});
        }
        return items;
    };
    const auto alert = [](const ZoneRecord &r) {
        return QLatin1String(image::speedAlert(r) ? image::AlertCaption : image::NoAlertCaption);
    };
    switch (field) {
    case image::CellIdFlagsField: return flags(0);
    case image::GpsFlagsField: return flags(8);
    case image::CellIdField: return {item(image::CellIdLabel, a.cellId, b.cellId)};
    case image::SpeedLimitField:
        return {item(image::SpeedLimitLabel, image::speedText(a), image::speedText(b))};
    case image::StartTimeField:
        return {item(image::StartTimeLabel, timeText(a, image::Clock::Start),
                     timeText(b, image::Clock::Start))};
    case image::StopTimeField:
        return {item(image::StopTimeLabel, timeText(a, image::Clock::Stop),
                     timeText(b, image::Clock::Stop))};
    case image::AlertOptionsField:
        return {item(image::AreaFrameTitle, image::areaCaption(image::shownArea(a)),
                     image::areaCaption(image::shownArea(b))),
                item(image::SpeedAlertFrameTitle, alert(a), alert(b))};
    case image::TopLatitudeField:
    case image::BottomLatitudeField:
    case image::LeftLongitudeField:
    case image::RightLongitudeField: {
        const auto boundary = image::Boundary(field - image::TopLatitudeField);
        return {item(image::BoundaryTitles[int(boundary)],
                     image::coordinateText(image::boundaryLine(a, boundary), boundary),
                     image::coordinateText(image::boundaryLine(b, boundary), boundary))};
    }
    default: return {};
    }
}

void compareZone(Comparison &comparison, int zone, const StoredImage &a, const StoredImage &b)
{
    const ZoneRecord recordA = ZoneRecord::fromZoneText(a.document().zoneTexts[zone - 1]);
    const ZoneRecord recordB = ZoneRecord::fromZoneText(b.document().zoneTexts[zone - 1]);
    const qsizetype first = a.zoneSpan(zone).first;
    // AlertOptionsCopy that repeats AlertOptions in both files changes with it.
    const auto copyFollows = [first](const StoredImage &image) {
        const qsizetype alert = first + image::ZoneFields[image::AlertOptionsField].firstLine;
        return image.line(alert).mid(6) == image.line(alert + 1).mid(6);
    };
    bool alertDiffers = false;
    for (int f = 0; f < image::ZoneFieldCount; ++f) {
        if (f == image::AlertOptionsCopyField && alertDiffers && copyFollows(a) && copyFollows(b))
            continue;
        const image::ZoneField &field = image::ZoneFields[f];
        const StoredImage::Span lines{first + field.firstLine, field.lineCount};
        const bool differs = comparison.group(lines, lines, zoneItems(zone, f, recordA, recordB),
                                              QStringLiteral("Zone %1 %2")
                                                  .arg(zone, 2, 10, QLatin1Char('0'))
                                                  .arg(QLatin1String(field.name)));
        alertDiffers = alertDiffers || (f == image::AlertOptionsField && differs);
    }
}

} // namespace

QList<Difference> imageDifferences(const StoredImage &a, const StoredImage &b)
{
    Comparison comparison(a, b);
    if (a.bytes() == b.bytes())
        return {};
    const Document &docA = a.document();
    const Document &docB = b.document();

    for (int i = 0; i < int(image::ParameterFields.size()); ++i) {
        const image::ParameterField &field = image::ParameterFields[i];
        QString name;
        const QList<Item> items = parameterItems(i, docA, docB, &name);
        comparison.group({field.firstLine, field.lineCount}, {field.firstLine, field.lineCount},
                         items, name);
    }

    for (int zone = 1; zone <= image::ZoneCount; ++zone)
        compareZone(comparison, zone, a, b); // equal zones have equal lines: nothing to say

    // Bank 065 as the boxes compose it is told by the GPRS lines below.
    const auto bankA = a.span(StoredImage::GprsBank);
    const auto bankB = b.span(StoredImage::GprsBank);
    if (!(a.gprsBankAgrees() && b.gprsBankAgrees())) {
        const QString stringA = a.storedGprsString();
        const QString stringB = b.storedGprsString();
        if (stringA != stringB)
            comparison.add({bankA.first + 1, QString(), QStringLiteral("bank 065 GPRS string"),
                            stringA, stringB});
        else
            comparison.lines(bankA, bankB, QStringLiteral("bank 065"));
    }

    const auto gprsA = a.span(StoredImage::GprsLines);
    const auto gprsB = b.span(StoredImage::GprsLines);
    for (int i = 0; i < image::GprsFieldCount; ++i) {
        const auto field = image::GprsField(i);
        const QString label = QStringLiteral("GPRS ") + image::gprsFieldLabel(field);
        comparison.group({gprsA.first + i, 1}, {gprsB.first + i, 1},
                         {{QStringLiteral("Gprs.") + image::gprsFieldName(field), label,
                           docA.gprs[i], docB.gprs[i]}},
                         label);
    }
    comparison.lines(a.span(StoredImage::Tail), b.span(StoredImage::Tail),
                     QStringLiteral("after the GPRS lines"));
    return comparison.result();
}

QString differenceText(const Difference &difference)
{
    const auto shown = [](const std::optional<QString> &value) {
        if (!value)
            return QStringLiteral("(none)");
        return value->isEmpty() ? QStringLiteral("(empty)") : *value;
    };
    const QString change = shown(difference.a) + QStringLiteral(" -> ") + shown(difference.b);
    if (difference.storedOnly())
        return QStringLiteral("Line %1 (%2): ").arg(difference.line).arg(difference.label) + change;
    return difference.label + QStringLiteral(": ") + change;
}

QJsonObject differenceToJson(const Difference &difference)
{
    const auto value = [](const std::optional<QString> &text) {
        return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
    };
    return QJsonObject{
        {QStringLiteral("line"), difference.line},
        {QStringLiteral("key"),
         difference.storedOnly() ? QJsonValue(QJsonValue::Null) : QJsonValue(difference.key)},
        {QStringLiteral("label"), difference.label},
        {QStringLiteral("a"), value(difference.a)},
        {QStringLiteral("b"), value(difference.b)},
    };
}

} // namespace kvt::cli
