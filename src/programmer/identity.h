#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace kvt::programmer {

// A unit keeps its identity as characters of the 8-bit set at fixed
// addresses of bank 0.
struct IdentityField {
    quint8 first;
    quint8 length;
};
constexpr IdentityField IdentifierField{10, 8};
constexpr IdentityField SerialNumberField{18, 9};
constexpr IdentityField FirmwareField{31, 4}; // "0312" is version 3.12
constexpr IdentityField DateField{35, 4};     // "0607" is 06/2007
constexpr IdentityField IdentityFields[] = {IdentifierField, SerialNumberField, FirmwareField,
                                            DateField};

// The addresses read for an identity, in order: 10 to 26, then 31 to 38.
QList<quint8> identityAddresses();

// The identity text built from the replies to the reads of
// identityAddresses(). A reply goes in whole, whatever its length. The
// unit's bytes may be anything: the texts show control characters as
// their symbols (see image::visible()), so the line stays one line and a
// NUL cuts nothing.
class IdentityText {
public:
    void add(quint8 address, const QByteArray &reply);
    // "Identifier: KVT00001    Serial number: 000000001    Firmware
    // version: 3.12    Manufacturing date: 06/2007" on one line.
    QString text() const;
    QString identifier() const;
    QString serialNumber() const;

private:
    // The identifier, the serial number, and the two halves of the
    // firmware version and of the date, which punctuation joins.
    QString m_parts[6];
};

} // namespace kvt::programmer
