#include "sim/unit.h"

#include "image/memoryline.h"
#include "programmer/identity.h"

#include <cctype>

namespace kvt::sim {

using programmer::protocol::Request;

Unit::Unit(const Options &options) : m_options(options), m_hangupDue(options.hangupAfter == 0L)
{
    setIdentity(options.serialNumber);
}

void Unit::setIdentity(const QByteArray &serialNumber)
{
    const std::pair<programmer::IdentityField, QByteArray> fields[] = {
        {programmer::IdentifierField, m_options.identifier},
        {programmer::SerialNumberField, serialNumber},
        {programmer::FirmwareField, m_options.firmware},
        {programmer::DateField, m_options.date},
    };
    m_identity.clear();
    for (const auto &[field, text] : fields) {
        for (int i = 0; i < text.size(); ++i)
            m_identity[field.first + i] = quint8(text.at(i));
    }
}

void Unit::nextUnit()
{
    ++m_unitIndex;
    m_memory.clear();
    m_order.clear();
    setIdentity(nextSerialNumber(m_options.serialNumber, m_unitIndex));
}

QByteArray Unit::nextSerialNumber(const QByteArray &serial, long step)
{
    qsizetype digits = 0;
    while (digits < serial.size() && std::isdigit(uchar(serial.at(serial.size() - 1 - digits))))
        ++digits;
    if (digits == 0)
        return serial;
    const qsizetype start = serial.size() - digits;
    const QByteArray number = QByteArray::number(serial.mid(start).toLongLong() + step);
    return serial.left(start) + number.rightJustified(digits, '0').right(digits);
}

std::optional<Request> Unit::takeRequest(QByteArray &pending)
{
    while (!pending.isEmpty()) {
        const int size = programmer::protocol::requestSize(pending.at(0));
        if (size == 0) {
            pending.remove(0, 1);
            continue;
        }
        if (pending.size() < size)
            return std::nullopt;
        const Request request = programmer::protocol::parseRequest(pending);
        pending.remove(0, size);
        return request;
    }
    return std::nullopt;
}

QByteArray Unit::logLine(const Request &request)
{
    using image::threeDigits;
    QString line = threeDigits(request.bank) + QLatin1Char(' ') + threeDigits(request.address);
    if (request.command == programmer::protocol::WriteCommand)
        line = QStringLiteral("W ") + line + QLatin1Char(' ') + threeDigits(request.value);
    else
        line = QStringLiteral("R ") + line;
    return line.toLatin1() + '\n';
}

QByteArray Unit::answer(const Request &request)
{
    ++m_requests;
    if (m_options.silentAfter && m_requests > *m_options.silentAfter)
        return {};
    quint8 reply;
    if (request.command == programmer::protocol::WriteCommand) {
        reply = request.value;
        store(request.bank, request.address, reply);
    } else {
        reply = peek(request.bank, request.address);
    }
    if (m_options.wrongEchoAt && m_requests == *m_options.wrongEchoAt)
        reply = quint8(reply + 1);
    QByteArray bytes = programmer::protocol::echo(reply);
    if (m_options.doubleEchoAt && m_requests == *m_options.doubleEchoAt)
        bytes.append(char(reply));
    if (m_options.hangupAfter && m_requests >= *m_options.hangupAfter)
        m_hangupDue = true;
    return bytes;
}

QByteArray Unit::memoryLines() const
{
    QByteArray text;
    for (int key : m_order)
        text += image::memoryLine(key / 256, key % 256, m_memory.at(key)).toLatin1() + "\r\n";
    return text;
}

void Unit::store(int bank, int address, quint8 value)
{
    const int key = bank * 256 + address;
    if (bank == 0)
        m_identity[address] = value;
    if (!m_memory.contains(key))
        m_order.append(key);
    m_memory[key] = value;
}

quint8 Unit::peek(int bank, int address) const
{
    const auto &cells = bank == 0 ? m_identity : m_memory;
    const auto it = cells.find(bank == 0 ? address : bank * 256 + address);
    return it == cells.end() ? 0xFF : it->second;
}

} // namespace kvt::sim
