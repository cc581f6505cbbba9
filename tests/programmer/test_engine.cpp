// The programming engine against a simulated unit on a real pseudo-terminal.

#include "programmer/engine.h"

#include "image/configfile.h"
#include "image/document.h"
#include "image/encoder.h"

#include "simunit.h"
#include "testenv.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
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

// Ten memory lines of bank 2 (value 000 among them), then a GPRS line.
QByteArray smallFile()
{
    QByteArray text;
    for (int i = 0; i < 10; ++i)
        text += QByteArray("002") + QByteArray::number(100 + i) + QByteArray::number(i * 7 + 100).right(3)
            + "\r\n";
    text.replace("002100100", "002100000");
    return text + "GPRS:apn\r\n\r\n";
}

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

Outcome lastOutcome(const QSignalSpy &spy)
{
    return spy.last().at(0).value<Outcome>();
}

} // namespace

class EngineTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writesASavedFileInFileOrder();
    void countsTheLinesBeforeTheFirstGprsLine_data();
    void countsTheLinesBeforeTheFirstGprsLine();
    void failuresStopWhereTheyShould_data();
    void failuresStopWhereTheyShould();
    void refusedBeforeAnyByte_data();
    void refusedBeforeAnyByte();
    void readsTheIdentity_data();
    void readsTheIdentity();
    void identityTimesOutAtAddress20();
    void identityTakesEveryWaitingByte();
    void cancelStopsAtOnce();
    void portStaysOpenWhileFinishedRuns();
    void cancelDuringFinishedClosesOnce();
    void bytesWaitingAreTheReply();
    void deletedFromItsOwnSignals_data();
    void deletedFromItsOwnSignals();

private:
    QString writeFile(const QByteArray &bytes);
    QList<QVariant> run(SimUnit &sim, const QString &file);

    std::unique_ptr<TestFolders> m_folders;
    std::unique_ptr<ProgrammingEngine> m_engine;
};

void EngineTest::init()
{
    m_folders = std::make_unique<TestFolders>();
    m_engine = std::make_unique<ProgrammingEngine>();
}

void EngineTest::cleanup()
{
    m_engine.reset();
    m_folders.reset();
}

