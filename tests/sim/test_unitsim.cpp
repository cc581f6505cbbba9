// kvt-unit-sim on its own: the line it serves, its memory, its link, its
// pacing and its stop signals, seen through plain reads and writes.

#include "simunit.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <csignal>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The client side of the line, raw and blocking.
class Line {
public:
    explicit Line(const QString &device)
        : m_fd(::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY))
    {
        termios tio{};
        tcgetattr(m_fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(m_fd, TCSANOW, &tio);
    }
    ~Line() { ::close(m_fd); }

    // Sends a request and returns what arrives within a second (after a
    // first byte, a moment more for a second one).
    QByteArray ask(char kind, int bank, int address, int value = -1, const QByteArray &before = {})
    {
        QByteArray bytes = before + kind + char(bank) + char(address);
        if (value >= 0)
            bytes += char(value);
        if (::write(m_fd, bytes.constData(), bytes.size()) != bytes.size())
            return "<not sent>";
        pollfd pfd{m_fd, POLLIN, 0};
        if (::poll(&pfd, 1, 1000) <= 0)
            return {};
        QTest::qSleep(5);
        char buffer[64];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        return n > 0 ? QByteArray(buffer, n) : QByteArray();
    }

private:
    int m_fd;
};

} // namespace

class UnitSimTest : public QObject {
    Q_OBJECT

private slots:
    void answersAndKeepsItsMemory();
    void stopSignalEndsADelayedReply();
    void pacedLineTakesTenBitsAByte();
    void linksTheDeviceWhileItRuns();
    void refusesBadOptions_data();
    void refusesBadOptions();
};

void UnitSimTest::answersAndKeepsItsMemory()
{
    SimUnit sim;
    QVERIFY(sim.start({"--identifier", QStringLiteral("ABCDEFG\u20ac")}));
    Line line(sim.device());
    QCOMPARE(line.ask('W', 1, 5, 65), QByteArray("A"));
    // Bytes that start no request are skipped.
    QCOMPARE(line.ask('W', 1, 3, 0, "xyz"), QByteArray(1, '\0'));
    QCOMPARE(line.ask('W', 1, 5, 66), QByteArray("B"));
    QCOMPARE(line.ask('R', 0, 10), QByteArray("A"));
    // The identity is kept in the unit's 8-bit set: the euro sign is 0x80.
    QCOMPARE(line.ask('R', 0, 17), QByteArray("\x80"));
    QCOMPARE(line.ask('R', 2, 9), QByteArray("\xFF"));

    QCOMPARE(sim.requests(), QStringList({"W 001 005 065", "W 001 003 000", "W 001 005 066",
                                          "R 000 010", "R 000 017", "R 002 009"}));
    // SIGINT saves as SIGTERM does: first-write order, last value.
    ::kill(pid_t(sim.process().processId()), SIGINT);
    QVERIFY(sim.process().waitForFinished(5000));
    QCOMPARE(sim.process().exitCode(), 0);
    QCOMPARE(sim.savedMemory(), QByteArray("001005066\r\n001003000\r\n"));
}

void UnitSimTest::stopSignalEndsADelayedReply()
{
    SimUnit sim;
    QVERIFY(sim.start({"--delay", "60000"}));
    Line line(sim.device());
    QCOMPARE(line.ask('W', 3, 7, 9), QByteArray());   // stored, its echo 60 s away
    QElapsedTimer clock;
    clock.start();
    QVERIFY(sim.stop());
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(sim.process().exitCode(), 0);
    QCOMPARE(sim.savedMemory(), QByteArray("003007009\r\n"));
}

void UnitSimTest::pacedLineTakesTenBitsAByte()
{
    constexpr int Requests = 40;
    SimUnit sim;
    QVERIFY(sim.start({"--paced", "--delay", "1"}));
    Line line(sim.device());
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Requests; ++i)
        QCOMPARE(line.ask('W', 2, i, i), QByteArray(1, char(i)));
    // Four request bytes, one reply byte, ten bits each at 9600 baud, and
    // the delay: 6.2 ms a request at least.
    const double perRequest = double(clock.nsecsElapsed()) / 1e6 / Requests;
    QVERIFY2(perRequest >= 6.2, qPrintable(QString::number(perRequest)));
}

void UnitSimTest::linksTheDeviceWhileItRuns()
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

    // Anything else is left alone and the simulator refuses to start.
    writeFile(link, "plain");
    SimUnit refused;
    QVERIFY(!refused.start({"--link", link}));
    refused.process().waitForFinished(5000);
    QCOMPARE(refused.process().state(), QProcess::NotRunning);
    QCOMPARE(refused.process().exitCode(), 1);
    QCOMPARE(readFile(link), QByteArray("plain"));
}

void UnitSimTest::refusesBadOptions_data()
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

void UnitSimTest::refusesBadOptions()
{
    QFETCH(QStringList, options);
    QProcess sim;
    sim.start(SimUnit::program(), options);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(UnitSimTest)
#include "test_unitsim.moc"
