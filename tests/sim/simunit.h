#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

QByteArray readFile(const QString &path);   // "<missing>" when it cannot be read

// A kvt-unit-sim process for tests, logging every request and saving its
// memory into a temporary folder.
class SimUnit {
public:
    ~SimUnit() { stop(); }
    // Starts the simulator with extra options and waits for its device path.
    bool start(const QStringList &options = {});
    QString device() const { return m_device; }
    bool stop();   // SIGTERM, then wait for the exit (the memory is saved then)
    QProcess &process() { return m_process; }
    QStringList requests() const;   // so far, one "W bbb aaa vvv" / "R bbb aaa" each
    QByteArray savedMemory() const { return readFile(m_dir.filePath("memory")); }   // after stop()
    static QString program() { return QStringLiteral(KVT_UNIT_SIM); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_device;
};

QString writeFile(const QString &path, const QByteArray &bytes);   // returns `path`
QString writeSavedImage(const QString &path);   // the file the editor saves at start-up
// Ten memory lines of bank 2 (the first of value 000), then the GPRS lines.
QByteArray smallFile();
// The requests a unit receives for the memory lines of a configuration file.
QStringList writeRequests(const QByteArray &file);
