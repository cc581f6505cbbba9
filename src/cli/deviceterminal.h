#pragma once

#include "programmer/outcome.h"
#include "programmer/stopsignals.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace kvt::cli {

// One line on `stream` (stdout or stderr), at once.
void printLine(FILE *stream, const QString &text);

// Prints how an operation ended: a result on stdout, a failure on stderr
// (with a second line naming the device and the reason, when known).
// `reading`: an identity read. Its exit status; `signal`, the stop signal
// that cancelled it (none when left out).
int report(const programmer::Outcome &outcome, bool reading, int signal = 0);
// The lines report() prints for an outcome, without printing them.
QString outcomeText(const programmer::Outcome &outcome, bool reading);

// Ctrl+C or SIGTERM while a unit is being talked to: the event loop hears
// of it through the signals' pipe and calls back once, so that the port is
// closed by the engine and not left to the kernel.
class Interruption {
public:
    explicit Interruption(std::function<void()> onInterrupt);
    ~Interruption();

    // The first stop signal received, 0 when none came.
    int signal() { return m_signals.isValid() ? m_signals.take() : 0; }

private:
    programmer::StopSignals m_signals;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_interrupted = false;
};

// A line redrawn in place on a terminal (stdout): the progress of a write,
// "[#########.........]  1234 of 4389 bytes successfully programmed", at
// most ten times a second, or a state such as waiting for a unit. Nothing
// when stdout is no terminal.
class StatusLine {
public:
    StatusLine();
    void progress(int done, int total, const QString &statusText);
    void show(const QString &text);
    void clear();

private:
    bool m_terminal;
    QElapsedTimer m_clock;
    bool m_drawn = false;
};

} // namespace kvt::cli
