#pragma once

#include "programmer/protocol.h"
#include "sim/options.h"

#include <QByteArray>
#include <QList>

#include <map>
#include <optional>

namespace kvt::sim {

// The simulated unit's side of the protocol, without the line: it answers
// write requests with the echo of the value and read requests of bank 0
// with its identity, keeps what was written, and misbehaves as its options
// ask.
class Unit {
public:
    explicit Unit(const Options &options);

    // Takes the first whole request off the front of `pending`. Bytes that
    // start no request are dropped, as a unit resynchronises on "W" or
    // "R"; nothing comes while the request is still incomplete.
    static std::optional<programmer::protocol::Request> takeRequest(QByteArray &pending);
    // "W bbb aaa vvv" or "R bbb aaa", as the request log has it.
    static QByteArray logLine(const programmer::protocol::Request &request);

    // The reply to one request, all of it to go out in one write; empty
    // when the unit keeps silent.
    QByteArray answer(const programmer::protocol::Request &request);
    // Once due, the unit answers nothing more and drops the line.
    bool hangupDue() const { return m_hangupDue; }
    // The memory written, as memory lines in the order their addresses were
    // first written; a second write to an address changes the value in place.
    QByteArray memoryLines() const;
    // The next unit of a line of units takes this one's place: a fresh
    // memory, the serial number one higher. Requests go on being counted.
    void nextUnit();
    // The number at the end of `serial` plus `step`, as wide as it was.
    static QByteArray nextSerialNumber(const QByteArray &serial, long step);

private:
    void setIdentity(const QByteArray &serialNumber);
    void store(int bank, int address, quint8 value);
    quint8 peek(int bank, int address) const;

    const Options m_options;
    bool m_hangupDue;
    long m_requests = 0;
    long m_unitIndex = 0;
    std::map<int, quint8> m_identity; // bank 0
    std::map<int, quint8> m_memory;   // bank * 256 + address
    QList<int> m_order;
};

} // namespace kvt::sim
