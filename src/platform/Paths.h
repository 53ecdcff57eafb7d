#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

class QMimeData;

// Paths as users write them: prefs.ini, Include lines and command lines come
// from Windows and may use "\" or "/". The program joins with "/".
namespace paths {

// True when the path starts with a separator or holds a ":" (a drive).
bool IsAbsolute(const QString& path);
// Joins a folder and a relative name with exactly one separator between.
QString Join(const QString& dir, const QString& name);
// `path` as written when absolute, else joined to `base`.
QString Absolute(const QString& base, const QString& path);
// The folder part of a path, with its trailing separator ("" when none).
QString DirOf(const QString& path);
// The part after the last separator.
QString FileNameOf(const QString& path);
// "\" becomes "/" (a no-op for paths that already use "/").
QString ToSlashes(const QString& path);

// The local files named by dragged or pasted data, in order.
QStringList LocalFiles(const QMimeData* data);

// The path of the file `path` names on this system, with "/" separators. On
// Windows that is any path. Elsewhere an absolute path names itself, and a
// Windows drive path names a file only through Wine's drive Z: (which is
// "/"); other drives, and relative paths, name nothing: no file is looked for
// in whatever folder the program was started from.
std::optional<QString> LocalPath(const QString& path);

// Finds an existing file or folder for a path written on Windows: separators
// of either kind, and letter case that may differ from the names on disk.
// Returns the path as it exists, or the slash form of `path` when nothing
// matches.
QString ResolveOnDisk(const QString& path);

// ResolveOnDisk for many paths in the same folders (a program's includes,
// named by lower-cased keys): a folder's spelling found once is not looked
// for again, so a folder of thousands of files is not listed per file. Not
// for use on two threads at once.
class SpellingCache {
public:
    QString Resolve(const QString& path);
    // A path as it is on disk: its folders' spellings are known from now on.
    void Learn(const QString& realPath);

private:
    QHash<QString, QString> m_folders;  // lower-cased folder, as it is on disk
};

}  // namespace paths
