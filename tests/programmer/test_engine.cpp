// The serial settings file, the COM port names, and the programming engine
// against a simulated unit on a real pseudo-terminal.

#include "programmer/engine.h"
#include "programmer/lowlatency.h"
#include "programmer/portlock.h"
#include "programmer/stopsignals.h"

#include "simunit.h"

#include <QSerialPort>
#include <QSocketNotifier>
#include <QtTest>

#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <poll.h>
#include <pty.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace kvt::programmer;
using S = SerialSettings;

extern Q_CORE_EXPORT quintptr qtHookData[]; // QtCore's hooks; 3 and 4 report each object made and gone

namespace {
// CAP_SYS_ADMIN of this thread on or off (when permitted), as a user's program runs without it.
void setAdmin(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2] = {};
    ::syscall(SYS_capget, &header, caps);
    const quint32 admin = 1u << CAP_SYS_ADMIN;
    caps[0].effective = on ? caps[0].effective | (caps[0].permitted & admin) : caps[0].effective & ~admin;
    ::syscall(SYS_capset, &header, caps);
}
// Objects of this thread made and not yet gone while it lives.
struct LiveObjects {
    static inline QSet<QObject *> made;
    static inline QThread *thread = nullptr;
    LiveObjects()
    {
        made.clear();
        thread = QThread::currentThread();
        qtHookData[3] = quintptr(+[](QObject *o) {
            if (o->thread() == thread)
                made.insert(o);
        });
        qtHookData[4] = quintptr(+[](QObject *o) {
            if (o->thread() == thread)
                made.remove(o);
        });
    }
    ~LiveObjects() { qtHookData[3] = qtHookData[4] = 0; }
};
// A write of `file` (null: smallFile(), "<missing>": no file) or, with "read"
// among the simulator's options, the identity read; "absent": no device.
struct Case {
    const char *unit = "";
    QByteArray file = {};
    Outcome::Kind kind = Outcome::Programmed;
    const char *title = "";
    QString text = {};          // a summary's seconds are written "<n>"
    int done = 0, requests = 0; // lines acknowledged; how many of the expected requests went out
    bool waited = false;        // whether a time-out was waited
};
// A driver that keeps its serial flags here and records what it is asked.
struct FakeDriver {
    static inline int flags = 0, getError = 0, setError = 0; // errno to fail with
    static inline QStringList *calls = nullptr;
    static int get(int, serial_struct *info)
    {
        *calls << QStringLiteral("get");
        info->flags = flags;
        return getError ? (errno = getError, -1) : 0;
    }
    static int set(int fd, const serial_struct *info)
    {
        *calls << QStringLiteral("set %1%2")
                      .arg(info->flags & ASYNC_LOW_LATENCY ? "low" : "normal",
                           ::fcntl(fd, F_GETFD) == -1 ? " on a closed device" : "");
        return setError ? (errno = setError, -1) : (flags = info->flags, 0);
    }
    static int setLine(int, int line, bool on)
    {
        *calls << QStringLiteral("%1 %2").arg(line == TIOCM_DTR       ? "DTR"
                                                  : line == TIOCM_RTS ? "RTS"
                                                                      : "?",
                                              on ? "on" : "off");
        return 0;
    }
};
} // namespace

Q_DECLARE_METATYPE(Case)

class EngineTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_folders = std::make_unique<TestFolders>();
        // Lock files of our own, apart from the machine's.
        QVERIFY(QDir().mkpath(m_folders->file("locks")));
        qputenv("KVT_LOCK_DIR", m_folders->file("locks").toLocal8Bit());
        m_engine = std::make_unique<ProgrammingEngine>();
        m_opened = std::make_unique<QSignalSpy>(m_engine.get(), &ProgrammingEngine::portOpened);
        m_range = std::make_unique<QSignalSpy>(m_engine.get(), &ProgrammingEngine::rangeChanged);
        m_progress = std::make_unique<QSignalSpy>(m_engine.get(), &ProgrammingEngine::progressed);
        m_finished = std::make_unique<QSignalSpy>(m_engine.get(), &ProgrammingEngine::finished);
    }
    void cleanup()
    {
        m_engine.reset();
        qunsetenv("KVT_LOCK_DIR");
        m_folders.reset();
    }

    // The window's test reads the settings file's odd lines; here, the
    // file edited on Linux and its writing as four CR LF lines.
    void settingsFileAndPortNames()
    {
        const QString path = settingsFilePath();
        QCOMPARE(path, m_folders->configFolder() + QStringLiteral("/MolbSerial.cfg"));
        writeFile(path, "2\n0\n0\n1\n");
        QCOMPARE(readSerialSettings(path, S{3, false, true, false}), (S{2, false, false, true}));
        QVERIFY(QDir(m_folders->configFolder()).removeRecursively()); // made again when missing
        QVERIFY(writeSerialSettings(path, S{2, true, true, false}));
        QCOMPARE(readFile(path), QByteArray("2\r\n1\r\n1\r\n0\r\n"));
        QVERIFY(!writeSerialSettings(path + QStringLiteral("/MolbSerial.cfg"), S{})); // a file in the way

        // COM port names map to devices.
        const QString folder = m_folders->configFolder();
        QVERIFY(QFile::link(QStringLiteral("/dev/ttyACM0"), folder + QStringLiteral("/com1")));
        QVERIFY(QFile::link(QStringLiteral("dev/ttyUSB7"), folder + QStringLiteral("/com3"))); // relative
        for (const QString row :
             {"COM1 /dev/ttyACM0", "com1 /dev/ttyACM0", "COM2 /dev/ttyS1", "COM3 HERE/dev/ttyUSB7",
              "/dev/ttyUSB0 /dev/ttyUSB0", "COM5 COM5", "COM13 COM13", "XYZ1 XYZ1"}) // HERE: the configuration folder
            QCOMPARE(portDevice(row.section(u' ', 0, 0)), row.section(u' ', 1).replace("HERE", folder));
        // Four bytes of digits in a lock file are a pid in text, not one in binary.
        QCOMPARE(readLockFile("123\n").pid, 123);
        QCOMPARE(readLockFile(" 42\n").pid, 42);
    }

    void endsWhereItShould_data()
    {
        QTest::addColumn<Case>("c");
        const auto add = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
        using K = Outcome::Kind;
        const char *bad = "Programming Error Message", *silent = "Progrmming Error Message";
        const char *summary = "Programming Message", *error = "Error Message", *reading = "Reading Error Message";
        const QString writeTimeout = "No response received from tracking unit, programming aborted...";
        const QString readTimeout = "No response received from tracking unit, Reading aborted...";
        const QString invalidReply = "Invalid response received from tracking unit, programming aborted...";
        const QString invalid = "Invalid or corrupted configuration file, programming aborted...";
        const QString openFailed = "Unable to open the Serial Port, Programming aborted...";
        const QString head = "Tracking base successfully programmed, %1 of %1 bytes successfully writted , "
                             "Elapsed time: <n>sec";

        // Only the memory lines before the first GPRS line go out.
        add("lines after a GPRS line stay",
            {"", "\r\n001001065\r\n\r\n001002000\r\nGPRS:x\r\n001003066", K::Programmed, summary, head.arg(2), 2, 2});
        add("no GPRS line", {.file = "255255255", .kind = K::EndedSilently, .done = 1, .requests = 1});
        add("no line at all", {.file = "\r\n", .title = summary, .text = head.arg(0)});
        add("wrong echo at 5", {"--wrong-echo-at 5", {}, K::InvalidReply, bad, invalidReply, 4, 5});
        add("doubled echo of 000", {"--double-echo-at 1", {}, K::InvalidReply, bad, invalidReply, 0, 1});
        add("silent after 6", {"--silent-after 6", {}, K::TimedOut, silent, writeTimeout, 6, 7, true});
        // A port that fails ends the operation at once, as a time-out.
        add("hang-up after 4", {"--hangup-after 4", {}, K::TimedOut, silent, writeTimeout, 4, 4});
        add("read, silent after 10", {"read --silent-after 10", {}, K::TimedOut, reading, readTimeout, 0, 11, true});
        add("read, hang-up after 3", {"read --hangup-after 3", {}, K::TimedOut, reading, readTimeout, 0, 3});
        // Nothing reaches the unit from a file that fails the line check.
        add("value 256", {"", "001001256\r\nGPRS:\r\n", K::InvalidFile, error, invalid});
        add("over 16 MiB", {"", QByteArray("\r\n").repeated(8 * 1024 * 1024 + 1), K::InvalidFile, error, invalid});
        add("missing file",
            {"", "<missing>", K::InvalidFile, error, "Unable to read the configuration file, programming aborted..."});
        add("no device", {"absent", {}, K::OpenFailed, error, openFailed});
        add("read, no device", {"read absent", {}, K::OpenFailed, error, openFailed});
        // The identity travels in the unit's 8-bit set.
        const QString id = "Identifier: KVT0000%1    Serial number: 000000001    Firmware version: %2    "
                           "Manufacturing date: %3";
        for (const auto &[unit, text] : {std::pair{"read --firmware 0005 --date 1299", id.arg("1", "0.05", "12/2099")},
                                         {"read --identifier KVT0000\u20ac --firmware 1023 --date 0100",
                                          id.arg(u"\u20ac"_qs, "10.23", "01/2000")}})
            add(unit, {unit, {}, K::Identified, "Device ID", text, 0, 25});
    }

    void endsWhereItShould()
    {
        QFETCH(Case, c);
        QStringList options = QString::fromUtf8(c.unit).split(u' ', Qt::SkipEmptyParts);
        const bool read = options.removeAll("read") > 0, absent = options.removeAll("absent") > 0;
        const QByteArray file = c.file.isNull() ? smallFile() : c.file;
        SimUnit sim;
        QVERIFY(sim.start(options));
        const QString device = absent ? m_folders->file("no-such-tty") : sim.device();
        const QString path = file == "<missing>" ? m_folders->file("missing.kvt") : unitFile(file);
        const qint64 startSecond = QDateTime::currentSecsSinceEpoch();
        QElapsedTimer clock;
        clock.start();
        qint64 lastWord = 0; // the engine's last signal before the silence: the last request follows it
        connect(m_engine.get(), &ProgrammingEngine::portOpened, this, [&] { lastWord = clock.elapsed(); });
        connect(m_engine.get(), &ProgrammingEngine::progressed, this, [&] { lastWord = clock.elapsed(); });
        const S com2{2, true, true, false};
        LiveObjects made; // nothing of the operation stays once it has ended
        read ? m_engine->startReadId(com2, device) : m_engine->startWrite(path, com2, device);
        QVERIFY(m_finished->wait(5000));
        const qint64 silence = clock.elapsed() - lastWord;
        if (c.waited || !m_opened->isEmpty()) {        // waited: the reply time-out, 1000 ms
            QCOMPARE_GE(silence, c.waited ? 1000 : 0); // never early
            QCOMPARE_LT(silence, c.waited ? 1400 : 900);
        }
        QVERIFY(!m_engine->isBusy());
        if (!absent && QFile::exists(sim.device())) // not hung up: let go at once
            QVERIFY(QSerialPort(sim.device()).open(QIODevice::ReadWrite));

        const Outcome o = outcome();
        QCOMPARE(o.kind, c.kind);
        const QRegularExpression seconds("(?<=Elapsed time: )\\d+(?=sec$)");
        QCOMPARE(o.title + '|' + QString(o.text).replace(seconds, "<n>"), c.title + ('|' + c.text));
        // Whole seconds of the wall clock, 0 unless a second began meanwhile.
        QCOMPARE_LE(seconds.match(o.text).captured().toLongLong(), QDateTime::currentSecsSinceEpoch() - startSecond);
        QCOMPARE(o.exclamation, o.title.endsWith(QLatin1String("Error Message")));
        QCOMPARE(o.bytesProgrammed, c.done);
        QCOMPARE(m_progress->size(), c.done);
        // Bank 0, addresses 10 to 26 then 31 to 38; the memory lines in file order.
        // (A refused file is not split: it may be 16 MiB of empty lines.)
        QStringList expected = read || c.requests == 0 ? QStringList() : writeRequests(file);
        for (int address = 10; read && address <= 38; address += address == 26 ? 5 : 1)
            expected << QStringLiteral("R 000 %1").arg(address, 3, 10, QLatin1Char('0'));
        const bool refused = c.kind == Outcome::InvalidFile || c.kind == Outcome::OpenFailed;
        QCOMPARE(m_range->value(0).value(0).toInt(), read || refused ? 0 : int(expected.size()));
        QCOMPARE(m_opened->value(0).value(0).toString(),
                 refused ? QString() : QStringLiteral("Serial port COM 2 successfully opened..."));
        QTRY_VERIFY(sim.drained()); // nothing more went out before the port closed
        QCOMPARE(sim.requests(), expected.mid(0, c.requests));
        QTRY_COMPARE_WITH_TIMEOUT(made.made.size(), 0, 2000);
    }

    // The window shows its message from finished() in a nested event loop,
    // with the port still open, and may cancel then and start anew: late
    // bytes and the end of the finished operation must not reach the new one.
    void finishedRunsWithThePortStillOpen()
    {
        SimUnit sim;
        QVERIFY(sim.start({"--wrong-echo-at", "2"}));
        bool busyAndLocked = false;
        connect(m_engine.get(), &ProgrammingEngine::finished, this, [&] {
            if (m_finished->size() > 1)
                return;
            busyAndLocked = m_engine->isBusy() && !QSerialPort(sim.device()).open(QIODevice::ReadWrite);
            QTRY_VERIFY(sim.drained());
            m_engine->cancel();
            m_engine->startReadId(S{}, sim.device());
        });
        m_engine->startWrite(unitFile(smallFile()), S{}, sim.device());
        m_engine->startReadId(S{}, sim.device()); // busy: ignored
        QTRY_COMPARE_WITH_TIMEOUT(m_finished->size(), 2, 5000);
        QCOMPARE(m_finished->first().at(0).value<Outcome>().kind, Outcome::InvalidReply);
        QCOMPARE(outcome().kind, Outcome::Identified);
        QVERIFY(busyAndLocked);
        QTRY_VERIFY(sim.drained());
        QCOMPARE(sim.requests().size(), 2 + 25);
        QVERIFY(QSerialPort(sim.device()).open(QIODevice::ReadWrite));
    }

    // Bytes waiting in the port before it opens were meant for another
    // program: they go. A byte that came while no request was outstanding
    // (a receiver of portOpened or progressed ran an event loop) is the
    // reply to the next request.
    void bytesWaitingAreTheReply()
    {
        int master = -1, slave = -1;
        char name[256] = {};
        termios raw{};
        // Another line than the unit's, which the port then sets; a pseudo-terminal keeps the speed, the
        // stop bits and the flow control (and always has 8 bits without parity).
        cfmakeraw(&raw);
        raw.c_cflag |= CSTOPB | CRTSCTS;
        cfsetspeed(&raw, B19200);
        QCOMPARE(openpty(&master, &slave, name, &raw, nullptr), 0);
        QVERIFY(!LowLatency(slave).isRequested()); // a pseudo-terminal's driver has no such setting
        connect(m_engine.get(), &ProgrammingEngine::portOpened, this, [slave] {
            termios line{};
            QCOMPARE(tcgetattr(slave, &line), 0);
            QCOMPARE(cfgetospeed(&line), speed_t(B9600));
            QCOMPARE(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
        });
        const auto unread = [slave] { // a poll first passes on bytes still on their way
            pollfd line{slave, POLLIN, 0};
            int bytes = -1;
            return ::poll(&line, 1, 0) >= 0 && ::ioctl(slave, FIONREAD, &bytes) == 0 ? bytes : -1;
        };
        const auto earlyEcho = [&] {
            QCOMPARE(::write(master, "X", 1), 1);
            QTRY_COMPARE(unread(), 0); // the port took it
        };
        QCOMPARE(::write(master, "XX", 2), 2);
        QTRY_COMPARE(unread(), 2);
        connect(m_engine.get(), &ProgrammingEngine::portOpened, this, earlyEcho);
        connect(m_engine.get(), &ProgrammingEngine::progressed, this,
                [&](int done) { done == 1 ? earlyEcho() : void(); });
        QByteArray sent; // the third request alone is answered when it comes
        QSocketNotifier unit(master, QSocketNotifier::Read);
        connect(&unit, &QSocketNotifier::activated, this, [&] {
            char bytes[16];
            sent += QByteArray(bytes, std::max<ssize_t>(0, ::read(master, bytes, sizeof bytes)));
            if (sent.size() == 12)
                QCOMPARE(::write(master, "X", 1), 1);
        });
        m_engine->startWrite(unitFile("001001088\r\n001002088\r\n001003088\r\nGPRS:\r\n"), S{}, name);
        QVERIFY(m_finished->wait(5000));
        QCOMPARE(outcome().kind, Outcome::Programmed);
        QCOMPARE(outcome().bytesProgrammed, 3);
        QCOMPARE(sent, QByteArray("W\x01\x01XW\x01\x02XW\x01\x03X"));
        unit.setEnabled(false);
        ::close(master);
        ::close(slave);
    }

    // An owner may delete the engine from inside any of its signals (0
    // portOpened, 1 rangeChanged, 2 the third progress, 3 finished): nothing
    // more is sent and the port is free again.
    void deletedFromItsOwnSignals()
    {
        for (const auto &[write, signal, requests] :
             {std::tuple{true, 0, 0}, {true, 1, 0}, {true, 2, 3}, {true, 3, 10}, {false, 3, 25}}) {
            m_engine = std::make_unique<ProgrammingEngine>();
            m_progress = std::make_unique<QSignalSpy>(m_engine.get(), &ProgrammingEngine::progressed);
            SimUnit sim;
            QVERIFY(sim.start());
            ProgrammingEngine *engine = m_engine.get();
            const auto drop = [&, signal = signal](int which) {
                if (which == signal && m_engine && (which != 2 || m_progress->size() == 3))
                    m_engine.reset();
            };
            connect(engine, &ProgrammingEngine::portOpened, this, [&] { drop(0); });
            connect(engine, &ProgrammingEngine::rangeChanged, this, [&] { drop(1); });
            connect(engine, &ProgrammingEngine::progressed, this, [&] { drop(2); });
            connect(engine, &ProgrammingEngine::finished, this, [&] { drop(3); });
            QSignalSpy gone(engine, &QObject::destroyed);
            write ? engine->startWrite(unitFile(smallFile()), S{}, sim.device())
                  : engine->startReadId(S{}, sim.device());
            QVERIFY(gone.wait(5000));
            QTRY_VERIFY(sim.drained());
            QCOMPARE(sim.requests().size(), requests);
            QVERIFY(QSerialPort(sim.device()).open(QIODevice::ReadWrite));
        }
    }

    // Another program's lock, whatever its form, keeps the unit from us:
    // nothing is sent and the lock stays. A lock of an ended process is
    // taken over: ours while the port is open, gone after.

    void portIsNeverShared_data()
    {
        QTest::addColumn<QByteArray>("lock"); // the lock file, or how the port is held: flock, TIOCEXCL
        QTest::addColumn<QString>("reason");  // after "<device>: Device or resource busy - "
        const passwd *pw = getpwuid(getuid());
        const QString p = QString::number(getpid()), user = pw ? pw->pw_name : QString::number(getuid());
        const QString of = " (process " + p + ", user ", self = "test_engine" + of + user + ")";
        const QByteArray pid = p.toLatin1();
        const qint32 binary = getpid();
        const auto row = [](const char *tag, const QByteArray &lock, const QString &reason) {
            QTest::newRow(tag) << lock << reason;
        };
        row("ten digits", pid.rightJustified(10, ' ') + '\n', "locked by " + self + ": LOCK");
        row("Qt's form", pid + "\nputty\nhost\n", "locked by putty" + of + user + "): LOCK");
        row("binary", QByteArray(reinterpret_cast<const char *>(&binary), 4), "locked by " + self + ": LOCK");
        row("no process", "\n", "the lock file LOCK names no process; remove it if no program uses the port");
        row("flock", "flock", self + " holds it (flock)");
        row("open exclusively", "TIOCEXCL", "sleep (process CHILD, user " + user + ") has it open");
        row("open exclusively, no holder seen", "TIOCEXCL", "another program has it open"); // ours: not looked at
        row("ended process", "  999999999\n", {});
    }

    void portIsNeverShared()
    {
        QFETCH(QByteArray, lock);
        QFETCH(QString, reason);
        SimUnit sim;
        QVERIFY(sim.start());
        const QString lockFile = m_folders->file("locks/") + lockFileName(sim.device());
        const bool held = lock == "flock" || lock == "TIOCEXCL";
        if (!held)
            writeFile(lockFile, lock);
        const int holder = ::open(QFile::encodeName(sim.device()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QProcess other; // another program: with the port open, which we make exclusive, or with a newer flock
        if (lock == "flock") {
            QCOMPARE(::flock(holder, LOCK_EX | LOCK_NB), 0);
            const QByteArray elsewhere = QFile::encodeName(m_folders->file("elsewhere"));
            other.setChildProcessModifier([elsewhere] { ::flock(::open(elsewhere, O_RDWR | O_CREAT, 0600), LOCK_EX); });
            other.start("sleep", {"60"}); // another process's line in /proc/locks, often before ours
            QVERIFY(other.waitForStarted());
        }
        if (reason.contains("CHILD")) {
            other.setStandardInputFile(sim.device());
            other.start("sleep", {"60"});
            QVERIFY(other.waitForStarted());
            reason.replace("CHILD", QString::number(other.processId()));
        }
        if (lock == "TIOCEXCL")
            QCOMPARE(::ioctl(holder, TIOCEXCL), 0);
        QByteArray lockWhileOpen;
        connect(m_engine.get(), &ProgrammingEngine::portOpened, this, [&] { lockWhileOpen = readFile(lockFile); });
        const QString file = unitFile(smallFile());
        LiveObjects made; // a refused port leaves nothing behind either
        setAdmin(false);  // root would open an exclusive port all the same
        m_engine->startWrite(file, S{}, sim.device());
        const bool finished = m_finished->wait(5000);
        setAdmin(true);
        QVERIFY(finished);
        ::close(holder);
        other.kill();
        other.waitForFinished();
        QTRY_VERIFY(sim.drained());
        const bool taken = reason.isEmpty(); // the lock of an ended process: ours while the port is open
        QCOMPARE(outcome().kind, taken ? Outcome::Programmed : Outcome::OpenFailed);
        QCOMPARE(lockWhileOpen, taken ? QByteArray::number(getpid()).rightJustified(10, ' ') + '\n' : QByteArray());
        QCOMPARE(outcome().detail,
                 taken ? QString() : sim.device() + ": Device or resource busy - " + reason.replace("LOCK", lockFile));
        QCOMPARE(sim.requests(), taken ? writeRequests(smallFile()) : QStringList());
        QCOMPARE(readFile(lockFile), held || taken ? QByteArray("<missing>") : lock);
        QTRY_COMPARE_WITH_TIMEOUT(made.made.size(), 0, 2000);
    }

    // A user who may not open the device is told which group may: the
    // device's own when it may read and write, else dialout.
    void refusedUserHearsTheGroup()
    {
        const group *tty = ::getgrnam("tty");
        if (::geteuid() != 0 || !tty)
            QSKIP("needs root, to give the device away, and a group tty");
        for (const auto &[gid, mode, name] :
             {std::tuple{tty->gr_gid, 0660, "tty"}, {tty->gr_gid, 0640, "dialout"}, {gid_t(0), 0660, "dialout"}}) {
            SimUnit sim;
            QVERIFY(sim.start());
            const QByteArray device = QFile::encodeName(sim.device());
            QCOMPARE(::chown(device.constData(), 1, gid), 0);
            QCOMPARE(::chmod(device.constData(), mode), 0);
            ::setfsgid(65534); // the user nobody's file access, on this thread
            ::setfsuid(65534);
            m_engine->startReadId(S{}, sim.device());
            const bool finished = m_finished->wait(5000);
            ::setfsuid(0);
            ::setfsgid(0);
            QVERIFY(finished);
            QCOMPARE(outcome().detail,
                     sim.device() + ": Permission denied - add your user to the `" + name + "` group (sudo usermod -aG "
                         + name + " $USER, then log in again)");
        }
    }

    // A write asks the adapter for low latency once the port is open and
    // gives the old setting back when it closes; a driver without it, or
    // one that refuses, is left alone. DTR and RTS follow the settings.
    void driverWhileTheUnitIsWritten()
    {
        QStringList seen;
        FakeDriver::calls = &seen;
        connect(m_engine.get(), &ProgrammingEngine::portOpened, this, [&] { seen << "opened"; });
        connect(m_engine.get(), &ProgrammingEngine::finished, this, [&] { seen << "finished"; });
        const QString write = QStringLiteral("opened, finished"); // all lines written between
        S dtrOff, rtsOff;
        dtrOff.dtr = false;
        rtsOff.rts = false;
        for (const auto &[flags, getError, setError, settings, calls] :
             {std::tuple{0, 0, 0, S{}, "get, set low, DTR on, RTS on, " + write + ", get, set normal"},
              {int(ASYNC_LOW_LATENCY), 0, 0, dtrOff, "get, DTR off, RTS on, " + write}, // already low
              {0, int(ENOTTY), 0, rtsOff, "get, DTR on, RTS off, " + write},            // no such setting
              {0, 0, int(EPERM), S{}, "get, set low, DTR on, RTS on, " + write}}) {     // refused
            seen.clear();
            FakeDriver::flags = flags, FakeDriver::getError = getError, FakeDriver::setError = setError;
            serialDriver() = SerialDriver{&FakeDriver::get, &FakeDriver::set, &FakeDriver::setLine};
            SimUnit sim;
            QVERIFY(sim.start());
            m_engine->startWrite(unitFile(smallFile()), settings, sim.device());
            const bool finished = m_finished->wait(5000);
            QTRY_VERIFY(!m_engine->isBusy()); // the port closed after finished()
            serialDriver() = systemSerialDriver();
            QVERIFY(finished);
            QCOMPARE(seen.join(", "), calls);
            QCOMPARE(FakeDriver::flags, flags);
            QCOMPARE(outcome().kind, Outcome::Programmed);
        }
    }

    // Stop signals become bytes on a pipe, the first one kept; the handlers
    // before come back afterwards, and no descriptor stays open.
    void stopSignalsBecomeBytes()
    {
        static int before = 0;
        for (int number : {SIGUSR1, SIGUSR2})
            std::signal(number, [](int number) { before = number; });
        const uint open = QDir("/proc/self/fd").count();
        {
            StopSignals stop({SIGUSR1, SIGUSR2});
            QVERIFY(stop.isValid());
            pollfd ready{stop.fd(), POLLIN, 0};
            QCOMPARE(std::tuple(stop.take(), ::poll(&ready, 1, 0)), std::tuple(0, 0));
            std::raise(SIGUSR2), std::raise(SIGUSR1);
            QCOMPARE((std::tuple{::poll(&ready, 1, 0), stop.take(), stop.take()}), std::tuple(1, SIGUSR2, SIGUSR2));
            QCOMPARE(before, 0);
        }
        QCOMPARE(QDir("/proc/self/fd").count(), open);
        for (int number : {SIGUSR1, SIGUSR2}) {
            std::raise(number);
            QCOMPARE(before, number);
        }
    }

private:
    QString unitFile(const QByteArray &bytes) { return writeFile(m_folders->file(QStringLiteral("unit.kvt")), bytes); }
    Outcome outcome() const { return m_finished->last().at(0).value<Outcome>(); }

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<ProgrammingEngine> m_engine;
    std::unique_ptr<QSignalSpy> m_opened, m_range, m_progress, m_finished;
};

QTEST_GUILESS_MAIN(EngineTest)
#include "test_engine.moc"
