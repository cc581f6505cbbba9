#include "app/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace kvt::app {

SingleInstance::SingleInstance(const QString &lockPath) : m_path(lockPath), m_lock(lockPath) {}

bool SingleInstance::tryLock()
{
    // A running holder keeps a file lock on the file, so whatever its age
    // or the pid it names, a lock file nobody holds that way is left over.
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
    // The file could be made, so writing it failed (QLockFile then removes it).
    return QStringLiteral("could not write it (disk full?)");
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
