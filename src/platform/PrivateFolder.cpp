#include "platform/PrivateFolder.h"

#include "platform/UserFolders.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace privatefolder {

#ifdef Q_OS_UNIX

QString WhyNotPrivate(const QString& path)
{
    // lstat, not stat: a link could be pointed elsewhere after the check.
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("%1 does not exist.").arg(path);
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

QString SocketFolder(QString* why)
{
    const QString runtime = userfolders::RuntimeDir();
    if (!runtime.isEmpty() && WhyNotPrivate(runtime).isEmpty())
        return runtime;
    // The shared temporary folder: anybody may have made this name first,
    // so it is used only when the check finds it the user's own.
    const QString own = QDir(QDir::tempPath()).filePath(QStringLiteral("ovrel-%1").arg(::geteuid()));
    if (::mkdir(QFile::encodeName(own).constData(), 0700) == 0)
        ::chmod(QFile::encodeName(own).constData(), 0700);  // whatever the umask took away
    QString reason = WhyNotPrivate(own);
    if (reason.isEmpty())
        return own;
    if (why)
        *why = reason;
    return {};
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
