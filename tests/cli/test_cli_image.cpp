#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/gprs.h"
#include "kvtrun.h"
#include "testdocuments.h"
#include "testenv.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace kvt::image;
using kvt::image::ZoneRecord;

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
    void newCheckAndShowVerdicts()
    {
        const QString file = path(QStringLiteral("new.kvt"));
        writeBytes(file, "old content that must go\r\n");
        const Run created = runKvt({"new", file});
        const QByteArray good = fileBytes(file);
        QVERIFY(created.exitCode == 0 && created.out.isEmpty() && created.err.isEmpty()
                && good == imageBytes(startupDocument()));
        const Run failed = runKvt({"new", path(QStringLiteral("no/such/x.kvt"))});
        QVERIFY(failed.exitCode == 1 && failed.out.isEmpty() && failed.err.contains(SaveFailedText));

        // A line the line check refuses and a file that ends before its GPRS lines are refused.
        for (const QByteArray &bytes :
             {good, QByteArray(good).replace("\r\n", "\n"), good.left(good.indexOf("065000"))}) {
            writeBytes(file, bytes);
            for (const char *command : {"check", "show"}) {
                const Run run = runKvt({command, file});
                QCOMPARE(run.exitCode, bytes == good ? 0 : 1);
                QVERIFY(bytes == good || (run.out.isEmpty() && run.err.contains(InvalidFileText)));
            }
        }
        // Only a regular file, or a link to one, is read: a named pipe is refused at once, unopened.
        NamedPipe pipe(path(QStringLiteral("x.kvt")));
        for (const char *name : {"missing.kvt", "x.kvt"}) {
            const Run unreadable = runKvt({"check", path(QLatin1String(name))});
            QVERIFY2(unreadable.exitCode == 1 && unreadable.err.contains(UnreadableFileText),
                     qPrintable(unreadable.err));
        }
        QVERIFY(pipe.created() && !pipe.wasOpened());
        writeBytes(file, good);
        QVERIFY(QFile::link(file, path(QStringLiteral("link.kvt"))));
        QCOMPARE(runKvt({"check", path(QStringLiteral("link.kvt"))}).exitCode, 0);
        QCOMPARE(runKvt({"check", "-"}, file).exitCode, 0);
        // A GPRS text longer than the windows' boxes hold is refused, not cut.
        writeBytes(file, good + "GPRS:" + QByteArray(40000, 'a') + "\r\n");
        QVERIFY(runKvt({"check", file}).err.contains(InvalidFileText));
    }

    void showOfAnEditedDocument()
    {
        Document doc = startupDocument();
        std::tie(doc.simPin, doc.tempHighAlert, doc.smsCatchAlertTimer, doc.rtcIntervalUnit) = std::tuple("12é4", 25.5,
                                                                                                          18, 6);
        std::tie(doc.check(1), doc.check(2), doc.check(17)) = std::tuple(Clear, Greyed, Ticked);
        doc.isdnRecall = QStringLiteral("1\r\n2"); // control characters must not reach the terminal
        doc.gprsText(GprsField::Apn) = QStringLiteral("a\x1b[2Jb\x7f");
        doc.zoneTexts[1] = ZoneRecord{.cellIdFlags = 3,
                                      .cellId = "1A2B",
                                      .speedLimit = "080",
                                      .topLatitude = {"461234567", u'N'},
                                      .alertOptions = 44}
                               .toZoneText(2);
        const QString file = saved(QStringLiteral("edited.kvt"), doc);
        const QJsonObject json = QJsonDocument::fromJson(runKvt({"show", "--json", file}).out).object();
        QCOMPARE(
            json.keys(),
            (QStringList{"Checks", "Gprs", "GprsFormat", "IsdnRecall", "RtcIntervalCounter", "RtcIntervalUnit",
                         "SimPin", "SmsCatchAlertTimer", "TempHighAlert", "TempLowAlert", "TrackingCounter", "Zones"}));
        QCOMPARE((QList<QJsonValue>{json["SimPin"], json["TempHighAlert"], json["TempLowAlert"],
                                    json["SmsCatchAlertTimer"], json["Checks"][0], json["Checks"][1],
                                    json["Checks"][16], json["Checks"].toArray().size(), json["Gprs"]["Apn"],
                                    json["GprsFormat"], json["Zones"].toArray().size()}),
                 (QList<QJsonValue>{"12é4", 25.5, -55, 18, 0, 0, 1, CheckCount, "a\x1b[2Jb\x7f",
                                    composeGprsString(doc.gprs), ZoneCount})); // a greyed check shows 0
        QCOMPARE(json["Zones"][1].toObject(),
                 (QJsonObject{{"CellIdFlags", 3},
                              {"CellId", "1A2B"},
                              {"GpsFlags", 0},
                              {"SpeedLimit", "080"},
                              {"StartTime", "0900"},
                              {"StopTime", "1700"},
                              {"TopLatitude", "461234567N"},
                              {"BottomLatitude", "000000000S"},
                              {"LeftLongitude", "0000000000W"},
                              {"RightLongitude", "0000000000E"},
                              {"AlertOptions", 44}}));

        const QString text = QString::fromUtf8(runKvt({"show", file}).out);
        for (const char *shown : {"12é4", "+25.5°C", "180 seconds", "[ ] Battery ID notification on product startup",
                                  "Zone 02: Cell-ID 1A2B", "speed limit 080 knots (Alert)", "top 4612,34567N"})
            QVERIFY2(text.contains(QString::fromUtf8(shown)), shown);
        for (const QChar c : text)
            QVERIFY(c == u'\n' || (c >= u' ' && c != u'\x7f' && c.category() != QChar::Other_Control));
        QVERIFY(text.contains(u"1\u240D\u240A2\n"_qs) && text.contains(u"a\u241B[2Jb\u2421\n"_qs));
    }

    void showThenBuildGivesTheFileBack()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator rng(seed);
        const QString json = path(QStringLiteral("random.json")), rebuilt = path(QStringLiteral("rebuilt.kvt"));
        for (int i = 0; i < 6; ++i) {
            const QString original = saved(QStringLiteral("random.kvt"), kvt::testing::randomDocument(rng, true));
            QFile::remove(rebuilt);
            writeBytes(json, runKvt({"show", "--json", original}).out);
            // Half of the documents travel through standard input.
            const Run build = i % 2 ? runKvt({"build", json, rebuilt}) : runKvt({"build", "-", rebuilt}, json);
            QVERIFY2(build.exitCode == 0, qPrintable(build.err));
            QVERIFY2(fileBytes(rebuilt) == fileBytes(original),
                     qPrintable(QStringLiteral("seed %1, document %2").arg(seed).arg(i)));
        }
        // Keys left out take the start-up values; GprsFormat is recomposed.
        writeBytes(json,
                   R"({"TrackingCounter": 7, "GprsFormat": "ignored", "Zones": [{"CellId": "AB12"})"
                       + QByteArray(",{}").repeated(63) + "]}");
        QVERIFY(runKvt({"build", json, rebuilt}).exitCode == 0);
        Document expected = startupDocument();
        std::tie(expected.trackingCounter,
                 expected.zoneTexts[0]) = std::tuple(7, ZoneRecord{.cellId = "AB12"}.toZoneText(1));
        QCOMPARE(fileBytes(rebuilt), imageBytes(expected));
    }

    void buildRefuses()
    {
        const QList<std::pair<QByteArray, const char *>> refused{
            {R"({"SimPin": "1😀"})", "SimPin"},
            {R"({"SimPin": "123456789"})", "SimPin"},
            {R"({"TrackingCounter": "five"})", "TrackingCounter"},
            {R"({"TempLowAlert": 0.01})", "TempLowAlert"},
            {R"({"SimPIN": "1234"})", "SimPIN"},
            {R"({"Gprs": {"Mode": "0\r1"}})", "Gprs.Mode"},
            {"{\"Zones\": [{}, {\"StartTime\": \"2400\"}" + QByteArray(",{}").repeated(62) + "]}", "Zones.2.StartTime"},
            {"{\"Zones\": [{}]}", "Zones"},
            {R"({"SimPin": )", "not valid JSON"}};
        const QString in = path(QStringLiteral("bad.json")), out = path(QStringLiteral("kept.kvt"));
        writeBytes(out, "kept\r\n");
        for (const auto &[json, named] : refused) {
            writeBytes(in, json);
            const Run run = runKvt({"build", in, out});
            QVERIFY2(run.exitCode == 1 && run.out.isEmpty() && run.err.contains(QLatin1String(named)),
                     qPrintable(run.err));
            QCOMPARE(fileBytes(out), QByteArray("kept\r\n"));
        }
    }

    // Help on standard output with status 0, a full standard output is status 1;
    // wrong usage gives status 2 and a "kvt: " message on standard error only.
    void usageConventions()
    {
        const Run help = runKvt({"--help"}), showHelp = runKvt({"show", "--help"});
        QVERIFY(help.exitCode == 0 && help.out.contains("build [--base TEMPLATE] JSON OUT") && showHelp.exitCode == 0
                && showHelp.out.contains("--json"));
        for (const QStringList &args :
             QList<QStringList>{{}, {"frobnicate"}, {"show", "--xml", "a.kvt"}, {"build", "a.json"}}) {
            const Run run = runKvt(args);
            QVERIFY2(run.exitCode == 2 && run.out.isEmpty() && run.err.startsWith("kvt: "), qPrintable(args.join(' ')));
        }
        if (QFile::exists(QStringLiteral("/dev/full"))) {
            const Run run = runKvt({"show", "--json", saved(QStringLiteral("full.kvt"), startupDocument())}, {},
                                   "/dev/full");
            QVERIFY2(run.exitCode == 1 && run.err.contains(QStringLiteral("standard output")), qPrintable(run.err));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliImage)
#include "test_cli_image.moc"
