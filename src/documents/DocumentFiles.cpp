#include "documents/DocumentFiles.h"

#include "platform/FileRewrite.h"
#include "platform/Paths.h"
#include "startup/Labels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

DocPathParts SplitDocPath(const QString& path)
{
    return {paths::DirOf(path), paths::FileNameOf(path)};
}

QString CanonicalDocPath(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    // The folder and the name are taken apart once "." and ".." are gone: of
    // "/a/b/.." the folder is "/" but the name "..".
    const QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.filePath() : paths::Join(folder, info.fileName());
}

bool SameDocFile(const QString& a, const QString& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (CanonicalDocPath(a) == CanonicalDocPath(b))
        return true;
    const std::optional<FileStatus> x = StatusOf(a), y = StatusOf(b);
    return x && y && x->stamp.inode != 0 && x->stamp.device == y->stamp.device && x->stamp.inode == y->stamp.inode;
}

bool IsBlitzSource(const QString& path)
{
    return path.right(3).toLower() == u".bb";
}

namespace {

// What SaveDocumentFile refuses before it tries to write.
bool RefusedForSave(const CUILabels& labels, const QFileInfo& info, QString* error)
{
    QString why;
    if (info.isDir()) {
        why = labels.getValue(QStringLiteral("folderintheway"));
    } else {
        // The write bits are asked for directly: the permission check alone
        // says yes to the administrator, who should not overwrite a protected
        // file by accident either.
        constexpr auto kAnyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (info.exists() && !(info.permissions() & kAnyWrite))
            why = labels.getValue(QStringLiteral("filereadonly"));
    }
    if (error && !why.isEmpty())
        *error = why;
    return !why.isEmpty();
}

}  // namespace

bool SaveDocumentFile(const CUILabels& labels, const QString& path, std::string_view bytes, QString* error,
                      QString* keptCopy)
{
    if (RefusedForSave(labels, QFileInfo(path), error))
        return false;
    RewriteFailure failure;
    if (RewriteFile(path, bytes, &failure))
        return true;
    if (error)
        *error = failure.reason;
    if (keptCopy)
        *keptCopy = failure.keptCopy;
    return false;
}

bool CanSaveDocumentFile(const CUILabels& labels, const QString& path, QString* error)
{
    const QFileInfo info(path);
    if (RefusedForSave(labels, info, error))
        return false;
    const std::optional<FileStatus> status = StatusOf(path);
    if (!status) {
        if (QFileInfo(info.absolutePath()).isWritable())
            return true;
        if (error)
            *error = labels.getValue(QStringLiteral("foldertakesnofiles"));
        return false;
    }
    if (status->special) {
        if (error)
            *error = labels.getValue(QStringLiteral("notafile"));
        return false;
    }
    // Opening for reading and writing changes nothing, and fails as the
    // write would (no permission, a read-only file system).
    QFile file(path);
    if (file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

qint64 LongestLineOver(const QString& path, qint64 limit)
{
    const std::optional<FileStatus> status = StatusOf(path);
    QFile f;
    if (!status || status->stamp.size <= limit || !OpenRegularFile(f, path))
        return 0;
    qint64 longest = 0;
    qint64 current = 0;
    QByteArray chunk;
    while (!(chunk = f.read(1 << 20)).isEmpty()) {
        for (const char c : std::as_const(chunk)) {
            if (c == '\n' || c == '\r') {
                longest = std::max(longest, current);
                current = 0;
            } else {
                ++current;
            }
        }
        // Once one line has proved too long, the rest is not needed.
        if (longest > limit)
            break;
    }
    longest = std::max(longest, current);
    return longest > limit ? longest : 0;
}

DiskStamp StampOf(const std::optional<FileStatus>& status, const QByteArray& bytes)
{
    if (!status)
        return {};
    return {true, status->stamp, qHash(bytes, 0)};
}

DiskChange CheckDisk(const QString& path, DiskStamp& stamp)
{
    const std::optional<FileStatus> now = StatusOf(path);
    if (!now)
        return DiskChange::Missing;
    if (!stamp.exists)
        return DiskChange::Changed;
    if (now->stamp == stamp.file)
        return DiskChange::None;
    QFile f;
    if (now->folder || now->special || now->stamp.size != stamp.file.size || !OpenRegularFile(f, path))
        return DiskChange::Changed;
    if (qHash(f.readAll(), 0) != stamp.hash)
        return DiskChange::Changed;
    stamp.file = now->stamp;
    return DiskChange::None;
}
