#include "image/zonerecord.h"
#include "testdocuments.h"

#include <QTest>

using namespace kvt::image;

class TestZoneRecord : public QObject {
    Q_OBJECT

    // The zone text `t` with the number `v` on line `line`.
    static QString put(QString t, int line, int v) { return t.replace(11 * line - 5, 3, QString::asprintf("%03d", v)); }

private slots:
    void areaTable()
    {
        const QStringList captions =
            QStringLiteral("Inside|North|North/East|East|South/East|South|South/West|West|North/West").split('|');
        const int without[AreaCount] = {30, 28, 12, 14, 10, 26, 18, 22, 20};
        for (int i = 0; i < AreaCount; ++i) {
            QCOMPARE(areaCaption(Area(i)), captions[i]);
            QCOMPARE(std::pair(alertOptionsFor(Area(i), false), alertOptionsFor(Area(i), true)),
                     std::pair(without[i], without[i] + 32));
            QCOMPARE(areaOfAlertOptions(without[i] + 32 + 128 + 64 + 1), Area(i)); // other bits ignored
        }
        int next = 0; // the fields cover a zone's 64 lines in order, each line once (kvt diff names lines by them)
        for (const ZoneField &field : ZoneFields)
            next = field.firstLine == next ? next + field.lineCount : -1;
        QCOMPARE(next, 64);
    }

    // The default zone and an empty text read as the default record; a CellId that is not four 8-bit characters
    // is stored as none; a speed as three digits up to 999. Random records come back as they were.
    void storeRules()
    {
        for (const QString &text : {defaultZoneText(64), QString()})
            QCOMPARE(ZoneRecord::fromZoneText(text), ZoneRecord{});
        for (const char16_t *cellId : {u"123", u"12345", u"12\u4e003"})
            QCOMPARE(ZoneRecord::fromZoneText(ZoneRecord{.cellId = QString::fromUtf16(cellId)}.toZoneText(9)).cellId,
                     "~~~~");
        for (const auto &[typed, stored] : {std::pair{"7", "007"}, {"030", "030"}, {"1500", "999"}, {"9X9", "000"}})
            QCOMPARE(storedSpeed(QString::fromLatin1(typed)), QString::fromLatin1(stored));
        QRandomGenerator rng(4711);
        for (int round = 0; round < 500; ++round) {
            const ZoneRecord r = kvt::testing::randomZoneRecord(rng);
            QCOMPARE(ZoneRecord::fromZoneText(r.toZoneText(1 + rng.bounded(64))), r);
        }

        // Bits 7, 6 and 0 cleared, an unmatched pattern stored as Inside, the copy
        // on line 62 written from it, reserved lines rewritten.
        const QString read = put(put(put(put(defaultZoneText(3), 60, 123), 62, 1), 63, 200), 64, 0);
        for (const auto &[options, written] : {std::pair{0, 30}, {54, 54}, {33, 62}, {128 + 64 + 22 + 1, 22}}) {
            const ZoneRecord r = ZoneRecord::fromZoneText(put(read, 61, options));
            QCOMPARE(r.alertOptions, options);
            QCOMPARE(r.toZoneText(3), put(put(defaultZoneText(3), 61, written), 62, written));
        }
    }
};

QTEST_APPLESS_MAIN(TestZoneRecord)
#include "test_zonerecord.moc"
