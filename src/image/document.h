#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace kvt::image {

// The fifteen GPRS/FTP boxes, in the order their lines stand in a
// configuration file.
enum class GprsField {
    Apn,
    Ip,
    Login,
    Password,
    Dns1,
    Dns2,
    FtpServer,
    FtpUsername,
    FtpPassword,
    FtpSubDirectory,
    Trial,
    Port,
    Mode,
    Tmr1,
    Tmr2,
};
inline constexpr int GprsFieldCount = 15;

// Box name ("Apn", "FtpSubDirectory", ...) of a field; also its JSON key.
QString gprsFieldName(GprsField field);
// Caption of the label above the box ("APN", "FTP Subdirectory", ...).
QString gprsFieldLabel(GprsField field);

using GprsTexts = std::array<QString, GprsFieldCount>;

inline constexpr int ZoneCount = 64;
inline constexpr int CheckCount = 32;

// Check box states: 0 clear, 1 ticked, 2 greyed. Only 1 is a set bit.
enum CheckState : int { Clear = 0, Ticked = 1, Greyed = 2 };

// One unit's complete parameter set: the values the main window holds for
// the open document, as a plain value the encoder, the decoder, the
// windows and the kvt command share.
struct Document {
    QString simPin;             // box text, at most 8 characters
    QString isdnRecall;         // box text
    double tempHighAlert = 125; // degrees Celsius
    double tempLowAlert = -55;
    double trackingCounter = 5;               // 1..255
    double smsCatchAlertTimer = 40;           // units of 10 seconds, 1..255
    double rtcIntervalUnit = 4;               // 4 Second, 5 Minute, 6 Hour, 7 Month
    double rtcIntervalCounter = 4;            // 1..255
    std::array<int, CheckCount> checks{};     // index 0 = Check1
    GprsTexts gprs;                           // indexed by GprsField
    std::array<QString, ZoneCount> zoneTexts; // index = zone number - 1

    QString &gprsText(GprsField f) { return gprs[static_cast<int>(f)]; }
    const QString &gprsText(GprsField f) const { return gprs[static_cast<int>(f)]; }
    int &check(int number) { return checks[number - 1]; } // 1..32
    int check(int number) const { return checks[number - 1]; }

    bool operator==(const Document &) const = default;
};

// The document the configurator holds right after start-up: the default
// values, Check1 ticked, the default GPRS texts and 64 default zones.
Document startupDocument();

// The default texts of the GPRS/FTP boxes.
GprsTexts defaultGprsTexts();

} // namespace kvt::image
