#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

#include <sys/types.h>

namespace kvt::programmer {

// Who keeps a serial device from us, as far as can be told.
struct PortHolder {
    enum How {
        LockFile,       // a LCK.. file names a live process
        UnreadableLock, // a LCK.. file names no process
        StuckLock,      // a LCK.. file of a dead process that cannot be removed
        Flock,          // a program holds it with flock()
        Exclusive,      // a program opened it exclusively (TIOCEXCL)
    };
    How how = LockFile;
    qint64 pid = 0;   // 0: not known
    QString program;  // may be empty
    QString user;     // may be empty
    QString lockFile; // the LCK.. file, for the first three
    int error = 0;    // why a stuck lock could not be removed
};

// The process a LCK.. file names. Terminal programs write the process id
// as ten ASCII digits and a line feed, as a 4-byte binary number, or as
// "pid program user"; Qt writes "pid", "program", "host" on lines of
// their own.
struct LockFileOwner {
    enum State { Live, Dead, Unknown }; // Unknown: the file names no process
    State state = Unknown;
    qint64 pid = 0;
    QString program;
    QString user;
};
LockFileOwner readLockFile(const QByteArray &bytes);

// Where lock files are looked for and made: $KVT_LOCK_DIR when set, else
// /var/lock and /run/lock.
QStringList lockDirectories();
// "LCK.." and the device's path below /dev, "/" written "_" (the name Qt
// gives its own lock files): LCK..ttyUSB0, LCK..pts_3.
QString lockFileName(const QString &device);

// Keeps a serial device for this process while it lives. acquire()
// refuses a device that another program holds - a LCK.. file of a live
// process (or one that names no process), flock(), an exclusive open - and
// leaves its lock in place; it takes over the lock file of a process that
// has ended. While held: a lock file of our own, if a lock folder takes it,
// and an exclusive flock on a descriptor of the device. release() removes
// only the lock file it made, and only while it is still ours.
class PortLock {
public:
    struct Refusal {
        int error = 0; // errno of the failing step; EBUSY when held
        std::optional<PortHolder> holder;
    };

    PortLock() = default;
    ~PortLock();
    PortLock(const PortLock &) = delete;
    PortLock &operator=(const PortLock &) = delete;

    // `device` is the device's canonical path.
    std::optional<Refusal> acquire(const QString &device);
    void release();

private:
    std::optional<Refusal> checkLockFiles(const QString &device);
    bool makeOwnLockFile(const QString &device);

    int m_fd = -1;
    QString m_ownLock;
    QByteArray m_ownContent;
    ino_t m_ownInode = 0;
};

} // namespace kvt::programmer
