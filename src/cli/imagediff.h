#pragma once

#include "image/storedimage.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace kvt::cli {

// One difference between two configuration files.
struct Difference {
    qsizetype line = 0;       // 1-based, in A (in B where A has no such line)
    QString key;              // the `kvt set` key of a document value; empty for stored bytes
    QString label;            // what differs, in the windows' words
    std::optional<QString> a; // as the windows show it, or the stored line;
    std::optional<QString> b; // nothing where a file has no such line

    bool storedOnly() const { return key.isEmpty(); }
};

// Every difference in file order: the document's values in the windows'
// words, and the stored lines that differ where no value does (bank and
// address digits, reserved bytes, a hand-edited bank 065, lines after the
// GPRS lines).
QList<Difference> imageDifferences(const image::StoredImage &a, const image::StoredImage &b);

// "THA: +125°C -> +25.5°C", "Line 484 (Zone 07 Reserved245): 007245048 -> 007245049".
QString differenceText(const Difference &difference);
// {"line": 9, "key": "TempHighAlert", "label": "THA", "a": "+125°C", "b": "+25.5°C"}
QJsonObject differenceToJson(const Difference &difference);

} // namespace kvt::cli
