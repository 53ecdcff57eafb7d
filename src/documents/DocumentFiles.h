#pragma once

#include "platform/FileStatus.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string_view>

class CUILabels;

// Document files on disk, apart from any window.

// The folder part (with its separator) and the name part of a document path.
struct DocPathParts {
    QString FileDir;
    QString FileTitle;
};
DocPathParts SplitDocPath(const QString& path);

// The one spelling of a file, to tell whether two paths name it: symbolic
// links, "." and ".." resolved. Letter case counts, as it does on disk: a.bb
// and A.bb are two files. A file not on disk is resolved through its folder.
QString CanonicalDocPath(const QString& path);
// True when both paths name the same file, by their spelling or, for files
// on disk, as two hard links of one; an empty path names none.
bool SameDocFile(const QString& a, const QString& b);

// A ".bb" file by its last three characters, in any letter case.
bool IsBlitzSource(const QString& path);

// Writes a document's bytes to `path` without ever leaving a half-written
// file without a copy, and keeps the file what it was (its other names,
// owner, permissions and extended attributes). A file marked read-only is not
// written. On failure `error` says why, and the file on disk is as it was,
// unless `keptCopy` is set: then the file could not be put back, and that
// copy holds its old contents.
bool SaveDocumentFile(const CUILabels& labels, const QString& path, std::string_view bytes, QString* error,
                      QString* keptCopy = nullptr);

// Whether SaveDocumentFile may write `path` now, without writing anything:
// for work that changes several files and must know first that it can change
// them all. A file that exists must be a regular file with a write permission
// that opens for writing; a new one needs a folder that takes files. `error`
// says why not.
bool CanSaveDocumentFile(const CUILabels& labels, const QString& path, QString* error);

// The length in bytes of the longest line of the file at `path`, when it is
// longer than `limit`; 0 otherwise, and for a file that cannot be read. Only
// a file larger than `limit` is read at all.
qint64 LongestLineOver(const QString& path, qint64 limit);

// The version of a file a document holds: as it was read, or last written.
struct DiskStamp {
    bool exists = false;
    FileStamp file;
    size_t hash = 0;  // of the bytes
};
// The stamp of `bytes` read from, or written to, a file whose status was
// `status`: taken before a read, so that a write during it shows later.
DiskStamp StampOf(const std::optional<FileStatus>& status, const QByteArray& bytes);

enum class DiskChange { None, Changed, Missing };
// How the file at `path` stands against the version `stamp` holds. A file
// whose dates alone changed (touched, or written with the same bytes) is not
// changed, and `stamp` takes its dates so the file is not read again. A
// folder, pipe or device in its place is a change; a pipe is never opened.
DiskChange CheckDisk(const QString& path, DiskStamp& stamp);
