#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace kvt::sim {

// The longest reply delay taken: a minute is far beyond any time-out.
constexpr long MaxDelayMs = 60000;

// How the simulated unit behaves and where it reports.
struct Options {
    QByteArray identifier = "KVT00001"; // in the unit's 8-bit set
    QByteArray serialNumber = "000000001";
    QByteArray firmware = "0312";
    QByteArray date = "0607";
    QString linkPath;   // a symbolic link made to the device
    QString savePath;   // the memory written, saved on exit
    QString logPath;    // one line per request received
    int delayMs = 0;    // before each reply
    int pauseMs = 2000; // between two units of a line of units
    bool paced = false; // ten bit times per byte at 9600 baud, both ways
    std::optional<long> silentAfter;
    std::optional<long> wrongEchoAt;
    std::optional<long> doubleEchoAt;
    std::optional<long> hangupAfter;
    std::optional<long> units; // a line of units, one after the other
};

// The command line of kvt-unit-sim, the program's name first. On a usage
// error it says what is wrong on stderr and returns nothing; --help prints
// the help and exits.
std::optional<Options> parseOptions(const QStringList &arguments);

} // namespace kvt::sim
