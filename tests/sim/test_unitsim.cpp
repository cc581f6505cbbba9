// kvt-unit-sim on its own: the line it serves, its memory, its link and
// its pacing, seen through plain reads and writes on the device.

#include "simunit.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
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
        if (m_fd >= 0) {
            termios tio{};
            tcgetattr(m_fd, &tio);
            cfmakeraw(&tio);
            tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~Line()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }

    void send(const QByteArray &bytes) { QCOMPARE(::write(m_fd, bytes.constData(), bytes.size()), bytes.size()); }

    // What arrives within `ms`, after a first byte has come.
    QByteArray reply(int ms = 1000)
    {
        QByteArray got;
        pollfd pfd{m_fd, POLLIN, 0};
        if (::poll(&pfd, 1, ms) <= 0)
            return got;
        QTest::qSleep(5);
        char buffer[64];
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0)
            got.append(buffer, n);
        return got;
    }

private:
    int m_fd;
};

QByteArray request(char kind, int bank, int address, int value = -1)
{
    QByteArray bytes{1, kind};
    bytes += char(bank);
    bytes += char(address);
    if (value >= 0)
        bytes += char(value);
    return bytes;
}

} // namespace

class UnitSimTest : public QObject {
    Q_OBJECT

private slots:
    void answersAndKeepsItsMemory();
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
    QVERIFY(line.isOpen());

    line.send(request('W', 1, 5, 65));
    QCOMPARE(line.reply(), QByteArray("A"));
    // Bytes that start no request are skipped.
    line.send("xyz" + request('W', 1, 3, 0));
    QCOMPARE(line.reply(), QByteArray(1, '\0'));
    line.send(request('W', 1, 5, 66));
    QCOMPARE(line.reply(), QByteArray("B"));
    line.send(request('R', 0, 10));
    QCOMPARE(line.reply(), QByteArray("A"));
    // The identity is kept in the unit's 8-bit set: the euro sign is 0x80.
    line.send(request('R', 0, 17));
    QCOMPARE(line.reply(), QByteArray("\x80"));
    line.send(request('R', 2, 9));
    QCOMPARE(line.reply(), QByteArray("\xFF"));

    QCOMPARE(sim.requests(), QStringList({"W 001 005 065", "W 001 003 000", "W 001 005 066",
                                          "R 000 010", "R 000 017", "R 002 009"}));
    // SIGINT saves as SIGTERM does: first-write order, last value.
    ::kill(pid_t(sim.process().processId()), SIGINT);
    QVERIFY(sim.process().waitForFinished(5000));
    QCOMPARE(sim.process().exitCode(), 0);
    QCOMPARE(sim.savedMemory(), QByteArray("001005066\r\n001003000\r\n"));
}

void UnitSimTest::pacedLineTakesTenBitsAByte()
{
    constexpr int Requests = 40;
    SimUnit sim;
    QVERIFY(sim.start({"--paced", "--delay", "1"}));
    Line line(sim.device());
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Requests; ++i) {
        line.send(request('W', 2, i, i));
        QCOMPARE(line.reply(), QByteArray(1, char(i)));
    }
    // Four request bytes, one reply byte, ten bits each at 9600 baud, and
    // the delay: 6.2 ms a request at least.
    const double perRequest = double(clock.nsecsElapsed()) / 1e6 / Requests;
    QVERIFY2(perRequest >= 6.2, qPrintable(QString::number(perRequest)));
}

void UnitSimTest::linksTheDeviceWhileItRuns()
{
    QTemporaryDir dir;
    const QString link = dir.filePath("com1");
    {
        SimUnit sim;
        QVERIFY(sim.start({"--link", link}));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
        QVERIFY(sim.stop());
        QVERIFY(!QFileInfo(link).isSymLink());
    }
    // A link left behind is replaced, anything else is left alone.
    QVERIFY(QFile::link("/dev/null", link));
    {
        SimUnit sim;
        QVERIFY(sim.start({"--link", link}));
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.device());
    }
    QFile plain(dir.filePath("com2"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    SimUnit sim;
    QVERIFY(!sim.start({"--link", plain.fileName()}));
    sim.process().waitForFinished(5000);
    QCOMPARE(sim.process().state(), QProcess::NotRunning);
    QCOMPARE(sim.process().exitCode(), 1);
    QVERIFY(QFileInfo(plain.fileName()).isFile());
}

void UnitSimTest::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("short identifier") << QStringList{"--identifier", "ABC"};
    QTest::newRow("identifier outside the 8-bit set")
        << QStringList{"--identifier", QStringLiteral("ABCDEFG\u03a9")};
    QTest::newRow("request 0") << QStringList{"--wrong-echo-at", "0"};
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
