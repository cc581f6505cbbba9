// kvt-unit-sim on its own: the line it serves, its memory, its link and its
// stop signals. Its pacing shows in bench_programmer's bare loop.

#include "simunit.h"

#include <QSerialPort>
#include <QtTest>

#include <csignal>

namespace {

// Sends one request and returns what comes back within a second.
QByteArray ask(QSerialPort &line, char kind, int bank, int address, int value = -1,
               const QByteArray &before = {})
{
    QByteArray bytes = before + kind + char(bank) + char(address);
    if (value >= 0)
        bytes += char(value);
    line.write(bytes);
    return line.waitForReadyRead(1000) ? line.readAll() : QByteArray();
}
} // namespace

class UnitSimTest : public QObject {
    Q_OBJECT

private slots:
    void answersAndKeepsItsMemory()
    {
        SimUnit sim;
        QVERIFY(sim.start({"--identifier", QStringLiteral("ABCDEFG\u20ac")}));
        QSerialPort line(sim.device());
        QVERIFY(line.open(QIODevice::ReadWrite));
        QCOMPARE(ask(line, 'W', 1, 5, 65), QByteArray("A"));
        // Bytes that start no request are skipped.
        QCOMPARE(ask(line, 'W', 1, 3, 0, "xyz"), QByteArray(1, '\0'));
        QCOMPARE(ask(line, 'W', 1, 5, 66), QByteArray("B"));
        QCOMPARE(ask(line, 'R', 0, 10), QByteArray("A"));
        // The identity is kept in the unit's 8-bit set: the euro sign is 0x80.
        QCOMPARE(ask(line, 'R', 0, 17), QByteArray("\x80"));
        QCOMPARE(ask(line, 'R', 2, 9), QByteArray("\xFF"));
        // SIGINT saves as SIGTERM does: first-write order, last value.
        ::kill(pid_t(sim.process().processId()), SIGINT);
        QVERIFY(sim.process().waitForFinished(5000));
        QCOMPARE(sim.process().exitCode(), 0);
        QCOMPARE(sim.savedMemory(), QByteArray("001005066\r\n001003000\r\n"));
    }

    void stopSignalEndsADelayedReply()
    {
        SimUnit sim;
        QVERIFY(sim.start({"--delay", "60000"}));
        QSerialPort line(sim.device());
        QVERIFY(line.open(QIODevice::ReadWrite));
        line.write(QByteArray("W\x03\x07\x09"));   // stored, its echo a minute away
        QTRY_COMPARE(sim.requests().size(), 1);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(sim.stop());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(sim.process().exitCode(), 0);
        QCOMPARE(sim.savedMemory(), QByteArray("003007009\r\n"));
    }

    void linksTheDeviceWhileItRuns()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("com1");
        // A link left behind is replaced; the link goes when the simulator ends.
        QVERIFY(QFile::link("/dev/null", link));
        SimUnit sim;
        QVERIFY(sim.start({"--link", link}));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
        QVERIFY(sim.stop());
        QVERIFY(!QFileInfo(link).isSymLink());

        // Anything else is left alone, and the simulator does not start.
        writeFile(link, "plain");
        SimUnit refused;
        QVERIFY(!refused.start({"--link", link}));
        refused.process().waitForFinished(5000);
        QCOMPARE(refused.process().exitCode(), 1);
        QCOMPARE(readFile(link), QByteArray("plain"));
    }

    void refusesBadOptions_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("short identifier") << QStringList{"--identifier", "ABC"};
        QTest::newRow("identifier outside the 8-bit set")
            << QStringList{"--identifier", QStringLiteral("ABCDEFG\u03a9")};
        QTest::newRow("request 0") << QStringList{"--wrong-echo-at", "0"};
        QTest::newRow("delay over a minute") << QStringList{"--delay", "60001"};
        QTest::newRow("delay beyond an int") << QStringList{"--delay", "4294967296"};
        QTest::newRow("unknown option") << QStringList{"--baud", "19200"};
        QTest::newRow("argument") << QStringList{"/dev/ttyS0"};
    }

    void refusesBadOptions()
    {
        QFETCH(QStringList, options);
        QProcess sim;
        sim.start(SimUnit::program(), options);
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(UnitSimTest)
#include "test_unitsim.moc"
