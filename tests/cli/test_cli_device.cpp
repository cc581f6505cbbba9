// `kvt write` and `kvt read-id` as a separate process against kvt-unit-sim.

#include "programmer/serialsettings.h"

#include "simunit.h"
#include "testenv.h"

#include <QProcess>
#include <QTest>

#include <csignal>

#include <unistd.h>

using namespace kvt::programmer;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runKvt(const QStringList &args, const QString &stdoutFile = {})
{
    QProcess process;
    if (!stdoutFile.isEmpty())
        process.setStandardOutputFile(stdoutFile);
    process.start(QStringLiteral(KVT_BIN), args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
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
    void resultsAndFailures();
    void wrongUsage_data();
    void wrongUsage();
    void stopSignalsEndCleanly_data();
    void stopSignalsEndCleanly();
    void drawsAProgressBarOnATerminal();

private:
    std::unique_ptr<TestFolders> m_folders;
    QString m_file;
};

void CliDeviceTest::init()
{
    m_folders = std::make_unique<TestFolders>();
    // Ten memory lines of bank 3, then the GPRS lines.
    QByteArray text;
    for (int address = 100; address < 110; ++address)
        text += "003" + QByteArray::number(address) + "088\r\n";
    m_file = m_folders->file(QStringLiteral("unit.kvt"));
    writeFile(m_file, text + "GPRS:internet\r\nGPRS:\r\n\r\n");
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
    QCOMPARE(run.out.count(u'\n'), 1);
    QVERIFY(!run.out.contains(u'\r'));
    QCOMPARE(sim.requests().first(), QStringLiteral("W 003 100 088"));

    // A named port wins over the settings, in any case; so does a device.
    QVERIFY(writeSerialSettings(settingsFilePath(), SerialSettings{1, true, true, false}));
    QVERIFY(QFile::link(sim.device(), m_folders->configFolder() + "/com2"));
    QCOMPARE(runKvt({"write", "--port", "com2", m_file}).exitCode, 0);
    QCOMPARE(runKvt({"write", "--port=" + sim.device(), m_file}).exitCode, 0);
    QCOMPARE(sim.requests().size(), 30);

    // A file without any GPRS line: every line goes out, no summary.
    writeFile(m_file, "001001001\r\n001002002\r\n");
    run = runKvt({"write", "--port", sim.device(), m_file});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("2 of 2 bytes successfully programmed\n"));
}

void CliDeviceTest::resultsAndFailures()
{
    SimUnit sim;
    QVERIFY(sim.start({"--firmware", "0005", "--date", "1108", "--wrong-echo-at", "3"}));
    Run run = runKvt({"write", "--port", sim.device(), m_file});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, QStringLiteral("Invalid response received from tracking unit, programming aborted...\n"));
    QCOMPARE(sim.requests().size(), 3);

    run = runKvt({"read-id", "--port", sim.device()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("Identifier: KVT00001    Serial number: 000000001    "
                                     "Firmware version: 0.05    Manufacturing date: 11/2008\n"));
    QCOMPARE(sim.requests().size(), 3 + 25);
    // A result that cannot be written is no success.
    run = runKvt({"read-id", "--port", sim.device()}, "/dev/full");
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.err.contains(QStringLiteral("cannot write to standard output")));

    run = runKvt({"read-id", "--port", m_folders->file("no-such-tty")});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.err, QStringLiteral("Unable to open the Serial Port, Programming aborted...\n"));
}

void CliDeviceTest::wrongUsage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("stdoutFile");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("write without file") << QStringList{"write"} << QString() << 2;
    QTest::newRow("unknown option") << QStringList{"write", "--speed", "9600", "a.kvt"} << QString() << 2;
    QTest::newRow("port without name") << QStringList{"read-id", "--port"} << QString() << 2;
    QTest::newRow("read-id with a file") << QStringList{"read-id", "a.kvt"} << QString() << 2;
    QTest::newRow("write help") << QStringList{"write", "--help"} << QString() << 0;
    QTest::newRow("help on a full disk") << QStringList{"write", "--help"} << "/dev/full" << 1;
}

void CliDeviceTest::wrongUsage()
{
    QFETCH(QStringList, args);
    QFETCH(QString, stdoutFile);
    QFETCH(int, exitCode);
    const Run run = runKvt(args, stdoutFile);
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode == 0)
        QVERIFY(run.out.startsWith(QStringLiteral("Usage: kvt ") + args.first()));
    else
        QVERIFY(!run.err.isEmpty());
}

void CliDeviceTest::stopSignalsEndCleanly_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("Ctrl+C") << int(SIGINT) << 130;
    QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
}

void CliDeviceTest::stopSignalsEndCleanly()
{
    QFETCH(int, signal);
    QFETCH(int, exitCode);
    SimUnit sim;
    QVERIFY(sim.start({"--delay", "100"}));
    QProcess kvt;
    kvt.start(QStringLiteral(KVT_BIN), {"write", "--port", sim.device(), m_file});
    QVERIFY(kvt.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(sim.requests().size() >= 2, 5000);
    ::kill(pid_t(kvt.processId()), signal);
    QVERIFY(kvt.waitForFinished(5000));
    QCOMPARE(kvt.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kvt.exitCode(), exitCode);
    QCOMPARE(QString::fromUtf8(kvt.readAllStandardError()),
             QStringLiteral("Interrupted, programming aborted...\n"));
    const qsizetype sent = sim.requests().size();
    QTest::qWait(250);
    QCOMPARE(sim.requests().size(), sent);
    QVERIFY(sent < 10);
}

void CliDeviceTest::drawsAProgressBarOnATerminal()
{
    SimUnit sim;
    QVERIFY(sim.start());
    RawPty terminal;
    QProcess kvt;
    kvt.setStandardOutputFile(terminal.name);
    kvt.start(QStringLiteral(KVT_BIN), {"write", "--port", sim.device(), m_file});
    QVERIFY(kvt.waitForFinished(10000));
    QCOMPARE(kvt.exitCode(), 0);

    QByteArray screen;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal.master, buffer, sizeof buffer)) > 0;)
        screen.append(buffer, got);
    QVERIFY2(screen.contains("\r[##############################]  10 of 10 bytes successfully programmed"),
             screen.constData());
    QVERIFY(screen.contains("\r\x1b[K" + SummaryHead.toUtf8()));
}

QTEST_GUILESS_MAIN(CliDeviceTest)
#include "test_cli_device.moc"
