#include "analysis/IncludeFiles.h"

#include "analysis/ScanCore.h"
#include "analysis/StagedEntries.h"
#include "platform/Paths.h"
#include "startup/Labels.h"

#include <QDir>

#include <algorithm>

QString UnreadableSource(const CUILabels& labels, const SourceText& text, qint64 limit)
{
    switch (text.trouble) {
    case SourceText::Trouble::TooLarge:
        return labels
            .getValue(QStringLiteral("sourcetoolarge"), QStringLiteral("it is #size# MB; a source file may be #limit# MB at most"))
            .replace(QStringLiteral("#size#"), QString::number(text.size >> 20))
            .replace(QStringLiteral("#limit#"), QString::number(limit >> 20));
    case SourceText::Trouble::NoAnswer:
        return labels.getValue(QStringLiteral("sourcenoanswer"), QStringLiteral("reading it gave no answer in time"));
    default: return {};
    }
}

std::optional<QString> IncludeFileSystem::LocalPath(const QString& path)
{
    return paths::LocalPath(path);
}

std::optional<FileStatus> DiskFiles::Status(const QString& path)
{
    return StatusOf(path);
}

QStringList DiskFiles::List(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

std::optional<std::string> DiskFiles::Read(const QString& path)
{
    SourceText text = m_reader.Get(path);
    return text.ok() ? std::optional<std::string>(std::move(text.bytes)) : std::nullopt;
}

struct IncludeCache::Kept {
    StagedEntries declarations;
    FileStamp stamp;
    std::size_t textBytes = 0;
    // The entries made last, while some document still holds them.
    std::weak_ptr<const IncludedFile> made;
    DeclStyles madeWith;
};

IncludeCache::IncludeCache(std::shared_ptr<IncludeFileSystem> files) : m_files(std::move(files)) {}

IncludeCache::~IncludeCache() = default;

void IncludeCache::NewScan()
{
    m_status.clear();
    m_resolved.clear();
    m_listedThisScan.clear();
}

std::optional<FileStatus> IncludeCache::StatusOnce(const QString& path)
{
    auto it = m_status.constFind(path);
    if (it == m_status.constEnd())
        it = m_status.insert(path, m_files->Status(path));
    return *it;
}

const IncludeCache::Folder* IncludeCache::FolderOnce(const QString& path)
{
    const auto listed = m_listedThisScan.constFind(path);
    if (listed != m_listedThisScan.constEnd())
        return *listed ? &m_folders[path] : nullptr;
    const std::optional<FileStatus> status = StatusOnce(path);
    if (!status || !status->folder) {
        m_listedThisScan.insert(path, false);
        m_folders.remove(path);
        return nullptr;
    }
    m_listedThisScan.insert(path, true);
    Folder& folder = m_folders[path];
    // A folder's modification time changes when names come or go in it.
    if (folder.byLowerName.isEmpty() || folder.stamp != status->stamp) {
        folder.stamp = status->stamp;
        folder.byLowerName.clear();
        for (const QString& name : m_files->List(path))
            folder.byLowerName.insert(name.toLower(), name);  // inserting keeps the first
    }
    return &folder;
}

std::optional<QString> IncludeCache::Resolve(const QString& path)
{
    const auto known = m_resolved.constFind(path);
    if (known != m_resolved.constEnd())
        return *known;
    std::optional<QString> found;
    const std::optional<QString> local = m_files->LocalPath(path);
    if (local && StatusOnce(*local)) {
        found = local;
    } else if (local) {
        // A name written in another letter case than the one on disk: each
        // part that is not there as written is looked up in its folder.
        qsizetype rootSize = 0;
        if (local->startsWith(u'/'))
            rootSize = 1;
        else if (local->size() >= 3 && local->at(1) == u':' && local->at(2) == u'/')
            rootSize = 3;
        if (rootSize > 0) {
            QString current = local->left(rootSize);
            found = current;
            for (const QString& part : local->mid(rootSize).split(u'/', Qt::SkipEmptyParts)) {
                const QString exact = paths::Join(current, part);
                if (StatusOnce(exact)) {
                    current = exact;
                    continue;
                }
                const Folder* folder = part == u"." || part == u".." ? nullptr : FolderOnce(current);
                const auto match = folder ? folder->byLowerName.constFind(part.toLower()) : QHash<QString, QString>::const_iterator();
                if (!folder || match == folder->byLowerName.constEnd()) {
                    found.reset();
                    break;
                }
                current = paths::Join(current, *match);
            }
            if (found)
                found = current;
        }
    }
    m_resolved.insert(path, found);
    return found;
}

IncludedFilePtr IncludeCache::Entries(const QString& path, const DeclStyles& styles, scan::Yielder* yielder)
{
    const std::optional<QString> file = Resolve(path);
    const std::optional<FileStatus> status = file ? StatusOnce(*file) : std::nullopt;
    // A pipe or device (from an archive, a shared folder) is not a source;
    // reading one would wait for as long as nothing writes into it.
    if (!status || status->folder || status->special || status->stamp.size > kMaxIncludeBytes)
        return nullptr;
    std::unique_ptr<Kept>& kept = m_kept[*file];
    if (!kept || kept->stamp != status->stamp) {
        std::optional<std::string> content = m_files->Read(*file);
        if (yielder)
            yielder->Check();
        if (!content) {
            m_kept.erase(*file);
            return nullptr;
        }
        kept = std::make_unique<Kept>();
        kept->declarations.Reserve(content->size());
        scan::ScanIncludeText(*content, kept->declarations);
        kept->declarations.Sort();
        kept->declarations.Trim();
        kept->stamp = status->stamp;
        kept->textBytes = content->size();
    }
    if (IncludedFilePtr made = kept->made.lock(); made && kept->madeWith == styles)
        return made;
    auto made = std::make_shared<IncludedFile>();
    made->path = *file;
    made->entries = kept->declarations.Make(styles);
    kept->made = made;
    kept->madeWith = styles;
    return made;
}

void IncludeCache::Forget(const QString& path)
{
    const QString slashed = paths::ToSlashes(path);
    m_kept.erase(slashed);
    m_status.remove(slashed);
}

std::size_t IncludeCache::KeptBytes() const
{
    std::size_t bytes = 0;
    for (const auto& [path, kept] : m_kept)
        bytes += sizeof(Kept) + std::size_t(path.size()) * sizeof(QChar) + kept->declarations.Bytes();
    return bytes;
}

std::size_t IncludeCache::FileBytes() const
{
    std::size_t bytes = 0;
    for (const auto& [path, kept] : m_kept)
        bytes += kept->textBytes;
    return bytes;
}
