#include "programmer/portlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace kvt::programmer {

namespace {

bool isAlive(qint64 pid)
{
    return pid > 0 && pid <= INT_MAX && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

QString processName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll().trimmed())
                                          : QString();
}

QString processUser(qint64 pid)
{
    struct stat st {};
    if (::stat(QByteArray("/proc/" + QByteArray::number(pid)).constData(), &st) != 0)
        return {};
    const passwd *pw = ::getpwuid(st.st_uid);
    return pw ? QString::fromLocal8Bit(pw->pw_name) : QString::number(st.st_uid);
}

PortHolder holder(PortHolder::How how, qint64 pid)
{
    PortHolder h;
    h.how = how;
    h.pid = pid;
    h.program = processName(pid); // both empty for pid 0: /proc/0 does not exist
    h.user = processUser(pid);
    return h;
}

// The process holding an flock() on the device, from /proc/locks:
// "1: FLOCK  ADVISORY  WRITE 1234 00:19:3 0 EOF" names the file by its
// file system's major and minor number in hex and its inode.
qint64 flockHolder(const struct stat &device)
{
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray file = QStringLiteral("%1:%2:%3")
                                .arg(major(device.st_dev), 2, 16, QLatin1Char('0'))
                                .arg(minor(device.st_dev), 2, 16, QLatin1Char('0'))
                                .arg(device.st_ino)
                                .toLatin1();
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() >= 6 && f.at(1) == "FLOCK" && f.at(5).toLower() == file.toLower())
            return f.at(4).toLongLong();
    }
    return 0;
}

// A process of the same user that has the device open (others' descriptors
// cannot be seen).
qint64 opener(const QString &device)
{
    const QString own = QString::number(::getpid());
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid == own || pid.toLongLong() <= 0)
            continue;
        const QDir fds(proc.filePath(pid + QStringLiteral("/fd")));
        for (const QFileInfo &fd : fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot)) {
            if (fd.symLinkTarget() == device)
                return pid.toLongLong();
        }
    }
    return 0;
}

QByteArray readAll(const QString &path, bool *exists)
{
    QFile file(path);
    *exists = file.exists();
    return *exists && file.open(QIODevice::ReadOnly) ? file.read(4096) : QByteArray();
}

} // namespace

LockFileOwner readLockFile(const QByteArray &bytes)
{
    LockFileOwner owner;
    const bool digitsOnly = !bytes.isEmpty() && std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == ' ' || c == '\n';
    });
    if (bytes.size() == 4 && !digitsOnly) {
        qint32 pid = 0;
        std::memcpy(&pid, bytes.constData(), sizeof pid); // the host's byte order
        owner.pid = pid;
    } else {
        const QList<QByteArray> lines = bytes.split('\n');
        const QList<QByteArray> words = lines.first().simplified().split(' ');
        bool isNumber = false;
        owner.pid = words.first().toLongLong(&isNumber);
        if (!isNumber)
            owner.pid = 0;
        owner.program = QString::fromLocal8Bit(words.value(1));
        owner.user = QString::fromLocal8Bit(words.value(2));
        if (owner.program.isEmpty() && lines.size() > 1) // Qt's form
            owner.program = QString::fromLocal8Bit(lines.at(1).trimmed());
    }
    if (owner.pid > 0)
        owner.state = isAlive(owner.pid) ? LockFileOwner::Live : LockFileOwner::Dead;
    return owner;
}

QStringList lockDirectories()
{
    const QString own = qEnvironmentVariable("KVT_LOCK_DIR");
    if (!own.isEmpty())
        return {own};
    // Usually one is a link to the other: a folder looked at twice gives the
    // same answer twice, and a missing one holds no lock and takes none.
    return {QStringLiteral("/var/lock"), QStringLiteral("/run/lock")};
}

QString lockFileName(const QString &device)
{
    QString name = device;
    if (name.startsWith(QLatin1String("/dev/")))
        name.remove(0, 5);
    return QStringLiteral("LCK..") + name.replace(QLatin1Char('/'), QLatin1Char('_'));
}

PortLock::~PortLock()
{
    release();
}

