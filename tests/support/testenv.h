#pragma once

#include <QTemporaryDir>

#include <atomic>
#include <functional>
#include <thread>

QByteArray readFile(const QString &path);                        // "<missing>" when it cannot be read
QString writeFile(const QString &path, const QByteArray &bytes); // returns `path`; fatal when it fails

// What `run` writes on stderr meanwhile.
QByteArray stderrOf(const std::function<void()> &run);

// Points the configuration and runtime folders ($XDG_CONFIG_HOME,
// $XDG_RUNTIME_DIR) at a fresh temporary folder for the life of the object,
// so tests never touch the user's settings.
class TestFolders {
public:
    TestFolders();
    ~TestFolders();
    QString path() const { return m_dir.path(); }
    QString configFolder() const { return file("config/kvt"); } // what kvt::programmer::configFolder() returns
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldConfig, m_oldRuntime;
};

// A named pipe that never hangs a test. A watchdog thread waits to open its
// writing end, which succeeds as soon as anything opens the pipe for
// reading; it then closes it at once, so that reader meets an empty file
// instead of waiting forever, and the test can tell it was opened.
class NamedPipe {
public:
    explicit NamedPipe(const QString &path);
    ~NamedPipe();
    bool created() const { return m_created; }
    // Something opened the pipe to read it.
    bool wasOpened() const { return m_opened; }

private:
    QByteArray m_path;
    bool m_created = false;
    std::atomic_bool m_opened = false, m_stopping = false;
    std::thread m_watchdog;
};
