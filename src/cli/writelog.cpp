#include "writelog.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace kvt::cli {

namespace {

// A field as a spreadsheet reads it back: quoted when it holds a comma,
// a quote or a line break, quotes doubled.
QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        bytes = '"' + bytes.replace("\"", "\"\"") + '"';
    return bytes;
}

// The whole of `bytes`, flushed. A write cut short (the disk filled up on
// the way) leaves no reason behind.
bool writeAll(QFile &file, const QByteArray &bytes, QString *error)
{
    if (file.write(bytes) == bytes.size() && file.flush())
        return true;
    const QString reason = file.errorString();
    *error = reason == QFile().errorString()
        ? QStringLiteral("could not write all of it (disk full?)")
        : reason;
    return false;
}

} // namespace

const char *const WriteLog::Header =
    "time,port,identifier,serial_number,file,sha256,result,bytes_written,seconds\r\n";

bool WriteLog::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    // A device or a pipe (/dev/stdout) has no end to append at.
    const QFileInfo info(path);
    const bool stream = info.exists() && !info.isFile();
    if (!m_file.open(stream ? QIODevice::WriteOnly : QIODevice::WriteOnly | QIODevice::Append)) {
        *error = m_file.errorString();
        return false;
    }
    return m_file.size() != 0 || writeAll(m_file, Header, error);
}

bool WriteLog::append(const Row &row, QString *error)
{
    const QDateTime time = row.time.toOffsetFromUtc(row.time.offsetFromUtc());
    const QList<QByteArray> fields = {
        csvField(time.toString(Qt::ISODate)),
        csvField(row.port),
        csvField(row.identifier),
        csvField(row.serialNumber),
        csvField(row.file),
        csvField(row.sha256),
        csvField(row.result),
        QByteArray::number(row.bytesWritten),
        QByteArray::number(row.seconds, 'f', 2),
    };
    return writeAll(m_file, fields.join(',') + "\r\n", error);
}

QString WriteLog::result(const programmer::Outcome &outcome)
{
    using programmer::Outcome;
    switch (outcome.kind) {
    case Outcome::Programmed:
    case Outcome::EndedSilently: return QStringLiteral("programmed");
    case Outcome::InvalidFile: return QStringLiteral("invalid file");
    case Outcome::OpenFailed: return QStringLiteral("port not opened");
    case Outcome::TimedOut: return QStringLiteral("no response");
    case Outcome::InvalidReply: return QStringLiteral("invalid response");
    case Outcome::Identified:
    case Outcome::Cancelled: break;
    }
    return QStringLiteral("interrupted");
}

QString WriteLog::notIdentified()
{
    return QStringLiteral("not identified");
}

QString fileSha256(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return {};
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace kvt::cli
