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
    bool tryLock();
    bool isLocked() const;
    QString lockPath() const { return m_path; }

    // "kvt-configurator.lock" in the runtime folder ($XDG_RUNTIME_DIR).
    static QString defaultLockPath();

private:
    QString m_path;
    QLockFile m_lock;
};

} // namespace kvt::app
