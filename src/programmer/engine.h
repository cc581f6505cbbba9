#pragma once

#include "programmer/outcome.h"
#include "programmer/serialsettings.h"

#include <QObject>
#include <QString>

namespace kvt::programmer {

class Operation;

// Writes a configuration file into a unit and reads a unit's identity, one
// request outstanding at a time, each reply awaited with readyRead and a
// single-shot 1000 ms timer. Everything is event-driven: start an
// operation, return to the event loop, and wait for finished(). A receiver
// of any signal may cancel, start anew or delete the engine.
class ProgrammingEngine : public QObject {
    Q_OBJECT

public:
    explicit ProgrammingEngine(QObject *parent = nullptr);
    ~ProgrammingEngine() override;

    // `device` is a device path or COM1..COM4 (see portTarget()); the
    // status text names the port as settings.port says. Ignored while busy.
    // A port that another program holds is refused (see UnitPort).
    void startWrite(const QString &filePath, const SerialSettings &settings, const QString &device);
    void startReadId(const SerialSettings &settings, const QString &device);
    // Ends the running operation at once: timer stopped, port closed, no
    // further request; finished() reports Cancelled.
    void cancel();
    bool isBusy() const;

signals:
    // "Serial port COM N successfully opened..."
    void portOpened(const QString &statusText);
    // Maximum of the progress bar, once the memory lines are counted.
    void rangeChanged(int maximum);
    // "N of M bytes successfully programmed"
    void progressed(int done, int total, const QString &statusText);
    // The message of the outcome is to be shown while the port is still
    // open; the engine closes the port right after this signal returns.
    void finished(const kvt::programmer::Outcome &outcome);

private:
    void start(Operation *operation);

    Operation *m_operation = nullptr; // deletes itself when over
};

} // namespace kvt::programmer
