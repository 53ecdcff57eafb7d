#include "platform/FileStatus.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <QDateTime>
#include <QFileInfo>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace {

bool Fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

std::function<QString(const QString&)>& Labels()
{
    static std::function<QString(const QString&)> labels;
    return labels;
}

QString NotRegular(const QString& path)
{
    return FileStatusLabel(QStringLiteral("filenotregular")).arg(path);
}

#ifndef Q_OS_WIN
qint64 Nanoseconds(const timespec& t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FileStatus StatusFrom(const struct stat& st)
{
    const FileStamp stamp{qint64(st.st_size), Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim), quint64(st.st_dev),
                          quint64(st.st_ino)};
    return FileStatus{S_ISDIR(st.st_mode), stamp, !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)};
}
#endif

}  // namespace

void SetFileStatusLabels(std::function<QString(const QString& key)> label)
{
    Labels() = std::move(label);
}

QString FileStatusLabel(const QString& key)
{
    return Labels() ? Labels()(key) : key + QStringLiteral(": %1 %2");
}

std::optional<FileStatus> StatusOf(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    FileStamp stamp;
    stamp.size = info.size();
    stamp.modified = info.lastModified().toMSecsSinceEpoch() * 1000000;
    stamp.changed = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
    return FileStatus{info.isDir(), stamp, !info.isDir() && !info.isFile()};
#else
    // Looked at for every include at every rescan: a plain stat, without the
    // allocations of QFileInfo.
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return StatusFrom(st);
#endif
}

bool OpenRegularFile(QFile& file, const QString& path, QString* error)
{
    const std::optional<FileStatus> status = StatusOf(path);
    if (!status)
        return Fail(error, FileStatusLabel(QStringLiteral("filemissing")).arg(path));
    if (status->folder)
        return Fail(error, FileStatusLabel(QStringLiteral("fileisfolder")).arg(path));
    if (status->special)
        return Fail(error, NotRegular(path));
    const auto unreadable = [&](const QString& why) {
        return Fail(error, FileStatusLabel(QStringLiteral("fileunreadable")).arg(path, why));
    };
#ifdef Q_OS_WIN
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    return true;
#else
    // Without O_NONBLOCK a pipe put in the file's place since the look above
    // would hold this open until something writes into it.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return unreadable(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Fail(error, NotRegular(path));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unreadable(file.errorString());
    }
    return true;
#endif
}
