#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A kvt-unit-sim process for tests: started with extra options, it logs
// every request and saves its memory into a temporary folder.
class SimUnit {
public:
    ~SimUnit() { stop(); }
    // Starts the simulator and waits for the device path; false on failure.
    bool start(const QStringList &options = {});
    QString device() const { return m_device; }
    // SIGTERM, then wait for the exit (the memory is saved then).
    bool stop();
    QProcess &process() { return m_process; }
    // Requests received so far, one "W bbb aaa vvv" / "R bbb aaa" each.
    QStringList requests() const;
    // The saved memory lines (after stop()).
    QByteArray savedMemory() const;
    static QString program();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_device;
};

// A raw pseudo-terminal whose master side the test plays (non-blocking).
struct RawPty {
    RawPty();
    ~RawPty();
    int master = -1;
    int slave = -1;
    QString name;
};

QByteArray readFile(const QString &path);   // "<missing>" when it cannot be read
void writeFile(const QString &path, const QByteArray &bytes);
// Writes the file the editor saves at start-up; returns `path`.
QString writeSavedImage(const QString &path);
