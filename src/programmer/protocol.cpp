#include "programmer/protocol.h"

namespace kvt::programmer::protocol {

QByteArray Request::bytes() const
{
    QByteArray out(1, command);
    out.append(char(bank));
    out.append(char(address));
    if (command == WriteCommand)
        out.append(char(value));
    return out;
}

Request writeRequest(quint8 bank, quint8 address, quint8 value)
{
    return {WriteCommand, bank, address, value};
}

Request readRequest(quint8 address)
{
    return {ReadCommand, 0, address}; // no value
}

int requestSize(char command)
{
    switch (command) {
    case WriteCommand: return WriteRequestSize;
    case ReadCommand: return ReadRequestSize;
    default: return 0;
    }
}

Request parseRequest(const QByteArray &bytes)
{
    const auto at = [&](int i) { return quint8(bytes.at(i)); };
    if (bytes.at(0) == WriteCommand)
        return writeRequest(at(1), at(2), at(3));
    return {ReadCommand, at(1), at(2)};
}

QByteArray echo(quint8 value)
{
    return QByteArray(1, char(value));
}

bool isEcho(const QByteArray &reply, quint8 value)
{
    return reply.size() == 1 && quint8(reply.at(0)) == value;
}

} // namespace kvt::programmer::protocol
