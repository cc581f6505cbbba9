#pragma once

#include <QMainWindow>

namespace kvt::app { class Dialogs; }

namespace kvt::programmer {

// The programmer window "Progr": imports a configuration file, writes it
// into a unit and reads a unit's identity.
class ProgrammerWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit ProgrammerWindow(app::Dialogs &dialogs, QWidget *parent = nullptr);
    ~ProgrammerWindow() override;

signals:
    // Emitted once when the window has unloaded (settings written).
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    app::Dialogs &m_dialogs;
    bool m_closed = false;
};

} // namespace kvt::programmer
