// The zone record reader and writer: any text read as a zone, and records
// with any field values, must be stored as 64 well-formed memory lines of
// their zone that read back to the same lines.

#include "image/zonerecord.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace kvt::image;

static void require(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz_zone: %s\n", what);
    std::abort();
}

// As Latin-1, or as UTF-16 code units in the host's order, lone surrogates included.
static QString textOf(const std::string &bytes, bool wide)
{
    return wide
        ? QString(reinterpret_cast<const QChar *>(bytes.data()), qsizetype(bytes.size() / 2))
        : QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

static ZoneRecord anyRecord(FuzzedDataProvider &in)
{
    const auto number = [&] { return in.ConsumeIntegral<int>(); };
    const auto text = [&] {
        const std::string bytes = in.ConsumeRandomLengthString(24);
        return textOf(bytes, in.ConsumeBool());
    };
    const auto line = [&] { return CoordinateLine{text(), QChar(in.ConsumeIntegral<char16_t>())}; };
    // In the order of the fields: a braced list is evaluated from left to right.
    return {number(), text(), number(), text(), text(),  text(),
            line(),   line(), line(),   line(), number()};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int mode = in.ConsumeIntegralInRange(0, 2);
    const int zone = in.ConsumeIntegralInRange(1, 64);
    const ZoneRecord record = mode == 2
        ? anyRecord(in)
        : ZoneRecord::fromZoneText(textOf(in.ConsumeRemainingBytesAsString(), mode == 1));
    const QString stored = record.toZoneText(zone);

    require(stored.size() == ZoneTextLength, "a stored zone is not 704 characters long");
    const auto value = [&](int k) { return stored.mid(11 * k + 6, 3).toInt(); };
    for (int k = 0; k < 64; ++k) {
        const QString line = stored.mid(11 * k, 11);
        require(std::all_of(line.begin(), line.begin() + 9,
                            [](QChar c) { return c >= u'0' && c <= u'9'; }),
                "a stored zone line holds a character that is no digit");
        require(line.endsWith(QLatin1String("\r\n")), "a stored zone line does not end with CR LF");
        require(line.left(3).toInt() == zone && line.mid(3, 3).toInt() == 183 + k,
                "a stored zone line has the wrong bank or address");
        require(value(k) <= 255, "a stored zone line holds a value above 255");
    }
    const int alert = value(60);
    require(value(59) == 0 && value(61) == alert && value(62) == 48 && value(63) == 48,
            "the reserved bytes or the copy of AlertOptions are wrong");
    require((alert & 0xC1) == 0 && areaOfAlertOptions(alert),
            "AlertOptions is stored with reserved bits or without an area");

    const ZoneRecord reread = ZoneRecord::fromZoneText(stored);
    require(reread.toZoneText(zone) == stored,
            "a stored zone does not read back to the same lines");
    require(mode == 2 || reread.cellId.size() == 4,
            "a stored Cell-ID does not read back as four characters");
    return 0;
}
