// The programming engine against a simulated unit on a real pseudo-terminal.

#include "programmer/engine.h"

#include "image/configfile.h"

#include "simunit.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using namespace kvt::programmer;

namespace {

// The summary up to the elapsed seconds.
QString summaryHead(int done, int total)
{
    return QStringLiteral("Tracking base successfully programmed, %1 of %2 bytes successfully "
                          "writted , Elapsed time: ").arg(done).arg(total);
}

const QString WriteTimeoutText =
    QStringLiteral("No response received from tracking unit, programming aborted...");
const QString InvalidReplyText =
    QStringLiteral("Invalid response received from tracking unit, programming aborted...");
const QString ReadTimeoutText =
    QStringLiteral("No response received from tracking unit, Reading aborted...");

// Ten memory lines of bank 2, the first of value 000, then a GPRS line.
QByteArray smallFile()
{
    QByteArray text = "002100000\r\n";
    for (int i = 1; i < 10; ++i)
        text += "002" + QByteArray::number(100 + i) + QByteArray::number(100 + i * 7) + "\r\n";
    return text + "GPRS:apn\r\n\r\n";
}

// What the unit sees of the memory lines of `file`.
QStringList writeRequests(const QByteArray &file)
{
    QStringList requests;
    for (const QByteArray &line : kvt::image::splitLines(file)) {
        if (line.startsWith("GPRS:"))
            break;
        if (!line.isEmpty())
            requests << QStringLiteral("W %1 %2 %3").arg(QString::fromLatin1(line.mid(0, 3)),
                                                         QString::fromLatin1(line.mid(3, 3)),
                                                         QString::fromLatin1(line.mid(6, 3)));
    }
    return requests;
}

// The identity read: bank 0, addresses 10 to 26, then 31 to 38.
QStringList identityRequests()
{
    QStringList requests;
    for (int address = 10; address <= 38; ++address) {
        if (address < 27 || address > 30)
            requests << QStringLiteral("R 000 %1").arg(address, 3, 10, QLatin1Char('0'));
    }
    return requests;
}

} // namespace

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
    void cleanup() { m_engine.reset(); }

    void writesASavedFileInFileOrder();
    void countsTheLinesBeforeTheFirstGprsLine_data();
    void countsTheLinesBeforeTheFirstGprsLine();
    void failuresStopWhereTheyShould_data();
    void failuresStopWhereTheyShould();
    void refusedBeforeAnyByte_data();
    void refusedBeforeAnyByte();
    void readsTheIdentity_data();
    void readsTheIdentity();
    void cancelStopsAtOnce();
    void finishedRunsWithThePortStillOpen();
    void bytesWaitingAreTheReply();
    void deletedFromItsOwnSignals_data();
    void deletedFromItsOwnSignals();

private:
    QString unitFile(const QByteArray &bytes)
    {
        const QString path = m_folders->file(QStringLiteral("unit.kvt"));
        writeFile(path, bytes);
        return path;
    }

    Outcome outcome() const { return m_finished->last().at(0).value<Outcome>(); }

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<ProgrammingEngine> m_engine;
    std::unique_ptr<QSignalSpy> m_opened, m_range, m_progress, m_finished;
};

