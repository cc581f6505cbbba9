#include "jsonvalues.h"

#include "output.h"

#include "image/charset.h"
#include "image/codecs.h"
#include "image/memoryline.h"

#include <QJsonObject>

#include <cmath>

namespace kvt::cli {

namespace {

bool allDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

void requireEncodable(const QString &key, QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (image::charCode(text[i]) >= 0)
            continue;
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size()
            && text[i + 1].isLowSurrogate();
        refuse(key,
               QStringLiteral("\"%1\" has no code in the Windows-1252 character set "
                              "and cannot be stored")
                   .arg(visible(text.mid(i, pair ? 2 : 1).toString())));
    }
}

// A text value quoted for a message.
QString quoted(const QString &text)
{
    return QLatin1Char('"') + visible(text) + QLatin1Char('"');
}

} // namespace

void refuse(const QString &key, const QString &why)
{
    throw BadValue{QStringLiteral("%1: %2").arg(key, why)};
}

QString describe(const QJsonValue &value)
{
    switch (value.type()) {
    case QJsonValue::Null: return QStringLiteral("null");
    case QJsonValue::Bool: return QStringLiteral("a true/false value");
    case QJsonValue::Double:
        return QStringLiteral("the number %1").arg(image::formatNumber(value.toDouble()));
    case QJsonValue::String: return QStringLiteral("the text ") + quoted(value.toString());
    case QJsonValue::Array: return QStringLiteral("an array");
    case QJsonValue::Object: return QStringLiteral("an object");
    case QJsonValue::Undefined: break;
    }
    return QStringLiteral("nothing");
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
        refuse(key,
               QStringLiteral("%1 is not a whole number from %2 to %3")
                   .arg(image::formatNumber(number))
                   .arg(min)
                   .arg(max));
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
        refuse(key,
               QStringLiteral("%1 cannot be stored: a threshold is a multiple of 0.0625 "
                              "from -3968 to 127.9375 (the configurator steps from -55 "
                              "to 125 by 0.5)")
                   .arg(image::formatNumber(celsius)));
    }
    return celsius;
}

QString readSpeed(const QString &key, const QJsonValue &value)
{
    if (value.isDouble())
        return image::threeDigits(readWhole(key, value, 0, 999));
    if (!value.isString())
        refuse(key,
               QStringLiteral("expected a text of three digits, found %1").arg(describe(value)));
    const QString text = value.toString();
    if (text.isEmpty() || text.size() > 3 || !allDigits(text))
        refuse(key, QStringLiteral("%1 is not a speed of 000 to 999 knots").arg(quoted(text)));
    return image::threeDigits(text.toInt());
}

QString readTime(const QString &key, const QJsonValue &value)
{
    if (!value.isString())
        refuse(key, QStringLiteral("expected a text HHMM, found %1").arg(describe(value)));
    const QString text = value.toString();
    if (text.size() != 4 || !allDigits(text) || QStringView(text).left(2).toInt() > 23
        || QStringView(text).mid(2).toInt() > 59) {
        refuse(key,
               QStringLiteral("%1 is not a time of day HHMM from 0000 to 2359").arg(quoted(text)));
    }
    return text;
}

image::CoordinateLine readCoordinate(const QString &key, const QJsonValue &value,
                                     image::Boundary boundary)
{
    const bool latitude = image::isLatitude(boundary);
    const int digits = latitude ? 9 : 10;
    const QChar one = latitude ? u'N' : u'E';
    const QChar other = latitude ? u'S' : u'W';
    const QString form = QStringLiteral("%1 digits then %2 or %3").arg(digits).arg(one).arg(other);
    if (!value.isString())
        refuse(key, QStringLiteral("expected a text of %1, found %2").arg(form, describe(value)));
    const QString text = value.toString();
    const QChar last = text.isEmpty() ? QChar() : text.back();
    if (text.size() != digits + 1 || !allDigits(QStringView(text).chopped(1))
        || (last != one && last != other)) {
        refuse(key, QStringLiteral("%1 is not %2").arg(quoted(text), form));
    }
    return image::CoordinateLine{text.chopped(1), last};
}

QJsonArray fixedArray(const QString &key, const QJsonValue &value, int count, const QString &items)
{
    if (!value.isArray())
        refuse(key,
               QStringLiteral("expected an array of %1 %2, found %3")
                   .arg(count)
                   .arg(items, describe(value)));
    const QJsonArray array = value.toArray();
    if (array.size() != count)
        refuse(key,
               QStringLiteral("expected %1 %2, found %3").arg(count).arg(items).arg(array.size()));
    return array;
}

QJsonObject objectValue(const QString &key, const QJsonValue &value)
{
    if (!value.isObject())
        refuse(key, QStringLiteral("expected an object, found %1").arg(describe(value)));
    return value.toObject();
}

void refuseUnknownKeys(const QJsonObject &object, const QStringList &known, const QString &where)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!known.contains(it.key()))
            refuse(where + it.key(), QStringLiteral("unknown key"));
    }
}

} // namespace kvt::cli
