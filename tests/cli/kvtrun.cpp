#include "kvtrun.h"

#include "image/charset.h"

#include <QProcess>

Run runKvt(const QStringList &args, const QString &stdinFile, const QString &stdoutFile,
           const std::function<void()> &inChild)
{
    QProcess process;
    process.setChildProcessModifier(inChild);
    process.setStandardInputFile(stdinFile); // an empty name: no redirection
    process.setStandardOutputFile(stdoutFile);
    process.start(QStringLiteral(KVT_BIN), args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

QByteArray imageBytes(const kvt::image::Document &doc)
{
    return kvt::image::toWindows1252(kvt::image::encodeParameters(doc)).value() + "\r\n";
}

QByteArray joined(const QList<QByteArray> &lines)
{
    return lines.join("\r\n") + "\r\n";
}
