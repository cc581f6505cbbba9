// The programming engine against a simulated unit on a real pseudo-terminal.

#include "programmer/engine.h"

#include "simunit.h"
#include "testenv.h"

#include <QSerialPort>
#include <QtTest>

#include <pty.h>
#include <unistd.h>

using namespace kvt::programmer;

namespace {

// The identity read: bank 0, addresses 10 to 26, then 31 to 38.
QStringList identityRequests()
{
    QStringList requests;
    for (int address = 10; address <= 38; address += address == 26 ? 5 : 1)
        requests << QStringLiteral("R 000 %1").arg(address, 3, 10, QLatin1Char('0'));
    return requests;
}

// One way an operation ends: a write of `file` (null: smallFile(), "<missing>":
// no file) or, with "read" among the simulator's options, the identity read.
struct Case {
    const char *unit = "";   // the simulator's options; "absent": no device at all
    QByteArray file = {};
    Outcome::Kind kind = Outcome::Programmed;
    const char *title = "";
    QString text = {};       // a summary ends with "Elapsed time: "
    int done = 0;            // lines acknowledged
    int requests = 0;        // how many of the expected requests went out
    bool waited = false;     // whether a time-out was waited
};

} // namespace

Q_DECLARE_METATYPE(Case)

class EngineTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_folders = std::make_unique<TestFolders>();
        m_engine = std::make_unique<ProgrammingEngine>();
        m_opened = std::make_unique<QSignalSpy>(m_engine.get(), &ProgrammingEngine::portOpened);
        m_range = std::make_unique<QSignalSpy>(m_engine.get(), &ProgrammingEngine::rangeChanged);
        m_progress = std::make_unique<QSignalSpy>(m_engine.get(), &ProgrammingEngine::progressed);
        m_finished = std::make_unique<QSignalSpy>(m_engine.get(), &ProgrammingEngine::finished);
    }
    void cleanup() { m_engine.reset(); m_folders.reset(); }

    // How a write or a read ends and where it stops.
    void endsWhereItShould_data()
    {
        QTest::addColumn<Case>("c");
        const auto add = [](const char *name, const Case &c) { QTest::newRow(name) << c; };
        using K = Outcome::Kind;
        const char *bad = "Programming Error Message", *silent = "Progrmming Error Message";
        const char *reading = "Reading Error Message", *summary = "Programming Message", *error = "Error Message";
        const QString invalidReply = "Invalid response received from tracking unit, programming aborted...";
        const QString writeTimeout = "No response received from tracking unit, programming aborted...";
        const QString readTimeout = "No response received from tracking unit, Reading aborted...";
        const QString invalid = "Invalid or corrupted configuration file, programming aborted...";
        const QString openFailed = "Unable to open the Serial Port, Programming aborted...";
        const QString head = "Tracking base successfully programmed, %1 of %1 bytes successfully writted , "
                             "Elapsed time: ";

        // Only the memory lines before the first GPRS line go out; without
        // one, every line goes out and the bar's maximum is never passed.
        add("lines after a GPRS line stay", {.file = "\r\n001001065\r\n\r\n001002000\r\nGPRS:x\r\n001003066",
                                             .title = summary, .text = head.arg(2), .done = 2, .requests = 2});
        add("no GPRS line", {.file = "001001001\r\n255255255", .kind = K::EndedSilently, .done = 2, .requests = 2});
        add("GPRS lines only", {.file = "GPRS:apn\r\nGPRS:\r\n\r\n", .title = summary, .text = head.arg(0)});
        add("empty lines only", {.file = "\r\n\r\n", .title = summary, .text = head.arg(0)});

        add("wrong echo at 5", {"--wrong-echo-at 5", {}, K::InvalidReply, bad, invalidReply, 4, 5});
        add("doubled echo of 000", {"--double-echo-at 1", {}, K::InvalidReply, bad, invalidReply, 0, 1});
        add("silent after 6", {"--silent-after 6", {}, K::TimedOut, silent, writeTimeout, 6, 7, true});
        // A port that fails ends the operation at once, as a time-out.
        add("hang-up after 4", {"--hangup-after 4", {}, K::TimedOut, silent, writeTimeout, 4, 4});
        add("read, silent at address 20",
            {"read --silent-after 10", {}, K::TimedOut, reading, readTimeout, 0, 11, true});
        add("read, hang-up after 3", {"read --hangup-after 3", {}, K::TimedOut, reading, readTimeout, 0, 3});

        // Nothing reaches the unit from a file that fails the line check, nor
        // through a port that does not open.
        add("letters in a memory line", {"", "001001001\r\nABCDEFGHI\r\n", K::InvalidFile, error, invalid});
        add("value 256", {"", "001001256\r\nGPRS:\r\n", K::InvalidFile, error, invalid});
        // Empty lines pass the line check, but not in this number.
        add("over 16 MiB", {"", QByteArray("\r\n").repeated(8 * 1024 * 1024 + 1), K::InvalidFile, error,
                            invalid});
        add("missing file", {"", "<missing>", K::InvalidFile, error,
                             "Unable to read the configuration file, programming aborted..."});
        add("no device", {"absent", {}, K::OpenFailed, error, openFailed});
        add("read, no device", {"read absent", {}, K::OpenFailed, error, openFailed});

        // The identity as the unit holds it (KVT00001, 000000001 unless told otherwise).
        const QString identity = "Identifier: %1    Serial number: 000000001    Firmware version: %2    "
                                 "Manufacturing date: %3";
        const auto id = [&](const char *unit, const char *identifier, const char *version, const char *date) {
            return Case{unit, {}, K::Identified, "Device ID", identity.arg(identifier, version, date), 0, 25};
        };
        add("identity 3.12", id("read --firmware 0312 --date 0607", "KVT00001", "3.12", "06/2007"));
        add("identity 10.23", id("read --firmware 1023 --date 1299", "KVT00001", "10.23", "12/2099"));
        add("identity 0.05", id("read --firmware 0005 --date 0100", "KVT00001", "0.05", "01/2000"));
        // Every byte waiting when a reply comes enters the identity.
        add("identity, doubled first reply", id("read --double-echo-at 1", "KKVT00001", "3.12", "06/2007"));
    }

    void endsWhereItShould()
    {
        QFETCH(Case, c);
        QStringList options = QString::fromLatin1(c.unit).split(u' ', Qt::SkipEmptyParts);
        const bool read = options.removeAll("read") > 0;
        const bool absent = options.removeAll("absent") > 0;
        const QByteArray file = c.file.isNull() ? smallFile() : c.file;
        SimUnit sim;
        QVERIFY(sim.start(options));
        const QString device = absent ? m_folders->file("no-such-tty") : sim.device();
        const QString path = file == "<missing>" ? m_folders->file("missing.kvt") : unitFile(file);
        const SerialSettings com2{2, true, true, false};
        QElapsedTimer clock;
        clock.start();
        read ? m_engine->startReadId(com2, device) : m_engine->startWrite(path, com2, device);
        QVERIFY(m_finished->wait(5000));
        const qint64 ms = clock.elapsed();
        QVERIFY2(c.waited ? ms >= 990 && ms < 1900 : ms < 900, qPrintable(QString::number(ms)));
        QVERIFY(!m_engine->isBusy());

        QCOMPARE(outcome().kind, c.kind);
        QCOMPARE(outcome().title, QLatin1String(c.title));
        if (c.text.endsWith(QStringLiteral("Elapsed time: ")))
            QVERIFY2(QRegularExpression('^' + QRegularExpression::escape(c.text) + "\\d+sec$")
                         .match(outcome().text).hasMatch(), qPrintable(outcome().text));
        else
            QCOMPARE(outcome().text, c.text);
        QCOMPARE(outcome().exclamation, outcome().title.endsWith(QLatin1String("Error Message")));
        QCOMPARE(outcome().bytesProgrammed, c.done);
        QCOMPARE(m_progress->size(), c.done);
        // The bar's maximum: the memory lines before the first GPRS line.
        const QStringList expected = read ? identityRequests() : writeRequests(file);
        const bool refused = c.kind == Outcome::InvalidFile || c.kind == Outcome::OpenFailed;
        QCOMPARE(m_range->value(0).value(0).toInt(), read || refused ? 0 : int(expected.size()));
        QCOMPARE(m_opened->value(0).value(0).toString(),
                 refused ? QString() : QStringLiteral("Serial port COM 2 successfully opened..."));
        // Nothing more goes out after the end.
        QTest::qWait(50);
        QCOMPARE(sim.requests(), expected.mid(0, c.requests));
    }

    // The window shows its message from the finished() slot, in a nested event
    // loop longer than a time-out, with the port still open, and may be closed
    // meanwhile: late bytes and the timer must not reach the finished operation.
    void finishedRunsWithThePortStillOpen()
    {
        SimUnit sim;
        QVERIFY(sim.start({"--wrong-echo-at", "2"}));
        bool lockedWhileShown = false;
        bool busyWhileShown = false;
        connect(m_engine.get(), &ProgrammingEngine::finished, this, [&] {
            busyWhileShown = m_engine->isBusy();
            QSerialPort other(sim.device());
            lockedWhileShown = !other.open(QIODevice::ReadWrite);
            QEventLoop modal;
            QTimer::singleShot(1200, &modal, &QEventLoop::quit);
            modal.exec();
            m_engine->cancel();
            QVERIFY(!m_engine->isBusy());
        });
        m_engine->startWrite(unitFile(smallFile()), SerialSettings{}, sim.device());
        m_engine->startReadId(SerialSettings{}, sim.device());   // busy: ignored
        QVERIFY(m_finished->wait(5000));
        QTest::qWait(20);
        QCOMPARE(m_finished->size(), 1);
        QCOMPARE(outcome().kind, Outcome::InvalidReply);
        QVERIFY(busyWhileShown);
        QVERIFY(lockedWhileShown);
        QSerialPort again(sim.device());
        QVERIFY(again.open(QIODevice::ReadWrite));
        QCOMPARE(sim.requests().size(), 2);
    }

    // A byte that came while no request was outstanding (here while the
    // receiver of portOpened ran an event loop) is taken as the reply to the
    // next request at once. The unit is the test itself.
    void bytesWaitingAreTheReply()
    {
        int master = -1, slave = -1;
        char name[256] = {};
        QCOMPARE(openpty(&master, &slave, name, nullptr, nullptr), 0);   // the engine makes it raw
        connect(m_engine.get(), &ProgrammingEngine::portOpened, this, [master] {
            QCOMPARE(::write(master, "X", 1), 1);   // the echo of 088, early
            QEventLoop loop;
            QTimer::singleShot(100, &loop, &QEventLoop::quit);
            loop.exec();
        });
        QElapsedTimer clock;
        clock.start();
        m_engine->startWrite(unitFile("001001088\r\n001002088\r\nGPRS:\r\n"), SerialSettings{}, name);
        QVERIFY(m_finished->wait(5000));
        // The first request took the waiting byte; the second got no reply.
        QCOMPARE(outcome().kind, Outcome::TimedOut);
        QCOMPARE(outcome().bytesProgrammed, 1);
        QVERIFY(clock.elapsed() < 1900);
        char sent[16];
        QCOMPARE(::read(master, sent, sizeof sent), 8);
        QCOMPARE(QByteArray(sent, 8), QByteArray("W\x01\x01XW\x01\x02X"));
        ::close(master);
        ::close(slave);
    }

    // An owner may go away from inside any of the engine's signals (a window
    // closed by its slot): nothing more is sent and nothing is touched.
    void deletedFromItsOwnSignals_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("signal");   // the index of the spy whose signal deletes
        QTest::addColumn<int>("requests");
        QTest::addColumn<bool>("cancelFirst");
        QTest::newRow("write, portOpened") << true << 0 << 0 << false;
        QTest::newRow("write, rangeChanged") << true << 1 << 0 << false;
        QTest::newRow("write, progressed") << true << 2 << 3 << false;
        QTest::newRow("write, progressed, cancelled") << true << 2 << 3 << true;
        QTest::newRow("write, finished") << true << 3 << 10 << false;
        QTest::newRow("read, portOpened") << false << 0 << 0 << false;
        QTest::newRow("read, finished, cancelled") << false << 3 << 25 << true;
    }

    void deletedFromItsOwnSignals()
    {
        QFETCH(bool, write);
        QFETCH(int, signal);
        QFETCH(int, requests);
        QFETCH(bool, cancelFirst);
        SimUnit sim;
        QVERIFY(sim.start());
        ProgrammingEngine *engine = m_engine.get();
        bool deleted = false;
        const auto drop = [&](int which) {
            // The third progress step, or the first of the other signals.
            if (which == signal && !deleted && (which != 2 || m_progress->size() == 3)) {
                deleted = true;
                if (cancelFirst)
                    m_engine->cancel();
                m_engine.reset();
            }
        };
        connect(engine, &ProgrammingEngine::portOpened, this, [&] { drop(0); });
        connect(engine, &ProgrammingEngine::rangeChanged, this, [&] { drop(1); });
        connect(engine, &ProgrammingEngine::progressed, this, [&] { drop(2); });
        connect(engine, &ProgrammingEngine::finished, this, [&] { drop(3); });
        if (write)
            engine->startWrite(unitFile(smallFile()), SerialSettings{}, sim.device());
        else
            engine->startReadId(SerialSettings{}, sim.device());
        QTRY_VERIFY_WITH_TIMEOUT(deleted, 5000);
        QTest::qWait(100);
        QCOMPARE(sim.requests().size(), requests);
        QSerialPort again(sim.device());
        QVERIFY(again.open(QIODevice::ReadWrite));
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
