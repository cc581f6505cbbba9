#include "image/document.h"

#include "image/zonerecord.h"

namespace kvt::image {

namespace {

struct GprsFieldInfo {
    const char *name;
    const char *label;
};

// Indexed by GprsField.
constexpr GprsFieldInfo gprsFields[GprsFieldCount] = {
    {"Apn", "APN"},
    {"Ip", "IP"},
    {"Login", "Login"},
    {"Password", "Password"},
    {"Dns1", "DNS 1"},
    {"Dns2", "DNS 2"},
    {"FtpServer", "FTP Server"},
    {"FtpUsername", "FTP Username"},
    {"FtpPassword", "FTP Password"},
    {"FtpSubDirectory", "FTP Subdirectory"},
    {"Trial", "Trial"},
    {"Port", "Port"},
    {"Mode", "Mode"},
    {"Tmr1", "Tmr1"},
    {"Tmr2", "Tmr2"},
};

} // namespace

QString gprsFieldName(GprsField field)
{
    return QLatin1String(gprsFields[static_cast<int>(field)].name);
}

QString gprsFieldLabel(GprsField field)
{
    return QLatin1String(gprsFields[static_cast<int>(field)].label);
}

GprsTexts defaultGprsTexts()
{
    // The network endpoints are placeholders for the fitter to replace.
    GprsTexts t;
    auto set = [&t](GprsField f, const char *text) {
        t[static_cast<int>(f)] = QLatin1String(text);
    };
    set(GprsField::Apn, "\"internet.example\"");
    set(GprsField::Ip, "");
    set(GprsField::Login, "\"yourlogin\"");
    set(GprsField::Password, "\"enterpwdhere\"");
    set(GprsField::Dns1, "\"192.0.2.1\"");
    set(GprsField::Dns2, "\"198.51.100.1\"");
    set(GprsField::FtpServer, "\"ftp://ftp.example.com\"");
    set(GprsField::FtpUsername, "\"myftpuser\"");
    set(GprsField::FtpPassword, "\"ftpsecret\"");
    set(GprsField::FtpSubDirectory, "\"/mydedicatedmolberanedir\"");
    set(GprsField::Trial, "2");
    set(GprsField::Port, "21");
    set(GprsField::Mode, "0");
    set(GprsField::Tmr1, "30");
    set(GprsField::Tmr2, "60");
    return t;
}

Document startupDocument()
{
    Document doc;
    doc.tempHighAlert = 125;
    doc.tempLowAlert = -55;
    doc.trackingCounter = 5;
    doc.smsCatchAlertTimer = 40;
    doc.rtcIntervalUnit = 4;
    doc.rtcIntervalCounter = 4;
    doc.checks.fill(Clear);
    doc.check(1) = Ticked;
    doc.gprs = defaultGprsTexts();
    for (int zone = 1; zone <= ZoneCount; ++zone)
        doc.zoneTexts[zone - 1] = image::defaultZoneText(zone);
    return doc;
}

} // namespace kvt::image
