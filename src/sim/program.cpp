#include "sim/program.h"

#include "programmer/stopsignals.h"
#include "sim/options.h"
#include "sim/simulator.h"

#include <csignal>
#include <cstdio>

namespace kvt::sim {

int runProgram(const QStringList &arguments)
{
    const auto options = parseOptions(arguments);
    if (!options)
        return 2;

    const programmer::StopSignals stop({SIGTERM, SIGINT, SIGHUP});
    if (!stop.isValid()) {
        std::perror("kvt-unit-sim: pipe");
        return 1;
    }
    // Whoever reads the device line may go away: the unit serves on.
    std::signal(SIGPIPE, SIG_IGN);

    Simulator unit(*options);
    if (!unit.open())
        return 1;
    std::printf("%s\n", qPrintable(unit.device()));
    std::fflush(stdout);

    unit.run(stop.fd());
    return unit.finish() ? 0 : 1;
}

} // namespace kvt::sim