QString EngineTest::writeFile(const QByteArray &bytes)
{
    const QString path = m_folders->file(QStringLiteral("unit.kvt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void EngineTest::writesASavedFileInFileOrder()
{
    const QString path = m_folders->file(QStringLiteral("saved.kvt"));
    QVERIFY(kvt::image::writeConfigurationFile(
        path, kvt::image::encodeParameters(kvt::image::startupDocument())));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray fileBytes = saved.readAll();

    SimUnit sim;
    QVERIFY(sim.start());
    QSignalSpy opened(m_engine.get(), &ProgrammingEngine::portOpened);
    QSignalSpy range(m_engine.get(), &ProgrammingEngine::rangeChanged);
    QSignalSpy progress(m_engine.get(), &ProgrammingEngine::progressed);
    QSignalSpy finished(m_engine.get(), &ProgrammingEngine::finished);
    SerialSettings settings;
    settings.port = 3;
    QElapsedTimer clock;
    clock.start();
    m_engine->startWrite(path, settings, sim.device());
    QVERIFY(m_engine->isBusy());
    QVERIFY(finished.wait(30000));
    qInfo("4389 requests in %lld ms", clock.elapsed());
    QVERIFY(!m_engine->isBusy());

    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("Serial port COM 3 successfully opened..."));
    QCOMPARE(range.size(), 1);
    QCOMPARE(range.at(0).at(0).toInt(), 4389);
    QCOMPARE(progress.size(), 4389);
    QCOMPARE(progress.at(11).at(2).toString(), QStringLiteral("12 of 4389 bytes successfully programmed"));
    QCOMPARE(progress.last().at(0).toInt(), 4389);

    const Outcome outcome = lastOutcome(finished);
    QCOMPARE(outcome.kind, Outcome::Programmed);
    QCOMPARE(outcome.title, QStringLiteral("Programming Message"));
    QVERIFY2(outcome.text.startsWith(summaryHead(4389, 4389)), qPrintable(outcome.text));
    QVERIFY(outcome.text.endsWith(QStringLiteral("sec")));
    QVERIFY(!outcome.exclamation);
    QCOMPARE(outcome.bytesProgrammed, 4389);

    QCOMPARE(sim.requests(), writeRequests(fileBytes));
    QVERIFY(sim.stop());
    // The unit's memory holds the file's memory lines, in file order.
    const qsizetype gprs = fileBytes.indexOf("GPRS:");
    QCOMPARE(sim.savedMemory(), fileBytes.left(gprs));
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
    QSignalSpy range(m_engine.get(), &ProgrammingEngine::rangeChanged);
    QSignalSpy progress(m_engine.get(), &ProgrammingEngine::progressed);
    QSignalSpy finished(m_engine.get(), &ProgrammingEngine::finished);
    m_engine->startWrite(writeFile(file), SerialSettings{}, sim.device());
    QVERIFY(finished.wait(5000));
    const int count = int(requests.size());
    QCOMPARE(range.at(0).at(0).toInt(), count);
    QCOMPARE(progress.size(), count);
    const Outcome outcome = lastOutcome(finished);
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(outcome.bytesProgrammed, count);
    if (kind == Outcome::EndedSilently)
        QVERIFY(outcome.text.isEmpty());
    else if (count == 0)
        QCOMPARE(outcome.text, summaryHead(0, 0) + QStringLiteral("0sec"));
    else
        QVERIFY(outcome.text.startsWith(summaryHead(count, count)));
    QCOMPARE(sim.requests(), requests);
}

void EngineTest::failuresStopWhereTheyShould_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("acknowledged");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");

    QTest::newRow("wrong echo at 5")
        << QStringList{"--wrong-echo-at", "5"} << int(Outcome::InvalidReply)
        << "Programming Error Message" << InvalidReplyText << 4 << 5 << 0 << 900;
    QTest::newRow("doubled echo at 3")
        << QStringList{"--double-echo-at", "3"} << int(Outcome::InvalidReply)
        << "Programming Error Message" << InvalidReplyText << 2 << 3 << 0 << 900;
    // A doubled echo on the first request: the value 000 twice.
    QTest::newRow("doubled echo of 000")
        << QStringList{"--double-echo-at", "1"} << int(Outcome::InvalidReply)
        << "Programming Error Message" << InvalidReplyText << 0 << 1 << 0 << 900;
    QTest::newRow("silent after 6")
        << QStringList{"--silent-after", "6"} << int(Outcome::TimedOut)
        << "Progrmming Error Message" << WriteTimeoutText << 6 << 7 << 990 << 1900;
    QTest::newRow("hang-up after 4")
        << QStringList{"--hangup-after", "4"} << int(Outcome::TimedOut)
        << "Progrmming Error Message" << WriteTimeoutText << 4 << 4 << 0 << 900;
}

void EngineTest::failuresStopWhereTheyShould()
{
    QFETCH(QStringList, options);
    QFETCH(int, kind);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(int, acknowledged);
    QFETCH(int, requests);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);

    SimUnit sim;
    QVERIFY(sim.start(options));
    QSignalSpy progress(m_engine.get(), &ProgrammingEngine::progressed);
    QSignalSpy finished(m_engine.get(), &ProgrammingEngine::finished);
    QElapsedTimer clock;
    clock.start();
    m_engine->startWrite(writeFile(smallFile()), SerialSettings{}, sim.device());
    QVERIFY(finished.wait(5000));
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= minMs && elapsed <= maxMs, qPrintable(QString::number(elapsed)));

    const Outcome outcome = lastOutcome(finished);
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(outcome.title, title);
    QCOMPARE(outcome.text, text);
    QVERIFY(outcome.exclamation);
    QCOMPARE(outcome.bytesProgrammed, acknowledged);
    QCOMPARE(outcome.memoryLineCount, 10);
    QCOMPARE(progress.size(), acknowledged);
    QVERIFY(!m_engine->isBusy());
    // Nothing more goes out after the failure.
    QTest::qWait(50);
    QCOMPARE(sim.requests(), writeRequests(smallFile()).mid(0, requests));
}

