#pragma once

#include <QString>

#include <functional>
#include <optional>

class QFile;

// What tells that a file changed since it was last read. Size and
// modification time alone miss a write whose author set the time back; the
// inode change time moves with every write whatever the author does, and a
// new inode number is a file replaced.
struct FileStamp {
    qint64 size = 0;
    qint64 modified = 0;  // nanoseconds since the epoch
    qint64 changed = 0;   // inode change time, nanoseconds since the epoch
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileStamp&) const = default;
};

// What a path names: a folder or a file, and its stamp.
struct FileStatus {
    bool folder = false;
    FileStamp stamp;
    // A pipe, device or socket: opening one to read may wait for as long as
    // nothing writes into it, so it is never opened as a file.
    bool special = false;
};

// Where the messages of this layer take their words: the label table, once
// the program has loaded it; until then a message is its label's key and
// what it is about.
void SetFileStatusLabels(std::function<QString(const QString& key)> label);
QString FileStatusLabel(const QString& key);

// One look at the file system (a single system call where there is one);
// nullopt when nothing is there.
std::optional<FileStatus> StatusOf(const QString& path);

// Opens `path` for reading when it is a regular file, and never waits on the
// way: a folder, pipe, device or socket is refused unopened, and the type is
// checked again on what was opened, in case the name was given to a pipe in
// between. On failure `error` says why in words for the user.
bool OpenRegularFile(QFile& file, const QString& path, QString* error = nullptr);
