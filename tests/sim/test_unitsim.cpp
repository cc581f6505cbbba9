// kvt-unit-sim as a program (its device line, link, options, messages and exits) and the unit it
// simulates. How it answers the programmer shows in the engine's and the commands' tests.

#include "sim/program.h"
#include "simunit.h"

#include <QtTest>

#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>

namespace {
// The device opened as a plain file, as a terminal program would: it sets nothing on the line.
struct Line {
    const int fd;
    explicit Line(const QString &device) : fd(::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY)) {}
    ~Line() { ::close(fd); }
    // Writes `request` and reads up to `count` bytes of replies, each within 5 s.
    QByteArray ask(const QByteArray &request, qsizetype count = 1) const
    {
        QByteArray replies(::write(fd, request.constData(), request.size()) == request.size() ? 0 : count, '?');
        pollfd in{fd, POLLIN, 0};
        for (char byte; replies.size() < count && ::poll(&in, 1, 5000) == 1 && ::read(fd, &byte, 1) == 1;)
            replies += byte;
        return replies;
    }
};

// The program run in this process with the options given, `spare` file descriptors left to it (-1: as
// many as there are): its exit status and what it said on stderr.
std::pair<int, QByteArray> runHere(const QStringList &options, int spare = -1)
{
    int status = -1;
    const QByteArray said = stderrOf([&] {
        std::vector<int> lowestFree(std::max(spare + 1, 0)); // the last one free is the limit
        std::ranges::generate(lowestFree, [] { return ::dup(STDIN_FILENO); });
        std::ranges::for_each(lowestFree, ::close);
        rlimit files{};
        ::getrlimit(RLIMIT_NOFILE, &files);
        const rlimit scarce{lowestFree.empty() ? files.rlim_cur : rlim_t(lowestFree.back()), files.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &scarce);
        status = kvt::sim::runProgram(QStringList{"kvt-unit-sim"} + options);
        ::setrlimit(RLIMIT_NOFILE, &files);
    });
    return {status, said};
}
} // namespace

class UnitSimTest : public QObject {
    Q_OBJECT

private slots:
    // It serves the device it prints and links (an old link replaced) to a client that sets nothing on
    // the line; SIGTERM, SIGINT or a requested hang-up once the client is idle end it with exit 0 and
    // nothing on stderr, the memory saved and the link gone. A reader of its output gone before the
    // device line does not stop it.
    void runsAsAProgram()
    {
        QProcess help; // --help as a user reads it (its words: the lines follow the terminal's width)
        help.start(QStringLiteral(KVT_UNIT_SIM), {"--help"});
        QVERIFY(help.waitForFinished(5000));
        // After "Usage: PATH [options]"; help.txt holds the text as an 80-column terminal shows it.
        QCOMPARE(QString(help.readAllStandardOutput()).simplified().section(' ', 3),
                 QString(readFile(KVT_SIM_HELP)).simplified());
        for (const auto &[stopSignal, readerGone] : {std::pair{SIGTERM, false}, {SIGINT, true}, {0, false}}) {
            QTemporaryDir dir;
            const QString link = dir.filePath("com1");
            QVERIFY(QFile::link("/dev/null", link));
            QProcess sim;
            sim.setChildProcessModifier([readerGone] {
                if (int out[2]; readerGone && ::pipe(out) == 0 && ::close(out[0]) == 0)
                    ::dup2(out[1], STDOUT_FILENO);
            });
            sim.start(QStringLiteral(KVT_UNIT_SIM),
                      {"--link", link, "--log", dir.filePath("log"), "--save", dir.filePath("memory"), "--identifier",
                       "ABCDEFGH", "--hangup-after", stopSignal ? "99" : "2"});
            QTRY_COMPARE(QFileInfo(link).symLinkTarget().left(9), "/dev/pts/");
            const QString device = QFileInfo(link).symLinkTarget();
            QTRY_COMPARE(sim.peek(4096), readerGone ? QByteArray() : device.toLocal8Bit() + '\n');
            const Line line(device); // the echo, then address 10: the identifier's first character
            QCOMPARE(line.ask(QByteArray("W\x01\x05\x41R\x00\x0a", 7), 2), "AA");
            if (stopSignal)
                ::kill(sim.processId(), stopSignal);
            QVERIFY(sim.waitForFinished(5000));
            // exit 0 and silence on stderr (a signal's number when it ends by one)
            QCOMPARE(std::pair(sim.exitCode(), sim.readAllStandardError()), std::pair(0, QByteArray()));
            QCOMPARE(readFile(dir.filePath("log")), QByteArray("W 001 005 065\nR 000 010\n"));
            QCOMPARE(readFile(dir.filePath("memory")), QByteArray("001005065\r\n"));
            QVERIFY(!QFileInfo(link).isSymLink());
        }
    }

