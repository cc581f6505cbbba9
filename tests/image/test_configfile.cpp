#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "testdocuments.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace kvt::image;

namespace {

QByteArray startupBytes()
{
    return toWindows1252(encodeParameters(startupDocument()) + QStringLiteral("\r\n")).value();
}

// The 4404 lines of the start-up image and the empty last line.
QList<QByteArray> startupLines()
{
    QList<QByteArray> lines = startupBytes().split('\n');
    for (QByteArray &line : lines)
        line.chop(1);   // the CR
    lines.removeLast();
    return lines;
}

QByteArray joinLines(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
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
    void lineEnds();
    void lineCheck_data();
    void lineCheck();
    void startupFileLoadsBack();
    void rejectedFiles_data();
    void rejectedFiles();
    void decodingIsPositional();
    void storedValuesAsTheyStand();
    void unreadableFiles();
    void randomDocumentsRoundTrip();
    void failedSaveKeepsTheOldFile();
};

void TestConfigFile::lineEnds()
{
    QCOMPARE(splitLines(""), QList<QByteArray>());
    QCOMPARE(splitLines("a\r\nb\rc\nd"), (QList<QByteArray>{"a", "b", "c\nd"}));
    QCOMPARE(splitLines("\r\r\n"), (QList<QByteArray>{"", ""}));
    QCOMPARE(splitLines("abc"), QList<QByteArray>{"abc"});
    QCOMPARE(splitLines("a\n\r\n"), QList<QByteArray>{"a\n"});
}

void TestConfigFile::lineCheck_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("valid");
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("all fields 255") << QByteArray("255255255") << true;
    QTest::newRow("GPRS alone") << QByteArray("GPRS:") << true;
    QTest::newRow("GPRS text") << QByteArray("GPRS:\"a b\",;\n") << true;
    QTest::newRow("GPRS without colon") << QByteArray("GPRS") << false;
    QTest::newRow("lower case gprs") << QByteArray("gprs:abc") << false;
    QTest::newRow("eight characters") << QByteArray("00100908") << false;
    QTest::newRow("trailing blank") << QByteArray("001009208 ") << false;
    QTest::newRow("one letter") << QByteArray("00100920x") << false;
    QTest::newRow("sign") << QByteArray("001009-08") << false;
    QTest::newRow("value 256") << QByteArray("001009256") << false;
    QTest::newRow("address 300") << QByteArray("001300000") << false;
    QTest::newRow("bank 999") << QByteArray("999001000") << false;
    QTest::newRow("LF inside") << QByteArray("0010\n9208") << false;
}

void TestConfigFile::lineCheck()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, valid);
    QCOMPARE(isValidLine(line), valid);
}

void TestConfigFile::startupFileLoadsBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new.kvt"));
    const Document doc = startupDocument();
    QVERIFY(writeConfigurationFile(path, encodeParameters(doc)));

    const QByteArray bytes = readFile(path);
    QCOMPARE(bytes, startupBytes());
    QVERIFY(bytes.endsWith("GPRS:60\r\n\r\n"));
    QCOMPARE(bytes.count("\r\n"), ImageLineCount + 1);

    QCOMPARE(checkConfigurationFile(path), LoadResult::Loaded);
    const LoadResult loaded = loadConfigurationFile(path);
    QCOMPARE(loaded.status, LoadResult::Loaded);
    QVERIFY(loaded.document == doc);

    // A lone CR also ends a line.
    QByteArray crOnly = bytes;
    crOnly.replace("\r\n", "\r");
    QVERIFY(checkConfigurationBytes(crOnly));
    QVERIFY(decodeParameters(crOnly) == doc);
}

