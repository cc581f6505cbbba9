#include "image/charset.h"
#include "testdocuments.h"
#include "zones/zonerecord.h"

#include <QTest>

using namespace kvt::zones;

namespace {

// Value field of line k (1..64) of a well-formed zone text.
int valueOfLine(const QString &text, int k)
{
    return text.mid(11 * (k - 1) + 6, 3).toInt();
}

QString withValue(QString text, int k, const QString &value)
{
    text.replace(11 * (k - 1) + 6, 3, value);
    return text;
}

} // namespace

class TestZoneRecord : public QObject
{
    Q_OBJECT

private slots:
    void defaultZoneTexts();
    void areaTable();
    void alertOptions_data();
    void alertOptions();
    void storeRules();
    void bankFollowsTheZone();
    void fieldsReadFromTheirLines();
    void randomRecordsRoundTrip();
    void malformedTexts_data();
    void malformedTexts();
    void damagedTextsStillStore();
};

void TestZoneRecord::defaultZoneTexts()
{
    const QString zone1 = defaultZoneText(1);
    QCOMPARE(zone1.size(), ZoneTextLength);
    const QStringList lines = zone1.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 65);
    QCOMPARE(lines.mid(0, 7), (QStringList{"001183000", "001184126", "001185126", "001186126",
                                           "001187126", "001188000", "001189057"}));
    QCOMPARE(lines[62], QStringLiteral("001245048"));
    QCOMPARE(lines[63], QStringLiteral("001246048"));
    const int expected[64] = {0,   126, 126, 126, 126, 0,  57, 57, 57, 48, 57, 48, 48,
                              49,  55,  48,  48,  48,  48, 48, 48, 48, 48, 48, 48, 48,
                              78,  48,  48,  48,  48,  48, 48, 48, 48, 48, 83, 48, 48,
                              48,  48,  48,  48,  48,  48, 48, 48, 87, 48, 48, 48, 48,
                              48,  48,  48,  48,  48,  48, 69, 0,  30, 30, 48, 48};
    for (int k = 1; k <= 64; ++k)
        QCOMPARE(valueOfLine(zone1, k), expected[k - 1]);

    QString zone64 = zone1;
    for (int k = 0; k < 64; ++k)
        zone64.replace(11 * k, 3, QStringLiteral("064"));
    QCOMPARE(defaultZoneText(64), zone64);

    QCOMPARE(ZoneRecord::fromZoneText(zone1), ZoneRecord{});
    QCOMPARE(ZoneRecord{}.toZoneText(1), zone1);
}

void TestZoneRecord::areaTable()
{
    const QStringList patterns{"1111", "1110", "0110", "0111", "0101", "1101", "1001", "1011", "1010"};
    const QStringList captions{"Inside", "North", "North/East", "East", "South/East",
                               "South", "South/West", "West", "North/West"};
    const QStringList shapes{"Inside", "North", "NorthEast", "East", "SouthEast",
                             "South", "SouthWest", "West", "NorthWest"};
    const int without[9] = {30, 28, 12, 14, 10, 26, 18, 22, 20};
    for (int i = 0; i < AreaCount; ++i) {
        const Area area = static_cast<Area>(i);
        QCOMPARE(areaPattern(area), patterns[i]);
        QCOMPARE(areaCaption(area), captions[i]);
        QCOMPARE(areaShapeName(area), shapes[i]);
        QCOMPARE(alertOptionsFor(area, false), without[i]);
        QCOMPARE(alertOptionsFor(area, true), without[i] + 32);
        QCOMPARE(areaOfAlertOptions(without[i]), area);
        QCOMPARE(areaOfAlertOptions(without[i] + 32 + 128 + 64 + 1), area);   // other bits ignored
    }
}

void TestZoneRecord::alertOptions_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("written");
    QTest::newRow("0: Inside, no alert") << 0 << 30;
    QTest::newRow("22: West") << 22 << 22;
    QTest::newRow("20: North/West") << 20 << 20;
    QTest::newRow("54: West with alert") << 54 << 54;
    QTest::newRow("255: pattern of Inside, alert") << 255 << 62;
    QTest::newRow("33: no pattern, alert") << 33 << 62;
    QTest::newRow("193: bits 7, 6, 0 cleared") << (128 + 64 + 22 + 1) << 22;
}

void TestZoneRecord::alertOptions()
{
    QFETCH(int, stored);
    QFETCH(int, written);
    const QString text = withValue(defaultZoneText(3), 61, QString::asprintf("%03d", stored));
    const ZoneRecord r = ZoneRecord::fromZoneText(text);
    QCOMPARE(r.alertOptions, stored);
    const QString back = r.toZoneText(3);
    QCOMPARE(valueOfLine(back, 61), written);
    QCOMPARE(valueOfLine(back, 62), written);
}

