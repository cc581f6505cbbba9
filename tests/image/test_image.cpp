#include "image/charset.h"
#include "image/codecs.h"
#include "image/encoder.h"
#include "image/parametertables.h"
#include "image/storedimage.h"
#include "testdocuments.h"
#include "testenv.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace kvt::image;

class TestImage : public QObject {
    Q_OBJECT

    static QString memoryLines(int bank, int firstAddress, const QList<int> &values)
    {
        QString text;
        for (int i = 0; i < values.size(); ++i)
            text += QString::asprintf("%03d%03d%03d\r\n", bank, firstAddress + i, values[i]);
        return text;
    }
    static QByteArray imageBytes(const Document &doc) { return toWindows1252(encodeParameters(doc)).value() + "\r\n"; }
    static QByteArray joinLines(const QList<QByteArray> &lines) { return lines.join("\r\n") + "\r\n"; }
    // The lines of the start-up document's file, the final empty line last.
    static QList<QByteArray> startupLines() { return splitLines(imageBytes(startupDocument())); }

private slots:
    void textsAndParameterBytes()
    {
        // The forms the boxes and `kvt show` use; -0.0625 is negative by its sign, shown without "+".
        QCOMPARE((QStringList{temperatureText(125), temperatureText(-0.0), temperatureText(-0.5),
                              temperatureText(-0.0625), formatNumber(127.9375), trackingCounterText(5),
                              smsCatchText(40), rtcUnitText(5), rtcUnitText(6), rtcUnitBoxText(3), decimalToByte(5),
                              decimalToByte(256), logMemoryCaption(logRecordCount(1))}),
                 (QStringList{u"+125\u00B0C"_qs, u"+0\u00B0C"_qs, u"-0.5\u00B0C"_qs, u"-0.0625\u00B0C"_qs, "127.9375",
                              "5 SMS", "400 seconds", "Minute", "Hour", "Unit 3", "00000101", "100000000",
                              "LOG memory configuration (32700)"}));
        // Three digits; a number outside 0..999 as it is, for the line check to refuse.
        QCOMPARE((QStringList{threeDigits(7), threeDigits(1000), threeDigits(-1)}), (QStringList{"007", "1000", "-1"}));
        // Windows-1252 with its five undefined codes kept as C1 controls; other characters have no code.
        QCOMPARE(fromWindows1252("\x7f\x80\x81\x9f\xe9\xff"), u"\u007f\u20ac\u0081\u0178\u00e9\u00ff"_qs);
        QCOMPARE((QList<int>{charCode(u'\u20ac'), charCode(u'\u0081'), charCode(u'\u0080'), charCode(u'\u0100')}),
                 (QList<int>{128, 129, -1, -1}));
        QCOMPARE((QList<QChar>{charFromCode(-1), charFromCode(256)}), QList<QChar>(2, QChar::ReplacementCharacter));
        QVERIFY(!toWindows1252(u"\u20ac\u0100"));
        // Control characters shown as their symbols: nothing breaks a line or acts on a terminal.
        QCOMPARE(visible(u"a\u0000\r\n\u001b\u007f\u0085\u00e9"_qs), u"a\u2400\u240d\u240a\u241b\u2421\ufffd\u00e9"_qs);

        GprsTexts texts;
        for (int i = 0; i < GprsFieldCount; ++i)
            texts[i] = gprsFieldName(static_cast<GprsField>(i));
        QCOMPARE(composeGprsString(texts),
                 "Apn,Login,Password,Ip,Dns1,Dns2;Tmr1,Trial,Tmr2;FtpServer,"
                 "FtpUsername,FtpPassword,Port,Mode;FtpSubDirectory");
        // Cut to 256 characters; the length before the cut tells more than the unit's 255.
        texts = {};
        QCOMPARE(composedGprsLength(texts), 14);
        texts[int(GprsField::FtpSubDirectory)] = QString(286, u'd');
        QCOMPARE(composeGprsString(texts), ",,,,,;,,;,,,,;" + QString(242, u'd'));
        QCOMPARE(composedGprsLength(texts), 300);
        // What a box may hold: 8-bit characters, no CR, at most 32767 of them.
        QCOMPARE((QList<bool>{isGprsBoxText(QString(32767, u'a')), isGprsBoxText(QString(32768, u'a')),
                              isGprsBoxText(u"a\rb"), isGprsBoxText(u"\u0100"), isGprsBoxText(u"\u20ac\n,;\"")}),
                 (QList<bool>{true, false, false, false, true}));

        // The whole image of a freshly started configurator, byte for byte, and the parameter bytes of an edited one.
        QString expected = memoryLines(1, 1,
                                       QList<int>(8, 88) + QList<int>{208, 7, 144, 252, 5, 40, 0} + QList<int>(16, 88)
                                           + QList<int>{4, 4, 1, 0, 0, 0});
        QList<int> zone{0, 126, 126, 126, 126, 0};
        for (QChar c : u"99909001700000000000N000000000S0000000000W0000000000E"_qs)
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
            expected += "GPRS:" + QLatin1String(box) + "\r\n";
        QCOMPARE(expected.count("\r\n"), 4404);
        QCOMPARE(encodeParameters(startupDocument()).split("\r\n"), expected.split("\r\n"));

        Document doc = startupDocument();
        doc.simPin = u"123456789"_qs;                // only 8 places
        doc.isdnRecall = u"+4412345678901234567"_qs; // 20 characters, cut to 16
        std::tie(doc.tempHighAlert, doc.tempLowAlert, doc.trackingCounter) = std::tuple(25.5, -0.5, 255);
        std::tie(doc.smsCatchAlertTimer, doc.rtcIntervalUnit, doc.rtcIntervalCounter) = std::tuple(1, 7, 255);
        for (int n = 1; n <= CheckCount; ++n) // greyed is not a set bit
            doc.check(n) = n == 10 ? Greyed : QList{8, 9, 24, 25, 32}.contains(n) ? Ticked : Clear;
        const auto b = parameterBytes(doc);
        QCOMPARE(QList<int>(b.begin(), b.end()),
                 (QList<int>{49, 50, 51, 52, 53, 54, 55, 56, 152, 1,  248, 255, 255, 1,   0,   43, 52,  52, 49,
                             50, 51, 52, 53, 54, 55, 56, 57, 48,  49, 50,  51,  7,   255, 128, 1,  128, 129}));
    }

