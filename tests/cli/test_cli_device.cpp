// `kvt write`, `kvt read-id` and `kvt ports` as a separate process against
// a simulated unit.

#include "cli/portlist.h"
#include "programmer/serialsettings.h"

#include "kvtrun.h"
#include "simunit.h"
#include "testenv.h"

#include <QSerialPortInfo>
#include <QtTest> // and the whole of QtCore

#include <csignal>

#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kvt::programmer;

namespace {

const QString Kvt = QStringLiteral(KVT_BIN);
const QString NoDevice = QStringLiteral("No such file or directory - is it plugged in? see `kvt ports`");

void becomeNobody()
{
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
        ::_exit(120);
}

// kvt's standard output (and with `errorsToo` its standard error) on a terminal: the terminal's other end.
int startOnTerminal(QProcess &kvt, const QStringList &args, bool errorsToo = false)
{
    int master = -1, slave = -1;
    termios raw{};
    ::cfmakeraw(&raw);
    if (::openpty(&master, &slave, nullptr, &raw, nullptr) != 0)
        return -1;
    kvt.setChildProcessModifier([slave, errorsToo] {
        ::dup2(slave, STDOUT_FILENO);
        if (errorsToo)
            ::dup2(slave, STDERR_FILENO);
    });
    kvt.start(Kvt, args);
    kvt.waitForStarted(5000);
    ::close(slave);
    return master;
}

// Everything the terminal got, up to its end (EIO once kvt is gone), however the reads fall.
QByteArray readToEnd(int terminal)
{
    QByteArray bytes;
    char chunk[4096];
    for (ssize_t n; (n = ::read(terminal, chunk, sizeof chunk)) > 0;)
        bytes.append(chunk, n);
    ::close(terminal);
    return bytes;
}

void verifyMatch(const QString &text, const QString &pattern)
{
    QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(text).hasMatch(), qPrintable(text));
}

} // namespace

class CliDeviceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolders> m_folders;
    QString m_file; // smallFile()

    QString folder() const { return m_folders->configFolder(); }
    QString path(const QString &name) const { return m_folders->file(name); }
    QString fileHash() const { return QCryptographicHash::hash(readFile(m_file), QCryptographicHash::Sha256).toHex(); }
    QStringList logRows(const QString &log) const { return QString::fromUtf8(readFile(log)).split("\r\n"); }