void EngineTest::writesASavedFileInFileOrder()
{
    const QString path = writeSavedImage(m_folders->file(QStringLiteral("saved.kvt")));
    const QByteArray fileBytes = readFile(path);
    SimUnit sim;
    QVERIFY(sim.start());
    m_engine->startWrite(path, SerialSettings{3, true, true, false}, sim.device());
    QVERIFY(m_engine->isBusy());
    QVERIFY(m_finished->wait(30000));
    QVERIFY(!m_engine->isBusy());

    QCOMPARE(m_opened->size(), 1);
    QCOMPARE(m_opened->at(0).at(0).toString(), QStringLiteral("Serial port COM 3 successfully opened..."));
    QCOMPARE(m_range->size(), 1);
    QCOMPARE(m_range->at(0).at(0).toInt(), 4389);
    QCOMPARE(m_progress->size(), 4389);
    QCOMPARE(m_progress->at(11).at(2).toString(), QStringLiteral("12 of 4389 bytes successfully programmed"));
    QCOMPARE(m_progress->last().at(0).toInt(), 4389);
    QCOMPARE(outcome().kind, Outcome::Programmed);
    QCOMPARE(outcome().title, QStringLiteral("Programming Message"));
    QVERIFY2(outcome().text.startsWith(summaryHead(4389, 4389)), qPrintable(outcome().text));
    QVERIFY(outcome().text.endsWith(QStringLiteral("sec")));
    QVERIFY(!outcome().exclamation);
    QCOMPARE(outcome().bytesProgrammed, 4389);

    QCOMPARE(sim.requests(), writeRequests(fileBytes));
    QVERIFY(sim.stop());
    // The unit's memory holds the file's memory lines, in file order.
    QCOMPARE(sim.savedMemory(), fileBytes.left(fileBytes.indexOf("GPRS:")));
}

void EngineTest::countsTheLinesBeforeTheFirstGprsLine_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<int>("kind");
    QTest::newRow("lines after a GPRS line stay")
        << QByteArray("\r\n001001065\r\n\r\n001002000\r\nGPRS:x\r\n001003066\r\nGPRS:\r\n\r\n")
        << QStringList{"W 001 001 065", "W 001 002 000"} << int(Outcome::Programmed);
    // Every line goes out and the bar's maximum is never passed; no message.
    QTest::newRow("no GPRS line") << QByteArray("001001001\r\n255255255")
                                  << QStringList{"W 001 001 001", "W 255 255 255"}
                                  << int(Outcome::EndedSilently);
    QTest::newRow("GPRS lines only") << QByteArray("GPRS:apn\r\nGPRS:\r\n\r\n") << QStringList{}
                                     << int(Outcome::Programmed);
    QTest::newRow("empty lines only") << QByteArray("\r\n\r\n") << QStringList{}
                                      << int(Outcome::Programmed);
}

void EngineTest::countsTheLinesBeforeTheFirstGprsLine()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, requests);
    QFETCH(int, kind);
    SimUnit sim;
    QVERIFY(sim.start());
    m_engine->startWrite(unitFile(file), SerialSettings{}, sim.device());
    QVERIFY(m_finished->wait(5000));
    const int count = int(requests.size());
    QCOMPARE(m_range->at(0).at(0).toInt(), count);
    QCOMPARE(m_progress->size(), count);
    QCOMPARE(int(outcome().kind), kind);
    QCOMPARE(outcome().bytesProgrammed, count);
    if (kind == Outcome::EndedSilently)
        QVERIFY(outcome().text.isEmpty());
    else if (count == 0)
        QCOMPARE(outcome().text, summaryHead(0, 0) + QStringLiteral("0sec"));
    else
        QVERIFY(outcome().text.startsWith(summaryHead(count, count)));
    QCOMPARE(sim.requests(), requests);
}

void EngineTest::failuresStopWhereTheyShould_data()
{
    QTest::addColumn<QString>("unit");   // the simulator's options; "read": an identity read
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("acknowledged");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    const QString bad = "Programming Error Message";
    const QString silent = "Progrmming Error Message";
    const QString reading = "Reading Error Message";

    QTest::newRow("wrong echo at 5") << "--wrong-echo-at 5" << bad << InvalidReplyText << 4 << 5 << 0 << 900;
    QTest::newRow("doubled echo of 000") << "--double-echo-at 1" << bad << InvalidReplyText << 0 << 1 << 0 << 900;
    QTest::newRow("silent after 6") << "--silent-after 6" << silent << WriteTimeoutText << 6 << 7 << 990 << 1900;
    // A port that fails ends the operation at once, as a time-out.
    QTest::newRow("hang-up after 4") << "--hangup-after 4" << silent << WriteTimeoutText << 4 << 4 << 0 << 900;
    QTest::newRow("read, silent at address 20")
        << "read --silent-after 10" << reading << ReadTimeoutText << 0 << 11 << 990 << 1900;
    QTest::newRow("read, hang-up after 3")
        << "read --hangup-after 3" << reading << ReadTimeoutText << 0 << 3 << 0 << 900;
}