    void files_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("passesLineCheck");
        QTest::addColumn<bool>("loads");
        const auto withLine = [](int index, const QByteArray &text) {
            QList<QByteArray> lines = startupLines();
            lines[index] = text;
            return joinLines(lines);
        };
        QTest::newRow("LF line ends") << QByteArray(imageBytes(startupDocument())).replace("\r\n", "\n") << false
                                      << false;
        // A line that is neither empty, nor a GPRS line, nor nine digits in three bytes.
        for (const char *line :
             {"001013005 ", "00100908", "00100920x", "00100900:", "001009256", "256001000", "gprs:abc"})
            QTest::addRow("line \"%s\"", line) << withLine(200, line) << false << false;
        QTest::newRow("empty lines after the GPRS lines") << imageBytes(startupDocument()) + "\r\r\n" << true << true;
        QTest::newRow("empty file") << QByteArray() << true << false;
        // An empty or GPRS line where a byte belongs passes the line check but is no byte.
        for (const auto &[line, text] : {std::pair{12, ""}, {3, "GPRS:X300"}, {9, "GPRS:X256"}, {32, "GPRS:X-12"}})
            QTest::addRow("\"%s\" as line %d", text, line + 1) << withLine(line, text) << true << false;
        for (int keep : {4389, 37, 4133, 4403}) // 4389: no GPRS line
            QTest::addRow("cut after %d lines", keep) << joinLines(startupLines().first(keep)) << true << false;
    }

    void files()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, passesLineCheck);
        QFETCH(bool, loads);
        QCOMPARE(checkConfigurationBytes(bytes), passesLineCheck);
        QCOMPARE(StoredImage::fromBytes(bytes).has_value(), loads);
    }

    void decodingIsPositionalAndTakesStoredValues()
    {
        // Bank and address digits are not read; a zone with 63 lines shifts the zones after it,
        // the GPRS search still finds the boxes and anything may follow the 15th of them.
        const Document doc = startupDocument();
        QList<QByteArray> lines = startupLines();
        for (int i = 0; i < 37; ++i)
            lines[i].replace(0, 6, "255000");
        lines.removeAt(37 + 64 * 4);
        lines << "GPRS:extra" << QByteArray() << "001001001";
        const auto shifted = decodeParameters(joinLines(lines)).value();
        QCOMPARE(encodeParameters(shifted).left(37 * 11), encodeParameters(doc).left(37 * 11));
        QCOMPARE(shifted.gprs, doc.gprs);
        QCOMPARE(shifted.zoneTexts[3], doc.zoneTexts[3]);
        QCOMPARE(shifted.zoneTexts[4], doc.zoneTexts[4].sliced(11) + doc.zoneTexts[5].left(11));
        QVERIFY(shifted.zoneTexts[63].endsWith(u"065000034\r\n")); // '"'

        lines = startupLines();
        const QList<QByteArray> values = {"049", "088", "050", "000", "233", "088", "128", "088", // PIN: "X" dropped
                                          "255", "007", "000", "008", "000", "255", "077", "088", "043"};
        for (int i = 0; i < values.size(); ++i) // words 2047 and 2048; 015 reserved, not read
            lines[i] = "001001" + values[i];
        std::tie(lines[31], lines[32]) = std::tuple("GPRS:Xab", "GPRS:X+7"); // RTC values: the leading number
        lines[4390] = "001002003"; // the 14 lines after the first GPRS line are not tested for "GPRS:"
        const auto stored = decodeParameters(joinLines(lines)).value();
        QCOMPARE(stored.simPin + stored.isdnRecall, u"12\u0000\u00e9\u20ac+"_qs);
        QCOMPARE((QList<double>{stored.tempHighAlert, stored.tempLowAlert, stored.trackingCounter,
                                stored.smsCatchAlertTimer, stored.rtcIntervalUnit, stored.rtcIntervalCounter}),
                 (QList<double>{127.9375, -3968, 0, 255, 0, 7}));
        QCOMPARE(stored.gprsText(GprsField::Ip), u"2003"_qs);
    }

    // Random documents load back as they were saved. Their files with hand-edited lines (lone CRs in half
    // of them, no last empty line in a third) changed in one value: the result loads as the changed document,
    // only that value's lines differ from the file, and bank 065, edited by hand, gives way to a changed string.
    void storedFilesChangeOnlyTheLinesOfAValue()
    {
        QRandomGenerator rng(20240612);
        constexpr int Bank = 37 + 64 * 64, Gprs = Bank + 256;
        for (int round = 0; round < 40; ++round) {
            const Document doc = kvt::testing::randomDocument(rng);
            QCOMPARE(decodeParameters(imageBytes(doc)).value(), doc);
            QList<QByteArray> lines = splitLines(imageBytes(doc));
            const int zone = rng.bounded(ZoneCount) + 1, first = 37 + 64 * (zone - 1), check = round % 32 / 8;
            std::tie(lines[14], lines[first + 62]) = std::tuple("001015009", "000000049");
            lines[Bank] = "065000" + QByteArray(lines[Bank].endsWith("035") ? "036" : "035");
            if (round % 3 == 1)
                lines.removeLast();
            const QByteArray bytes = round % 2 ? lines.join("\r") + "\r" : joinLines(lines);
            const StoredImage image = StoredImage::fromBytes(bytes).value();
            QCOMPARE(image.withDocument(image.document()).value(), bytes);

            Document changed = image.document();
            ZoneRecord record = ZoneRecord::fromZoneText(changed.zoneTexts[zone - 1]);
            record.speedLimit = record.speedLimit == u"123" ? u"124"_qs : u"123"_qs;
            switch (round % 4) {
            case 0: changed.tempLowAlert = changed.tempLowAlert == 16 ? 25.5 : 16; break; // 16: a byte 000
            case 1: changed.check(3 + 8 * check) ^= 1; break;
            case 2: changed.zoneTexts[zone - 1] = record.patchedZoneText(changed.zoneTexts[zone - 1], zone); break;
            case 3: changed.gprsText(GprsField::Port) += u'1'; break;
            }
            // The lines that may change: first, count.
            const QList<std::pair<int, int>> spans = QList<QList<std::pair<int, int>>>{
                {{10, 2}}, {{33 + check, 1}}, {{first + 6, 3}}, {{Bank, 256}, {Gprs + 11, 1}}}[round % 4];
            bool replaced = false;
            const QByteArray written = image.withDocument(changed, &replaced).value();
            QCOMPARE(replaced, composeGprsString(changed.gprs) != composeGprsString(image.document().gprs));
            QCOMPARE(decodeParameters(written).value(), changed);
            const QList<QByteArray> after = splitLines(written), before = splitLines(bytes);
            QCOMPARE(after.size(), before.size());
            for (int i = 0; i < before.size(); ++i)
                if (std::none_of(spans.begin(), spans.end(),
                                 [i](auto s) { return i >= s.first && i < s.first + s.second; }))
                    QCOMPARE(after[i], before[i]);
        }
    }

    // The string bank 065 holds, the "?" after it left out: as saved, edited by hand (an empty line in it too)
    // or left out; a changed string writes the whole bank anew.
    void storedGprsBankAndFailedSaves()
    {
        const QList<QByteArray> saved = startupLines();
        const QString format = composeGprsString(defaultGprsTexts());
        QList<QByteArray> edited = saved, missing = saved;
        edited[4133] = "065000035";
        edited.insert(4134, QByteArray());
        missing.remove(4133, 256);
        for (const auto &[lines, stored] :
             {std::pair{saved, format}, {edited, u'#' + format.sliced(1)}, {missing, QString()}}) {
            const StoredImage image = StoredImage::fromBytes(joinLines(lines)).value();
            QCOMPARE(image.storedGprsString(), stored);
            QCOMPARE(image.gprsBankAgrees(), stored == format);
            Document changed = image.document();
            changed.gprsText(GprsField::Tmr2) = u"61"_qs;
            bool replaced = true;
            QCOMPARE(splitLines(image.withDocument(changed, &replaced).value()), splitLines(imageBytes(changed)));
            QCOMPARE(replaced, stored != format);
        }
        Document uncoded = startupDocument(); // a character without a code is not written
        uncoded.simPin = u"\u0100"_qs;
        QVERIFY(!StoredImage::fromBytes(joinLines(saved))->withDocument(uncoded));

        // A failed save keeps the old file.
        QTemporaryDir dir;
        const QString kept = writeFile(dir.filePath("kept.kvt"), "old contents");
        const QString noCode =
            u"The configuration holds characters that have no code in the Windows-1252 character set."_qs;
        const QString refused = u"The configuration holds a line that is neither a memory line nor a GPRS line of at "
                                u"most 32767 characters."_qs;
        // A character without a code (never written as a wider number), a CR that would split a GPRS
        // line, or more than a box holds.
        QString why;
        for (const auto &[apn, message] :
             {std::pair{u"\u0100"_qs, noCode}, {"6\r0", refused}, {QString(32768, u'a'), refused}}) {
            Document doc = startupDocument();
            doc.gprsText(GprsField::Apn) = apn;
            QVERIFY(!writeConfigurationFile(kept, encodeParameters(doc), &why));
            QCOMPARE(why, message);
            QCOMPARE(readFile(kept), QByteArray("old contents"));
        }
        QVERIFY(!writeConfigurationBytes(kept, "001001001\r\n01\r\n", &why));
        QCOMPARE(why, refused);
        QVERIFY(!writeConfigurationFile(dir.path(), encodeParameters(startupDocument()))); // over a folder
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.kvt"});
        QCOMPARE(readFile(kept), QByteArray("old contents"));
    }
};

QTEST_APPLESS_MAIN(TestImage)
#include "test_image.moc"
