#include "image/charset.h"
#include "image/codecs.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/gprs.h"
#include "image/storedimage.h"
#include "testdocuments.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
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

QByteArray imageBytes(const Document &doc)
{
    return toWindows1252(encodeParameters(doc) + QStringLiteral("\r\n")).value();
}

QList<QByteArray> startupLines()
{
    return splitLines(imageBytes(startupDocument()));
}
QByteArray joinLines(const QList<QByteArray> &lines)
{
    return lines.join("\r\n") + "\r\n";
}

QByteArray withLine(int index, const QByteArray &text)
{
    QList<QByteArray> lines = startupLines();
    lines[index] = text;
    return joinLines(lines);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestImage : public QObject {
    Q_OBJECT

private slots:
    void bitStrings()
    {
        // A short text is read from the left; characters past the width are ignored.
        QCOMPARE((QList<int>{byteToDecimal(u"10000001"), byteToDecimal(u"1"), byteToDecimal(u"abcdefgh"),
                             byteToDecimal(u"000000011111"), wordToDecimal(u"1111111111111111"), wordToDecimal(u"1")}),
                 (QList<int>{129, 128, 0, 1, 65535, 32768}));
        QCOMPARE(decimalToByte(5), QStringLiteral("00000101"));
    }

    void temperatures()
    {
        for (const auto &[celsius, bits] : {std::pair{125.0, "0000011111010000"},
                                            {25.5, "0000000110011000"},
                                            {0.0, "0000000000000000"},
                                            {-0.5, "1111111111111000"},
                                            {-55.0, "1111110010010000"}}) {
            QCOMPARE(temperatureToBits(celsius), QLatin1String(bits));
            QCOMPARE(wordToTemperature(wordToDecimal(QString::fromLatin1(bits))), celsius);
        }
        // The decoding rule keeps its 2048 threshold; -0.0625 is negative by its sign, shown without "+".
        QCOMPARE((QList<double>{wordToTemperature(2047), wordToTemperature(2048), double(temperatureToWord(-0.0625))}),
                 (QList<double>{127.9375, -3968, 65535}));

        QCOMPARE((QStringList{temperatureText(125), temperatureText(-0.0), temperatureText(-0.5),
                              temperatureText(-0.0625), formatNumber(127.9375), trackingCounterText(5),
                              smsCatchText(40), rtcUnitText(3), rtcUnitText(4), rtcUnitText(7), rtcUnitText(8)}),
                 (QStringList{u"+125\u00B0C"_qs, u"+0\u00B0C"_qs, u"-0.5\u00B0C"_qs, u"-0.0625\u00B0C"_qs, "127.9375",
                              "5 SMS", "400 seconds", "", "Second", "Month", ""}));
    }

    void gprsStringOrderAndCut()
    {
        GprsTexts texts;
        for (int i = 0; i < GprsFieldCount; ++i)
            texts[i] = gprsFieldName(static_cast<GprsField>(i));
        QCOMPARE(composeGprsString(texts),
                 QStringLiteral("Apn,Login,Password,Ip,Dns1,Dns2;Tmr1,Trial,Tmr2;FtpServer,"
                                "FtpUsername,FtpPassword,Port,Mode;FtpSubDirectory"));
        texts = {};
        texts[int(GprsField::FtpSubDirectory)] = QString(286, u'd');
        QCOMPARE(composeGprsString(texts), QStringLiteral(",,,,,;,,;,,,,;") + QString(242, u'd'));
    }

    // The whole image of a freshly started configurator, byte for byte.
    void startupImage()
    {
        QString expected = memoryLines(1, 1,
                                       QList<int>(8, 88) + QList<int>{208, 7, 144, 252, 5, 40, 0} + QList<int>(16, 88)
                                           + QList<int>{4, 4, 1, 0, 0, 0});
        QList<int> zone{0, 126, 126, 126, 126, 0};
        for (QChar c : QStringLiteral("99909001700000000000N000000000S0000000000W0000000000E"))
            zone << c.unicode();
        zone << 0 << 30 << 30 << 48 << 48;
        for (int n = 1; n <= ZoneCount; ++n)
            expected += memoryLines(n, 183, zone);

        // Bank 065: the GPRS string, then "?" up to address 255; then the boxes, Apn first.
        const QString format = composeGprsString(defaultGprsTexts());
        QList<int> bank(GprsBankLineCount, 63);
        for (int a = 0; a < format.size(); ++a)
            bank[a] = format[a].unicode();
        expected += memoryLines(65, 0, bank);
        for (const char *box : {"\"internet.example\"", "", "\"yourlogin\"", "\"enterpwdhere\"", "\"192.0.2.1\"",
                                "\"198.51.100.1\"", "\"ftp://ftp.example.com\"", "\"myftpuser\"", "\"ftpsecret\"",
                                "\"/mydedicatedmolberanedir\"", "2", "21", "0", "30", "60"})
            expected += QStringLiteral("GPRS:%1\r\n").arg(QLatin1String(box));

        QCOMPARE(expected.count(QStringLiteral("\r\n")), 4404);
        QCOMPARE(encodeParameters(startupDocument()).split(QStringLiteral("\r\n")),
                 expected.split(QStringLiteral("\r\n")));
    }

    void parameterBytesOfAnEditedDocument()
    {
        Document doc = startupDocument();
        doc.simPin = QStringLiteral("123456789");                // only 8 places
        doc.isdnRecall = QStringLiteral("+4412345678901234567"); // 20 characters, cut to 16
        std::tie(doc.tempHighAlert, doc.tempLowAlert, doc.trackingCounter) = std::tuple(25.5, -0.5, 255);
        std::tie(doc.smsCatchAlertTimer, doc.rtcIntervalUnit, doc.rtcIntervalCounter) = std::tuple(1, 7, 255);
        for (int n = 1; n <= CheckCount; ++n) // greyed is not a set bit
            doc.check(n) = n == 10 ? Greyed : QList{8, 9, 24, 25, 32}.contains(n) ? Ticked : Clear;
        const auto b = parameterBytes(doc);
        QCOMPARE(QList<int>(b.begin(), b.end()),
                 (QList<int>{49, 50, 51, 52, 53, 54, 55, 56, 152, 1,  248, 255, 255, 1,   0,   43, 52,  52, 49,
                             50, 51, 52, 53, 54, 55, 56, 57, 48,  49, 50,  51,  7,   255, 128, 1,  128, 129}));
    }

    void rejectedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("passesLineCheck");

        QTest::newRow("LF line ends") << QByteArray(imageBytes(startupDocument())).replace("\r\n", "\n") << false;
        // A line that is neither empty, nor a GPRS line, nor nine digits in three bytes.
        for (const char *line : {"001013005 ", "00100908", "00100920x", "001009256", "999001000", "gprs:abc"})
            QTest::addRow("line \"%s\"", line) << withLine(200, line) << false;
        // More than a box holds: refused rather than cut.
        QTest::newRow("GPRS text of 32768 characters") << withLine(4390, "GPRS:" + QByteArray(32768, 'a')) << false;
        QTest::newRow("empty file") << QByteArray() << true;
        // An empty or GPRS line where a byte belongs passes the line check but is no byte.
        for (const auto &[line, text] : {std::pair{12, ""}, {3, "GPRS:X300"}, {9, "GPRS:X256"}, {32, "GPRS:X-12"}})
            QTest::addRow("\"%s\" as line %d", text, line + 1) << withLine(line, text) << true;
        QTest::newRow("no GPRS line") << joinLines(startupLines().first(4389)) << true;
        for (int keep : {37, 4133, 4403})
            QTest::addRow("cut after %d lines", keep) << joinLines(startupLines().first(keep)) << true;
    }

    void rejectedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, passesLineCheck);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.kvt"));
        QVERIFY(writeFile(path, bytes) && loadConfigurationFile(path).status == LoadResult::Invalid);
        QCOMPARE(checkConfigurationFile(path), passesLineCheck ? LoadResult::Loaded : LoadResult::Invalid);
    }

    void decodingIsPositional()
    {
        // Bank and address digits are not read; a zone with 63 lines shifts the zones after it,
        // the GPRS search still finds the boxes and anything may follow the 15th of them.
        const Document doc = startupDocument();
        QList<QByteArray> lines = startupLines();
        for (int i = 0; i < 37; ++i)
            lines[i].replace(0, 6, "255000");
        lines.removeAt(37 + 64 * 4);
        const auto shifted = decodeParameters(joinLines(lines << "GPRS:extra"
                                                              << ""
                                                              << "001001001"))
                                 .value();
        QCOMPARE(encodeParameters(shifted).left(37 * 11), encodeParameters(doc).left(37 * 11));
        QVERIFY(shifted.gprs == doc.gprs && shifted.zoneTexts[3] == doc.zoneTexts[3]
                && shifted.zoneTexts[4] != doc.zoneTexts[4]);
        QVERIFY(shifted.zoneTexts[63].endsWith(QStringLiteral("065000034\r\n"))); // '"'
    }

    void storedValuesAsTheyStand()
    {
        QList<QByteArray> lines = startupLines();
        const QList<QByteArray> values = {"049", "088", "050", "000", "233", "088", "128", "088", // PIN: "X" dropped
                                          "255", "007", "000", "008", "000", "255", "077", "088", "043"};
        for (int i = 0; i < values.size(); ++i) // words 2047 and 2048; 015 reserved, not read
            lines[i] = "001001" + values[i];
        std::tie(lines[31], lines[32]) = std::tuple("GPRS:Xab", "GPRS:X+7"); // RTC values: the leading number
        lines[4390] = "001002003"; // the 14 lines after the first GPRS line are not tested for "GPRS:"

        const auto doc = decodeParameters(joinLines(lines)).value();
        QCOMPARE(doc.simPin + doc.isdnRecall, QStringLiteral(u"12\u0000\u00e9\u20ac+"));
        QCOMPARE((QList<double>{doc.tempHighAlert, doc.tempLowAlert, doc.trackingCounter, doc.smsCatchAlertTimer,
                                doc.rtcIntervalUnit, doc.rtcIntervalCounter}),
                 (QList<double>{127.9375, -3968, 0, 255, 0, 7}));
        QCOMPARE(doc.gprsText(GprsField::Ip), QStringLiteral("2003"));
    }

    // The start-up document, then random ones: written over the file of the
    // round before, checked, loaded back unchanged, also with lone CRs.
    void documentsRoundTrip()
    {
        QRandomGenerator rng(20240611);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("unit.kvt"));
        for (int round = 0; round < 50; ++round) {
            const Document doc = round ? kvt::testing::randomDocument(rng) : startupDocument();
            QVERIFY(writeConfigurationFile(path, encodeParameters(doc)));
            const QByteArray written = readFile(path);
            QCOMPARE(written, imageBytes(doc));
            const LoadResult loaded = loadConfigurationFile(path);
            QVERIFY2(loaded.status == LoadResult::Loaded && loaded.document == doc, qPrintable(QString::number(round)));
            QVERIFY(decodeParameters(QByteArray(written).replace("\r\n", "\r")) == doc);
        }
    }

    // Random files with hand-edited lines (lone CRs in half of them) changed in one value: the
    // result loads as the changed document, and only that value's lines differ from the file.
    void storedFilesChangeOnlyTheLinesOfAValue()
    {
        QRandomGenerator rng(20240612);
        constexpr int Bank = 37 + 64 * 64, Gprs = Bank + 256;
        for (int round = 0; round < 40; ++round) {
            QList<QByteArray> lines = splitLines(imageBytes(kvt::testing::randomDocument(rng)));
            const int zone = rng.bounded(ZoneCount) + 1, first = 37 + 64 * (zone - 1);
            lines[14] = "001015009";
            lines[first + 62] = "000000049";
            lines[Bank] = "065000" + QByteArray(lines[Bank].endsWith("035") ? "036" : "035");
            const QByteArray bytes = round % 2 ? lines.join("\r") + "\r" : joinLines(lines);
            const StoredImage image = StoredImage::fromBytes(bytes).value();
            QCOMPARE(image.withDocument(image.document()).value(), bytes);

            Document changed = image.document();
            QList<std::pair<int, int>> spans; // the lines that may change: first, count
            ZoneRecord record = ZoneRecord::fromZoneText(changed.zoneTexts[zone - 1]);
            switch (round % 4) {
            case 0:
                changed.tempLowAlert = changed.tempLowAlert == 25.5 ? 26 : 25.5;
                spans = {{10, 2}};
                break;
            case 1:
                changed.check(3 + 8 * (round % 32 / 8)) ^= 1;
                spans = {{33 + round % 32 / 8, 1}};
                break;
            case 2:
                record.speedLimit = record.speedLimit == u"123" ? QStringLiteral("124") : QStringLiteral("123");
                changed.zoneTexts[zone - 1] = record.patchedZoneText(changed.zoneTexts[zone - 1], zone);
                spans = {{first + 6, 3}};
                break;
            case 3:
                changed.gprsText(GprsField::Port) += u'1';
                spans = {{Bank, 256}, {Gprs + 11, 1}};
                break;
            }
            const QByteArray written = image.withDocument(changed).value();
            QCOMPARE(decodeParameters(written).value(), changed);
            const QList<QByteArray> after = splitLines(written), before = splitLines(bytes);
            QCOMPARE(after.size(), before.size());
            for (int i = 0; i < before.size(); ++i) {
                const bool named = std::any_of(spans.begin(), spans.end(),
                                               [i](auto s) { return i >= s.first && i < s.first + s.second; });
                QVERIFY2(named || after[i] == before[i],
                         qPrintable(QStringLiteral("round %1, line %2").arg(round).arg(i + 1)));
            }
        }
    }

    void failedSaveKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString kept = dir.filePath(QStringLiteral("kept.kvt"));
        QVERIFY(writeFile(kept, "old contents"));
        // A character without a code (never written as a wider number), a CR that would split a GPRS
        // line, or more than a box holds.
        for (const QString &apn : {QStringLiteral(u"\u0100"), QStringLiteral("6\r0"), QString(40000, u'a')}) {
            Document doc = startupDocument();
            doc.gprsText(GprsField::Apn) = apn;
            QString why;
            QVERIFY(!writeConfigurationFile(kept, encodeParameters(doc), &why) && !why.isEmpty());
            QCOMPARE(readFile(kept), QByteArray("old contents"));
        }
        QVERIFY(!writeConfigurationFile(dir.path(), encodeParameters(startupDocument()))); // over a folder
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.kvt"});
    }
};

QTEST_APPLESS_MAIN(TestImage)
#include "test_image.moc"
