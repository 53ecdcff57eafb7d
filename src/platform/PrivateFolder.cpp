#include "platform/PrivateFolder.h"

#include "platform/UserFolders.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace privatefolder {

#ifdef Q_OS_UNIX

namespace {

QString WhyNotPrivate(const QString& path, const struct stat& st)
{
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("%1 is a link.").arg(path);
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("%1 is not a folder.").arg(path);
    if (st.st_uid != ::geteuid())
        return QStringLiteral("%1 belongs to user %2.").arg(path).arg(uint(st.st_uid));
    if ((st.st_mode & 077) != 0)
        return QStringLiteral("%1 is open to other users (mode %2).").arg(path).arg(uint(st.st_mode & 0777), 3, 8, QLatin1Char('0'));
    if ((st.st_mode & 0700) != 0700)
        return QStringLiteral("%1 cannot be used by its owner (mode %2).").arg(path).arg(uint(st.st_mode & 0777), 3, 8, QLatin1Char('0'));
    return {};
}

}  // namespace

QString WhyNotPrivate(const QString& path)
{
    // lstat, not stat: a link could be pointed elsewhere after the check.
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("%1 does not exist.").arg(path);
    return WhyNotPrivate(path, st);
}

int OpenPrivate(const QString& path, QString* why)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0700) == 0)
        ::chmod(name.constData(), 0700);  // whatever the umask took away
    // The checks are made on what was opened, so nothing can be swapped in
    // between; a link is not opened at all.
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd < 0) {
        const bool link = ::lstat(name.constData(), &st) == 0;
        if (why)
            *why = link ? WhyNotPrivate(path, st) : QStringLiteral("%1 does not exist.").arg(path);
        return -1;
    }
    QString reason = ::fstat(fd, &st) == 0 ? WhyNotPrivate(path, st) : QStringLiteral("%1 cannot be read.").arg(path);
    if (!reason.isEmpty()) {
        ::close(fd);
        if (why)
            *why = reason;
        return -1;
    }
    return fd;
}

QString SocketFolder(QString* why)
{
    const QString runtime = userfolders::RuntimeDir();
    if (!runtime.isEmpty() && WhyNotPrivate(runtime).isEmpty())
        return runtime;
    // The shared temporary folder: anybody may have made this name first,
    // so it is used only when the check finds it the user's own.
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("ovrel-%1").arg(::geteuid()));
    const int fd = OpenPrivate(own, why);
    if (fd < 0)
        return {};
    ::close(fd);
    return own;
}

bool PeerIsThisUser(qintptr descriptor)
{
#ifdef SO_PEERCRED
    struct ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || size != sizeof peer)
        return false;
    return peer.uid == ::geteuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(int(descriptor), &uid, &gid) == 0 && uid == ::geteuid();
#endif
}

#else

// Elsewhere local sockets are named pipes, which carry their own access
// rules and live in no folder.
QString WhyNotPrivate(const QString&)
{
    return {};
}

int OpenPrivate(const QString&, QString* why)
{
    if (why)
        *why = QStringLiteral("Private folders are not supported here.");
    return -1;
}

QString SocketFolder(QString*)
{
    return {};
}

bool PeerIsThisUser(qintptr)
{
    return true;
}

#endif

}  // namespace privatefolder
