// kvt-unit-sim on its own: the line it serves, its memory and its link.

#include "simunit.h"

#include <QSerialPort>
#include <QtTest>

#include <csignal>

class UnitSimTest : public QObject {
    Q_OBJECT

private slots:
    void answersAndKeepsItsMemory()
    {
        SimUnit sim;
        QVERIFY(sim.start());
        QSerialPort line(sim.device());
        QVERIFY(line.open(QIODevice::ReadWrite));
        using B = QByteArray;   // bytes that start no request are skipped
        for (const auto &[request, reply] : {std::pair{B("W\1\5A"), B("A")}, {B("xyzW\1\3\0", 7), B(1, 0)},
                                              {B("W\1\5B"), B("B")}, {B("R\2\11"), B("\xFF")}}) {
            line.write(request);
            QVERIFY(line.waitForReadyRead(1000));
            QCOMPARE(line.readAll(), reply);
        }
        // SIGINT saves as SIGTERM does: first-write order, last value.
        ::kill(pid_t(sim.process().processId()), SIGINT);
        QVERIFY(sim.process().waitForFinished(5000));
        QCOMPARE(sim.process().exitCode(), 0);
        QCOMPARE(sim.savedMemory(), QByteArray("001005066\r\n001003000\r\n"));
    }

    void linksTheDeviceAndRefusesBadOptions()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("com1");
        QVERIFY(QFile::link("/dev/null", link));   // a link left behind is replaced
        SimUnit sim;
        QVERIFY(sim.start({"--link", link}));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
        QVERIFY(sim.stop());
        QVERIFY(!QFileInfo(link).isSymLink());
        writeFile(link, "plain");   // anything else is left alone
        QCOMPARE(QProcess::execute(SimUnit::program(), {"--link", link}), 1);
        QCOMPARE(readFile(link), QByteArray("plain"));
        for (const QStringList &options : {QStringList{"--identifier", "ABC"}, {"--identifier", "ABCDEFG\u03a9"},
                                           {"--wrong-echo-at", "0"}, {"--delay", "4294967296"}, {"/dev/ttyS0"}})
            QCOMPARE(QProcess::execute(SimUnit::program(), options), 2);
    }
};

QTEST_GUILESS_MAIN(UnitSimTest)
#include "test_unitsim.moc"
