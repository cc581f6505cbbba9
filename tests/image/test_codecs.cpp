#include "image/charset.h"
#include "image/codecs.h"
#include "image/document.h"
#include "image/gprs.h"

#include <QTest>

using namespace kvt::image;

class TestCodecs : public QObject
{
    Q_OBJECT

private slots:
    void bitStrings();
    void temperatureWords_data();
    void temperatureWords();
    void temperatureDecodingThreshold();
    void displayForms();
    void windows1252();
    void gprsStringOrderAndCut();
};

void TestCodecs::bitStrings()
{
    QCOMPARE(byteToDecimal(u"10000001"), 129);
    QCOMPARE(byteToDecimal(u"1"), 128);              // short text read from the left
    QCOMPARE(byteToDecimal(u""), 0);
    QCOMPARE(byteToDecimal(u"abcdefgh"), 0);
    QCOMPARE(byteToDecimal(u"000000011111"), 1);      // past position 8 ignored
    QCOMPARE(wordToDecimal(u"1111111111111111"), 65535);
    QCOMPARE(wordToDecimal(u"1"), 32768);
    QCOMPARE(decimalToByte(5), QStringLiteral("00000101"));
    QCOMPARE(decimalToByte(256), QStringLiteral("100000000"));
    for (int v = 0; v < 256; ++v)
        QCOMPARE(byteToDecimal(decimalToByte(v)), v);
}

void TestCodecs::temperatureWords_data()
{
    QTest::addColumn<double>("celsius");
    QTest::addColumn<QString>("bits");
    QTest::newRow("125") << 125.0 << "0000011111010000";
    QTest::newRow("25.5") << 25.5 << "0000000110011000";
    QTest::newRow("0") << 0.0 << "0000000000000000";
    QTest::newRow("-0.5") << -0.5 << "1111111111111000";
    QTest::newRow("-55") << -55.0 << "1111110010010000";
}

void TestCodecs::temperatureWords()
{
    QFETCH(double, celsius);
    QFETCH(QString, bits);
    QCOMPARE(temperatureToBits(celsius), bits);
    QCOMPARE(wordToTemperature(wordToDecimal(bits)), celsius);
}

void TestCodecs::temperatureDecodingThreshold()
{
    QCOMPARE(wordToTemperature(2047), 127.9375);
    QCOMPARE(wordToTemperature(2048), -3968.0);
    // A file's -0.0625 must come back negative and show without "+".
    QCOMPARE(temperatureToWord(-0.0625), 65535);
    QCOMPARE(temperatureText(wordToTemperature(65535)), QStringLiteral(u"-0.0625\u00B0C"));
    for (int halves = -110; halves <= 250; ++halves)
        QCOMPARE(wordToTemperature(temperatureToWord(halves / 2.0)), halves / 2.0);
}

void TestCodecs::displayForms()
{
    QCOMPARE(temperatureText(125), QStringLiteral(u"+125\u00B0C"));
    QCOMPARE(temperatureText(-0.0), QStringLiteral(u"+0\u00B0C"));
    QCOMPARE(temperatureText(-0.5), QStringLiteral(u"-0.5\u00B0C"));
    QCOMPARE(formatNumber(127.9375), QStringLiteral("127.9375"));
    QCOMPARE(formatNumber(-3968), QStringLiteral("-3968"));
    QCOMPARE(trackingCounterText(5), QStringLiteral("5 SMS"));
    QCOMPARE(smsCatchText(40), QStringLiteral("400 seconds"));
    QCOMPARE(rtcCounterText(4), QStringLiteral("4"));
    const QStringList units{"", "Second", "Minute", "Hour", "Month", ""};
    for (int code = 3; code <= 8; ++code)
        QCOMPARE(rtcUnitText(code), units[code - 3]);
}

void TestCodecs::windows1252()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = fromWindows1252(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(toWindows1252(text).value_or(QByteArray()), all);
    QCOMPARE(text[0x80], QChar(0x20AC));                 // the euro sign
    QCOMPARE(charCode(QChar(0x2122)), 0x99);             // trade mark sign
    for (int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        QCOMPARE(charFromCode(undefined), QChar(undefined));

    QCOMPARE(charCode(QChar(0x0100)), -1);
    QCOMPARE(charCode(QChar(0x80)), -1);                 // 0x80 is the euro sign's
    QVERIFY(!isEncodable(u"caf\u00e9 \u0100"));
    QVERIFY(!toWindows1252(u"\U0001F600").has_value());
}

void TestCodecs::gprsStringOrderAndCut()
{
    GprsTexts texts;
    QCOMPARE(composeGprsString(texts), QStringLiteral(",,,,,;,,;,,,,;"));
    for (int i = 0; i < GprsFieldCount; ++i)
        texts[i] = gprsFieldName(static_cast<GprsField>(i));
    QCOMPARE(composeGprsString(texts),
             QStringLiteral("Apn,Login,Password,Ip,Dns1,Dns2;Tmr1,Trial,Tmr2;"
                            "FtpServer,FtpUsername,FtpPassword,Port,Mode;FtpSubDirectory"));

    texts = {};
    texts[int(GprsField::FtpSubDirectory)] = QString(241, u'd');
    QCOMPARE(composeGprsString(texts).size(), 255);
    texts[int(GprsField::FtpSubDirectory)] = QString(286, u'd');
    QCOMPARE(composeGprsString(texts), QStringLiteral(",,,,,;,,;,,,,;") + QString(242, u'd'));
}

QTEST_APPLESS_MAIN(TestCodecs)
#include "test_codecs.moc"
