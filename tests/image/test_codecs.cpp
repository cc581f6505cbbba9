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
    void decimalToByteWidths();
    void temperatureWords_data();
    void temperatureWords();
    void temperatureDecodingThreshold();
    void displayForms();
    void everyByteRoundTrips();
    void textOutsideTheSetIsRefused();
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
    QCOMPARE(wordToDecimal(u"0000000000000001"), 1);
    QCOMPARE(wordToDecimal(u"1"), 32768);
}

void TestCodecs::decimalToByteWidths()
{
    QCOMPARE(decimalToByte(0), QStringLiteral("00000000"));
    QCOMPARE(decimalToByte(5), QStringLiteral("00000101"));
    QCOMPARE(decimalToByte(128), QStringLiteral("10000000"));
    QCOMPARE(decimalToByte(255), QStringLiteral("11111111"));
    QCOMPARE(decimalToByte(256), QStringLiteral("100000000"));
    for (int v = 0; v < 256; ++v)
        QCOMPARE(byteToDecimal(decimalToByte(v)), v);
}

void TestCodecs::temperatureWords_data()
{
    QTest::addColumn<double>("celsius");
    QTest::addColumn<QString>("bits");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::newRow("125") << 125.0 << "0000011111010000" << 208 << 7;
    QTest::newRow("25.5") << 25.5 << "0000000110011000" << 152 << 1;
    QTest::newRow("0") << 0.0 << "0000000000000000" << 0 << 0;
    QTest::newRow("-0.5") << -0.5 << "1111111111111000" << 248 << 255;
    QTest::newRow("-55") << -55.0 << "1111110010010000" << 144 << 252;
}

void TestCodecs::temperatureWords()
{
    QFETCH(double, celsius);
    QFETCH(QString, bits);
    QFETCH(int, low);
    QFETCH(int, high);
    QCOMPARE(temperatureToBits(celsius), bits);
    QCOMPARE(byteToDecimal(QStringView(bits).sliced(8)), low);
    QCOMPARE(byteToDecimal(QStringView(bits).first(8)), high);
    QCOMPARE(wordToTemperature(temperatureToWord(celsius)), celsius);
}

void TestCodecs::temperatureDecodingThreshold()
{
    QCOMPARE(wordToTemperature(2000), 125.0);
    QCOMPARE(wordToTemperature(65528), -0.5);
    QCOMPARE(wordToTemperature(64656), -55.0);
    QCOMPARE(wordToTemperature(2047), 127.9375);
    QCOMPARE(wordToTemperature(2048), -3968.0);
    // A file's -0.0625 must come back negative and show without "+".
    QCOMPARE(temperatureToWord(-0.0625), 65535);
    QCOMPARE(temperatureText(wordToTemperature(65535)), QStringLiteral(u"-0.0625\u00B0C"));
    // Every half degree of the editor's range survives the trip.
    for (int halves = -110; halves <= 250; ++halves)
        QCOMPARE(wordToTemperature(temperatureToWord(halves / 2.0)), halves / 2.0);
}

void TestCodecs::displayForms()
{
    QCOMPARE(temperatureText(125), QStringLiteral(u"+125\u00B0C"));
    QCOMPARE(temperatureText(0), QStringLiteral(u"+0\u00B0C"));
    QCOMPARE(temperatureText(-0.0), QStringLiteral(u"+0\u00B0C"));
    QCOMPARE(temperatureText(-0.5), QStringLiteral(u"-0.5\u00B0C"));
    QCOMPARE(temperatureText(-55), QStringLiteral(u"-55\u00B0C"));
    QCOMPARE(formatNumber(25.5), QStringLiteral("25.5"));
    QCOMPARE(formatNumber(127.9375), QStringLiteral("127.9375"));
    QCOMPARE(formatNumber(-3968), QStringLiteral("-3968"));
    QCOMPARE(trackingCounterText(5), QStringLiteral("5 SMS"));
    QCOMPARE(smsCatchText(40), QStringLiteral("400 seconds"));
    QCOMPARE(rtcCounterText(4), QStringLiteral("4"));
    const QStringList units{"Second", "Minute", "Hour", "Month"};
    for (int code = 4; code <= 7; ++code)
        QCOMPARE(rtcUnitText(code), units[code - 4]);
    QVERIFY(rtcUnitText(9).isEmpty());
    QVERIFY(rtcUnitText(3).isEmpty());
}

void TestCodecs::everyByteRoundTrips()
{
    QByteArray all(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = fromWindows1252(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(toWindows1252(text).value_or(QByteArray()), all);
    for (int b = 0; b < 256; ++b)
        QCOMPARE(charCode(charFromCode(b)), b);
    QCOMPARE(charFromCode(0x80), QChar(0x20AC));         // the euro sign
    QCOMPARE(charFromCode(0xE9), QChar(0xE9));
    QCOMPARE(charCode(QChar(0x2122)), 0x99);             // trade mark sign
    for (int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
        QCOMPARE(charFromCode(undefined), QChar(undefined));
}

void TestCodecs::textOutsideTheSetIsRefused()
{
    QCOMPARE(charCode(QChar(0x0100)), -1);
    QCOMPARE(charCode(QChar(0x80)), -1);                 // 0x80 is the euro sign's
    QVERIFY(!isEncodable(u"caf\u00e9 \u0100"));
    QVERIFY(isEncodable(u"caf\u00e9 \u20ac"));
    QVERIFY(!toWindows1252(u"\U0001F600").has_value());
    QCOMPARE(toWindows1252(u"").value_or(QByteArray("x")), QByteArray());
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
    texts[int(GprsField::FtpSubDirectory)] = QString(241, QLatin1Char('d'));
    QCOMPARE(composeGprsString(texts).size(), 255);
    texts[int(GprsField::FtpSubDirectory)] = QString(286, QLatin1Char('d'));
    const QString cut = composeGprsString(texts);
    QCOMPARE(cut.size(), GprsFormatMax);
    QVERIFY(cut.startsWith(QStringLiteral(",,,,,;,,;,,,,;ddd")));

    texts = defaultGprsTexts();
    QCOMPARE(composeGprsString(texts),
             QStringLiteral("\"internet.example\",\"yourlogin\",\"enterpwdhere\",,\"192.0.2.1\","
                            "\"198.51.100.1\";30,2,60;\"ftp://ftp.example.com\",\"myftpuser\","
                            "\"ftpsecret\",21,0;\"/mydedicatedmolberanedir\""));
}

QTEST_APPLESS_MAIN(TestCodecs)
#include "test_codecs.moc"
