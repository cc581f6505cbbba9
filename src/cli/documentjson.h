#pragma once

#include "image/document.h"
#include "image/zonerecord.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace kvt::cli {

// The document as the JSON object of `kvt show --json`: the parameter
// values, the 32 check states (0/1), the GPRS boxes with the composed
// string, and the 64 zones read field by field.
QJsonObject documentToJson(const image::Document &doc);

// Field f (image::ZoneFieldIndex) of a zone as the JSON form holds it.
QJsonValue zoneFieldToJson(const image::ZoneRecord &zone, int f);

// Changes to a document named by the keys of the JSON form, for `kvt build`
// and `kvt set`. Values are checked as the file and the windows need them:
// unknown keys, wrong types, values the file cannot hold and text outside
// Windows-1252 are refused, with a message that names the key (dotted,
// zones and check boxes counted from 1: "Zones.7.CellId", "Checks.3").
//
// A zone takes the changes of its named fields and is stored by the zone
// editor's rules, line by line: the lines of the fields left alone stay as
// the base document holds them. A value equal to the base's is no change,
// so a zone read from a hand-edited file may be given back as it is.
class DocumentEdit {
public:
    explicit DocumentEdit(const image::Document &base);

    // The whole JSON form: keys left out keep the base's values, GprsFormat
    // is ignored (the unit's string is always composed from the boxes).
    // Nothing, or why the object is refused.
    std::optional<QString> applyJson(const QJsonObject &object);
    // One KEY=VALUE: "SimPin", "Gprs.Apn", "Checks.3", "Zones.7.CellId"...;
    // the value is a text, or a number where the key takes one.
    std::optional<QString> applySetting(const QString &key, const QString &value);

    // The changed document; `warnings` receives what will not be stored
    // or loaded back as given.
    image::Document result(QStringList *warnings) const;

private:
    void setValue(const QString &key, const QJsonValue &value);
    void setCheck(int number, const QJsonValue &value);
    void setGprs(int index, const QJsonValue &value);
    void setZoneField(int zone, int field, const QJsonValue &value);
    void setting(const QString &key, const QString &value);

    image::Document m_base;
    image::Document m_doc;
    std::array<std::optional<image::ZoneRecord>, image::ZoneCount> m_zones;
    QList<std::pair<int, int>> m_zoneFieldsGiven; // zone, field
    QSet<QString> m_settingsGiven;
};

} // namespace kvt::cli
