#pragma once

#include <QLockFile>
#include <QString>

namespace kvt::app {

// One configurator per user: a lock file in the user's runtime folder,
// held for the life of the object. A lock left behind by a process that
// no longer runs (a crash) does not block the next start.
class SingleInstance {
public:
    explicit SingleInstance(const QString &lockPath = defaultLockPath());

    // True when no other instance holds the lock; this one holds it from now on.
    // Called once: a second call finds the lock taken.
    // False too when the lock file cannot be made at all (a runtime folder
    // that cannot be written); heldByAnother() tells the two apart.
    bool tryLock();
    bool isLocked() const;
    // After a failed tryLock(): another running instance holds the lock.
    bool heldByAnother() const { return m_error == QLockFile::LockFailedError; }
    // After a failed tryLock() not caused by another instance: why.
    QString failureReason() const;
    QString lockPath() const { return m_path; }

    // "kvt-configurator.lock" in the runtime folder ($XDG_RUNTIME_DIR).
    static QString defaultLockPath();

private:
    QString m_path;
    QLockFile m_lock;
    QLockFile::LockError m_error = QLockFile::NoError;
};

} // namespace kvt::app
