#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "testdocuments.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kvt::image;

namespace {

QByteArray startupBytes()
{
    return toWindows1252(encodeParameters(startupDocument()) + QStringLiteral("\r\n")).value();
}

// The 4404 lines of the start-up image and the empty last line.
QList<QByteArray> startupLines()
{
    return splitLines(startupBytes());
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

class TestConfigFile : public QObject
{
    Q_OBJECT

private slots:
    void lineEnds()
    {
        // CR LF or a lone CR ends a line; a lone LF stays in its line.
        QCOMPARE(splitLines("a\r\nb\rc\nd\r\r\n"), (QList<QByteArray>{"a", "b", "c\nd", ""}));
        QCOMPARE(splitLines(""), QList<QByteArray>());
    }

    void rejectedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("passesLineCheck");

        QByteArray lfOnly = startupBytes();
        lfOnly.replace("\r\n", "\n");
        QTest::newRow("LF line ends") << lfOnly << false;
        // A line that is neither empty, nor a GPRS line, nor nine digits in three bytes.
        const QList<std::pair<const char *, QByteArray>> badLines{
            {"trailing blank", "001013005 "}, {"8-character line", "00100908"},
            {"letter", "00100920x"}, {"sign", "001009-08"}, {"value 256", "001009256"},
            {"address 300", "001300000"}, {"bank 999", "999001000"},
            {"GPRS without colon", "GPRS"}, {"lower case gprs", "gprs:abc"}};
        for (const auto &[name, line] : badLines)
            QTest::newRow(name) << withLine(200, line) << false;
        QTest::newRow("empty file") << QByteArray() << true;
        QTest::newRow("empty line in parameters") << withLine(12, "") << true;
        // A GPRS line where a memory line belongs passes the line check, but its
        // characters 7..9 are no byte: PIN, temperature, tracking counter, RTC
        // unit and counter, register.
        for (const auto &[line, text] : {std::pair{3, "GPRS:X300"}, {9, "GPRS:X256"}, {12, "GPRS:X999"},
                                         {31, "GPRS:X999"}, {32, "GPRS:X-12"}, {35, "GPRS:X999"}})
            QTest::addRow("GPRS line as line %d", line + 1) << withLine(line, text) << true;
        QTest::newRow("no GPRS line") << joinLines(startupLines().first(4389)) << true;
        for (int keep : {1, 36, 37, 4132, 4133, 4390, 4403})
            QTest::addRow("cut after %d lines", keep) << joinLines(startupLines().first(keep)) << true;
    }

    void rejectedFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, passesLineCheck);
        QCOMPARE(checkConfigurationBytes(bytes), passesLineCheck);
        if (passesLineCheck)
            QVERIFY(!decodeParameters(bytes).has_value());

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.kvt"));
        QVERIFY(writeFile(path, bytes));
        QCOMPARE(loadConfigurationFile(path).status, LoadResult::Invalid);
        QCOMPARE(checkConfigurationFile(path),
                 passesLineCheck ? LoadResult::Loaded : LoadResult::Invalid);
    }

    void decodingIsPositional()
    {
        const Document doc = startupDocument();

        // Other bank and address digits load the same values.
        QList<QByteArray> lines = startupLines();
        for (int i = 0; i < 37; ++i)
            lines[i].replace(0, 6, "255000");
        for (int i = 4133; i < 4389; ++i)
            lines[i].replace(0, 6, "000255");
        QVERIFY(decodeParameters(joinLines(lines)) == doc);

        // The file needs nothing after the 15th GPRS line, and may hold anything there.
        lines = startupLines().first(ImageLineCount);
        QVERIFY(decodeParameters(joinLines(lines)) == doc);
        QVERIFY(decodeParameters(joinLines(lines << "GPRS:extra" << "" << "001001001")) == doc);

        // A zone with 63 lines shifts the zones after it; a bank-065 line
        // ends up in zone 64 and the GPRS search still finds the boxes.
        lines = startupLines();
        lines.removeAt(37 + 64 * 4);
        const auto shifted = decodeParameters(joinLines(lines)).value();
        QCOMPARE(shifted.gprs, doc.gprs);
        QCOMPARE(shifted.zoneTexts[3], doc.zoneTexts[3]);
        QVERIFY(shifted.zoneTexts[4] != doc.zoneTexts[4]);
        QVERIFY(shifted.zoneTexts[63].endsWith(QStringLiteral("065000034\r\n")));   // '"'

        // An empty line inside the zone block is kept in its zone text.
        lines = startupLines();
        lines.insert(37 + 10, QByteArray());
        const auto withGap = decodeParameters(joinLines(lines)).value();
        QVERIFY(withGap.zoneTexts[0].contains(QStringLiteral("\r\n\r\n")));
        QCOMPARE(withGap.gprs, doc.gprs);
    }

    void storedValuesAsTheyStand()
    {
        QList<QByteArray> lines = startupLines();
        const QList<QByteArray> values = {
            "049", "088", "050", "000", "233", "088", "128", "088",   // PIN: every "X" dropped
            "255", "007", "000", "008",                               // words 2047 and 2048
            "000", "255", "077", "088", "043"};                       // 015 reserved, not read
        for (int i = 0; i < values.size(); ++i)
            lines[i] = "001001" + values[i];
        lines[31] = "001032009";  // no unit of the editor
        lines[32] = "001033000";
        lines[33] = "001034128";
        lines[36] = "001037255";

        const auto doc = decodeParameters(joinLines(lines)).value();
        QCOMPARE(doc.simPin, QStringLiteral(u"12\u0000\u00e9\u20ac"));
        QCOMPARE(doc.isdnRecall, QStringLiteral("+"));
        QCOMPARE((QList<double>{doc.tempHighAlert, doc.tempLowAlert, doc.trackingCounter,
                                doc.smsCatchAlertTimer, doc.rtcIntervalUnit, doc.rtcIntervalCounter}),
                 (QList<double>{127.9375, -3968, 0, 255, 9, 0}));
        QCOMPARE(QList<int>(doc.checks.begin(), doc.checks.end()),
                 QList<int>(7, Clear) << Ticked << QList<int>(16, Clear) << QList<int>(8, Ticked));

        // The RTC values take the leading number of whatever stands there.
        lines[31] = "GPRS:Xab";
        lines[32] = "GPRS:X+7";
        const auto rtc = decodeParameters(joinLines(lines)).value();
        QCOMPARE(rtc.rtcIntervalUnit, 0.0);
        QCOMPARE(rtc.rtcIntervalCounter, 7.0);

        // The 14 lines after the first GPRS line are not tested for "GPRS:".
        QCOMPARE(decodeParameters(withLine(4390, "001002003")).value().gprsText(GprsField::Ip), QStringLiteral("2003"));
    }

    // The start-up document, then random ones: written, checked, loaded back
    // unchanged; each save replaces the file of the round before.
    void documentsRoundTrip()
    {
        QRandomGenerator rng(20240611);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("unit.kvt"));
        for (int round = 0; round < 50; ++round) {
            const Document doc = round ? kvt::testing::randomDocument(rng) : startupDocument();
            QVERIFY(unstorableFields(doc).isEmpty());
            QString why;
            QVERIFY2(writeConfigurationFile(path, encodeParameters(doc), &why), qPrintable(why));
            const QByteArray written = readFile(path);
            QCOMPARE(written, toWindows1252(encodeParameters(doc) + QStringLiteral("\r\n")).value());
            QCOMPARE(checkConfigurationFile(path), LoadResult::Loaded);
            const LoadResult loaded = loadConfigurationFile(path);
            QCOMPARE(loaded.status, LoadResult::Loaded);
            QVERIFY2(loaded.document == doc, qPrintable(QStringLiteral("round %1").arg(round)));
            // A lone CR also ends a line.
            QVERIFY(decodeParameters(QByteArray(written).replace("\r\n", "\r")) == doc);
        }
    }

    void failedSaveKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString image = encodeParameters(startupDocument());
        const QString kept = dir.filePath(QStringLiteral("kept.kvt"));
        QVERIFY(writeFile(kept, "old contents"));
        QString why;

        // Text the file cannot hold: a character without a code (never written
        // as a wider number) or a carriage return that would split a GPRS line.
        for (const auto &spoil : {+[](Document &d) { d.gprsText(GprsField::Apn) = QStringLiteral(u"\u0100"); },
                                  +[](Document &d) { d.simPin = QStringLiteral(u"\u4e00"); },
                                  +[](Document &d) { d.gprsText(GprsField::Tmr2) = QStringLiteral("6\r0"); }}) {
            Document doc = startupDocument();
            spoil(doc);
            why.clear();
            QVERIFY(!writeConfigurationFile(kept, encodeParameters(doc), &why));
            QVERIFY(!why.isEmpty());
            QCOMPARE(readFile(kept), QByteArray("old contents"));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.kvt"});

        // Over a folder: the folder and what it holds stay.
        const QString folder = dir.filePath(QStringLiteral("folder.kvt"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(writeFile(folder + QStringLiteral("/inside"), "x"));
        QVERIFY(!writeConfigurationFile(folder, image, &why));
        QCOMPARE(readFile(folder + QStringLiteral("/inside")), QByteArray("x"));

        QVERIFY(!writeConfigurationFile(dir.filePath(QStringLiteral("no/such/folder.kvt")), image));
        QVERIFY(!writeConfigurationFile(QStringLiteral("/proc/kvt-test.kvt"), image));
    }
};

QTEST_APPLESS_MAIN(TestConfigFile)
#include "test_configfile.moc"
