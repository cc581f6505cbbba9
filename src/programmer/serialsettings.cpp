#include "programmer/serialsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStandardPaths>

#include <iterator>

namespace kvt::programmer {

namespace {

// The lines of a small text file: CR LF, a lone CR or a lone LF (the file
// edited with a Linux text editor) ends a line, and a final line end opens
// no further line (a file that ends there has no more lines to read).
QList<QByteArray> textLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    QByteArray line;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '\r' || c == '\n') {
            lines.append(line);
            line.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
                ++i;
        } else {
            line.append(c);
        }
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

} // namespace

QString configFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/kvt");
}

QString settingsFilePath()
{
    return configFolder() + QStringLiteral("/MolbSerial.cfg");
}

SerialSettings readSerialSettings(const QString &path, SerialSettings current)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return current;
    const QList<QByteArray> lines = textLines(file.readAll());
    file.close();

    if (lines.size() > 0) {
        const QByteArray &port = lines.at(0);
        if (port == "1" || port == "2" || port == "3" || port == "4")
            current.port = port.at(0) - '0';
    }
    bool *switches[] = {&current.dtr, &current.rts, &current.eof};
    for (int i = 0; i < int(std::size(switches)) && i + 1 < lines.size(); ++i)
        *switches[i] = lines.at(i + 1) == "1";
    return current;
}

bool writeSerialSettings(const QString &path, const SerialSettings &settings)
{
    QByteArray text;
    // An unknown port leaves line 1 empty, so that the switches keep their
    // lines and a later read leaves the port choice alone.
    if (settings.port >= 1 && settings.port <= 4)
        text += QByteArray::number(settings.port);
    text += "\r\n";
    for (bool on : {settings.dtr, settings.rts, settings.eof})
        text += on ? "1\r\n" : "0\r\n";

    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(text) == text.size() && file.commit(); // uncommitted: discarded
}

PortTarget portTarget(const QString &portName)
{
    PortTarget target;
    target.name = portName;
    target.device = portName;
    if (portName.size() == 4 && portName.startsWith(QLatin1String("COM"), Qt::CaseInsensitive)) {
        const QChar digit = portName.at(3);
        if (digit >= QLatin1Char('1') && digit <= QLatin1Char('4')) {
            target.comNumber = digit.digitValue();
            target.link = comLinkPath(target.comNumber);
            const QFileInfo link(target.link);
            target.linked = link.isSymLink();
            target.device = target.linked
                ? link.symLinkTarget()
                : QStringLiteral("/dev/ttyS") + QString::number(target.comNumber - 1);
        }
    }
    return target;
}

QString portDevice(const QString &portName)
{
    return portTarget(portName).device;
}

QString comLinkPath(int number)
{
    return configFolder() + QStringLiteral("/com") + QString::number(number);
}

QString portName(int port)
{
    return QStringLiteral("COM") + QString::number(port);
}

} // namespace kvt::programmer
