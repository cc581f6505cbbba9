#pragma once

#include <QString>

namespace kvt::programmer {

// The programmer's serial choices, as the "Communication" menu shows them.
struct SerialSettings {
    int port = 1; // COM1..COM4
    bool dtr = true;
    bool rts = true;
    bool eof = false;

    bool operator==(const SerialSettings &) const = default;
};

// The application's configuration folder ($XDG_CONFIG_HOME/kvt): it holds
// MolbSerial.cfg and the comN links that point COM ports at devices.
QString configFolder();
QString settingsFilePath(); // configFolder()/MolbSerial.cfg

// Reads MolbSerial.cfg over `current`: line 1 "1".."4" picks the port
// (anything else keeps it), lines 2..4 set DTR, RTS and EOF ("1" exactly
// is on). A missing file changes nothing; a short file applies the lines
// it has.
SerialSettings readSerialSettings(const QString &path, SerialSettings current);
// Writes the four CR LF lines atomically; false when it could not.
bool writeSerialSettings(const QString &path, const SerialSettings &settings);

// Where a port name leads: "COM1".."COM4" (any case) to the target of the
// link comN in the configuration folder, else to /dev/ttyS(N-1); any other
// name is taken as a device path.
struct PortTarget {
    QString name; // as given
    QString device;
    int comNumber = 0;   // 1..4 for a COM name, else 0
    QString link;        // the comN link's path, for a COM name
    bool linked = false; // the link exists (it may point at nothing)
};
PortTarget portTarget(const QString &portName);
QString portDevice(const QString &portName); // portTarget(portName).device
// configFolder()/comN, for N 1..4.
QString comLinkPath(int number);
// "COM3" for 3.
QString portName(int port);

} // namespace kvt::programmer
