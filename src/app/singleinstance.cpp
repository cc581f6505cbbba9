#include "app/singleinstance.h"

#include <QDir>
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
    if (m_lock.isLocked())
        return true;
    if (m_lock.tryLock(0))
        return true;
    if (m_lock.error() == QLockFile::LockFailedError && m_lock.removeStaleLockFile())
        return m_lock.tryLock(0);
    return false;
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
