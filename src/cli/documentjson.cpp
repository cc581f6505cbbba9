#include "documentjson.h"

#include "image/charset.h"
#include "image/codecs.h"
#include "image/gprs.h"
#include "image/zonerecord.h"

#include <QJsonArray>
#include <QJsonValue>

#include <cmath>

namespace kvt::cli {

namespace {

using image::Document;
using image::CoordinateLine;
using image::ZoneRecord;

// Keys of the top-level object and of one zone, in the order they are written.
const QStringList DocumentKeys = {
    QStringLiteral("SimPin"), QStringLiteral("IsdnRecall"),
    QStringLiteral("TempHighAlert"), QStringLiteral("TempLowAlert"),
    QStringLiteral("TrackingCounter"), QStringLiteral("SmsCatchAlertTimer"),
    QStringLiteral("RtcIntervalUnit"), QStringLiteral("RtcIntervalCounter"),
    QStringLiteral("Checks"), QStringLiteral("Gprs"), QStringLiteral("GprsFormat"),
    QStringLiteral("Zones"),
};

const QStringList ZoneKeys = {
    QStringLiteral("CellIdFlags"), QStringLiteral("CellId"), QStringLiteral("GpsFlags"),
    QStringLiteral("SpeedLimit"), QStringLiteral("StartTime"), QStringLiteral("StopTime"),
    QStringLiteral("TopLatitude"), QStringLiteral("BottomLatitude"),
    QStringLiteral("LeftLongitude"), QStringLiteral("RightLongitude"),
    QStringLiteral("AlertOptions"),
};

// The four coordinate lines of a zone with their key, digit count and
// hemisphere letters.
struct CoordinateField {
    const char *key;
    CoordinateLine ZoneRecord::*line;
    int digits;
    char hemispheres[2];
};

constexpr CoordinateField CoordinateFields[] = {
    {"TopLatitude", &ZoneRecord::topLatitude, 9, {'N', 'S'}},
    {"BottomLatitude", &ZoneRecord::bottomLatitude, 9, {'N', 'S'}},
    {"LeftLongitude", &ZoneRecord::leftLongitude, 10, {'E', 'W'}},
    {"RightLongitude", &ZoneRecord::rightLongitude, 10, {'E', 'W'}},
};

QJsonObject zoneToJson(const ZoneRecord &zone)
{
    QJsonObject object{
        {QStringLiteral("CellIdFlags"), zone.cellIdFlags},
        {QStringLiteral("CellId"), zone.cellId},
        {QStringLiteral("GpsFlags"), zone.gpsFlags},
        {QStringLiteral("SpeedLimit"), zone.speedLimit},
        {QStringLiteral("StartTime"), zone.startTime},
        {QStringLiteral("StopTime"), zone.stopTime},
        {QStringLiteral("AlertOptions"), zone.alertOptions},
    };
    for (const CoordinateField &field : CoordinateFields) {
        const CoordinateLine &line = zone.*field.line;
        object.insert(QLatin1String(field.key), line.digits + line.hemisphere);
    }
    return object;
}

// A refused key or value; caught in documentFromJson.
struct BadValue {
    QString text;
};

[[noreturn]] void refuse(const QString &key, const QString &why)
{
    throw BadValue{QStringLiteral("%1: %2").arg(key, why)};
}

void refuseUnknownKeys(const QJsonObject &object, const QStringList &known, const QString &where)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!known.contains(it.key()))
            refuse(where + it.key(), QStringLiteral("unknown key"));
    }
}

QString describe(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Bool: return QStringLiteral("a true/false value");
    case QJsonValue::Double: return QStringLiteral("the number %1").arg(image::formatNumber(value.toDouble()));
    case QJsonValue::String: return QStringLiteral("a text");
    case QJsonValue::Array: return QStringLiteral("an array");
    case QJsonValue::Object: return QStringLiteral("an object");
    case QJsonValue::Undefined: break;
    }
    return QStringLiteral("nothing");
}