void TestZoneRecord::storeRules()
{
    ZoneRecord r;
    r.cellId = QStringLiteral("1A2B");
    r.speedLimit = QStringLiteral("7");
    r.startTime = QStringLiteral("2359");
    r.cellIdFlags = 1;
    r.gpsFlags = 2;
    QString text = r.toZoneText(9);
    QCOMPARE(QList<int>({valueOfLine(text, 2), valueOfLine(text, 3), valueOfLine(text, 4),
                         valueOfLine(text, 5)}),
             (QList<int>{49, 65, 50, 66}));
    QCOMPARE(QList<int>({valueOfLine(text, 7), valueOfLine(text, 8), valueOfLine(text, 9)}),
             (QList<int>{48, 48, 55}));
    QCOMPARE(QList<int>({valueOfLine(text, 10), valueOfLine(text, 11), valueOfLine(text, 12),
                         valueOfLine(text, 13)}),
             (QList<int>{50, 51, 53, 57}));
    QCOMPARE(valueOfLine(text, 1), 1);
    QCOMPARE(valueOfLine(text, 6), 2);

    // CellId that is not four 8-bit characters.
    for (const QString &cellId : {QStringLiteral("123"), QString(), QStringLiteral("12345"),
                                  QStringLiteral(u"12\u4e003")}) {
        r.cellId = cellId;
        QCOMPARE(ZoneRecord::fromZoneText(r.toZoneText(9)).cellId, QStringLiteral("~~~~"));
    }

    // Speeds: three digits, "030" kept, text that is no number is 0.
    QCOMPARE(storedSpeed(u"7"), QStringLiteral("007"));
    QCOMPARE(storedSpeed(u"030"), QStringLiteral("030"));
    QCOMPARE(storedSpeed(u"999"), QStringLiteral("999"));
    QCOMPARE(storedSpeed(u"1500"), QStringLiteral("999"));
    QCOMPARE(storedSpeed(u""), QStringLiteral("000"));
    QCOMPARE(storedSpeed(u"9X9"), QStringLiteral("000"));

    // Reserved bytes are written as fixed values whatever the text held.
    QString odd = defaultZoneText(2);
    odd = withValue(odd, 60, QStringLiteral("123"));
    odd = withValue(odd, 62, QStringLiteral("001"));
    odd = withValue(odd, 63, QStringLiteral("200"));
    odd = withValue(odd, 64, QStringLiteral("000"));
    QCOMPARE(ZoneRecord::fromZoneText(odd).toZoneText(2), defaultZoneText(2));

    // Flags above a byte keep their low eight bits.
    r = ZoneRecord{};
    r.cellIdFlags = 0x1FF;
    QCOMPARE(valueOfLine(r.toZoneText(1), 1), 255);
}

void TestZoneRecord::bankFollowsTheZone()
{
    ZoneRecord r;
    r.topLatitude.digits = QStringLiteral("123456789");
    const QString asZone1 = r.toZoneText(1);
    const QString asZone5 = ZoneRecord::fromZoneText(asZone1).toZoneText(5);
    const QStringList lines = asZone5.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 64);
    for (int k = 0; k < 64; ++k) {
        QCOMPARE(lines[k].left(6), QString::asprintf("005%03d", 183 + k));
        QCOMPARE(lines[k].mid(6), asZone1.mid(11 * k + 6, 3));
    }
}

void TestZoneRecord::fieldsReadFromTheirLines()
{
    // Line k holds the code of a distinct character for each text line.
    QString text;
    for (int k = 1; k <= 64; ++k)
        text += QString::asprintf("007%03d%03d\r\n", 182 + k, 64 + k);   // 'A' + k - 1
    const ZoneRecord r = ZoneRecord::fromZoneText(text);
    QCOMPARE(r.cellIdFlags, 65);
    QCOMPARE(r.cellId, QStringLiteral("BCDE"));
    QCOMPARE(r.gpsFlags, 70);
    QCOMPARE(r.speedLimit, QStringLiteral("GHI"));
    QCOMPARE(r.startTime, QStringLiteral("JKLM"));
    QCOMPARE(r.stopTime, QStringLiteral("NOPQ"));
    QCOMPARE(r.topLatitude, (CoordinateLine{QStringLiteral("RSTUVWXYZ"), QLatin1Char('[')}));
    QCOMPARE(r.bottomLatitude, (CoordinateLine{QStringLiteral("\\]^_`abcd"), QLatin1Char('e')}));
    QCOMPARE(r.leftLongitude, (CoordinateLine{QStringLiteral("fghijklmno"), QLatin1Char('p')}));
    QCOMPARE(r.rightLongitude, (CoordinateLine{QStringLiteral("qrstuvwxyz"), QLatin1Char('{')}));
    QCOMPARE(r.alertOptions, 125);
}

