#include "platform/FileRewrite.h"

#include "platform/IniFile.h"
#include "platform/UserFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#endif

#ifdef Q_OS_WIN

bool RewriteFile(const QString& path, std::string_view bytes, RewriteFailure* failure)
{
    QString error;
    if (WriteFileAtomically(path, bytes, &error))
        return true;
    if (failure)
        *failure = {error, {}};
    return false;
}

#else

namespace {

QString SystemError(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// A file descriptor, closed when it goes.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now, for the error a close may still report; 0 or the error.
    int close()
    {
        const int result = ::close(m_fd) == 0 ? 0 : errno;
        m_fd = -1;
        return result;
    }

private:
    int m_fd;
};

// Writes all of `bytes` at `offset`; 0 or the error. A full disk takes part
// of a write without complaint: only the next one says why.
int WriteAll(int fd, std::string_view bytes, off_t offset)
{
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        bytes.remove_prefix(std::size_t(n));
        offset += n;
    }
    return 0;
}

// Reads `size` bytes from the start; nullopt with errno set on failure.
std::optional<std::string> ReadAll(int fd, std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::pread(fd, bytes.data() + done, size - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return std::nullopt;
        }
        done += std::size_t(n);
    }
    return bytes;
}

// A file of our own, new, in `folder`, named `prefix` and a random tail: it
// is created here, so nothing that was there is ever followed or overwritten.
Fd CreateNew(const QString& folder, const QString& prefix, mode_t mode, QString* created)
{
    for (int attempt = 0; attempt < 64; ++attempt) {
        const QString name = prefix + QString::number(QRandomGenerator::global()->generate(), 36);
        const QString path = QDir(folder).filePath(name);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            *created = path;
            return Fd(fd);
        }
        if (errno != EEXIST)
            return Fd();
    }
    return Fd();
}

void Remove(const QString& path)
{
    ::unlink(QFile::encodeName(path).constData());
}

using Xattrs = std::map<std::string, std::string>;

// Every extended attribute of the open file that we may read; nullopt when
// they cannot be listed.
std::optional<Xattrs> ReadXattrs(int fd)
{
    Xattrs out;
    ssize_t size = ::flistxattr(fd, nullptr, 0);
    if (size < 0)
        return errno == ENOTSUP ? std::optional<Xattrs>(out) : std::nullopt;
    std::string names(std::size_t(size), '\0');
    size = ::flistxattr(fd, names.data(), names.size());
    if (size < 0)
        return std::nullopt;
    names.resize(std::size_t(size));
    for (std::size_t at = 0; at < names.size();) {
        const std::string name = names.c_str() + at;
        at += name.size() + 1;
        const ssize_t length = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (length < 0)
            return std::nullopt;
        std::string value(std::size_t(length), '\0');
        const ssize_t got = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (got < 0)
            return std::nullopt;
        value.resize(std::size_t(got));
        out.emplace(name, std::move(value));
    }
    return out;
}

// Gives `to` exactly the extended attributes of `from`; false when one
// cannot be read, set or taken away (a security label, say).
bool CopyXattrs(int from, int to)
{
    const std::optional<Xattrs> wanted = ReadXattrs(from), present = ReadXattrs(to);
    if (!wanted || !present)
        return false;
    for (const auto& [name, value] : *wanted) {
        const auto it = present->find(name);
        if ((it == present->end() || it->second != value)
            && ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0) != 0)
            return false;
    }
    for (const auto& [name, value] : *present)
        if (!wanted->count(name) && ::fremovexattr(to, name.c_str()) != 0)
            return false;
    return true;
}

