#pragma once

#include "programmer/protocol.h"

#include <QList>
#include <QString>

namespace kvt::programmer {

// What a write sends from a configuration file: one write request per
// memory line before the first GPRS line, in file order.
struct MemoryLines {
    enum Status { Read, Unreadable, Invalid };
    Status status = Read;
    QList<protocol::Request> requests;
    bool endsAtGprsLine = false; // false: the file ended without one
};

// The whole file is read and checked first, so that a file that fails the
// line check sends nothing.
MemoryLines readMemoryLines(const QString &path);
// The same from the file's bytes, which passed the check.
MemoryLines memoryLinesOf(const QByteArray &bytes);

} // namespace kvt::programmer
