#pragma once

#include "programmer/outcome.h"
#include "programmer/portlock.h"
#include "programmer/serialsettings.h"

#include <optional>

namespace kvt::programmer::messages {

// What the user reads about an operation, word for word.
Outcome unreadableFile();
Outcome invalidFile();
// The window's message, whichever the operation; `detail` names the
// device and the reason.
Outcome openFailed(const QString &detail);
Outcome noResponse(bool reading);
Outcome invalidReply();
Outcome summary(int done, int total, qint64 elapsedSeconds);
Outcome identity(const QString &text, const QString &identifier, const QString &serialNumber);
Outcome endedSilently();
Outcome cancelled();

// The first line of an open failure on the command line, where a read
// says "Reading aborted..." as its other messages do.
QString openFailedText(bool reading);
// "COM1 -> /dev/ttyUSB0: Permission denied - ..."
QString openFailureDetail(const PortTarget &target, const QString &reason);
// "COM1 is /dev/ttyS0 (there is no link ~/.config/kvt/com1)"
QString unlinkedPort(const PortTarget &target);
// The system's reason for errno `error`, with the fix for the common
// cases; `holder` says who keeps a busy device, `group` who may open it.
QString systemReason(int error, const std::optional<PortHolder> &holder = std::nullopt,
                     const QString &group = QString());

QString portOpened(int port);          // "Serial port COM 3 successfully opened..."
QString progress(int done, int total); // "12 of 4389 bytes successfully programmed"

} // namespace kvt::programmer::messages
