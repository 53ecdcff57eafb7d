#include "analysis/Scanner.h"

#include "analysis/DocScanner.h"
#include "platform/FileStatus.h"

namespace {

// The reader a caller gave, seen as a file system: paths are taken as
// written and every one may be asked for.
class ReaderFiles : public IncludeFileSystem {
public:
    explicit ReaderFiles(IncludeReader read) : m_read(std::move(read)) {}
    std::optional<QString> LocalPath(const QString& path) override { return path; }
    std::optional<FileStatus> Status(const QString&) override { return FileStatus{}; }
    QStringList List(const QString&) override { return {}; }
    std::optional<std::string> Read(const QString& path) override { return m_read(path); }

private:
    IncludeReader m_read;
};

}  // namespace

ScanResult ScanDocument(std::string_view text, const QString& fileDir, const DeclStyles& styles,
                        const ScanOptions& options)
{
    // A scan of its own: every included file is read afresh.
    std::shared_ptr<IncludeFileSystem> files;
    if (options.readInclude)
        files = std::make_shared<ReaderFiles>(options.readInclude);
    else
        files = std::make_shared<DiskFiles>();
    DocScanner scanner(std::make_shared<IncludeCache>(std::move(files)));
    scanner.Rebuild(text, fileDir, styles, options.yield, options.yieldInterval);
    return {scanner.DocKeywords(), scanner.Includes()};
}
