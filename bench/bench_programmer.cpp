// Writes the start-up configuration image into kvt-unit-sim and reports:
//  - with an instant unit: microseconds per write request;
//  - with --paced (the unit behaves like a 9600-baud line): the total time
//    of the engine against a bare blocking write/read loop on the same
//    simulator, and the engine's CPU time as a share of the wall time.
//
// Usage: bench_programmer [--paced] [--requests N] [--runs N] [--sim PATH]

#include "image/configfile.h"
#include "image/document.h"
#include "image/encoder.h"
#include "programmer/engine.h"
#include "programmer/memorylines.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace kvt;
using programmer::protocol::Request;

namespace {

struct Measure {
    double wallMs = 0;
    double cpuMs = 0;
    int done = 0;
};

double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

class Simulator {
public:
    bool start(const QString &program, bool paced)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, paced ? QStringList{QStringLiteral("--paced")} : QStringList{});
        if (!m_process.waitForStarted(5000))
            return false;
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(5000))
                return false;
        }
        m_device = QString::fromLocal8Bit(m_process.readLine().trimmed());
        return true;
    }
    ~Simulator()
    {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    QString device() const { return m_device; }

private:
    QProcess m_process;
    QString m_device;
};

Measure runEngine(const QString &file, const QString &device)
{
    programmer::ProgrammingEngine engine;
    QEventLoop loop;
    programmer::Outcome outcome;
    QObject::connect(&engine, &programmer::ProgrammingEngine::finished, &loop,
                     [&](const programmer::Outcome &o) {
                         outcome = o;
                         loop.quit();
                     });
    const double cpu = processCpuMs();
    QElapsedTimer clock;
    clock.start();
    engine.startWrite(file, programmer::SerialSettings{}, device);
    loop.exec();
    Measure m;
    m.wallMs = clock.nsecsElapsed() / 1e6;
    m.cpuMs = processCpuMs() - cpu;
    m.done = outcome.bytesProgrammed;
    if (outcome.kind != programmer::Outcome::Programmed)
        std::fprintf(stderr, "engine: %s\n", qPrintable(outcome.text));
    return m;
}

// The same protocol as plain blocking POSIX calls: write four bytes, wait
// for one, compare.
Measure runBareLoop(const QList<Request> &requests, const QString &device)
{
    Measure m;
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::perror("bare loop: open");
        return m;
    }
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(fd, TCSANOW, &tio);

    const double cpu = processCpuMs();
    QElapsedTimer clock;
    clock.start();
    for (const Request &r : requests) {
        const QByteArray bytes = r.bytes();
        if (::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
            break;
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, programmer::protocol::ReplyTimeoutMs) != 1)
            break;
        char reply[8];
        const ssize_t got = ::read(fd, reply, sizeof reply);
        if (got < 0 || !programmer::protocol::isEcho(QByteArray(reply, got), r.value))
            break;
        ++m.done;
    }
    m.wallMs = clock.nsecsElapsed() / 1e6;
    m.cpuMs = processCpuMs() - cpu;
    ::close(fd);
    return m;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool paced = args.contains(QStringLiteral("--paced"));
    auto valueOf = [&](const QString &name, const QString &fallback) {
        const qsizetype i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : fallback;
    };
    const QString simProgram = valueOf(QStringLiteral("--sim"), QStringLiteral(KVT_UNIT_SIM));
    const int runs = std::max(1, valueOf(QStringLiteral("--runs"), paced ? "1" : "5").toInt());

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.kvt"));
    if (!image::writeConfigurationFile(file, image::encodeParameters(image::startupDocument()))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    QFile in(file);
    in.open(QIODevice::ReadOnly);
    QByteArray bytes = in.readAll();
    in.close();
    // --requests N keeps the first N memory lines (a shorter paced run).
    if (const int limit = valueOf(QStringLiteral("--requests"), QStringLiteral("0")).toInt();
        limit > 0) {
        QList<QByteArray> lines = image::splitLines(bytes);
        QByteArray cut;
        for (int i = 0; i < limit && i < lines.size(); ++i)
            cut += lines.at(i) + "\r\n";
        bytes = cut + "GPRS:\r\n\r\n";
        QFile out(file);
        out.open(QIODevice::WriteOnly | QIODevice::Truncate);
        out.write(bytes);
    }
    const QList<Request> requests = programmer::memoryLinesOf(bytes).requests;
    const int count = int(requests.size());

    Simulator sim;
    if (!sim.start(simProgram, paced)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(simProgram));
        return 1;
    }

    if (!paced) {
        std::vector<double> perRequest;
        for (int run = 0; run < runs; ++run) {
            const Measure m = runEngine(file, sim.device());
            if (m.done != count)
                return 1;
            perRequest.push_back(m.wallMs * 1000 / count);
        }
        const Measure bare = runBareLoop(requests, sim.device());
        std::sort(perRequest.begin(), perRequest.end());
        std::printf("instant unit, %d write requests: wall time per request\n", count);
        std::printf("  engine:    %.1f us/request (median of %d runs; best %.1f, worst %.1f)\n",
                    perRequest[perRequest.size() / 2], runs, perRequest.front(), perRequest.back());
        std::printf("  bare loop: %.1f us/request (one run)\n",
                    bare.wallMs * 1000 / std::max(1, bare.done));
        return 0;
    }

    std::printf("unit paced as a 9600-baud line, %d requests\n", count);
    std::fflush(stdout);
    for (int run = 0; run < runs; ++run) {
        const Measure bare = runBareLoop(requests, sim.device());
        const Measure engine = runEngine(file, sim.device());
        if (bare.done != count || engine.done != count) {
            std::fprintf(stderr, "incomplete run: bare %d, engine %d of %d\n", bare.done,
                         engine.done, count);
            return 1;
        }
        std::printf("  bare loop: %8.1f ms wall, %.1f ms CPU (%.2f%% of the wall time)\n",
                    bare.wallMs, bare.cpuMs, 100 * bare.cpuMs / bare.wallMs);
        std::printf("  engine:    %8.1f ms wall, %.1f ms CPU (%.2f%% of the wall time)\n",
                    engine.wallMs, engine.cpuMs, 100 * engine.cpuMs / engine.wallMs);
        std::printf("  engine's wall time against the bare loop's: %+.2f%% (%+.1f us a request)\n",
                    100 * (engine.wallMs / bare.wallMs - 1),
                    (engine.wallMs - bare.wallMs) * 1000 / count);
        std::fflush(stdout);
    }
    return 0;
}
