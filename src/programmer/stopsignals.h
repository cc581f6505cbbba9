#pragma once

#include <csignal>
#include <initializer_list>

namespace kvt::programmer {

// Stop signals (Ctrl+C, SIGTERM...) turned into bytes on a pipe, so that a
// program notices them in its own wait: the handler only writes the
// signal's number, and the program watches fd() (with poll, or with a
// QSocketNotifier). One at a time in a process; the previous handlers come
// back when it goes.
class StopSignals {
public:
    explicit StopSignals(std::initializer_list<int> signalNumbers);
    ~StopSignals();

    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    bool isValid() const { return s_pipe[0] >= 0; } // false: no pipe (errno says why)
    int fd() const { return s_pipe[0]; }            // readable once a signal came
    // Empties the pipe; the first signal received so far, 0 when none.
    int take();

private:
    static void onSignal(int number);

    static inline int s_pipe[2] = {-1, -1};
    struct Previous {
        int number;
        struct sigaction action;
    };
    Previous m_previous[8] = {};
    int m_installed = 0;
    int m_first = 0;
};

} // namespace kvt::programmer
