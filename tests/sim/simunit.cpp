#include "simunit.h"

#include <QFile>

SimUnit::SimUnit() = default;

SimUnit::~SimUnit()
{
    if (m_process.state() != QProcess::NotRunning)
        stop();
}

QString SimUnit::program()
{
    return QStringLiteral(KVT_UNIT_SIM);
}

bool SimUnit::start(const QStringList &options)
{
    m_process.setProgram(program());
    m_process.setArguments(QStringList{QStringLiteral("--log"), m_dir.filePath(QStringLiteral("log")),
                                       QStringLiteral("--save"), m_dir.filePath(QStringLiteral("memory"))}
                           + options);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(5000))
        return false;
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(5000))
            return false;
    }
    m_device = QString::fromLocal8Bit(m_process.readLine().trimmed());
    return !m_device.isEmpty();
}

bool SimUnit::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    m_process.terminate();
    return m_process.waitForFinished(5000);
}

QStringList SimUnit::requests() const
{
    QFile log(m_dir.filePath(QStringLiteral("log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray SimUnit::savedMemory() const
{
    QFile memory(m_dir.filePath(QStringLiteral("memory")));
    return memory.open(QIODevice::ReadOnly) ? memory.readAll() : QByteArray();
}