private slots:
    void init()
    {
        m_folders = std::make_unique<TestFolders>();
        m_file = writeFile(path("unit.kvt"), smallFile());
        QVERIFY(QDir().mkpath(path("locks")));
        qputenv("KVT_LOCK_DIR", path("locks").toLocal8Bit());
    }
    void cleanup() { m_folders.reset(); }

    // A file goes out whole, in file order, through the settings' port (COM3,
    // linked to the simulator) into the unit's memory. On a terminal a bar
    // shows the progress and gives way to the summary.
    void writesAFileInFileOrder()
    {
        SimUnit sim;
        QVERIFY(sim.start({"--link", folder() + "/com3"}));
        QVERIFY(writeSerialSettings(settingsFilePath(), SerialSettings{3, true, true, false}));
        QProcess writer;
        const int terminal = startOnTerminal(writer, {"write", m_file});
        const QString out = QString::fromLatin1(readToEnd(terminal));
        QVERIFY(writer.waitForFinished(5000));
        const QString bar = "\r\x1b[K[" + QString(30, u'#') + "]  10 of 10 bytes successfully programmed\r\x1b[K";
        QVERIFY2(out.startsWith("\r\x1b[K[###......"), qPrintable(out));
        verifyMatch(out,
                    "(?s).*" + QRegularExpression::escape(bar)
                        + "Tracking base successfully programmed, 10 of 10 bytes successfully writted , "
                          "Elapsed time: \\d+sec\n");
        QCOMPARE(sim.requests(), writeRequests(smallFile()));
        sim.stop();
        QCOMPARE(sim.savedMemory(), smallFile().left(smallFile().indexOf("GPRS:")));
    }

    // An identity holding CR, LF, an escape sequence and a NUL prints as
    // one line that cannot act on the terminal. `kvt ports` shows the links.
    void portsResultsAndFailures()
    {
        SimUnit sim;
        QVERIFY(sim.start({"--firmware", "0005", "--date", "1108", "--wrong-echo-at", "3", "--identifier",
                           QString::fromLatin1("\r\n\x1b[2J") + QChar(0) + "Z"}));
        const QString dir = folder();
        QVERIFY(QFile::link(sim.device(), dir + "/com2"));
        const QString log = path("failed.csv");
        Run run = runKvt({"write", "--port", "com2", "--log", log, m_file}); // wins over the settings' COM1
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.err, "Invalid response received from tracking unit, programming aborted...\n");
        QCOMPARE(sim.requests().size(), 3);
        const QString refused = writeFile(path("refused \"bad\".kvt"), "001001256\r\n");
        QCOMPARE(runKvt({"write", "--port", "com2", "--log", log, refused}).exitCode, 1);
        for (const char *port : {"/dev/null,x", "/dev/null\nx"})
            QCOMPARE(runKvt({"write", "--port", port, "--log", log, m_file}).exitCode, 1);
        const QStringList rows = logRows(log);
        QCOMPARE(rows.value(1).section(',', 6, 7), "invalid response,2");
        QCOMPARE(rows.value(2).section(',', 4, 6), // quoted: the path holds quotes
                 '"' + QString(refused).replace("\"", "\"\"") + "\","
                     + QCryptographicHash::hash(readFile(refused), QCryptographicHash::Sha256).toHex()
                     + ",invalid file");
        QCOMPARE(rows.value(3).section(',', 1, 2), "\"/dev/null,x\""); // quoted: a comma
        QCOMPARE(rows.value(3).section(',', 7, 8), "port not opened,0");
        QCOMPARE(rows.value(4).section(',', 1, 1), "\"/dev/null\nx\""); // and a line feed

        run = runKvt({"read-id", "--port=" + sim.device()});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QString::fromUtf8(run.out),
                 u"Identifier: \u240d\u240a\u241b[2J\u2400Z    Serial number: 000000001    "
                 u"Firmware version: 0.05    Manufacturing date: 11/2008\n"_qs);
        QCOMPARE(runKvt({"read-id", "--port", sim.device()}, {}, "/dev/full").exitCode, 1); // no success

        // The simulator linked as COM2 shows with its link, and so does an unplugged adapter linked as
        // COM4; so does every serial port the system lists, and nothing else.
        QVERIFY(QFile::link(dir + "/gone", dir + "/com4")); // an adapter unplugged
        QVERIFY(QFile::link(sim.device(), dir + "/alias"));
        QVERIFY(QFile::link(dir + "/alias", dir + "/com3")); // the same device by another name
        run = runKvt({"ports"});
        QCOMPARE(run.exitCode, 0);
        const QString out = QString::fromUtf8(run.out);
        QVERIFY2(out.contains(sim.device() + "  (not a port the system lists)\n  COM2:          " + dir + "/com2 -> "
                              + sim.device() + '\n'),
                 run.out.constData());
        QVERIFY2(out.contains(dir + "/gone  (missing: is it plugged in?)\n  COM4:          " + dir + "/com4 -> " + dir
                              + "/gone\n"),
                 run.out.constData());
        run = runKvt({"ports", "--json"});
        QCOMPARE(run.exitCode, 0);
        QStringList devices, listed, system;
        QJsonObject simulator;
        for (const QJsonValue &port : QJsonDocument::fromJson(run.out).array()) {
            if ((devices << port["device"].toString()).last() == sim.device())
                simulator = port.toObject();
            if (port["listed"].toBool())
                listed << devices.last();
        }
        QCOMPARE(simulator["com"].toArray().first().toObject(),
                 (QJsonObject{{"name", "COM2"}, {"link", dir + "/com2"}, {"target", sim.device()}}));
        QCOMPARE(simulator["com"].toArray().last().toObject()["name"], "COM3");
        QCOMPARE(simulator["listed"].toBool(), false);
        QCOMPARE(simulator["present"].toBool(), true);
        for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
            system << info.systemLocation();
        QCOMPARE(listed, system);
        QCOMPARE(devices.size(), system.size() + 2); // no COM port without a device
    }

    // No USB adapter here, so its fields are made up. Its by-id links are
    // found by where they lead; an empty field is no line.
    void portsOfAUsbAdapter()
    {
        using namespace kvt::cli;
        const QString device = "/dev/null"; // a character device, as a port is
        const QString link = path("by-id/usb-Maker_Cable_A1-if00-port0");
        QVERIFY(QDir().mkpath(path("by-id")));
        QVERIFY(QFile::link(device, link));
        QVERIFY(QFile::link(path("ttyUSB6"), path("by-id/usb-Other-if00")));
        Port usb;
        usb.device = usb.canonical = device;
        usb.listed = true;
        usb.description = "USB Serial";
        usb.serialNumber = "A1\x1b";
        usb.usb = usbId(0x403, 0x6001);
        QList<Port> ports{usb};
        addLinks(ports, path("by-id"));
        QCOMPARE(portsText(ports),
                 device
                     + "\n  description:   USB Serial\n  serial number: A1\u241b\n"
                       "  USB:           0403:6001\n  by-id:         "
                     + link + '\n');
        const QJsonObject json = QJsonDocument::fromJson(portsJson(ports)).array().first().toObject();
        QCOMPARE(json["usb"], "0403:6001");
        QCOMPARE(json["byId"], QJsonArray{link});
        QCOMPARE(json["manufacturer"], QJsonValue());
        QCOMPARE(usbId(0xabcd, 0x12), "abcd:0012");
    }

    // The first line is the operation's message, the second names the
    // device and the system's reason, with the fix.
    void openFailuresSayWhy_data()
    {
        QTest::addColumn<QString>("port"); // DEVICE: the simulator's
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("second"); // FOLDER: the configuration folder
        const auto row = [](const char *name, const char *port, const char *setup, const QString &second) {
            QTest::newRow(name) << port << setup << second;
        };
        row("no such device", "FOLDER/ttyUSB7", "", "FOLDER/ttyUSB7: " + NoDevice);
        row("link to nothing", "COM1", "link", "COM1 -> FOLDER/gone: " + NoDevice);
        row("COM4 without link", "COM4", "", "COM4 is /dev/ttyS3 (there is no link FOLDER/com4)");
        row("locked", "DEVICE", "lock",
            "DEVICE: Device or resource busy - locked by minicom (process 1, user pi): LOCK");
        row("a file on the way", "/dev/null/ttyUSB0", "", "/dev/null/ttyUSB0: Not a directory");
        row("not a terminal", "/dev/null", "", "/dev/null: Inappropriate ioctl for device - not a serial port");
        row("permission denied", "DEVICE", "mode 000",
            "DEVICE: Permission denied - add your user to the `dialout` group "
            "(sudo usermod -aG dialout $USER, then log in again)");
    }

    void openFailuresSayWhy()
    {
        QFETCH(QString, port);
        QFETCH(QString, setup);
        QFETCH(QString, second);
        SimUnit sim;
        QVERIFY(sim.start());
        const QString lock = path("locks/LCK..") + sim.device().mid(5).replace('/', '_');
        const QByteArray lockBytes = "1 minicom pi\n"; // the lowest pid, alive in any system
        if (setup == "link")
            QVERIFY(QFile::link(folder() + "/gone", folder() + "/com1"));
        if (setup == "lock")
            writeFile(lock, lockBytes);
        const bool asNobody = setup == "mode 000" && ::geteuid() == 0;
        if (setup == "mode 000") {
            QVERIFY(::chmod(QFile::encodeName(sim.device()).constData(), 0) == 0);
            // nobody may read the file, and nothing more of ours.
            QVERIFY(QFile::setPermissions(m_folders->path(), QFile::permissions(m_folders->path()) | QFile::ExeOther));
            QVERIFY(QFile::setPermissions(m_file, QFile::permissions(m_file) | QFile::ReadOther));
            if (asNobody && runKvt({"--version"}, {}, {}, becomeNobody).exitCode != 0)
                QSKIP("the user nobody cannot run kvt here");
        }
        const auto expand = [&](QString text) {
            return text.replace("DEVICE", sim.device()).replace("FOLDER", folder()).replace("LOCK", lock);
        };
        for (const auto &[args, first] :
             {std::pair{QStringList{"write", "--port", expand(port), m_file}, "Programming"},
              {QStringList{"read-id", "--port", expand(port)}, "Reading"},
              {QStringList{"write", "--identify", "--port", expand(port), m_file}, "Reading"}}) {
            const Run run = runKvt(args, {}, {}, asNobody ? becomeNobody : nullptr);
            QCOMPARE(run.exitCode, 1);
            const QStringList lines = run.err.split('\n');
            QCOMPARE(lines.value(0),
                     port == "COM4" && QFile::exists("/dev/ttyS3")
                         ? lines.value(0) // it opened, then the unit did not answer
                         : "Unable to open the Serial Port, " + QLatin1String(first) + " aborted...");
            QCOMPARE(lines.value(1).left(expand(second).size()), expand(second));
        }
        QTRY_VERIFY(sim.drained());
        QCOMPARE(sim.requests(), QStringList());
        if (setup == "lock")
            QCOMPARE(readFile(lock), lockBytes); // left as it was
    }

    // --repeat: two units one after the other, each written once it
    // answers after the one before stopped answering; a line and a log row
    // each. --identify: a unit that does not answer is not written; the row
    // names the unit that was. (Side by side: each waits out time-outs.)
    void unitsWithARecord()
    {
        SimUnit line, silent, single, stays;
        QVERIFY(line.start({"--units", "2", "--pause", "700"}));
        QVERIFY(silent.start({"--silent-after", "0"}));
        QVERIFY(single.start());
        QVERIFY(stays.start()); // a unit left on the line is written once
        const QString log = path("units.csv"), oneLog = path("one.csv"), noneLog = path("none.csv");
        QProcess leftOn, repeat, unanswered;
        const QString noGprs = writeFile(path("nogprs.kvt"), smallFile().left(smallFile().indexOf("GPRS:")));
        leftOn.start(Kvt, {"write", "--repeat", "--port", stays.device(), noGprs}); // no summary: still a success
        repeat.start(Kvt, {"write", "--repeat", "--log", log, "--port", line.device(), m_file});
        unanswered.start(Kvt, {"write", "--identify", "--log", noneLog, "--port", silent.device(), m_file});
        const Run one = runKvt({"write", "--identify", "--log", oneLog, "--port", single.device(), m_file});
        QCOMPARE(one.exitCode, 0);
        QCOMPARE(one.out.left(one.out.indexOf('\n')),
                 "Identifier: KVT00001    Serial number: 000000001    "
                 "Firmware version: 3.12    Manufacturing date: 06/2007");
        // A log that cannot be made or written stops the run before the unit hears anything.
        const qsizetype heard = single.requests().size();
        for (const QString &noLog : {path("none/x.csv"), QStringLiteral("/dev/full")}) {
            const Run run = runKvt({"write", "--log", noLog, "--port", single.device(), m_file});
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(run.err.section(": ", 0, 1), "kvt: cannot write the log " + noLog);
            QCOMPARE(run.err.count('\n'), 1);
            QCOMPARE(single.requests().size(), heard);
        }
        // One that takes its header but not the unit's row (a full disk; here a file size limit) fails the run.
        const QString fullLog = path("full.csv");
        const Run rowLost = runKvt({"write", "--log", fullLog, "--port", single.device(), m_file}, {}, {}, [] {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit headerOnly{100, 100};
            ::setrlimit(RLIMIT_FSIZE, &headerOnly);
        });
        QCOMPARE(rowLost.err, "kvt: cannot write the log " + fullLog + ": could not write all of it (disk full?)\n");
        QCOMPARE(rowLost.exitCode, 1);
        QVERIFY(unanswered.waitForFinished(5000));
        QCOMPARE(unanswered.exitCode(), 1);
        QCOMPARE(unanswered.readAllStandardError(), "No response received from tracking unit, Reading aborted...\n");
        QTRY_VERIFY(silent.drained());
        QCOMPARE(silent.requests(), QStringList{"R 000 010"});
        for (const auto &[file, row] : {std::pair{oneLog, "KVT00001,000000001,%1,%2,programmed,10"},
                                        std::pair{noneLog, ",,%1,%2,not identified,0"}}) {
            QCOMPARE(logRows(file).size(), 3);
            QCOMPARE(logRows(file).at(1).section(',', 2, 7), QString(row).arg(m_file, fileHash()));
        }

        // Waiting for a unit on a port that is not there says so once, not every second.
        QProcess absent;
        absent.start(Kvt, {"write", "--repeat", "--port", path("ttyUSB9"), m_file});
        QByteArray said;
        QTRY_VERIFY((said += absent.readAllStandardError()).contains(NoDevice.toUtf8()));

        QTRY_COMPARE_WITH_TIMEOUT(readFile(log).count('\n'), 3, 15000);
        ::kill(pid_t(repeat.processId()), SIGINT);
        ::kill(pid_t(absent.processId()), SIGINT);
        QVERIFY(absent.waitForFinished(5000));
        QCOMPARE((said + absent.readAllStandardError()).count(NoDevice.toUtf8()), 1);
        QVERIFY(repeat.waitForFinished(5000));
        QCOMPARE(repeat.exitCode(), 130);
        SimUnit slow; // stopped while a unit is asked for its identity: 130 too
        QVERIFY(slow.start({"--delay", "3000"}));
        QProcess asking;
        asking.start(Kvt, {"write", "--repeat", "--port", slow.device(), m_file});
        QTRY_COMPARE(slow.requests().value(0), "R 000 010");
        QCOMPARE(asking.state(), QProcess::Running); // a pid of 0 would signal this test's whole group
        ::kill(pid_t(asking.processId()), SIGINT);
        QVERIFY(asking.waitForFinished(5000));
        QCOMPARE(asking.exitCode(), 130);
        SimUnit slowRead; // a read stopped the same way says so
        QVERIFY(slowRead.start({"--delay", "3000"}));
        asking.start(Kvt, {"read-id", "--port", slowRead.device()});
        QTRY_COMPARE(slowRead.requests().size(), 1);
        QCOMPARE(asking.state(), QProcess::Running);
        ::kill(pid_t(asking.processId()), SIGINT);
        QVERIFY(asking.waitForFinished(5000));
        QCOMPARE(asking.exitCode(), 130);
        QCOMPARE(asking.readAllStandardError(), "Interrupted, Reading aborted...\n");
        const auto readsSinceWritten = [&] {
            const QStringList requests = stays.requests();
            return requests.mid(requests.indexOf(QRegularExpression("^W.*"))).filter(QRegularExpression("^R")).size();
        };
        QTRY_VERIFY_WITH_TIMEOUT(readsSinceWritten() >= 3 * 25, 10000); // three identity reads
        ::kill(pid_t(leftOn.processId()), SIGINT);
        QVERIFY(leftOn.waitForFinished(5000));
        QCOMPARE(stays.requests().filter(QRegularExpression("^W")).size(), 10);
        QCOMPARE(leftOn.readAllStandardOutput(),
                 "Unit 1: KVT00001 000000001 - 10 of 10 bytes successfully programmed - 1 programmed\n");
        const QStringList lines = QString::fromUtf8(repeat.readAllStandardOutput()).split('\n'), rows = logRows(log);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows.value(0), "time,port,identifier,serial_number,file,sha256,result,bytes_written,seconds");
        for (int unit = 1; unit <= 2; ++unit) {
            const QString number = QString::number(unit), serial = "00000000" + number;
            verifyMatch(lines.at(unit - 1),
                        "Unit " + number + ": KVT00001 " + serial
                            + " - Tracking base successfully programmed, 10 of 10 bytes successfully "
                              "writted , Elapsed time: \\d+sec - "
                            + number + " programmed");
            const QStringList fields{line.device(), "KVT00001", serial, m_file, fileHash(), "programmed", "10"};
            verifyMatch(rows.at(unit),
                        "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(Z|[+-]\\d\\d:\\d\\d),"
                            + QRegularExpression::escape(fields.join(',')) + ",\\d+\\.\\d\\d");
        }
    }

    // Ctrl+C or SIGTERM cancels cleanly and exits as a shell expects. Meanwhile the bar is on the terminal while
    // the unit is written, not only at the end, and it is gone before the message comes.
    void stopSignalsEndCleanly()
    {
        for (const auto &[signal, exitCode] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
            SimUnit sim;
            QVERIFY(sim.start({"--delay", "100"}));
            QProcess kvt;
            const QString log = path(QStringLiteral("stopped%1.csv").arg(signal));
            const int terminal = startOnTerminal(kvt, {"write", "--log", log, "--port", sim.device(), m_file}, true);
            pollfd drawn{terminal, POLLIN, 0};
            QCOMPARE(::poll(&drawn, 1, 5000), 1);
            char first[8] = {};
            QCOMPARE(::read(terminal, first, 5), 5);
            QCOMPARE(first, "\r\x1b[K[");
            QCOMPARE_LT(sim.requests().size(), 10); // ten replies of 100 ms: most of a second to go
            QTRY_VERIFY_WITH_TIMEOUT(sim.requests().size() >= 2, 5000);
            const qsizetype sent = sim.requests().size();
            ::kill(pid_t(kvt.processId()), signal);
            const QByteArray rest = readToEnd(terminal);
            QVERIFY(kvt.waitForFinished(5000));
            QCOMPARE(kvt.exitCode(), exitCode);
            QCOMPARE(rest.mid(rest.lastIndexOf("bytes")),
                     "bytes successfully programmed\r\x1b[KInterrupted, programming aborted...\n");
            QTRY_VERIFY(sim.drained()); // at most the request already on its way came after
            QVERIFY2(sim.requests().size() <= sent + 1, qPrintable(QString::number(sim.requests().size() - sent)));
            QCOMPARE(logRows(log).value(1).section(',', 6, 6), "interrupted");
        }
        // Waiting for the unit to be taken away, the status line stays up between two requests, and goes at the end.
        SimUnit sim;
        QVERIFY(sim.start());
        QProcess kvt;
        const int terminal = startOnTerminal(kvt, {"write", "--repeat", "--port", sim.device(), m_file});
        QTRY_COMPARE(sim.requests().size(), 25 + 10 + 25); // asked, written, asked whether it is still there
        ::kill(pid_t(kvt.processId()), SIGINT);
        const QByteArray shown = readToEnd(terminal);
        QVERIFY(kvt.waitForFinished(5000));
        QCOMPARE(kvt.exitCode(), 130);
        QVERIFY2(shown.endsWith(" 1 programmed\n\r\x1b[KWaiting for the unit to be taken away...\r\x1b[K"),
                 shown.constData());
    }
};

QTEST_GUILESS_MAIN(CliDeviceTest)
#include "test_cli_device.moc"
