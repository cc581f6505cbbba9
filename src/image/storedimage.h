#pragma once

#include "image/configfile.h"
#include "image/document.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace kvt::image {

// A configuration file as it is stored, line by line, in the parts the
// decoder reads by position: 37 parameter lines, 64 zones of 64 lines,
// the lines up to the first GPRS line (bank 065, the GPRS string the unit
// receives), the 15 GPRS lines, and whatever follows them.
//
// The document is what the configurator loads; the lines also hold what
// it does not read back: bank and address digits, the reserved byte 015,
// the padding of the PIN and ISDN number, bank 065 itself, and, inside a
// hand-edited zone, bytes the zone editor would write otherwise.
class StoredImage {
public:
    enum Part { Parameters, Zones, GprsBank, GprsLines, Tail, PartCount };
    struct Span {
        qsizetype first = 0; // 0-based line
        qsizetype count = 0;
    };

    // The file if the configurator would load it (line check, decoding).
    static std::optional<StoredImage> fromBytes(const QByteArray &bytes);

    const Document &document() const { return m_document; }
    const QByteArray &bytes() const { return m_bytes; }

    qsizetype lineCount() const { return m_lines.size(); }
    // Line i (0-based) without its line end.
    QByteArray line(qsizetype i) const;
    Span span(Part part) const { return m_spans[part]; }
    Span zoneSpan(int zone) const; // 1..64

    // Whether bank 065 holds, line for line, what the configurator writes
    // for the GPRS boxes.
    bool gprsBankAgrees() const;
    // The characters of the bank-065 values, without the "?" that fill the
    // bank up after the string.
    QString storedGprsString() const;

    // The file for `changed`, a document made from this one: the lines of
    // every value that differs are written as the configurator writes them
    // (zones: their texts as `changed` holds them); every other line stays
    // byte for byte, and so does bank 065 unless the composed GPRS string
    // changes. `bankReplaced` tells when a bank 065 that disagreed with the
    // GPRS boxes gave way to the newly composed string. Nothing when the
    // document holds a character without a code.
    std::optional<QByteArray> withDocument(const Document &changed,
                                           bool *bankReplaced = nullptr) const;

private:
    QByteArray m_bytes;
    QList<LineBounds> m_lines;
    Document m_document;
    std::array<Span, PartCount> m_spans;

    QByteArray rawLines(qsizetype first, qsizetype count) const; // with line ends
};

} // namespace kvt::image
