#include "programmer/memorylines.h"

#include "image/configfile.h"
#include "image/memoryline.h"

namespace kvt::programmer {

MemoryLines readMemoryLines(const QString &path)
{
    const auto bytes = image::readConfigurationBytes(path);
    MemoryLines refused;
    refused.status = !bytes ? MemoryLines::Unreadable : MemoryLines::Invalid;
    if (!bytes || !image::checkConfigurationBytes(*bytes))
        return refused;
    return memoryLinesOf(*bytes);
}

// The line check guarantees three fields of 000..255 in each memory line.
MemoryLines memoryLinesOf(const QByteArray &bytes)
{
    MemoryLines lines;
    for (const QByteArray &line : image::splitLines(bytes)) {
        if (line.isEmpty())
            continue;
        if (line.startsWith("GPRS:")) {
            lines.endsAtGprsLine = true;
            break;
        }
        const auto fields = image::memoryLineFields(line);
        if (!fields) // the line check let no other line through
            continue;
        lines.requests.append(protocol::writeRequest(quint8(fields->bank), quint8(fields->address),
                                                     quint8(fields->value)));
    }
    return lines;
}

} // namespace kvt::programmer
