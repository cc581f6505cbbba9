#include "output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kvt::cli {

bool printResultBytes(const QByteArray &bytes)
{
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout)
            == size_t(bytes.size())
        && std::fflush(stdout) == 0;
    if (!written) {
        printError(QStringLiteral("cannot write to standard output: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    return written;
}

bool printResult(const QString &text)
{
    return printResultBytes(text.toUtf8());
}

void printError(const QString &text)
{
    const QByteArray line = QStringLiteral("kvt: %1\n").arg(text).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

void printWarning(const QString &text)
{
    printError(QStringLiteral("warning: ") + text);
}

int usageError(const QString &command, const QString &text)
{
    printError(text);
    const QString hint = command.isEmpty()
        ? QStringLiteral("Try 'kvt --help' for more information.\n")
        : QStringLiteral("Try 'kvt %1 --help' for more information.\n").arg(command);
    const QByteArray bytes = hint.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    return ExitUsage;
}

} // namespace kvt::cli
