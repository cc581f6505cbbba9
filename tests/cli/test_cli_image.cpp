#include "image/configfile.h"
#include "image/zonerecord.h"
#include "kvtrun.h"
#include "testdocuments.h"
#include "testenv.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace kvt::image;

namespace {

// Every value differs from the start-up document's, with bytes the windows do not show edited by hand.
QByteArray goldenFile()
{
    Document doc = startupDocument();
    std::tie(doc.simPin, doc.isdnRecall, doc.tempHighAlert, doc.tempLowAlert) = std::tuple(u"12é4"_qs, u"1\r\n2"_qs,
                                                                                           25.5, -0.5);
    std::tie(doc.trackingCounter, doc.smsCatchAlertTimer, doc.rtcIntervalUnit,
             doc.rtcIntervalCounter) = std::tuple(7, 18, 6, 9);
    doc.checks.fill(Ticked); // every LOG field: the count moves with the size of any of them
    doc.check(1) = Clear;
    for (int i = 0; i < GprsFieldCount; ++i)
        doc.gprs[i] = QString::number(i + 1);
    doc.gprsText(GprsField::Apn) = "a\x1b[2Jb\x7f"; // no control character reaches the terminal
    const ZoneRecord zone02(255, "1A2B", 255, "080", "0830", "2359", CoordinateLine{"461234567", u'S'},
                            CoordinateLine{"451234567", u'N'}, CoordinateLine{"0123456789", u'E'},
                            CoordinateLine{"9876543210", u'W'}, alertOptionsFor(Area::North, true));
    doc.zoneTexts[1] = zone02.toZoneText(2);
    for (int a = 1; a < AreaCount; ++a) // every area, in zones 03 to 10
        doc.zoneTexts[a + 1] = ZoneRecord{.alertOptions = alertOptionsFor(Area(a), a % 2)}.toZoneText(a + 2);
    QList<QByteArray> lines = splitLines(imageBytes(doc));
    lines[14] = "001016000"; // the reserved byte's address digits
    lines[zoneLine(7) + ZoneFields[Reserved245Field].firstLine] = "007245049";
    lines[zoneLine(11) + ZoneFields[AlertOptionsField].firstLine] = "011243008"; // the pattern of no area, 0100
    lines[Bank065] = "065000035";
    return joined(lines << "GPRS:after");
}

} // namespace

class TestCliImage : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString saved(const QString &name, const QByteArray &bytes) { return writeFile(path(name), bytes); }

