#pragma once

#include "image/document.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The kvt command run as a separate process, as a script runs it.
struct Run {
    int exitCode = -1;
    QByteArray out;
    QString err;
};
Run runKvt(const QStringList &args, const QString &stdinFile = {}, const QString &stdoutFile = {});

QByteArray fileBytes(const QString &path);
bool writeBytes(const QString &path, const QByteArray &bytes);
// The file the configurator saves for a document.
QByteArray imageBytes(const kvt::image::Document &doc);
