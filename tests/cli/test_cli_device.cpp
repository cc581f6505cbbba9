// `kvt write` and `kvt read-id` as a separate process against a simulated unit.

#include "programmer/serialsettings.h"

#include "simunit.h"
#include "testenv.h"

#include <QtTest>

#include <csignal>

using namespace kvt::programmer;

namespace {
struct Run { int exitCode = -1; QString out, err; };

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
} // namespace

class CliDeviceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolders> m_folders;
    QString m_file;   // smallFile()

private slots:
    void init()
    {
        m_folders = std::make_unique<TestFolders>();
        m_file = writeFile(m_folders->file(QStringLiteral("unit.kvt")), smallFile());
    }
    void cleanup() { m_folders.reset(); }

    // The file the editor saves goes out whole, in file order, through the
    // settings' port (COM3, linked to the simulator) into the unit's memory.
    void writesASavedFileInFileOrder()
    {
        SimUnit sim;
        QVERIFY(sim.start({"--link", m_folders->configFolder() + "/com3"}));
        QVERIFY(writeSerialSettings(settingsFilePath(), SerialSettings{3, true, true, false}));
        const QByteArray file = readFile(writeSavedImage(m_file));
        const Run run = runKvt({"write", m_file});
        QCOMPARE(run.exitCode, 0);
        // No progress bar when stdout is no terminal: the summary line alone.
        QVERIFY2(QRegularExpression("^Tracking base successfully programmed, 4389 of 4389 bytes "
                                    "successfully writted , Elapsed time: \\d+sec\n$").match(run.out).hasMatch(),
                 qPrintable(run.out + run.err));
        QCOMPARE(sim.requests().size(), 4389);
        QCOMPARE(sim.requests(), writeRequests(file));
        QVERIFY(sim.stop());
        QCOMPARE(sim.savedMemory(), file.left(file.indexOf("GPRS:")));
    }

    void portsResultsAndFailures()
    {
        SimUnit sim;
        QVERIFY(sim.start({"--firmware", "0005", "--date", "1108", "--wrong-echo-at", "3"}));
        QVERIFY(QFile::link(sim.device(), m_folders->configFolder() + "/com2"));
        Run run = runKvt({"write", "--port", "com2", m_file});   // wins over the settings' COM1
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QString());
        QCOMPARE(run.err, QStringLiteral("Invalid response received from tracking unit, programming aborted...\n"));
        QCOMPARE(sim.requests().size(), 3);

        run = runKvt({"read-id", "--port=" + sim.device()});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("Identifier: KVT00001    Serial number: 000000001    "
                                         "Firmware version: 0.05    Manufacturing date: 11/2008\n"));
        QCOMPARE(runKvt({"read-id", "--port", sim.device()}, "/dev/full").exitCode, 1);   // no success

        run = runKvt({"read-id", "--port", m_folders->file("no-such-tty")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QStringLiteral("Unable to open the Serial Port, Programming aborted...\n"));
    }

    void wrongUsage()
    {
        for (const QStringList &args : {QStringList{"write"}, {"write", "--speed", "9", "a.kvt"}, {"read-id", "a"}})
            QCOMPARE(runKvt(args).exitCode, 2);
        QVERIFY(runKvt({"write", "--help"}).out.startsWith(QStringLiteral("Usage: kvt write")));
    }

    // Ctrl+C or SIGTERM cancels cleanly and exits as a shell expects.
    void stopSignalsEndCleanly()
    {
        for (const auto &[signal, exitCode] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
            SimUnit sim;
            QVERIFY(sim.start({"--delay", "100"}));
            QProcess kvt;
            kvt.start(QStringLiteral(KVT_BIN), {"write", "--port", sim.device(), m_file});
            QTRY_VERIFY_WITH_TIMEOUT(sim.requests().size() >= 2, 5000);
            const qsizetype sent = sim.requests().size();
            ::kill(pid_t(kvt.processId()), signal);
            QVERIFY(kvt.waitForFinished(5000));
            QCOMPARE(kvt.exitCode(), exitCode);
            QCOMPARE(kvt.readAllStandardError(), QByteArray("Interrupted, programming aborted...\n"));
            QTRY_VERIFY(sim.drained());   // at most the request already on its way came after
            QVERIFY2(sim.requests().size() <= sent + 1, qPrintable(QString::number(sim.requests().size() - sent)));
        }
    }
};

QTEST_GUILESS_MAIN(CliDeviceTest)
#include "test_cli_device.moc"
