// The kvt command on configuration files, run as a separate process.

#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/gprs.h"
#include "testdocuments.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace kvt::image;
using kvt::zones::ZoneRecord;

namespace {

struct Run { int exitCode = -1; QByteArray out; QString err; };

Run runKvt(const QStringList &args, const QString &stdinFile = {}, const QString &stdoutFile = {})
{
    QProcess process;
    if (!stdinFile.isEmpty())
        process.setStandardInputFile(stdinFile);
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
    process.start(QStringLiteral(KVT_BIN), args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
}

QByteArray imageBytes(const Document &doc)
{
    return toWindows1252(encodeParameters(doc)).value() + "\r\n";
}

// A "Zones" array: the given zone objects, then empty ones up to 64.
QByteArray zones(const QByteArray &first)
{
    return "{\"Zones\": [" + first + QByteArray(",{}").repeated(63 - first.count("},{")) + "]}";
}

} // namespace

class TestCliImage : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString saved(const QString &name, const Document &doc)
    {
        writeBytes(path(name), imageBytes(doc));
        return path(name);
    }

private slots:
    void initTestCase() { QVERIFY(QFile::exists(QStringLiteral(KVT_BIN)) && m_dir.isValid()); }

    void newWritesTheStartupImage()
    {
        const QString file = path(QStringLiteral("new.kvt"));
        writeBytes(file, "old content that must go\r\n");
        const Run run = runKvt({"new", file});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.isEmpty() && run.err.isEmpty());
        QCOMPARE(fileBytes(file), imageBytes(startupDocument()));

