#include "programmer/messages.h"

#include <cerrno>
#include <cstring>

namespace kvt::programmer::messages {

namespace {

Outcome message(Outcome::Kind kind, const QString &title, const QString &text, bool exclamation)
{
    Outcome o;
    o.kind = kind;
    o.title = title;
    o.text = text;
    o.exclamation = exclamation;
    return o;
}

const QString ErrorTitle = QStringLiteral("Error Message");

} // namespace

Outcome unreadableFile()
{
    return message(Outcome::InvalidFile, ErrorTitle,
                   QStringLiteral("Unable to read the configuration file, programming aborted..."),
                   true);
}

Outcome invalidFile()
{
    return message(
        Outcome::InvalidFile, ErrorTitle,
        QStringLiteral("Invalid or corrupted configuration file, programming aborted..."), true);
}

Outcome openFailed(const QString &detail)
{
    Outcome o = message(Outcome::OpenFailed, ErrorTitle, openFailedText(false), true);
    o.detail = detail;
    return o;
}

QString openFailedText(bool reading)
{
    return reading ? QStringLiteral("Unable to open the Serial Port, Reading aborted...")
                   : QStringLiteral("Unable to open the Serial Port, Programming aborted...");
}

QString unlinkedPort(const PortTarget &target)
{
    return QStringLiteral("%1 is %2 (there is no link %3)")
        .arg(target.name, target.device, target.link);
}

QString openFailureDetail(const PortTarget &target, const QString &reason)
{
    QString place = target.name;
    if (target.comNumber != 0 && target.linked)
        place = QStringLiteral("%1 -> %2").arg(target.name, target.device);
    else if (target.comNumber != 0)
        place = unlinkedPort(target);
    return place + QStringLiteral(": ") + reason;
}

namespace {

// "minicom (process 1234, user pi)"; without a pid, "another program"
QString who(const PortHolder &h)
{
    if (h.pid <= 0)
        return QStringLiteral("another program");
    QString process = QStringLiteral("process %1").arg(h.pid);
    if (!h.user.isEmpty())
        process += QStringLiteral(", user ") + h.user;
    return h.program.isEmpty() ? process : QStringLiteral("%1 (%2)").arg(h.program, process);
}

QString busyReason(const PortHolder &h)
{
    switch (h.how) {
    case PortHolder::LockFile: return QStringLiteral("locked by %1: %2").arg(who(h), h.lockFile);
    case PortHolder::UnreadableLock:
        return QStringLiteral("the lock file %1 names no process; remove it if no program "
                              "uses the port")
            .arg(h.lockFile);
    case PortHolder::StuckLock:
        return QStringLiteral("the lock file %1 of a process that has ended cannot be removed "
                              "(%2); remove it")
            .arg(h.lockFile, QString::fromLocal8Bit(std::strerror(h.error)));
    case PortHolder::Flock: return who(h) + QStringLiteral(" holds it (flock)");
    case PortHolder::Exclusive: return who(h) + QStringLiteral(" has it open");
    }
    return {};
}

} // namespace

QString systemReason(int error, const std::optional<PortHolder> &holder, const QString &group)
{
    const QString system = QString::fromLocal8Bit(std::strerror(error));
    switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO: return system + QStringLiteral(" - is it plugged in? see `kvt ports`");
    case EACCES:
    case EPERM: {
        const QString g = group.isEmpty() ? QStringLiteral("dialout") : group;
        return system
            + QStringLiteral(" - add your user to the `%1` group (sudo usermod -aG %1 "
                             "$USER, then log in again)")
                  .arg(g);
    }
    case EBUSY: return holder ? system + QStringLiteral(" - ") + busyReason(*holder) : system;
    case ENOTTY: return system + QStringLiteral(" - not a serial port");
    default: return system;
    }
}

// A write's time-out and its invalid reply spell their titles differently;
// both are kept as users know them.
Outcome noResponse(bool reading)
{
    if (reading)
        return message(Outcome::TimedOut, QStringLiteral("Reading Error Message"),
                       QStringLiteral("No response received from tracking unit, "
                                      "Reading aborted..."),
                       true);
    return message(Outcome::TimedOut, QStringLiteral("Progrmming Error Message"),
                   QStringLiteral("No response received from tracking unit, "
                                  "programming aborted..."),
                   true);
}

Outcome invalidReply()
{
    return message(Outcome::InvalidReply, QStringLiteral("Programming Error Message"),
                   QStringLiteral("Invalid response received from tracking unit, "
                                  "programming aborted..."),
                   true);
}

Outcome summary(int done, int total, qint64 elapsedSeconds)
{
    return message(Outcome::Programmed, QStringLiteral("Programming Message"),
                   QStringLiteral("Tracking base successfully programmed, %1 of %2 bytes "
                                  "successfully writted , Elapsed time: %3sec")
                       .arg(done)
                       .arg(total)
                       .arg(elapsedSeconds),
                   false);
}

Outcome identity(const QString &text, const QString &identifier, const QString &serialNumber)
{
    Outcome o = message(Outcome::Identified, QStringLiteral("Device ID"), text, false);
    o.identifier = identifier;
    o.serialNumber = serialNumber;
    return o;
}

Outcome endedSilently()
{
    Outcome o;
    o.kind = Outcome::EndedSilently;
    return o;
}

Outcome cancelled()
{
    return Outcome{};
}

QString portOpened(int port)
{
    return QStringLiteral("Serial port COM %1 successfully opened...").arg(port);
}

QString progress(int done, int total)
{
    return QStringLiteral("%1 of %2 bytes successfully programmed").arg(done).arg(total);
}

} // namespace kvt::programmer::messages
