#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// A named pipe at `path` for code that must never wait on one. Should the
// code open it for reading all the same, the pipe's other end is opened after
// `patience` and `text` written into it, so that the code goes on and the
// test fails (sprung() is true) instead of hanging.
class TrapPipe {
public:
    explicit TrapPipe(const QString& path, std::string text = "Global fromPipe\r\n",
                      std::chrono::milliseconds patience = std::chrono::seconds(3))
        : m_path(QFile::encodeName(path).toStdString()), m_text(std::move(text))
    {
        m_made = ::mkfifo(m_path.c_str(), 0666) == 0;
        m_thread = std::thread([this, patience] { Watch(patience); });
    }
    ~TrapPipe()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    TrapPipe(const TrapPipe&) = delete;
    TrapPipe& operator=(const TrapPipe&) = delete;

    bool made() const { return m_made; }
    bool sprung() const { return m_sprung; }

private:
    void Watch(std::chrono::milliseconds patience)
    {
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, patience, [this] { return m_stop; }))
            return;
        // Opening the writing end without waiting succeeds only while a
        // reader holds the pipe, and lets that reader's open return.
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(20), [this] { return m_stop; })) {
            const int fd = ::open(m_path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0)
                continue;
            m_sprung = true;
            [[maybe_unused]] const auto written = ::write(fd, m_text.data(), m_text.size());
            ::close(fd);
        }
    }

    std::string m_path, m_text;
    bool m_made = false;
    std::atomic<bool> m_sprung = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};
