#include "testdocuments.h"
#include "zones/zonerecord.h"

#include <QTest>

using namespace kvt::zones;

namespace {

// Value fields of the 64 lines of a well-formed zone text.
QList<int> valuesOf(const QString &text)
{
    QList<int> values;
    for (int k = 0; k < 64; ++k)
        values << text.mid(11 * k + 6, 3).toInt();
    return values;
}

QString withValue(QString text, int line, const QString &value)
{
    return text.replace(11 * (line - 1) + 6, 3, value);
}

} // namespace

class TestZoneRecord : public QObject
{
    Q_OBJECT

private slots:
    // The bytes of the default record are held by the encoder's start-up image test.
    void defaultRecord()
    {
        for (int zone : {1, 64}) {
            QCOMPARE(ZoneRecord{}.toZoneText(zone), defaultZoneText(zone));
            QCOMPARE(ZoneRecord::fromZoneText(defaultZoneText(zone)), ZoneRecord{});
        }
    }

    void areaTable()
    {
        const QStringList captions{"Inside", "North", "North/East", "East", "South/East",
                                   "South", "South/West", "West", "North/West"};
        const int without[AreaCount] = {30, 28, 12, 14, 10, 26, 18, 22, 20};
        for (int i = 0; i < AreaCount; ++i) {
            const Area area = static_cast<Area>(i);
            QCOMPARE(areaCaption(area), captions[i]);
            QCOMPARE(areaShapeName(area), QString(captions[i]).remove(u'/'));
            QCOMPARE(areaPattern(area), QString::number(without[i] >> 1, 2).rightJustified(4, u'0'));
            QCOMPARE(alertOptionsFor(area, false), without[i]);
            QCOMPARE(alertOptionsFor(area, true), without[i] + 32);
            QCOMPARE(areaOfAlertOptions(without[i] + 32 + 128 + 64 + 1), area);   // other bits ignored
        }
    }

    void storeRules()
    {
        // A flag above a byte keeps its low eight bits; the speed is written with three digits.
        ZoneRecord r{.cellIdFlags = 0x1FF, .cellId = "1A2B", .gpsFlags = 2, .speedLimit = "7", .startTime = "2359"};
        QCOMPARE(valuesOf(r.toZoneText(9)).first(13),
                 (QList<int>{255, 49, 65, 50, 66, 2, 48, 48, 55, 50, 51, 53, 57}));

        // A CellId that is not four 8-bit characters.
        for (const QString &cellId : {QStringLiteral("123"), QString(), QStringLiteral("12345"),
                                      QStringLiteral(u"12\u4e003")}) {
            r.cellId = cellId;
            QCOMPARE(ZoneRecord::fromZoneText(r.toZoneText(9)).cellId, QStringLiteral("~~~~"));
        }

        // Speeds: three digits, "030" kept, text that is no number is 0.
        const QList<std::pair<QString, QString>> speeds{
            {"7", "007"}, {"030", "030"}, {"1500", "999"}, {"", "000"}, {"9X9", "000"}};
        for (const auto &[typed, stored] : speeds)
            QCOMPARE(storedSpeed(typed), stored);

        // AlertOptions: bits 7, 6 and 0 cleared, an unmatched pattern stored as
        // Inside, the copy on line 62 written from it.
        for (const auto &[read, written] : {std::pair{0, 30}, {54, 54}, {33, 62}, {128 + 64 + 22 + 1, 22}}) {
            r = ZoneRecord::fromZoneText(withValue(defaultZoneText(3), 61, QString::asprintf("%03d", read)));
            QCOMPARE(r.alertOptions, read);
            QCOMPARE(valuesOf(r.toZoneText(3)).mid(60, 2), (QList<int>{written, written}));
        }
    }

    void fieldsReadFromTheirLines()
    {
        // Line k holds the code of 'A' + k - 1.
        QString text;
        for (int k = 1; k <= 64; ++k)
            text += QString::asprintf("007%03d%03d\r\n", 182 + k, 64 + k);
        const ZoneRecord expected{65, "BCDE", 70, "GHI", "JKLM", "NOPQ", {"RSTUVWXYZ", u'['},
                                  {"\\]^_`abcd", u'e'}, {"fghijklmno", u'p'}, {"qrstuvwxyz", u'{'}, 125};
        QCOMPARE(ZoneRecord::fromZoneText(text), expected);
    }

    void randomRecordsRoundTrip()
    {
        QRandomGenerator rng(4711);
        for (int round = 0; round < 500; ++round) {
            const ZoneRecord r = kvt::testing::randomZoneRecord(rng);
            const int zone = 1 + rng.bounded(64);
            const QString text = r.toZoneText(zone);
            QCOMPARE(ZoneRecord::fromZoneText(text), r);
            QCOMPARE(ZoneRecord::fromZoneText(text).toZoneText(zone), text);
        }
    }

    void malformedTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<ZoneRecord>("expected");

        const QString full = ZoneRecord{.cellIdFlags = 3, .cellId = "4321", .alertOptions = 54}.toZoneText(8);

        QTest::newRow("empty") << QString() << ZoneRecord{};
        QString reserved = defaultZoneText(8);
        for (const auto &[line, value] : {std::pair{60, "123"}, {62, "001"}, {63, "200"}, {64, "000"}})
            reserved = withValue(reserved, line, QLatin1String(value));
        QTest::newRow("reserved bytes and copy not read") << reserved << ZoneRecord{};
        const ZoneRecord flagDefault{.cellId = "4321", .alertOptions = 54};
        QTest::newRow("flag above 255") << withValue(full, 1, QStringLiteral("300")) << flagDefault;
        QTest::newRow("flag no number") << withValue(full, 1, QStringLiteral("0x1")) << flagDefault;
        QTest::newRow("cut inside line 61") << full.left(60 * 11 + 8) << ZoneRecord{.cellIdFlags = 3, .cellId = "4321"};
        QTest::newRow("one CellId value lost") << withValue(full, 3, QStringLiteral("abc"))
                                               << ZoneRecord{.cellIdFlags = 3, .cellId = "4~21", .alertOptions = 54};
    }

    void malformedTexts()
    {
        QFETCH(QString, text);
        QFETCH(ZoneRecord, expected);
        const ZoneRecord r = ZoneRecord::fromZoneText(text);
        QCOMPARE(r, expected);
        const QString stored = r.toZoneText(8);
        QCOMPARE(stored.size(), ZoneTextLength);
        QCOMPARE(ZoneRecord::fromZoneText(stored).toZoneText(8), stored);
    }
};

QTEST_APPLESS_MAIN(TestZoneRecord)
#include "test_zonerecord.moc"
