#pragma once

#include <QString>
#include <QtGlobal>

// Where this user's processes may talk to each other without anybody else
// listening in or answering in their place: a folder nobody else can enter,
// and the user id at the other end of a connection.
namespace privatefolder {

// Why `path` cannot hold this user's private sockets; "" when it can: a real
// folder (not a link to one) owned by this user that nobody else may enter.
QString WhyNotPrivate(const QString& path);

// Opens `path` as a folder without following a link, made with mode 0700
// when missing, and checks what was opened as WhyNotPrivate does: the
// descriptor (closed by the caller), or -1 with the reason in `why`.
int OpenPrivate(const QString& path, QString* why);

// The folder for this user's private sockets: $XDG_RUNTIME_DIR when it is
// private, else a folder of the user's own in the temporary folder, made
// when missing. "" when neither is private (someone else made the second
// one first, or loosened it), with the reason in `why`; "" also where local
// sockets are named pipes, which live in no folder.
QString SocketFolder(QString* why = nullptr);

// Whether the process at the other end of the connected local socket
// `descriptor` runs as this user; false when that cannot be learnt.
bool PeerIsThisUser(qintptr descriptor);

}  // namespace privatefolder
