#include "simunit.h"

#include "image/configfile.h"
#include "image/document.h"
#include "image/encoder.h"

#include <QFile>

bool SimUnit::start(const QStringList &options)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program(), QStringList{"--log", m_dir.filePath("log"), "--save", m_dir.filePath("memory")}
                                   + options);
    while (m_process.waitForStarted(5000) && !m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(5000))
            return false;
    }
    m_device = QString::fromLocal8Bit(m_process.readLine().trimmed());
    return !m_device.isEmpty();
}

bool SimUnit::stop()
{
    if (m_process.state() != QProcess::NotRunning)
        m_process.terminate();
    return m_process.state() == QProcess::NotRunning || m_process.waitForFinished(5000);
}

QStringList SimUnit::requests() const
{
    QFile log(m_dir.filePath("log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromLatin1(log.readAll()).split(u'\n', Qt::SkipEmptyParts)
                                         : QStringList();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray smallFile()
{
    QByteArray text = "002100000\r\n";
    for (int i = 1; i < 10; ++i)
        text += "002" + QByteArray::number(100 + i) + QByteArray::number(100 + i * 7) + "\r\n";
    return text + "GPRS:internet\r\nGPRS:\r\n\r\n";
}

QString writeSavedImage(const QString &path)
{
    using namespace kvt::image;
    if (!writeConfigurationFile(path, encodeParameters(startupDocument())))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList writeRequests(const QByteArray &file)
{
    QStringList requests;
    for (const QByteArray &line : kvt::image::splitLines(file)) {
        if (line.startsWith("GPRS:"))
            break;
        if (!line.isEmpty())   // "bbbaaavvv"
            requests << "W " + QString::fromLatin1(line).insert(6, u' ').insert(3, u' ');
    }
    return requests;
}
