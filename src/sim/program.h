#pragma once

#include <QStringList>

namespace kvt::sim {

// kvt-unit-sim after its QCoreApplication: reads the command line (the
// program's name first), opens the unit's line, prints the device it
// serves as its first line and serves until SIGTERM, SIGINT, SIGHUP or a
// requested hang-up. The exit status: 0, 1 when the line cannot be served
// or the memory not saved, 2 on a wrong command line (said on stderr).
int runProgram(const QStringList &arguments);

} // namespace kvt::sim
