#pragma once

#include <QStringList>

namespace kvt::cli {

// `kvt write [--port PORT] FILE` and `kvt read-id [--port PORT]`. The
// arguments may start with the command's own name. Each returns the exit
// status (0 done, 1 failed or interrupted, 2 wrong usage) and runs its own
// event loop; a QCoreApplication must exist.
int runWrite(const QStringList &args);
int runReadId(const QStringList &args);

} // namespace kvt::cli
