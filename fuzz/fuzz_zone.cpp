// The zone record reader and writer: any text read as a zone, and records
// with any field values, must be stored as 64 well-formed memory lines of
// their zone that read back to the same lines.

#include "image/charset.h"
#include "image/zonerecord.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using kvt::image::CoordinateLine;
using kvt::image::ZoneRecord;

static void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_zone: %s\n", what);
    std::abort();
}

static QString latin1Text(const std::string &bytes)
{
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

// Any UTF-16 code units, lone surrogates included.
static QString wideText(const std::string &bytes)
{
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = char16_t(uchar(bytes[2 * i]) | uchar(bytes[2 * i + 1]) << 8);
    return QString::fromStdU16String(units);
}

static QString anyText(FuzzedDataProvider &in)
{
    const std::string bytes = in.ConsumeRandomLengthString(24);
    return in.ConsumeBool() ? wideText(bytes) : latin1Text(bytes);
}

static ZoneRecord anyRecord(FuzzedDataProvider &in)
{
    ZoneRecord r;
    r.cellIdFlags = in.ConsumeIntegral<int>();
    r.cellId = anyText(in);
    r.gpsFlags = in.ConsumeIntegral<int>();
    r.speedLimit = anyText(in);
    r.startTime = anyText(in);
    r.stopTime = anyText(in);
    for (CoordinateLine *line :
         {&r.topLatitude, &r.bottomLatitude, &r.leftLongitude, &r.rightLongitude})
        *line = {anyText(in), QChar(in.ConsumeIntegral<char16_t>())};
    r.alertOptions = in.ConsumeIntegral<int>();
    return r;
}

static int valueOf(const QString &line)
{
    return QStringView(line).sliced(6, 3).toInt();
}

static void checkStored(const QString &text, int zone)
{
    if (text.size() != kvt::image::ZoneTextLength)
        fail("a stored zone is not 704 characters long");
    for (int k = 0; k < 64; ++k) {
        const QString line = text.mid(11 * k, 11);
        for (int i = 0; i < 9; ++i) {
            if (line[i] < u'0' || line[i] > u'9')
                fail("a stored zone line holds a character that is no digit");
        }
        if (!line.endsWith(QLatin1String("\r\n")))
            fail("a stored zone line does not end with CR LF");
        if (line.left(3).toInt() != zone || line.mid(3, 3).toInt() != 183 + k)
            fail("a stored zone line has the wrong bank or address");
        if (valueOf(line) > 255)
            fail("a stored zone line holds a value above 255");
    }
    const auto value = [&](int k) { return valueOf(text.mid(11 * k, 11)); };
    const int alert = value(60);
    if (value(59) != 0 || value(61) != alert || value(62) != 48 || value(63) != 48)
        fail("the reserved bytes or the copy of AlertOptions are wrong");
    if ((alert & 0xC1) != 0 || !kvt::image::areaOfAlertOptions(alert))
        fail("AlertOptions is stored with reserved bits or without an area");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int mode = in.ConsumeIntegralInRange(0, 2);
    const int zone = in.ConsumeIntegralInRange(1, 64);

    ZoneRecord record;
    if (mode == 2) {
        record = anyRecord(in);
    } else {
        const std::string rest = in.ConsumeRemainingBytesAsString();
        record = ZoneRecord::fromZoneText(mode == 0 ? latin1Text(rest) : wideText(rest));
    }

    const QString stored = record.toZoneText(zone);
    checkStored(stored, zone);
    const ZoneRecord reread = ZoneRecord::fromZoneText(stored);
    if (reread.toZoneText(zone) != stored)
        fail("a stored zone does not read back to the same lines");
    if (mode != 2 && reread.cellId.size() != 4)
        fail("a stored Cell-ID does not read back as four characters");
    return 0;
}
