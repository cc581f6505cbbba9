// Load of arbitrary bytes as a configuration file: the line check, the
// positional decoder, and for every file that loads, the save of what was
// loaded, which must pass the check and load back to the same document.

#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/zonerecord.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace kvt::image;

static void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_load: %s\n", what);
    std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     qsizetype(size));
    if (!checkConfigurationBytes(bytes))
        return 0;
    const auto doc = decodeParameters(bytes);
    if (!doc)
        return 0;

    // What the zone editor and `kvt show` read of each zone.
    for (const QString &zoneText : doc->zoneTexts)
        (void)kvt::image::ZoneRecord::fromZoneText(zoneText);

    const auto image = toWindows1252(encodeParameters(*doc));
    if (!image)
        fail("a loaded document holds text the file cannot hold");
    const QByteArray saved = *image + "\r\n";
    if (!checkConfigurationBytes(saved))
        fail("the saved image fails the line check");
    const auto reloaded = decodeParameters(saved);
    if (!reloaded)
        fail("the saved image does not decode");
    if (!(*reloaded == *doc))
        fail("the saved image loads as another document");
    return 0;
}
