#include "testdocuments.h"

#include "image/charset.h"
#include "image/codecs.h"

namespace kvt::testing {

namespace {

QString randomChars(QRandomGenerator &rng, int length, QList<int> excludedCodes = {})
{
    QString text;
    while (text.size() < length) {
        const int code = rng.bounded(256);
        if (!excludedCodes.contains(code))
            text += image::charFromCode(code);
    }
    return text;
}

QString randomDigits(QRandomGenerator &rng, int length)
{
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar('0' + rng.bounded(10));
    return text;
}

// A zone text as a file may bring it: 64 lines of any bank, address and byte.
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

zones::ZoneRecord randomZoneRecord(QRandomGenerator &rng)
{
    zones::ZoneRecord r;
    r.cellIdFlags = rng.bounded(256);
    r.cellId = rng.bounded(4) ? randomChars(rng, 4) : QStringLiteral("~~~~");
    r.gpsFlags = rng.bounded(256);
    r.speedLimit = randomDigits(rng, 3);
    r.startTime = randomDigits(rng, 4);
    r.stopTime = randomChars(rng, 4);            // stored by code, digits or not
    r.topLatitude = {randomDigits(rng, 9), QLatin1Char(rng.bounded(2) ? 'N' : 'S')};
    r.bottomLatitude = {randomDigits(rng, 9), QLatin1Char(rng.bounded(2) ? 'N' : 'S')};
    r.leftLongitude = {randomDigits(rng, 10), QLatin1Char(rng.bounded(2) ? 'E' : 'W')};
    r.rightLongitude = {randomChars(rng, 10), image::charFromCode(rng.bounded(256))};
    r.alertOptions = zones::alertOptionsFor(static_cast<zones::Area>(rng.bounded(zones::AreaCount)),
                                            rng.bounded(2));
    return r;
}

image::Document randomDocument(QRandomGenerator &rng)
{
    using namespace image;
    Document doc;
    doc.simPin = randomChars(rng, rng.bounded(9), {'X'});
    doc.isdnRecall = randomChars(rng, rng.bounded(17), {'X'});
    // Any word the decoder can meet, so values beyond the editor's steps too.
    doc.tempHighAlert = wordToTemperature(rng.bounded(65536));
    doc.tempLowAlert = wordToTemperature(rng.bounded(65536));
    doc.trackingCounter = rng.bounded(256);
    doc.smsCatchAlertTimer = rng.bounded(256);
    doc.rtcIntervalUnit = rng.bounded(256);
    doc.rtcIntervalCounter = rng.bounded(256);
    for (int &check : doc.checks)
        check = rng.bounded(2);
    for (QString &text : doc.gprs) {
        const int length = rng.bounded(8) ? rng.bounded(40) : rng.bounded(300);
        text = randomChars(rng, length, {'\r'});
    }
    for (int zone = 1; zone <= ZoneCount; ++zone) {
        doc.zoneTexts[zone - 1] = rng.bounded(8) ? randomZoneRecord(rng).toZoneText(zone)
                                                 : randomMemoryLines(rng);
    }
    return doc;
}

} // namespace kvt::testing