void TestZoneRecord::randomRecordsRoundTrip()
{
    QRandomGenerator rng(4711);
    for (int round = 0; round < 500; ++round) {
        const ZoneRecord r = kvt::testing::randomZoneRecord(rng);
        const int zone = 1 + rng.bounded(64);
        const QString text = r.toZoneText(zone);
        QCOMPARE(text.size(), ZoneTextLength);
        QCOMPARE(ZoneRecord::fromZoneText(text), r);
        QCOMPARE(ZoneRecord::fromZoneText(text).toZoneText(zone), text);
    }
}

void TestZoneRecord::malformedTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<ZoneRecord>("expected");

    const QString full = [] {
        ZoneRecord r;
        r.cellIdFlags = 3;
        r.cellId = QStringLiteral("4321");
        r.speedLimit = QStringLiteral("120");
        r.alertOptions = 54;
        return r.toZoneText(8);
    }();
    ZoneRecord flagsDefault = ZoneRecord::fromZoneText(full);
    flagsDefault.cellIdFlags = 0;

    QTest::newRow("empty") << QString() << ZoneRecord{};
    QTest::newRow("garbage") << QStringLiteral("not a zone at all") << ZoneRecord{};
    QTest::newRow("flag above 255") << withValue(full, 1, QStringLiteral("300")) << flagsDefault;
    QTest::newRow("flag no number") << withValue(full, 1, QStringLiteral("0x1")) << flagsDefault;
    QTest::newRow("flag with blank") << withValue(full, 1, QStringLiteral(" 03")) << flagsDefault;

    ZoneRecord cut = ZoneRecord::fromZoneText(full);
    cut.alertOptions = 30;   // lines 61.. missing
    QTest::newRow("cut after 60 lines") << full.left(60 * 11) << cut;
    QTest::newRow("cut inside line 61") << full.left(60 * 11 + 8) << cut;

    ZoneRecord cellIdPart = ZoneRecord::fromZoneText(full);
    cellIdPart.cellId = QStringLiteral("4~21");
    QTest::newRow("one CellId value lost")
        << withValue(full, 3, QStringLiteral("abc")) << cellIdPart;

}

void TestZoneRecord::malformedTexts()
{
    QFETCH(QString, text);
    QFETCH(ZoneRecord, expected);
    const ZoneRecord r = ZoneRecord::fromZoneText(text);
    QCOMPARE(r, expected);
    // Whatever was read, the record stores as a well-formed zone text.
    const QString stored = r.toZoneText(8);
    QCOMPARE(stored.size(), ZoneTextLength);
    QCOMPARE(ZoneRecord::fromZoneText(stored).toZoneText(8), stored);
}

void TestZoneRecord::damagedTextsStillStore()
{
    // Lines of other lengths, lone LF ends, stray characters: fields are
    // taken at their fixed places and the result always stores cleanly.
    QRandomGenerator rng(99);
    for (int round = 0; round < 300; ++round) {
        QString text = kvt::testing::randomZoneRecord(rng).toZoneText(1 + rng.bounded(64));
        for (int cuts = rng.bounded(6); cuts > 0; --cuts) {
            const int pos = rng.bounded(text.size() + 1);
            switch (rng.bounded(3)) {
            case 0: text.remove(pos, 1 + rng.bounded(12)); break;
            case 1: text.insert(pos, kvt::testing::randomText(rng, 1, 5)); break;
            default: text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); break;
            }
        }
        const QString stored = ZoneRecord::fromZoneText(text).toZoneText(12);
        QCOMPARE(stored.size(), ZoneTextLength);
        QVERIFY(kvt::image::isEncodable(stored));
        for (int k = 0; k < 64; ++k) {
            QCOMPARE(stored.mid(11 * k, 6), QString::asprintf("012%03d", 183 + k));
            QVERIFY(valueOfLine(stored, k + 1) <= 255);
        }
        QCOMPARE(valueOfLine(stored, 60), 0);
        QCOMPARE(valueOfLine(stored, 61), valueOfLine(stored, 62));
    }
}

QTEST_APPLESS_MAIN(TestZoneRecord)
#include "test_zonerecord.moc"
