#pragma once

#include <QString>

#include <string_view>

// Why a file could not be given its new contents, in words for the user.
struct RewriteFailure {
    QString reason;
    // Set only when a write in place failed and the file could not be put
    // back as it was either: where a copy of its old contents is.
    QString keptCopy;
};

// Gives the file at `path` (the target, when it is a symbolic link) the
// contents `bytes` and keeps it the file it was: its other hard links, owner,
// group, permissions and extended attributes. A new file, or one that a
// replacement can match in all of these, is written beside it and renamed
// over it, so that it is never seen half-written; any other is written in
// place once a copy of its old contents is on disk (beside it, else in the
// user's state folder), and that copy is removed when the write succeeded.
// Folders, pipes, devices and sockets are refused. On failure the file is as
// it was, unless `failure->keptCopy` says otherwise.
bool RewriteFile(const QString& path, std::string_view bytes, RewriteFailure* failure);
