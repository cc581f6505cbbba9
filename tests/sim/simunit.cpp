#include "simunit.h"

#include "image/configfile.h"
#include "image/document.h"
#include "image/encoder.h"

#include <QRegularExpression>

#include <fcntl.h>
#include <unistd.h>

bool SimUnit::start(const QStringList &options)
{
    const auto parsed = kvt::sim::parseOptions(
        QStringList{"kvt-unit-sim", "--log", m_dir.filePath("log"), "--save", m_dir.filePath("memory")} + options);
    if (!parsed || ::pipe2(m_stop, O_CLOEXEC) != 0 || !(m_sim = std::make_unique<kvt::sim::Simulator>(*parsed))->open())
        return false;
    m_thread.reset(QThread::create([this] {
        m_sim->run(m_stop[0]);
        m_over = true;
        m_sim->finish();
        m_sim->close();
    }));
    m_thread->start();
    return true;
}

void SimUnit::stop()
{
    if (m_thread) {
        [[maybe_unused]] const auto written = ::write(m_stop[1], "", 1);
        m_thread->wait();
        m_thread.reset();
    }
    for (int &fd : m_stop)
        ::close(std::exchange(fd, -1)); // -1 when never opened: nothing to close
}

QByteArray smallFile()
{
    QByteArray text = "002100000\r\n";
    for (int i = 1; i < 10; ++i)
        text += "002" + QByteArray::number(100 + i) + QByteArray::number(100 + i * 7) + "\r\n";
    return text + "GPRS:internet\r\nGPRS:\r\n\r\n";
}

QString writeSavedImage(const QString &path)
{
    if (!kvt::image::writeConfigurationFile(path, encodeParameters(kvt::image::startupDocument())))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QStringList writeRequests(const QByteArray &file)
{
    // "bbbaaavvv" lines up to the first GPRS line
    QStringList lines = QString::fromLatin1(file).section("GPRS:", 0, 0).remove(u'\r').split(u'\n', Qt::SkipEmptyParts);
    return lines.replaceInStrings(QRegularExpression("^(...)(...)"), "W \\1 \\2 ");
}
