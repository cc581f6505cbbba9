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

image::ZoneRecord randomZoneRecord(QRandomGenerator &rng, bool editorShaped)
{
    const auto time = [&rng] { return QString::asprintf("%02d%02d", rng.bounded(24), rng.bounded(60)); };
    const auto coordinate = [&rng](int digits, const char *hemispheres) {
        const QString text = QString::number(rng.generate64() % 10'000'000'000).rightJustified(digits, u'0');
        return image::CoordinateLine{text.right(digits), QLatin1Char(hemispheres[rng.bounded(2)])};
    };
    // Fields drawn in their order: an aggregate initialises its members left to right.
    return image::ZoneRecord(
        rng.bounded(256), rng.bounded(4) ? randomChars(rng, 4) : QStringLiteral("~~~~"), rng.bounded(256),
        QString::asprintf("%03d", rng.bounded(1000)), time(), editorShaped ? time() : randomChars(rng, 4),
        coordinate(9, "NS"), coordinate(9, "NS"), coordinate(10, "EW"),
        editorShaped ? coordinate(10, "EW") : image::CoordinateLine{randomChars(rng, 10), randomChars(rng, 1)[0]},
        image::alertOptionsFor(image::Area(rng.bounded(image::AreaCount)), rng.bounded(2)));
}

image::Document randomDocument(QRandomGenerator &rng, bool editorShaped)
{
    image::Document doc;
    doc.simPin = randomChars(rng, rng.bounded(9), u'X');
    doc.isdnRecall = randomChars(rng, rng.bounded(17), u'X');
    // Any word the decoder can meet, so values beyond the editor's steps too.
    for (double *value : {&doc.tempHighAlert, &doc.tempLowAlert})
        *value = image::wordToTemperature(rng.bounded(65536));
    for (double *value : {&doc.trackingCounter, &doc.smsCatchAlertTimer, &doc.rtcIntervalUnit, &doc.rtcIntervalCounter})
        *value = rng.bounded(256);
    for (int &check : doc.checks)
        check = rng.bounded(2);
    for (QString &text : doc.gprs)
        text = randomChars(rng, rng.bounded(8) ? rng.bounded(40) : rng.bounded(300), u'\r');
    for (int zone = 1; zone <= image::ZoneCount; ++zone)
        if (editorShaped || rng.bounded(8))
            doc.zoneTexts[zone - 1] = randomZoneRecord(rng, editorShaped).toZoneText(zone);
        else // any bank, address and byte
            for (int k = 0; k < 64; ++k)
                doc.zoneTexts[zone - 1] += QString::asprintf("%03d%03d%03d\r\n", rng.bounded(256), rng.bounded(256),
                                                             rng.bounded(256));
    return doc;
}

} // namespace kvt::testing
