// kvt-unit-sim: a simulated tracking unit on a pseudo-terminal. It prints
// the slave device's path as the first line of its output, so that the
// programmer (or `kvt write`) can open that path like a serial port, and
// serves until SIGTERM, SIGINT, SIGHUP or a requested hang-up.

#include "kvtversion.h"
#include "sim/program.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv); // named kvt-unit-sim, as the program is
    QCoreApplication::setApplicationVersion(QStringLiteral(KVT_VERSION));
    return kvt::sim::runProgram(app.arguments());
}
