#include "image/zonerecord.h"
#include "testdocuments.h"

#include <QTest>

using namespace kvt::image;

static QString withValue(QString text, int line, const QString &value)
{
    return text.replace(11 * line - 5, 3, value);
}

class TestZoneRecord : public QObject {
    Q_OBJECT

private slots:
    void areaTable()
    {
        const QStringList captions{"Inside", "North",      "North/East", "East",      "South/East",
                                   "South",  "South/West", "West",       "North/West"};
        const int without[AreaCount] = {30, 28, 12, 14, 10, 26, 18, 22, 20};
        for (int i = 0; i < AreaCount; ++i) {
            const Area area = static_cast<Area>(i);
            QCOMPARE(areaCaption(area), captions[i]);
            QCOMPARE(std::pair(alertOptionsFor(area, false), alertOptionsFor(area, true)),
                     std::pair(without[i], without[i] + 32));
            QCOMPARE(areaOfAlertOptions(without[i] + 32 + 128 + 64 + 1), area); // other bits ignored
        }
    }

    void storeRules()
    {
        QCOMPARE(ZoneRecord::fromZoneText(defaultZoneText(64)), ZoneRecord{});
        QCOMPARE(ZoneRecord::fromZoneText(QString()), ZoneRecord{});
        // A CellId that is not four 8-bit characters.
        for (const QString &cellId : {QStringLiteral("123"), QStringLiteral("12345"), QStringLiteral(u"12\u4e003")})
            QCOMPARE(ZoneRecord::fromZoneText(ZoneRecord{.cellId = cellId}.toZoneText(9)).cellId,
                     QStringLiteral("~~~~"));
        for (const auto &[typed, stored] : {std::pair{"7", "007"}, {"030", "030"}, {"1500", "999"}, {"9X9", "000"}})
            QCOMPARE(storedSpeed(QString::fromLatin1(typed)), QString::fromLatin1(stored));

        // Bits 7, 6 and 0 cleared, an unmatched pattern stored as Inside, the copy
        // on line 62 written from it, reserved lines rewritten.
        QString read = defaultZoneText(3);
        for (const auto &[line, value] : {std::pair{60, "123"}, {62, "001"}, {63, "200"}, {64, "000"}})
            read = withValue(read, line, QLatin1String(value));
        for (const auto &[options, written] : {std::pair{0, 30}, {54, 54}, {33, 62}, {128 + 64 + 22 + 1, 22}}) {
            const ZoneRecord r = ZoneRecord::fromZoneText(withValue(read, 61, QString::asprintf("%03d", options)));
            QCOMPARE(r.alertOptions, options);
            const QString stored = QString::asprintf("%03d", written);
            QCOMPARE(r.toZoneText(3), withValue(withValue(defaultZoneText(3), 61, stored), 62, stored));
        }
    }

    void randomRecordsRoundTrip()
    {
        QRandomGenerator rng(4711);
        for (int round = 0; round < 500; ++round) {
            const ZoneRecord r = kvt::testing::randomZoneRecord(rng);
            const int zone = 1 + rng.bounded(64);
            QCOMPARE(ZoneRecord::fromZoneText(r.toZoneText(zone)), r);
        }
    }
};

QTEST_APPLESS_MAIN(TestZoneRecord)
#include "test_zonerecord.moc"
