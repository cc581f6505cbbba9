// Times of the configuration image's round: encode a full document, write
// it as a file, and check and decode it again, in memory and from disk.

#include "image/configfile.h"
#include "image/encoder.h"
#include "image/zonerecord.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

using namespace kvt::image;
using benchmark::State;

int main(int argc, char **argv)
{
    // A document with every part in use: PIN and ISDN number, all checks
    // ticked, a GPRS string near the unit's limit and 64 edited zones.
    Document doc = startupDocument();
    doc.simPin = QStringLiteral("1234");
    doc.isdnRecall = QStringLiteral("+41790000000");
    doc.tempHighAlert = 60.5;
    doc.tempLowAlert = -20;
    doc.checks.fill(Ticked);
    for (int i = 0; i < GprsFieldCount; ++i)
        doc.gprs[i] = QStringLiteral("\"value-%1-é\"").arg(i).leftJustified(16, QLatin1Char('x'));
    for (int n = 1; n <= ZoneCount; ++n) {
        ZoneRecord zone;
        zone.cellId = QStringLiteral("%1").arg(n, 4, 16, QLatin1Char('0')).toUpper();
        zone.cellIdFlags = 3;
        zone.gpsFlags = 31;
        zone.speedLimit = QStringLiteral("%1").arg(n * 7, 3, 10, QLatin1Char('0'));
        zone.topLatitude.digits = QStringLiteral("4612%1").arg(n, 5, 10, QLatin1Char('0'));
        zone.alertOptions = alertOptionsFor(Area(n % AreaCount), n % 2);
        doc.zoneTexts[n - 1] = zone.toZoneText(n);
    }
    const QString image = encodeParameters(doc);
    const QByteArray bytes = configurationFileBytes(image).value();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.kvt"));
    writeConfigurationFile(path, image);

    // `once` runs in every iteration; a false from it stops the benchmark with `error`.
    const auto add = [](const char *name, const char *error, void (State::*count)(int64_t),
                        qsizetype perIteration, auto once) {
        benchmark::RegisterBenchmark(name, [=](State &state) {
            for (auto _ : state) {
                if (!once())
                    state.SkipWithError(error);
            }
            if (count)
                (state.*count)(state.iterations() * perIteration);
        });
    };
    add("encodeParameters", "the document was not encoded", &State::SetItemsProcessed,
        ImageLineCount, [&] { return !encodeParameters(doc).isEmpty(); });
    add("writeConfigurationFile", "the configuration file could not be written",
        &State::SetBytesProcessed, bytes.size(),
        [&] { return writeConfigurationFile(path, image); });
    add("checkConfigurationBytes+decodeParameters", "the image was refused",
        &State::SetBytesProcessed, bytes.size(),
        [&] { return checkConfigurationBytes(bytes) && decodeParameters(bytes); });
    add("loadConfigurationFile", "the file was refused", nullptr, 0,
        [&] { return loadConfigurationFile(path).status == LoadResult::Loaded; });

    benchmark::SetDefaultTimeUnit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