void requireEncodable(const QString &key, QStringView text)
{
    if (image::isEncodable(text))
        return;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (image::charCode(text[i]) >= 0)
            continue;
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size()
                          && text[i + 1].isLowSurrogate();
        refuse(key, QStringLiteral("\"%1\" has no code in the Windows-1252 character set "
                                   "and cannot be stored")
                        .arg(text.mid(i, pair ? 2 : 1)));
    }
    refuse(key, QStringLiteral("the text cannot be stored in the Windows-1252 character set"));
}

QString readText(const QString &key, const QJsonValue &value)
{
    if (!value.isString())
        refuse(key, QStringLiteral("expected a text, found %1").arg(describe(value)));
    const QString text = value.toString();
    requireEncodable(key, text);
    return text;
}

int readWhole(const QString &key, const QJsonValue &value, int min, int max)
{
    if (!value.isDouble())
        refuse(key, QStringLiteral("expected a number, found %1").arg(describe(value)));
    const double number = value.toDouble();
    if (number != std::floor(number) || number < min || number > max) {
        refuse(key, QStringLiteral("%1 is not a whole number from %2 to %3")
                        .arg(image::formatNumber(number)).arg(min).arg(max));
    }
    return int(number);
}

// A threshold must survive the trip through its 16-bit word: sixteenths of
// a degree that read back as the same value.
double readTemperature(const QString &key, const QJsonValue &value)
{
    if (!value.isDouble())
        refuse(key, QStringLiteral("expected a number of degrees, found %1").arg(describe(value)));
    const double celsius = value.toDouble();
    if (!(celsius > -4096 && celsius < 4096)
        || image::wordToTemperature(image::temperatureToWord(celsius)) != celsius) {
        refuse(key, QStringLiteral("%1 cannot be stored: a threshold is a multiple of 0.0625 "
                                   "from -3968 to 127.9375 (the configurator steps from -55 "
                                   "to 125 by 0.5)")
                        .arg(image::formatNumber(celsius)));
    }
    return celsius;
}

// An array of exactly `count` items, or a refusal naming the key.
QJsonArray fixedArray(const QString &key, const QJsonValue &value, int count, const QString &items)
{
    if (!value.isArray())
        refuse(key, QStringLiteral("expected an array of %1 %2, found %3")
                        .arg(count).arg(items, describe(value)));
    const QJsonArray array = value.toArray();
    if (array.size() != count)
        refuse(key, QStringLiteral("expected %1 %2, found %3").arg(count).arg(items).arg(array.size()));
    return array;
}

void readChecks(const QJsonValue &value, Document &doc)
{
    const QString key = QStringLiteral("Checks");
    const QJsonArray array = fixedArray(key, value, image::CheckCount, QStringLiteral("numbers 0 or 1"));
    for (int i = 0; i < image::CheckCount; ++i)
        doc.checks[i] = readWhole(QStringLiteral("Checks[%1]").arg(i), array[i], 0, 1);
}

void readGprs(const QJsonValue &value, Document &doc)
{
    if (!value.isObject())
        refuse(QStringLiteral("Gprs"), QStringLiteral("expected an object, found %1").arg(describe(value)));
    const QJsonObject object = value.toObject();
    QStringList names;
    for (int i = 0; i < image::GprsFieldCount; ++i)
        names << image::gprsFieldName(image::GprsField(i));
    refuseUnknownKeys(object, names, QStringLiteral("Gprs."));
    for (int i = 0; i < image::GprsFieldCount; ++i) {
        const auto it = object.find(names[i]);
        if (it == object.end())
            continue;
        const QString key = QStringLiteral("Gprs.") + names[i];
        const QString text = readText(key, *it);
        // A carriage return would end the GPRS line and break the file.
        if (text.contains(QLatin1Char('\r')))
            refuse(key, QStringLiteral("a carriage return cannot be stored in a GPRS line"));
        doc.gprs[i] = text;
    }
}