void EngineTest::failuresStopWhereTheyShould()
{
    QFETCH(QString, unit);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, acknowledged);
    QFETCH(int, requests);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    QStringList options = unit.split(u' ');
    const bool read = options.first() == "read";
    if (read)
        options.removeFirst();

    SimUnit sim;
    QVERIFY(sim.start(options));
    QElapsedTimer clock;
    clock.start();
    if (read)
        m_engine->startReadId(SerialSettings{}, sim.device());
    else
        m_engine->startWrite(unitFile(smallFile()), SerialSettings{}, sim.device());
    QVERIFY(m_finished->wait(5000));
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= minMs && elapsed <= maxMs, qPrintable(QString::number(elapsed)));

    QCOMPARE(outcome().kind, text == InvalidReplyText ? Outcome::InvalidReply : Outcome::TimedOut);
    QCOMPARE(outcome().title, title);
    QCOMPARE(outcome().text, text);
    QVERIFY(outcome().exclamation);
    QCOMPARE(outcome().bytesProgrammed, acknowledged);
    QCOMPARE(outcome().memoryLineCount, read ? 0 : 10);
    QCOMPARE(m_progress->size(), acknowledged);
    QVERIFY(!m_engine->isBusy());
    // Nothing more goes out after the failure.
    QTest::qWait(50);
    QCOMPARE(sim.requests(), (read ? identityRequests() : writeRequests(smallFile())).mid(0, requests));
}

// Nothing reaches the unit from a file that fails the line check, nor
// through a port that does not open.
void EngineTest::refusedBeforeAnyByte_data()
{
    QTest::addColumn<QByteArray>("file");   // null: a missing file
    QTest::addColumn<bool>("deviceThere");
    QTest::addColumn<QString>("text");
    const QString invalid = "Invalid or corrupted configuration file, programming aborted...";
    QTest::newRow("letters in a memory line") << QByteArray("001001001\r\nABCDEFGHI\r\nGPRS:\r\n")
                                              << true << invalid;
    QTest::newRow("value 256") << QByteArray("001001256\r\nGPRS:\r\n") << true << invalid;
    // Empty lines pass the line check, but not in this number.
    QTest::newRow("over 16 MiB") << QByteArray("\r\n").repeated(8 * 1024 * 1024 + 1) << true
                                 << invalid;
    QTest::newRow("missing file") << QByteArray() << true
                                  << "Unable to read the configuration file, programming aborted...";
    QTest::newRow("no device") << smallFile() << false
                               << "Unable to open the Serial Port, Programming aborted...";
}

void EngineTest::refusedBeforeAnyByte()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, deviceThere);
    QFETCH(QString, text);
    SimUnit sim;
    QVERIFY(sim.start());
    const QString device = deviceThere ? sim.device() : m_folders->file("no-such-tty");
    m_engine->startWrite(file.isNull() ? m_folders->file("missing.kvt") : unitFile(file),
                         SerialSettings{}, device);
    QVERIFY(m_finished->wait(5000));
    QCOMPARE(outcome().kind, deviceThere ? Outcome::InvalidFile : Outcome::OpenFailed);
    QCOMPARE(outcome().title, QStringLiteral("Error Message"));
    QCOMPARE(outcome().text, text);
    QVERIFY(outcome().exclamation);
    if (!deviceThere) {   // the identity read names the same failure
        m_engine->startReadId(SerialSettings{}, device);
        QVERIFY(m_finished->wait(5000));
        QCOMPARE(outcome().text, text);
    }
    QVERIFY(m_opened->isEmpty());
    QTest::qWait(20);
    QVERIFY(sim.requests().isEmpty());
}

