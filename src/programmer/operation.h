#pragma once

#include "programmer/identity.h"
#include "programmer/memorylines.h"
#include "programmer/outcome.h"
#include "programmer/serialsettings.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

#include <memory>
#include <optional>

namespace kvt::programmer {

class UnitPort;

// One write of a file's memory lines, or one identity read, from the open
// of the port to its close: one request outstanding at a time, each reply
// awaited with readyRead and the single-shot reply timer.
//
// It runs in steps called from the event loop: its start, the port's
// signals, the reply timer and its own queued calls. A receiver of any of
// its signals may abandon it (the engine cancelled or deleted): the port
// closes at once, and the running step, which looks at the state after
// each signal, goes no further. An operation that ended or was abandoned
// deletes itself once none of its steps runs, so no step ever finds it
// gone.
class Operation : public QObject {
    Q_OBJECT

public:
    enum class Job { Write, ReadId };

    Operation(Job job, const QString &filePath, const SerialSettings &settings,
              const QString &device);
    ~Operation() override;

    // Begins from the event loop, so that every signal, the first one
    // included, reaches a caller that has already returned to its loop.
    void start();
    // Ends it at once: timer stopped, port closed, no further signal. The
    // outcome to report, none while finished() is being delivered.
    std::optional<Outcome> abandon();

signals:
    void portOpened(const QString &statusText);
    void rangeChanged(int maximum);
    void progressed(int done, int total, const QString &statusText);
    // Delivered from the event loop with the port still open; it closes
    // when the receivers have returned, and closed() follows.
    void finished(const kvt::programmer::Outcome &outcome);
    void closed();

private:
    enum class State { Queued, Running, Finishing, Delivering, Ended, Abandoned };
    class Step;

    void begin();
    void send();
    void onReadyRead();
    void onReply(const QByteArray &reply);
    void onTimeout();
    void onPortError(QSerialPort::SerialPortError error);
    void failLater();
    void finish(Outcome outcome);
    void deliver(const Outcome &outcome);
    void closePort();
    bool isRead() const { return m_job == Job::ReadId; }
    int total() const;
    protocol::Request request() const;
    Outcome lastOutcome() const;
    Outcome noResponse() const;
    Outcome counted(Outcome outcome) const;

    const Job m_job;
    const QString m_filePath;
    const SerialSettings m_settings;
    const QString m_device;
    State m_state = State::Queued;
    int m_steps = 0; // steps of this operation on the stack
    std::unique_ptr<UnitPort> m_port;
    QTimer m_replyTimer;
    qint64 m_startStamp = 0;
    MemoryLines m_lines;             // of a write
    const QList<quint8> m_addresses; // of an identity read
    IdentityText m_identity;
    int m_next = 0; // the request outstanding
};

} // namespace kvt::programmer
