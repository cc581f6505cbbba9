#include "writesession.h"

#include "deviceterminal.h"
#include "output.h"
#include "writelog.h"

#include "programmer/engine.h"
#include "programmer/messages.h"
#include "programmer/protocol.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

namespace kvt::cli {

namespace {

using programmer::Outcome;

constexpr qint64 ProbeIntervalMs = 1000;

// One write, the identity first when asked for; with --repeat, unit after
// unit: once a unit is done, identity requests go out once a second until
// it stops answering, then until the next one answers, which is written.
class WriteSession {
public:
    explicit WriteSession(const WriteJob &job)
        : m_job(job),
          m_device(programmer::portDevice(job.port)),
          m_interruption([this] { interrupt(); })
    {
        QObject::connect(&m_engine, &programmer::ProgrammingEngine::progressed, &m_engine,
                         [this](int done, int total, const QString &text) {
                             m_status.progress(done, total, text);
                         });
        QObject::connect(&m_engine, &programmer::ProgrammingEngine::finished, &m_engine,
                         [this](const Outcome &outcome) { onFinished(outcome); });
        m_probeTimer.setSingleShot(true);
        QObject::connect(&m_probeTimer, &QTimer::timeout, &m_engine, [this] { probe(); });
    }

    int run()
    {
        if (!m_job.logPath.isEmpty()) {
            QString error;
            if (!m_log.open(m_job.logPath, &error)) {
                printError(QStringLiteral("cannot write the log %1: %2").arg(m_job.logPath, error));
                return ExitFailure;
            }
        }
        if (m_job.repeat) {
            m_phase = Phase::WaitingForUnit;
            probe();
        } else if (m_job.identify) {
            m_phase = Phase::Identifying;
            startIdentify();
        } else {
            startWrite();
        }
        m_loop.exec();
        m_status.clear();
        return m_exit;
    }

private:
    enum class Phase { Identifying, Writing, WaitingForRemoval, WaitingForUnit };

    void startIdentify()
    {
        m_unitStart = QDateTime::currentDateTime();
        m_nextProbe.setRemainingTime(ProbeIntervalMs);
        m_engine.startReadId(m_job.settings, m_job.port);
    }

    void probe()
    {
        if (m_job.repeat)
            m_status.show(m_phase == Phase::WaitingForUnit
                              ? QStringLiteral("Waiting for a unit...")
                              : QStringLiteral("Waiting for the unit to be taken away..."));
        startIdentify();
    }

    // The next identity request a second after the last one began.
    void probeLater()
    {
        m_probeTimer.start(int(m_nextProbe.remainingTime())); // 0 once it has passed
    }

    void startWrite()
    {
        m_phase = Phase::Writing;
        if (!m_job.identify && !m_job.repeat)
            m_unitStart = QDateTime::currentDateTime();
        m_sha256 = fileSha256(m_job.file);
        m_writeClock.start();
        m_engine.startWrite(m_job.file, m_job.settings, m_job.port);
    }

    void onFinished(const Outcome &outcome)
    {
        // Between units the waiting line stays up from one identity request
        // to the next; it goes when something is said, or at the end.
        if (m_phase != Phase::WaitingForRemoval && m_phase != Phase::WaitingForUnit)
            m_status.clear();
        if (outcome.kind == Outcome::Cancelled) {
            const int signal = m_interruption.signal();
            if (m_phase == Phase::Writing)
                logRow(outcome);
            if (m_job.repeat && m_phase != Phase::Writing) // between units: nothing lost
                return end(signal != 0 ? 128 + signal : ExitFailure);
            return end(report(outcome, m_phase != Phase::Writing, signal));
        }
        switch (m_phase) {
        case Phase::Identifying:
            if (outcome.kind != Outcome::Identified) {
                logRow(outcome, WriteLog::notIdentified());
                end(report(outcome, true));
                return;
            }
            m_identity = outcome;
            if (!printResult(outcome.text + QLatin1Char('\n')))
                return end(ExitFailure);
            writeNext();
            return;
        case Phase::Writing: return written(outcome);
        case Phase::WaitingForRemoval:
            if (outcome.kind != Outcome::Identified)
                m_phase = Phase::WaitingForUnit;
            probeLater();
            return;
        case Phase::WaitingForUnit:
            if (outcome.kind != Outcome::Identified) {
                // A port that cannot be opened is said once, not every second.
                const QString failure = outcome.kind == Outcome::OpenFailed ? outcome.detail
                                                                            : QString();
                if (failure != m_lastFailure && !failure.isEmpty()) {
                    m_status.clear();
                    printLine(stderr, failure);
                }
                m_lastFailure = failure;
                probeLater();
                return;
            }
            m_identity = outcome;
            writeNext();
            return;
        }
    }

