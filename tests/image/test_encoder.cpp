#include "image/document.h"
#include "image/encoder.h"
#include "image/gprs.h"
#include "zones/zonerecord.h"

#include <QTest>

using namespace kvt::image;

namespace {

QStringList linesOf(const QString &image)
{
    QStringList lines = image.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestEncoder : public QObject
{
    Q_OBJECT

private slots:
    void startupParameterLines();
    void startupImageShape();
    void pinAndIsdnPadding();
    void registersFollowTheirChecks();
    void gprsBank();
    void unstorableTexts();
};

void TestEncoder::startupParameterLines()
{
    const QString image = encodeParameters(startupDocument());
    QStringList expected;
    for (int a = 1; a <= 8; ++a)
        expected << QString::asprintf("001%03d088", a);
    expected << "001009208" << "001010007" << "001011144" << "001012252"
             << "001013005" << "001014040" << "001015000";
    for (int a = 16; a <= 31; ++a)
        expected << QString::asprintf("001%03d088", a);
    expected << "001032004" << "001033004"
             << "001034001" << "001035000" << "001036000" << "001037000";
    QCOMPARE(expected.size(), ParameterLineCount);
    QCOMPARE(image.split(QStringLiteral("\r\n")).mid(0, ParameterLineCount), expected);
}

void TestEncoder::startupImageShape()
{
    const QString image = encodeParameters(startupDocument());
    QVERIFY(image.endsWith(QStringLiteral("\r\n")));
    QVERIFY(!image.contains(QStringLiteral("\r\n\r\n")));
    const QStringList lines = linesOf(image);
    QCOMPARE(lines.size(), ImageLineCount);
    QCOMPARE(image.count(QStringLiteral("\r\n")), ImageLineCount);

    // Zones: bank = zone, addresses 183..246, zone 1 first.
    QCOMPARE(lines[37], QStringLiteral("001183000"));
    QCOMPARE(lines[38], QStringLiteral("001184126"));
    QCOMPARE(lines[43], QStringLiteral("001189057"));
    QCOMPARE(lines[37 + 63], QStringLiteral("001246048"));
    QCOMPARE(lines[37 + 64], QStringLiteral("002183000"));
    QCOMPARE(lines[37 + 4095], QStringLiteral("064246048"));
    for (int zone = 1; zone <= ZoneCount; ++zone) {
        for (int k = 0; k < ZoneLineCount; ++k) {
            const QString &line = lines[37 + 64 * (zone - 1) + k];
            QCOMPARE(line.left(6), QString::asprintf("%03d%03d", zone, 183 + k));
        }
    }

    // Bank 065: the composed string then "?" (063), addresses 000..255.
    const QString gprs = composeGprsString(startupDocument().gprs);
    for (int a = 0; a < GprsBankLineCount; ++a) {
        const QString &line = lines[37 + 4096 + a];
        const int code = a < gprs.size() ? gprs.at(a).unicode() : 63;
        QCOMPARE(line, QString::asprintf("065%03d%03d", a, code));
    }

    const QStringList gprsLines = lines.mid(37 + 4096 + 256);
    QCOMPARE(gprsLines.size(), GprsFieldCount);
    QCOMPARE(gprsLines.first(), QStringLiteral("GPRS:\"internet.example\""));
    QCOMPARE(gprsLines[1], QStringLiteral("GPRS:"));                 // Ip, empty
    QCOMPARE(gprsLines[9], QStringLiteral("GPRS:\"/mydedicatedmolberanedir\""));
    QCOMPARE(gprsLines.last(), QStringLiteral("GPRS:60"));
}

void TestEncoder::pinAndIsdnPadding()
{
    Document doc = startupDocument();
    doc.simPin = QStringLiteral("1234");
    doc.isdnRecall = QStringLiteral("+4412345678901234567");   // 20 characters
    const auto b = parameterBytes(doc);
    QCOMPARE((QList<int>(b.begin(), b.begin() + 8)), (QList<int>{49, 50, 51, 52, 88, 88, 88, 88}));
    // Cut to its first 16 characters, no "X" left.
    QCOMPARE((QList<int>(b.begin() + 15, b.begin() + 31)),
             (QList<int>{43, 52, 52, 49, 50, 51, 52, 53, 54, 55, 56, 57, 48, 49, 50, 51}));

    doc.simPin = QStringLiteral("123456789");                  // only 8 places
    QCOMPARE(parameterBytes(doc)[7], 56);
    QCOMPARE(encodeParameters(doc).section(QStringLiteral("\r\n"), 8, 8),
             QStringLiteral("001009208"));
}

void TestEncoder::registersFollowTheirChecks()
{
    Document doc = startupDocument();
    doc.checks.fill(Clear);
    doc.check(8) = Ticked;     // bit 7 of 034
    doc.check(9) = Ticked;     // bit 0 of 035
    doc.check(10) = Greyed;    // greyed is not a set bit
    doc.check(24) = Ticked;    // bit 7 of 036
    doc.check(25) = Ticked;    // bit 0 of 037
    doc.check(32) = Ticked;    // bit 7 of 037
    const auto b = parameterBytes(doc);
    QCOMPARE(b[33], 128);
    QCOMPARE(b[34], 1);
    QCOMPARE(b[35], 128);
    QCOMPARE(b[36], 129);

    doc.tempHighAlert = 25.5;
    doc.tempLowAlert = -0.5;
    doc.trackingCounter = 255;
    doc.smsCatchAlertTimer = 1;
    doc.rtcIntervalUnit = 7;
    doc.rtcIntervalCounter = 255;
    const auto c = parameterBytes(doc);
    QCOMPARE((QList<int>(c.begin() + 8, c.begin() + 15)), (QList<int>{152, 1, 248, 255, 255, 1, 0}));
    QCOMPARE(c[31], 7);
    QCOMPARE(c[32], 255);
}

void TestEncoder::gprsBank()
{
    Document doc = startupDocument();
    doc.gprs = {};
    QStringList lines = linesOf(encodeParameters(doc));
    const QString separators = QStringLiteral(",,,,,;,,;,,,,;");
    for (int a = 0; a < GprsBankLineCount; ++a) {
        const int code = a < 14 ? separators.at(a).unicode() : 63;
        QCOMPARE(lines[4133 + a], QString::asprintf("065%03d%03d", a, code));
    }
    for (int i = 0; i < GprsFieldCount; ++i)
        QCOMPARE(lines[4389 + i], QStringLiteral("GPRS:"));

    // A string of 256 characters or more leaves no "?" in the bank; a
    // character above 127 is stored by its 8-bit code.
    doc.gprs[int(GprsField::Apn)] = QString(300, QChar(0xE9));
    lines = linesOf(encodeParameters(doc));
    QCOMPARE(lines.size(), ImageLineCount);
    for (int a = 0; a < GprsBankLineCount; ++a)
        QCOMPARE(lines[4133 + a], QString::asprintf("065%03d233", a));
    QCOMPARE(lines[4389], QStringLiteral("GPRS:") + QString(300, QChar(0xE9)));
}

void TestEncoder::unstorableTexts()
{
    Document doc = startupDocument();
    QVERIFY(unstorableFields(doc).isEmpty());
    doc.simPin = QStringLiteral(u"12\u0100");
    doc.gprs[int(GprsField::Login)] = QStringLiteral("a\rb");
    doc.gprs[int(GprsField::Mode)] = QStringLiteral("a\nb");        // stays in its line
    doc.zoneTexts[4] += QChar(0x3A9);
    QCOMPARE(unstorableFields(doc),
             (QStringList{"SimPin", "Login", "Zone05"}));
}

QTEST_APPLESS_MAIN(TestEncoder)
#include "test_encoder.moc"
