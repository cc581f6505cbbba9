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

QByteArray imageBytes(const Document &doc)
{
    return toWindows1252(encodeParameters(doc) + QStringLiteral("\r\n")).value();
}

// The 4404 lines of the start-up image and the empty last line.
QList<QByteArray> startupLines() { return splitLines(imageBytes(startupDocument())); }
QByteArray joinLines(const QList<QByteArray> &lines) { return lines.join("\r\n") + "\r\n"; }

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
    void rejectedFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("passesLineCheck");

        QTest::newRow("LF line ends") << QByteArray(imageBytes(startupDocument())).replace("\r\n", "\n") << false;
        // A line that is neither empty, nor a GPRS line, nor nine digits in three bytes.
        for (const char *line : {"001013005 ", "00100908", "00100920x", "001009256", "999001000", "gprs:abc"})
            QTest::addRow("line \"%s\"", line) << withLine(200, line) << false;
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
        const auto shifted = decodeParameters(joinLines(lines << "GPRS:extra" << "" << "001001001")).value();
        QCOMPARE(encodeParameters(shifted).left(37 * 11), encodeParameters(doc).left(37 * 11));
        QCOMPARE(shifted.gprs, doc.gprs);
        QVERIFY(shifted.zoneTexts[3] == doc.zoneTexts[3] && shifted.zoneTexts[4] != doc.zoneTexts[4]);
        QVERIFY(shifted.zoneTexts[63].endsWith(QStringLiteral("065000034\r\n")));   // '"'
    }

    void storedValuesAsTheyStand()
    {
        QList<QByteArray> lines = startupLines();
        const QList<QByteArray> values = {"049", "088", "050", "000", "233", "088", "128", "088",   // PIN: "X" dropped
                                          "255", "007", "000", "008", "000", "255", "077", "088", "043"};
        for (int i = 0; i < values.size(); ++i)   // words 2047 and 2048; 015 reserved, not read
            lines[i] = "001001" + values[i];
        lines[31] = "GPRS:Xab";   // RTC values: the leading number of whatever stands there
        lines[32] = "GPRS:X+7";
        lines[4390] = "001002003";   // the 14 lines after the first GPRS line are not tested for "GPRS:"

        const auto doc = decodeParameters(joinLines(lines)).value();
        QCOMPARE(doc.simPin + doc.isdnRecall, QStringLiteral(u"12\u0000\u00e9\u20ac+"));
        QCOMPARE((QList<double>{doc.tempHighAlert, doc.tempLowAlert, doc.trackingCounter,
                                doc.smsCatchAlertTimer, doc.rtcIntervalUnit, doc.rtcIntervalCounter}),
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
            QVERIFY(unstorableFields(doc).isEmpty());
            QVERIFY(writeConfigurationFile(path, encodeParameters(doc)));
            const QByteArray written = readFile(path);
            QCOMPARE(written, imageBytes(doc));
            const LoadResult loaded = loadConfigurationFile(path);
            QVERIFY2(loaded.status == LoadResult::Loaded && loaded.document == doc, qPrintable(QString::number(round)));
            QVERIFY(decodeParameters(QByteArray(written).replace("\r\n", "\r")) == doc);
        }
    }

    void failedSaveKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString kept = dir.filePath(QStringLiteral("kept.kvt"));
        QVERIFY(writeFile(kept, "old contents"));
        // A character without a code (never written as a wider number) or a CR that would split a GPRS line.
        for (const QString &apn : {QStringLiteral(u"\u0100"), QStringLiteral("6\r0")}) {
            Document doc = startupDocument();
            doc.gprsText(GprsField::Apn) = apn;
            QString why;
            QVERIFY(!writeConfigurationFile(kept, encodeParameters(doc), &why) && !why.isEmpty());
            QCOMPARE(readFile(kept), QByteArray("old contents"));
        }
        QVERIFY(!writeConfigurationFile(dir.path(), encodeParameters(startupDocument())));   // over a folder
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.kvt"});
    }
};

QTEST_APPLESS_MAIN(TestConfigFile)
#include "test_configfile.moc"
