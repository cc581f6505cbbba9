// The kvt command on configuration files: what new writes, what check and
// show accept, the JSON form, build's refusals and the show/build round trip.

#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/gprs.h"
#include "zones/zonerecord.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace kvt::image;
using kvt::zones::ZoneRecord;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QString err;
};

Run runKvt(const QStringList &args, const QString &stdinFile = QString(),
           const QString &stdoutFile = QString())
{
    QProcess process;
    process.setProgram(QStringLiteral(KVT_BIN));
    process.setArguments(args);
    if (!stdinFile.isEmpty())
        process.setStandardInputFile(stdinFile);
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
    process.start();
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray imageBytes(const Document &doc)
{
    return toWindows1252(encodeParameters(doc)).value() + "\r\n";
}

QStringList keysOf(const QJsonObject &object)
{
    QStringList keys = object.keys();
    keys.sort();
    return keys;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// Random documents within what the encoder writes and the decoder reads
// back unchanged (no "X" in the PIN or ISDN number).
class RandomDocuments {
public:
    explicit RandomDocuments(quint32 seed) : m_random(seed) {}

    Document next()
    {
        Document doc = startupDocument();
        doc.simPin = text(int(bounded(9)), QLatin1Char('X'));
        doc.isdnRecall = text(int(bounded(21)), QLatin1Char('X'));
        doc.tempHighAlert = temperature();
        doc.tempLowAlert = temperature();
        doc.trackingCounter = bounded(256);
        doc.smsCatchAlertTimer = bounded(256);
        doc.rtcIntervalUnit = bounded(10) < 8 ? 4 + bounded(4) : bounded(256);
        doc.rtcIntervalCounter = bounded(256);
        for (int &state : doc.checks)
            state = int(bounded(3));   // greyed boxes store a clear bit
        for (QString &gprs : doc.gprs)
            gprs = text(int(bounded(bounded(4) == 0 ? 60 : 12)), QLatin1Char('\r'));
        for (int n = 1; n <= ZoneCount; ++n)
            doc.zoneTexts[n - 1] = zone().toZoneText(n);
        return doc;
    }

private:
    quint32 bounded(quint32 n) { return m_random.bounded(n); }

    QString digits(int count)
    {
        QString s;
        for (int i = 0; i < count; ++i)
            s += QChar(u'0' + bounded(10));
        return s;
    }

    // Any of the 256 codes but one; "\",;" and high characters such as
    // "é" come often.
    QString text(int length, QChar excluded)
    {
        static const QString frequent = QStringLiteral(",;\"é€ÿ ");
        QString s;
        while (s.size() < length) {
            const QChar c = bounded(3) == 0 ? frequent[bounded(frequent.size())]
                                            : charFromCode(int(bounded(256)));
            if (c != excluded)
                s += c;
        }
        return s;
    }

    double temperature()
    {
        static constexpr double edges[] = {127.9375, -3968, -0.0625, 0, 0.0625, -0.5};
        if (bounded(5) == 0)
            return edges[bounded(std::size(edges))];
        return -55 + 0.5 * bounded(361);
    }

    ZoneRecord zone()
    {
        ZoneRecord z;
        z.cellIdFlags = int(bounded(256));
        z.gpsFlags = int(bounded(256));
        const quint32 cell = bounded(4);
        z.cellId = cell == 0 ? QStringLiteral("~~~~") : cell == 1 ? QStringLiteral("12") : text(4, QChar());
        z.speedLimit = digits(3);
        z.startTime = QStringLiteral("%1%2").arg(bounded(24), 2, 10, QLatin1Char('0')).arg(bounded(60), 2, 10, QLatin1Char('0'));
        z.stopTime = QStringLiteral("%1%2").arg(bounded(24), 2, 10, QLatin1Char('0')).arg(bounded(60), 2, 10, QLatin1Char('0'));
        z.topLatitude = {digits(9), bounded(2) ? u'N' : u'S'};
        z.bottomLatitude = {digits(9), bounded(2) ? u'N' : u'S'};
        z.leftLongitude = {digits(10), bounded(2) ? u'E' : u'W'};
        z.rightLongitude = {digits(10), bounded(2) ? u'E' : u'W'};
        z.alertOptions = int(bounded(256));
        return z;
    }

    QRandomGenerator m_random;
};

} // namespace

class TestCliImage : public QObject {
    Q_OBJECT

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString saved(const QString &name, const Document &doc)
    {
        const QString file = path(name);
        writeBytes(file, imageBytes(doc));
        return file;
    }
    QJsonObject showJson(const QString &file)
    {
        const Run run = runKvt({QStringLiteral("show"), QStringLiteral("--json"), file});
        if (run.exitCode != 0)
            qWarning() << run.err;
        return QJsonDocument::fromJson(run.out).object();
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(QFile::exists(QStringLiteral(KVT_BIN)));
        QVERIFY(m_dir.isValid());
    }

    void newWritesTheStartupImage()
    {
        const QString file = path(QStringLiteral("new.kvt"));
        writeBytes(file, "old content that must go\r\n");
        const Run run = runKvt({QStringLiteral("new"), file});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.isEmpty());
        const QByteArray bytes = fileBytes(file);
        QCOMPARE(bytes, imageBytes(startupDocument()));
        QCOMPARE(bytes.count("\r\n"), ImageLineCount + 1);

        const Run failed = runKvt({QStringLiteral("new"), path(QStringLiteral("no/such/folder/x.kvt"))});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY(failed.out.isEmpty());
        QVERIFY(failed.err.contains(SaveFailedText));
    }

    void checkAcceptsWhatTheConfiguratorLoads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("exitCode");

        const QByteArray good = imageBytes(startupDocument());
        QByteArray lfOnly = good;
        lfOnly.replace("\r\n", "\n");
        QByteArray trailingBlank = good;
        trailingBlank.replace("001001088\r\n", "001001088 \r\n");
        QByteArray above255 = good;
        above255.replace("001013005", "001013256");
        const QByteArray noGprs = good.left(good.indexOf("065000"));

        QTest::newRow("saved by the encoder") << good << 0;
        QTest::newRow("LF line ends") << lfOnly << 1;
        QTest::newRow("trailing blank") << trailingBlank << 1;
        QTest::newRow("value above 255") << above255 << 1;
        QTest::newRow("eight-character line") << QByteArray("00100108\r\n") + good << 1;
        QTest::newRow("ends before the GPRS lines") << noGprs << 1;
        QTest::newRow("empty") << QByteArray() << 1;
    }

    void checkAcceptsWhatTheConfiguratorLoads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, exitCode);
        const QString file = path(QStringLiteral("check.kvt"));
        writeBytes(file, bytes);
        for (const QString &command : {QStringLiteral("check"), QStringLiteral("show")}) {
            const Run run = runKvt({command, file});
            QCOMPARE(run.exitCode, exitCode);
            if (exitCode != 0) {
                QVERIFY(run.out.isEmpty());
                QVERIFY2(run.err.contains(InvalidFileText), qPrintable(run.err));
            }
        }
    }

    void checkReportsUnreadableFiles()
    {
        const Run run = runKvt({QStringLiteral("check"), path(QStringLiteral("missing.kvt"))});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains(UnreadableFileText));
    }

    void showJsonOfTheStartupDocument()
    {
        const QJsonObject json = showJson(saved(QStringLiteral("startup.kvt"), startupDocument()));
        QCOMPARE(keysOf(json), sorted({"SimPin", "IsdnRecall", "TempHighAlert", "TempLowAlert",
                                       "TrackingCounter", "SmsCatchAlertTimer", "RtcIntervalUnit",
                                       "RtcIntervalCounter", "Checks", "Gprs", "GprsFormat", "Zones"}));
        QCOMPARE(json[u"SimPin"].toString(), QString());
        QCOMPARE(json[u"TempHighAlert"].toDouble(), 125.0);
        QCOMPARE(json[u"TempLowAlert"].toDouble(), -55.0);
        QCOMPARE(json[u"TrackingCounter"].toDouble(), 5.0);
        QCOMPARE(json[u"SmsCatchAlertTimer"].toDouble(), 40.0);
        QCOMPARE(json[u"RtcIntervalUnit"].toDouble(), 4.0);
        QCOMPARE(json[u"RtcIntervalCounter"].toDouble(), 4.0);

        QJsonArray checks;
        for (int i = 0; i < CheckCount; ++i)
            checks.append(i == 0 ? 1 : 0);
        QCOMPARE(json[u"Checks"].toArray(), checks);

        const QJsonObject gprs = json[u"Gprs"].toObject();
        QCOMPARE(gprs.size(), GprsFieldCount);
        const GprsTexts defaults = defaultGprsTexts();
        for (int i = 0; i < GprsFieldCount; ++i)
            QCOMPARE(gprs[gprsFieldName(GprsField(i))].toString(), defaults[i]);
        QCOMPARE(json[u"GprsFormat"].toString(), composeGprsString(defaults));

        const QJsonArray zones = json[u"Zones"].toArray();
        QCOMPARE(zones.size(), ZoneCount);
        const QJsonObject zone = zones.last().toObject();
        QCOMPARE(keysOf(zone), sorted({"CellIdFlags", "CellId", "GpsFlags", "SpeedLimit", "StartTime",
                                       "StopTime", "TopLatitude", "BottomLatitude", "LeftLongitude",
                                       "RightLongitude", "AlertOptions"}));
        QCOMPARE(zone[u"CellId"].toString(), QStringLiteral("~~~~"));
        QCOMPARE(zone[u"SpeedLimit"].toString(), QStringLiteral("999"));
        QCOMPARE(zone[u"StartTime"].toString(), QStringLiteral("0900"));
        QCOMPARE(zone[u"StopTime"].toString(), QStringLiteral("1700"));
        QCOMPARE(zone[u"TopLatitude"].toString(), QStringLiteral("000000000N"));
        QCOMPARE(zone[u"BottomLatitude"].toString(), QStringLiteral("000000000S"));
        QCOMPARE(zone[u"LeftLongitude"].toString(), QStringLiteral("0000000000W"));
        QCOMPARE(zone[u"RightLongitude"].toString(), QStringLiteral("0000000000E"));
        QCOMPARE(zone[u"AlertOptions"].toDouble(), 30.0);
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
        ZoneRecord zone;
        zone.cellId = QStringLiteral("1A2B");
        zone.cellIdFlags = 3;
        zone.speedLimit = QStringLiteral("080");
        zone.topLatitude = {QStringLiteral("461234567"), u'N'};
        zone.alertOptions = kvt::zones::alertOptionsFor(kvt::zones::Area::NorthEast, true);
        doc.zoneTexts[1] = zone.toZoneText(2);
        const QString file = saved(QStringLiteral("edited.kvt"), doc);

        const QJsonObject json = showJson(file);
        QCOMPARE(json[u"SimPin"].toString(), doc.simPin);
        QCOMPARE(json[u"TempHighAlert"].toDouble(), 25.5);
        QCOMPARE(json[u"TempLowAlert"].toDouble(), -0.5);
        QCOMPARE(json[u"Checks"][0].toInt(), 0);
        QCOMPARE(json[u"Checks"][1].toInt(), 0);
        QCOMPARE(json[u"Checks"][16].toInt(), 1);
        QCOMPARE(json[u"Gprs"][u"Apn"].toString(), doc.gprsText(GprsField::Apn));
        const QJsonObject z2 = json[u"Zones"][1].toObject();
        QCOMPARE(z2[u"CellId"].toString(), QStringLiteral("1A2B"));
        QCOMPARE(z2[u"CellIdFlags"].toInt(), 3);
        QCOMPARE(z2[u"SpeedLimit"].toString(), QStringLiteral("080"));
        QCOMPARE(z2[u"TopLatitude"].toString(), QStringLiteral("461234567N"));
        QCOMPARE(z2[u"AlertOptions"].toInt(), 44);

        const Run run = runKvt({QStringLiteral("show"), file});
        QCOMPARE(run.exitCode, 0);
        const QString text = QString::fromUtf8(run.out);
        for (const char *line : {"SIM Card PIN:", "12é4", "THA:", "+25.5°C", "TLA:", "-0.5°C",
                                 "Tracking counter:", "5 SMS", "180 seconds", "RTC Interval unit:",
                                 "Hour", "[ ] Battery ID notification on product startup",
                                 "[ ] Battery change ID notification on product startup",
                                 "[x] Store GPS UTC time", "LOG memory configuration (4088)",
                                 "Formatted string (255 characters max):",
                                 "Zone 02: Cell-ID 1A2B", "speed limit 080 knots (Alert)",
                                 "top 4612,34567N", "no alert if North/East"}) {
            QVERIFY2(text.contains(QString::fromUtf8(line)), line);
        }
    }

    // Control characters of a file's texts neither break the lines of the
    // text form nor reach the terminal.
    void showTextShowsControlCharacters()
    {
        Document doc = startupDocument();
        doc.simPin = QStringLiteral("1\r\n2");
        doc.gprsText(GprsField::Apn) = QStringLiteral("a\x1b[2Jb\x7f");
        ZoneRecord zone;
        zone.cellId = QString(QChar(0)) + QChar(0x81) + QStringLiteral("AB");
        doc.zoneTexts[0] = zone.toZoneText(1);
        const Run run = runKvt({QStringLiteral("show"), saved(QStringLiteral("controls.kvt"), doc)});
        QCOMPARE(run.exitCode, 0);
        const QString text = QString::fromUtf8(run.out);
        for (const QChar c : text)
            QVERIFY2(c == u'\n' || (c >= u' ' && c != u'\x7f' && c.category() != QChar::Other_Control),
                     qPrintable(QString::number(c.unicode(), 16)));
        QVERIFY(text.contains(QStringLiteral(u"SIM Card PIN:") + QString(26, u' ') + QStringLiteral(u"1\u240D\u240A2\n")));
        QVERIFY(text.contains(QStringLiteral(u"a\u241B[2Jb\u2421\n")));
        QVERIFY(text.contains(QStringLiteral(u"Zone 01: Cell-ID \u2400\uFFFDAB,")));
        QCOMPARE(text.count(u'\n'), runKvt({QStringLiteral("show"), saved(QStringLiteral("plain.kvt"), startupDocument())}).out.count('\n'));
    }

    // show --json then build gives back the file byte for byte.
    void showThenBuildGivesTheFileBack()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        RandomDocuments documents(seed);
        for (int i = 0; i < 12; ++i) {
            const Document doc = documents.next();
            const QString original = saved(QStringLiteral("random.kvt"), doc);
            const QString json = path(QStringLiteral("random.json"));
            const QString rebuilt = path(QStringLiteral("rebuilt.kvt"));
            QFile::remove(rebuilt);

            const Run show = runKvt({QStringLiteral("show"), QStringLiteral("--json"), original});
            QCOMPARE(show.exitCode, 0);
            writeBytes(json, show.out);
            // Half of the documents travel through standard input.
            const Run build = i % 2 ? runKvt({QStringLiteral("build"), json, rebuilt})
                                    : runKvt({QStringLiteral("build"), QStringLiteral("-"), rebuilt}, json);
            QVERIFY2(build.exitCode == 0, qPrintable(build.err));
            QVERIFY2(fileBytes(rebuilt) == fileBytes(original),
                     qPrintable(QStringLiteral("seed %1, document %2").arg(seed).arg(i)));
        }
    }

    void buildFillsInStartupValues()
    {
        const QString json = path(QStringLiteral("partial.json"));
        const QString out = path(QStringLiteral("partial.kvt"));
        writeBytes(json, "{\"TrackingCounter\": 7, \"GprsFormat\": \"ignored\",\n"
                "                             \"Gprs\": {\"Apn\": \"\\\"m2m\\\"\"},\n"
                "                             \"Zones\": [{\"CellId\": \"AB12\", \"SpeedLimit\": 80, \"TopLatitude\": \"123456789S\"},\n"
                "                             " + QByteArray("{},").repeated(62) + "{}]}");
        const Run run = runKvt({QStringLiteral("build"), json, out});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(run.out.isEmpty());

        Document expected = startupDocument();
        expected.trackingCounter = 7;
        expected.gprsText(GprsField::Apn) = QStringLiteral("\"m2m\"");
        ZoneRecord zone;
        zone.cellId = QStringLiteral("AB12");
        zone.speedLimit = QStringLiteral("080");
        zone.topLatitude = {QStringLiteral("123456789"), u'S'};
        expected.zoneTexts[0] = zone.toZoneText(1);
        QCOMPARE(fileBytes(out), imageBytes(expected));
    }

    void buildRefuses_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("named");

        QTest::newRow("Omega in a GPRS box") << QByteArray("{\"Gprs\": {\"Apn\": \"apn Ω\"}}") << "Gprs.Apn";
        QTest::newRow("CJK in the PIN") << QByteArray("{\"SimPin\": \"12中\"}") << "SimPin";
        QTest::newRow("emoji in a Cell-ID") << QByteArray("{\"Zones\": [{\"CellId\": \"1😀\"}" + QByteArray(",{}").repeated(63) + "]}") << "Zones[0].CellId";
        QTest::newRow("PIN too long") << QByteArray("{\"SimPin\": \"123456789\"}") << "SimPin";
        QTest::newRow("number as text") << QByteArray("{\"TrackingCounter\": \"five\"}") << "TrackingCounter";
        QTest::newRow("counter above a byte") << QByteArray("{\"RtcIntervalCounter\": 256}") << "RtcIntervalCounter";
        QTest::newRow("half a count") << QByteArray("{\"SmsCatchAlertTimer\": 1.5}") << "SmsCatchAlertTimer";
        QTest::newRow("threshold past the word") << QByteArray("{\"TempHighAlert\": 130}") << "TempHighAlert";
        QTest::newRow("threshold between sixteenths") << QByteArray("{\"TempLowAlert\": 0.01}") << "TempLowAlert";
        QTest::newRow("greyed check") << QByteArray("{\"Checks\": [2" + QByteArray(",0").repeated(31) + "]}") << "Checks[0]";
        QTest::newRow("31 checks") << QByteArray("{\"Checks\": [0" + QByteArray(",0").repeated(30) + "]}") << "Checks";
        QTest::newRow("misspelt key") << QByteArray("{\"SimPIN\": \"1234\"}") << "SimPIN";
        QTest::newRow("carriage return in GPRS") << QByteArray("{\"Gprs\": {\"Mode\": \"0\\r1\"}}") << "Gprs.Mode";
        QTest::newRow("63 zones") << QByteArray("{\"Zones\": [{}" + QByteArray(",{}").repeated(62) + "]}") << "Zones";
        QTest::newRow("hour 24") << QByteArray("{\"Zones\": [{\"StartTime\": \"2400\"}" + QByteArray(",{}").repeated(63) + "]}") << "Zones[0].StartTime";
        QTest::newRow("longitude hemisphere on a latitude") << QByteArray("{\"Zones\": [{}, {\"TopLatitude\": \"000000000E\"}" + QByteArray(",{}").repeated(62) + "]}") << "Zones[1].TopLatitude";
        QTest::newRow("not JSON") << QByteArray("{\"SimPin\": ") << "not valid JSON";
        QTest::newRow("an array") << QByteArray("[]") << "JSON object";
    }

    void buildRefuses()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, named);
        const QString in = path(QStringLiteral("bad.json"));
        const QString out = path(QStringLiteral("kept.kvt"));
        writeBytes(in, json);
        writeBytes(out, "kept\r\n");
        const Run run = runKvt({QStringLiteral("build"), in, out});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(named), qPrintable(run.err));
        QCOMPARE(fileBytes(out), QByteArray("kept\r\n"));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no command") << QStringList();
        QTest::newRow("unknown command") << QStringList{"frobnicate"};
        QTest::newRow("unknown option") << QStringList{"--frobnicate"};
        QTest::newRow("unknown command option") << QStringList{"show", "--xml", "a.kvt"};
        QTest::newRow("missing FILE") << QStringList{"show", "--json"};
        QTest::newRow("missing OUT") << QStringList{"build", "a.json"};
        QTest::newRow("extra argument") << QStringList{"check", "a.kvt", "b.kvt"};
    }

    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run run = runKvt(args);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY(run.err.startsWith(QStringLiteral("kvt: ")));
    }

    // A result that cannot be written is a failure, not a success.
    void unwritableResultFails()
    {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("needs /dev/full");
        const QString file = saved(QStringLiteral("full.kvt"), startupDocument());
        const QList<QStringList> commands = {{"show", file}, {"show", "--json", file},
                                             {"--help"}, {"show", "--help"}, {"--version"}};
        for (const QStringList &args : commands) {
            const Run run = runKvt(args, QString(), QStringLiteral("/dev/full"));
            QCOMPARE(run.exitCode, 1);
            QVERIFY2(run.err.contains(QStringLiteral("standard output")), qPrintable(run.err));
        }
    }

    void helpAndVersion()
    {
        const Run help = runKvt({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        for (const char *command : {"new FILE", "check FILE", "show [--json] FILE", "build JSON OUT",
                                    "write", "read-id"})
            QVERIFY2(help.out.contains(command), command);
        const Run show = runKvt({QStringLiteral("show"), QStringLiteral("--help")});
        QCOMPARE(show.exitCode, 0);
        QVERIFY(show.out.contains("--json"));
        const Run version = runKvt({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QVERIFY(version.out.startsWith("kvt 1."));
    }
};

QTEST_GUILESS_MAIN(TestCliImage)
#include "test_cli_image.moc"