    // What it says and its exit status when it cannot serve, out of file descriptors too; each number at an
    // end of its range is taken, one beyond is not.
    void refusesWhatItCannotServe()
    {
        QTemporaryDir dir;
        const QString file = writeFile(dir.filePath("com1"), "plain"), missing = dir.filePath("missing/file");
        const QString absent = "No such file or directory";
        const std::tuple<QStringList, int, QString, int> rows[] = {
            {{"--identifier", "ABC"}, 2, "--identifier needs 8 characters of the Windows-1252 set", -1},
            {{"--serial", "ABCDEFGH\u03a9"}, 2, "--serial needs 9 characters of the Windows-1252 set", -1},
            {{"--wrong-echo-at", "0"}, 2, "--wrong-echo-at needs a number from 1", -1},
            {{"--delay", "60001"}, 2, "--delay needs a number from 0 to 60000", -1},
            {{"--pause", "1x"}, 2, "--pause needs a number from 0 to 60000", -1},
            {{"--bogus"}, 2, "Unknown option 'bogus'.", -1},
            {{"/dev/ttyS0"}, 2, "unexpected argument /dev/ttyS0", -1},
            {{"--link", file}, 1, file + " exists and is no link, left alone", -1},
            {{"--link", missing}, 1, "--link: " + absent, -1},
            {{"--log", missing}, 1, "--log: " + absent, -1},
            {{"--save", missing, "--hangup-after", "0"}, 1, "cannot save " + missing + ": " + absent, -1},
            {{"--log", dir.filePath("log")}, 1, "pipe: Too many open files", 1}, // two needed
            {{"--log", dir.filePath("log")}, 1, "openpty: Too many open files", 3},
            {{"--log", dir.filePath("log")}, 1, "--log: Too many open files", 4},
        };
        for (const auto &[options, status, message, spare] : rows)
            QCOMPARE(runHere(options, spare), std::pair(status, ("kvt-unit-sim: " + message + '\n').toUtf8()));
        QCOMPARE(readFile(file), QByteArray("plain"));

        const auto parse = [](const QString &options) {
            return kvt::sim::parseOptions(("kvt-unit-sim " + options).split(' '));
        };
        const auto taken = parse("--silent-after 0 --wrong-echo-at 1 --double-echo-at 1 --hangup-after 0 --units 1 "
                                 "--delay 60000 --pause 0");
        QCOMPARE(taken ? std::pair(taken->delayMs, taken->pauseMs) : std::pair(-1, -1), std::pair(60000, 0));
        for (const char *beyond : {"--silent-after=-1", "--wrong-echo-at=0", "--double-echo-at=0", "--hangup-after=-1",
                                   "--units=0", "--delay=-1", "--pause=60001", "--delay=4294967296"})
            QVERIFY2(!parse(beyond), beyond);
    }

