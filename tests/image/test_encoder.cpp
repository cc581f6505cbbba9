#include "image/document.h"
#include "image/encoder.h"
#include "image/gprs.h"

#include <QTest>

using namespace kvt::image;

namespace {

QStringList linesOf(const QString &image)
{
    QStringList lines = image.split(QStringLiteral("\r\n"));
    lines.removeLast();   // after the last CR LF
    return lines;
}

QString memoryLines(int bank, int firstAddress, const QList<int> &values)
{
    QString text;
    for (int i = 0; i < values.size(); ++i)
        text += QString::asprintf("%03d%03d%03d\r\n", bank, firstAddress + i, values[i]);
    return text;
}

} // namespace

class TestEncoder : public QObject
{
    Q_OBJECT

private slots:
    void startupImage();
    void pinAndIsdnPadding();
    void registersFollowTheirChecks();
    void gprsBank();
    void unstorableTexts();
};

// The whole image of a freshly started configurator, byte for byte.
void TestEncoder::startupImage()
{
    const QList<int> parameters = QList<int>(8, 88) + QList<int>{208, 7, 144, 252, 5, 40, 0}
                                  + QList<int>(16, 88) + QList<int>{4, 4, 1, 0, 0, 0};
    QString expected = memoryLines(1, 1, parameters);

    QList<int> zone{0, 126, 126, 126, 126, 0};
    for (QChar c : QStringLiteral("99909001700000000000N000000000S0000000000W0000000000E"))
        zone << c.unicode();
    zone << 0 << 30 << 30 << 48 << 48;
    QCOMPARE(zone.size(), 64);
    for (int n = 1; n <= ZoneCount; ++n)
        expected += memoryLines(n, 183, zone);

    // Boxes in file order: Apn, Ip, Login, Password, Dns1, Dns2, FtpServer,
    // FtpUsername, FtpPassword, FtpSubDirectory, Trial, Port, Mode, Tmr1, Tmr2.
    const QStringList boxes{"\"internet.example\"", "", "\"yourlogin\"", "\"enterpwdhere\"",
                            "\"192.0.2.1\"", "\"198.51.100.1\"", "\"ftp://ftp.example.com\"",
                            "\"myftpuser\"", "\"ftpsecret\"", "\"/mydedicatedmolberanedir\"",
                            "2", "21", "0", "30", "60"};
    GprsTexts texts;
    std::copy(boxes.begin(), boxes.end(), texts.begin());
    QCOMPARE(defaultGprsTexts(), texts);
    QList<int> bank(256, 63);
    const QString format = composeGprsString(texts);
    for (int a = 0; a < format.size(); ++a)
        bank[a] = format[a].unicode();
    expected += memoryLines(65, 0, bank);
    for (const QString &box : boxes)
        expected += QStringLiteral("GPRS:") + box + QStringLiteral("\r\n");

    QCOMPARE(expected.count(QStringLiteral("\r\n")), 4404);
    const QStringList image = encodeParameters(startupDocument()).split(QStringLiteral("\r\n"));
    QCOMPARE(image.mid(8, 7), (QStringList{"001009208", "001010007", "001011144", "001012252",
                                           "001013005", "001014040", "001015000"}));
    QCOMPARE(image, expected.split(QStringLiteral("\r\n")));
}

void TestEncoder::pinAndIsdnPadding()
{
    Document doc = startupDocument();
    doc.simPin = QStringLiteral("1234");
    doc.isdnRecall = QStringLiteral("+4412345678901234567");   // 20 characters, cut to 16
    auto b = parameterBytes(doc);
    QCOMPARE(QList<int>(b.begin(), b.begin() + 8), (QList<int>{49, 50, 51, 52, 88, 88, 88, 88}));
    QCOMPARE(QList<int>(b.begin() + 15, b.begin() + 31),
             (QList<int>{43, 52, 52, 49, 50, 51, 52, 53, 54, 55, 56, 57, 48, 49, 50, 51}));

    doc.simPin = QStringLiteral("123456789");                  // only 8 places
    b = parameterBytes(doc);
    QCOMPARE(b[7], 56);
    QCOMPARE(b[8], 208);
}

void TestEncoder::registersFollowTheirChecks()
{
    Document doc = startupDocument();
    doc.checks.fill(Clear);
    for (int n : {8, 9, 24, 25, 32})
        doc.check(n) = Ticked;
    doc.check(10) = Greyed;    // greyed is not a set bit
    doc.tempHighAlert = 25.5;
    doc.tempLowAlert = -0.5;
    doc.trackingCounter = 255;
    doc.smsCatchAlertTimer = 1;
    doc.rtcIntervalUnit = 7;
    doc.rtcIntervalCounter = 255;
    const auto b = parameterBytes(doc);
    QCOMPARE(QList<int>(b.begin() + 8, b.begin() + 15), (QList<int>{152, 1, 248, 255, 255, 1, 0}));
    QCOMPARE(QList<int>(b.begin() + 31, b.end()), (QList<int>{7, 255, 128, 1, 128, 129}));
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
    QCOMPARE(lines.mid(4389), QStringList(GprsFieldCount, QStringLiteral("GPRS:")));

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
    QCOMPARE(unstorableFields(doc), (QStringList{"SimPin", "Login", "Zone05"}));
}

QTEST_APPLESS_MAIN(TestEncoder)
#include "test_encoder.moc"
