#include "programmer/identity.h"

#include "image/charset.h"

#include <iterator>

namespace kvt::programmer {

QList<quint8> identityAddresses()
{
    QList<quint8> addresses;
    for (const IdentityField &field : IdentityFields) {
        for (int i = 0; i < field.length; ++i)
            addresses.append(quint8(field.first + i));
    }
    return addresses;
}

void IdentityText::add(quint8 address, const QByteArray &reply)
{
    for (int f = 0; const IdentityField &field : IdentityFields) {
        const int offset = address - field.first;
        if (offset >= 0 && offset < field.length) {
            const int part = f < 2 ? f : 2 * f - 2 + (offset >= 2 ? 1 : 0);
            m_parts[part] += image::fromWindows1252(reply);
            return;
        }
        ++f;
    }
}

QString IdentityText::text() const
{
    // A version that begins with 0 keeps its second character alone:
    // "03" "12" is 3.12, "00" "05" is 0.05.
    QString major = m_parts[2];
    if (major.startsWith(QLatin1Char('0')))
        major = major.mid(1, 1);
    return image::visible(QStringLiteral("Identifier: ") + m_parts[0]
                          + QStringLiteral("    Serial number: ") + m_parts[1]
                          + QStringLiteral("    Firmware version: ") + major + QLatin1Char('.')
                          + m_parts[3] + QStringLiteral("    Manufacturing date: ") + m_parts[4]
                          + QStringLiteral("/20") + m_parts[5]);
}

QString IdentityText::identifier() const
{
    return image::visible(m_parts[0]);
}

QString IdentityText::serialNumber() const
{
    return image::visible(m_parts[1]);
}

} // namespace kvt::programmer
