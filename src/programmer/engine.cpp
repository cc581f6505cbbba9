#include "programmer/engine.h"

#include "image/charset.h"
#include "image/configfile.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QSerialPort>
#include <QTimer>

namespace kvt::programmer {

namespace {

const QString ErrorTitle = QStringLiteral("Error Message");
const QString InvalidFileText =
    QStringLiteral("Invalid or corrupted configuration file, programming aborted...");
const QString UnreadableFileText =
    QStringLiteral("Unable to read the configuration file, programming aborted...");
const QString OpenFailedText =
    QStringLiteral("Unable to open the Serial Port, Programming aborted...");

constexpr int ReplyTimeoutMs = 1000;
// The same limit as the configurator's file loading: a saved file is
// under 50 KB.

// The identity's bank-0 addresses, in the order they are read.
constexpr int IdentityAddresses[] = {10, 11, 12, 13, 14, 15, 16, 17,
                                     18, 19, 20, 21, 22, 23, 24, 25, 26,
                                     31, 32, 33, 34, 35, 36, 37, 38};

Outcome message(Outcome::Kind kind, const QString &title, const QString &text,
                bool exclamation)
{
    Outcome o;
    o.kind = kind;
    o.title = title;
    o.text = text;
    o.exclamation = exclamation;
    return o;
}

// Errors that mean the line is gone or broken. Setting DTR or RTS on a
// device without modem lines (a pseudo-terminal) is no such failure.
bool isPortFailure(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::UnsupportedOperationError:
    case QSerialPort::TimeoutError:
        return false;
    default:
        return true;
    }
}

} // namespace

struct ProgrammingEngine::Private {
    enum class State {
        Idle,
        Starting,    // queued, nothing done yet
        Writing,     // one write request outstanding
        Reading,     // one read request outstanding
        Finishing,   // outcome known, finished() pending or being emitted
    };
    enum class Operation { Write, ReadId };
    struct Line {
        quint8 bank, address, value;
    };

    explicit Private(ProgrammingEngine *owner) : q(owner)
    {
        replyTimer.setSingleShot(true);
        replyTimer.setInterval(ReplyTimeoutMs);
        // A coarse timer may fire up to 5% early; the unit has its full second.
        replyTimer.setTimerType(Qt::PreciseTimer);
    }

    ProgrammingEngine *q;
    State state = State::Idle;
    Operation operation = Operation::Write;
    quint64 generation = 0;
    bool emitting = false;
    QSerialPort *port = nullptr;
    QTimer replyTimer;

    QString filePath;
    SerialSettings settings;
    QString device;
    qint64 startStamp = 0;

    QList<Line> lines;
    bool sawGprs = false;
    int next = 0;
    int bytesProgrammed = 0;

    int addressIndex = 0;
    QString identityFields[4];

    void start(Operation op, const QString &path, const SerialSettings &s, const QString &dev);
    void begin();
    bool loadLines(Outcome &failure);
    bool openPort();
    void closePort();
    void sendWrite();
    void sendRead();
    void send(const QByteArray &request);
    void onReadyRead();
    void onWriteReply(const QByteArray &reply);
    void onReadReply(const QByteArray &reply);
    void onTimeout();
    void onPortError(QSerialPort::SerialPortError error);
    Outcome timeoutOutcome() const;
    Outcome summary() const;
    void finish(Outcome outcome);
    void emitFinished(Outcome outcome);
};

void ProgrammingEngine::Private::start(Operation op, const QString &path,
                                       const SerialSettings &s, const QString &dev)
{
    if (state != State::Idle)
        return;
    ++generation;
    state = State::Starting;
    operation = op;
    filePath = path;
    settings = s;
    device = dev;
    // Began from the event loop, so that every signal, the first included,
    // reaches a caller that has already returned to its loop.
    const quint64 gen = generation;
    QTimer::singleShot(0, q, [this, gen] {
        if (gen == generation && state == State::Starting)
            begin();
    });
}