    // The engine takes the next operation once this one has closed its port,
    // right after finished() returns.
    void writeNext()
    {
        m_phase = Phase::Writing;
        QMetaObject::invokeMethod(
            &m_engine, [this] { startWrite(); }, Qt::QueuedConnection);
    }

    void written(const Outcome &outcome)
    {
        if (!logRow(outcome))
            return end(ExitFailure);
        if (!m_job.repeat)
            return end(report(outcome, false));
        const bool ok = outcome.kind == Outcome::Programmed
            || outcome.kind == Outcome::EndedSilently;
        ++(ok ? m_programmed : m_failed);
        QString count = QStringLiteral("%1 programmed").arg(m_programmed);
        if (m_failed > 0)
            count += QStringLiteral(", %1 failed").arg(m_failed);
        const QString result = outcome.kind == Outcome::EndedSilently
            ? programmer::messages::progress(outcome.bytesProgrammed, outcome.memoryLineCount)
            : outcomeText(outcome, false).replace(QLatin1Char('\n'), QLatin1String(" - "));
        const QString line = QStringLiteral("Unit %1: %2 %3 - %4 - %5")
                                 .arg(m_programmed + m_failed)
                                 .arg(m_identity.identifier, m_identity.serialNumber, result,
                                      count);
        if (!printResult(line + QLatin1Char('\n')))
            return end(ExitFailure);
        m_phase = Phase::WaitingForRemoval;
        probeLater();
    }

    // False when the log cannot take the row (said on stderr).
    bool logRow(const Outcome &outcome, const QString &result = QString())
    {
        if (!m_log.isOpen())
            return true;
        WriteLog::Row row;
        row.time = m_unitStart;
        row.port = m_device;
        row.identifier = m_identity.identifier;
        row.serialNumber = m_identity.serialNumber;
        row.file = QFileInfo(m_job.file).absoluteFilePath();
        row.sha256 = m_sha256.isEmpty() ? fileSha256(m_job.file) : m_sha256;
        row.result = result.isEmpty() ? WriteLog::result(outcome) : result;
        row.bytesWritten = outcome.bytesProgrammed;
        row.seconds = m_writeClock.isValid() ? m_writeClock.elapsed() / 1000.0 : 0.0;
        QString error;
        if (m_log.append(row, &error))
            return true;
        printError(QStringLiteral("cannot write the log %1: %2").arg(m_job.logPath, error));
        return false;
    }

    void interrupt()
    {
        if (m_engine.isBusy()) {
            m_engine.cancel(); // finished(Cancelled) ends the session
            return;
        }
        // Between units: end() stops the probes, and run() clears the status line.
        const int signal = m_interruption.signal();
        end(signal != 0 ? 128 + signal : ExitFailure);
    }

    void end(int exitStatus)
    {
        m_exit = exitStatus;
        m_probeTimer.stop();
        m_loop.quit();
    }

    const WriteJob m_job;
    const QString m_device;
    programmer::ProgrammingEngine m_engine;
    QEventLoop m_loop;
    StatusLine m_status;
    WriteLog m_log;
    QTimer m_probeTimer;
    QDeadlineTimer m_nextProbe; // a second after the last identity request began
    QElapsedTimer m_writeClock;
    QDateTime m_unitStart;
    QString m_sha256;
    Outcome m_identity;
    QString m_lastFailure;
    Phase m_phase = Phase::Writing;
    int m_programmed = 0;
    int m_failed = 0;
    int m_exit = ExitFailure;
    Interruption m_interruption; // last: its callback uses the rest
};

} // namespace

int runWriteJob(const WriteJob &job)
{
    WriteSession session(job);
    return session.run();
}

} // namespace kvt::cli
