#pragma once

#include "programmer/outcome.h"

namespace kvt::programmer::messages {

// What the user reads about an operation, word for word.
Outcome unreadableFile();
Outcome invalidFile();
Outcome openFailed();
Outcome noResponse(bool reading);
Outcome invalidReply();
Outcome summary(int done, int total, qint64 elapsedSeconds);
Outcome identity(const QString &text);
Outcome endedSilently();
Outcome cancelled();

QString portOpened(int port);              // "Serial port COM 3 successfully opened..."
QString progress(int done, int total);     // "12 of 4389 bytes successfully programmed"

} // namespace kvt::programmer::messages
