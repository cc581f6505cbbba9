#include "image/gprs.h"

#include "image/charset.h"

namespace kvt::image {

bool isGprsBoxText(QStringView text)
{
    return text.size() <= MaxGprsTextLength && !text.contains(QLatin1Char('\r'))
        && isEncodable(text);
}

QString composeGprsString(const GprsTexts &texts)
{
    const auto field = [&texts](GprsField f) -> const QString & {
        return texts[static_cast<int>(f)];
    };
    const QChar comma = QLatin1Char(',');
    const QChar semicolon = QLatin1Char(';');

    QString s;
    s += field(GprsField::Apn) + comma + field(GprsField::Login) + comma
        + field(GprsField::Password) + comma + field(GprsField::Ip) + comma + field(GprsField::Dns1)
        + comma + field(GprsField::Dns2) + semicolon;
    s += field(GprsField::Tmr1) + comma + field(GprsField::Trial) + comma + field(GprsField::Tmr2)
        + semicolon;
    s += field(GprsField::FtpServer) + comma + field(GprsField::FtpUsername) + comma
        + field(GprsField::FtpPassword) + comma + field(GprsField::Port) + comma
        + field(GprsField::Mode) + semicolon;
    s += field(GprsField::FtpSubDirectory);
    s.truncate(GprsFormatMax);
    return s;
}

qsizetype composedGprsLength(const GprsTexts &texts)
{
    qsizetype length = GprsFieldCount - 1; // the separators
    for (const QString &text : texts)
        length += text.size();
    return length;
}

} // namespace kvt::image