void EngineTest::readsTheIdentity_data()
{
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("shown");
    const QString identity = "--identifier KVT22B07 --serial 000123456 --firmware %1 --date %2";
    const QString text = "Identifier: %1    Serial number: 000123456    Firmware version: %2"
                         "    Manufacturing date: %3";
    QTest::newRow("3.12") << identity.arg("0312", "0607") << text.arg("KVT22B07", "3.12", "06/2007");
    QTest::newRow("10.23") << identity.arg("1023", "1299") << text.arg("KVT22B07", "10.23", "12/2099");
    QTest::newRow("0.05") << identity.arg("0005", "0100") << text.arg("KVT22B07", "0.05", "01/2000");
    // Every byte waiting when a reply comes enters the identity.
    QTest::newRow("doubled first reply") << identity.arg("0312", "0607") + " --double-echo-at 1"
                                         << text.arg("KKVT22B07", "3.12", "06/2007");
}

void EngineTest::readsTheIdentity()
{
    QFETCH(QString, unit);
    QFETCH(QString, shown);
    SimUnit sim;
    QVERIFY(sim.start(unit.split(u' ')));
    m_engine->startReadId(SerialSettings{2, true, true, false}, sim.device());
    QVERIFY(m_finished->wait(5000));
    QCOMPARE(m_opened->at(0).at(0).toString(), QStringLiteral("Serial port COM 2 successfully opened..."));
    QCOMPARE(outcome().kind, Outcome::Identified);
    QCOMPARE(outcome().title, QStringLiteral("Device ID"));
    QVERIFY(!outcome().exclamation);
    QCOMPARE(outcome().text, shown);
    QCOMPARE(sim.requests(), identityRequests());
}

void EngineTest::cancelStopsAtOnce()
{
    SimUnit sim;
    QVERIFY(sim.start({"--delay", "2"}));
    connect(m_engine.get(), &ProgrammingEngine::progressed, this, [this](int done) {
        if (done == 4)
            m_engine->cancel();
    });
    m_engine->startWrite(unitFile(smallFile()), SerialSettings{}, sim.device());
    m_engine->startReadId(SerialSettings{}, sim.device());   // busy: ignored
    QVERIFY(m_finished->wait(5000));
    QCOMPARE(outcome().kind, Outcome::Cancelled);
    QCOMPARE(outcome().bytesProgrammed, 4);
    QVERIFY(!m_engine->isBusy());
    QTest::qWait(100);
    QCOMPARE(sim.requests().size(), 4);
    QCOMPARE(m_finished->size(), 1);

    // Cancelled before it began: nothing opened, nothing sent.
    m_opened->clear();
    m_engine->startReadId(SerialSettings{}, sim.device());
    m_engine->cancel();
    QCOMPARE(m_finished->size(), 2);
    QTest::qWait(50);
    QVERIFY(m_opened->isEmpty());
    QCOMPARE(sim.requests().size(), 4);
}

// The window shows its message from the finished() slot, in a nested event
// loop longer than a time-out, with the port still open, and may be closed
// meanwhile: late bytes and the timer must not reach the finished operation.
void EngineTest::finishedRunsWithThePortStillOpen()
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
void EngineTest::bytesWaitingAreTheReply()
{
    RawPty pty;
    connect(m_engine.get(), &ProgrammingEngine::portOpened, this, [&pty] {
        QCOMPARE(::write(pty.master, "X", 1), 1);   // the echo of 088, early
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
    });
    QElapsedTimer clock;
    clock.start();
    m_engine->startWrite(unitFile("001001088\r\n001002088\r\nGPRS:\r\n"), SerialSettings{}, pty.name);
    QVERIFY(m_finished->wait(5000));
    // The first request took the waiting byte; the second got no reply.
    QCOMPARE(outcome().kind, Outcome::TimedOut);
    QCOMPARE(outcome().bytesProgrammed, 1);
    QVERIFY(clock.elapsed() < 1900);
    char sent[16];
    QCOMPARE(::read(pty.master, sent, sizeof sent), 8);
    QCOMPARE(QByteArray(sent, 8), QByteArray("W\x01\x01XW\x01\x02X"));
}

// An owner may go away from inside any of the engine's signals (a window
// closed by its slot): nothing more is sent and nothing is touched.
void EngineTest::deletedFromItsOwnSignals_data()
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

void EngineTest::deletedFromItsOwnSignals()
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

QTEST_GUILESS_MAIN(EngineTest)
#include "test_engine.moc"
