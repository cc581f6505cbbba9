#pragma once

#include "sim/options.h"
#include "sim/unit.h"

#include <QFile>
#include <QString>

#include <atomic>
#include <mutex>
#include <optional>

namespace kvt::sim {

// A simulated unit on a pseudo-terminal: it serves the unit's side of the
// protocol on the master side, and a client opens the slave device like a
// serial port. It keeps its own descriptor of the slave open, so the master
// never sees a hang-up between two clients.
//
// The loop is a plain poll() on the master: one client, one request at a
// time, and the waits that imitate a slow unit run to absolute times on the
// monotonic clock. Every wait also watches a stop descriptor, so a stop
// that comes just before a wait still ends it. The loop may run on a thread
// of its own (a test's simulated unit).
class Simulator {
public:
    explicit Simulator(const Options &options);
    ~Simulator();

    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    // Opens the pseudo-terminal, the log and the link; false after saying
    // why on stderr.
    bool open();
    QString device() const { return m_device; }

    // Serves requests until `stopFd` becomes readable, a hang-up or a read
    // failure.
    void run(int stopFd);
    // Saves the memory and removes the link; false after saying on stderr
    // that the memory could not be saved.
    bool finish();
    // Drops the line: the client sees a hang-up.
    void close();

    // True when nothing waits unread on the line and no request is being
    // served: every request sent to it so far has been logged and answered.
    bool idle() const;

private:
    enum class Wait { Readable, DeadlinePassed, Stopped };
    // Waits for `fd` (none when negative) to become readable, until the
    // monotonic time `deadlineNs` (forever without one).
    Wait waitFor(int fd, std::optional<long long> deadlineNs) const;
    bool readAndServe();
    bool reply(const programmer::protocol::Request &request, long long arrival);
    bool unitTakes(const programmer::protocol::Request &request);
    std::optional<long long> unitDeadline() const;
    void advanceUnits(long long now);
    bool makeLink();
    void removeLink();

    static constexpr int Closed = -1; // a descriptor not open

    const Options m_options;
    Unit m_unit;
    int m_master = Closed;
    int m_slave = Closed;
    int m_stopFd = Closed;
    QString m_device;
    QFile m_log;
    QByteArray m_pending;         // bytes read that make no whole request yet
    long long m_pendingSince = 0; // when the first of them arrived
    long long m_lineInFree = 0;
    long long m_lineOutFree = 0;
    // A line of units (--units): one is on the line or none, between two.
    long m_unitNumber = 1;
    bool m_present = true;
    bool m_written = false;
    long long m_lastRequestNs = 0;
    long long m_leftNs = 0;
    std::atomic<bool> m_serving = false;
    mutable std::mutex m_lineMutex; // idle() against close() on another thread
};

} // namespace kvt::sim