bool allDigits(QStringView text)
{
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

QString readSpeed(const QString &key, const QJsonValue &value)
{
    if (value.isDouble())
        return QString::number(readWhole(key, value, 0, 999)).rightJustified(3, QLatin1Char('0'));
    if (!value.isString())
        refuse(key, QStringLiteral("expected a text of three digits, found %1").arg(describe(value)));
    const QString text = value.toString();
    if (text.isEmpty() || text.size() > 3 || !allDigits(text))
        refuse(key, QStringLiteral("\"%1\" is not a speed of 000 to 999 knots").arg(text));
    return text.rightJustified(3, QLatin1Char('0'));
}

QString readTime(const QString &key, const QJsonValue &value)
{
    if (!value.isString())
        refuse(key, QStringLiteral("expected a text HHMM, found %1").arg(describe(value)));
    const QString text = value.toString();
    if (text.size() != 4 || !allDigits(text) || QStringView(text).left(2).toInt() > 23
        || QStringView(text).mid(2).toInt() > 59) {
        refuse(key, QStringLiteral("\"%1\" is not a time of day HHMM from 0000 to 2359").arg(text));
    }
    return text;
}

CoordinateLine readCoordinate(const QString &key, const QJsonValue &value,
                              const CoordinateField &field)
{
    const QString form = QStringLiteral("%1 digits then %2 or %3")
                             .arg(field.digits)
                             .arg(QLatin1Char(field.hemispheres[0]))
                             .arg(QLatin1Char(field.hemispheres[1]));
    if (!value.isString())
        refuse(key, QStringLiteral("expected a text of %1, found %2").arg(form, describe(value)));
    const QString text = value.toString();
    const QChar last = text.isEmpty() ? QChar() : text.back();
    if (text.size() != field.digits + 1 || !allDigits(QStringView(text).chopped(1))
        || (last != QLatin1Char(field.hemispheres[0]) && last != QLatin1Char(field.hemispheres[1]))) {
        refuse(key, QStringLiteral("\"%1\" is not %2").arg(text, form));
    }
    return CoordinateLine{text.chopped(1), last};
}

ZoneRecord readZone(const QString &where, const QJsonValue &value, ZoneRecord zone)
{
    if (!value.isObject())
        refuse(where, QStringLiteral("expected an object, found %1").arg(describe(value)));
    const QJsonObject object = value.toObject();
    refuseUnknownKeys(object, ZoneKeys, where + QLatin1Char('.'));
    const auto key = [&](const char *name) { return where + QLatin1Char('.') + QLatin1String(name); };
    const auto has = [&](const char *name) { return object.contains(QLatin1String(name)); };
    const auto at = [&](const char *name) { return object.value(QLatin1String(name)); };

    if (has("CellIdFlags"))
        zone.cellIdFlags = readWhole(key("CellIdFlags"), at("CellIdFlags"), 0, 255);
    if (has("CellId"))
        zone.cellId = readText(key("CellId"), at("CellId"));
    if (has("GpsFlags"))
        zone.gpsFlags = readWhole(key("GpsFlags"), at("GpsFlags"), 0, 255);
    if (has("SpeedLimit"))
        zone.speedLimit = readSpeed(key("SpeedLimit"), at("SpeedLimit"));
    if (has("StartTime"))
        zone.startTime = readTime(key("StartTime"), at("StartTime"));
    if (has("StopTime"))
        zone.stopTime = readTime(key("StopTime"), at("StopTime"));
    for (const CoordinateField &field : CoordinateFields) {
        if (has(field.key))
            zone.*field.line = readCoordinate(key(field.key), at(field.key), field);
    }
    if (has("AlertOptions"))
        zone.alertOptions = readWhole(key("AlertOptions"), at("AlertOptions"), 0, 255);
    return zone;
}

void readZones(const QJsonValue &value, Document &doc)
{
    const QString key = QStringLiteral("Zones");
    const QJsonArray array = fixedArray(key, value, image::ZoneCount, QStringLiteral("zones"));
    for (int i = 0; i < image::ZoneCount; ++i) {
        const ZoneRecord start = ZoneRecord::fromZoneText(doc.zoneTexts[i]);
        const ZoneRecord zone = readZone(QStringLiteral("Zones[%1]").arg(i), array[i], start);
        doc.zoneTexts[i] = zone.toZoneText(i + 1);
    }
}

} // namespace

