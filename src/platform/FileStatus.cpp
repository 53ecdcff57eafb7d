#include "platform/FileStatus.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <QDateTime>
#include <QFileInfo>
#else
#include <sys/stat.h>
#endif

std::optional<FileStatus> StatusOf(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    return FileStatus{info.isDir(), {info.size(), info.lastModified().toMSecsSinceEpoch() * 1000000}};
#else
    // Looked at for every include at every rescan: a plain stat, without the
    // allocations of QFileInfo.
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    const qint64 modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return FileStatus{S_ISDIR(st.st_mode), {qint64(st.st_size), modified}};
#endif
}
