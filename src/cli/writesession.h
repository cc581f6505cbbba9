#pragma once

#include "programmer/serialsettings.h"

#include <QString>

namespace kvt::cli {

struct WriteJob {
    QString file;
    QString port; // COM1..COM4 or a device path
    programmer::SerialSettings settings;
    QString logPath;       // --log: a row per unit
    bool identify = false; // --identify: the identity first; no answer, no write
    bool repeat = false;   // --repeat: unit after unit until Ctrl+C
};

// `kvt write` to its end, in its own event loop; the exit status.
int runWriteJob(const WriteJob &job);

} // namespace kvt::cli
