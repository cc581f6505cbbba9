#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QProgressBar;

namespace kvt::app {

// The start-up window "Form2": the splash picture and a bar that fills by
// 5 every 150 ms; on the tick after it is full the main window comes to
// the front and the splash closes (deleting itself).
class Splash : public QWidget {
    Q_OBJECT

public:
    static constexpr int TickInterval = 150; // ms
    static constexpr int Step = 5;

    explicit Splash(QWidget *mainWindow, QWidget *parent = nullptr);

    // One tick of the timer; public so that tests can drive the sequence.
    void tick();

signals:
    // The main window has been brought to the front and the splash closes.
    void finished();

private:
    QPointer<QWidget> m_mainWindow;
    QProgressBar *m_bar;
    QTimer m_timer;
};

} // namespace kvt::app