void TestConfigFile::rejectedFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("passesLineCheck");

    QByteArray lfOnly = startupBytes();
    lfOnly.replace("\r\n", "\n");
    QTest::newRow("LF line ends") << lfOnly << false;
    QTest::newRow("trailing blank") << withLine(12, "001013005 ") << false;
    QTest::newRow("8-character line") << withLine(500, "00518300") << false;
    QTest::newRow("letters in zone") << withLine(200, "ABCDEFGHI") << false;
    QTest::newRow("value above 255") << withLine(40, "001186300") << false;
    QTest::newRow("cut inside line 2") << startupBytes().left(14) << false;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("only an empty line") << QByteArray("\r\n") << true;
    QTest::newRow("empty line in parameters") << withLine(12, "") << true;
    // A GPRS line where a memory line belongs passes the line check, but
    // its characters 7..9 are no byte: the document could not be saved.
    QTest::newRow("GPRS line as the tracking counter") << withLine(12, "GPRS:X999") << true;
    QTest::newRow("GPRS line as a PIN character") << withLine(3, "GPRS:X300") << true;
    QTest::newRow("GPRS line as a temperature byte") << withLine(9, "GPRS:X256") << true;
    QTest::newRow("GPRS line as a register") << withLine(35, "GPRS:X999") << true;
    QTest::newRow("GPRS line as the RTC unit") << withLine(31, "GPRS:X999") << true;
    QTest::newRow("GPRS line as the RTC counter") << withLine(32, "GPRS:X-12") << true;
    QTest::newRow("no GPRS line") << joinLines(startupLines().first(4389)) << true;
    for (int keep : {1, 36, 37, 4132, 4133, 4390, 4403})
        QTest::addRow("cut after %d lines", keep) << joinLines(startupLines().first(keep)) << true;
}

void TestConfigFile::rejectedFiles()
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

void TestConfigFile::decodingIsPositional()
{
    const Document doc = startupDocument();

    // Other bank and address digits load the same values.
    QList<QByteArray> lines = startupLines();
    for (int i = 0; i < 37; ++i)
        lines[i].replace(0, 6, "255000");
    for (int i = 4133; i < 4389; ++i)
        lines[i].replace(0, 6, "000255");
    QVERIFY(decodeParameters(joinLines(lines)) == doc);

    // The file needs nothing after the 15th GPRS line.
    lines = startupLines();
    lines.removeLast();
    QVERIFY(decodeParameters(joinLines(lines)) == doc);
    lines << "GPRS:extra" << "" << "001001001";
    QVERIFY(decodeParameters(joinLines(lines)) == doc);

    // A zone with 63 lines shifts the zones after it; a bank-065 line
    // ends up in zone 64 and the GPRS search still finds the boxes.
    lines = startupLines();
    lines.removeAt(37 + 64 * 4);
    const auto shifted = decodeParameters(joinLines(lines));
    QVERIFY(shifted.has_value());
    QCOMPARE(shifted->gprs, doc.gprs);
    QCOMPARE(shifted->zoneTexts[3], doc.zoneTexts[3]);
    QVERIFY(shifted->zoneTexts[4] != doc.zoneTexts[4]);
    QVERIFY(shifted->zoneTexts[63].endsWith(QStringLiteral("065000034\r\n")));   // '"'

    // An empty line inside the zone block is kept in its zone text.
    lines = startupLines();
    lines.insert(37 + 10, QByteArray());
    const auto withGap = decodeParameters(joinLines(lines));
    QVERIFY(withGap.has_value());
    QVERIFY(withGap->zoneTexts[0].contains(QStringLiteral("\r\n\r\n")));
    QCOMPARE(withGap->gprs, doc.gprs);

    // Zone lines come back verbatim, whatever their bank and address.
    const auto foreign = decodeParameters(withLine(37, "009001255"));
    QVERIFY(foreign->zoneTexts[0].startsWith(QStringLiteral("009001255\r\n001184126\r\n")));
}

