// Times of the configuration image's round: encode a full document, write
// it as a file, and check and decode it again, in memory and from disk.

#include "image/charset.h"
#include "image/configfile.h"
#include "image/encoder.h"
#include "image/zonerecord.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdlib>

using namespace kvt::image;

namespace {

// A document with every part in use: PIN and ISDN number, all checks
// ticked, a GPRS string near the unit's limit and 64 edited zones.
Document fullDocument()
{
    Document doc = startupDocument();
    doc.simPin = QStringLiteral("1234");
    doc.isdnRecall = QStringLiteral("+41790000000");
    doc.tempHighAlert = 60.5;
    doc.tempLowAlert = -20;
    doc.checks.fill(Ticked);
    for (int i = 0; i < GprsFieldCount; ++i)
        doc.gprs[i] = QStringLiteral("\"value-%1-é\"").arg(i).leftJustified(16, QLatin1Char('x'));
    for (int n = 1; n <= ZoneCount; ++n) {
        kvt::image::ZoneRecord zone;
        zone.cellId = QStringLiteral("%1").arg(n, 4, 16, QLatin1Char('0')).toUpper();
        zone.cellIdFlags = 3;
        zone.gpsFlags = 31;
        zone.speedLimit = QStringLiteral("%1").arg(n * 7, 3, 10, QLatin1Char('0'));
        zone.topLatitude.digits = QStringLiteral("4612%1").arg(n, 5, 10, QLatin1Char('0'));
        zone.alertOptions = kvt::image::alertOptionsFor(kvt::image::Area(n % kvt::image::AreaCount),
                                                        n % 2);
        doc.zoneTexts[n - 1] = zone.toZoneText(n);
    }
    return doc;
}

QByteArray fileBytes(const Document &doc)
{
    return toWindows1252(encodeParameters(doc)).value() + "\r\n";
}

void encode(benchmark::State &state)
{
    const Document doc = fullDocument();
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeParameters(doc));
    state.SetItemsProcessed(state.iterations() * ImageLineCount);
}

void write(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.kvt"));
    const QString image = encodeParameters(fullDocument());
    for (auto _ : state) {
        if (!writeConfigurationFile(path, image))
            state.SkipWithError("the configuration file could not be written");
    }
    state.SetBytesProcessed(state.iterations() * fileBytes(fullDocument()).size());
}

void checkAndDecode(benchmark::State &state)
{
    const QByteArray bytes = fileBytes(fullDocument());
    for (auto _ : state) {
        if (!checkConfigurationBytes(bytes) || !decodeParameters(bytes))
            state.SkipWithError("the image was refused");
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void loadFromFile(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.kvt"));
    writeConfigurationFile(path, encodeParameters(fullDocument()));
    for (auto _ : state) {
        if (loadConfigurationFile(path).status != LoadResult::Loaded)
            state.SkipWithError("the file was refused");
    }
}

} // namespace

BENCHMARK(encode)->Name("encodeParameters")->Unit(benchmark::kMicrosecond);
BENCHMARK(write)->Name("writeConfigurationFile")->Unit(benchmark::kMicrosecond);
BENCHMARK(checkAndDecode)
    ->Name("checkConfigurationBytes+decodeParameters")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(loadFromFile)->Name("loadConfigurationFile")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
