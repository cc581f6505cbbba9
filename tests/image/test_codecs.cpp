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
    void bitStrings()
    {
        // A short text is read from the left; characters past the width are ignored.
        const QList<int> values{byteToDecimal(u"10000001"), byteToDecimal(u"1"), byteToDecimal(u"abcdefgh"),
                                byteToDecimal(u"000000011111"), wordToDecimal(u"1111111111111111"), wordToDecimal(u"1")};
        QCOMPARE(values, (QList<int>{129, 128, 0, 1, 65535, 32768}));
        QCOMPARE(decimalToByte(256), QStringLiteral("100000000"));
        for (int v = 0; v < 256; ++v)
            QCOMPARE(byteToDecimal(decimalToByte(v)), v);
    }

    void temperatures()
    {
        const QList<std::pair<double, QString>> words{{125, "0000011111010000"}, {25.5, "0000000110011000"},
                                                      {0, "0000000000000000"}, {-0.5, "1111111111111000"},
                                                      {-55, "1111110010010000"}};
        for (const auto &[celsius, bits] : words) {
            QCOMPARE(temperatureToBits(celsius), bits);
            QCOMPARE(wordToTemperature(wordToDecimal(bits)), celsius);
        }
        QCOMPARE(wordToTemperature(2047), 127.9375);   // the decoding rule keeps its 2048 threshold
        QCOMPARE(wordToTemperature(2048), -3968.0);
        QCOMPARE(temperatureToWord(-0.0625), 65535);   // negative by its sign, shown without "+"
        for (int halves = -110; halves <= 250; ++halves)
            QCOMPARE(wordToTemperature(temperatureToWord(halves / 2.0)), halves / 2.0);

        const QStringList texts{temperatureText(125), temperatureText(-0.0), temperatureText(-0.5),
                                temperatureText(-0.0625), formatNumber(127.9375), trackingCounterText(5),
                                smsCatchText(40), rtcUnitText(3), rtcUnitText(4), rtcUnitText(7), rtcUnitText(8)};
        QCOMPARE(texts, (QStringList{u"+125\u00B0C"_qs, u"+0\u00B0C"_qs, u"-0.5\u00B0C"_qs, u"-0.0625\u00B0C"_qs,
                                     "127.9375", "5 SMS", "400 seconds", "", "Second", "Month", ""}));
    }

    void windows1252()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString text = fromWindows1252(all);
        QCOMPARE(toWindows1252(text).value_or(QByteArray()), all);
        QCOMPARE(text.mid(0x80, 2), QStringLiteral(u"\u20ac\u0081"));   // the euro sign; 0x81 has no character
        QCOMPARE(charCode(QChar(0x80)), -1);                              // 0x80 is the euro sign's
        QVERIFY(!isEncodable(u"caf\u00e9 \u0100"));
        QVERIFY(!toWindows1252(u"\U0001F600").has_value());
    }

    void gprsStringOrderAndCut()
    {
        GprsTexts texts;
        for (int i = 0; i < GprsFieldCount; ++i)
            texts[i] = gprsFieldName(static_cast<GprsField>(i));
        QCOMPARE(composeGprsString(texts), QStringLiteral("Apn,Login,Password,Ip,Dns1,Dns2;Tmr1,Trial,Tmr2;FtpServer,"
                                                          "FtpUsername,FtpPassword,Port,Mode;FtpSubDirectory"));
        texts = {};
        texts[int(GprsField::FtpSubDirectory)] = QString(286, u'd');
        QCOMPARE(composeGprsString(texts), QStringLiteral(",,,,,;,,;,,,,;") + QString(242, u'd'));
    }
};

QTEST_APPLESS_MAIN(TestCodecs)
#include "test_codecs.moc"
