// kvt-unit-sim as a program (its device line, link, options and exits) and
// the unit it simulates. How it answers the programmer shows in the
// engine's and the commands' tests.

#include "sim/unit.h"
#include "simunit.h"

#include <QProcess>
#include <QSerialPort>
#include <QtTest>

namespace {
const QString Program = QStringLiteral(KVT_UNIT_SIM);

// Starts the program; its first line, the device it serves.
QString startProgram(QProcess &sim, const QStringList &options)
{
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(Program, options);
    while (sim.waitForStarted(5000) && !sim.canReadLine()) {
        if (!sim.waitForReadyRead(5000))
            return {};
    }
    return QString::fromLocal8Bit(sim.readLine().trimmed());
}
} // namespace

class UnitSimTest : public QObject {
    Q_OBJECT

private slots:
    // It serves the device it prints and links; SIGTERM, or a requested
    // hang-up once the client is idle, ends it with exit 0, the memory
    // saved and the link gone.
    void runsAsAProgram()
    {
        for (const bool hangup : {false, true}) {
            QTemporaryDir dir;
            const QString link = dir.filePath("com1");
            QVERIFY(QFile::link("/dev/null", link)); // a link left behind is replaced
            QProcess sim;
            QStringList options{
                "--link",       link,      "--log", dir.filePath("log"), "--save", dir.filePath("memory"),
                "--identifier", "ABCDEFGH"};
            const QString device = startProgram(sim,
                                                hangup ? options << "--hangup-after"
                                                                 << "2"
                                                       : options);
            QCOMPARE(QFileInfo(link).symLinkTarget(), device);
            QSerialPort port(device);
            QVERIFY(port.open(QIODevice::ReadWrite));
            for (const QByteArray &request : {QByteArray("W\x01\x05\x41", 4), QByteArray("R\x00\x0a", 3)}) {
                QCOMPARE(port.write(request), request.size());
                QVERIFY(port.waitForReadyRead(2000));
                QCOMPARE(port.readAll(), QByteArray("A")); // the echo; address 10 of the identifier
            }
            if (!hangup)
                sim.terminate();
            QVERIFY(sim.waitForFinished(5000));
            QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
            QCOMPARE(sim.exitCode(), 0);
            QCOMPARE(readFile(dir.filePath("log")), QByteArray("W 001 005 065\nR 000 010\n"));
            QCOMPARE(readFile(dir.filePath("memory")), QByteArray("001005065\r\n"));
            QVERIFY(!QFileInfo(link).isSymLink());
        }
    }

    void refusesBadOptions()
    {
        QTemporaryDir dir;
        const QString file = writeFile(dir.filePath("com1"), "plain"); // no link: left alone
        QCOMPARE(QProcess::execute(Program, {"--link", file}), 1);
        QCOMPARE(readFile(file), QByteArray("plain"));
        for (const QStringList &options : {QStringList{"--identifier", "ABC"},
                                           {"--identifier", "ABCDEFG\u03a9"},
                                           {"--wrong-echo-at", "0"},
                                           {"--delay", "4294967296"},
                                           {"/dev/ttyS0"}})
            QCOMPARE(QProcess::execute(Program, options), 2);
    }

    // Requests come in any pieces and stray bytes between them are dropped;
    // a write to bank 0 changes the identity; a second write to an address
    // changes its memory line in place; an unwritten address reads 255.
    void unitAnswersAndKeepsItsMemory()
    {
        kvt::sim::Options options;
        options.wrongEchoAt = 4;
        kvt::sim::Unit unit(options);
        const QByteArray stream("?W\x02\x07\x09zzW\x00\x0a\x51R\x00\x0aW\x02\x07\x00R\x02\x09", 22);
        QByteArray pending, replies;
        for (qsizetype i = 0; i < stream.size(); i += 3) {
            pending += stream.mid(i, 3);
            while (const auto request = kvt::sim::Unit::takeRequest(pending))
                replies += unit.answer(*request);
        }
        QCOMPARE(replies, QByteArray("\x09QQ\x01\xff"));
        QCOMPARE(unit.memoryLines(), QByteArray("002007000\r\n000010081\r\n"));

        // The next unit of a line: a fresh memory, the number at the end of
        // the serial number one higher, as wide as it was.
        unit.nextUnit();
        QCOMPARE(unit.memoryLines(), QByteArray());
        for (const auto &[serial, step, next] : {std::tuple{"000000001", 1, "000000002"},
                                                 {"SN0000099", 1, "SN0000100"},
                                                 {"999999999", 1, "000000000"},
                                                 {"SERIALNUM", 5, "SERIALNUM"}})
            QCOMPARE(kvt::sim::Unit::nextSerialNumber(serial, step), QByteArray(next));
    }
};

QTEST_GUILESS_MAIN(UnitSimTest)
#include "test_unitsim.moc"
