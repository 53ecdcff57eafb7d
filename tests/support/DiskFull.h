#pragma once

#include <sys/resource.h>

#include <csignal>

// A full disk for as long as it lives: no file of this process may grow
// past `bytes`.
class DiskFull {
public:
    explicit DiskFull(rlim_t bytes = 8)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_was);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = m_was;
        full.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &full);
    }
    ~DiskFull()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_was);
        std::signal(SIGXFSZ, m_signal);
    }

private:
    rlimit m_was{};
    void (*m_signal)(int) = nullptr;
};