void ProgrammingEngine::Private::begin()
{
    startStamp = QDateTime::currentSecsSinceEpoch();
    bytesProgrammed = 0;
    next = 0;
    lines.clear();
    sawGprs = false;

    if (operation == Operation::Write) {
        Outcome failure;
        if (!loadLines(failure)) {
            finish(failure);
            return;
        }
    }
    if (!openPort()) {
        finish(message(Outcome::OpenFailed, ErrorTitle, OpenFailedText, true));
        return;
    }
    // A receiver may cancel, restart or even delete the engine.
    const quint64 gen = generation;
    const QPointer<ProgrammingEngine> alive(q);
    emit q->portOpened(QStringLiteral("Serial port COM %1 successfully opened...")
                           .arg(settings.port));
    if (!alive || gen != generation || state != State::Starting)
        return;

    if (operation == Operation::ReadId) {
        addressIndex = 0;
        for (QString &field : identityFields)
            field.clear();
        state = State::Reading;
        sendRead();
        return;
    }

    emit q->rangeChanged(int(lines.size()));
    if (!alive || gen != generation || state != State::Starting)
        return;
    if (lines.isEmpty()) {
        // Nothing to send: the summary reads "0 of 0".
        finish(summary());
        return;
    }
    state = State::Writing;
    sendWrite();
}

// The whole file is read and checked before the port opens, so a file
// that fails the line check sends nothing. Only the memory lines before
// the first GPRS line are kept; the strict check guarantees three fields
// of 000..255 in each.
bool ProgrammingEngine::Private::loadLines(Outcome &failure)
{
    const auto bytes = image::readConfigurationBytes(filePath);
    if (!bytes) {
        failure = message(Outcome::InvalidFile, ErrorTitle, UnreadableFileText, true);
        return false;
    }
    if (!image::checkConfigurationBytes(*bytes)) {
        failure = message(Outcome::InvalidFile, ErrorTitle, InvalidFileText, true);
        return false;
    }
    for (const QByteArray &line : image::splitLines(*bytes)) {
        if (line.isEmpty())
            continue;
        if (line.startsWith("GPRS:")) {
            sawGprs = true;
            break;
        }
        lines.append({quint8(line.mid(0, 3).toInt()), quint8(line.mid(3, 3).toInt()),
                      quint8(line.mid(6, 3).toInt())});
    }
    return true;
}

bool ProgrammingEngine::Private::openPort()
{
    port = new QSerialPort(q);
    port->setPortName(portDevice(device));
    port->setBaudRate(QSerialPort::Baud9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadWrite)) {
        delete port;
        port = nullptr;
        return false;
    }
    // The modem lines follow the settings; a device without them (a
    // pseudo-terminal) refuses, which is harmless. The end-of-file switch
    // has no counterpart here and changes nothing.
    port->setDataTerminalReady(settings.dtr);
    port->setRequestToSend(settings.rts);
    // A freshly opened port starts with an empty input, as the unit's
    // earlier replies to another program are no reply to us.
    port->clear(QSerialPort::Input);
    port->clearError();

    QObject::connect(port, &QSerialPort::readyRead, q, [this] { onReadyRead(); });
    QObject::connect(port, &QSerialPort::errorOccurred, q,
                     [this](QSerialPort::SerialPortError error) { onPortError(error); });
    return true;
}

void ProgrammingEngine::Private::closePort()
{
    replyTimer.stop();
    if (!port)
        return;
    QSerialPort *closing = port;
    port = nullptr;
    QObject::disconnect(closing, nullptr, q, nullptr);
    closing->close();
    // It may be on the stack (closed from inside one of its own signals),
    // and must outlive the engine if a slot deletes the engine next.
    closing->setParent(nullptr);
    closing->deleteLater();
}

void ProgrammingEngine::Private::sendWrite()
{
    const Line &line = lines.at(next);
    const char request[4] = {'W', char(line.bank), char(line.address), char(line.value)};
    send(QByteArray(request, 4));
}

void ProgrammingEngine::Private::sendRead()
{
    const char request[3] = {'R', 0, char(IdentityAddresses[addressIndex])};
    send(QByteArray(request, 3));
}

