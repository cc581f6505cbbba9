#pragma once

#include <QByteArray>

namespace kvt::programmer::protocol {

// The serial protocol of the tracking unit: raw bytes, no framing, one
// request outstanding at a time.
//   write request "W", bank, address, value - answered by the echo of the value
//   read request  "R", 0, address           - answered by the byte at that
//                                             address of bank 0
constexpr char WriteCommand = 'W';
constexpr char ReadCommand = 'R';
constexpr int WriteRequestSize = 4;
constexpr int ReadRequestSize = 3;

// Each request has this long for its first reply byte; there is no retry.
constexpr int ReplyTimeoutMs = 1000;

struct Request {
    char command = WriteCommand;
    quint8 bank = 0;
    quint8 address = 0;
    quint8 value = 0; // of a write request

    QByteArray bytes() const;
    bool operator==(const Request &) const = default;
};

Request writeRequest(quint8 bank, quint8 address, quint8 value);
Request readRequest(quint8 address);

// How many bytes make the request that begins with `command`; 0 when no
// request begins with it.
int requestSize(char command);
// The request at the front of `bytes`, which hold at least its size.
Request parseRequest(const QByteArray &bytes);

// The unit's reply to a write request, and the check of it: exactly one
// byte, equal to the value written.
QByteArray echo(quint8 value);
bool isEcho(const QByteArray &reply, quint8 value);

} // namespace kvt::programmer::protocol
