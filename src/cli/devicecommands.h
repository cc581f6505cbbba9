#pragma once

#include <QStringList>

namespace kvt::cli {

// `kvt write [--port PORT] [--log FILE.csv] [--identify] [--repeat] FILE`,
// `kvt read-id [--port PORT]` and `kvt ports [--json]`. The arguments may
// start with the command's own name. Each returns the exit status (0 done,
// 1 failed, 2 wrong usage, 128 + the signal when stopped by one) and runs
// its own event loop; a QCoreApplication must exist.
int runWrite(const QStringList &args);
int runReadId(const QStringList &args);
int runPorts(const QStringList &args);

} // namespace kvt::cli
