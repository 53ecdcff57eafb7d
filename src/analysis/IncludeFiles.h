#pragma once

#include "editor/Keywords.h"
#include "platform/FileStatus.h"
#include "platform/SourceFile.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

class CUILabels;
class StagedEntries;
namespace scan {
class Yielder;
}

// Why a source file could not be read, in words that go after the message
// saying so; "" when that message says enough.
QString UnreadableSource(const CUILabels& labels, const SourceText& text, qint64 limit);

// What reading included files asks of the file system. The program reads
// the disk; tests give a table.
class IncludeFileSystem {
public:
    virtual ~IncludeFileSystem() = default;
    // The file an Include's full path names on this system, nullopt for none.
    virtual std::optional<QString> LocalPath(const QString& path);
    virtual std::optional<FileStatus> Status(const QString& path) = 0;
    // The names in a folder: files and folders, hidden ones too.
    virtual QStringList List(const QString& folder) = 0;
    // The whole file; nullopt when it cannot be read.
    virtual std::optional<std::string> Read(const QString& path) = 0;
};

class DiskFiles : public IncludeFileSystem {
public:
    std::optional<FileStatus> Status(const QString& path) override;
    QStringList List(const QString& folder) override;
    // Never longer than a moment: a file that does not answer is not read.
    std::optional<std::string> Read(const QString& path) override;

private:
    SourceReader m_reader{[](const QString& path) { return ReadSourceFile(path, kMaxIncludeBytes); },
                          std::chrono::milliseconds(300)};
};

// One reading of an included file: the entries it declares, in its own list
// order, shared by every Include of the file in every document.
struct IncludedFile {
    QString path;  // where it was read from
    std::vector<EditorKeywordPtr> entries;
};
using IncludedFilePtr = std::shared_ptr<const IncludedFile>;

// What the program keeps of included files between scans: a file is read
// again only when its size or modification time changed, or the program
// saved it. Finding a file also matches names without regard to case, as
// Windows does; the folder listings that takes are kept while the folder's
// own modification time stays the same.
class IncludeCache {
public:
    explicit IncludeCache(std::shared_ptr<IncludeFileSystem> files = std::make_shared<DiskFiles>());
    ~IncludeCache();

    // Begins a scan: each file and folder is looked at once per scan.
    void NewScan();
    // What the file at `path` (the full path a document's Include names)
    // declares; null when nothing readable is there. `yielder` gets its turn
    // after a file is read.
    IncludedFilePtr Entries(const QString& path, const DeclStyles& styles, scan::Yielder* yielder = nullptr);
    // The program wrote the file at `path`: its next use reads it again.
    void Forget(const QString& path);

    // Memory held by the kept declarations, and the bytes of the files they
    // come from.
    std::size_t KeptBytes() const;
    std::size_t FileBytes() const;

    static constexpr qint64 kMaxIncludeBytes = ::kMaxIncludeBytes;

private:
    struct Kept;
    struct Folder {
        FileStamp stamp;
        QHash<QString, QString> byLowerName;  // first name of each spelling
    };

    std::optional<FileStatus> StatusOnce(const QString& path);
    const Folder* FolderOnce(const QString& path);
    std::optional<QString> Resolve(const QString& path);

    std::shared_ptr<IncludeFileSystem> m_files;
    std::unordered_map<QString, std::unique_ptr<Kept>> m_kept;  // by the file's path on disk
    QHash<QString, Folder> m_folders;
    // Looked at during the current scan.
    QHash<QString, std::optional<FileStatus>> m_status;
    QHash<QString, std::optional<QString>> m_resolved;
    QHash<QString, bool> m_listedThisScan;
};
