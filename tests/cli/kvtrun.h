#pragma once

#include "testenv.h" // readFile(), writeFile()

#include "image/encoder.h"

#include <QStringList>

#include <functional>

// The kvt command run as a separate process, as a script runs it.
struct Run {
    int exitCode = -1;
    QByteArray out;
    QString err;
};
// `inChild` runs in the child process before kvt starts.
Run runKvt(const QStringList &args, const QString &stdinFile = {}, const QString &stdoutFile = {},
           const std::function<void()> &inChild = {});

// The file the configurator saves for a document.
QByteArray imageBytes(const kvt::image::Document &doc);
// Lines of a file (splitLines) joined back into it.
QByteArray joined(const QList<QByteArray> &lines);

// The first line (0-based) of zone `zone` in a file; zone 65 is bank 065.
constexpr int zoneLine(int zone)
{
    return kvt::image::ParameterLineCount + (zone - 1) * kvt::image::ZoneLineCount;
}
constexpr int Bank065 = zoneLine(kvt::image::ZoneCount + 1);