// Nothing reaches the unit from a file that fails the line check, nor
// through a port that does not open.
void EngineTest::refusedBeforeAnyByte_data()
{
    QTest::addColumn<QByteArray>("file");   // empty: a missing file
    QTest::addColumn<bool>("deviceThere");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    const QString invalid = "Invalid or corrupted configuration file, programming aborted...";
    const QString openFailed = "Unable to open the Serial Port, Programming aborted...";
    QTest::newRow("letters in a memory line") << QByteArray("001001001\r\nABCDEFGHI\r\nGPRS:\r\n")
                                              << true << int(Outcome::InvalidFile) << invalid;
    QTest::newRow("value 256") << QByteArray("001001256\r\nGPRS:\r\n") << true
                               << int(Outcome::InvalidFile) << invalid;
    // Empty lines pass the line check, but not in this number.
    QTest::newRow("over 16 MiB") << QByteArray("\r\n").repeated(8 * 1024 * 1024 + 1) << true
                                 << int(Outcome::InvalidFile) << invalid;
    QTest::newRow("missing file") << QByteArray() << true << int(Outcome::InvalidFile)
                                  << "Unable to read the configuration file, programming aborted...";
    QTest::newRow("no device") << smallFile() << false << int(Outcome::OpenFailed) << openFailed;
}

void EngineTest::refusedBeforeAnyByte()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, deviceThere);
    QFETCH(int, kind);
    QFETCH(QString, text);
    SimUnit sim;
    QVERIFY(sim.start());
    const QString device = deviceThere ? sim.device() : m_folders->file("no-such-tty");
    const QString path = file.isEmpty() ? m_folders->file("missing.kvt") : writeFile(file);
    QSignalSpy opened(m_engine.get(), &ProgrammingEngine::portOpened);
    QSignalSpy finished(m_engine.get(), &ProgrammingEngine::finished);
    m_engine->startWrite(path, SerialSettings{}, device);
    QVERIFY(finished.wait(5000));
    const Outcome outcome = lastOutcome(finished);
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(outcome.title, QStringLiteral("Error Message"));
    QCOMPARE(outcome.text, text);
    QVERIFY(outcome.exclamation);
    if (!deviceThere) {   // the identity read names the same failure
        m_engine->startReadId(SerialSettings{}, device);
        QVERIFY(finished.wait(5000));
        QCOMPARE(lastOutcome(finished).text, text);
    }
    QVERIFY(opened.isEmpty());
    QTest::qWait(20);
    QVERIFY(sim.requests().isEmpty());
}

void EngineTest::readsTheIdentity_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("shownDate");
    QTest::newRow("3.12") << "0312" << "0607" << "3.12" << "06/2007";
    QTest::newRow("10.23") << "1023" << "1299" << "10.23" << "12/2099";
    QTest::newRow("0.05") << "0005" << "0100" << "0.05" << "01/2000";
    QTest::newRow("12.05") << "1205" << "0607" << "12.05" << "06/2007";
}

void EngineTest::readsTheIdentity()
{
    QFETCH(QString, firmware);
    QFETCH(QString, date);
    QFETCH(QString, version);
    QFETCH(QString, shownDate);

    SimUnit sim;
    QVERIFY(sim.start({"--identifier", "KVT22B07", "--serial", "000123456", "--firmware", firmware,
                       "--date", date}));
    QSignalSpy opened(m_engine.get(), &ProgrammingEngine::portOpened);
    QSignalSpy finished(m_engine.get(), &ProgrammingEngine::finished);
    SerialSettings settings;
    settings.port = 2;
    m_engine->startReadId(settings, sim.device());
    QVERIFY(finished.wait(5000));
    QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("Serial port COM 2 successfully opened..."));
    const Outcome outcome = lastOutcome(finished);
    QCOMPARE(outcome.kind, Outcome::Identified);
    QCOMPARE(outcome.title, QStringLiteral("Device ID"));
    QVERIFY(!outcome.exclamation);
    QCOMPARE(outcome.text, QStringLiteral("Identifier: KVT22B07    Serial number: 000123456    "
                                          "Firmware version: %1    Manufacturing date: %2")
                               .arg(version, shownDate));

    QStringList expected;
    for (int address = 10; address <= 38; ++address) {
        if (address < 27 || address > 30)
            expected << QStringLiteral("R 000 %1").arg(address, 3, 10, QLatin1Char('0'));
    }
    QCOMPARE(sim.requests(), expected);
}

