#pragma once

#include "image/storedimage.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

namespace kvt::cli {

// "-": standard input as an input, standard output as an output.
inline bool isStandardStream(const QString &path)
{
    return path == QLatin1String("-");
}

// Parses a command's arguments against the names of its positional
// arguments; with `repeatLast`, the last one may be given more than once.
// Returns an exit status when the command is done (help shown, wrong
// usage), nothing when it should go on.
std::optional<int> parseArguments(QCommandLineParser &parser, const QStringList &args,
                                  const QStringList &positionalNames, const QString &help,
                                  bool repeatLast = false);

// The bytes of an input: standard input for "-", else a regular file (or
// a link to one). Like configuration files, no input is read past 16 MiB.
// Nothing, and `error` says why, when it cannot be read or is larger.
std::optional<QByteArray> readInput(const QString &path, QString *error);

// A configuration file as the configurator's Open loads it; says why on
// stderr, in one line, when it would not be loaded.
std::optional<image::StoredImage> loadImage(const QString &path);

// The bytes of a configuration file written to `path` (atomically) or,
// for "-", to standard output; says why on stderr when they cannot be.
bool writeImage(const QByteArray &bytes, const QString &path);

} // namespace kvt::cli