std::optional<PortLock::Refusal> PortLock::acquire(const QString &device)
{
    release();
    if (auto refusal = checkLockFiles(device))
        return refusal;

    const QByteArray path = QFile::encodeName(device);
    m_fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    std::optional<Refusal> refusal;
    struct stat st {};
    if (m_fd == -1) {
        refusal = Refusal{errno, {}};
        if (errno == EBUSY)
            refusal->holder = holder(PortHolder::Exclusive, opener(device));
    } else if (!::isatty(m_fd)) {
        refusal = Refusal{ENOTTY, {}};
    } else if (::flock(m_fd, LOCK_EX | LOCK_NB) == -1 && errno == EWOULDBLOCK) {
        ::fstat(m_fd, &st);
        refusal = Refusal{EBUSY, holder(PortHolder::Flock, flockHolder(st))};
    }
    // A program that made its lock file meanwhile wins.
    for (int attempt = 0; !refusal && !makeOwnLockFile(device) && attempt < 2; ++attempt)
        refusal = checkLockFiles(device);
    if (refusal)
        release();
    return refusal;
}

// Refuses the device while a lock file names a live process, or names
// none; removes those of processes that have ended.
std::optional<PortLock::Refusal> PortLock::checkLockFiles(const QString &device)
{
    for (const QString &dir : lockDirectories()) {
        const QString path = dir + QLatin1Char('/') + lockFileName(device);
        bool exists = false;
        const QByteArray bytes = readAll(path, &exists);
        if (!exists)
            continue;
        const LockFileOwner owner = readLockFile(bytes);
        PortHolder h;
        h.lockFile = path;
        h.pid = owner.pid;
        h.program = owner.program.isEmpty() && owner.state == LockFileOwner::Live
            ? processName(owner.pid)
            : owner.program;
        h.user = owner.user.isEmpty() && owner.state == LockFileOwner::Live ? processUser(owner.pid)
                                                                            : owner.user;
        if (owner.state == LockFileOwner::Live)
            return Refusal{EBUSY, h};
        if (owner.state == LockFileOwner::Unknown) {
            h.how = PortHolder::UnreadableLock;
            return Refusal{EBUSY, h};
        }
        bool stillThere = false;
        if (readAll(path, &stillThere) != bytes || !stillThere)
            return checkLockFiles(device); // it changed under us: look again
        if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT) {
            h.how = PortHolder::StuckLock;
            h.error = errno;
            return Refusal{EBUSY, h};
        }
    }
    return std::nullopt;
}

// Ten ASCII digits and a line feed, the form every program reads. Made
// only where none exists (O_EXCL); a folder that takes no file of ours
// (read-only, another user's) is passed over. Qt replaces it with its own
// lock for this process when the port opens, and removes that on close.
// False when another program's lock file appeared meanwhile.
bool PortLock::makeOwnLockFile(const QString &device)
{
    m_ownContent = QByteArray::number(qint64(::getpid())).rightJustified(10, ' ') + '\n';
    for (const QString &dir : lockDirectories()) {
        const QString path = dir + QLatin1Char('/') + lockFileName(device);
        const QByteArray name = QFile::encodeName(path);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                return false;
            continue;
        }
        struct stat st {};
        const bool written = ::write(fd, m_ownContent.constData(), size_t(m_ownContent.size()))
                == m_ownContent.size()
            && ::fstat(fd, &st) == 0;
        ::close(fd);
        if (!written) {
            ::unlink(name.constData());
            continue;
        }
        m_ownLock = path;
        m_ownInode = st.st_ino;
        return true;
    }
    return true;
}

void PortLock::release()
{
    if (!m_ownLock.isEmpty()) {
        const QByteArray name = QFile::encodeName(m_ownLock);
        struct stat st {};
        bool exists = false;
        if (::stat(name.constData(), &st) == 0 && st.st_ino == m_ownInode
            && readAll(m_ownLock, &exists) == m_ownContent)
            ::unlink(name.constData());
    }
    m_ownLock.clear();
    ::close(std::exchange(m_fd, -1)); // and with it the flock; -1: nothing to close
}

} // namespace kvt::programmer