void EngineTest::identityTimesOutAtAddress20()
{
    SimUnit sim;
    QVERIFY(sim.start({"--silent-after", "10"}));   // address 20 is the 11th request
    QSignalSpy finished(m_engine.get(), &ProgrammingEngine::finished);
    QElapsedTimer clock;
    clock.start();
    m_engine->startReadId(SerialSettings{}, sim.device());
    QVERIFY(finished.wait(5000));
    QVERIFY(clock.elapsed() >= 990);
    const Outcome outcome = lastOutcome(finished);
    QCOMPARE(outcome.kind, Outcome::TimedOut);
    QCOMPARE(outcome.title, QStringLiteral("Reading Error Message"));
    QCOMPARE(outcome.text, ReadTimeoutText);
    QVERIFY(outcome.exclamation);
    QCOMPARE(sim.requests().size(), 11);
    QCOMPARE(sim.requests().last(), QStringLiteral("R 000 020"));
}

void EngineTest::identityTakesEveryWaitingByte()
{
    SimUnit sim;
    QVERIFY(sim.start({"--identifier", "ABCDEFGH", "--double-echo-at", "1"}));
    QSignalSpy finished(m_engine.get(), &ProgrammingEngine::finished);
    m_engine->startReadId(SerialSettings{}, sim.device());
    QVERIFY(finished.wait(5000));
    // Both bytes of the first reply enter the identifier.
    QVERIFY2(lastOutcome(finished).text.startsWith(QStringLiteral("Identifier: AABCDEFGH    ")),
             qPrintable(lastOutcome(finished).text));

    // A unit that hangs up in the middle gives the reading time-out at once.
    SimUnit gone;
    QVERIFY(gone.start({"--hangup-after", "3"}));
    QElapsedTimer clock;
    clock.start();
    m_engine->startReadId(SerialSettings{}, gone.device());
    QVERIFY(finished.wait(5000));
    QVERIFY(clock.elapsed() < 900);
    QCOMPARE(lastOutcome(finished).text, ReadTimeoutText);
}

void EngineTest::cancelStopsAtOnce()
{
    SimUnit sim;
    QVERIFY(sim.start({"--delay", "2"}));
    QSignalSpy finished(m_engine.get(), &ProgrammingEngine::finished);
    connect(m_engine.get(), &ProgrammingEngine::progressed, this, [this](int done) {
        if (done == 4)
            m_engine->cancel();
    });
    m_engine->startWrite(writeFile(smallFile()), SerialSettings{}, sim.device());
    m_engine->startReadId(SerialSettings{}, sim.device());   // busy: ignored
    QVERIFY(finished.wait(5000));
    QCOMPARE(finished.size(), 1);
    QCOMPARE(lastOutcome(finished).kind, Outcome::Cancelled);
    QCOMPARE(lastOutcome(finished).bytesProgrammed, 4);
    QVERIFY(!m_engine->isBusy());
    QTest::qWait(100);
    QCOMPARE(sim.requests().size(), 4);
    QCOMPARE(finished.size(), 1);

    // Cancelled before it began: nothing opened, nothing sent.
    QSignalSpy opened(m_engine.get(), &ProgrammingEngine::portOpened);
    m_engine->startReadId(SerialSettings{}, sim.device());
    m_engine->cancel();
    QCOMPARE(finished.size(), 2);
    QTest::qWait(50);
    QVERIFY(opened.isEmpty());
    QCOMPARE(sim.requests().size(), 4);
}

// The window shows its message from the finished() slot, in a nested
// event loop, with the port still open; late bytes and the time-out timer
// must not reach the finished operation, and the port closes afterwards.
void EngineTest::portStaysOpenWhileFinishedRuns()
{
    SimUnit sim;
    QVERIFY(sim.start({"--wrong-echo-at", "2"}));
    int calls = 0;
    bool lockedWhileShown = false;
    connect(m_engine.get(), &ProgrammingEngine::finished, this, [&] {
        ++calls;
        QSerialPort other(sim.device());
        lockedWhileShown = !other.open(QIODevice::ReadWrite);
        QEventLoop modal;
        QTimer::singleShot(1200, &modal, &QEventLoop::quit);
        modal.exec();
    });
    QSignalSpy finished(m_engine.get(), &ProgrammingEngine::finished);
    m_engine->startWrite(writeFile(smallFile()), SerialSettings{}, sim.device());
    QVERIFY(finished.wait(5000));
    QCOMPARE(calls, 1);
    QVERIFY(lockedWhileShown);
    QVERIFY(!m_engine->isBusy());
    QSerialPort again(sim.device());
    QVERIFY(again.open(QIODevice::ReadWrite));
    again.close();
    QCOMPARE(sim.requests().size(), 2);
}

