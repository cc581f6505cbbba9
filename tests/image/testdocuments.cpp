#include "testdocuments.h"

#include "image/charset.h"
#include "image/codecs.h"

namespace kvt::testing {

namespace {

QString randomChars(QRandomGenerator &rng, int length, QChar excluded = QChar(0xFFFF))
{
    QString text;
    while (text.size() < length) {
        const QChar c = image::charFromCode(rng.bounded(256));
        if (c != excluded)
            text += c;
    }
    return text;
}

QString randomDigits(QRandomGenerator &rng, int length)
{
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(u'0' + rng.bounded(10));
    return text;
}

QString randomTime(QRandomGenerator &rng)
{
    return QString::asprintf("%02d%02d", rng.bounded(24), rng.bounded(60));
}

zones::CoordinateLine randomCoordinate(QRandomGenerator &rng, int digits, char a, char b)
{
    return {randomDigits(rng, digits), QLatin1Char(rng.bounded(2) ? a : b)};
}

QString randomMemoryLines(QRandomGenerator &rng)
{
    QString text;
    for (int k = 0; k < 64; ++k)
        text += QString::asprintf("%03d%03d%03d\r\n", rng.bounded(256), rng.bounded(256),
                                  rng.bounded(256));
    return text;
}

} // namespace

QString randomText(QRandomGenerator &rng, int minLength, int maxLength)
{
    return randomChars(rng, minLength + rng.bounded(maxLength - minLength + 1));
}

zones::ZoneRecord randomZoneRecord(QRandomGenerator &rng, bool editorShaped)
{
    zones::ZoneRecord r;
    r.cellIdFlags = rng.bounded(256);
    r.cellId = rng.bounded(4) ? randomChars(rng, 4) : QStringLiteral("~~~~");
    r.gpsFlags = rng.bounded(256);
    r.speedLimit = randomDigits(rng, 3);
    r.startTime = randomTime(rng);
    r.stopTime = editorShaped ? randomTime(rng) : randomChars(rng, 4);
    r.topLatitude = randomCoordinate(rng, 9, 'N', 'S');
    r.bottomLatitude = randomCoordinate(rng, 9, 'N', 'S');
    r.leftLongitude = randomCoordinate(rng, 10, 'E', 'W');
    r.rightLongitude = editorShaped ? randomCoordinate(rng, 10, 'E', 'W')
                                    : zones::CoordinateLine{randomChars(rng, 10),
                                                            image::charFromCode(rng.bounded(256))};
    r.alertOptions = zones::alertOptionsFor(zones::Area(rng.bounded(zones::AreaCount)),
                                            rng.bounded(2));
    return r;
}

image::Document randomDocument(QRandomGenerator &rng, bool editorShaped)
{
    using namespace image;
    Document doc;
    doc.simPin = randomChars(rng, rng.bounded(9), u'X');
    doc.isdnRecall = randomChars(rng, rng.bounded(17), u'X');
    // Any word the decoder can meet, so values beyond the editor's steps too.
    doc.tempHighAlert = wordToTemperature(rng.bounded(65536));
    doc.tempLowAlert = wordToTemperature(rng.bounded(65536));
    doc.trackingCounter = rng.bounded(256);
    doc.smsCatchAlertTimer = rng.bounded(256);
    doc.rtcIntervalUnit = rng.bounded(256);
    doc.rtcIntervalCounter = rng.bounded(256);
    for (int &check : doc.checks)
        check = rng.bounded(2);
    for (QString &text : doc.gprs)
        text = randomChars(rng, rng.bounded(8) ? rng.bounded(40) : rng.bounded(300), u'\r');
    for (int zone = 1; zone <= ZoneCount; ++zone) {
        doc.zoneTexts[zone - 1] = editorShaped || rng.bounded(8)
                                      ? randomZoneRecord(rng, editorShaped).toZoneText(zone)
                                      : randomMemoryLines(rng);
    }
    return doc;
}

} // namespace kvt::testing
