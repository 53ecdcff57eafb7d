#pragma once

#include <QString>

#include <optional>

// Size and modification time of a file: what tells that it changed since it
// was last read.
struct FileStamp {
    qint64 size = 0;
    qint64 modified = 0;  // nanoseconds since the epoch
    bool operator==(const FileStamp&) const = default;
};

// What a path names: a folder or a file, and its stamp.
struct FileStatus {
    bool folder = false;
    FileStamp stamp;
};

// One look at the file system (a single system call where there is one);
// nullopt when nothing is there.
std::optional<FileStatus> StatusOf(const QString& path);
