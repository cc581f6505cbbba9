#include "programmer/stopsignals.h"

#include <cerrno>
#include <iterator>
#include <ranges>
#include <span>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace kvt::programmer {

StopSignals::StopSignals(std::initializer_list<int> signalNumbers)
{
    // Without a pipe, s_pipe is left as it was: -1, -1.
    if (::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {}; // an empty mask
    action.sa_handler = &StopSignals::onSignal;
    action.sa_flags = SA_RESTART;
    for (int number : signalNumbers) {
        if (m_installed == int(std::size(m_previous)))
            break;
        Previous &previous = m_previous[m_installed++];
        previous.number = number;
        sigaction(number, &action, &previous.action);
    }
}

StopSignals::~StopSignals()
{
    // Last first: a number given twice gets back what it had before us.
    for (const Previous &previous : std::span(m_previous, m_installed) | std::views::reverse)
        sigaction(previous.number, &previous.action, nullptr);
    for (int &fd : s_pipe)
        ::close(std::exchange(fd, -1)); // -1 without a pipe: nothing to close
}

int StopSignals::take()
{
    char drained[16];
    for (ssize_t n; (n = ::read(s_pipe[0], drained, sizeof drained)) > 0;) {
        if (m_first == 0)
            m_first = static_cast<unsigned char>(drained[0]);
    }
    return m_first;
}

void StopSignals::onSignal(int number)
{
    const int saved = errno;
    const char byte = static_cast<char>(number);
    // Without a pipe (-1) the write fails, and nothing else happens.
    [[maybe_unused]] const auto written = ::write(s_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace kvt::programmer
