#include "documents/RecoveryFolders.h"

#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kLockName = QStringLiteral("lock");
const QString kCopySuffix = QStringLiteral(".recovery");

QString SystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool WriteAll(int fd, const char* data, qsizetype size, const std::function<void()>& pause = {})
{
    constexpr qsizetype kChunk = 256 << 10;
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(std::min(size, kChunk)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
        if (pause && size > 0)
            pause();
    }
    return true;
}

// A rename is only lasting once the folder holding it is on the disk too.
void SyncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QStringList CopyFiles(const QString& folder)
{
    return QDir(folder).entryList({QLatin1Char('*') + kCopySuffix}, QDir::Files, QDir::Name);
}

}  // namespace

FolderLock::FolderLock(const QString& folder, bool create) : m_folder(folder)
{
    // Not inherited: a compiled program the IDE started may outlive it, and
    // must not keep its copies locked away from the next start.
    const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
    const int fd = ::open(QFile::encodeName(QDir(folder).filePath(kLockName)).constData(), flags, 0600);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FolderLock::RemoveFolder()
{
    if (m_fd < 0)
        return;
    // The lock file goes last and while still held, so no other program
    // takes the folder in between.
    QDir dir(m_folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        if (name != kLockName)
            dir.remove(name);
    dir.remove(kLockName);
    dir.rmdir(m_folder);
}

RecoverySession::RecoverySession(const QString& root)
{
    QDir().mkpath(QFileInfo(root).absolutePath());
    // Copies hold the user's text: a folder anyone else could enter, or a
    // link planted to lead elsewhere, is not used.
    const int rootFd = privatefolder::OpenPrivate(root, &m_why);
    if (rootFd < 0)
        return;
    // Made through the folder just checked, so a name swapped meanwhile leads nowhere.
    QString folder;
    for (int attempt = 0; attempt < 64 && folder.isEmpty(); ++attempt) {
        const QString name = QString::number(QRandomGenerator::global()->generate(), 36);
        if (::mkdirat(rootFd, QFile::encodeName(name).constData(), 0700) == 0)
            folder = QDir(root).filePath(name);
        else if (errno != EEXIST)
            break;
    }
    if (folder.isEmpty())
        m_why = root + QStringLiteral(": ") + SystemError();
    ::close(rootFd);
    if (folder.isEmpty())
        return;
    auto lock = std::make_unique<FolderLock>(folder, true);
    if (!lock->held()) {
        m_why = folder + QStringLiteral(": ") + SystemError();
        QDir().rmdir(folder);
        return;
    }
    m_folder = folder;
    m_lock = std::move(lock);
}

RecoverySession::~RecoverySession()
{
    if (m_lock && CopyFiles(m_folder).isEmpty())
        m_lock->RemoveFolder();
}

QString RecoveryFileName(const QString& key)
{
    return key + kCopySuffix;
}

bool WriteRecoveryFile(const QString& folder, const QString& name, const RecoveryCopy& copy, QString* error,
                       const std::function<void()>& pause)
{
    const QDir dir(folder);
    const QByteArray temporary = QFile::encodeName(dir.filePath(name + QStringLiteral(".tmp")));
    const QByteArray header = RecoveryCopyHeader(copy);
    // Whatever has the name is taken away, not written through: a link
    // planted there would lead the write into any file.
    ::unlink(temporary.constData());
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    bool written = fd >= 0 && WriteAll(fd, header.constData(), header.size())
                   && WriteAll(fd, copy.text.constData(), copy.text.size(), pause) && ::fsync(fd) == 0;
    if (written && error)
        error->clear();
    else if (error)
        *error = SystemError();
    if (fd >= 0 && ::close(fd) != 0 && written) {
        written = false;
        if (error)
            *error = SystemError();
    }
    if (written && ::rename(temporary.constData(), QFile::encodeName(dir.filePath(name)).constData()) != 0) {
        written = false;
        if (error)
            *error = SystemError();
    }
    if (!written) {
        ::unlink(temporary.constData());
        return false;
    }
    SyncFolder(folder);
    return true;
}

LeftCopies::LeftCopies(const QString& root)
{
    // Copies in a folder someone else could have filled are not offered.
    if (!privatefolder::WhyNotPrivate(root).isEmpty())
        return;
    const QDir dir(root);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString folder = dir.filePath(name);
        // A folder without a lock file is one a program is making right now.
        auto lock = std::make_unique<FolderLock>(folder, false);
        if (!lock->held())
            continue;
        for (const QString& file : CopyFiles(folder)) {
            QFile f(QDir(folder).filePath(file));
            if (!f.open(QIODevice::ReadOnly))
                continue;
            if (std::optional<RecoveryCopy> copy = DecodeRecoveryCopy(f.readAll()))
                m_copies.push_back({f.fileName(), std::move(*copy)});
        }
        m_locks.push_back(std::move(lock));
    }
    std::stable_sort(m_copies.begin(), m_copies.end(),
                     [](const LeftCopy& a, const LeftCopy& b) { return a.copy.taken < b.copy.taken; });
}

LeftCopies::~LeftCopies()
{
    for (const auto& lock : m_locks) {
        // Files this version cannot read stay, for one that can.
        if (CopyFiles(lock->folder()).isEmpty())
            lock->RemoveFolder();
    }
}

RecoveryWriter::RecoveryWriter(QString folder, Outcome outcome)
    : m_folder(std::move(folder)), m_outcome(std::move(outcome))
{
}

void RecoveryWriter::SetFolder(const QString& folder)
{
    std::lock_guard<std::mutex> hold(m_mutex);
    m_folder = folder;
}

QString RecoveryWriter::Failure(const QString& name) const
{
    std::lock_guard<std::mutex> hold(m_mutex);
    return m_failed.value(name);
}

RecoveryWriter::~RecoveryWriter()
{
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void RecoveryWriter::Write(const QString& name, RecoveryCopy copy)
{
    Add({name, std::move(copy)});
}

void RecoveryWriter::Remove(const QString& name)
{
    Add({name, std::nullopt});
}

void RecoveryWriter::Add(Job job)
{
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        // Only the last thing asked of a file counts.
        std::erase_if(m_jobs, [&](const Job& waiting) { return waiting.name == job.name; });
        m_jobs.push_back(std::move(job));
        if (!m_thread.joinable())
            m_thread = std::thread([this] { Run(); });
    }
    m_wake.notify_one();
}

void RecoveryWriter::Flush()
{
    m_hurry = true;
    std::unique_lock<std::mutex> hold(m_mutex);
    m_idle.wait(hold, [this] { return m_jobs.empty() && !m_busy; });
    m_hurry = false;
}

void RecoveryWriter::Run()
{
    // Behind the window's thread when both want the processor.
    ::setpriority(PRIO_PROCESS, ::gettid(), 10);
    std::unique_lock<std::mutex> hold(m_mutex);
    for (;;) {
        m_wake.wait(hold, [this] { return m_stop || !m_jobs.empty(); });
        if (m_jobs.empty())
            return;  // stopping, with everything done
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        const QString folder = m_folder;
        hold.unlock();
        // A copy that cannot be written leaves the one before it in place.
        QString error;
        if (job.copy && folder.isEmpty()) {
            error = QString::fromLocal8Bit(std::strerror(ENOENT));
        } else if (job.copy) {
            WriteRecoveryFile(folder, job.name, *job.copy, &error, [this] {
                // Unhurried, a long text goes in steps: on a machine with few
                // cores, copying it into the system's cache in one go slows
                // down the window's thread while it handles a key.
                if (!m_hurry)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            });
        } else if (!folder.isEmpty()) {
            QFile::remove(QDir(folder).filePath(job.name));
        }
        hold.lock();
        if (error.isEmpty())
            m_failed.remove(job.name);
        else
            m_failed.insert(job.name, error);
        hold.unlock();
        if (job.copy && m_outcome)
            m_outcome(job.name, error);
        job = {};  // the text is freed here, not on the window's thread
        hold.lock();
        m_busy = false;
        if (m_jobs.empty())
            m_idle.notify_all();
    }
}
