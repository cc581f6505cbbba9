#include "documentjson.h"

#include "jsonvalues.h"

#include "image/codecs.h"
#include "image/gprs.h"
#include "image/parametertables.h"
#include "image/zoneedits.h"

#include <QJsonArray>
#include <QLocale>

namespace kvt::cli {

namespace {

using image::Document;
using image::ZoneRecord;

// Keys of the top-level object, in the order they are written.
const QStringList DocumentKeys = {
    QStringLiteral("SimPin"),          QStringLiteral("IsdnRecall"),
    QStringLiteral("TempHighAlert"),   QStringLiteral("TempLowAlert"),
    QStringLiteral("TrackingCounter"), QStringLiteral("SmsCatchAlertTimer"),
    QStringLiteral("RtcIntervalUnit"), QStringLiteral("RtcIntervalCounter"),
    QStringLiteral("Checks"),          QStringLiteral("Gprs"),
    QStringLiteral("GprsFormat"),      QStringLiteral("Zones"),
};
const QString ChecksKey = QStringLiteral("Checks");
const QString GprsKey = QStringLiteral("Gprs");
const QString GprsFormatKey = QStringLiteral("GprsFormat");
const QString ZonesKey = QStringLiteral("Zones");

// The zone fields that hold a value of their own, in stored order.
constexpr int ZoneValueFields[] = {
    image::CellIdFlagsField,    image::CellIdField,         image::GpsFlagsField,
    image::SpeedLimitField,     image::StartTimeField,      image::StopTimeField,
    image::TopLatitudeField,    image::BottomLatitudeField, image::LeftLongitudeField,
    image::RightLongitudeField, image::AlertOptionsField,
};

int zoneFieldIndex(const QString &name)
{
    for (int f : ZoneValueFields) {
        if (name == QLatin1String(image::ZoneFields[f].name))
            return f;
    }
    return -1;
}

QStringList zoneFieldNames()
{
    QStringList names;
    for (int f : ZoneValueFields)
        names << QLatin1String(image::ZoneFields[f].name);
    return names;
}

QStringList gprsNames()
{
    QStringList names;
    for (int i = 0; i < image::GprsFieldCount; ++i)
        names << image::gprsFieldName(image::GprsField(i));
    return names;
}

image::Boundary boundaryOf(int field)
{
    return image::Boundary(field - image::TopLatitudeField);
}

// Keys that take a number; the others take a text.
bool takesNumber(const QString &name)
{
    static const QStringList names = {
        QStringLiteral("TempHighAlert"),
        QStringLiteral("TempLowAlert"),
        QStringLiteral("TrackingCounter"),
        QStringLiteral("SmsCatchAlertTimer"),
        QStringLiteral("RtcIntervalUnit"),
        QStringLiteral("RtcIntervalCounter"),
        ChecksKey,
        QStringLiteral("CellIdFlags"),
        QStringLiteral("GpsFlags"),
        QStringLiteral("AlertOptions"),
    };
    return names.contains(name);
}

// The value of KEY=VALUE as the JSON form would hold it.
QJsonValue settingValue(const QString &name, const QString &text)
{
    bool number = false;
    const double value = QLocale::c().toDouble(text, &number);
    return takesNumber(name) && number ? QJsonValue(value) : QJsonValue(text);
}

// A number 1..count from a key part ("7" of "Zones.7.CellId"), else 0.
int ordinal(const QString &part, int count)
{
    bool ok = false;
    const int n = part.toInt(&ok);
    return ok && n >= 1 && n <= count ? n : 0;
}

QString zoneKey(int zone, int field)
{
    return QStringLiteral("%1.%2.%3")
        .arg(ZonesKey)
        .arg(zone)
        .arg(QLatin1String(image::ZoneFields[field].name));
}

QString jsonText(const QJsonValue &value)
{
    return value.isString() ? QLatin1Char('"') + value.toString() + QLatin1Char('"')
                            : QString::number(value.toInteger());
}

} // namespace

QJsonValue zoneFieldToJson(const ZoneRecord &zone, int f)
{
    switch (f) {
    case image::CellIdFlagsField: return zone.cellIdFlags;
    case image::CellIdField: return zone.cellId;
    case image::GpsFlagsField: return zone.gpsFlags;
    case image::SpeedLimitField: return zone.speedLimit;
    case image::StartTimeField: return zone.startTime;
    case image::StopTimeField: return zone.stopTime;
    case image::AlertOptionsField: return zone.alertOptions;
    case image::TopLatitudeField:
    case image::BottomLatitudeField:
    case image::LeftLongitudeField:
    case image::RightLongitudeField: {
        const image::CoordinateLine &line = image::boundaryLine(zone, boundaryOf(f));
        return line.digits + line.hemisphere;
    }
    default: return QJsonValue();
    }
}

QJsonObject documentToJson(const Document &doc)
{
    QJsonArray checks;
    for (int state : doc.checks)
        checks.append(state == image::Ticked ? 1 : 0);

    QJsonObject gprs;
    for (int i = 0; i < image::GprsFieldCount; ++i)
        gprs.insert(image::gprsFieldName(image::GprsField(i)), doc.gprs[i]);

    QJsonArray zones;
    for (const QString &text : doc.zoneTexts) {
        const ZoneRecord zone = ZoneRecord::fromZoneText(text);
        QJsonObject object;
        for (int f : ZoneValueFields)
            object.insert(QLatin1String(image::ZoneFields[f].name), zoneFieldToJson(zone, f));
        zones.append(object);
    }

    QJsonObject object{
        {QStringLiteral("Checks"), checks},
        {GprsKey, gprs},
        {GprsFormatKey, image::composeGprsString(doc.gprs)},
        {ZonesKey, zones},
    };
    for (const image::TextBox &box : image::TextBoxes)
        object.insert(QLatin1String(box.name), doc.*box.text);
    for (const image::ValueBox &box : image::ValueBoxes)
        object.insert(QLatin1String(box.key), doc.*box.value);
    return object;
}

DocumentEdit::DocumentEdit(const Document &base) : m_base(base), m_doc(base) {}

void DocumentEdit::setValue(const QString &key, const QJsonValue &value)
{
    for (const image::TextBox &box : image::TextBoxes) {
        if (key != QLatin1String(box.name))
            continue;
        const QString text = readText(key, value);
        // The PIN box holds no more; a longer ISDN number is stored cut (a warning).
        if (box.text == &Document::simPin && text.size() > box.maxLength)
            refuse(key, QStringLiteral("at most %1 characters").arg(box.maxLength));
        m_doc.*box.text = text;
        return;
    }
    for (const image::ValueBox &box : image::ValueBoxes) {
        if (key != QLatin1String(box.key))
            continue;
        m_doc.*box.value = box.form == image::temperatureText ? readTemperature(key, value)
                                                              : readWhole(key, value, 0, 255);
        return;
    }
    refuse(key, QStringLiteral("unknown key"));
}

void DocumentEdit::setCheck(int number, const QJsonValue &value)
{
    m_doc.check(number) = readWhole(QStringLiteral("%1.%2").arg(ChecksKey).arg(number), value, 0,
                                    1);
}

void DocumentEdit::setGprs(int index, const QJsonValue &value)
{
    const QString key = GprsKey + QLatin1Char('.') + image::gprsFieldName(image::GprsField(index));
    const QString text = readText(key, value);
    // A carriage return would end the GPRS line and break the file.
    if (text.contains(QLatin1Char('\r')))
        refuse(key, QStringLiteral("a carriage return cannot be stored in a GPRS line"));
    m_doc.gprs[index] = text;
}

void DocumentEdit::setZoneField(int zone, int field, const QJsonValue &value)
{
    const ZoneRecord base = ZoneRecord::fromZoneText(m_base.zoneTexts[zone - 1]);
    std::optional<ZoneRecord> &record = m_zones[zone - 1];
    if (!record)
        record = base;
    // What the base holds is taken as it is, even where the zone editor
    // could not show it (a hand-edited file).
    const QJsonValue before = zoneFieldToJson(base, field);
    if (value.type() == before.type()
        && (value.isDouble() ? value.toDouble() == before.toDouble() : value == before))
        return;
    const QString key = zoneKey(zone, field);
    switch (field) {
    case image::CellIdFlagsField: record->cellIdFlags = readWhole(key, value, 0, 255); break;
    case image::CellIdField: record->cellId = readText(key, value); break;
    case image::GpsFlagsField: record->gpsFlags = readWhole(key, value, 0, 255); break;
    case image::SpeedLimitField: record->speedLimit = readSpeed(key, value); break;
    case image::StartTimeField: record->startTime = readTime(key, value); break;
    case image::StopTimeField: record->stopTime = readTime(key, value); break;
    case image::AlertOptionsField: record->alertOptions = readWhole(key, value, 0, 255); break;
    default:
        image::boundaryLine(*record, boundaryOf(field)) = readCoordinate(key, value,
                                                                         boundaryOf(field));
        break;
    }
    m_zoneFieldsGiven.append({zone, field});
}

std::optional<QString> DocumentEdit::applyJson(const QJsonObject &object)
{
    try {
        refuseUnknownKeys(object, DocumentKeys, QString());
        for (const QString &key : DocumentKeys) {
            const auto it = object.find(key);
            if (it == object.end() || key == GprsFormatKey)
                continue;
            if (key == ChecksKey) {
                const QJsonArray array = fixedArray(key, *it, image::CheckCount,
                                                    QStringLiteral("numbers 0 or 1"));
                for (int i = 0; i < image::CheckCount; ++i)
                    setCheck(i + 1, array[i]);
            } else if (key == GprsKey) {
                const QJsonObject gprs = objectValue(key, *it);
                const QStringList names = gprsNames();
                refuseUnknownKeys(gprs, names, GprsKey + QLatin1Char('.'));
                for (int i = 0; i < image::GprsFieldCount; ++i) {
                    if (gprs.contains(names[i]))
                        setGprs(i, gprs.value(names[i]));
                }
            } else if (key == ZonesKey) {
                const QJsonArray zones = fixedArray(key, *it, image::ZoneCount,
                                                    QStringLiteral("zones"));
                for (int zone = 1; zone <= image::ZoneCount; ++zone) {
                    const QString where = QStringLiteral("%1.%2").arg(ZonesKey).arg(zone);
                    const QJsonObject fields = objectValue(where, zones[zone - 1]);
                    refuseUnknownKeys(fields, zoneFieldNames(), where + QLatin1Char('.'));
                    for (int f : ZoneValueFields) {
                        const auto field = fields.find(QLatin1String(image::ZoneFields[f].name));
                        if (field != fields.end())
                            setZoneField(zone, f, *field);
                    }
                }
            } else {
                setValue(key, *it);
            }
        }
    } catch (const BadValue &bad) {
        return bad.text;
    }
    return std::nullopt;
}

std::optional<QString> DocumentEdit::applySetting(const QString &key, const QString &value)
{
    try {
        setting(key, value);
    } catch (const BadValue &bad) {
        return bad.text;
    }
    return std::nullopt;
}

void DocumentEdit::setting(const QString &key, const QString &value)
{
    const QStringList parts = key.split(QLatin1Char('.'));
    const QString &head = parts.first();
    QString named = key; // the key as the messages write it
    const auto once = [this, &named] {
        if (m_settingsGiven.contains(named))
            refuse(named, QStringLiteral("given twice"));
        m_settingsGiven.insert(named);
    };
    if (head == ChecksKey) {
        const int number = parts.size() == 2 ? ordinal(parts[1], image::CheckCount) : 0;
        if (!number)
            refuse(
                key,
                QStringLiteral("name one check box, Checks.1 to Checks.%1").arg(image::CheckCount));
        named = QStringLiteral("%1.%2").arg(ChecksKey).arg(number);
        once();
        setCheck(number, settingValue(ChecksKey, value));
    } else if (head == GprsKey) {
        const int index = parts.size() == 2 ? int(gprsNames().indexOf(parts[1])) : -1;
        if (index < 0)
            refuse(key,
                   QStringLiteral("name one GPRS box: Gprs.")
                       + gprsNames().join(QStringLiteral(", Gprs.")));
        once();
        setGprs(index, settingValue(parts[1], value));
    } else if (head == ZonesKey) {
        const int zone = parts.size() == 3 ? ordinal(parts[1], image::ZoneCount) : 0;
        const int field = parts.size() == 3 ? zoneFieldIndex(parts[2]) : -1;
        if (!zone || field < 0) {
            refuse(key,
                   QStringLiteral("name a zone from 1 to %1 and one of its fields: %2")
                       .arg(image::ZoneCount)
                       .arg(zoneFieldNames().join(QStringLiteral(", "))));
        }
        named = zoneKey(zone, field);
        once();
        setZoneField(zone, field, settingValue(parts[2], value));
    } else if (head == GprsFormatKey && parts.size() == 1) {
        refuse(key,
               QStringLiteral("the unit's GPRS string is composed from the Gprs boxes; set those"));
    } else {
        if (parts.size() != 1)
            refuse(key, QStringLiteral("unknown key"));
        once();
        setValue(key, settingValue(key, value));
    }
}

Document DocumentEdit::result(QStringList *warnings) const
{
    Document doc = m_doc;
    const auto warn = [warnings](const QString &text) {
        if (warnings)
            warnings->append(text);
    };
    for (int zone = 1; zone <= image::ZoneCount; ++zone) {
        const std::optional<ZoneRecord> &record = m_zones[zone - 1];
        const QString &stored = m_base.zoneTexts[zone - 1];
        if (!record || *record == ZoneRecord::fromZoneText(stored))
            continue;
        bool whole = false;
        doc.zoneTexts[zone - 1] = record->patchedZoneText(stored, zone, &whole);
        if (whole) {
            warn(QStringLiteral("%1.%2: its lines do not stand where the zone editor reads them; "
                                "the whole zone is written anew")
                     .arg(ZonesKey)
                     .arg(zone));
        }
        const ZoneRecord written = ZoneRecord::fromZoneText(doc.zoneTexts[zone - 1]);
        for (const auto &[z, f] : m_zoneFieldsGiven) {
            if (z == zone && !written.sameField(*record, f)) {
                warn(QStringLiteral("%1: stored as %2, as the zone editor stores it")
                         .arg(zoneKey(zone, f), jsonText(zoneFieldToJson(written, f))));
            }
        }
    }

    const auto dropsX = [&](const QString &text, const QString &before, const char *key) {
        if (text != before && text.contains(QLatin1Char('X')))
            warn(QStringLiteral("%1: every \"X\" is dropped when the file is loaded")
                     .arg(QLatin1String(key)));
    };
    dropsX(doc.simPin, m_base.simPin, "SimPin");
    dropsX(doc.isdnRecall, m_base.isdnRecall, "IsdnRecall");
    if (doc.isdnRecall != m_base.isdnRecall
        && doc.isdnRecall.size() > image::TextBoxes[1].maxLength) {
        warn(QStringLiteral("IsdnRecall: only the first %1 characters are stored")
                 .arg(image::TextBoxes[1].maxLength));
    }
    const qsizetype length = image::composedGprsLength(doc.gprs);
    if (doc.gprs != m_base.gprs && length > image::GprsStringLimit) {
        warn(QStringLiteral("the GPRS string has %1 characters; the unit takes at most %2 and "
                            "only the first %3 are stored")
                 .arg(length)
                 .arg(image::GprsStringLimit)
                 .arg(image::GprsFormatMax));
    }
    return doc;
}

} // namespace kvt::cli
