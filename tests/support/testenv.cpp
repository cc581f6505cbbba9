#include "testenv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QByteArray stderrOf(const std::function<void()> &run)
{
    QTemporaryFile file;
    const int saved = ::dup(STDERR_FILENO);
    if (!file.open() || ::dup2(file.handle(), STDERR_FILENO) < 0)
        return "<not captured>";
    run();
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    return file.seek(0) ? file.readAll() : "<not captured>";
}

TestFolders::TestFolders() : m_oldConfig(qgetenv("XDG_CONFIG_HOME")), m_oldRuntime(qgetenv("XDG_RUNTIME_DIR"))
{
    QDir(m_dir.path()).mkpath("config/kvt");
    QDir(m_dir.path()).mkpath("runtime");
    QFile::setPermissions(file("runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_CONFIG_HOME", file("config").toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", file("runtime").toLocal8Bit());
}

TestFolders::~TestFolders()
{
    qputenv("XDG_CONFIG_HOME", m_oldConfig);
    qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
}

NamedPipe::NamedPipe(const QString &path) : m_path(QFile::encodeName(path))
{
    if (!(m_created = ::mkfifo(m_path.constData(), 0600) == 0))
        return;
    m_watchdog = std::thread([this] {
        if (const int fd = ::open(m_path.constData(), O_WRONLY); fd >= 0) { // waits for a reader
            m_opened = !m_stopping;
            ::close(fd);
        }
    });
}

NamedPipe::~NamedPipe()
{
    if (!m_created)
        return;
    // Be the reader the watchdog waits for, if nothing else was.
    m_stopping = true;
    const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK);
    m_watchdog.join();
    ::close(fd); // nothing when it did not open
    ::unlink(m_path.constData());
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