void ProgrammingEngine::Private::send(const QByteArray &request)
{
    if (port->write(request) != request.size()) {
        // Reported through errorOccurred as well; end here in any case.
        const quint64 gen = generation;
        QTimer::singleShot(0, q, [this, gen] {
            if (gen == generation && (state == State::Writing || state == State::Reading)) {
                closePort();
                finish(timeoutOutcome());
            }
        });
        return;
    }
    // Hand the bytes to the device now rather than on the next loop pass.
    port->flush();
    replyTimer.start();
    // Bytes that came while no request was outstanding (a receiver of a
    // signal ran an event loop) are no new readyRead: they wait in the
    // buffer, and they are the reply to this request.
    if (port->bytesAvailable() > 0) {
        const quint64 gen = generation;
        QTimer::singleShot(0, q, [this, gen] {
            if (gen == generation)
                onReadyRead();
        });
    }
}

// The reply is every byte waiting when readyRead comes. The unit sends a
// doubled echo in one go, so both bytes arrive in the same read; a byte
// that comes after the echo was accepted is taken as (part of) the reply
// to the next request, where it makes that reply wrong or too long.
void ProgrammingEngine::Private::onReadyRead()
{
    if (state != State::Writing && state != State::Reading)
        return;
    if (!replyTimer.isActive())
        return;   // nothing outstanding: the bytes wait for the next request
    const QByteArray reply = port->readAll();
    if (reply.isEmpty())
        return;
    replyTimer.stop();
    if (state == State::Writing)
        onWriteReply(reply);
    else
        onReadReply(reply);
}

void ProgrammingEngine::Private::onWriteReply(const QByteArray &reply)
{
    const Line &line = lines.at(next);
    if (reply.size() != 1 || quint8(reply.at(0)) != line.value) {
        finish(message(Outcome::InvalidReply, QStringLiteral("Programming Error Message"),
                       QStringLiteral("Invalid response received from tracking unit, "
                                      "programming aborted..."),
                       true));
        return;
    }
    ++bytesProgrammed;
    ++next;
    const quint64 gen = generation;
    const QPointer<ProgrammingEngine> alive(q);
    const int total = int(lines.size());
    emit q->progressed(bytesProgrammed, total,
                       QStringLiteral("%1 of %2 bytes successfully programmed")
                           .arg(bytesProgrammed)
                           .arg(total));
    if (!alive || gen != generation || state != State::Writing)
        return;   // cancelled or deleted from a slot
    if (next < lines.size()) {
        sendWrite();
        return;
    }
    if (sawGprs) {
        finish(summary());
        return;
    }
    // The end of the file came before any GPRS line: no message.
    Outcome ended;
    ended.kind = Outcome::EndedSilently;
    finish(ended);
}

void ProgrammingEngine::Private::onReadReply(const QByteArray &reply)
{
    const int address = IdentityAddresses[addressIndex];
    const int field = address <= 17 ? 0 : address <= 26 ? 1 : address <= 34 ? 2 : 3;
    identityFields[field] += image::fromWindows1252(reply);
    if (address == 32) {
        QString &version = identityFields[2];
        if (version.startsWith(QLatin1Char('0')))
            version = version.mid(1, 1);
        version += QLatin1Char('.');
    } else if (address == 36) {
        identityFields[3] += QStringLiteral("/20");
    }
    ++addressIndex;
    if (addressIndex < int(std::size(IdentityAddresses))) {
        sendRead();
        return;
    }
    const QString text = QStringLiteral("Identifier: ") + identityFields[0]
        + QStringLiteral("    Serial number: ") + identityFields[1]
        + QStringLiteral("    Firmware version: ") + identityFields[2]
        + QStringLiteral("    Manufacturing date: ") + identityFields[3];
    finish(message(Outcome::Identified, QStringLiteral("Device ID"), text, false));
}

void ProgrammingEngine::Private::onTimeout()
{
    if (state != State::Writing && state != State::Reading)
        return;
    finish(timeoutOutcome());
}

// A port that fails under a running operation (adapter unplugged, the
// other end hung up) ends it at once with the operation's time-out message.
// The port is closed before the message, so that a broken device cannot
// keep signalling while the message is up.
void ProgrammingEngine::Private::onPortError(QSerialPort::SerialPortError error)
{
    if (!isPortFailure(error))
        return;
    if (state != State::Writing && state != State::Reading)
        return;
    // The error may come from inside a write; end from the event loop.
    const quint64 gen = generation;
    QTimer::singleShot(0, q, [this, gen] {
        if (gen == generation && (state == State::Writing || state == State::Reading)) {
            closePort();
            finish(timeoutOutcome());
        }
    });
    replyTimer.stop();
}

