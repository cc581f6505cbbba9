// kvt-unit-sim: a simulated tracking unit on a pseudo-terminal.
//
// It serves the unit's side of the serial protocol on the master side of a
// pty and prints the slave device's path as the first line of its output,
// so that the programmer (or `kvt write`) can open that path like a serial
// port. The simulator keeps its own descriptor of the slave open, so the
// master never sees a hang-up between two clients.
//
// The loop is a plain poll() on the master: one client, one request at a
// time, and the waits that imitate a slow unit run to absolute times on the
// monotonic clock. Every wait also watches a pipe that the stop signals
// write to, so a signal that comes just before a wait still ends it.

#include "image/charset.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <map>
#include <optional>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace kvt::sim {
namespace {

volatile std::sig_atomic_t stopRequested = 0;
int stopPipe[2] = {-1, -1};

void onStopSignal(int)
{
    stopRequested = 1;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(stopPipe[1], &byte, 1);
}

// The longest reply delay taken: a minute is far beyond any time-out.
constexpr long MaxDelayMs = 60000;

struct Options {
    QByteArray identifier = "KVT00001";
    QByteArray serialNumber = "000000001";
    QByteArray firmware = "0312";
    QByteArray date = "0607";
    QString linkPath;
    QString savePath;
    QString logPath;
    int delayMs = 0;
    bool paced = false;
    std::optional<long> silentAfter;
    std::optional<long> wrongEchoAt;
    std::optional<long> doubleEchoAt;
    std::optional<long> hangupAfter;
};

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

// Waits for `fd` to become readable, until the monotonic time `deadlineNs`
// (forever when negative). 1: readable, 0: the deadline passed, -1: a stop
// signal came or the wait failed.
int waitFor(int fd, long long deadlineNs)
{
    while (!stopRequested) {
        pollfd fds[2] = {{stopPipe[0], POLLIN, 0}, {fd, POLLIN, 0}};
        timespec timeout{};
        if (deadlineNs >= 0) {
            const long long left = std::max(deadlineNs - nowNs(), 0LL);
            timeout = {static_cast<time_t>(left / 1000000000LL), static_cast<long>(left % 1000000000LL)};
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
    return -1;
}

// Sleeps until the monotonic time `ns`; false when a stop signal came.
bool sleepUntil(long long ns)
{
    return waitFor(-1, ns) == 0;
}

class UnitSimulator {
public:
    explicit UnitSimulator(Options options)
        : m_options(std::move(options)), m_hangupDue(m_options.hangupAfter == 0L)
    {
        auto put = [this](int address, const QByteArray &text) {
            for (int i = 0; i < text.size(); ++i)
                m_identity[address + i] = static_cast<unsigned char>(text[i]);
        };
        put(10, m_options.identifier);
        put(18, m_options.serialNumber);
        put(31, m_options.firmware);
        put(35, m_options.date);
    }

    ~UnitSimulator()
    {
        if (m_log)
            std::fclose(m_log);
        if (m_master >= 0)
            ::close(m_master);
        if (m_slave >= 0)
            ::close(m_slave);
    }

    bool open()
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
        if (!m_options.linkPath.isEmpty() && !makeLink())
            return false;
        return true;
    }

    QString device() const { return m_device; }

    // Serves requests until a stop signal, a hang-up or a read failure.
    void run()
    {
        QByteArray pending;
        long long pendingSince = 0;
        while (true) {
            const int n = waitFor(m_master, m_hangupDue ? nowNs() + HangupGraceMs * 1000000LL : -1);
            if (n <= 0)
                return;   // stopped, or the hang-up is due and the client is idle
            char buffer[512];
            const ssize_t got = ::read(m_master, buffer, sizeof buffer);
            if (got < 0) {
                if (errno == EINTR || errno == EAGAIN)
                    continue;
                return;
            }
            if (got == 0)
                return;
            if (pending.isEmpty())
                pendingSince = nowNs();
            pending.append(buffer, got);
            if (!serve(pending, pendingSince))
                return;
        }
    }

    void finish()
    {
        if (!m_options.savePath.isEmpty())
            saveMemory();
        removeLink();
        if (m_log)
            std::fflush(m_log);
    }

private:
    // Takes every complete request off the front of `pending`. Bytes that
    // start no request are dropped, as a unit resynchronises on "W" or "R".
    bool serve(QByteArray &pending, long long &arrival)
    {
        while (!pending.isEmpty()) {
            const char kind = pending.at(0);
            const int length = kind == 'W' ? 4 : kind == 'R' ? 3 : 1;
            if (length == 1) {
                pending.remove(0, 1);
                continue;
            }
            if (pending.size() < length)
                return true;
            const QByteArray request = pending.left(length);
            pending.remove(0, length);
            if (!answer(request, arrival))
                return false;
            arrival = nowNs();
        }
        return true;
    }

    bool answer(const QByteArray &request, long long arrival)
    {
        if (m_hangupDue)
            return false;
        ++m_requests;
        const auto byteAt = [&](int i) { return static_cast<unsigned char>(request.at(i)); };
        const bool write = request.at(0) == 'W';
        const int bank = byteAt(1);
        const int address = byteAt(2);
        if (m_log) {
            if (write)
                std::fprintf(m_log, "W %03d %03d %03d\n", bank, address, byteAt(3));
            else
                std::fprintf(m_log, "R %03d %03d\n", bank, address);
            std::fflush(m_log);
        }
        if (m_options.silentAfter && m_requests > *m_options.silentAfter)
            return true;

        unsigned char reply;
        if (write) {
            reply = byteAt(3);
            store(bank, address, reply);
        } else {
            reply = peek(bank, address);
        }
        if (m_options.wrongEchoAt && m_requests == *m_options.wrongEchoAt)
            reply = static_cast<unsigned char>(reply + 1);
        QByteArray bytes(1, static_cast<char>(reply));
        if (m_options.doubleEchoAt && m_requests == *m_options.doubleEchoAt)
            bytes.append(static_cast<char>(reply));

        // The request is seen once its bytes have crossed the line, the
        // reply leaves after the delay and arrives after its own bytes.
        const long long byteNs = m_options.paced ? ByteNs : 0;
        const long long requestDone = std::max(arrival, m_lineInFree) + request.size() * byteNs;
        m_lineInFree = requestDone;
        const long long replyStart = std::max(requestDone + m_options.delayMs * 1000000LL,
                                              m_lineOutFree);
        const long long replyDone = replyStart + bytes.size() * byteNs;
        m_lineOutFree = replyDone;
        if (replyDone > nowNs() && !sleepUntil(replyDone))
            return false;

        // Both bytes of a doubled echo go out in one write, so that the
        // client finds them together.
        if (::write(m_master, bytes.constData(), bytes.size()) != bytes.size())
            return false;
        // Closing the master at once would discard the reply still waiting
        // on the client's side; the line drops when the next request comes
        // or when the client has been idle for a moment.
        if (m_options.hangupAfter && m_requests >= *m_options.hangupAfter)
            m_hangupDue = true;
        return true;
    }

    void store(int bank, int address, unsigned char value)
    {
        const int key = bank * 256 + address;
        if (bank == 0)
            m_identity[address] = value;
        if (!m_memory.contains(key))
            m_order.append(key);
        m_memory[key] = value;
    }

    unsigned char peek(int bank, int address) const
    {
        if (bank == 0) {
            const auto it = m_identity.find(address);
            return it == m_identity.end() ? 0xFF : it->second;
        }
        const auto it = m_memory.find(bank * 256 + address);
        return it == m_memory.end() ? 0xFF : it->second;
    }

    // Memory lines in the order their addresses were first written; a
    // second write to an address changes the value in place.
    void saveMemory() const
    {
        QByteArray text;
        text.reserve(m_order.size() * 11);
        for (int key : m_order) {
            char line[32];
            std::snprintf(line, sizeof line, "%03d%03d%03d\r\n", key / 256, key % 256,
                          m_memory.at(key));
            text.append(line);
        }
        QSaveFile file(m_options.savePath);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
            std::fprintf(stderr, "kvt-unit-sim: cannot save %s\n",
                         qPrintable(m_options.savePath));
    }

    bool makeLink()
    {
        const QByteArray link = QFile::encodeName(m_options.linkPath);
        const QFileInfo info(m_options.linkPath);
        if (info.isSymLink())
            ::unlink(link.constData());
        else if (info.exists()) {
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

    void removeLink()
    {
        if (!m_linked)
            return;
        const QFileInfo info(m_options.linkPath);
        if (info.isSymLink() && info.symLinkTarget() == m_device)
            ::unlink(QFile::encodeName(m_options.linkPath).constData());
        m_linked = false;
    }

    Options m_options;
    bool m_hangupDue;
    int m_master = -1;
    int m_slave = -1;
    QString m_device;
    FILE *m_log = nullptr;
    bool m_linked = false;
    long m_requests = 0;
    long long m_lineInFree = 0;
    long long m_lineOutFree = 0;
    std::map<int, unsigned char> m_identity;
    std::map<int, unsigned char> m_memory;
    QList<int> m_order;
};

std::optional<Options> parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated KVT tracking unit on a pseudo-terminal. Prints the device path as its\n"
        "first line, answers write requests with the echo of the value and read requests\n"
        "of bank 0 with its identity, until SIGTERM, SIGINT or a requested hang-up."));
    parser.addHelpOption();
    const QCommandLineOption link(QStringLiteral("link"),
        QStringLiteral("Make a symbolic link to the device (e.g. ~/.config/kvt/com1)."),
        QStringLiteral("path"));
    const QCommandLineOption save(QStringLiteral("save"),
        QStringLiteral("On exit, write the memory written as memory lines, in the order the "
                       "addresses were first written."), QStringLiteral("file"));
    const QCommandLineOption log(QStringLiteral("log"),
        QStringLiteral("Write one line per request received (\"W bbb aaa vvv\", \"R bbb aaa\")."),
        QStringLiteral("file"));
    const QCommandLineOption identifier(QStringLiteral("identifier"),
        QStringLiteral("Identifier, 8 characters (bank 0, addresses 10-17)."), QStringLiteral("text"));
    const QCommandLineOption serial(QStringLiteral("serial"),
        QStringLiteral("Serial number, 9 characters (addresses 18-26)."), QStringLiteral("text"));
    const QCommandLineOption firmware(QStringLiteral("firmware"),
        QStringLiteral("Firmware version, 4 characters, e.g. 0312 (addresses 31-34)."),
        QStringLiteral("text"));
    const QCommandLineOption date(QStringLiteral("date"),
        QStringLiteral("Manufacturing month and year, 4 characters, e.g. 0607 (addresses 35-38)."),
        QStringLiteral("text"));
    const QCommandLineOption delay(QStringLiteral("delay"),
        QStringLiteral("Wait this long before each reply, up to 60000."), QStringLiteral("ms"));
    const QCommandLineOption paced(QStringLiteral("paced"),
        QStringLiteral("Behave like a 9600-baud line: ten bit times per byte, both directions."));
    const QCommandLineOption silentAfter(QStringLiteral("silent-after"),
        QStringLiteral("Answer the first N requests, then nothing."), QStringLiteral("N"));
    const QCommandLineOption wrongEchoAt(QStringLiteral("wrong-echo-at"),
        QStringLiteral("Answer request N with a wrong byte."), QStringLiteral("N"));
    const QCommandLineOption doubleEchoAt(QStringLiteral("double-echo-at"),
        QStringLiteral("Answer request N with its byte twice, in one write."), QStringLiteral("N"));
    const QCommandLineOption hangupAfter(QStringLiteral("hangup-after"),
        QStringLiteral("Hang up (close the line and exit) after answering N requests, when the "
                       "next request comes or the line has been idle for 0.1 s."),
        QStringLiteral("N"));
    parser.addOptions({link, save, log, identifier, serial, firmware, date, delay, paced,
                       silentAfter, wrongEchoAt, doubleEchoAt, hangupAfter});
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "kvt-unit-sim: %s\n", qPrintable(parser.errorText()));
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "kvt-unit-sim: unexpected argument %s\n",
                     qPrintable(parser.positionalArguments().first()));
        return std::nullopt;
    }

    Options o;
    bool ok = true;
    auto text = [&](const QCommandLineOption &option, int length, QByteArray &out) {
        if (!parser.isSet(option))
            return;
        // The unit holds its identity in the Windows-1252 set, as the
        // programmer reads it.
        const std::optional<QByteArray> value = image::toWindows1252(parser.value(option));
        if (!value || value->size() != length) {
            std::fprintf(stderr, "kvt-unit-sim: --%s needs %d characters of the Windows-1252 set\n",
                         qPrintable(option.names().first()), length);
            ok = false;
            return;
        }
        out = *value;
    };
    auto count = [&](const QCommandLineOption &option, long minimum,
                     long maximum = LONG_MAX) -> std::optional<long> {
        if (!parser.isSet(option))
            return std::nullopt;
        bool isNumber = false;
        const long n = parser.value(option).toLong(&isNumber);
        if (!isNumber || n < minimum || n > maximum) {
            if (maximum == LONG_MAX)
                std::fprintf(stderr, "kvt-unit-sim: --%s needs a number from %ld\n",
                             qPrintable(option.names().first()), minimum);
            else
                std::fprintf(stderr, "kvt-unit-sim: --%s needs a number from %ld to %ld\n",
                             qPrintable(option.names().first()), minimum, maximum);
            ok = false;
            return std::nullopt;
        }
        return n;
    };
    text(identifier, 8, o.identifier);
    text(serial, 9, o.serialNumber);
    text(firmware, 4, o.firmware);
    text(date, 4, o.date);
    o.linkPath = parser.value(link);
    o.savePath = parser.value(save);
    o.logPath = parser.value(log);
    o.delayMs = static_cast<int>(count(delay, 0, MaxDelayMs).value_or(0));
    o.paced = parser.isSet(paced);
    o.silentAfter = count(silentAfter, 0);
    o.wrongEchoAt = count(wrongEchoAt, 1);
    o.doubleEchoAt = count(doubleEchoAt, 1);
    o.hangupAfter = count(hangupAfter, 0);
    if (!ok)
        return std::nullopt;
    return o;
}

} // namespace
} // namespace kvt::sim

int main(int argc, char *argv[])
{
    using namespace kvt::sim;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kvt-unit-sim"));

    const auto options = parseOptions(app);
    if (!options)
        return 2;

    if (::pipe(stopPipe) != 0) {
        std::perror("kvt-unit-sim: pipe");
        return 1;
    }
    for (int fd : stopPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction action{};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    UnitSimulator unit(*options);
    if (!unit.open())
        return 1;
    std::printf("%s\n", qPrintable(unit.device()));
    std::fflush(stdout);

    unit.run();
    unit.finish();
    return 0;
}
