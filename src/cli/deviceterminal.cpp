#include "deviceterminal.h"

#include "output.h"

#include "programmer/messages.h"

#include <QObject>
#include <QSocketNotifier>

#include <csignal>

#include <unistd.h>

namespace kvt::cli {

using programmer::Outcome;

void printLine(FILE *stream, const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString outcomeText(const Outcome &outcome, bool reading)
{
    switch (outcome.kind) {
    case Outcome::Cancelled:
        return reading ? QStringLiteral("Interrupted, Reading aborted...")
                       : QStringLiteral("Interrupted, programming aborted...");
    case Outcome::OpenFailed:
        return programmer::messages::openFailedText(reading) + QLatin1Char('\n') + outcome.detail;
    default:
        return outcome.detail.isEmpty() ? outcome.text
                                        : outcome.text + QLatin1Char('\n') + outcome.detail;
    }
}

int report(const Outcome &outcome, bool reading, int signal)
{
    switch (outcome.kind) {
    case Outcome::Programmed:
    case Outcome::Identified:
        return printResult(outcome.text + QLatin1Char('\n')) ? ExitSuccess : ExitFailure;
    case Outcome::EndedSilently:
        // The file had no GPRS line: every memory line went out, no summary.
        return printResult(
                   programmer::messages::progress(outcome.bytesProgrammed, outcome.memoryLineCount)
                   + QLatin1Char('\n'))
            ? ExitSuccess
            : ExitFailure;
    case Outcome::Cancelled:
        printLine(stderr, outcomeText(outcome, reading));
        // As a shell reports a command ended by the signal.
        return signal != 0 ? 128 + signal : ExitFailure;
    default: printLine(stderr, outcomeText(outcome, reading)); return ExitFailure;
    }
}

Interruption::Interruption(std::function<void()> onInterrupt) : m_signals({SIGINT, SIGTERM})
{
    if (!m_signals.isValid())
        return;
    m_notifier = std::make_unique<QSocketNotifier>(m_signals.fd(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this, onInterrupt = std::move(onInterrupt)] {
                         if (m_signals.take() != 0 && !m_interrupted) {
                             m_interrupted = true;
                             onInterrupt();
                         }
                     });
}

Interruption::~Interruption() = default;

StatusLine::StatusLine() : m_terminal(::isatty(STDOUT_FILENO) == 1) {}

void StatusLine::progress(int done, int total, const QString &statusText)
{
    // At most ten drawings a second, the last one always (show() draws only on a terminal).
    if (m_clock.isValid() && m_clock.elapsed() < 100 && done < total)
        return;
    m_clock.start();
    constexpr int Width = 30;
    const int filled = int(qint64(done) * Width / total); // progress comes with a reply: total > 0
    show(QLatin1Char('[') + QString(filled, QLatin1Char('#'))
         + QString(Width - filled, QLatin1Char('.')) + QStringLiteral("]  ") + statusText);
}

void StatusLine::show(const QString &text)
{
    if (!m_terminal)
        return;
    const QByteArray bytes = (QStringLiteral("\r\x1b[K") + text).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
    m_drawn = true;
}

void StatusLine::clear()
{
    if (!m_drawn)
        return;
    std::fputs("\r\x1b[K", stdout);
    std::fflush(stdout);
    m_drawn = false;
    m_clock.invalidate();
}

} // namespace kvt::cli
