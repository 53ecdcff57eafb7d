#include "build/OutputCapture.h"

#include <QFile>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// A failed write is not retried: the file is then not the whole output.
bool WriteAll(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace

OutputCapture::OutputCapture(const QString& outputPath)
{
    m_file = ::open(QFile::encodeName(outputPath).constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return;
    if (::pipe2(m_wake, O_CLOEXEC) != 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return;
    }
    m_read = ends[0];
    m_write = ends[1];
}

OutputCapture::~OutputCapture()
{
    Finish();
    CloseFd(m_write);
    CloseFd(m_wake[0]);
    CloseFd(m_wake[1]);
    CloseFd(m_file);
}

void OutputCapture::Start()
{
    // Once only the processes hold a write end, their end is the pipe's.
    CloseFd(m_write);
    if (IsValid() && !m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
}

OutputCapture::Piece OutputCapture::Take(qint64 most, bool latest)
{
    const std::lock_guard lock(m_mutex);
    if (latest && m_held.size() > most) {
        m_skipped += m_held.size() - most;
        m_held.remove(0, m_held.size() - most);
    }
    Piece piece;
    piece.skipped = std::exchange(m_skipped, 0);
    piece.bytes = m_held.left(most);
    m_held.remove(0, piece.bytes.size());
    return piece;
}

void OutputCapture::Finish()
{
    if (m_thread.joinable()) {
        const char wake = 0;
        while (::write(m_wake[1], &wake, 1) < 0 && errno == EINTR) {
        }
        m_thread.join();
    }
    // A writer left behind learns that nobody reads any more.
    CloseFd(m_read);
}

void OutputCapture::Run()
{
    std::vector<char> buffer(64 << 10);
    pollfd watched[2] = {{m_read, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
    for (;;) {
        if (::poll(watched, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (watched[1].revents != 0)
            break;
        const ssize_t n = ::read(m_read, buffer.data(), buffer.size());
        if (n > 0)
            Keep(buffer.data(), n);
        else if (n == 0 || errno != EINTR)
            return;  // every writer has closed its end
    }
    // What was written before Finish; a writer that goes on writing gets
    // no more than a file's worth in.
    ::fcntl(m_read, F_SETFL, ::fcntl(m_read, F_GETFL) | O_NONBLOCK);
    for (qint64 drained = 0; drained < kFileLimit;) {
        const ssize_t n = ::read(m_read, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        Keep(buffer.data(), n);
        drained += n;
    }
}

void OutputCapture::Keep(const char* data, qint64 size)
{
    if (FileWritten()) {
        if (!WriteAll(m_file, data, size))
            m_fileFailed = true;
        m_fileSize += size;
        if (m_fileSize > kFileLimit)
            CutFile();
    }
    const std::lock_guard lock(m_mutex);
    m_held.append(data, size);
    if (m_held.size() > kHeldLimit) {
        // Down to less than the limit, so that this happens once a megabyte
        // rather than on every read.
        const qint64 excess = m_held.size() - kHeldLimit * 3 / 4;
        m_skipped += excess;
        m_held.remove(0, excess);
    }
}

void OutputCapture::CutFile()
{
    m_cut.resize(std::size_t(kFileKept));
    qint64 kept = 0;
    while (kept < kFileKept) {
        const ssize_t n = ::pread(m_file, m_cut.data() + kept, std::size_t(kFileKept - kept),
                                  off_t(m_fileSize - kFileKept + kept));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        kept += n;
    }
    if (kept < kFileKept) {
        m_fileFailed = true;
        return;
    }
    // From the start of a line, when one starts soon enough.
    const char* from = m_cut.data();
    if (const void* lineEnd = std::memchr(from, '\n', std::size_t(std::min<qint64>(kept, 64 << 10))))
        from = static_cast<const char*>(lineEnd) + 1;
    kept -= from - m_cut.data();
    if (::lseek(m_file, 0, SEEK_SET) != 0 || !WriteAll(m_file, from, kept) || ::ftruncate(m_file, off_t(kept)) != 0) {
        m_fileFailed = true;
        return;
    }
    m_fileSize = kept;
}