QJsonObject documentToJson(const image::Document &doc)
{
    QJsonArray checks;
    for (int state : doc.checks)
        checks.append(state == image::Ticked ? 1 : 0);

    QJsonObject gprs;
    for (int i = 0; i < image::GprsFieldCount; ++i)
        gprs.insert(image::gprsFieldName(image::GprsField(i)), doc.gprs[i]);

    QJsonArray zones;
    for (const QString &text : doc.zoneTexts)
        zones.append(zoneToJson(ZoneRecord::fromZoneText(text)));

    return QJsonObject{
        {QStringLiteral("SimPin"), doc.simPin},
        {QStringLiteral("IsdnRecall"), doc.isdnRecall},
        {QStringLiteral("TempHighAlert"), doc.tempHighAlert},
        {QStringLiteral("TempLowAlert"), doc.tempLowAlert},
        {QStringLiteral("TrackingCounter"), doc.trackingCounter},
        {QStringLiteral("SmsCatchAlertTimer"), doc.smsCatchAlertTimer},
        {QStringLiteral("RtcIntervalUnit"), doc.rtcIntervalUnit},
        {QStringLiteral("RtcIntervalCounter"), doc.rtcIntervalCounter},
        {QStringLiteral("Checks"), checks},
        {QStringLiteral("Gprs"), gprs},
        {QStringLiteral("GprsFormat"), image::composeGprsString(doc.gprs)},
        {QStringLiteral("Zones"), zones},
    };
}

std::optional<image::Document> documentFromJson(const QJsonObject &object, QString *error)
{
    Document doc = image::startupDocument();
    try {
        refuseUnknownKeys(object, DocumentKeys, QString());
        const auto has = [&](const char *name) { return object.contains(QLatin1String(name)); };
        const auto at = [&](const char *name) { return object.value(QLatin1String(name)); };

        if (has("SimPin")) {
            doc.simPin = readText(QStringLiteral("SimPin"), at("SimPin"));
            if (doc.simPin.size() > 8)
                refuse(QStringLiteral("SimPin"), QStringLiteral("at most 8 characters"));
        }
        if (has("IsdnRecall"))
            doc.isdnRecall = readText(QStringLiteral("IsdnRecall"), at("IsdnRecall"));
        if (has("TempHighAlert"))
            doc.tempHighAlert = readTemperature(QStringLiteral("TempHighAlert"), at("TempHighAlert"));
        if (has("TempLowAlert"))
            doc.tempLowAlert = readTemperature(QStringLiteral("TempLowAlert"), at("TempLowAlert"));
        if (has("TrackingCounter"))
            doc.trackingCounter = readWhole(QStringLiteral("TrackingCounter"), at("TrackingCounter"), 0, 255);
        if (has("SmsCatchAlertTimer"))
            doc.smsCatchAlertTimer = readWhole(QStringLiteral("SmsCatchAlertTimer"), at("SmsCatchAlertTimer"), 0, 255);
        if (has("RtcIntervalUnit"))
            doc.rtcIntervalUnit = readWhole(QStringLiteral("RtcIntervalUnit"), at("RtcIntervalUnit"), 0, 255);
        if (has("RtcIntervalCounter"))
            doc.rtcIntervalCounter = readWhole(QStringLiteral("RtcIntervalCounter"), at("RtcIntervalCounter"), 0, 255);
        if (has("Checks"))
            readChecks(at("Checks"), doc);
        if (has("Gprs"))
            readGprs(at("Gprs"), doc);
        if (has("Zones"))
            readZones(at("Zones"), doc);
    } catch (const BadValue &bad) {
        if (error)
            *error = bad.text;
        return std::nullopt;
    }
    return doc;
}

} // namespace kvt::cli
