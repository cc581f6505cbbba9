// Preparing many units from one template: kvt set, build --base, diff and check.

#include "image/charset.h"
#include "image/configfile.h"
#include "image/gprs.h"
#include "kvtrun.h"
#include "testdocuments.h"
#include "testenv.h"

#include <QtTest> // and the whole of QtCore

using namespace kvt::image;

namespace {

constexpr int Zone07 = zoneLine(7);

QByteArray changed(void (*edit)(Document &))
{
    Document doc = startupDocument();
    edit(doc);
    return imageBytes(doc);
}

// IP boxes that make the GPRS string `length` characters long.
QByteArray withGprsLength(int length)
{
    Document doc = startupDocument();
    doc.gprsText(GprsField::Ip) = QString(length - composeGprsString(defaultGprsTexts()).size(), u'1');
    return imageBytes(doc);
}

} // namespace

class TestCliFleet : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString saved(const QString &name, const QByteArray &bytes) { return writeFile(path(name), bytes); }

private slots:
    // A template as a fleet's may be: random values, zones of any 64 memory lines among them, and bytes the
    // configurator does not read back edited by hand: the reserved byte 015, Reserved245 of zone 07 and the first
    // character of the string in bank 065.
    void setAndBuildBaseKeepEveryOtherByte()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator rng(seed);
        QList<QByteArray> original = splitLines(imageBytes(kvt::testing::randomDocument(rng)));
        std::tie(original[14], original[Zone07 + 62]) = std::tuple("001015007", "007245049");
        original[Bank065] = original[Bank065].endsWith("035") ? "065000036" : "065000035";
        const QString tmpl = saved("template.kvt", joined(original)), json = path("unit.json"), out = path("unit.kvt");

        // Only the lines of the named values change: the PIN's eight and the Cell-ID's four.
        QList<QByteArray> expected = original;
        const QByteArray pin = "049050051052088088088088", cellId = "049065050066";
        for (int i = 0; i < 8; ++i)
            expected[i] = QByteArray::number(1001 + i).rightJustified(6, '0') + pin.mid(3 * i, 3);
        for (int i = 0; i < 4; ++i)
            expected[Zone07 + 1 + i] = "007" + QByteArray::number(184 + i) + cellId.mid(3 * i, 3);
        const QStringList settings{"SimPin=1234", "Zones.7.CellId=1A2B"};
        const Run set = runKvt(QStringList{"set", tmpl, out} + settings);
        QVERIFY2(set.exitCode == 0 && set.err.isEmpty(), qPrintable(set.err));
        QVERIFY2(readFile(out) == joined(expected), qPrintable(QStringLiteral("seed %1").arg(seed)));

        // build --base: the keys left out keep the template's values and bytes.
        writeFile(json,
                  R"({"SimPin": "1234", "Zones": [)" + QByteArray("{},").repeated(6) + R"({"CellId": "1A2B"})"
                      + QByteArray(",{}").repeated(57) + "]}");
        QCOMPARE(runKvt({"build", "--base", tmpl, json, out}).exitCode, 0);
        QCOMPARE(readFile(out), joined(expected));
        // The template's own JSON form, zones from random lines included, builds back into it.
        writeFile(json, runKvt({"show", "--json", tmpl}).out);
        QCOMPARE(runKvt({"build", "--base", tmpl, json, "-"}).out, joined(original));

        // A GPRS box named: bank 065 takes the composed string, and says the hand-edited one is gone.
        Document doc = decodeParameters(joined(original)).value();
        doc.gprsText(GprsField::Apn) = "\"m2m.example\"";
        QList<QByteArray> withApn = original;
        const QList<QByteArray> bank = splitLines(toWindows1252(gprsBankText(doc)).value());
        std::copy(bank.begin(), bank.end(), withApn.begin() + Bank065);
        withApn[Bank065 + GprsBankLineCount] = "GPRS:\"m2m.example\"";
        const Run apn = runKvt({"set", tmpl, "-", "Gprs.Apn=\"m2m.example\""});
        QCOMPARE(apn.out, joined(withApn));
        QVERIFY2(apn.err.contains("warning: bank 065 held another GPRS string than the GPRS boxes composed; it now "
                                  "holds the string the boxes compose\n"),
                 qPrintable(apn.err));

        // OUT may be IN.
        QCOMPARE(runKvt(QStringList{"set", tmpl, tmpl} + settings).exitCode, 0);
        QCOMPARE(readFile(tmpl), joined(expected));
    }

    void setRefusesAndWritesNothing()
    {
        const QString in = saved("in.kvt", imageBytes(startupDocument())), out = saved("kept.kvt", "kept\r\n");
        const QList<std::pair<QStringList, const char *>> refused{
            {{"SimPin=123456789"}, "SimPin: at most 8 characters"},
            {{"SimPIN=1234"}, "SimPIN: unknown key"},
            {{"TempHighAlert=hot"}, "TempHighAlert: expected a number of degrees, found the text \"hot\""},
            {{"Checks.33=1"}, "Checks.33: name one check box, Checks.1 to Checks.32"},
            {{"TrackingCounter=256"}, "TrackingCounter: 256 is not a whole number from 0 to 255"},
            {{"Zones.64.AlertOptions=256"}, "Zones.64.AlertOptions: 256 is not a whole number from 0 to 255"},
            {{"Zones.1.TopLatitude=12345678N"}, "Zones.1.TopLatitude: \"12345678N\" is not 9 digits then N or S"},
            {{"SimPin=1", "Zones.7.StartTime=2400"},
             "Zones.7.StartTime: \"2400\" is not a time of day HHMM from 0000 to 2359"},
            {{"Gprs.Apn=Ω"}, "Gprs.Apn: \"Ω\" has no code in the Windows-1252 character set and cannot be stored"},
            {{"GprsFormat=x"}, "GprsFormat: the unit's GPRS string is composed from the Gprs boxes; set those"},
            {{"SimPin=1", "SimPin=2"}, "SimPin: given twice"},
            {{"Checks.3=1", "Checks.03=0"}, "Checks.3: given twice"},
            {{"Gprs.Apn=a", "Gprs.Apn=b"}, "Gprs.Apn: given twice"},
            {{"Zones.9.CellId=1A2B", "Zones.9.CellId=1A2C"}, "Zones.9.CellId: given twice"},
            {{"Zones.65.CellId=1A2B"},
             "Zones.65.CellId: name a zone from 1 to 64 and one of its fields: CellIdFlags, "
             "CellId, GpsFlags, SpeedLimit, StartTime, StopTime, TopLatitude, BottomLatitude, "
             "LeftLongitude, RightLongitude, AlertOptions"}};
        for (const auto &[settings, message] : refused) {
            const Run run = runKvt(QStringList{"set", in, out} + settings);
            QCOMPARE(run.err, "kvt: " + QString::fromUtf8(message) + '\n');
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(readFile(out), QByteArray("kept\r\n"));
        }
        // Standard output gets no file that a file would refuse: a GPRS line longer than a box holds.
        const Run huge = runKvt({"set", in, "-", "Gprs.Apn=" + QString(32768, u'a')});
        QCOMPARE(huge.out, QByteArray());
        QCOMPARE(huge.exitCode, 1);
        QCOMPARE(runKvt({"set", in, "-", "Zones.1.SpeedLimit=0"}).exitCode, 0);
        QCOMPARE(runKvt({"set", in, "-", "Checks.3=1"}).out, changed([](Document &d) { d.check(3) = Ticked; }));
        QCOMPARE(runKvt({"set", in, "-", "IsdnRecall=12X4"}).err,
                 "kvt: warning: IsdnRecall: every \"X\" is dropped when the file is loaded\n");
        QList<QByteArray> lines = splitLines(imageBytes(startupDocument()));
        lines.insert(zoneLine(1) + 1, {}); // an empty line, which a file may hold, inside zone 1
        QVERIFY(runKvt({"set", saved("moved.kvt", joined(lines)), "-", "Zones.1.CellId=1A2B"})
                    .err.endsWith("kvt: warning: Zones.1: its lines do not stand where the zone editor reads them; "
                                  "the whole zone is written anew\n"));
        const int room = 255 - composeGprsString(defaultGprsTexts()).size(); // the IP that makes 255 characters
        QCOMPARE(runKvt({"set", in, "-", "Gprs.Ip=" + QString(room, u'1')}).err, QString());
        QCOMPARE(runKvt({"set", in, "-", "Gprs.Ip=" + QString(room + 1, u'1')}).err,
                 "kvt: warning: the GPRS string has 256 characters; the unit takes at most 255 and only the first 256 "
                 "are stored\n");
    }

    // kvt diff's status and JSON form, kvt check of several files; every input stops at 16 MiB, and a path where
    // JSON is read must be a regular file.
    void diffCheckAndBoundedInputs()
    {
        const QString good = saved("good.kvt", imageBytes(startupDocument()));
        const Run same = runKvt({"diff", good, good});
        QCOMPARE(same.exitCode, 0);
        QCOMPARE(same.out, QByteArray());
        QCOMPARE(same.err, QString());
        QList<QByteArray> lines = splitLines(changed([](Document &d) { d.tempHighAlert = 25.5; }));
        lines[Zone07 + 62] = "007245049";
        const Run json = runKvt({"diff", "--json", good, saved("b.kvt", joined(lines))});
        QCOMPARE(json.exitCode, 1);
        QCOMPARE(QJsonDocument::fromJson(json.out),
                 QJsonDocument::fromJson(R"({"differences": [{"line": 9, "key": "TempHighAlert", "label": "THA",
                     "a": "+125°C", "b": "+25.5°C"}, {"line": 484, "key": null, "label": "Zone 07 Reserved245",
                     "a": "007245048", "b": "007245049"}]})"));

        lines = splitLines(imageBytes(startupDocument()));
        lines[Bank065] = "065000035";
        const QString bad = saved("bad.kvt", "x\r\n"), missing = path("missing.kvt"),
                      bank = saved("bank.kvt", joined(lines));
        const QString longGprs = saved("long.kvt", withGprsLength(256)),
                      atLimit = saved("limit.kvt", withGprsLength(255));
        const QString longWarning = "kvt: warning: " + longGprs
            + ": the GPRS string has 256 characters; the unit takes at most 255";
        const QString bankWarning = "kvt: warning: " + bank
            + ": bank 065 holds another GPRS string than the GPRS boxes "
              "compose; the unit receives the one in bank 065";
        const Run run = runKvt({"check", good, bad, longGprs, missing, bank});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.split(u'\n'),
                 (QStringList{"kvt: " + bad + ": " + InvalidFileText, longWarning,
                              "kvt: " + missing + ": " + UnreadableFileText, bankWarning, QString()}));
        const Run warned = runKvt({"check", good, atLimit, longGprs, bank});
        QCOMPARE(warned.err, longWarning + u'\n' + bankWarning + u'\n');
        QCOMPARE(warned.exitCode, 0);

        QCOMPARE(runKvt({"check", "-"}, "/dev/zero").err, "kvt: -: " + InvalidFileText + '\n');
        const QString out = path("out.kvt");
        // 16 MiB are read (and are no JSON); one byte more is refused unread.
        QByteArray big(16 * 1024 * 1024, '\0');
        for (const auto &[size, why] : {std::pair{big.size(), "not valid JSON at offset 1: illegal value"},
                                        {big.size() + 1, "larger than 16 MiB, far more than any configuration"}}) {
            big.resize(size);
            const QString json = saved("big.json", big);
            QCOMPARE(runKvt({"build", json, out}).err, "kvt: " + json + ": " + why + '\n');
        }
        QCOMPARE(runKvt({"build", "/dev/zero", out}).err,
                 "kvt: /dev/zero: not a regular file (give - to read standard input)\n");
        NamedPipe pipe(path("pipe.json"));
        QCOMPARE(runKvt({"build", path("pipe.json"), out}).exitCode, 1);
        QVERIFY(pipe.created());
        QVERIFY(!pipe.wasOpened());
        for (const QString &swapped :
             {good, saved("nine.kvt", "001009065")}) { // nine digits, 0 to 9, are enough to tell
            const Run run = runKvt({"build", swapped, out});
            QCOMPARE(run.err,
                     u"kvt: %1: a configuration file, not JSON: `kvt show --json %1` prints its JSON form, "
                     u"and `kvt build --base %1 JSON OUT` starts from it\n"_qs.arg(swapped));
            QCOMPARE(run.exitCode, 1);
            QVERIFY(!QFile::exists(out));
        }
        QCOMPARE(runKvt({"build", "-", "-"}, saved("pin.json", R"({"SimPin": "1234"})")).out,
                 changed([](Document &d) { d.simPin = "1234"; }));
    }
};

QTEST_GUILESS_MAIN(TestCliFleet)
#include "test_cli_fleet.moc"