void SyncFolder(const QString& folder)
{
    const Fd fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

bool Fail(RewriteFailure* failure, const QString& reason)
{
    if (failure)
        *failure = {reason, {}};
    return false;
}

enum class Replaced { Yes, Failed, CannotMatch };

// Writes a new file beside `target` and renames it over; `old` is the file
// there now, whose owner, group, permissions and extended attributes the new
// one must take, or null when there is none.
Replaced ReplaceWithNew(const QString& target, std::string_view bytes, const struct stat* old, int oldFd,
                        RewriteFailure* failure)
{
    const QFileInfo info(target);
    QString temporary;
    // A new file takes the user's default permissions, as the umask cuts
    // them from 0666; a replacement takes the old file's below.
    Fd fd = CreateNew(info.absolutePath(), QStringLiteral(".") + info.fileName() + QStringLiteral(".new-"),
                      old ? 0600 : 0666, &temporary);
    if (!fd.valid()) {
        const int err = errno;
        if (old && (err == EACCES || err == EPERM))
            return Replaced::CannotMatch;  // a folder only its owner may add to
        Fail(failure, SystemError(err));
        return Replaced::Failed;
    }
    if (old) {
        struct stat now;
        // The owner goes first: a change of owner clears the set-id bits.
        const bool matched = ::fstat(fd.get(), &now) == 0
                             && ((now.st_uid == old->st_uid && now.st_gid == old->st_gid)
                                 || ::fchown(fd.get(), old->st_uid, old->st_gid) == 0)
                             && CopyXattrs(oldFd, fd.get()) && ::fchmod(fd.get(), old->st_mode & 07777) == 0;
        if (!matched) {
            Remove(temporary);
            return Replaced::CannotMatch;
        }
    }
    int err = WriteAll(fd.get(), bytes, 0);
    if (!err)
        err = ::fsync(fd.get()) == 0 ? 0 : errno;
    if (!err)
        err = fd.close();
    if (!err && ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
        err = errno;
    if (err) {
        Remove(temporary);
        // A file mounted over another cannot be renamed onto.
        if (old && (err == EBUSY || err == EXDEV))
            return Replaced::CannotMatch;
        Fail(failure, SystemError(err));
        return Replaced::Failed;
    }
    SyncFolder(info.absolutePath());
    return Replaced::Yes;
}

// A copy of `bytes` on disk, beside `target` when its folder takes one,
// else in the user's state folder; "" with `why` set when none could be made.
QString WriteBackup(const QString& target, std::string_view bytes, QString* why)
{
    const QFileInfo info(target);
    const QString stateFolder = QDir(userfolders::StateHome()).filePath(QStringLiteral("ovrel"));
    for (const QString& folder : {info.absolutePath(), stateFolder}) {
        if (folder == stateFolder)
            QDir().mkpath(folder);
        QString path;
        Fd fd = CreateNew(folder, info.fileName() + QStringLiteral(".backup-"), 0600, &path);
        int err = fd.valid() ? WriteAll(fd.get(), bytes, 0) : errno;
        if (fd.valid()) {
            if (!err)
                err = ::fsync(fd.get()) == 0 ? 0 : errno;
            if (!err)
                err = fd.close();
            if (!err)
                return path;
            Remove(path);
        }
        *why = SystemError(err);
    }
    return {};
}

// Writes over the contents of the open file `fd` itself, which keeps every
// name and property it has, after a copy of its old contents is on disk.
bool WriteInPlace(const QString& target, int fd, const struct stat& old, std::string_view bytes,
                  RewriteFailure* failure)
{
    const std::optional<std::string> original = ReadAll(fd, std::size_t(old.st_size));
    if (!original)
        return Fail(failure, SystemError(errno));
    QString why;
    const QString backup = WriteBackup(target, *original, &why);
    if (backup.isEmpty())
        return Fail(failure, QStringLiteral("No copy of the file could be made before writing over it: ") + why);
    int err = WriteAll(fd, bytes, 0);
    if (!err)
        err = ::ftruncate(fd, off_t(bytes.size())) == 0 ? 0 : errno;
    if (!err)
        err = ::fsync(fd) == 0 ? 0 : errno;
    if (!err) {
        Remove(backup);
        return true;
    }
    // The old contents fit where they were, so putting them back from memory
    // works on a full disk too; the copy stays should it fail all the same.
    const bool restored = WriteAll(fd, *original, 0) == 0 && ::ftruncate(fd, old.st_size) == 0 && ::fsync(fd) == 0;
    Fail(failure, SystemError(err));
    if (restored)
        Remove(backup);
    else if (failure)
        failure->keptCopy = backup;
    return false;
}

}  // namespace

bool RewriteFile(const QString& path, std::string_view bytes, RewriteFailure* failure)
{
    const QFileInfo info(path);
    QString target = info.canonicalFilePath();
    if (target.isEmpty())
        target = info.isSymLink() ? info.symLinkTarget() : path;
    const QByteArray name = QFile::encodeName(target);
    struct stat old;
    if (::stat(name.constData(), &old) != 0) {
        if (errno != ENOENT)
            return Fail(failure, SystemError(errno));
        return ReplaceWithNew(target, bytes, nullptr, -1, failure) == Replaced::Yes;
    }
    if (S_ISDIR(old.st_mode))
        return Fail(failure, QStringLiteral("A folder of that name is in the way."));
    if (!S_ISREG(old.st_mode))
        return Fail(failure, QStringLiteral("It is a pipe, a device or a socket, not a file."));
    // Opened without waiting, in case a pipe took the file's name since.
    Fd fd(::open(name.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd.valid())
        return Fail(failure, SystemError(errno));
    if (::fstat(fd.get(), &old) != 0 || !S_ISREG(old.st_mode))
        return Fail(failure, QStringLiteral("It is a pipe, a device or a socket, not a file."));
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    // A replacement would leave the other names of the file with the old text.
    if (old.st_nlink == 1) {
        const Replaced replaced = ReplaceWithNew(target, bytes, &old, fd.get(), failure);
        if (replaced != Replaced::CannotMatch)
            return replaced == Replaced::Yes;
    }
    return WriteInPlace(target, fd.get(), old, bytes, failure);
}

#endif
