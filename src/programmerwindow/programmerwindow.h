#pragma once

#include <QByteArray>
#include <QMainWindow>

#include <array>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;

namespace kvt::ui {
class Dialogs;
}

namespace kvt::programmer {
class ProgrammingEngine;
struct Outcome;
struct SerialSettings;
} // namespace kvt::programmer

namespace kvt::programmerwindow {

using programmer::Outcome;
using programmer::ProgrammingEngine;
using programmer::SerialSettings;

// The programmer window "Progr": imports a configuration file, writes it
// into a unit and reads a unit's identity.
class ProgrammerWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit ProgrammerWindow(ui::Dialogs &dialogs, QWidget *parent = nullptr);
    ~ProgrammerWindow() override;

signals:
    // Emitted once when the window has unloaded (settings written).
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    enum class Operation { Idle, Writing, Reading };

    void createMenus();
    void createFrames();
    void importConfigurationFile();
    void writeDevice();
    void readDeviceId();
    void showOperationEnd(const Outcome &outcome);
    void setOperation(Operation operation);
    void setLoadedFile(const QString &text);
    void setStatus(const QString &text);
    SerialSettings menuSettings() const;
    void applySettings(const SerialSettings &settings);
    void readSettingsFile();
    void unload();

    ui::Dialogs &m_dialogs;
    ProgrammingEngine *m_engine;
    Operation m_operation = Operation::Idle;
    QString m_importPath;
    bool m_closed = false;
    // MolbSerial.cfg as it stood when last applied to the menus.
    QByteArray m_settingsFileSeen;
    bool m_settingsFileRead = false;

    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
    QProgressBar *m_progressBar = nullptr;

    QMenu *m_fileMenu = nullptr;
    QMenu *m_comMenu = nullptr;
    QMenu *m_progMenu = nullptr;
    std::array<QAction *, 4> m_ports{};
    QAction *m_dtrEnable = nullptr;
    QAction *m_rtsEnable = nullptr;
    QAction *m_eofEnable = nullptr;
    QAction *m_writeMenu = nullptr;
};

} // namespace kvt::programmerwindow
