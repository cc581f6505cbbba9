#pragma once

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
// Text from a file or a user shown on a terminal: control characters
// become their visible symbols (U+2400..U+2421), so that a carriage
// return, a line feed or an escape sequence can neither break the lines
// nor act on the terminal.
QString visible(QString text);
// A usage error: the message, then where to find help; returns ExitUsage.
int usageError(const QString &command, const QString &text);

} // namespace kvt::cli
