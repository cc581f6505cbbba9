#include "sim/simulator.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace kvt::sim {

namespace {

// Nanoseconds for one byte on a 9600-baud line: a start bit, eight data
// bits and a stop bit.
constexpr long long ByteNs = 10LL * 1000000000LL / 9600;

// How long a due hang-up waits for an idle client to read the last reply.
constexpr int HangupGraceMs = 100;

long long nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

} // namespace

Simulator::Simulator(const Options &options) : m_options(options), m_unit(options) {}

Simulator::~Simulator()
{
    if (m_log)
        std::fclose(m_log);
    close();
}

bool Simulator::open()
{
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        std::perror("kvt-unit-sim: openpty");
        return false;
    }
    termios tio{};
    tcgetattr(m_slave, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(m_slave, TCSANOW, &tio);
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_device = QString::fromLocal8Bit(name);

    if (!m_options.logPath.isEmpty()) {
        m_log = std::fopen(QFile::encodeName(m_options.logPath).constData(), "w");
        if (!m_log) {
            std::perror("kvt-unit-sim: --log");
            return false;
        }
    }
    return m_options.linkPath.isEmpty() || makeLink();
}

void Simulator::run(int stopFd)
{
    m_stopFd = stopFd;
    QByteArray pending;
    long long pendingSince = 0;
    while (true) {
        long long deadline = m_unit.hangupDue() ? nowNs() + HangupGraceMs * 1000000LL : -1;
        const long long unitChange = unitDeadline();
        if (unitChange >= 0 && (deadline < 0 || unitChange < deadline))
            deadline = unitChange;
        const int ready = waitFor(m_master, deadline);
        if (ready < 0 || (ready == 0 && m_unit.hangupDue()))
            return; // stopped, or the hang-up is due and the client is idle
        if (ready == 0) {
            advanceUnits(nowNs());
            continue;
        }
        // Set before the bytes leave the line: idle(), which looks at the
        // line first, finds them either there or in service.
        m_serving = true;
        const bool goOn = readAndServe(pending, pendingSince);
        m_serving = false;
        if (!goOn)
            return;
    }
}

bool Simulator::readAndServe(QByteArray &pending, long long &pendingSince)
{
    char buffer[512];
    const ssize_t got = ::read(m_master, buffer, sizeof buffer);
    if (got < 0)
        return errno == EINTR || errno == EAGAIN;
    if (got == 0)
        return false;
    if (pending.isEmpty())
        pendingSince = nowNs();
    pending.append(buffer, got);
    return serve(pending, pendingSince);
}

void Simulator::finish()
{
    if (!m_options.savePath.isEmpty())
        saveMemory();
    removeLink();
    if (m_log)
        std::fflush(m_log);
}