        const Run failed = runKvt({"new", path(QStringLiteral("no/such/x.kvt"))});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY(failed.out.isEmpty() && failed.err.contains(SaveFailedText));
    }

    // check and show accept what the configurator loads; a line the line check refuses, a file that
    // ends before its GPRS lines, a missing file and a folder are refused.
    void checkAndShowVerdicts()
    {
        const QByteArray good = imageBytes(startupDocument());
        const QString file = path(QStringLiteral("check.kvt"));
        const QByteArray lfOnly = QByteArray(good).replace("\r\n", "\n"), noGprs = good.left(good.indexOf("065000"));
        for (const QByteArray &bytes : {good, lfOnly, noGprs}) {
            writeBytes(file, bytes);
            for (const char *command : {"check", "show"}) {
                const Run run = runKvt({command, file});
                QCOMPARE(run.exitCode, bytes == good ? 0 : 1);
                QVERIFY2(bytes == good || (run.out.isEmpty() && run.err.contains(InvalidFileText)),
                         qPrintable(run.err));
            }
        }
        for (const QString &unreadable : {path(QStringLiteral("missing.kvt")), m_dir.path()}) {
            for (const char *command : {"check", "show"}) {
                const Run run = runKvt({command, unreadable});
                QVERIFY2(run.exitCode == 1 && run.err.contains(UnreadableFileText), qPrintable(run.err));
            }
        }
    }

    void showOfAnEditedDocument()
    {
        Document doc = startupDocument();
        doc.simPin = QStringLiteral("12é4");
        doc.isdnRecall = QStringLiteral("+41790000000");
        doc.tempHighAlert = 25.5;
        doc.tempLowAlert = -0.5;
        doc.smsCatchAlertTimer = 18;
        doc.rtcIntervalUnit = 6;
        doc.check(1) = Clear;
        doc.check(2) = Greyed;
        doc.check(17) = Ticked;
        doc.check(26) = Ticked;
        doc.gprsText(GprsField::Apn) = QStringLiteral("\"apn,é;\"");
        doc.zoneTexts[1] = ZoneRecord{.cellIdFlags = 3, .cellId = "1A2B", .speedLimit = "080",
                                      .topLatitude = {"461234567", u'N'},
                                      .alertOptions = kvt::zones::alertOptionsFor(kvt::zones::Area::NorthEast, true)}
                               .toZoneText(2);
        const QString file = saved(QStringLiteral("edited.kvt"), doc);
        const Run run = runKvt({"show", "--json", file});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();

        QJsonArray checks;
        for (int n = 1; n <= CheckCount; ++n)
            checks.append(n == 17 || n == 26 ? 1 : 0);   // Check2 greyed shows 0
        QJsonObject gprs;
        for (int i = 0; i < GprsFieldCount; ++i)
            gprs.insert(gprsFieldName(GprsField(i)), doc.gprs[i]);
        const QJsonObject defaultZone{
            {"CellIdFlags", 0}, {"CellId", "~~~~"}, {"GpsFlags", 0}, {"SpeedLimit", "999"},
            {"StartTime", "0900"}, {"StopTime", "1700"}, {"TopLatitude", "000000000N"},
            {"BottomLatitude", "000000000S"}, {"LeftLongitude", "0000000000W"},
            {"RightLongitude", "0000000000E"}, {"AlertOptions", 30}};
        const QJsonObject zone2{
            {"CellIdFlags", 3}, {"CellId", "1A2B"}, {"GpsFlags", 0}, {"SpeedLimit", "080"},
            {"StartTime", "0900"}, {"StopTime", "1700"}, {"TopLatitude", "461234567N"},
            {"BottomLatitude", "000000000S"}, {"LeftLongitude", "0000000000W"},
            {"RightLongitude", "0000000000E"}, {"AlertOptions", 44}};
        QJsonArray zones;
        for (int n = 1; n <= ZoneCount; ++n)
            zones.append(n == 2 ? zone2 : defaultZone);
        const QJsonObject expected{
            {"SimPin", "12é4"}, {"IsdnRecall", "+41790000000"}, {"TempHighAlert", 25.5},
            {"TempLowAlert", -0.5}, {"TrackingCounter", 5}, {"SmsCatchAlertTimer", 18},
            {"RtcIntervalUnit", 6}, {"RtcIntervalCounter", 4}, {"Checks", checks}, {"Gprs", gprs},
            {"GprsFormat", composeGprsString(doc.gprs)}, {"Zones", zones}};

        QCOMPARE(json.keys(), expected.keys());
        for (const QString &key : expected.keys())
            QVERIFY2(json[key] == expected[key], qPrintable(key));

        const QString text = QString::fromUtf8(runKvt({"show", file}).out);
        for (const char *shown : {"12é4", "+25.5°C", "-0.5°C", "5 SMS", "180 seconds", "Hour",
                                  "[ ] Battery ID notification on product startup",
                                  "[x] Store GPS UTC time", "LOG memory configuration (4088)",
                                  "Formatted string (255 characters max):", "Zone 02: Cell-ID 1A2B",
                                  "speed limit 080 knots (Alert)", "top 4612,34567N", "no alert if North/East"})
            QVERIFY2(text.contains(QString::fromUtf8(shown)), shown);
    }

    // Control characters of a file's texts neither break the lines of the
    // text form nor reach the terminal.
    void showTextShowsControlCharacters()
    {
        Document doc = startupDocument();
        doc.simPin = QStringLiteral("1\r\n2");
        doc.gprsText(GprsField::Apn) = QStringLiteral("a\x1b[2Jb\x7f");
        doc.zoneTexts[0] = ZoneRecord{.cellId = QString(QChar(0)) + QChar(0x81) + QStringLiteral("AB")}.toZoneText(1);
        const Run run = runKvt({"show", saved(QStringLiteral("controls.kvt"), doc)});
        QCOMPARE(run.exitCode, 0);
        const QString text = QString::fromUtf8(run.out);
        for (const QChar c : text)
            QVERIFY2(c == u'\n' || (c >= u' ' && c != u'\x7f' && c.category() != QChar::Other_Control),
                     qPrintable(QString::number(c.unicode(), 16)));
        QVERIFY(text.contains(u"SIM Card PIN:"_qs + QString(26, u' ') + u"1\u240D\u240A2\n"_qs));
        QVERIFY(text.contains(QStringLiteral(u"a\u241B[2Jb\u2421\n")));
        QVERIFY(text.contains(QStringLiteral(u"Zone 01: Cell-ID \u2400\uFFFDAB,")));
        const Run plain = runKvt({"show", saved(QStringLiteral("plain.kvt"), startupDocument())});
        QCOMPARE(text.count(u'\n'), plain.out.count('\n'));
    }

    void showThenBuildGivesTheFileBack()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator rng(seed);
        const QString json = path(QStringLiteral("random.json"));
        const QString rebuilt = path(QStringLiteral("rebuilt.kvt"));
        for (int i = 0; i < 12; ++i) {
            const QString original = saved(QStringLiteral("random.kvt"), kvt::testing::randomDocument(rng, true));
            QFile::remove(rebuilt);
            const Run show = runKvt({"show", "--json", original});
            QCOMPARE(show.exitCode, 0);
            writeBytes(json, show.out);
            // Half of the documents travel through standard input.
            const Run build = i % 2 ? runKvt({"build", json, rebuilt}) : runKvt({"build", "-", rebuilt}, json);
            QVERIFY2(build.exitCode == 0, qPrintable(build.err));
            QVERIFY2(fileBytes(rebuilt) == fileBytes(original),
                     qPrintable(QStringLiteral("seed %1, document %2").arg(seed).arg(i)));
        }
    }

    void buildFillsInStartupValues()
    {
        const QString json = path(QStringLiteral("partial.json"));
        const QString out = path(QStringLiteral("partial.kvt"));
        writeBytes(json, "{\"TrackingCounter\": 7, \"GprsFormat\": \"ignored\", \"Gprs\": {\"Apn\": \"\\\"m2m\\\"\"},"
                         + zones("{\"CellId\": \"AB12\", \"SpeedLimit\": 80, \"TopLatitude\": \"123456789S\"}").mid(1));
        const Run run = runKvt({"build", json, out});
        QVERIFY2(run.exitCode == 0 && run.out.isEmpty(), qPrintable(run.err));

        Document expected = startupDocument();
        expected.trackingCounter = 7;
        expected.gprsText(GprsField::Apn) = QStringLiteral("\"m2m\"");
        expected.zoneTexts[0] = ZoneRecord{.cellId = "AB12", .speedLimit = "080", .topLatitude = {"123456789", u'S'}}
                                    .toZoneText(1);
        QCOMPARE(fileBytes(out), imageBytes(expected));
    }

    void buildRefuses_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("named");
        QTest::newRow("emoji in a Cell-ID") << zones("{\"CellId\": \"1😀\"}") << "Zones[0].CellId";
        QTest::newRow("PIN too long") << QByteArray("{\"SimPin\": \"123456789\"}") << "SimPin";
        QTest::newRow("number as text") << QByteArray("{\"TrackingCounter\": \"five\"}") << "TrackingCounter";
        QTest::newRow("half a count") << QByteArray("{\"SmsCatchAlertTimer\": 1.5}") << "SmsCatchAlertTimer";
        QTest::newRow("threshold between sixteenths") << QByteArray("{\"TempLowAlert\": 0.01}") << "TempLowAlert";
        QTest::newRow("greyed check") << "{\"Checks\": [2" + QByteArray(",0").repeated(31) + "]}" << "Checks[0]";
        QTest::newRow("misspelt key") << QByteArray("{\"SimPIN\": \"1234\"}") << "SimPIN";
        QTest::newRow("carriage return in GPRS") << QByteArray("{\"Gprs\": {\"Mode\": \"0\\r1\"}}") << "Gprs.Mode";
        QTest::newRow("63 zones") << zones("{}").replace(",{}]", "]") << "Zones";
        QTest::newRow("hour 24") << zones("{\"StartTime\": \"2400\"}") << "Zones[0].StartTime";
        QTest::newRow("E on a latitude") << zones("{},{\"TopLatitude\": \"000000000E\"}") << "Zones[1].TopLatitude";
        QTest::newRow("not JSON") << QByteArray("{\"SimPin\": ") << "not valid JSON";
    }

    void buildRefuses()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, named);
        const QString in = path(QStringLiteral("bad.json"));
        const QString out = path(QStringLiteral("kept.kvt"));
        writeBytes(in, json);
        writeBytes(out, "kept\r\n");
        const Run run = runKvt({"build", in, out});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.out.isEmpty() && run.err.contains(named), qPrintable(run.err));
        QCOMPARE(fileBytes(out), QByteArray("kept\r\n"));
    }

    // Help and version on standard output with status 0; wrong usage gives
    // status 2 and a "kvt: " message on standard error only.
    void usageConventions()
    {
        const Run help = runKvt({"--help"}), showHelp = runKvt({"show", "--help"}), version = runKvt({"--version"});
        QCOMPARE((QList<int>{help.exitCode, showHelp.exitCode, version.exitCode}), (QList<int>{0, 0, 0}));
        for (const char *usage : {"new FILE", "check FILE", "show [--json] FILE", "build JSON OUT", "write", "read-id"})
            QVERIFY2(help.out.contains(usage), usage);
        QVERIFY(showHelp.out.contains("--json"));
        QVERIFY(version.out.startsWith("kvt 1."));

        for (const QStringList &args : QList<QStringList>{{}, {"frobnicate"}, {"show", "--xml", "a.kvt"},
                                                          {"build", "a.json"}, {"check", "a.kvt", "b.kvt"}}) {
            const Run run = runKvt(args);
            QCOMPARE(run.exitCode, 2);
            QVERIFY2(run.out.isEmpty() && run.err.startsWith(QStringLiteral("kvt: ")), qPrintable(args.join(' ')));
        }
    }

    void unwritableResultFails()
    {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("needs /dev/full");
        const QString file = saved(QStringLiteral("full.kvt"), startupDocument());
        for (const QStringList &args : QList<QStringList>{{"show", file}, {"show", "--json", file},
                                                          {"--help"}, {"show", "--help"}, {"--version"}}) {
            const Run run = runKvt(args, QString(), QStringLiteral("/dev/full"));
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains(QStringLiteral("standard output")), qPrintable(run.err));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliImage)
#include "test_cli_image.moc"