void TestConfigFile::storedValuesAsTheyStand()
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

    const auto doc = decodeParameters(joinLines(lines));
    QVERIFY(doc.has_value());
    QCOMPARE(doc->simPin, QStringLiteral(u"12\u0000\u00e9\u20ac"));
    QCOMPARE(doc->tempHighAlert, 127.9375);
    QCOMPARE(doc->tempLowAlert, -3968.0);
    QCOMPARE(doc->trackingCounter, 0.0);
    QCOMPARE(doc->smsCatchAlertTimer, 255.0);
    QCOMPARE(doc->isdnRecall, QStringLiteral("+"));
    QCOMPARE(doc->rtcIntervalUnit, 9.0);
    QCOMPARE(doc->rtcIntervalCounter, 0.0);
    std::array<int, CheckCount> checks{};
    checks[7] = Ticked;
    std::fill(checks.begin() + 24, checks.end(), int(Ticked));
    QCOMPARE(doc->checks, checks);

    // The RTC values take the leading number of whatever stands there.
    lines[31] = "GPRS:Xab";
    lines[32] = "GPRS:X+7";
    const auto rtc = decodeParameters(joinLines(lines));
    QVERIFY(rtc.has_value());
    QCOMPARE(rtc->rtcIntervalUnit, 0.0);
    QCOMPARE(rtc->rtcIntervalCounter, 7.0);

    // Characters of the GPRS lines are read in the 8-bit set.
    lines = startupLines();
    lines[4389] = "GPRS:\x80\xe9\x81";
    lines[4390] = "GPRS";    // not tested for "GPRS:"; passes only as a GPRS line would
    const auto gprs = decodeParameters(joinLines(lines));
    QVERIFY(gprs.has_value());
    QCOMPARE(gprs->gprsText(GprsField::Apn), QStringLiteral(u"\u20ac\u00e9\u0081"));
    QCOMPARE(gprs->gprsText(GprsField::Ip), QString());
}

void TestConfigFile::unreadableFiles()
{
    QTemporaryDir dir;
    for (const QString &path : {dir.filePath(QStringLiteral("missing.kvt")), dir.path()}) {
        QCOMPARE(loadConfigurationFile(path).status, LoadResult::Unreadable);
        QCOMPARE(checkConfigurationFile(path), LoadResult::Unreadable);
    }
}

void TestConfigFile::randomDocumentsRoundTrip()
{
    QRandomGenerator rng(20240611);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("random.kvt"));
    for (int round = 0; round < 50; ++round) {
        const Document doc = kvt::testing::randomDocument(rng);
        QVERIFY(unstorableFields(doc).isEmpty());
        QString why;
        QVERIFY2(writeConfigurationFile(path, encodeParameters(doc), &why), qPrintable(why));
        const QByteArray written = readFile(path);

        const LoadResult loaded = loadConfigurationFile(path);
        QCOMPARE(loaded.status, LoadResult::Loaded);
        QVERIFY2(loaded.document == doc, qPrintable(QStringLiteral("round %1").arg(round)));
        QVERIFY(writeConfigurationFile(path, encodeParameters(loaded.document)));
        QCOMPARE(readFile(path), written);
    }
}

void TestConfigFile::failedSaveKeepsTheOldFile()
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

    // Into a read-only folder (the permission does not bind the superuser).
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir().mkdir(locked));
    const QString target = locked + QStringLiteral("/unit.kvt");
    QVERIFY(writeFile(target, "old contents"));
    QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    if (geteuid() != 0) {
        QVERIFY(!writeConfigurationFile(target, image, &why));
        QCOMPARE(readFile(target), QByteArray("old contents"));
        QCOMPARE(QDir(locked).entryList(QDir::Files | QDir::Hidden), QStringList{"unit.kvt"});
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // A successful save replaces an existing file whole.
    QVERIFY(writeConfigurationFile(target, image));
    QCOMPARE(readFile(target), startupBytes());
}

QTEST_APPLESS_MAIN(TestConfigFile)
#include "test_configfile.moc"