    // The line: a request waiting unread on it keeps it from being idle, and it goes with the simulator.
    // Bytes are served as they come, one at a time as a line may deliver them. --paced: ten bit times at
    // 9600 baud a byte, both ways, so a write and its echo take 5 byte times at the least. A unit waiting
    // out a long delay is busy, and a stop ends the wait at once. A second simulator takes the link over;
    // the first leaves it alone when it ends.
    void servesTheLine()
    {
        auto bare = std::make_unique<kvt::sim::Simulator>(kvt::sim::Options{});
        QVERIFY(bare->open());
        const QString device = bare->device();
        const Line bareLine(device);
        QVERIFY(bare->idle());
        QCOMPARE(bareLine.ask("R", 0), QByteArray());
        QVERIFY(!bare->idle()); // at once, though the kernel passes the byte on in its own time
        bare.reset();
        QVERIFY(!QFile::exists(device));

        QTemporaryDir dir;
        const QString link = dir.filePath("com1");
        SimUnit unit, slow;
        QVERIFY(unit.start({"--link", link, "--paced"}));
        const Line line(unit.device());
        for (const char byte : {'W', '\x01', '\x05'}) {
            QCOMPARE(line.ask(QByteArray(1, byte), 0), QByteArray());
            QTRY_VERIFY(unit.drained());
        }
        QCOMPARE(line.ask("A"), "A");
        QByteArray burst, echoes;
        for (char i = 0; i < 10; ++i)
            burst += QByteArray("W\x02") + i + i, echoes += i;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(line.ask(burst, 10), echoes);
        QCOMPARE_GE(clock.nsecsElapsed(), 10 * 5 * (10 * 1000000000LL / 9600));

        QVERIFY(slow.start({"--delay", "60000", "--link", link}));
        unit.stop();
        QCOMPARE(QFileInfo(link).symLinkTarget(), slow.device());
        const Line slowLine(slow.device());
        QCOMPARE(slowLine.ask(QByteArray("R\0\x0a", 3), 0), QByteArray());
        QTRY_COMPARE(slow.requests(), QStringList{"R 000 010"});
        QVERIFY(!slow.drained());
        clock.restart();
        slow.stop();
        QCOMPARE_LT(clock.elapsed(), 5000);
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    // Requests come in any pieces and stray bytes between them are dropped; a write to bank 0 changes the
    // identity; a second write to an address changes its memory line in place; an unwritten address reads
    // 255. The next unit of a line has a fresh memory and identity, the number at the end of its serial
    // number one higher.
    void unitAnswersAndKeepsItsMemory()
    {
        kvt::sim::Unit unit(*kvt::sim::parseOptions({"kvt-unit-sim", "--wrong-echo-at", "4"}));
        const auto answers = [&unit](const QByteArray &stream) {
            QByteArray pending, replies;
            for (qsizetype i = 0; i < stream.size(); i += 3) // three bytes at a time
                for (pending += stream.mid(i, 3); const auto request = kvt::sim::Unit::takeRequest(pending);)
                    replies += unit.answer(*request);
            return replies;
        };
        QCOMPARE(answers(QByteArray(
                     "?W\x02\x07\x09zzW\x00\x0a\x51R\x00\x0aW\x02\x07\x00R\x02\x09R\x02\x07W\x00\x00\x33", 30)),
                 QByteArray("\x09QQ\x01\xff\x00\x33", 7));
        QCOMPARE(unit.memoryLines(), QByteArray("002007000\r\n000010081\r\n000000051\r\n"));
        unit.nextUnit();
        QCOMPARE(unit.memoryLines(), QByteArray());
        QCOMPARE(answers(QByteArray("R\x00\x00R\x00\x1aR\x00\x0a", 9)), QByteArray("\xff\x32K"));
        for (const auto &[serial, step, next] : {std::tuple{"000000001", 1, "000000002"},
                                                 {"SN0000099", 1, "SN0000100"},
                                                 {"999999999", 1, "000000000"},
                                                 {"SERIALNU8", 2, "SERIALNU0"},
                                                 {"SERIALNUM", 5, "SERIALNUM"}})
            QCOMPARE(kvt::sim::Unit::nextSerialNumber(serial, step), QByteArray(next));
    }
};

QTEST_GUILESS_MAIN(UnitSimTest)
#include "test_unitsim.moc"
