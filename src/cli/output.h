#pragma once

#include "image/charset.h"

#include <QByteArray>
#include <QString>

namespace kvt::cli {

// Exit statuses of the kvt command.
enum ExitStatus { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

// Results go to stdout, everything else to stderr, both in UTF-8.
// False, after saying why on stderr, when stdout cannot take the result
// (a full disk, a closed pipe): the command must then fail.
bool printResult(const QString &text);
bool printResultBytes(const QByteArray &bytes);
// "kvt: <text>" on stderr.
void printError(const QString &text);
// "kvt: warning: <text>" on stderr.
void printWarning(const QString &text);
// Text from a file, a unit or a user shown on a terminal goes through
// image::visible, so that no control character acts on the terminal.
using image::visible;
// A usage error: the message, then where to find help; returns ExitUsage.
int usageError(const QString &command, const QString &text);

} // namespace kvt::cli