void Simulator::close()
{
    const std::lock_guard lock(m_lineMutex);
    for (int *fd : {&m_master, &m_slave}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

bool Simulator::idle() const
{
    const std::lock_guard lock(m_lineMutex);
    int unread = 0;
    if (m_master < 0 || ::ioctl(m_master, FIONREAD, &unread) != 0 || unread != 0)
        return false;
    return !m_serving; // looked at after the line, see run()
}

// Waits for `fd` to become readable, until the monotonic time `deadlineNs`
// (forever when negative). 1: readable, 0: the deadline passed, -1: a stop
// came or the wait failed.
int Simulator::waitFor(int fd, long long deadlineNs) const
{
    while (true) {
        pollfd fds[2] = {{m_stopFd, POLLIN, 0}, {fd, POLLIN, 0}};
        timespec timeout{};
        if (deadlineNs >= 0) {
            const long long left = std::max(deadlineNs - nowNs(), 0LL);
            timeout = {time_t(left / 1000000000LL), long(left % 1000000000LL)};
        }
        const int n = ::ppoll(fds, fd >= 0 ? 2 : 1, deadlineNs >= 0 ? &timeout : nullptr, nullptr);
        if (n < 0 && errno != EINTR) {
            std::perror("kvt-unit-sim: poll");
            return -1;
        }
        if (n > 0 && fds[0].revents != 0)
            return -1;
        if (n > 0)
            return 1;
        if (n == 0 && nowNs() >= deadlineNs)
            return 0;
    }
}

// Sleeps until the monotonic time `ns`; false when a stop came.
bool Simulator::sleepUntil(long long ns) const
{
    return waitFor(-1, ns) == 0;
}

// Answers every whole request at the front of `pending`.
bool Simulator::serve(QByteArray &pending, long long &arrival)
{
    while (const auto request = Unit::takeRequest(pending)) {
        if (!reply(*request, arrival))
            return false;
        arrival = nowNs();
    }
    return true;
}

// In a line of units, whether a unit is there to take the request. A unit
// that has been written leaves the line when anything but a write comes
// (the fitter took it away before asking the next one) or after the pause.
bool Simulator::unitTakes(const programmer::protocol::Request &request)
{
    if (!m_options.units)
        return true;
    const long long now = nowNs();
    advanceUnits(now);
    if (m_present && m_written && request.command != programmer::protocol::WriteCommand) {
        m_present = false;
        m_leftNs = now;
    }
    m_lastRequestNs = now;
    if (m_present && request.command == programmer::protocol::WriteCommand)
        m_written = true;
    return m_present;
}

// When the unit on the line leaves, or the next one comes; -1: never.
long long Simulator::unitDeadline() const
{
    const long long pause = m_options.pauseMs * 1000000LL;
    if (!m_options.units)
        return -1;
    if (m_present)
        return m_written ? m_lastRequestNs + pause : -1;
    return m_unitNumber < *m_options.units ? m_leftNs + pause : -1;
}

void Simulator::advanceUnits(long long now)
{
    const long long due = unitDeadline();
    if (due < 0 || now < due)
        return;
    if (m_present) {
        m_present = false;
        m_leftNs = due;
        advanceUnits(now);
        return;
    }
    ++m_unitNumber;
    m_unit.nextUnit();
    m_present = true;
    m_written = false;
}

bool Simulator::reply(const programmer::protocol::Request &request, long long arrival)
{
    if (m_unit.hangupDue())
        return false;
    if (m_log) {
        std::fputs(Unit::logLine(request).constData(), m_log);
        std::fflush(m_log);
    }
    if (!unitTakes(request))
        return true; // no unit on the line: no answer
    const QByteArray bytes = m_unit.answer(request);
    if (bytes.isEmpty())
        return true;

    // The request is seen once its bytes have crossed the line, the reply
    // leaves after the delay and arrives after its own bytes.
    const long long byteNs = m_options.paced ? ByteNs : 0;
    const long long size = programmer::protocol::requestSize(request.command);
    const long long requestDone = std::max(arrival, m_lineInFree) + size * byteNs;
    m_lineInFree = requestDone;
    const long long replyStart = std::max(requestDone + m_options.delayMs * 1000000LL,
                                          m_lineOutFree);
    const long long replyDone = replyStart + bytes.size() * byteNs;
    m_lineOutFree = replyDone;
    if (replyDone > nowNs() && !sleepUntil(replyDone))
        return false;

    // Both bytes of a doubled echo go out in one write, so that the client
    // finds them together. Closing the line at once after a due hang-up
    // would discard the reply still waiting on the client's side; it drops
    // when the next request comes or when the client has been idle a moment.
    return ::write(m_master, bytes.constData(), bytes.size()) == bytes.size();
}

// Memory lines in the order their addresses were first written.
void Simulator::saveMemory() const
{
    const QByteArray text = m_unit.memoryLines();
    QSaveFile file(m_options.savePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        std::fprintf(stderr, "kvt-unit-sim: cannot save %s\n", qPrintable(m_options.savePath));
}

bool Simulator::makeLink()
{
    const QByteArray link = QFile::encodeName(m_options.linkPath);
    const QFileInfo info(m_options.linkPath);
    if (info.isSymLink()) {
        ::unlink(link.constData());
    } else if (info.exists()) {
        std::fprintf(stderr, "kvt-unit-sim: %s exists and is no link, left alone\n",
                     link.constData());
        return false;
    }
    if (::symlink(QFile::encodeName(m_device).constData(), link.constData()) != 0) {
        std::perror("kvt-unit-sim: --link");
        return false;
    }
    m_linked = true;
    return true;
}

void Simulator::removeLink()
{
    if (!m_linked)
        return;
    const QFileInfo info(m_options.linkPath);
    if (info.isSymLink() && info.symLinkTarget() == m_device)
        ::unlink(QFile::encodeName(m_options.linkPath).constData());
    m_linked = false;
}

} // namespace kvt::sim
