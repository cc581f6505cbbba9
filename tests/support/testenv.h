#pragma once

#include <QString>
#include <QTemporaryDir>

// Points the configuration and runtime folders ($XDG_CONFIG_HOME,
// $XDG_RUNTIME_DIR) at a fresh temporary folder for the life of the object,
// so tests never touch the user's settings.
class TestFolders {
public:
    TestFolders();
    ~TestFolders();
    QString path() const { return m_dir.path(); }
    QString configFolder() const;   // what kvt::programmer::configFolder() returns
    QString file(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldConfig, m_oldRuntime;
};
