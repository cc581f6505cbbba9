#pragma once

#include "sim/simulator.h"
#include "testenv.h"

#include <QTemporaryDir>
#include <QThread>

#include <memory>

// A simulated unit for tests, run in-process on a thread of its own,
// logging every request and saving its memory into a temporary folder.
class SimUnit {
public:
    ~SimUnit() { stop(); }
    // Starts with the options of kvt-unit-sim; false when they are wrong.
    bool start(const QStringList &options = {});
    QString device() const { return m_sim ? m_sim->device() : QString(); }
    void stop(); // ends the loop, saves the memory and drops the line
    // So far, one "W bbb aaa vvv" / "R bbb aaa" each.
    QStringList requests() const { return QString(readFile(m_dir.filePath("log"))).split(u'\n', Qt::SkipEmptyParts); }
    // Every request sent to it so far is served and logged (or it hung up).
    bool drained() const { return m_over || (m_sim && m_sim->idle()); }
    QByteArray savedMemory() const { return readFile(m_dir.filePath("memory")); } // after stop()

private:
    QTemporaryDir m_dir;
    std::unique_ptr<kvt::sim::Simulator> m_sim;
    std::unique_ptr<QThread> m_thread;
    int m_stop[2] = {-1, -1};
    std::atomic<bool> m_over = false;
};

QString writeSavedImage(const QString &path); // the file the editor saves at start-up
// Ten memory lines of bank 2 (the first of value 000), then the GPRS lines.
QByteArray smallFile();
// The requests a unit receives for the memory lines of a configuration file.
QStringList writeRequests(const QByteArray &file);
