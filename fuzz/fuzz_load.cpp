// Load of arbitrary bytes as a configuration file: the line check, the
// positional decoder, and for every file that loads, the save of what was
// loaded, which must pass the check and load back to the same document.

#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/zonerecord.h"

#include <cstdio>
#include <cstdlib>

using namespace kvt::image;

static void require(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz_load: %s\n", what);
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    const auto doc = checkConfigurationBytes(bytes) ? decodeParameters(bytes) : std::nullopt;
    if (!doc)
        return 0;
    // What the zone editor and `kvt show` read of each zone.
    for (const QString &zoneText : doc->zoneTexts)
        (void)ZoneRecord::fromZoneText(zoneText);

    const auto image = toWindows1252(encodeParameters(*doc));
    require(image.has_value(), "a loaded document holds text the file cannot hold");
    const QByteArray saved = *image + "\r\n";
    require(checkConfigurationBytes(saved), "the saved image fails the line check");
    const auto reloaded = decodeParameters(saved);
    require(reloaded.has_value(), "the saved image does not decode");
    require(*reloaded == *doc, "the saved image loads as another document");
    return 0;
}
