#pragma once

#include "image/zoneedits.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>

// The values of the JSON form, read one by one with the checks the file
// and the windows impose. A value that is refused throws BadValue, whose
// text names the key and says what is wrong.
namespace kvt::cli {

struct BadValue {
    QString text;
};

[[noreturn]] void refuse(const QString &key, const QString &why);

// "the number 5", "the text \"five\"", "an array", ...
QString describe(const QJsonValue &value);

// Text the unit's Windows-1252 set can hold.
QString readText(const QString &key, const QJsonValue &value);
// A whole number from min to max.
int readWhole(const QString &key, const QJsonValue &value, int min, int max);
// Degrees that survive the trip through the stored word.
double readTemperature(const QString &key, const QJsonValue &value);
// Knots: "030", "30" or 30, stored with three digits.
QString readSpeed(const QString &key, const QJsonValue &value);
// A time of day HHMM.
QString readTime(const QString &key, const QJsonValue &value);
// The digits and hemisphere letter of a coordinate line.
image::CoordinateLine readCoordinate(const QString &key, const QJsonValue &value,
                                     image::Boundary boundary);

// An array of exactly `count` items, or a refusal naming the key.
QJsonArray fixedArray(const QString &key, const QJsonValue &value, int count, const QString &items);
// An object, or a refusal naming the key.
QJsonObject objectValue(const QString &key, const QJsonValue &value);
// Refuses the first key of `object` that is not in `known`, naming it as
// `where` followed by the key.
void refuseUnknownKeys(const QJsonObject &object, const QStringList &known, const QString &where);

} // namespace kvt::cli
