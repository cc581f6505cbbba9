#pragma once

#include "programmer/outcome.h"

#include <QDateTime>
#include <QFile>
#include <QString>

namespace kvt::cli {

// The record of `kvt write --log FILE.csv`: one row per unit, appended and
// flushed as soon as the unit is done, under a header row that a new (or
// empty) file gets once.
class WriteLog {
public:
    struct Row {
        QDateTime time; // when the unit's turn began
        QString port;   // the device
        QString identifier;
        QString serialNumber;
        QString file;
        QString sha256;
        QString result;
        int bytesWritten = 0;
        double seconds = 0;
    };

    static const char *const Header;

    // False, with the reason in `error`, when the file cannot be written.
    bool open(const QString &path, QString *error);
    bool isOpen() const { return m_file.isOpen(); }
    bool append(const Row &row, QString *error);

    // The result column for how a write ended ("programmed", "no response"...).
    static QString result(const programmer::Outcome &outcome);
    static QString notIdentified();

private:
    QFile m_file;
};

// SHA-256 of the file's bytes in lower-case hex; empty when it cannot be read.
QString fileSha256(const QString &path);

} // namespace kvt::cli
