#pragma once

#include "image/document.h"
#include "image/gprs.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace kvt::image {

// Lines of a configuration file: CR LF ends a line, so does a lone CR; a
// lone LF stays part of its line. Line ends are not part of the lines.
QList<QByteArray> splitLines(const QByteArray &bytes);

// The same lines as places in the bytes: where each starts and where its
// text ends, before its line end.
struct LineBounds {
    qsizetype start = 0;
    qsizetype end = 0;
};
QList<LineBounds> lineBounds(QByteArrayView bytes);

// The line check: every line is empty, a GPRS line ("GPRS:" and at most
// MaxGprsTextLength characters), or a memory line of nine decimal digits
// whose three fields are 000..255.
// Files larger than this are refused: far above any configuration, it keeps
// a device file or a huge log from filling the memory.
inline constexpr qsizetype MaxConfigurationFileSize = 16 * 1024 * 1024;

bool isValidLine(const QByteArray &line);
bool checkConfigurationBytes(const QByteArray &bytes); // false above the size limit too

// The bytes of a file, read no further than just past the size limit;
// nothing when the file cannot be opened or read, and nothing, without
// opening it, when it is not a regular file (or a link to one): a named
// pipe or a device would block or never end.
std::optional<QByteArray> readConfigurationBytes(const QString &path);

// Positional decoding of a checked file into a whole document. Returns
// nothing when the file ends early, has no GPRS line after the zone block
// or holds a value that is no number or no byte; the caller's document stays as it
// was (all-or-nothing load).
std::optional<Document> decodeParameters(const QByteArray &bytes);

inline const QString InvalidFileText = QStringLiteral(
    "Invalid or corrupted configuration file, loading aborted...");
inline const QString UnreadableFileText = QStringLiteral(
    "Unable to read the configuration file, loading aborted...");
inline const QString SaveFailedText = QStringLiteral(
    "Unable to save the configuration file, saving aborted...");

struct LoadResult {
    enum Status { Loaded, Unreadable, Invalid };
    Status status = Invalid;
    Document document; // meaningful only when Loaded
};

// The message of a file that did not load: UnreadableFileText or
// InvalidFileText.
QString loadFailureText(LoadResult::Status status);

// Reads, checks and decodes a .kvt file in one go.
LoadResult loadConfigurationFile(const QString &path);

// Reads and line-checks a file without decoding it (the programmer's
// import). Unreadable files are reported apart from invalid ones.
LoadResult::Status checkConfigurationFile(const QString &path);

// The bytes of a file that holds the image: the image followed by one
// CR LF, in Windows-1252. Nothing, and errorString says why, when the image
// holds a character without a code or a line the line check refuses.
std::optional<QByteArray> configurationFileBytes(const QString &imageText,
                                                 QString *errorString = nullptr);

// Writes the image followed by one CR LF, atomically (temporary file
// beside the target, renamed over it). On failure the target is
// untouched and errorString, when given, says why.
bool writeConfigurationFile(const QString &path, const QString &imageText,
                            QString *errorString = nullptr);
// The same for the whole bytes of a file, which must pass the line check.
bool writeConfigurationBytes(const QString &path, const QByteArray &bytes,
                             QString *errorString = nullptr);

} // namespace kvt::image
