#include "app/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace kvt::app {

SingleInstance::SingleInstance(const QString &lockPath) : m_path(lockPath), m_lock(lockPath)
{
    // The lock is held for the whole run, so age says nothing; a lock is
    // stale only when its process is gone, which QLockFile checks by pid
    // and by the file lock the holder keeps on it.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::tryLock()
{
    bool locked = m_lock.tryLock();
    if (!locked && m_lock.error() == QLockFile::LockFailedError && m_lock.removeStaleLockFile())
        locked = m_lock.tryLock();
    m_error = m_lock.error();
    return locked;
}

QString SingleInstance::failureReason() const
{
    // QLockFile keeps no system message; making the file once more gives it.
    QFile probe(m_path);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return probe.errorString();
    probe.remove();
    return m_error == QLockFile::PermissionError ? QStringLiteral("permission denied")
                                                 : QStringLiteral("unknown error");
}

bool SingleInstance::isLocked() const
{
    return m_lock.isLocked();
}

QString SingleInstance::defaultLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("kvt-configurator.lock"));
}

} // namespace kvt::app
