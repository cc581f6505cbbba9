#include "testdocuments.h"

#include "image/charset.h"
#include "image/codecs.h"

namespace kvt::testing {

static QString randomChars(QRandomGenerator &rng, int length, QChar excluded = QChar(0xFFFF))
{
    QString text;
    while (text.size() < length)
        if (const QChar c = image::charFromCode(rng.bounded(256)); c != excluded)
            text += c;
    return text;
}

static image::CoordinateLine randomCoordinate(QRandomGenerator &rng, int digits, const char *hemispheres)
{
    QString text;
    while (text.size() < digits)
        text += QChar(u'0' + rng.bounded(10));
    return {text, QLatin1Char(hemispheres[rng.bounded(2)])};
}

image::ZoneRecord randomZoneRecord(QRandomGenerator &rng, bool editorShaped)
{
    const auto time = [&rng] { return QString::asprintf("%02d%02d", rng.bounded(24), rng.bounded(60)); };
    image::ZoneRecord r;
    r.cellIdFlags = rng.bounded(256);
    r.cellId = rng.bounded(4) ? randomChars(rng, 4) : QStringLiteral("~~~~");
    r.gpsFlags = rng.bounded(256);
    r.speedLimit = QString::asprintf("%03d", rng.bounded(1000));
    r.startTime = time();
    r.stopTime = editorShaped ? time() : randomChars(rng, 4);
    r.topLatitude = randomCoordinate(rng, 9, "NS");
    r.bottomLatitude = randomCoordinate(rng, 9, "NS");
    r.leftLongitude = randomCoordinate(rng, 10, "EW");
    r.rightLongitude = editorShaped ? randomCoordinate(rng, 10, "EW")
                                    : image::CoordinateLine{randomChars(rng, 10), randomChars(rng, 1)[0]};
    r.alertOptions = image::alertOptionsFor(image::Area(rng.bounded(image::AreaCount)), rng.bounded(2));
    return r;
}

image::Document randomDocument(QRandomGenerator &rng, bool editorShaped)
{
    image::Document doc;
    doc.simPin = randomChars(rng, rng.bounded(9), u'X');
    doc.isdnRecall = randomChars(rng, rng.bounded(17), u'X');
    // Any word the decoder can meet, so values beyond the editor's steps too.
    doc.tempHighAlert = image::wordToTemperature(rng.bounded(65536));
    doc.tempLowAlert = image::wordToTemperature(rng.bounded(65536));
    for (double *value : {&doc.trackingCounter, &doc.smsCatchAlertTimer, &doc.rtcIntervalUnit, &doc.rtcIntervalCounter})
        *value = rng.bounded(256);
    for (int &check : doc.checks)
        check = rng.bounded(2);
    for (QString &text : doc.gprs)
        text = randomChars(rng, rng.bounded(8) ? rng.bounded(40) : rng.bounded(300), u'\r');
    for (int zone = 1; zone <= image::ZoneCount; ++zone) {
        QString &text = doc.zoneTexts[zone - 1];
        if (editorShaped || rng.bounded(8))
            text = randomZoneRecord(rng, editorShaped).toZoneText(zone);
        else
            for (int k = 0; k < 64; ++k) // any bank, address and byte
                text += QString::asprintf("%03d%03d%03d\r\n", rng.bounded(256), rng.bounded(256), rng.bounded(256));
    }
    return doc;
}

} // namespace kvt::testing