Outcome ProgrammingEngine::Private::timeoutOutcome() const
{
    if (operation == Operation::ReadId)
        return message(Outcome::TimedOut, QStringLiteral("Reading Error Message"),
                       QStringLiteral("No response received from tracking unit, "
                                      "Reading aborted..."),
                       true);
    return message(Outcome::TimedOut, QStringLiteral("Progrmming Error Message"),
                   QStringLiteral("No response received from tracking unit, "
                                  "programming aborted..."),
                   true);
}

Outcome ProgrammingEngine::Private::summary() const
{
    // Whole seconds between two wall-clock readings, as the stamps are.
    const qint64 elapsed = qMax<qint64>(0, QDateTime::currentSecsSinceEpoch() - startStamp);
    return message(Outcome::Programmed, QStringLiteral("Programming Message"),
                   QStringLiteral("Tracking base successfully programmed, %1 of %2 bytes "
                                  "successfully writted , Elapsed time: %3sec")
                       .arg(bytesProgrammed)
                       .arg(lines.size())
                       .arg(elapsed),
                   false);
}

// The outcome is delivered from the event loop, not from inside the port's
// own readyRead, while the port is still open; the port closes when the
// receivers have returned (a window shows its modal message meanwhile).
void ProgrammingEngine::Private::finish(Outcome outcome)
{
    replyTimer.stop();
    if (port)
        QObject::disconnect(port, nullptr, q, nullptr);
    state = State::Finishing;
    if (operation == Operation::Write) {
        outcome.bytesProgrammed = bytesProgrammed;
        outcome.memoryLineCount = int(lines.size());
    }
    const quint64 gen = generation;
    QTimer::singleShot(0, q, [this, gen, outcome] {
        if (gen == generation && state == State::Finishing)
            emitFinished(outcome);
    });
}

void ProgrammingEngine::Private::emitFinished(Outcome outcome)
{
    const quint64 gen = generation;
    QPointer<ProgrammingEngine> alive(q);
    emitting = true;
    emit q->finished(outcome);
    if (!alive)
        return;
    emitting = false;
    if (gen != generation || state != State::Finishing)
        return;   // cancelled, and perhaps restarted, from a slot
    closePort();
    state = State::Idle;
}

ProgrammingEngine::ProgrammingEngine(QObject *parent)
    : QObject(parent), d(std::make_unique<Private>(this))
{
    qRegisterMetaType<Outcome>();
    connect(&d->replyTimer, &QTimer::timeout, this, [this] { d->onTimeout(); });
}

ProgrammingEngine::~ProgrammingEngine()
{
    d->replyTimer.stop();
    if (d->port) {
        disconnect(d->port, nullptr, this, nullptr);
        d->port->close();
        // Deleted from one of the engine's signals, the engine may be
        // inside the port's own readyRead: the port goes later.
        d->port->setParent(nullptr);
        d->port->deleteLater();
        d->port = nullptr;
    }
}

void ProgrammingEngine::startWrite(const QString &filePath, const SerialSettings &settings,
                                   const QString &device)
{
    d->start(Private::Operation::Write, filePath, settings, device);
}

void ProgrammingEngine::startReadId(const SerialSettings &settings, const QString &device)
{
    d->start(Private::Operation::ReadId, QString(), settings, device);
}

void ProgrammingEngine::cancel()
{
    using State = Private::State;
    if (d->state == State::Idle)
        return;
    const bool duringFinished = d->state == State::Finishing && d->emitting;
    d->closePort();
    d->state = State::Idle;
    if (duringFinished)
        return;   // the outcome is being delivered already
    Outcome cancelled;
    cancelled.kind = Outcome::Cancelled;
    if (d->operation == Private::Operation::Write) {
        cancelled.bytesProgrammed = d->bytesProgrammed;
        cancelled.memoryLineCount = int(d->lines.size());
    }
    emit finished(cancelled);
}

bool ProgrammingEngine::isBusy() const
{
    return d->state != Private::State::Idle;
}

} // namespace kvt::programmer
