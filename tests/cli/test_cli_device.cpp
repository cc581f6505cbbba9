// `kvt write` and `kvt read-id` as a separate process against kvt-unit-sim.

#include "programmer/serialsettings.h"

#include "simunit.h"
#include "testenv.h"

#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QTest>

#include <csignal>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace kvt::programmer;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runKvt(const QStringList &args)
{
    QProcess process;
    process.start(QStringLiteral(KVT_BIN), args);
    Run run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Ten memory lines of bank 3, then the GPRS lines.
QByteArray smallFile()
{
    QByteArray text;
    for (int address = 0; address < 10; ++address)
        text += QByteArray("003") + QByteArray::number(address + 100) + "088\r\n";
    return text + "GPRS:internet\r\nGPRS:\r\n\r\n";
}

const QString SummaryHead = QStringLiteral(
    "Tracking base successfully programmed, 10 of 10 bytes successfully writted , Elapsed time: ");

} // namespace

class CliDeviceTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_folders.reset(); }

    void writesThroughTheChosenPort();
    void failuresGoToStderr();
    void wrongUsage_data();
    void wrongUsage();
    void readsTheIdentity();
    void interruptStopsCleanly();
    void drawsAProgressBarOnATerminal();

private:
    std::unique_ptr<TestFolders> m_folders;
    QString m_file;
};

void CliDeviceTest::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_file = m_folders->file(QStringLiteral("unit.kvt"));
    QFile file(m_file);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(smallFile());
}

void CliDeviceTest::writesThroughTheChosenPort()
{
    SimUnit sim;
    QVERIFY(sim.start({"--link", m_folders->configFolder() + "/com3"}));
    QVERIFY(writeSerialSettings(settingsFilePath(), SerialSettings{3, true, true, false}));

    // Without --port: the settings' COM3, through its link.
    Run run = runKvt({"write", m_file});
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    // No progress bar when stdout is no terminal: the summary line alone.
    QVERIFY2(run.out.startsWith(SummaryHead), qPrintable(run.out));
    QVERIFY(run.out.endsWith(QStringLiteral("sec\n")));
    QCOMPARE(run.out.count(QLatin1Char('\n')), 1);
    QVERIFY(!run.out.contains(QLatin1Char('\r')));
    QCOMPARE(sim.requests().first(), QStringLiteral("W 003 100 088"));

    // A named port wins over the settings, in any case; so does a device.
    QVERIFY(writeSerialSettings(settingsFilePath(), SerialSettings{1, true, true, false}));
    QVERIFY(QFile::link(sim.device(), m_folders->configFolder() + "/com2"));
    run = runKvt({"write", "--port", "com2", m_file});
    QCOMPARE(run.exitCode, 0);
    run = runKvt({"write", "--port=" + sim.device(), m_file});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(sim.requests().size(), 30);

    // A file without any GPRS line: every line goes out, no summary.
    QFile file(m_file);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("001001001\r\n001002002\r\n");
    file.close();
    run = runKvt({"write", "--port", sim.device(), m_file});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("2 of 2 bytes successfully programmed\n"));
}

void CliDeviceTest::failuresGoToStderr()
{
    SimUnit sim;
    QVERIFY(sim.start({"--wrong-echo-at", "3"}));
    Run run = runKvt({"write", "--port", sim.device(), m_file});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err,
             QStringLiteral("Invalid response received from tracking unit, programming aborted...\n"));
    QCOMPARE(sim.requests().size(), 3);

    run = runKvt({"read-id", "--port", m_folders->file("no-such-tty")});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("Unable to open the Serial Port, Programming aborted...\n"));
}

void CliDeviceTest::wrongUsage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("write without file") << QStringList{"write"} << 2;
    QTest::newRow("unknown option") << QStringList{"write", "--speed", "9600", "a.kvt"} << 2;
    QTest::newRow("port without name") << QStringList{"read-id", "--port"} << 2;
    QTest::newRow("read-id with a file") << QStringList{"read-id", "a.kvt"} << 2;
    QTest::newRow("write help") << QStringList{"write", "--help"} << 0;
}

void CliDeviceTest::wrongUsage()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    const Run run = runKvt(args);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode == 0)
        QVERIFY(run.out.startsWith(QStringLiteral("Usage: kvt ") + args.first()));
    else
        QVERIFY(!run.err.isEmpty());
}

void CliDeviceTest::readsTheIdentity()
{
    SimUnit sim;
    QVERIFY(sim.start({"--identifier", "KVT-2000", "--serial", "S00000042", "--firmware", "0005",
                       "--date", "1108"}));
    const Run run = runKvt({"read-id", "--port", sim.device()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("Identifier: KVT-2000    Serial number: S00000042    "
                                     "Firmware version: 0.05    Manufacturing date: 11/2008\n"));
    QCOMPARE(sim.requests().size(), 25);
}

void CliDeviceTest::interruptStopsCleanly()
{
    SimUnit sim;
    QVERIFY(sim.start({"--delay", "100"}));
    QProcess kvt;
    kvt.start(QStringLiteral(KVT_BIN), {"write", "--port", sim.device(), m_file});
    QVERIFY(kvt.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(sim.requests().size() >= 2, 5000);
    ::kill(pid_t(kvt.processId()), SIGINT);
    QVERIFY(kvt.waitForFinished(5000));
    QCOMPARE(kvt.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kvt.exitCode(), 130);
    QCOMPARE(QString::fromUtf8(kvt.readAllStandardError()),
             QStringLiteral("Interrupted, programming aborted...\n"));
    const int sent = int(sim.requests().size());
    QTest::qWait(250);
    QCOMPARE(sim.requests().size(), sent);
    QVERIFY(sent < 10);
}

void CliDeviceTest::drawsAProgressBarOnATerminal()
{
    SimUnit sim;
    QVERIFY(sim.start());
    int master = -1, slave = -1;
    char name[256] = {};
    QCOMPARE(openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);

    QProcess kvt;
    kvt.setStandardOutputFile(QString::fromLocal8Bit(name));
    kvt.start(QStringLiteral(KVT_BIN), {"write", "--port", sim.device(), m_file});
    QVERIFY(kvt.waitForFinished(10000));
    QCOMPARE(kvt.exitCode(), 0);

    QByteArray screen;
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    char buffer[4096];
    for (ssize_t got; (got = ::read(master, buffer, sizeof buffer)) > 0;)
        screen.append(buffer, got);
    ::close(master);
    ::close(slave);
    QVERIFY2(screen.contains("\r[##############################]  10 of 10 bytes successfully programmed"),
             screen.constData());
    QVERIFY(screen.contains("\r\x1b[K" + SummaryHead.toUtf8()));
}

QTEST_GUILESS_MAIN(CliDeviceTest)
#include "test_cli_device.moc"
