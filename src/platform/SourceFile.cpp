#include "platform/SourceFile.h"

#include "platform/FileStatus.h"

#include <QFile>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

SourceText ReadSourceFile(const QString& path, qint64 maxBytes)
{
    SourceText out;
    QFile file;
    if (!OpenRegularFile(file, path)) {
        out.trouble = SourceText::Trouble::Missing;
        return out;
    }
    if (file.size() > maxBytes) {
        out.trouble = SourceText::Trouble::TooLarge;
        out.size = file.size();
        return out;
    }
    // Straight into the string, then to the end in small steps: a file
    // whose size says nothing (/proc) may hold more than it says.
    out.bytes.resize(std::size_t(file.size()));
    std::size_t got = 0;
    while (got < out.bytes.size()) {
        const qint64 n = file.read(out.bytes.data() + got, qint64(out.bytes.size() - got));
        if (n < 0)
            return SourceText{{}, SourceText::Trouble::Missing, 0};
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    out.bytes.resize(got);
    char more[4096];
    for (qint64 n; (n = file.read(more, sizeof more)) != 0;) {
        if (n < 0)
            return SourceText{{}, SourceText::Trouble::Missing, 0};
        out.bytes.append(more, std::size_t(n));
        if (qint64(out.bytes.size()) > maxBytes)
            return SourceText{{}, SourceText::Trouble::TooLarge, qint64(out.bytes.size())};
    }
    return out;
}

// What the reader and its threads share: the late handler, and the files
// that threads given up on are still reading.
struct SourceReader::Shared {
    std::mutex mutex;
    Late late;
    std::set<QString> hanging;
};

// A thread reading one file at a time: the one asked for, or else one that
// those read so far name, so that a chain of includes is read as fast as the
// files answer rather than one hand-over per file. Given up on while it
// reads, it ends after that file, handing what it read to the late handler.
struct SourceReader::Worker {
    // Read ahead and not yet asked for, at most.
    static constexpr std::size_t kAheadBytes = std::size_t(64) << 20;

    std::mutex mutex;
    std::condition_variable wake;
    std::optional<QString> asked;
    std::optional<std::pair<QString, SourceText>> answer;  // what was asked for, and its text
    std::deque<QString> ahead;
    std::map<QString, SourceText> ready;
    std::set<QString> seen;
    std::size_t readyBytes = 0;
    QString reading;
    bool abandoned = false;

    static void Run(std::shared_ptr<Worker> self, std::shared_ptr<Shared> shared, Read read, Follow follow)
    {
        for (;;) {
            QString path;
            {
                std::unique_lock lock(self->mutex);
                self->wake.wait(lock, [&] {
                    return self->abandoned || (self->asked && !self->ready.count(*self->asked)) || !self->ahead.empty();
                });
                if (self->abandoned)
                    return;
                if (self->asked && !self->ready.count(*self->asked)) {
                    path = *self->asked;
                } else {
                    path = std::move(self->ahead.front());
                    self->ahead.pop_front();
                    if (self->ready.count(path))
                        continue;
                }
                self->reading = path;
            }
            SourceText text = read(path);
            const std::vector<QString> named = follow && text.ok() ? follow(path, text.bytes) : std::vector<QString>();
            {
                std::unique_lock lock(self->mutex);
                self->reading.clear();
                if (!self->abandoned) {
                    for (const QString& next : named)
                        if (self->seen.insert(next).second)
                            self->ahead.push_back(next);
                    if (self->asked == path) {
                        self->asked.reset();
                        self->answer.emplace(path, std::move(text));
                    } else if (self->readyBytes + text.bytes.size() <= kAheadBytes) {
                        self->readyBytes += text.bytes.size();
                        self->ready[path] = std::move(text);
                    }
                    self->wake.notify_all();
                    continue;
                }
            }
            const std::lock_guard lock(shared->mutex);
            shared->hanging.erase(path);
            if (shared->late)
                shared->late(path, std::move(text));
            return;
        }
    }
};

SourceReader::SourceReader(Read read, std::chrono::milliseconds deadline)
    : m_shared(std::make_shared<Shared>()), m_read(std::move(read)), m_deadline(deadline)
{
}

SourceReader::~SourceReader()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->late = nullptr;
    }
    if (m_worker) {
        const std::lock_guard lock(m_worker->mutex);
        m_worker->abandoned = true;
        m_worker->wake.notify_all();
    }
}

void SourceReader::SetLate(Late late)
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->late = std::move(late);
}

void SourceReader::SetFollow(Follow follow)
{
    m_follow = std::move(follow);
}

SourceText SourceReader::Get(const QString& path)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        if (m_shared->hanging.count(path))
            return SourceText{{}, SourceText::Trouble::NoAnswer, 0};
    }
    if (!m_worker) {
        m_worker = std::make_shared<Worker>();
        std::thread(Worker::Run, m_worker, m_shared, m_read, m_follow).detach();
    }
    std::unique_lock lock(m_worker->mutex);
    if (const auto it = m_worker->ready.find(path); it != m_worker->ready.end()) {
        m_worker->readyBytes -= it->second.bytes.size();
        SourceText text = std::move(it->second);
        m_worker->ready.erase(it);
        return text;
    }
    m_worker->seen.insert(path);
    m_worker->asked = path;
    m_worker->wake.notify_all();
    if (m_worker->wake.wait_for(lock, m_deadline, [&] {
            return (m_worker->answer && m_worker->answer->first == path) || m_worker->ready.count(path);
        })) {
        if (const auto it = m_worker->ready.find(path); it != m_worker->ready.end()) {
            m_worker->asked.reset();
            m_worker->readyBytes -= it->second.bytes.size();
            SourceText text = std::move(it->second);
            m_worker->ready.erase(it);
            return text;
        }
        SourceText text = std::move(m_worker->answer->second);
        m_worker->answer.reset();
        return text;
    }
    // Left to the file it reads; the next read gets a thread of its own. A
    // file read ahead may be what held it up rather than this one.
    const QString stuck = m_worker->reading.isEmpty() ? path : m_worker->reading;
    m_worker->abandoned = true;
    {
        const std::lock_guard shared(m_shared->mutex);
        m_shared->hanging.insert(stuck);
    }
    lock.unlock();
    m_worker.reset();
    return stuck == path ? SourceText{{}, SourceText::Trouble::NoAnswer, 0} : Get(path);
}