void EngineTest::cancelDuringFinishedClosesOnce()
{
    SimUnit sim;
    QVERIFY(sim.start());
    QSignalSpy finished(m_engine.get(), &ProgrammingEngine::finished);
    bool busyInSlot = false;
    connect(m_engine.get(), &ProgrammingEngine::finished, this, [&] {
        busyInSlot = m_engine->isBusy();
        m_engine->cancel();   // the window closing while its message is up
        QVERIFY(!m_engine->isBusy());
    });
    m_engine->startReadId(SerialSettings{}, sim.device());
    QVERIFY(finished.wait(5000));
    QTest::qWait(20);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(lastOutcome(finished).kind, Outcome::Identified);
    QVERIFY(busyInSlot);
    QSerialPort again(sim.device());
    QVERIFY(again.open(QIODevice::ReadWrite));
}

// A byte that came while no request was outstanding (here while the
// receiver of portOpened ran an event loop) is taken as the reply to the
// next request at once. The unit is the test itself, on its own pty.
void EngineTest::bytesWaitingAreTheReply()
{
    int master = -1, slave = -1;
    char name[256] = {};
    QCOMPARE(openpty(&master, &slave, name, nullptr, nullptr), 0);
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    ::fcntl(master, F_SETFL, O_NONBLOCK);

    connect(m_engine.get(), &ProgrammingEngine::portOpened, this, [master] {
        QCOMPARE(::write(master, "X", 1), 1);   // the echo of 088, early
        QEventLoop loop;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec();
    });
    QSignalSpy finished(m_engine.get(), &ProgrammingEngine::finished);
    QElapsedTimer clock;
    clock.start();
    m_engine->startWrite(writeFile("001001088\r\n001002088\r\nGPRS:\r\n"), SerialSettings{},
                         QString::fromLocal8Bit(name));
    QVERIFY(finished.wait(5000));
    // The first request took the waiting byte; the second got no reply.
    QCOMPARE(lastOutcome(finished).kind, Outcome::TimedOut);
    QCOMPARE(lastOutcome(finished).bytesProgrammed, 1);
    QVERIFY(clock.elapsed() < 1900);
    char sent[16];
    QCOMPARE(::read(master, sent, sizeof sent), 8);
    QCOMPARE(QByteArray(sent, 8), QByteArray("W\x01\x01XW\x01\x02X"));
    ::close(master);
    ::close(slave);
}

// An owner may go away from inside any of the engine's signals (a window
// closed by its slot): nothing more is sent and nothing is touched.
void EngineTest::deletedFromItsOwnSignals_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<QString>("signal");
    QTest::addColumn<int>("requests");
    QTest::addColumn<bool>("cancelFirst");
    QTest::newRow("write, portOpened") << true << "portOpened" << 0 << false;
    QTest::newRow("write, rangeChanged") << true << "rangeChanged" << 0 << false;
    QTest::newRow("write, progressed") << true << "progressed" << 3 << false;
    QTest::newRow("write, progressed, cancelled") << true << "progressed" << 3 << true;
    QTest::newRow("write, finished") << true << "finished" << 10 << false;
    QTest::newRow("read, portOpened") << false << "portOpened" << 0 << false;
    QTest::newRow("read, finished, cancelled") << false << "finished" << 25 << true;
}

void EngineTest::deletedFromItsOwnSignals()
{
    QFETCH(bool, write);
    QFETCH(QString, signal);
    QFETCH(int, requests);
    QFETCH(bool, cancelFirst);
    SimUnit sim;
    QVERIFY(sim.start());
    bool deleted = false;
    const auto drop = [&] {
        if (!deleted) {
            deleted = true;
            if (cancelFirst)
                m_engine->cancel();
            m_engine.reset();
        }
    };
    ProgrammingEngine *engine = m_engine.get();
    if (signal == "portOpened")
        connect(engine, &ProgrammingEngine::portOpened, this, drop);
    else if (signal == "rangeChanged")
        connect(engine, &ProgrammingEngine::rangeChanged, this, drop);
    else if (signal == "progressed")
        connect(engine, &ProgrammingEngine::progressed, this, [&](int done) {
            if (done == 3)
                drop();
        });
    else
        connect(engine, &ProgrammingEngine::finished, this, drop);
    if (write)
        engine->startWrite(writeFile(smallFile()), SerialSettings{}, sim.device());
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
