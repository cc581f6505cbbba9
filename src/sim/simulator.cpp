#include "sim/simulator.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <utility>

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
constexpr long long HangupGraceNs = 100 * 1000000LL;

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
    close();
}

bool Simulator::open()
{
    if (openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0) {
        std::perror("kvt-unit-sim: openpty");
        return false;
    }
    // Raw, for a client that sets nothing itself: no echo, no line editing.
    // The rest (speed, CREAD, HUPCL) stays as the kernel made it.
    termios tio{};
    tcgetattr(m_slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_slave, TCSANOW, &tio);
    // A program started meanwhile (by a test) does not keep the line open.
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_device = QString::fromLocal8Bit(ptsname(m_master));

    if (!m_options.logPath.isEmpty()) {
        m_log.setFileName(m_options.logPath);
        if (!m_log.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            std::fprintf(stderr, "kvt-unit-sim: --log: %s\n", qPrintable(m_log.errorString()));
            return false;
        }
    }
    return m_options.linkPath.isEmpty() || makeLink();
}

void Simulator::run(int stopFd)
{
    m_stopFd = stopFd;
    while (true) {
        // A due hang-up waits a moment for an idle client to read the last
        // reply: closing the line at once would discard it.
        const std::optional<long long> deadline = m_unit.hangupDue() ? nowNs() + HangupGraceNs
                                                                     : unitDeadline();
        const Wait wait = waitFor(m_master, deadline);
        if (wait == Wait::Stopped || m_unit.hangupDue())
            return; // stopped, or hanging up: the client is idle or asks more
        if (wait == Wait::DeadlinePassed) {
            advanceUnits(nowNs());
            continue;
        }
        // Set before the bytes leave the line: idle(), which looks at the
        // line first, finds them either there or in service.
        m_serving = true;
        const bool goOn = readAndServe();
        m_serving = false;
        if (!goOn)
            return;
    }
}

// Reads what came and answers every whole request at the front of it.
bool Simulator::readAndServe()
{
    char buffer[512];
    const ssize_t got = ::read(m_master, buffer, sizeof buffer);
    if (got <= 0)
        return false; // the line failed: the slave is held open, so no end of file
    if (m_pending.isEmpty())
        m_pendingSince = nowNs();
    m_pending.append(buffer, got);
    while (const auto request = Unit::takeRequest(m_pending)) {
        if (!reply(*request, m_pendingSince))
            return false;
        m_pendingSince = nowNs();
    }
    return true;
}

bool Simulator::finish()
{
    removeLink();
    if (m_options.savePath.isEmpty())
        return true;
    const QByteArray text = m_unit.memoryLines();
    QSaveFile file(m_options.savePath);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        return true;
    std::fprintf(stderr, "kvt-unit-sim: cannot save %s: %s\n", qPrintable(m_options.savePath),
                 qPrintable(file.errorString()));
    return false;
}

void Simulator::close()
{
    const std::lock_guard lock(m_lineMutex);
    for (int *fd : {&m_master, &m_slave}) {
        if (*fd != Closed)
            ::close(std::exchange(*fd, Closed));
    }
}

bool Simulator::idle() const
{
    const std::lock_guard lock(m_lineMutex);
    // Bytes a client has written reach the master's count only when the
    // kernel's worker has passed them on, which can take a while on a busy
    // machine; a poll of the master passes them on at once.
    pollfd line{m_master, POLLIN, 0};
    return m_master != Closed && ::poll(&line, 1, 0) == 0
        && !m_serving; // looked at after the line, see run()
}

Simulator::Wait Simulator::waitFor(int fd, std::optional<long long> deadlineNs) const
{
    while (true) {
        // poll() leaves out a negative descriptor.
        pollfd fds[] = {{m_stopFd, POLLIN, {}}, {fd, POLLIN, {}}};
        timespec timeout{};
        if (deadlineNs) {
            const long long left = std::max(*deadlineNs - nowNs(), 0LL);
            timeout = {time_t(left / 1000000000LL), long(left % 1000000000LL)};
        }
        const int n = ::ppoll(fds, std::size(fds), deadlineNs ? &timeout : nullptr, nullptr);
        if (n > 0)
            return fds[0].revents != 0 ? Wait::Stopped : Wait::Readable;
        if (n == 0)
            return Wait::DeadlinePassed;
        if (errno != EINTR) {
            std::perror("kvt-unit-sim: poll");
            return Wait::Stopped;
        }
    }
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
    const bool write = request.command == programmer::protocol::WriteCommand;
    if (m_present && m_written && !write) {
        m_present = false;
        m_leftNs = now;
    }
    m_lastRequestNs = now;
    if (m_present && write)
        m_written = true;
    return m_present;
}

// When the unit on the line leaves, or the next one comes; nothing: never.
std::optional<long long> Simulator::unitDeadline() const
{
    if (!m_options.units)
        return std::nullopt;
    const long long pause = m_options.pauseMs * 1000000LL;
    if (m_present)
        return m_written ? std::optional(m_lastRequestNs + pause) : std::nullopt;
    return m_unitNumber < *m_options.units ? std::optional(m_leftNs + pause) : std::nullopt;
}

void Simulator::advanceUnits(long long now)
{
    while (const auto due = unitDeadline()) {
        if (now < *due)
            return;
        if (m_present) {
            m_present = false;
            m_leftNs = *due;
        } else {
            ++m_unitNumber;
            m_unit.nextUnit();
            m_present = true;
            m_written = false;
        }
    }
}

bool Simulator::reply(const programmer::protocol::Request &request, long long arrival)
{
    if (m_unit.hangupDue())
        return false;
    if (m_log.isOpen())
        m_log.write(Unit::logLine(request));
    if (!unitTakes(request))
        return true; // no unit on the line: no answer
    const QByteArray bytes = m_unit.answer(request);
    if (bytes.isEmpty())
        return true;

    // The request is seen once its bytes have crossed the line, the reply
    // leaves after the delay and arrives after its own bytes.
    const long long byteNs = m_options.paced ? ByteNs : 0LL;
    const long long size = programmer::protocol::requestSize(request.command);
    const long long requestDone = std::max(arrival, m_lineInFree) + size * byteNs;
    m_lineInFree = requestDone;
    const long long replyStart = std::max(requestDone + m_options.delayMs * 1000000LL,
                                          m_lineOutFree);
    const long long replyDone = replyStart + bytes.size() * byteNs;
    m_lineOutFree = replyDone;
    // A stop meanwhile ends the wait; the loop ends after this reply.
    waitFor(Closed, replyDone);

    // Both bytes of a doubled echo go out in one write, so that the client
    // finds them together. After a due hang-up the line drops when the next
    // request comes or when the client has been idle a moment.
    return ::write(m_master, bytes.constData(), bytes.size()) == bytes.size();
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
    if (::symlink(QFile::encodeName(m_device).constData(), link.constData()) == 0)
        return true;
    std::perror("kvt-unit-sim: --link");
    return false;
}

// Only the link made here: another simulator may have taken its place since.
void Simulator::removeLink()
{
    const QFileInfo info(m_options.linkPath);
    if (info.isSymLink() && info.symLinkTarget() == m_device)
        ::unlink(QFile::encodeName(m_options.linkPath).constData());
}

} // namespace kvt::sim
