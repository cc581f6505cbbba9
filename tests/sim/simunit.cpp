#include "simunit.h"

#include "image/configfile.h"
#include "image/document.h"
#include "image/encoder.h"

#include <QFile>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

QString SimUnit::program()
{
    return QStringLiteral(KVT_UNIT_SIM);
}

bool SimUnit::start(const QStringList &options)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program(), QStringList{"--log", m_dir.filePath("log"), "--save",
                                           m_dir.filePath("memory")} + options);
    while (m_process.waitForStarted(5000) && !m_process.canReadLine()) {
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
    return QString::fromLatin1(readFile(m_dir.filePath("log"))).split(u'\n', Qt::SkipEmptyParts);
}

QByteArray SimUnit::savedMemory() const
{
    return readFile(m_dir.filePath("memory"));
}

RawPty::RawPty()
{
    char path[256] = {};
    if (openpty(&master, &slave, path, nullptr, nullptr) != 0)
        qFatal("openpty failed");
    termios tio{};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    ::fcntl(master, F_SETFL, O_NONBLOCK);
    name = QString::fromLocal8Bit(path);
}

RawPty::~RawPty()
{
    ::close(master);
    ::close(slave);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QString writeSavedImage(const QString &path)
{
    using namespace kvt::image;
    if (!writeConfigurationFile(path, encodeParameters(startupDocument())))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}
