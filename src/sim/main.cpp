// kvt-unit-sim: a simulated tracking unit on a pseudo-terminal. It prints
// the slave device's path as the first line of its output, so that the
// programmer (or `kvt write`) can open that path like a serial port, and
// serves until SIGTERM, SIGINT, SIGHUP or a requested hang-up.

#include "kvtversion.h"
#include "programmer/stopsignals.h"
#include "sim/options.h"
#include "sim/simulator.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    using namespace kvt;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kvt-unit-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KVT_VERSION));

    const auto options = sim::parseOptions(app.arguments());
    if (!options)
        return 2;

    const programmer::StopSignals stop({SIGTERM, SIGINT, SIGHUP});
    if (!stop.isValid()) {
        std::perror("kvt-unit-sim: pipe");
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);

    sim::Simulator unit(*options);
    if (!unit.open())
        return 1;
    std::printf("%s\n", qPrintable(unit.device()));
    std::fflush(stdout);

    unit.run(stop.fd());
    unit.finish();
    return 0;
}
