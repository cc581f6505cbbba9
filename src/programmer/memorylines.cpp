#include "programmer/memorylines.h"

#include "image/configfile.h"

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
        lines.requests.append(protocol::writeRequest(quint8(line.mid(0, 3).toInt()),
                                                     quint8(line.mid(3, 3).toInt()),
                                                     quint8(line.mid(6, 3).toInt())));
    }
    return lines;
}

} // namespace kvt::programmer
