#pragma once

#include <QByteArray>
#include <QString>

namespace kvt::cli {

// Exit statuses of the kvt command.
enum ExitStatus { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

// Results go to stdout, everything else to stderr, both in UTF-8.
void printResult(const QString &text);
void printResultBytes(const QByteArray &bytes);
// "kvt: <text>" on stderr.
void printError(const QString &text);
// A usage error: the message, then where to find help; returns ExitUsage.
int usageError(const QString &command, const QString &text);

} // namespace kvt::cli
