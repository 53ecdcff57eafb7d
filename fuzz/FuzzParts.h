#pragma once

// What the analysis fuzz targets share: an input cut into a document and up
// to three include files, and a file system that serves those files.

#include "analysis/IncludeFiles.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// The document and up to three include files, separated by 0xFF 0xFE pairs.
std::vector<std::string_view> SplitParts(std::string_view data)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (parts.size() < 3) {
        const std::size_t sep = data.find("\xFF\xFE", start);
        if (sep == std::string_view::npos)
            break;
        parts.push_back(data.substr(start, sep - start));
        start = sep + 2;
    }
    parts.push_back(data.substr(start));
    return parts;
}

// The include files by the length of their path, so that any Include line
// may reach any of them (or none).
class PartFiles : public IncludeFileSystem {
public:
    explicit PartFiles(const std::vector<std::string_view>& parts) : m_parts(parts) {}
    std::optional<QString> LocalPath(const QString& path) override { return path; }
    std::optional<FileStatus> Status(const QString&) override { return FileStatus{}; }
    QStringList List(const QString&) override { return {}; }
    std::optional<std::string> Read(const QString& path) override
    {
        const std::size_t which = std::size_t(path.size()) % (m_parts.size() + 1);
        if (which >= m_parts.size() - 1)
            return std::nullopt;
        return std::string(m_parts[which]);
    }

private:
    std::vector<std::string_view> m_parts;
};

}  // namespace fuzz
