#include "programmer/operation.h"

#include "programmer/messages.h"
#include "programmer/unitport.h"

#include <QDateTime>

namespace kvt::programmer {

// Counts the steps on the stack; the last one out deletes an operation
// that is over, from the event loop.
class Operation::Step {
public:
    explicit Step(Operation *operation) : m_operation(operation) { ++operation->m_steps; }
    ~Step()
    {
        const State state = m_operation->m_state;
        if (--m_operation->m_steps == 0 && (state == State::Ended || state == State::Abandoned))
            m_operation->deleteLater();
    }
    Step(const Step &) = delete;
    Step &operator=(const Step &) = delete;

private:
    Operation *m_operation;
};

Operation::Operation(Job job, const QString &filePath, const SerialSettings &settings,
                     const QString &device)
    : m_job(job),
      m_filePath(filePath),
      m_settings(settings),
      m_device(device),
      m_addresses(job == Job::ReadId ? identityAddresses() : QList<quint8>())
{
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setInterval(protocol::ReplyTimeoutMs);
    // A coarse timer may fire up to 5% early; the unit has its full second.
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replyTimer, &QTimer::timeout, this, &Operation::onTimeout);
}

Operation::~Operation()
{
    closePort();
}

void Operation::start()
{
    QMetaObject::invokeMethod(this, &Operation::begin, Qt::QueuedConnection);
}

std::optional<Outcome> Operation::abandon()
{
    const bool delivering = m_state == State::Delivering;
    m_state = State::Abandoned;
    disconnect(this, nullptr, nullptr, nullptr);
    closePort();
    if (m_steps == 0)
        deleteLater();
    if (delivering)
        return std::nullopt;
    return counted(messages::cancelled());
}

void Operation::begin()
{
    Step step(this);
    if (m_state != State::Queued)
        return;
    m_startStamp = QDateTime::currentSecsSinceEpoch();
    if (!isRead()) {
        m_lines = readMemoryLines(m_filePath);
        if (m_lines.status != MemoryLines::Read) {
            finish(m_lines.status == MemoryLines::Unreadable ? messages::unreadableFile()
                                                             : messages::invalidFile());
            return;
        }
    }
    QString failure;
    m_port = UnitPort::open(m_device, m_settings, &failure);
    if (!m_port) {
        finish(messages::openFailed(failure));
        return;
    }
    connect(m_port->serial(), &QSerialPort::readyRead, this, &Operation::onReadyRead);
    connect(m_port->serial(), &QSerialPort::errorOccurred, this, &Operation::onPortError);

    emit portOpened(messages::portOpened(m_settings.port));
    if (m_state != State::Queued)
        return;
    if (!isRead()) {
        emit rangeChanged(total());
        if (m_state != State::Queued)
            return;
    }
    if (total() == 0) {
        finish(lastOutcome()); // the summary reads "0 of 0"
        return;
    }
    m_state = State::Running;
    send();
}

void Operation::send()
{
    QSerialPort *port = m_port->serial();
    const QByteArray bytes = request().bytes();
    if (port->write(bytes) != bytes.size()) {
        failLater(); // reported through errorOccurred as well
        return;
    }
    // Hand the bytes to the device now rather than on the next loop pass.
    port->flush();
    m_replyTimer.start();
    // Bytes that came while no request was outstanding (a receiver of a
    // signal ran an event loop) bring no new readyRead: they wait in the
    // buffer, and they are the reply to this request.
    if (port->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &Operation::onReadyRead, Qt::QueuedConnection);
}

// The reply is every byte waiting when readyRead comes. A unit sends a
// doubled echo in one go, so both bytes arrive in the same read; a byte
// that comes after the echo was taken is (part of) the reply to the next
// request, where it makes that reply wrong or too long.
void Operation::onReadyRead()
{
    Step step(this);
    if (m_state != State::Running || !m_replyTimer.isActive())
        return; // nothing outstanding: the bytes wait for the next request
    const QByteArray reply = m_port->serial()->readAll();
    if (reply.isEmpty())
        return;
    m_replyTimer.stop();
    onReply(reply);
}

void Operation::onReply(const QByteArray &reply)
{
    if (isRead()) {
        m_identity.add(request().address, reply);
        ++m_next;
    } else {
        if (!protocol::isEcho(reply, request().value)) {
            finish(messages::invalidReply());
            return;
        }
        ++m_next;
        emit progressed(m_next, total(), messages::progress(m_next, total()));
        if (m_state != State::Running)
            return;
    }
    if (m_next < total())
        send();
    else
        finish(lastOutcome());
}

void Operation::onTimeout()
{
    Step step(this);
    if (m_state == State::Running)
        finish(noResponse());
}

// A port that fails under a running operation (adapter unplugged, the
// other end hung up) ends it with the operation's time-out message.
void Operation::onPortError(QSerialPort::SerialPortError error)
{
    Step step(this);
    if (isPortFailure(error) && m_state == State::Running)
        failLater();
}

// The failure may come from inside a write: end from the event loop, with
// the port closed first, so that a broken device cannot keep signalling
// while the message is up.
void Operation::failLater()
{
    m_replyTimer.stop();
    QMetaObject::invokeMethod(
        this,
        [this] {
            Step step(this);
            if (m_state != State::Running)
                return;
            closePort();
            finish(noResponse());
        },
        Qt::QueuedConnection);
}

void Operation::finish(Outcome outcome)
{
    m_replyTimer.stop();
    // The port's signals may still come; they find nothing running.
    m_state = State::Finishing;
    QMetaObject::invokeMethod(
        this, [this, outcome = counted(outcome)] { deliver(outcome); }, Qt::QueuedConnection);
}

void Operation::deliver(const Outcome &outcome)
{
    Step step(this);
    if (m_state != State::Finishing)
        return;
    m_state = State::Delivering;
    emit finished(outcome);
    if (m_state != State::Delivering)
        return;
    closePort();
    m_state = State::Ended;
    emit closed();
}

void Operation::closePort()
{
    m_replyTimer.stop();
    if (!m_port)
        return;
    std::exchange(m_port, nullptr)->close();
}

// A COM name without its link quietly means /dev/ttyS(N-1), which opens on
// most machines and then says nothing: the message tells so.
Outcome Operation::noResponse() const
{
    Outcome outcome = messages::noResponse(isRead());
    const PortTarget target = portTarget(m_device);
    if (target.comNumber != 0 && !target.linked)
        outcome.detail = messages::unlinkedPort(target);
    return outcome;
}

int Operation::total() const
{
    return int(isRead() ? m_addresses.size() : m_lines.requests.size());
}

protocol::Request Operation::request() const
{
    return isRead() ? protocol::readRequest(m_addresses.at(m_next)) : m_lines.requests.at(m_next);
}

// After the last reply: the identity, the summary, or no message at all
// when the file ended before any GPRS line.
Outcome Operation::lastOutcome() const
{
    if (isRead())
        return messages::identity(m_identity.text(), m_identity.identifier(),
                                  m_identity.serialNumber());
    if (!m_lines.endsAtGprsLine && total() > 0)
        return messages::endedSilently();
    // Whole seconds between two wall-clock readings, as the stamps are.
    const qint64 elapsed = qMax<qint64>(0, QDateTime::currentSecsSinceEpoch() - m_startStamp);
    return messages::summary(m_next, total(), elapsed);
}

Outcome Operation::counted(Outcome outcome) const
{
    if (!isRead()) {
        outcome.bytesProgrammed = m_next;
        outcome.memoryLineCount = total();
    }
    return outcome;
}

} // namespace kvt::programmer
