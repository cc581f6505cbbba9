// Writes the start-up configuration image into kvt-unit-sim and reports:
//  - with an instant unit: microseconds per write request;
//  - with --paced (the unit behaves like a 9600-baud line): the total time
//    of the engine against a bare blocking write/read loop on the same
//    simulator, and the engine's CPU time as a share of the wall time.
//
// Usage: bench_programmer [--paced] [--requests N] [--runs N] [--sim PATH]

#include "image/configfile.h"
#include "image/encoder.h"
#include "programmer/engine.h"
#include "programmer/memorylines.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace kvt;
using namespace kvt::programmer;

struct Measure {
    int done = 0;
    double wallMs = 0, cpuMs = 0;
};

// The wall and CPU time of `run`, which returns how many requests it completed.
static Measure measure(const auto &run)
{
    const std::clock_t cpu = std::clock();
    QElapsedTimer clock;
    clock.start();
    // A braced list is evaluated from left to right: the clocks are read after the run.
    return {int(run()), clock.nsecsElapsed() / 1e6, (std::clock() - cpu) * 1e3 / CLOCKS_PER_SEC};
}

// The same protocol as plain blocking POSIX calls: write four bytes, wait
// for one, compare.
static Measure runBareLoop(const QList<protocol::Request> &requests, const QString &device)
{
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    if (fd < 0) // then no request goes out and the loop completes none
        std::perror("bare loop: open");
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B9600);
    tcsetattr(fd, TCSANOW, &tio);
    const auto echoed = [fd](const protocol::Request &r) {
        const QByteArray bytes = r.bytes();
        pollfd pfd{fd, POLLIN, 0};
        char reply[8];
        const bool sent = ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size()
            && ::poll(&pfd, 1, protocol::ReplyTimeoutMs) == 1;
        const ssize_t got = sent ? ::read(fd, reply, sizeof reply) : -1;
        return got >= 0 && protocol::isEcho(QByteArray(reply, got), r.value);
    };
    return measure([&] { return std::ranges::find_if_not(requests, echoed) - requests.begin(); });
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool paced = args.contains(QStringLiteral("--paced"));
    auto valueOf = [&](const char *name, const char *fallback) {
        const qsizetype i = args.indexOf(QLatin1String(name));
        return i >= 0 && i + 1 < args.size() ? args.at(i + 1) : QString::fromUtf8(fallback);
    };
    const QString simProgram = valueOf("--sim", KVT_UNIT_SIM);
    const int runs = std::max(1, valueOf("--runs", paced ? "1" : "5").toInt());

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bench.kvt"));
    auto bytes = image::configurationFileBytes(image::encodeParameters(image::startupDocument()));
    // --requests N keeps the first N memory lines (a shorter paced run).
    if (const int limit = valueOf("--requests", "0").toInt(); bytes && limit > 0)
        *bytes = image::splitLines(*bytes).mid(0, limit).join("\r\n") + "\r\nGPRS:\r\n\r\n";
    if (!bytes || !image::writeConfigurationBytes(file, *bytes)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    const QList<protocol::Request> requests = memoryLinesOf(*bytes).requests;
    const int count = int(requests.size());

    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(simProgram, paced ? QStringList{QStringLiteral("--paced")} : QStringList{});
    const auto stop = qScopeGuard([&] {
        sim.terminate();
        sim.waitForFinished(5000);
    });
    while (!sim.canReadLine() && sim.waitForReadyRead(5000)) {}
    if (!sim.canReadLine()) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(simProgram));
        return 1;
    }
    const QString device = QString::fromLocal8Bit(sim.readLine().trimmed());

    ProgrammingEngine engine;
    QEventLoop loop;
    Outcome outcome;
    QObject::connect(&engine, &ProgrammingEngine::finished, [&](const Outcome &o) { outcome = o; });
    QObject::connect(&engine, &ProgrammingEngine::finished, &loop, &QEventLoop::quit);

    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is measured
    std::printf(paced ? "unit paced as a 9600-baud line, %d requests\n"
                      : "instant unit, %d write requests: wall time per request\n",
                count);
    QList<double> perRequest;
    for (int i = 0; i < runs; ++i) {
        const Measure bare = paced ? runBareLoop(requests, device) : Measure{count};
        const Measure written = measure([&] {
            engine.startWrite(file, SerialSettings{}, device);
            loop.exec();
            return outcome.bytesProgrammed;
        });
        if (outcome.kind != Outcome::Programmed)
            std::fprintf(stderr, "engine: %s\n", qPrintable(outcome.text));
        if (bare.done != count || written.done != count) {
            std::fprintf(stderr, "incomplete run: bare %d, engine %d of %d\n", bare.done,
                         written.done, count);
            return 1;
        }
        perRequest.append(written.wallMs * 1000 / count);
        if (!paced)
            continue;
        for (const auto &[label, m] :
             {std::pair{"bare loop:", bare}, std::pair{"engine:", written}})
            std::printf("  %-10s %8.1f ms wall, %.1f ms CPU (%.2f%% of the wall time)\n", label,
                        m.wallMs, m.cpuMs, 100 * m.cpuMs / m.wallMs);
        std::printf("  engine's wall time against the bare loop's: %+.2f%% (%+.1f us a request)\n",
                    100 * (written.wallMs / bare.wallMs - 1),
                    (written.wallMs - bare.wallMs) * 1000 / count);
    }
    if (paced)
        return 0;
    const Measure bare = runBareLoop(requests, device);
    std::sort(perRequest.begin(), perRequest.end());
    std::printf("  engine:    %.1f us/request (median of %d runs; best %.1f, worst %.1f)\n",
                perRequest[perRequest.size() / 2], runs, perRequest.front(), perRequest.back());
    std::printf("  bare loop: %.1f us/request (one run)\n",
                bare.wallMs * 1000 / std::max(1, bare.done));
    return 0;
}
