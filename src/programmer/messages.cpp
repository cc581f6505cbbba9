#include "programmer/messages.h"

namespace kvt::programmer::messages {

namespace {

Outcome message(Outcome::Kind kind, const QString &title, const QString &text,
                bool exclamation)
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
    return message(Outcome::InvalidFile, ErrorTitle,
                   QStringLiteral("Invalid or corrupted configuration file, programming aborted..."),
                   true);
}

Outcome openFailed()
{
    return message(Outcome::OpenFailed, ErrorTitle,
                   QStringLiteral("Unable to open the Serial Port, Programming aborted..."), true);
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

Outcome identity(const QString &text)
{
    return message(Outcome::Identified, QStringLiteral("Device ID"), text, false);
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