private slots:
    // Every caption, label and display form of `kvt show`, `kvt diff` and `kvt --help`, and the JSON form, compared
    // whole: a letter or a LOG field size changed anywhere fails. KVT_GOLDEN_UPDATE=1 writes the texts anew (read the
    // change). "-" is standard input or output; a full standard output is a failure.
    void showAndDiffInTheWindowsWords()
    {
        const QString startup = saved("startup.kvt", imageBytes(startupDocument())),
                      golden = saved("golden.kvt", goldenFile());
        for (const auto &[args, name, status] : {std::tuple{QStringList{"show", golden}, "show.txt", 0},
                                                 std::tuple{QStringList{"diff", startup, golden}, "diff.txt", 1},
                                                 std::tuple{QStringList{"show", "--json", golden}, "show.json", 0},
                                                 std::tuple{QStringList{"--help"}, "help.txt", 0}}) {
            const Run run = runKvt(args);
            QCOMPARE(run.err, QString());
            QCOMPARE(run.exitCode, status);
            const QString file = KVT_GOLDEN_DIR "/" + QLatin1String(name);
            if (qEnvironmentVariableIsSet("KVT_GOLDEN_UPDATE"))
                writeFile(file, run.out);
            QCOMPARE(QString::fromUtf8(run.out).split(u'\n'), QString::fromUtf8(readFile(file)).split(u'\n'));
        }
        // Either file from standard input, either way round: as many differences.
        for (const QStringList &args : {QStringList{"diff", "-", startup}, QStringList{"diff", startup, "-"}}) {
            const Run run = runKvt(args, golden);
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(run.out.count('\n'), readFile(KVT_GOLDEN_DIR "/diff.txt").count('\n'));
        }

        QCOMPARE(runKvt({"check", "-"}, startup).exitCode, 0);
        QCOMPARE(runKvt({"new", "-"}).out, imageBytes(startupDocument()));
        const Run full = runKvt({"show", "--json", startup}, {}, "/dev/full");
        QCOMPARE(full.err, "kvt: cannot write to standard output: No space left on device\n");
        QCOMPARE(full.exitCode, 1);
        const Run help = runKvt({"show", "--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith("Usage: kvt show [--json] FILE\n"));
    }

    void showThenBuildGivesTheFileBackOrRefuses()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator rng(seed);
        const QString json = path("random.json"), rebuilt = path("rebuilt.kvt");
        for (int i = 0; i < 4; ++i) {
            const QString original = saved("random.kvt", imageBytes(kvt::testing::randomDocument(rng, true)));
            QFile::remove(rebuilt);
            writeFile(json, runKvt({"show", "--json", original}).out);
            // Half of the documents travel through standard input.
            const Run build = i % 2 ? runKvt({"build", json, rebuilt}) : runKvt({"build", "-", rebuilt}, json);
            QVERIFY2(build.exitCode == 0, qPrintable(build.err));
            QVERIFY2(readFile(rebuilt) == readFile(original), qPrintable(u"seed %1, document %2"_qs.arg(seed).arg(i)));
        }
        // Keys left out take the start-up values; GprsFormat is recomposed.
        writeFile(json,
                  R"({"TrackingCounter": 7, "GprsFormat": "ignored", "Zones": [{"CellId": "AB12"})"
                      + QByteArray(",{}").repeated(63) + "]}");
        QCOMPARE(runKvt({"build", json, rebuilt}).exitCode, 0);
        Document expected = startupDocument();
        expected.trackingCounter = 7;
        expected.zoneTexts[0] = ZoneRecord{.cellId = "AB12"}.toZoneText(1);
        QCOMPARE(readFile(rebuilt), imageBytes(expected));

        // What build refuses leaves OUT as it was.
        const QString noCode = u"SimPin: \"%1\" has no code in the Windows-1252 character set and cannot be stored"_qs;
        const QList<std::pair<QByteArray, QString>> refused{
            {R"({"SimPin": "1😀"})", noCode.arg(u"😀"_qs)},
            {R"({"SimPin": "1\ud83d"})", noCode.arg("?")}, // half of a pair, last
            {R"({"SimPin": "123456789"})", "SimPin: at most 8 characters"},
            {R"({"TrackingCounter": "five"})", "TrackingCounter: expected a number, found the text \"five\""},
            {R"({"SimPin": 1234})", "SimPin: expected a text, found the number 1234"},
            {R"({"Gprs": "on"})", "Gprs: expected an object, found the text \"on\""},
            {R"({"Zones": [{"TopLatitude": 5})" + QByteArray(",{}").repeated(63) + "]}",
             "Zones.1.TopLatitude: expected a text of 9 digits then N or S, found the number 5"},
            {R"({"TempLowAlert": 0.01})",
             "TempLowAlert: 0.01 cannot be stored: a threshold is a multiple of 0.0625 from "
             "-3968 to 127.9375 (the configurator steps from -55 to 125 by 0.5)"},
            {R"({"SimPIN": "1234"})", "SimPIN: unknown key"},
            {R"({"Gprs": {"Mode": "0\r1"}})", "Gprs.Mode: a carriage return cannot be stored in a GPRS line"},
            {R"({"Zones": [{}, {"StartTime": "2400"})" + QByteArray(",{}").repeated(62) + "]}",
             "Zones.2.StartTime: \"2400\" is not a time of day HHMM from 0000 to 2359"},
            {R"({"Zones": [{"StopTime": "2360"})" + QByteArray(",{}").repeated(63) + "]}",
             "Zones.1.StopTime: \"2360\" is not a time of day HHMM from 0000 to 2359"},
            {R"({"Zones": [{"StartTime": 1200})" + QByteArray(",{}").repeated(63) + "]}",
             "Zones.1.StartTime: expected a text HHMM, found the number 1200"},
            {R"({"Zones": [{}]})", "Zones: expected 64 zones, found 1"},
            {R"({"Checks": [1, 0]})", "Checks: expected 32 numbers 0 or 1, found 2"},
            {"[]", "expected one JSON object"},
            {R"({"SimPin": )", "not valid JSON at offset 11: unterminated object"}};
        const QString out = saved("kept.kvt", "kept\r\n");
        for (const auto &[bad, message] : refused) {
            writeFile(json, bad);
            const Run run = runKvt({"build", json, out});
            QCOMPARE(run.err, u"kvt: %1: %2\n"_qs.arg(json, message));
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(run.out, QByteArray());
            QCOMPARE(readFile(out), QByteArray("kept\r\n"));
        }
    }

    // A result on standard output, everything else on standard error; status 0 on success, 1 on failure, 2 on
    // wrong usage (kvt diff: 2 on any trouble). DIR: a folder of files.
    void statusAndMessages_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        const auto row = [](const char *name, const QStringList &args, int status, const QString &err) {
            QTest::newRow(name) << args << status << err;
        };
        const auto usage = [&row](const char *name, const QStringList &args, const QString &text) {
            const bool known = QStringList{"show", "build", "set", "diff", "write", "read-id", "ports"}.contains(
                args.value(0));
            const QString command = known ? args[0] + ' ' : QString();
            row(name, args, 2, "kvt: " + text + "\nTry 'kvt " + command + "--help' for more information.\n");
        };
        const auto file = [](const char *name, const QString &text) { return u"kvt: DIR/%1: %2\n"_qs.arg(name, text); };
        row("file with LF ends", {"check", "DIR/crlf.kvt"}, 1, file("crlf.kvt", InvalidFileText));
        row("show of it", {"show", "DIR/crlf.kvt"}, 1, file("crlf.kvt", InvalidFileText));
        row("missing file", {"check", "DIR/missing.kvt"}, 1, file("missing.kvt", UnreadableFileText));
        row("named pipe, not opened", {"check", "DIR/pipe.kvt"}, 1, file("pipe.kvt", UnreadableFileText));
        row("folder that does not exist", {"new", "DIR/no/x.kvt"}, 1,
            file("no/x.kvt", SaveFailedText) + file("no/x.kvt", "No such file or directory"));
        row("diff of a missing file", {"diff", "DIR/good.kvt", "DIR/missing.kvt"}, 2,
            file("missing.kvt", UnreadableFileText));
        usage("no command", {}, "missing command");
        usage("unknown command", {"frobnicate"}, "unknown command 'frobnicate'");
        usage("unknown option", {"--frobnicate"}, "unknown option '--frobnicate'");
        usage("show's unknown option", {"show", "--xml", "a.kvt"}, "Unknown option 'xml'.");
        usage("a file too many", {"show", "a.kvt", "b.kvt"}, "unexpected argument 'b.kvt'");
        usage("build without OUT", {"build", "a.json"}, "missing OUT");
        usage("two standard inputs", {"build", "--base", "-", "-", "out.kvt"},
              "TEMPLATE and JSON cannot both be standard input");
        usage("set without =", {"set", "a.kvt", "b.kvt", "SimPin"}, "expected KEY=VALUE, found 'SimPin'");
        usage("set without a key", {"set", "a.kvt", "b.kvt", "=1"}, "expected KEY=VALUE, found '=1'");
        usage("diff of one file", {"diff", "a.kvt"}, "missing B");
        usage("diff of two standard inputs", {"diff", "-", "-"}, "A and B cannot both be standard input");
        usage("write without FILE", {"write"}, "missing FILE");
        usage("write's unknown option", {"write", "-speed", "9", "a.kvt"}, "Unknown option 'speed'.");
        usage("empty port", {"write", "--port=", "a.kvt"}, "--port needs a port name");
        usage("empty log", {"write", "--log=", "a.kvt"}, "--log needs a file name");
        usage("read-id's argument", {"read-id", "a"}, "unexpected argument 'a'");
        usage("read-id's unknown option", {"read-id", "--repeat"}, "Unknown option 'repeat'.");
        usage("ports' argument", {"ports", "-json", "x"}, "unexpected argument 'x'");
    }

    void statusAndMessages()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, err);
        saved("crlf.kvt", readFile(saved("good.kvt", imageBytes(startupDocument()))).replace("\r\n", "\n"));
        NamedPipe pipe(path("pipe.kvt"));
        const Run run = runKvt(args.replaceInStrings("DIR", m_dir.path()));
        QCOMPARE(run.err, err.replace("DIR", m_dir.path()));
        QCOMPARE(run.exitCode, status);
        QCOMPARE(run.out, QByteArray());
        QVERIFY(pipe.created());
        QVERIFY(!pipe.wasOpened());
    }
};

QTEST_GUILESS_MAIN(TestCliImage)
#include "test_cli_image.moc"
