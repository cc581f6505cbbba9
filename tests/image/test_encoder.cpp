#include "image/document.h"
#include "image/encoder.h"
#include "image/gprs.h"

#include <QTest>

using namespace kvt::image;

namespace {

QString memoryLines(int bank, int firstAddress, const QList<int> &values)
{
    QString text;
    for (int i = 0; i < values.size(); ++i)
        text += QString::asprintf("%03d%03d%03d\r\n", bank, firstAddress + i, values[i]);
    return text;
}

// Bank 065: the GPRS string, then "?" (063), one character per address 000..255.
QString bankLines(const QString &format)
{
    QList<int> codes(GprsBankLineCount, 63);
    for (int a = 0; a < qMin(format.size(), GprsBankLineCount); ++a)
        codes[a] = format[a].unicode();
    return memoryLines(65, 0, codes);
}

} // namespace

class TestEncoder : public QObject
{
    Q_OBJECT

private slots:
    // The whole image of a freshly started configurator, byte for byte.
    void startupImage()
    {
        const QList<int> parameters = QList<int>(8, 88) + QList<int>{208, 7, 144, 252, 5, 40, 0}
                                      + QList<int>(16, 88) + QList<int>{4, 4, 1, 0, 0, 0};
        QString expected = memoryLines(1, 1, parameters);

        QList<int> zone{0, 126, 126, 126, 126, 0};
        for (QChar c : QStringLiteral("99909001700000000000N000000000S0000000000W0000000000E"))
            zone << c.unicode();
        zone << 0 << 30 << 30 << 48 << 48;
        for (int n = 1; n <= ZoneCount; ++n)
            expected += memoryLines(n, 183, zone);

        // The default boxes in file order, Apn first, Tmr2 last.
        const QStringList boxes{"\"internet.example\"", "", "\"yourlogin\"", "\"enterpwdhere\"",
                                "\"192.0.2.1\"", "\"198.51.100.1\"", "\"ftp://ftp.example.com\"",
                                "\"myftpuser\"", "\"ftpsecret\"", "\"/mydedicatedmolberanedir\"",
                                "2", "21", "0", "30", "60"};
        expected += bankLines(composeGprsString(defaultGprsTexts()));
        for (const QString &box : boxes)
            expected += QStringLiteral("GPRS:") + box + QStringLiteral("\r\n");

        QCOMPARE(expected.count(QStringLiteral("\r\n")), 4404);
        const QStringList image = encodeParameters(startupDocument()).split(QStringLiteral("\r\n"));
        QCOMPARE(image.mid(8, 7), (QStringList{"001009208", "001010007", "001011144", "001012252",
                                               "001013005", "001014040", "001015000"}));
        QCOMPARE(image, expected.split(QStringLiteral("\r\n")));
    }

    void parameterBytesOfAnEditedDocument()
    {
        Document doc = startupDocument();
        doc.simPin = QStringLiteral("1234");
        doc.isdnRecall = QStringLiteral("+4412345678901234567");   // 20 characters, cut to 16
        doc.tempHighAlert = 25.5;
        doc.tempLowAlert = -0.5;
        doc.trackingCounter = 255;
        doc.smsCatchAlertTimer = 1;
        doc.rtcIntervalUnit = 7;
        doc.rtcIntervalCounter = 255;
        doc.checks.fill(Clear);
        for (int n : {8, 9, 24, 25, 32})
            doc.check(n) = Ticked;
        doc.check(10) = Greyed;    // greyed is not a set bit
        const auto b = parameterBytes(doc);
        QCOMPARE(QList<int>(b.begin(), b.end()),
                 (QList<int>{49, 50, 51, 52, 88, 88, 88, 88, 152, 1, 248, 255, 255, 1, 0,
                             43, 52, 52, 49, 50, 51, 52, 53, 54, 55, 56, 57, 48, 49, 50, 51,
                             7, 255, 128, 1, 128, 129}));
        doc.simPin = QStringLiteral("123456789");                  // only 8 places
        QCOMPARE(parameterBytes(doc)[7], 56);
        QCOMPARE(parameterBytes(doc)[8], 152);
    }

    void gprsBank()
    {
        // Empty boxes: the 14 separators, then "?" (063); each box still writes its line.
        Document doc = startupDocument();
        doc.gprs = {};
        QVERIFY(encodeParameters(doc).endsWith(bankLines(QStringLiteral(",,,,,;,,;,,,,;"))
                                               + QStringLiteral("GPRS:\r\n").repeated(GprsFieldCount)));

        // 256 characters or more leave no "?"; a character above 127 is stored by its 8-bit code.
        doc.gprs[int(GprsField::Apn)] = QString(300, QChar(0xE9));
        const QString image = encodeParameters(doc);
        QCOMPARE(image.count(QStringLiteral("\r\n")), ImageLineCount);
        QVERIFY(image.contains(memoryLines(65, 0, QList<int>(GprsBankLineCount, 233)) + QStringLiteral("GPRS:")
                               + QString(300, QChar(0xE9)) + QStringLiteral("\r\n")));
    }

    void unstorableTexts()
    {
        Document doc = startupDocument();
        QVERIFY(unstorableFields(doc).isEmpty());
        doc.simPin = QStringLiteral(u"12\u0100");
        doc.gprs[int(GprsField::Login)] = QStringLiteral("a\rb");
        doc.gprs[int(GprsField::Mode)] = QStringLiteral("a\nb");        // stays in its line
        doc.zoneTexts[4] += QChar(0x3A9);
        QCOMPARE(unstorableFields(doc), (QStringList{"SimPin", "Login", "Zone05"}));
    }
};

QTEST_APPLESS_MAIN(TestEncoder)
#include "test_encoder.moc"
